#include "pieces.hpp"

#include "failure.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

// Shared by the const and the mutable lookup.
template <class P>
auto find_piece_set(P& position, char32_t letter) -> decltype(&position.pawns) {
    for (const PieceType& type : PIECE_TYPES) {
        if (letter == char32_t(type.letter) || letter == char32_t(white_letter(type.letter))) {
            return &(position.*type.set);
        }
    }
    return nullptr;
}

Bitboard& checked_piece_set(Position& position, char32_t letter) {
    Bitboard* set = piece_set(position, letter);
    if (!set) fail("Invalid piece type");
    return *set;
}

}  // namespace

Bitboard* piece_set(Position& position, char32_t letter) { return find_piece_set(position, letter); }
const Bitboard* piece_set(const Position& position, char32_t letter) { return find_piece_set(position, letter); }

Bitboard get_pieces(const Position& position, char32_t letter) {
    switch (letter) {
        case 'W': case 'w': return position.white_pieces;
        case 'A': case 'a': return occupied(position);
        default: break;
    }
    if (const Bitboard* set = piece_set(position, letter)) return *set;
    fail("Invalid piece type: " + to_utf8(letter));
}

void set_pieces_or(Position& position, char32_t letter, Bitboard bitboard) {
    checked_piece_set(position, letter) |= bitboard;
    (letter >= 'A' && letter <= 'Z' ? position.white_pieces : position.black_pieces) |= bitboard;
}

void set_pieces_xor(Position& position, char32_t letter, Bitboard bitboard) {
    checked_piece_set(position, letter) ^= bitboard;
}

}  // namespace tarvik
