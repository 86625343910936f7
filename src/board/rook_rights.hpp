// Castling rights held as the squares of the rooks they belong to, as python-chess
// holds them: how a FEN castling field grants them, which of them can be used, and
// how python-chess writes the usable ones back. Strict FEN reading normalizes the
// castling field by these rules and the validity check judges rights by them.
#pragma once

#include <string>
#include <string_view>

#include "board.hpp"

namespace tarvik {

// The rook squares a castling field (characters of KQA..H and kqa..h, or "-")
// grants: K the rook furthest right of the king on its back rank, Q the one furthest
// left, a file letter the square of that file; without such a rook, or without a
// king, K and Q grant the corner. The king is the side's highest king not in
// `promoted` (the squares a FEN marks "~").
Bitboard granted_rooks(const Position& position, Bitboard promoted, std::u32string_view field);

// The granted rooks whose rights can be used: a rook of the side in its corner and
// the side's king, not promoted, on e1 or e8.
Bitboard usable_rooks(const Position& position, Bitboard promoted, Bitboard granted);

// Whether the granted rights are Chess960's, as python-chess judges them: of each
// side's granted rooks, the outermost on either side of its king (not promoted, on
// its back rank) count, and one of them stands off the corners, or its king off e1
// or e8.
bool has_chess960_rights(const Position& position, Bitboard promoted, Bitboard granted);

// Usable rights as python-chess's fen() writes them: for White then Black, each rook
// from the highest as k or q by its side of the king (upper case for White), by its
// file letter when another rook of the side on that rank stands further out on the
// same side; "-" for none.
std::string rook_rights_text(const Position& position, Bitboard promoted, Bitboard usable);

}  // namespace tarvik
