#include "legal.hpp"

#include <algorithm>
#include <optional>

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
// type and one colour, each side has exactly one king, and an en-passant square,
// if any, is empty.
bool is_orderly(const Position& p) {
    const Bitboard sets[] = {p.pawns, p.rooks, p.knights, p.bishops, p.queens, p.kings};
    Bitboard seen = 0;
    for (const Bitboard set : sets) {
        if (seen & set) return false;
        seen |= set;
    }
    const auto single = [](Bitboard set) { return set && !(set & (set - 1)); };
    return !(p.white_pieces & p.black_pieces) && seen == occupied(p) && single(p.kings & p.white_pieces) &&
           single(p.kings & p.black_pieces) &&
           !(p.en_passant && (*p.en_passant >= 64 || (seen & SQUARE_MASKS[*p.en_passant])));
}

// The squares strictly between two squares on one line; none when they share no line.
Bitboard squares_between(Square from, Square to) {
    for (const auto& rays : RAYS) {
        if (rays[from] & SQUARE_MASKS[to]) return rays[from] & ~rays[to] & ~SQUARE_MASKS[to];
    }
    return 0;
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

// What decides the legality of candidates in an orderly position where the side
// not to move is not attacked. There the other side's moves reach the mover's king
// exactly where its pieces attack it by the rules of chess, so a move other than a
// king move or an en-passant capture can only expose the king by leaving a pin, and
// can only answer a check by taking the single checker or stepping between.
struct KingSafety {
    Square king;
    Bitboard pinned;
    Bitboard en_passant_target;
    Bitboard evasion_targets;  // where any other move must land
};

std::optional<KingSafety> king_safety(const Position& position) {
    if (!is_orderly(position)) return std::nullopt;
    const bool white = position.turn;
    const Square king = highest_square(position.kings & own_pieces(position));
    const Square enemy_king = highest_square(position.kings & enemy_pieces(position));
    // A candidate that takes the other king makes the check test fail: leave that to the literal test.
    if (is_destination(position, white, enemy_king)) return std::nullopt;
    const Bitboard checkers = attackers(position, !white, king, occupied(position));
    Bitboard evasion_targets = ~Bitboard{0};
    if (checkers) {
        const bool single = (checkers & (checkers - 1)) == 0;
        evasion_targets = single ? checkers | squares_between(king, lowest_square(checkers)) : 0;
    }
    const Bitboard en_passant_target = position.en_passant ? SQUARE_MASKS[*position.en_passant] : 0;
    return KingSafety{king, pinned_pieces(position, king), en_passant_target, evasion_targets};
}

// Whether the king, stepping to `to`, would stand attacked there. Its own square
// no longer blocks, and a piece taken on `to` no longer attacks.
bool king_step_attacked(const Position& position, Square king, Square to) {
    const Bitboard target = SQUARE_MASKS[to];
    const Bitboard occupancy = (occupied(position) & ~SQUARE_MASKS[king]) | target;
    return (attackers(position, !position.turn, to, occupancy) & ~target) != 0;
}

bool is_legal(const Position& position, const KingSafety& safety, const Move& move) {
    const Bitboard from = SQUARE_MASKS[move.from_square];
    const Bitboard to = SQUARE_MASKS[move.to_square];
    if (move.from_square == safety.king) return !king_step_attacked(position, safety.king, move.to_square);
    // A pinned piece may leave its line, and taking en passant empties a second square.
    if ((from & safety.pinned) || ((from & position.pawns) && (to & safety.en_passant_target))) {
        return !leaves_king_attacked(position, move);
    }
    return (to & safety.evasion_targets) != 0;
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
    const std::size_t first_candidate = moves.size();
    pseudo_legal_moves(position, moves);
    // Keep the legal candidates in place, in generation order.
    const std::optional<KingSafety> safety = king_safety(position);
    std::size_t kept = first_candidate;
    for (std::size_t i = first_candidate; i < moves.size(); ++i) {
        const Move& move = moves[i];
        if (safety ? is_legal(position, *safety, move) : !leaves_king_attacked(position, move)) moves[kept++] = move;
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
