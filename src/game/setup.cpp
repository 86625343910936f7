#include "setup.hpp"

#include <array>
#include <string>

#include "board/failure.hpp"
#include "board/fen.hpp"
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

Bitboard rank_of_side(bool white) { return white ? 0xFFull : 0xFF00000000000000ull; }

// The castling rooks python-chess reads from a FEN castling field: K and Q the
// outermost rooks beside the king (or the corner when there is none), a file
// letter that file's square on the back rank.
Bitboard castling_rooks(const Position& position, std::string_view field) {
    Bitboard rooks = 0;
    for (const char flag : field) {
        const bool white = flag >= 'A' && flag <= 'Z';
        const char letter = white ? char(flag - 'A' + 'a') : flag;
        const Bitboard back_rank = rank_of_side(white);
        const Bitboard own = colour_pieces(position, white);
        const Bitboard candidates = position.rooks & own & back_rank;
        const Bitboard kings = position.kings & own;
        const int king = kings ? int(highest_square(kings)) : -1;
        if (letter == 'q') {
            const bool beside = candidates && king >= 0 && int(lowest_square(candidates)) < king;
            rooks |= beside ? candidates & (~candidates + 1) : back_rank & 0x0101010101010101ull;
        } else if (letter == 'k') {
            const bool beside = candidates && king >= 0 && king < int(highest_square(candidates));
            rooks |= beside ? SQUARE_MASKS[highest_square(candidates)] : back_rank & 0x8080808080808080ull;
        } else if (letter >= 'a' && letter <= 'h') {
            rooks |= back_rank & (0x0101010101010101ull << (letter - 'a'));
        }
    }
    return rooks;
}

// Whether the rights name castling only Chess960 has, as python-chess judges it:
// its valid Chess960 rights hold a rook off the corners, or a king off e1 or e8.
bool has_chess960_castling(const Position& position, std::string_view field) {
    const Bitboard castling = castling_rooks(position, field) & position.rooks;
    Bitboard valid = 0;
    for (const bool white : {true, false}) {
        const Bitboard own = colour_pieces(position, white);
        const Bitboard side = castling & rank_of_side(white) & own;
        const Bitboard king = own & position.kings & rank_of_side(white);
        if (!side || !king) continue;
        const Bitboard a_side = side & (~side + 1);
        const Bitboard h_side = SQUARE_MASKS[highest_square(side)];
        if (highest_square(a_side) < highest_square(king)) valid |= a_side;
        if (highest_square(h_side) > highest_square(king)) valid |= h_side;
    }
    constexpr Bitboard CORNERS = 0x8100000000000081ull;
    const Bitboard white_king_home = position.kings & position.white_pieces & SQUARE_MASKS[4];
    const Bitboard black_king_home = position.kings & position.black_pieces & SQUARE_MASKS[60];
    return (valid & ~CORNERS) || ((valid & rank_of_side(true)) && !white_king_home) ||
           ((valid & rank_of_side(false)) && !black_king_home);
}

// The castling field of FEN text: its third field, as str.split() cuts it.
std::string_view castling_field_of(std::string_view fen) {
    std::size_t at = 0;
    for (int field = 0;; ++field) {
        while (const std::size_t space = space_length(fen, at)) at += space;
        std::size_t end = at;
        while (end < fen.size() && !space_length(fen, end)) ++end;
        if (field == 2 || end == at) return fen.substr(at, end - at);
        at = end;
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
        game.start = board_from_strict_fen(view(fen->value));
        if (has_chess960_castling(game.start.position, castling_field_of(view(fen->value)))) {
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
