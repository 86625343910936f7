// Raw access to the piece sets by piece letter. The OR rule places pieces (FEN
// parsing); the XOR rule moves them (applying a move). Neither checks consistency.
#pragma once

#include <array>

#include "board.hpp"

namespace tarvik {

// The six piece types, each with its letter (lower case; White's is the upper-case
// letter) and its set. Their order is the engine's everywhere: the order a square's
// piece is looked for (piece_on), the text form's order of precedence, the order of
// the sets in a pickled game.
struct PieceType {
    char letter;
    Bitboard Position::*set;
};
inline constexpr std::array<PieceType, 6> PIECE_TYPES{{{'p', &Position::pawns},
                                                       {'r', &Position::rooks},
                                                       {'n', &Position::knights},
                                                       {'b', &Position::bishops},
                                                       {'q', &Position::queens},
                                                       {'k', &Position::kings}}};
inline constexpr int PAWN = 0, KING = 5, NO_PIECE = -1;

constexpr char white_letter(char letter) { return char(letter - 'a' + 'A'); }

// Every set of a position: the piece sets in the order above, then White's and Black's.
inline constexpr std::array<Bitboard Position::*, 8> POSITION_SETS = [] {
    std::array<Bitboard Position::*, 8> sets{};
    for (std::size_t i = 0; i < PIECE_TYPES.size(); ++i) sets[i] = PIECE_TYPES[i].set;
    sets[6] = &Position::white_pieces;
    sets[7] = &Position::black_pieces;
    return sets;
}();

// The set a promotion letter (r, n, b or q) puts the new piece into, or nullptr.
constexpr Bitboard Position::*promotion_set(char32_t letter) {
    for (int piece = PAWN + 1; piece < KING; ++piece) {
        if (letter == char32_t(PIECE_TYPES[piece].letter)) return PIECE_TYPES[piece].set;
    }
    return nullptr;
}

// The index into PIECE_TYPES of the first set that holds the square, or NO_PIECE.
// Colour plays no part, and on a broken board the first set wins.
inline int piece_on(const Position& position, Bitboard square) {
    // Most squares a move looks at are empty: one test over all six sets answers those.
    const Bitboard pieces = position.pawns | position.rooks | position.knights | position.bishops |
                            position.queens | position.kings;
    if (!(pieces & square)) return NO_PIECE;
    for (int piece = 0; piece < 6; ++piece) {
        if (position.*PIECE_TYPES[piece].set & square) return piece;
    }
    return NO_PIECE;
}

// The piece letter (p r n b q k) of a move's mover: the first piece set that holds
// the origin, as apply_move finds it; '\0' for an empty origin.
inline char mover_letter(const Position& position, const Move& move) {
    const int piece = piece_on(position, SQUARE_MASKS[move.from_square]);
    return piece == NO_PIECE ? '\0' : PIECE_TYPES[std::size_t(piece)].letter;
}

// The piece-type set named by P, R, N, B, Q or K in either case; nullptr for any
// other character.
Bitboard* piece_set(Position& position, char32_t letter);
const Bitboard* piece_set(const Position& position, char32_t letter);

// Also W (white pieces) and A (all pieces), in either case.
Bitboard get_pieces(const Position& position, char32_t letter);

// Adds `bitboard` to the letter's piece-type set and to the colour set of its case.
void set_pieces_or(Position& position, char32_t letter, Bitboard bitboard);

// Toggles `bitboard` in the letter's piece-type set only.
void set_pieces_xor(Position& position, char32_t letter, Bitboard bitboard);

}  // namespace tarvik
