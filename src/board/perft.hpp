// Perft: the number of leaf paths of the legal move tree below a position, the
// standard check of a move generator against published counts and other programs.
#pragma once

#include <cstdint>

#include "board.hpp"

namespace tarvik {

// Leaf paths `depth` plies deep (1 at depth 0). Only the position and the board's
// castling field are read; the caller's board is never changed.
std::uint64_t perft(const Position& position, const CastlingField& field, unsigned depth);

}  // namespace tarvik
