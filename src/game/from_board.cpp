#include "from_board.hpp"

#include <algorithm>

#include "board/apply.hpp"
#include "board/outcome.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/legal.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {

bool is_tag_name(std::string_view name) {
    const auto letter_or_digit = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    };
    return !name.empty() && letter_or_digit(name[0]) &&
           std::all_of(name.begin(), name.end(), [&](char c) {
               return letter_or_digit(c) || std::string_view("_+#=:-").find(c) != std::string_view::npos;
           });
}

// The result by the rules, no claim needed; "*" also for a broken position the
// rules cannot judge: the game goes on, as far as anyone can tell.
const char* board_result(const Board& board) {
    try {
        return result_text(outcome(board, false));
    } catch (const RejectedInput&) {
        return "*";
    }
}

void add_tag(GameRecord& game, std::string_view name, std::string_view value) {
    Tag tag;
    tag.name = {game.text.size(), name.size()};
    game.text += name;
    tag.value = {game.text.size(), value.size()};
    game.text += value;
    game.tags.push_back(tag);
}

}  // namespace

GameRecord game_from_board(const Board& board, const TagPairs& tags) {
    GameRecord game;
    game.start = board;
    game.start.move_stack.clear();
    game.start.history.clear();
    if (!board.history.empty()) game.start.position = board.history.front();

    for (const auto& [name, value] : tags) {
        if (!is_tag_name(name)) reject(joined({"invalid tag name: '", name, "'"}));
        if (value.find_first_of("\r\n") != std::string::npos) {
            reject(joined({"line break in the value of tag '", name, "'"}));
        }
        // The start is the board's: its FEN is written below.
        if (name != "FEN" && name != "SetUp") add_tag(game, name, value);
    }
    const std::string fen = to_fen(game.start);
    if (fen != DEFAULT_FEN) {
        add_tag(game, "FEN", fen);
        add_tag(game, "SetUp", "1");
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
        Node& node = game.nodes.emplace_back();
        node.move = move;
        node.parent = std::uint32_t(game.nodes.size() - 2);
        Node& parent = game.nodes[node.parent];
        parent.first_child = parent.last_child = std::uint32_t(game.nodes.size() - 1);
        apply_move(replay, move);
    }
    if (!game.tag("Result")) add_tag(game, "Result", board_result(replay));
    return game;
}

}  // namespace tarvik::game
