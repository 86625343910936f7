#include "perft.hpp"

#include "apply.hpp"
#include "legal.hpp"

namespace tarvik {

std::uint64_t perft(const Position& position, const CastlingField& field, unsigned depth) {
    if (depth == 0) return 1;
    MoveList moves;
    legal_moves(position, field, moves);
    // At the last ply the leaves are the legal moves themselves: count, don't play.
    if (depth == 1) return moves.size();
    // Copy-make: every child is a fresh copy of its parent, so nothing has to be
    // taken back and the recursion needs no undo stack.
    std::uint64_t nodes = 0;
    for (const Move& move : moves) {
        Position child = position;
        make_move(child, move);
        nodes += perft(child, field, depth - 1);
    }
    return nodes;
}

}  // namespace tarvik
