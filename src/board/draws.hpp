// Draws by the rules beside stalemate: repetition, the fifty- and seventy-five-move
// rules and insufficient material.
#pragma once

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// Whether the current position has occurred `count` times (itself included; true
// for a count of 1 or less). Earlier positions are those the history holds, back
// to the last irreversible move (a capture, a pawn move, or one that took castling
// rights away). Positions are the same when their pieces, side to move, usable
// castling wings and en-passant square, counted only while a legal capture there
// exists, are the same.
bool is_repetition(const Board& board, long long count);

// Whether the side to move can claim a draw by threefold repetition: the position has
// occurred three times (as is_repetition counts), or one of the `legal` moves leads
// to a position that has occurred twice.
bool can_claim_threefold_repetition(const Board& board, const MoveList& legal);

// Whether the side to move can claim a draw by the fifty-move rule: the rule holds
// now (is_clock_draw at 100), or, at a clock of 99, one of the `legal` moves makes
// it hold.
bool can_claim_fifty_moves(const Position& position, const CastlingField& field, const MoveList& legal);

// Whether the side to move has a legal en-passant capture.
bool has_legal_en_passant(const Position& position, const CastlingField& field);

// Whether the half-move clock has reached `half_moves` and the side to move has a
// legal move: a mate on the last move of the count ends the game first.
bool is_clock_draw(const Position& position, const CastlingField& field, std::uint32_t half_moves);

// Whether neither side can mate, whatever the other plays: a side with no pawn,
// rook or queen that has at most a lone knight (and the other side nothing but
// its king and queens), or only bishops on squares of one colour (and no pawn or
// knight on the board), or nothing but its king.
bool is_insufficient_material(const Position& position);

// The same for one side: whether the side of `white` cannot mate, whatever the other plays.
bool has_insufficient_material(const Position& position, bool white);

}  // namespace tarvik
