#include "editing.hpp"

#include <string>

#include "castling.hpp"
#include "failure.hpp"
#include "fen.hpp"
#include "pieces.hpp"
#include "queries.hpp"
#include "rook_rights.hpp"
#include "strict_fen.hpp"
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

void replace_pieces(Position& position, const Position& pieces) {
    for (Bitboard Position::*set : POSITION_SETS) position.*set = pieces.*set;
}

constexpr Square A1 = 0, H1 = 7, A8 = 56, H8 = 63;

// The castling letter of each corner, K Q k q, and the corner of each.
constexpr std::pair<Square, std::uint8_t> CORNER_LETTERS[] = {
    {H1, WHITE_KING_SIDE}, {A1, WHITE_QUEEN_SIDE}, {H8, BLACK_KING_SIDE}, {A8, BLACK_QUEEN_SIDE}};

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

void set_board_fen(Board& board, std::string_view placement) {
    replace_pieces(board.position, read_board_fen(placement));
    clear_stack(board);
}

void set_piece_map(Board& board, std::span<const std::pair<Square, char32_t>> pieces) {
    Position placed;
    for (const auto& [square, letter] : pieces) {
        if (!is_piece_letter(letter)) {
            reject("invalid piece letter: '" + to_utf8(letter) + "' (expected one of PNBRQKpnbrqk)");
        }
        set_pieces_or(placed, letter, SQUARE_MASKS[square]);
    }
    replace_pieces(board.position, placed);
    clear_stack(board);
}

void set_castling_fen(Board& board, std::string_view castling) {
    const std::u32string text = decode_utf8(castling);
    if (!is_castling_field(text)) reject("invalid castling fen: '" + std::string(castling) + "'");
    const Bitboard granted = granted_rooks(board.position, 0, text);
    std::uint8_t letters = 0;
    for (const auto& [corner, letter] : CORNER_LETTERS) {
        if (granted & SQUARE_MASKS[corner]) letters |= letter;
    }
    board = board_from_position(board.position, wings_text(letters));
}

Bitboard clean_castling_rights(const Board& board) {
    const std::uint8_t wings = castling_wings(board.position, board.castling_field());
    Bitboard rooks = 0;
    for (const auto& [corner, letter] : CORNER_LETTERS) {
        if (wings & letter) rooks |= SQUARE_MASKS[corner];
    }
    return rooks;
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
