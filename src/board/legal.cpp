#include "legal.hpp"

#include <bit>

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

// A position as play produces it: every occupied square holds exactly one piece
// type and one colour, and each side has exactly one king.
bool is_orderly(const Position& p) {
    const Bitboard sets[] = {p.pawns, p.rooks, p.knights, p.bishops, p.queens, p.kings};
    Bitboard seen = 0;
    for (const Bitboard set : sets) {
        if (seen & set) return false;
        seen |= set;
    }
    return !(p.white_pieces & p.black_pieces) && seen == occupied(p) &&
           std::popcount(p.kings & p.white_pieces) == 1 && std::popcount(p.kings & p.black_pieces) == 1;
}

// Pieces of the king's side that alone stand between the king and an enemy slider
// moving along that line.
Bitboard pinned_pieces(const Position& position, Square king) {
    const Bitboard own = own_pieces(position);
    const Bitboard enemy = enemy_pieces(position);
    const Bitboard occupancy = own | enemy;
    Bitboard pinned = 0;
    for (std::size_t direction = 0; direction < 8; ++direction) {
        const auto nearest = [direction](Bitboard set) {
            return increasing_ray(direction) ? lowest_square(set) : highest_square(set);
        };
        const Bitboard first_blockers = RAYS[direction][king] & occupancy;
        if (!first_blockers) continue;
        const Square shield = nearest(first_blockers);
        if (!(own & SQUARE_MASKS[shield])) continue;
        const Bitboard second_blockers = RAYS[direction][shield] & occupancy;
        if (!second_blockers) continue;
        const bool diagonal = direction == 0 || direction == 2 || direction == 5 || direction == 7;
        const Bitboard sliders = (diagonal ? position.bishops : position.rooks) | position.queens;
        if (enemy & sliders & SQUARE_MASKS[nearest(second_blockers)]) pinned |= SQUARE_MASKS[shield];
    }
    return pinned;
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

    // In an orderly position where neither king is attacked, a move can only expose
    // its own king by moving the king, by leaving a pin, or by taking en passant
    // (which empties a second square). Only those are tried on a copy; anything
    // unusual tries every candidate.
    bool try_all = !is_orderly(position);
    Square king = 0;
    Bitboard must_try = 0;
    if (!try_all) {
        const bool white = position.turn;
        king = highest_square(position.kings & own_pieces(position));
        const Square enemy_king = highest_square(position.kings & enemy_pieces(position));
        try_all = is_destination(position, !white, king) || is_destination(position, white, enemy_king);
        must_try = SQUARE_MASKS[king] | pinned_pieces(position, king);
    }
    for (const Move& move : candidates) {
        const bool takes_en_passant =
            position.en_passant == move.to_square && (position.pawns & SQUARE_MASKS[move.from_square]);
        const bool risky = try_all || (must_try & SQUARE_MASKS[move.from_square]) || takes_en_passant;
        if (!risky || !leaves_king_attacked(position, move)) moves.push_back(move);
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
