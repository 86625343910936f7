#include "editing.hpp"

#include <string>

#include "castling.hpp"
#include "failure.hpp"
#include "fen.hpp"
#include "pieces.hpp"
#include "queries.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

void empty_square(Position& position, Square square) {
    for (Bitboard Position::*set : POSITION_SETS) position.*set &= ~SQUARE_MASKS[square];
}

bool is_piece_letter(char32_t letter) {
    for (const PieceType& type : PIECE_TYPES) {
        if (letter == char32_t(type.letter) || letter == char32_t(white_letter(type.letter))) return true;
    }
    return false;
}

}  // namespace

void set_piece_at(Board& board, Square square, char32_t letter) {
    if (!is_piece_letter(letter)) {
        reject("invalid piece letter: '" + to_utf8(letter) + "' (expected one of PNBRQKpnbrqk)");
    }
    empty_square(board.position, square);
    set_pieces_or(board.position, letter, SQUARE_MASKS[square]);
    clear_stack(board);
}

char remove_piece_at(Board& board, Square square) {
    const char letter = piece_letter_at(board.position, square);
    empty_square(board.position, square);
    clear_stack(board);
    return letter;
}

void clear_stack(Board& board) {
    // python-chess drops the castling rights no move can use as soon as a move is
    // played; a right that could not be used before the first move never can be.
    if (!board.history.empty()) {
        board.position.castling_rights.letters &= castling_wings(board.history.front(), board.castling_field());
    }
    board.move_stack.clear();
    board.history.clear();
}

Board mirror(const Board& board) {
    const Position& p = board.position;
    Position mirrored;
    for (const PieceType& type : PIECE_TYPES) mirrored.*type.set = flip_ranks(p.*type.set);
    mirrored.white_pieces = flip_ranks(p.black_pieces);
    mirrored.black_pieces = flip_ranks(p.white_pieces);
    mirrored.turn = !p.turn;
    mirrored.half_move_clock = p.half_move_clock;
    mirrored.full_move_number = p.full_move_number;
    if (p.en_passant) mirrored.en_passant = std::uint8_t(*p.en_passant ^ 56);
    // White's wings become Black's: K and Q are the low two bits, k and q the next two.
    const std::uint8_t wings = castling_wings(p, board.castling_field());
    const auto swapped = std::uint8_t((wings & WHITE_LETTERS) << 2 | (wings & BLACK_LETTERS) >> 2);
    return board_from_position(mirrored, wings_text(swapped));
}

}  // namespace tarvik
