#include "strict_fen.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "failure.hpp"
#include "fen.hpp"
#include "pieces.hpp"
#include "rook_rights.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

using Text = std::u32string_view;

std::string utf8(Text text) {
    std::string out;
    for (const char32_t c : text) append_utf8(out, c);
    return out;
}

[[noreturn]] void reject_fen(std::string_view fault, std::string_view text) {
    reject(std::string(fault) + ": '" + std::string(text) + "'");
}

// The fields of the text, as str.split() finds them: runs of anything but white space.
std::vector<Text> split_fields(Text text) {
    std::vector<Text> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !is_white_space(text[i])) continue;
        if (i > start) fields.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    return fields;
}

// ---- clocks

// What int() makes of a clock field: its sign and value, the value capped just
// beyond what a board holds, so that any length of digits is read.
struct Integer {
    bool negative;
    std::uint64_t value;
};
constexpr std::uint64_t BEYOND_CLOCKS = std::uint64_t{UINT32_MAX} + 1;

// int()'s default bound on the digits it converts; past it int() fails.
constexpr std::size_t MOST_DIGITS = 4300;

std::optional<Integer> read_integer(Text text) {
    Integer integer{false, 0};
    if (!text.empty() && (text.front() == U'+' || text.front() == U'-')) {
        integer.negative = text.front() == U'-';
        text.remove_prefix(1);
    }
    std::size_t digits = 0;
    bool after_digit = false;  // an underscore may only stand between two digits
    for (const char32_t c : text) {
        if (c == U'_') {
            if (!after_digit) return std::nullopt;
            after_digit = false;
            continue;
        }
        const int digit = decimal_value(c);
        if (digit < 0) return std::nullopt;
        integer.value = std::min(integer.value * 10 + std::uint64_t(digit), BEYOND_CLOCKS);
        ++digits;
        after_digit = true;
    }
    if (!after_digit || digits > MOST_DIGITS) return std::nullopt;
    return integer;
}

struct ClockFaults {
    const char* invalid;
    const char* negative;
};

// The clock's value, capped at BEYOND_CLOCKS: python-chess takes any size, so a value
// a board cannot hold is rejected only once every other fault has had its turn.
std::uint64_t read_clock(Text field, std::string_view fen, const ClockFaults& faults) {
    const std::optional<Integer> integer = read_integer(field);
    if (!integer) reject_fen(faults.invalid, fen);
    if (integer->negative && integer->value != 0) reject_fen(faults.negative, fen);
    return integer->value;
}

// ---- the other fields

bool is_castling_field(Text field) {
    if (field == U"-") return true;
    // Up to two of KQA..H, then up to two of kqa..h, and nothing else.
    const auto white = [](char32_t c) { return c == U'K' || c == U'Q' || (c >= U'A' && c <= U'H'); };
    const auto black = [](char32_t c) { return c == U'k' || c == U'q' || (c >= U'a' && c <= U'h'); };
    std::size_t i = 0;
    while (i < field.size() && i < 2 && white(field[i])) ++i;
    const std::size_t first_black = i;
    while (i < field.size() && i - first_black < 2 && black(field[i])) ++i;
    return i == field.size();
}

// "-" or a square name; false for anything else.
bool read_en_passant(Text field, std::optional<std::uint8_t>& square) {
    if (field == U"-") return true;
    if (field.size() != 2 || field[0] < U'a' || field[0] > U'h' || field[1] < U'1' || field[1] > U'8') return false;
    square = std::uint8_t((field[1] - U'1') * 8 + (field[0] - U'a'));
    return true;
}

// ---- placement

// The piece letter a placement character stands for: the letters of the six pieces
// in either case, and the Kelvin sign, which Python lower-cases to k and counts as
// upper case (a white king). 0 for anything else.
char piece_letter(char32_t c) {
    if (c == U'\u212A') return 'K';
    if (c >= 0x80) return 0;
    for (const PieceType& type : PIECE_TYPES) {
        if (c == char32_t(type.letter) || c == char32_t(white_letter(type.letter))) return char(c);
    }
    return 0;
}

struct Placement {
    Position position;  // the pieces, by the OR rule
    Bitboard promoted = 0;  // squares marked "~"
};

void check_rank(Text rank, std::string_view placement) {
    int squares = 0;
    bool after_digit = false, after_piece = false;
    for (const char32_t c : rank) {
        if (c >= U'1' && c <= U'8') {
            if (after_digit) reject_fen("two subsequent digits in position part of fen", placement);
            squares += int(c - U'0');
            after_digit = true, after_piece = false;
        } else if (c == U'~') {
            if (!after_piece) reject_fen("'~' not after piece in position part of fen", placement);
            after_digit = after_piece = false;
        } else if (piece_letter(c)) {
            ++squares;
            after_digit = false, after_piece = true;
        } else {
            reject_fen("invalid character in position part of fen", placement);
        }
    }
    if (squares != 8) reject_fen("expected 8 columns per row in position part of fen", placement);
}

Placement read_placement(Text field) {
    const std::string placement = utf8(field);
    std::vector<Text> ranks;
    for (std::size_t start = 0;;) {
        const std::size_t slash = field.find(U'/', start);
        ranks.push_back(field.substr(start, slash - start));
        if (slash == Text::npos) break;
        start = slash + 1;
    }
    if (ranks.size() != 8) reject_fen("expected 8 rows in position part of fen", placement);
    for (const Text rank : ranks) check_rank(rank, placement);

    Placement result;
    Square square = 56;  // a8, then along each rank and down the board
    for (const Text rank : ranks) {
        for (const char32_t c : rank) {
            if (c >= U'1' && c <= U'8') {
                square += c - U'0';
            } else if (c == U'~') {
                result.promoted |= SQUARE_MASKS[square - 1];
            } else {
                set_pieces_or(result.position, char32_t(piece_letter(c)), SQUARE_MASKS[square++]);
            }
        }
        square -= 16;
    }
    return result;
}

}  // namespace

Board board_from_strict_fen(std::string_view fen) {
    const std::u32string text = decode_utf8(fen);
    const std::vector<Text> fields = split_fields(text);
    // Checked in the order python-chess checks them, so the same fault is named.
    if (fields.empty()) reject("empty fen");
    const auto field = [&](std::size_t i, Text missing) { return i < fields.size() ? fields[i] : missing; };
    const Text turn = field(1, U"w");
    if (turn != U"w" && turn != U"b") reject_fen("expected 'w' or 'b' for turn part of fen", fen);
    const Text castling = field(2, U"-");
    if (!is_castling_field(castling)) reject_fen("invalid castling part in fen", fen);
    std::optional<std::uint8_t> en_passant;
    if (!read_en_passant(field(3, U"-"), en_passant)) reject_fen("invalid en passant part in fen", fen);
    const std::uint64_t half_moves =
        read_clock(field(4, U"0"), fen, {"invalid half-move clock in fen", "half-move clock cannot be negative"});
    const std::uint64_t full_moves =
        read_clock(field(5, U"1"), fen, {"invalid fullmove number in fen", "fullmove number cannot be negative"});
    if (fields.size() > 6) reject_fen("fen string has more parts than expected", fen);
    const Placement placement = read_placement(fields[0]);
    if (half_moves >= BEYOND_CLOCKS) reject_fen("half-move clock beyond 4294967295 in fen", fen);
    if (full_moves >= BEYOND_CLOCKS) reject_fen("fullmove number beyond 4294967295 in fen", fen);

    Position position = placement.position;
    position.turn = turn == U"w";
    position.en_passant = en_passant;
    position.half_move_clock = std::uint32_t(half_moves);
    position.full_move_number = std::uint32_t(std::max(full_moves, std::uint64_t{1}));
    const Bitboard granted = granted_rooks(position, placement.promoted, castling);
    return board_from_position(position, rook_rights_text(position, placement.promoted,
                                                          usable_rooks(position, placement.promoted, granted)));
}

}  // namespace tarvik
