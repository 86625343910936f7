// What decides the legality of moves in an orderly position, computed once per
// position instead of trying each candidate on a copy.
//
// In a position as play produces it (see king_safety below), the other side's
// pseudo-legal moves reach the mover's king exactly where its pieces attack it by
// the rules of chess. So a move other than a king move or an en-passant capture
// leaves the king attacked only by leaving the line of a pin, and answers a check
// only by taking the single checker or stepping between; the king may step only to
// squares not attacked with the king itself lifted off the board (it would
// otherwise hide the squares behind it from a slider that checks it).
#pragma once

#include <optional>

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// What decides the legality of every move but the king's.
struct PinsAndChecks {
    Square king;
    Bitboard pinned;           // own pieces that alone stand between the king and an enemy slider
    Bitboard evasion_targets;  // where every move but the king's must land: all squares when not in check
};

struct KingSafety : PinsAndChecks {
    Bitboard king_targets;     // where the king may step
};

// Present when the position is orderly and the side not to move is not attacked:
// every occupied square holds exactly one piece type and one colour, each side has
// exactly one king, an en-passant square (if any) is empty, and no move of the side
// to move could take the other king (that capture makes the legality test fail,
// which is left to trying the moves).
std::optional<PinsAndChecks> pins_and_checks(const Position& position);
std::optional<KingSafety> king_safety(const Position& position);

// Whether the piece on `square` alone stands between the side to move's king and
// an enemy slider on their line: then it may only move along that line.
bool is_pinned_to(const Position& position, Square king, Square square);

// Whether the king may step to `to`, one of its steps onto no own piece, in a
// position where pins_and_checks is present: the square is not attacked with the
// king lifted off the board.
bool king_may_step(const Position& position, Square king, Square to);

// Whether the mover's king stands attacked after the move: the move is played on a
// copy. Exact in every position; fails as the check test does.
bool leaves_king_attacked(const Position& position, const Move& move);

// The legal targets of each origin, as the generators (generators.hpp) ask for them.
// An en-passant capture empties a second square, so it is tried on a copy.
struct LegalTargets {
    const Position& position;
    const KingSafety& safety;

    Bitboard from(Square origin) const {
        if (origin == safety.king) return safety.king_targets;
        if (SQUARE_MASKS[origin] & safety.pinned) return safety.evasion_targets & LINE_THROUGH[safety.king][origin];
        return safety.evasion_targets;
    }
    bool en_passant(Square from, Square to) const { return !leaves_king_attacked(position, {from, to}); }
};

}  // namespace tarvik
