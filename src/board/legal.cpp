#include "legal.hpp"

#include <algorithm>
#include <optional>

#include "attacks.hpp"
#include "castling.hpp"
#include "generators.hpp"
#include "king_safety.hpp"
#include "movegen.hpp"

namespace tarvik {
namespace {

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
    if (const std::optional<KingSafety> safety = king_safety(position)) {
        generate_moves(position, LegalTargets{position, *safety}, moves);
        return;
    }
    // Any other position: try every candidate on a copy, keeping the legal ones in
    // place, in generation order.
    const std::size_t first_candidate = moves.size();
    pseudo_legal_moves(position, moves);
    std::size_t kept = first_candidate;
    for (std::size_t i = first_candidate; i < moves.size(); ++i) {
        if (!leaves_king_attacked(position, moves[i])) moves[kept++] = moves[i];
    }
    moves.truncate(kept);
}

bool is_legal_move(const Position& position, const CastlingField& field, const Move& move) {
    MoveList moves;
    legal_moves(position, field, moves);
    return std::find(moves.begin(), moves.end(), move) != moves.end();
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
