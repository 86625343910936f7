// The Polyglot key of a position, as opening books and transposition tables know it.
#pragma once

#include <cstdint>

#include "board.hpp"

namespace tarvik {

// Every piece on its square, the castling wings still usable by rights
// (castling_wings), the file of the en-passant square when a pawn of the side to
// move stands ready to take there (whether or not taking is legal), and White to
// move. On a broken board a square counts once for every piece set and colour
// that hold it.
std::uint64_t zobrist_hash(const Position& position, const CastlingField& field);

}  // namespace tarvik
