#include "queries.hpp"

#include "attacks.hpp"
#include "pieces.hpp"
#include "sliders.hpp"

namespace tarvik {

char piece_letter_at(const Position& position, Square square) {
    const Bitboard mask = SQUARE_MASKS[square];
    // Black before White and the last set first: what square_symbols writes last.
    for (const bool white : {false, true}) {
        if (!(colour_pieces(position, white) & mask)) continue;
        for (int piece = KING; piece >= PAWN; --piece) {
            if (position.*PIECE_TYPES[piece].set & mask) {
                const char letter = PIECE_TYPES[piece].letter;
                return white ? white_letter(letter) : letter;
            }
        }
    }
    return 0;
}

std::optional<Square> king_square(const Position& position, bool white) {
    const Bitboard kings = position.kings & colour_pieces(position, white);
    if (!kings) return std::nullopt;
    return highest_square(kings);
}

Bitboard attacks_from(const Position& position, Square square) {
    const Bitboard occupancy = occupied(position);
    switch (piece_letter_at(position, square)) {
        case 0: return 0;
        // A pawn attacks the squares from which a pawn of the other colour could take it.
        case 'P': return pawn_capturers(false, SQUARE_MASKS[square]);
        case 'p': return pawn_capturers(true, SQUARE_MASKS[square]);
        case 'N': case 'n': return KNIGHT_ATTACKS[square];
        case 'K': case 'k': return KING_ATTACKS[square];
        case 'B': case 'b': return diagonal_reach(square, occupancy);
        case 'R': case 'r': return orthogonal_reach(square, occupancy);
        default: return diagonal_reach(square, occupancy) | orthogonal_reach(square, occupancy);
    }
}

Bitboard checkers(const Position& position) {
    const std::optional<Square> king = king_square(position, position.turn);
    return king ? attackers(position, !position.turn, *king, occupied(position)) : 0;
}

Bitboard pin_line(const Position& position, bool white, Square square) {
    constexpr Bitboard EVERY_SQUARE = ~Bitboard{0};
    const std::optional<Square> king = king_square(position, white);
    if (!king || !LINE_THROUGH[*king][square]) return EVERY_SQUARE;
    const Bitboard enemy = colour_pieces(position, !white);
    const Bitboard sliders = ORTHOGONALS[*king] & SQUARE_MASKS[square] ? position.rooks | position.queens
                                                                        : position.bishops | position.queens;
    const Bitboard others = occupied(position) & ~SQUARE_MASKS[square];
    for (Bitboard snipers = sliders & enemy & LINE_THROUGH[*king][square]; snipers; snipers &= snipers - 1) {
        const Bitboard between = SQUARES_BETWEEN[*king][lowest_square(snipers)];
        if ((between & SQUARE_MASKS[square]) && !(between & others)) return LINE_THROUGH[*king][square];
    }
    return EVERY_SQUARE;
}

}  // namespace tarvik
