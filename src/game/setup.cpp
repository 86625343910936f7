#include "setup.hpp"

#include <array>
#include <string>

#include "board/failure.hpp"
#include "board/fen.hpp"
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

// FEN text from a tag: strict, as python-chess reads it.
Board board_from_tag(std::string_view fen) {
    std::string fields[6] = {"", "w", "-", "-", "0", "1"};
    std::size_t count = 0;
    for (std::size_t at = 0; at < fen.size();) {
        while (at < fen.size() && fen[at] == ' ') ++at;
        if (at == fen.size()) break;
        const std::size_t end = std::min(fen.find(' ', at), fen.size());
        if (count == 6) reject("fen string has more parts than expected");
        fields[count++] = fen.substr(at, end - at);
        at = end;
    }
    if (count == 0) reject("empty fen");
    try {
        return board_from_fen(fields[0] + ' ' + fields[1] + ' ' + fields[2] + ' ' + fields[3] + ' ' + fields[4] +
                              ' ' + fields[5]);
    } catch (const InternalFailure& failure) {
        reject(failure.message());
    }
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
        game.start = board_from_tag(view(fen->value));
    } catch (const RejectedInput& rejection) {
        game.errors.push_back(joined({"invalid FEN tag '", view(fen->value), "': ", rejection.message(),
                                      "; the moves were not read"}));
        game.start = standard_start();
        return false;
    }
    return true;
}

}  // namespace tarvik::game
