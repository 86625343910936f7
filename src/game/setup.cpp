#include "setup.hpp"

#include <array>
#include <string>

#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/rook_rights.hpp"
#include "board/strict_fen.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {

// The names python-chess gives standard chess, compared without case.
bool names_standard_chess(std::string_view variant) {
    constexpr std::array<std::string_view, 6> NAMES{"standard", "chess", "classical", "normal", "illegal",
                                                    "from position"};
    for (const std::string_view name : NAMES) {
        if (variant.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            const char c = variant[i];
            same = (c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) == name[i];
        }
        if (same) return true;
    }
    return false;
}

}  // namespace

const Board& standard_start() {
    static const Board board = board_from_fen(std::string(DEFAULT_FEN));
    return board;
}

bool set_up_start(GameRecord& game, const GameText& text) {
    const auto view = [&text](TextSpan span) { return text.view(span); };
    game.start = standard_start();
    const Tag* variant = find_tag(game.tags, "Variant", view);
    if (variant && !names_standard_chess(view(variant->value))) {
        game.errors.push_back(
            joined({"variant '", view(variant->value), "' is not supported: the moves were not read"}));
        return false;
    }
    const Tag* fen = find_tag(game.tags, "FEN", view);
    if (!fen) return true;
    try {
        const StrictFen read = read_strict_fen(view(fen->value));
        game.start = read.board;
        if (has_chess960_rights(read.board.position, read.promoted, read.granted_rooks)) {
            reject("its castling rights are those of Chess960, which is not supported");
        }
    } catch (const RejectedInput& rejection) {
        game.errors.push_back(joined({"invalid FEN tag '", view(fen->value), "': ", rejection.message(),
                                      "; the moves were not read"}));
        game.start = standard_start();
        return false;
    }
    return true;
}

}  // namespace tarvik::game
