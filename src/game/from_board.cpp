#include "from_board.hpp"

#include <algorithm>

#include "board/apply.hpp"
#include "board/outcome.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/legal.hpp"
#include "text.hpp"
#include "tree_edits.hpp"

namespace tarvik::game {
namespace {

// The result by the rules, no claim needed; "*" also for a broken position the
// rules cannot judge: the game goes on, as far as anyone can tell.
const char* board_result(const Board& board) {
    try {
        return result_text(outcome(board, false));
    } catch (const RejectedInput&) {
        return "*";
    }
}

}  // namespace

GameRecord game_from_board(const Board& board, const TagPairs& tags) {
    GameRecord game;
    game.start = board;
    game.start.move_stack.clear();
    game.start.history.clear();
    if (!board.history.empty()) game.start.position = board.history.front();

    for (const auto& [name, value] : tags) {
        check_tag(name, value);
        // The start is the board's: its FEN is written below.
        if (name != "FEN" && name != "SetUp") set_tag(game, name, value);
    }
    const std::string fen = to_fen(game.start);
    if (fen != DEFAULT_FEN) {
        set_tag(game, "FEN", fen);
        set_tag(game, "SetUp", "1");
    }

    game.nodes.emplace_back();
    Board replay = game.start;
    for (std::size_t i = 0; i < board.move_stack.size(); ++i) {
        const Move& move = board.move_stack[i];
        bool legal = false;
        try {
            legal = is_legal_move(replay.position, replay.castling_field(), move);
        } catch (const InternalFailure&) {
        }
        if (!legal) {
            reject(joined({"move ", std::to_string(i + 1), " of the board, ", uci(move), ", is not legal in ",
                           to_fen(replay)}));
        }
        add_child(game, std::uint32_t(game.nodes.size() - 1), move, true);
        apply_move(replay, move);
    }
    if (!game.tag("Result")) set_tag(game, "Result", board_result(replay));
    return game;
}

}  // namespace tarvik::game
