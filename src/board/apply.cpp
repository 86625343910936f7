#include "apply.hpp"

#include "castling.hpp"
#include "failure.hpp"
#include "pieces.hpp"

namespace tarvik {

bool reset_half_move_clock(const Position& position, Bitboard from_mask, Bitboard to_mask) {
    return (position.pawns & own_pieces(position) & from_mask) || (enemy_pieces(position) & to_mask);
}

bool takes_en_passant(const Position& position, const Move& move) {
    if (move.from_square >= 64 || move.to_square >= 64) return false;
    const Bitboard target = SQUARE_MASKS[move.to_square];
    return (position.pawns & own_pieces(position) & SQUARE_MASKS[move.from_square]) &&
           position.en_passant == move.to_square && FILE_OF[move.from_square] != FILE_OF[move.to_square] &&
           !(occupied(position) & target);
}

void make_move(Position& position, const Move& move) {
    const std::uint32_t from = move.from_square;
    const std::uint32_t to = move.to_square;
    if (from >= 64) fail_square_index(from);
    if (to >= 64) fail_square_index(to);
    const Bitboard from_mask = SQUARE_MASKS[from];
    const Bitboard to_mask = SQUARE_MASKS[to];
    const int distance = square_distance(from, to);
    const int mover = piece_on(position, from_mask);
    if (mover == NO_PIECE) fail("Could not find the piece to move for " + uci(move));
    Bitboard Position::*promoted = nullptr;
    if (move.promotion && !(promoted = promotion_set(*move.promotion))) {
        fail("Panic in the disco!!! (promotion issue) for " + uci(move));
    }
    const int captured = piece_on(position, to_mask);
    const bool white = position.turn;
    const bool pawn_moves = mover == PAWN;

    if (reset_half_move_clock(position, from_mask, to_mask)) {
        position.half_move_clock = 0;
    } else {
        ++position.half_move_clock;
    }
    if (!white) ++position.full_move_number;

    const bool takes_en_passant = pawn_moves && position.en_passant == to;
    if (pawn_moves && distance == 2) {
        // The square passed over; 8-bit arithmetic, as the field is one byte.
        position.en_passant = static_cast<std::uint8_t>(white ? to - 8 : to + 8);
    } else {
        position.en_passant.reset();
    }

    const bool castles = update_castling_rights(position, from, to, distance);

    Bitboard& own = own_pieces(position);
    Bitboard& enemy = enemy_pieces(position);
    position.*PIECE_TYPES[mover].set ^= from_mask | to_mask;
    own ^= from_mask | to_mask;

    if (promoted) {
        position.pawns ^= to_mask;
        position.*promoted |= to_mask;
    } else if (castles) {
        // The rook stands beyond the king's target and lands on the square the king
        // passed. Beyond the edge of the board there is no rook, so none moves.
        const bool king_side = to > from;
        const Bitboard rook_from = king_side ? to_mask << 1 : to_mask >> 2;
        if (rook_from) {
            const Bitboard rook_to = king_side ? to_mask >> 1 : to_mask << 1;
            position.rooks = (position.rooks & ~rook_from) | rook_to;
            own = (own & ~rook_from) | rook_to;
        }
    } else if (takes_en_passant) {
        // The pawn taken stands behind the target as the mover sees it (none off the board).
        const Bitboard taken = white ? to_mask >> 8 : to_mask << 8;
        position.pawns &= ~taken;
        enemy &= ~taken;
    }

    if (captured != NO_PIECE) {
        // A promotion to the captured piece's type already holds the square in that set.
        if (!(move.promotion && *move.promotion == char32_t(PIECE_TYPES[captured].letter))) {
            position.*PIECE_TYPES[captured].set ^= to_mask;
        }
        enemy ^= to_mask;
    }
    position.turn = !white;
}

void apply_move(Board& board, const Move& move) {
    board.move_stack.push_back(move);
    try {
        board.history.push_back(board.position);
    } catch (...) {
        board.move_stack.pop_back();  // keep the stacks of equal length
        throw;
    }
    make_move(board.position, move);
}

Move pop(Board& board) {
    if (board.move_stack.empty()) fail("called `Option::unwrap()` on a `None` value");
    const Move move = board.move_stack.back();
    board.move_stack.pop_back();
    restore_state(board, board.history.back());
    board.history.pop_back();
    return move;
}

void restore_state(Board& board, const BoardState& state) { board.position = state; }

}  // namespace tarvik
