// Castling: the rights text, how moves shrink it, and the castling moves it allows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// Reads a FEN castling field (any text but "-").
CastlingField read_castling_field(std::string_view text);

// The rights text as it stands: the FEN field with the letters play has deleted
// taken out; absent when the rights are.
std::optional<std::string> castling_text(const Position& position, const CastlingField& field);

// The wings each side may still castle to by its rights, as CastlingLetter bits
// (K for White's king side, and so on): a character of the field selects the wing
// and play has not deleted it, and the side's king and that rook stand at home.
// Positions that differ only in rights no move could ever use are the same here.
std::uint8_t castling_wings(const Position& position, const CastlingField& field);

// Wings as a castling field names them: K, Q, k and q in that order, "-" for none.
std::string wings_text(std::uint8_t wings);

// Whether the side to move still holds one of its letters (K or Q for White, k or q
// for Black).
bool check_castling_rights(const Position& position);

// id 'a' makes the rights absent for both sides; 'k' and 'q' delete the side to
// move's king-side or queen-side letter.
void remove_castling_rights(Position& position, char32_t id);

// The rights step of applying a move from `from` to `to`, run before any piece
// moves. A king move deletes its side's letters; a rook leaving its own corner,
// and any move onto a corner, deletes that corner's letter. Returns whether the
// move castles: a king move of exactly two squares by a side that held a right.
bool update_castling_rights(Position& position, Square from, Square to, int distance);

// Whether a move is castling: the mover is a king (mover_letter) and goes two
// squares, which only castling does.
bool castles(const Position& position, const Move& move);

// Castling written as the king taking its own rook, as books and some UCI dialects
// write it: e1h1 is e1g1 and e1a1 is e1c1 when a king (of either colour, as the
// king set says) stands on e1; the same on e8. Other moves come back unchanged.
Move castling_as_king_move(Move move, Bitboard kings);

// The castling moves allowed now, in the order of the rights text: king and rook at
// home, the squares between them empty, and the king's path not attacked.
void castling_moves(const Position& position, const CastlingField& field, MoveList& moves);

}  // namespace tarvik
