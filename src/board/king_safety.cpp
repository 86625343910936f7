#include "king_safety.hpp"

#include "apply.hpp"
#include "attacks.hpp"
#include "pieces.hpp"
#include "sliders.hpp"

namespace tarvik {
namespace {

bool is_orderly(const Position& p) {
    Bitboard seen = 0;
    for (const PieceType& type : PIECE_TYPES) {
        if (seen & p.*type.set) return false;
        seen |= p.*type.set;
    }
    const auto single = [](Bitboard set) { return set && !(set & (set - 1)); };
    if ((p.white_pieces & p.black_pieces) || seen != occupied(p) || !single(p.kings & p.white_pieces) ||
        !single(p.kings & p.black_pieces)) {
        return false;
    }
    if (!p.en_passant) return true;
    if (*p.en_passant >= 64 || (seen & SQUARE_MASKS[*p.en_passant])) return false;
    // Taking en passant removes what stands behind the square, as the side to move
    // sees it: anything but an enemy pawn there would leave a piece without its
    // colour, and play would leave the orderly positions.
    const Bitboard behind = p.turn ? SQUARE_MASKS[*p.en_passant] >> 8 : SQUARE_MASKS[*p.en_passant] << 8;
    return !(behind & seen & ~(p.pawns & enemy_pieces(p)));
}

// The squares next to the king it may step to.
Bitboard king_steps(const Position& position, Square king) {
    Bitboard safe = 0;
    for (Bitboard steps = KING_ATTACKS[king] & ~own_pieces(position); steps; steps &= steps - 1) {
        const Square to = lowest_square(steps);
        if (king_may_step(position, king, to)) safe |= SQUARE_MASKS[to];
    }
    return safe;
}

// The enemy sliders on one of the king's lines that move along it.
Bitboard snipers(const Position& position, Square king) {
    return enemy_pieces(position) & (((position.rooks | position.queens) & ORTHOGONALS[king]) |
                                     ((position.bishops | position.queens) & DIAGONALS[king]));
}

// Own pieces that alone stand between the king and an enemy slider on their line.
Bitboard pinned_pieces(const Position& position, Square king) {
    const Bitboard own = own_pieces(position);
    const Bitboard enemy = enemy_pieces(position);
    Bitboard pinned = 0;
    for (Bitboard s = snipers(position, king); s; s &= s - 1) {
        const Bitboard between = SQUARES_BETWEEN[king][lowest_square(s)] & (own | enemy);
        if (between && !(between & (between - 1)) && (between & own)) pinned |= between;
    }
    return pinned;
}

}  // namespace

bool is_pinned_to(const Position& position, Square king, Square square) {
    const Bitboard occupancy = occupied(position);
    for (Bitboard s = snipers(position, king) & LINE_THROUGH[king][square]; s; s &= s - 1) {
        if ((SQUARES_BETWEEN[king][lowest_square(s)] & occupancy) == SQUARE_MASKS[square]) return true;
    }
    return false;
}

bool king_may_step(const Position& position, Square king, Square to) {
    // Not attacked once it stands there, its own square no longer blocking a slider
    // that checks it, and a piece it takes no longer attacking.
    const Bitboard occupancy = occupied(position) & ~SQUARE_MASKS[king];
    return !(attackers(position, !position.turn, to, occupancy) & ~SQUARE_MASKS[to]);
}

std::optional<PinsAndChecks> pins_and_checks(const Position& position) {
    if (!is_orderly(position)) return std::nullopt;
    const bool white = position.turn;
    const Square king = highest_square(position.kings & own_pieces(position));
    const Square enemy_king = highest_square(position.kings & enemy_pieces(position));
    if (is_destination(position, white, enemy_king)) return std::nullopt;
    const Bitboard occupancy = occupied(position);
    const Bitboard checkers = attackers(position, !white, king, occupancy);
    Bitboard evasion_targets = ~Bitboard{0};
    if (checkers) {
        const bool single = (checkers & (checkers - 1)) == 0;
        evasion_targets = single ? checkers | SQUARES_BETWEEN[king][lowest_square(checkers)] : 0;
    }
    return PinsAndChecks{king, pinned_pieces(position, king), evasion_targets};
}

std::optional<KingSafety> king_safety(const Position& position) {
    const std::optional<PinsAndChecks> found = pins_and_checks(position);
    if (!found) return std::nullopt;
    return KingSafety{*found, king_steps(position, found->king)};
}

bool leaves_king_attacked(const Position& position, const Move& move) {
    Position after = position;
    make_move(after, move);
    after.turn = position.turn;
    return is_check(after);
}

}  // namespace tarvik
