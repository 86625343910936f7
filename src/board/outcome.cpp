#include "outcome.hpp"

#include "attacks.hpp"
#include "broken.hpp"
#include "draws.hpp"
#include "legal.hpp"

namespace tarvik {
namespace {

std::optional<Outcome> find_outcome(const Board& board, bool claim_draw) {
    const Position& position = board.position;
    const CastlingField& field = board.castling_field();
    MoveList legal;
    legal_moves(position, field, legal);
    if (legal.empty() && is_check(position)) return Outcome{Termination::checkmate, !position.turn};
    if (is_insufficient_material(position)) return Outcome{Termination::insufficient_material, std::nullopt};
    if (legal.empty()) return Outcome{Termination::stalemate, std::nullopt};
    if (position.half_move_clock >= 150) return Outcome{Termination::seventyfive_moves, std::nullopt};
    if (is_repetition(board, 5)) return Outcome{Termination::fivefold_repetition, std::nullopt};
    if (claim_draw && can_claim_fifty_moves(position, field, legal)) {
        return Outcome{Termination::fifty_moves, std::nullopt};
    }
    if (claim_draw && can_claim_threefold_repetition(board, legal)) {
        return Outcome{Termination::threefold_repetition, std::nullopt};
    }
    return std::nullopt;
}

// A draw claim, given the legal moves.
template <class Claim>
bool claim(const Board& board, Claim&& holds) {
    return rejecting_broken(board.position, [&] {
        MoveList legal;
        legal_moves(board.position, board.castling_field(), legal);
        return holds(legal);
    });
}

}  // namespace

const char* result_text(const std::optional<Outcome>& outcome) {
    if (!outcome) return "*";
    if (!outcome->winner) return "1/2-1/2";
    return *outcome->winner ? "1-0" : "0-1";
}

std::optional<Outcome> outcome(const Board& board, bool claim_draw) {
    return rejecting_broken(board.position, [&] { return find_outcome(board, claim_draw); });
}

bool can_claim_fifty_moves(const Board& board) {
    return claim(board, [&](const MoveList& legal) {
        return can_claim_fifty_moves(board.position, board.castling_field(), legal);
    });
}

bool can_claim_threefold_repetition(const Board& board) {
    return claim(board, [&](const MoveList& legal) { return can_claim_threefold_repetition(board, legal); });
}

bool can_claim_draw(const Board& board) {
    return claim(board, [&](const MoveList& legal) {
        return can_claim_fifty_moves(board.position, board.castling_field(), legal) ||
               can_claim_threefold_repetition(board, legal);
    });
}

}  // namespace tarvik
