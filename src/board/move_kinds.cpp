#include "move_kinds.hpp"

#include <algorithm>

#include "apply.hpp"
#include "broken.hpp"
#include "castling.hpp"
#include "draws.hpp"
#include "generators.hpp"
#include "pieces.hpp"
#include "queries.hpp"

namespace tarvik {
namespace {

void require_on_board(const Move& move) {
    if (move.from_square >= 64 || move.to_square >= 64) reject("move " + uci(move) + " leaves the board");
}

// The squares a move touches.
Bitboard touched(const Move& move) {
    require_on_board(move);
    return SQUARE_MASKS[move.from_square] ^ SQUARE_MASKS[move.to_square];
}

// A generator policy that lets the piece on one square go wherever it reaches.
struct OneOrigin {
    Square origin;
    Bitboard from(Square square) const { return square == origin ? ~Bitboard{0} : 0; }
    bool en_passant(Square from, Square) const { return from == origin; }
};

// The pseudo-legal moves of the piece on `from`, in generation order. A square in
// several sets moves as each of them.
void moves_from(const Position& position, Square from, MoveList& moves) {
    const OneOrigin targets{from};
    const Bitboard origin = SQUARE_MASKS[from] & own_pieces(position);
    if (position.pawns & origin) {
        // No pawn reaches an en-passant square off the board.
        Position on_board = position;
        if (on_board.en_passant && *on_board.en_passant >= 64) on_board.en_passant.reset();
        generate_pawn_moves(on_board, targets, moves);
    }
    if (position.knights & origin) generate_knight_moves(position, targets, moves);
    if (position.kings & origin) generate_king_moves(position, targets, moves);
    if (position.bishops & origin) generate_bishop_moves(position, targets, moves);
    if (position.rooks & origin) generate_rook_moves(position, targets, moves);
    if (position.queens & origin) generate_queen_moves(position, targets, moves);
}

// The rook squares of the castling wings still usable.
Bitboard castling_rooks(const Board& board) {
    const std::uint8_t wings = castling_wings(board.position, board.castling_field());
    Bitboard rooks = 0;
    if (wings & WHITE_KING_SIDE) rooks |= SQUARE_MASKS[7];
    if (wings & WHITE_QUEEN_SIDE) rooks |= SQUARE_MASKS[0];
    if (wings & BLACK_KING_SIDE) rooks |= SQUARE_MASKS[63];
    if (wings & BLACK_QUEEN_SIDE) rooks |= SQUARE_MASKS[56];
    return rooks;
}

}  // namespace

bool is_pseudo_legal(const Board& board, const Move& move) {
    const Position& position = board.position;
    if (move.from_square >= 64 || move.to_square >= 64) return false;
    MoveList moves;
    // Castling is a king's move of two squares from e1 or e8.
    const bool castling_shape = (move.from_square == 4 || move.from_square == 60) &&
                                (move.to_square == move.from_square + 2 || move.to_square + 2 == move.from_square);
    if (castling_shape && (position.kings & own_pieces(position) & SQUARE_MASKS[move.from_square])) {
        rejecting_broken(position, [&] { castling_moves(position, board.castling_field(), moves); });
    }
    moves_from(position, move.from_square, moves);
    return std::find(moves.begin(), moves.end(), move) != moves.end();
}

bool is_en_passant(const Position& position, const Move& move) {
    require_on_board(move);
    const int distance = int(move.to_square) - int(move.from_square);
    return position.en_passant == move.to_square && (position.pawns & SQUARE_MASKS[move.from_square]) &&
           (distance == 7 || distance == -7 || distance == 9 || distance == -9) &&
           !(occupied(position) & SQUARE_MASKS[move.to_square]);
}

bool is_capture(const Position& position, const Move& move) {
    return (touched(move) & enemy_pieces(position)) || is_en_passant(position, move);
}

bool is_zeroing(const Position& position, const Move& move) {
    return touched(move) & (position.pawns | enemy_pieces(position));
}

bool is_castling(const Position& position, const Move& move) {
    require_on_board(move);
    if (!(position.kings & SQUARE_MASKS[move.from_square])) return false;
    const int files = int(FILE_OF[move.from_square]) - int(FILE_OF[move.to_square]);
    return files > 1 || files < -1 || (position.rooks & own_pieces(position) & SQUARE_MASKS[move.to_square]);
}

bool is_kingside_castling(const Position& position, const Move& move) {
    return is_castling(position, move) && FILE_OF[move.to_square] > FILE_OF[move.from_square];
}

bool is_queenside_castling(const Position& position, const Move& move) {
    return is_castling(position, move) && FILE_OF[move.to_square] < FILE_OF[move.from_square];
}

bool is_irreversible(const Board& board, const Move& move) {
    const Position& position = board.position;
    if (is_zeroing(position, move)) return true;
    const Bitboard rooks = castling_rooks(board);
    const Bitboard kings = position.kings & touched(move);
    if ((touched(move) & rooks) || ((rooks & 0xFF) && (kings & position.white_pieces)) ||
        ((rooks >> 56) && (kings & position.black_pieces))) {
        return true;
    }
    return rejecting_broken(position, [&] { return has_legal_en_passant(position, board.castling_field()); });
}

bool gives_check(const Position& position, const Move& move) {
    require_on_board(move);
    // What make_move would fail on, as a fault of the move.
    if (piece_on(position, SQUARE_MASKS[move.from_square]) == NO_PIECE) {
        reject("no piece to move on " + square_name(move.from_square) + " for " + uci(move));
    }
    if (move.promotion && !promotion_set(*move.promotion)) reject("invalid promotion letter in " + uci(move));
    Position after = position;
    make_move(after, move);
    return checkers(after) != 0;
}

}  // namespace tarvik
