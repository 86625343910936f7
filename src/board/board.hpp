// The records of a game: the position, its castling rights, and the board that
// owns a position together with its FEN text and the two undo stacks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bitboard.hpp"
#include "move.hpp"

namespace tarvik {

// The castling letters that the rules of play delete: K and Q for White, k and q
// for Black.
enum CastlingLetter : std::uint8_t {
    WHITE_KING_SIDE = 1,
    WHITE_QUEEN_SIDE = 2,
    BLACK_KING_SIDE = 4,
    BLACK_QUEEN_SIDE = 8,
};
inline constexpr std::uint8_t WHITE_LETTERS = WHITE_KING_SIDE | WHITE_QUEEN_SIDE;
inline constexpr std::uint8_t BLACK_LETTERS = BLACK_KING_SIDE | BLACK_QUEEN_SIDE;

// The CastlingLetter bit of K, Q, k or q; 0 for any other character.
constexpr std::uint8_t castling_letter_bit(char32_t c) {
    switch (c) {
        case U'K': return WHITE_KING_SIDE;
        case U'Q': return WHITE_QUEEN_SIDE;
        case U'k': return BLACK_KING_SIDE;
        case U'q': return BLACK_QUEEN_SIDE;
        default: return 0;
    }
}

// The castling text of a position. It only ever arises as the board's FEN castling
// field with some of K, Q, k and q deleted (every occurrence of a letter at once),
// or absent; so a position records which of the four letters the text still holds
// and reads the rest from its board's CastlingField.
struct CastlingRights {
    bool present = false;
    std::uint8_t letters = 0;  // CastlingLetter bits
};

// One character of the castling field that some side selects: White the
// upper-case characters, Black the lower-case ones.
struct CastlingEntry {
    bool king_side;          // K or k; every other selected character asks for the queen side
    std::uint8_t deletable;  // its CastlingLetter bit, or 0 for a character nothing deletes
};

// The board's FEN castling field, read once when the FEN is parsed.
struct CastlingField {
    std::string text;                  // the field as the FEN gives it
    std::vector<CastlingEntry> white;  // in the order of the text
    std::vector<CastlingEntry> black;
    std::uint8_t letters = 0;          // the CastlingLetter bits the text holds
};

// Every field that a move changes and a snapshot restores.
struct Position {
    Bitboard pawns = 0;
    Bitboard rooks = 0;
    Bitboard knights = 0;
    Bitboard bishops = 0;
    Bitboard queens = 0;
    Bitboard kings = 0;
    Bitboard white_pieces = 0;
    Bitboard black_pieces = 0;
    std::uint32_t half_move_clock = 0;
    std::uint32_t full_move_number = 0;
    std::optional<std::uint8_t> en_passant;
    bool turn = true;  // true: White to move
    CastlingRights castling_rights;
};

// A snapshot of a position, pushed on the history before each applied move. Its
// castling letters refer to the castling field of the board that took it.
using BoardState = Position;

inline Bitboard& own_pieces(Position& p) { return p.turn ? p.white_pieces : p.black_pieces; }
inline Bitboard& enemy_pieces(Position& p) { return p.turn ? p.black_pieces : p.white_pieces; }
inline Bitboard own_pieces(const Position& p) { return p.turn ? p.white_pieces : p.black_pieces; }
inline Bitboard enemy_pieces(const Position& p) { return p.turn ? p.black_pieces : p.white_pieces; }
inline Bitboard colour_pieces(const Position& p, bool white) { return white ? p.white_pieces : p.black_pieces; }
inline Bitboard occupied(const Position& p) { return p.white_pieces | p.black_pieces; }

// What a board keeps of the FEN text it was built from: the text itself and its
// castling field. Neither ever changes, so copies of a board share them.
struct FenOrigin {
    std::string fen;
    CastlingField castling_field;
};

struct Board {
    Position position;
    std::shared_ptr<const FenOrigin> origin;  // set by board_from_fen
    std::vector<Move> move_stack;
    std::vector<BoardState> history;  // history[i]: the position before move_stack[i]

    const std::string& fen() const { return origin->fen; }
    const CastlingField& castling_field() const { return origin->castling_field; }
};

// What each square shows, a1 first: a piece letter (upper case for White) or '.'.
// A square in several piece sets shows the last of P R N B Q K, a square in both
// colours the black letter, and a square of a piece set in no colour '.'.
std::array<char, 64> square_symbols(const Position& position);

// The position as eight lines of eight symbols, rank 8 first.
std::string board_text(const Position& position);

}  // namespace tarvik
