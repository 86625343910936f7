#include "strict_fen.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "failure.hpp"
#include "fen.hpp"
#include "pieces.hpp"
#include "rook_rights.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

using Text = std::u32string_view;

[[noreturn]] void reject_fen(std::string_view fault, std::string_view text) {
    reject(std::string(fault) + ": '" + std::string(text) + "'");
}

// The fields of the text, as str.split() finds them (runs of anything but white
// space): the first six, and how many there are.
struct Fields {
    std::array<Text, 6> first;
    std::size_t count = 0;

    Text operator()(std::size_t i, Text missing) const { return i < count ? first[i] : missing; }
};

Fields split_fields(Text text) {
    Fields fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !is_white_space(text[i])) continue;
        if (i > start) {
            if (fields.count < fields.first.size()) fields.first[fields.count] = text.substr(start, i - start);
            ++fields.count;
        }
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

// "-" or a square name; false for anything else.
bool read_en_passant(Text field, std::optional<std::uint8_t>& square) {
    if (field == U"-") return true;
    if (field.size() != 2 || field[0] < U'a' || field[0] > U'h' || field[1] < U'1' || field[1] > U'8') return false;
    square = std::uint8_t((field[1] - U'1') * 8 + (field[0] - U'a'));
    return true;
}

// ---- placement

// The piece letters of ASCII: each letter of the six pieces in either case stands for itself.
constexpr std::array<char, 128> ASCII_PIECE_LETTERS = [] {
    std::array<char, 128> letters{};
    for (const PieceType& type : PIECE_TYPES) {
        letters[std::size_t(type.letter)] = type.letter;
        letters[std::size_t(white_letter(type.letter))] = white_letter(type.letter);
    }
    return letters;
}();

// The piece letter a placement character stands for: a piece letter in either case,
// and the Kelvin sign, which Python lower-cases to k and counts as upper case (a
// white king). 0 for anything else.
char piece_letter(char32_t c) {
    if (c < 0x80) return ASCII_PIECE_LETTERS[c];
    return c == U'\u212A' ? 'K' : 0;
}

struct Placement {
    Position position;      // the pieces, by the OR rule
    Bitboard promoted = 0;  // squares marked "~"
    std::string text;       // the field written plainly: no marks, ASCII letters
};

[[noreturn]] void reject_placement(std::string_view fault, Text field) { reject_fen(fault, to_utf8(field)); }

// Reads one rank onto the squares from `square` on, checking it as it goes.
void read_rank(Text rank, Text field, Square square, Placement& placement) {
    int squares = 0;
    bool after_digit = false, after_piece = false;
    for (const char32_t c : rank) {
        if (c >= U'1' && c <= U'8') {
            if (after_digit) reject_placement("two subsequent digits in position part of fen", field);
            squares += int(c - U'0');
            after_digit = true, after_piece = false;
            placement.text += char(c);
        } else if (c == U'~') {
            if (!after_piece) reject_placement("'~' not after piece in position part of fen", field);
            if (squares <= 8) placement.promoted |= SQUARE_MASKS[square + squares - 1];
            after_digit = after_piece = false;
        } else if (const char letter = piece_letter(c)) {
            // A rank that runs past eight squares is refused below, before anything is read from the position.
            if (squares < 8) set_pieces_or(placement.position, char32_t(letter), SQUARE_MASKS[square + squares]);
            ++squares;
            after_digit = false, after_piece = true;
            placement.text += letter;
        } else {
            reject_placement("invalid character in position part of fen", field);
        }
    }
    if (squares != 8) reject_placement("expected 8 columns per row in position part of fen", field);
}

Placement read_placement(Text field) {
    if (std::count(field.begin(), field.end(), U'/') != 7) {
        reject_placement("expected 8 rows in position part of fen", field);
    }
    Placement placement;
    placement.text.reserve(field.size());
    Square square = 56;  // a8, then along each rank and down the board
    for (std::size_t start = 0; start <= field.size(); square -= 8) {
        const std::size_t slash = std::min(field.find(U'/', start), field.size());
        read_rank(field.substr(start, slash - start), field, square, placement);
        if (slash < field.size()) placement.text += '/';
        start = slash + 1;
    }
    return placement;
}

}  // namespace

Board board_from_strict_fen(std::string_view fen) { return read_strict_fen(fen).board; }

StrictFen read_strict_fen(std::string_view fen) {
    const std::u32string text = decode_utf8(fen);
    const Fields field = split_fields(text);
    // Checked in the order python-chess checks them, so the same fault is named.
    if (field.count == 0) reject("empty fen");
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
    if (field.count > 6) reject_fen("fen string has more parts than expected", fen);
    const Placement placement = read_placement(field(0, U""));
    if (half_moves >= BEYOND_CLOCKS) reject_fen("half-move clock beyond 4294967295 in fen", fen);
    if (full_moves >= BEYOND_CLOCKS) reject_fen("fullmove number beyond 4294967295 in fen", fen);

    Position position = placement.position;
    position.turn = turn == U"w";
    position.en_passant = en_passant;
    position.half_move_clock = std::uint32_t(half_moves);
    position.full_move_number = std::uint32_t(std::max(full_moves, std::uint64_t{1}));
    const Bitboard granted = granted_rooks(position, placement.promoted, castling);
    const std::string rights =
        rook_rights_text(position, placement.promoted, usable_rooks(position, placement.promoted, granted));

    // The FEN written plainly, as to_fen() writes this position.
    std::string plain = placement.text;
    plain += position.turn ? " w " : " b ";
    plain += rights;
    plain += ' ';
    plain += en_passant ? square_name(*en_passant) : "-";
    plain += ' ' + std::to_string(position.half_move_clock) + ' ' + std::to_string(position.full_move_number);
    return {board_from_position(position, rights, std::move(plain)), placement.promoted, granted};
}

bool is_castling_field(std::u32string_view field) {
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

Position read_board_fen(std::string_view placement) {
    const std::u32string text = decode_utf8(placement);
    const Text field = strip_white_space(text);
    if (field.find(U' ') != Text::npos) reject_placement("expected position part of fen, got multiple parts", field);
    return read_placement(field).position;
}

}  // namespace tarvik
