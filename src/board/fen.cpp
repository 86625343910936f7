#include "fen.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "castling.hpp"
#include "failure.hpp"
#include "pieces.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

std::vector<std::string_view> split_fields(std::string_view fen) {
    // Every space separates, so adjacent spaces give empty fields.
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t space = fen.find(' ', start);
        fields.push_back(fen.substr(start, space - start));
        if (space == std::string_view::npos) return fields;
        start = space + 1;
    }
}

void place_pieces(Position& position, std::string_view placement) {
    // The cursor holds the square last filled or skipped, starting one before a8;
    // it counts modulo 2^32 like the unsigned word it is.
    std::uint32_t cursor = 55;
    for (const char32_t c : decode_utf8(placement)) {
        if (c >= U'0' && c <= U'9') {
            cursor += c - U'0';
        } else if (c == U'/') {
            cursor -= 16;
        } else {
            const std::uint32_t target = cursor + 1;
            if (target >= 64) fail_square_index(target);
            set_pieces_or(position, c, SQUARE_MASKS[target]);
            cursor = target;
        }
    }
}

std::uint8_t read_en_passant(std::string_view field) {
    const std::u32string chars = decode_utf8(field);
    if (chars.size() < 2) {
        fail("index out of bounds: the len is " + std::to_string(chars.size()) + " but the index is 1");
    }
    const char32_t file = chars[0];
    const char32_t rank = chars[1];
    const unsigned file_part = file >= U'a' && file <= U'h' ? file - U'a' : 0;
    const unsigned rank_part = rank >= U'0' && rank <= U'9' ? (rank - U'1') * 8 : 248;
    return static_cast<std::uint8_t>(file_part | rank_part);
}

// An optional '+' and decimal digits that fit in 32 bits; anything else reads as 0.
std::uint32_t read_clock(std::string_view field) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty()) return 0;
    std::uint64_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > UINT32_MAX) return 0;
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string_view> fen_fields(const std::string& fen) {
    std::vector<std::string_view> fields = split_fields(fen);
    if (fields.size() < 6) fail("Invalid starting fen; got " + fen + ", with " + std::to_string(fields.size()) + " parts");
    return fields;
}

// Every field but the castling field itself, which the board's origin holds.
void parse_fen(Board& board, const std::vector<std::string_view>& fields) {
    Position& position = board.position;
    place_pieces(position, fields[0]);
    position.turn = fields[1] == "w";
    if (fields[2] != "-") position.castling_rights = {true, board.castling_field().letters};
    if (fields[3] != "-") position.en_passant = read_en_passant(fields[3]);
    position.half_move_clock = read_clock(fields[4]);
    position.full_move_number = read_clock(fields[5]);
}

Board board_with_origin(Position position, std::string_view castling, std::shared_ptr<FenOrigin> origin) {
    position.castling_rights = {};
    if (castling != "-") {
        origin->castling_field = read_castling_field(castling);
        position.castling_rights = {true, origin->castling_field.letters};
    }
    Board board;
    board.position = position;
    board.origin = std::move(origin);
    return board;
}

}  // namespace

Board board_from_fen(std::string fen) {
    auto origin = std::make_shared<FenOrigin>();
    origin->fen = std::move(fen);
    const std::vector<std::string_view> fields = fen_fields(origin->fen);
    if (fields[2] != "-") origin->castling_field = read_castling_field(fields[2]);
    Board board;
    board.origin = std::move(origin);
    parse_fen(board, fields);
    return board;
}

Board board_from_position(Position position, std::string_view castling, std::string fen) {
    auto origin = std::make_shared<FenOrigin>();
    origin->fen = std::move(fen);
    return board_with_origin(position, castling, std::move(origin));
}

Board board_from_position(Position position, std::string_view castling) {
    auto origin = std::make_shared<FenOrigin>();
    Board board = board_with_origin(position, castling, origin);
    origin->fen = to_fen(board);
    return board;
}

void set_board(Board& board) {
    // The parse ORs pieces in and leaves "-" fields alone, so start from an empty
    // position; otherwise pieces that have moved would stand on both squares.
    Position& position = board.position;
    position.pawns = position.rooks = position.knights = position.bishops = position.queens = position.kings = 0;
    position.white_pieces = position.black_pieces = 0;
    position.castling_rights = {};
    position.en_passant.reset();
    parse_fen(board, fen_fields(board.fen()));
}

std::string board_fen(const Position& position) {
    const std::array<char, 64> symbols = square_symbols(position);
    std::string fen;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const char symbol = symbols[rank * 8 + file];
            if (symbol == '.') {
                ++empty;
                continue;
            }
            if (empty) fen += char('0' + std::exchange(empty, 0));
            fen += symbol;
        }
        if (empty) fen += char('0' + empty);
        if (rank) fen += '/';
    }
    return fen;
}

std::string to_fen(const Board& board) { return to_fen(board.position, board.castling_field()); }

std::string to_fen(const Position& position, const CastlingField& field) {
    std::string fen = board_fen(position);
    fen += position.turn ? " w " : " b ";
    const std::optional<std::string> castling = castling_text(position, field);
    fen += castling && !castling->empty() ? *castling : "-";
    fen += ' ';
    fen += position.en_passant ? square_name(*position.en_passant) : "-";
    fen += ' ' + std::to_string(position.half_move_clock) + ' ' + std::to_string(position.full_move_number);
    return fen;
}

}  // namespace tarvik
