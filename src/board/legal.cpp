#include "legal.hpp"

#include "apply.hpp"
#include "attacks.hpp"
#include "castling.hpp"
#include "movegen.hpp"

namespace tarvik {
namespace {

bool leaves_king_attacked(const Position& position, const Move& move) {
    Position after = position;
    make_move(after, move);
    after.turn = position.turn;
    return is_check(after);
}

bool has_no_legal_move(const Position& position, const CastlingField& field) {
    // The whole list is built: a later candidate may still fail, and that failure
    // must not depend on what came before it.
    MoveList moves;
    legal_moves(position, field, moves);
    return moves.empty();
}

}  // namespace

void legal_moves(const Position& position, const CastlingField& field, MoveList& moves) {
    castling_moves(position, field, moves);
    MoveList candidates;
    pseudo_legal_moves(position, candidates);
    for (const Move& move : candidates) {
        if (!leaves_king_attacked(position, move)) moves.push_back(move);
    }
}

bool is_checkmate(const Position& position, const CastlingField& field) {
    return is_check(position) && has_no_legal_move(position, field);
}

bool is_stalemate(const Position& position, const CastlingField& field) {
    return !is_check(position) && has_no_legal_move(position, field);
}

bool is_game_over(const Position& position, const CastlingField& field) {
    return is_checkmate(position, field) || is_stalemate(position, field);
}

}  // namespace tarvik
