#include "epd.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "apply.hpp"
#include "broken.hpp"
#include "draws.hpp"
#include "editing.hpp"
#include "failure.hpp"
#include "fen.hpp"
#include "notation.hpp"
#include "rook_rights.hpp"
#include "strict_fen.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

using Text = std::u32string_view;
using Kind = EpdOperand::Kind;

constexpr Bitboard RANK_1 = 0xFF;

// ---- writing

// Castling rights by the files of their rooks: White's from the h-file down, then Black's.
std::string shredder_castling(Bitboard rights) {
    std::string text;
    for (Square square = 8; square-- > 0;) {
        if (rights & SQUARE_MASKS[square]) text += char('A' + square);
    }
    for (Square square = 64; square-- > 56;) {
        if (rights & SQUARE_MASKS[square]) text += char('a' + square - 56);
    }
    return text.empty() ? "-" : text;
}

// Whether a pawn of the side to move stands ready to take on the en-passant square.
// python-chess reads square a1 (0) as no square.
bool has_pseudo_legal_en_passant(const Position& p) {
    if (!p.en_passant || *p.en_passant == 0 || *p.en_passant >= 64) return false;
    const Bitboard target = SQUARE_MASKS[*p.en_passant];
    const Bitboard capturing_rank = p.turn ? RANK_1 << 32 : RANK_1 << 24;
    return !(occupied(p) & target) && (pawn_capturers(p.turn, target) & p.pawns & own_pieces(p) & capturing_rank);
}

std::string en_passant_field(const Board& board, EnPassantShown shown) {
    const Position& p = board.position;
    bool shows = false;
    switch (shown) {
        case EnPassantShown::fen:
            if (p.en_passant && *p.en_passant >= 64) reject(broken_position_message(p, ""));
            shows = p.en_passant.has_value();
            break;
        case EnPassantShown::xfen:
            shows = has_pseudo_legal_en_passant(p);
            break;
        case EnPassantShown::legal:
            shows = has_pseudo_legal_en_passant(p) &&
                    rejecting_broken(p, [&] { return has_legal_en_passant(p, board.castling_field()); });
            break;
    }
    return shows ? square_name(*p.en_passant) : "-";
}

std::string written_san(const Board& board, const Move& move) {
    return rejecting_broken(board.position, [&] { return san(board, move); });
}

void append_escaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '"': out += "\\\""; break;
            default: out += c;
        }
    }
}

std::string operation_text(const Board& board, const EpdOperation& operation) {
    check_epd_opcode(operation.opcode);
    const EpdOperand& operand = operation.operand;
    std::string text = operation.opcode;
    switch (operand.kind) {
        case Kind::none:
            break;
        case Kind::integer:
        case Kind::real:
            text += ' ' + operand.text;
            break;
        case Kind::text:
            text += " \"";
            append_escaped(text, operand.text);
            text += '"';
            break;
        case Kind::move:
            text += ' ' + written_san(board, operand.moves.front());
            break;
        case Kind::variation: {
            Board line{board.position, board.origin, {}, {}};
            for (const Move& move : operand.moves) {
                text += ' ' + written_san(line, move);
                make_move(line.position, move);
            }
            break;
        }
        case Kind::move_set: {
            std::vector<std::string> sans;
            for (const Move& move : operand.moves) sans.push_back(written_san(board, move));
            std::sort(sans.begin(), sans.end());
            for (const std::string& san : sans) text += ' ' + san;
            break;
        }
    }
    return text + ';';
}

// ---- reading numbers, as Python's int() and float() read them

// Decimal digits of any script, single underscores between them, from `at` on; each
// is appended to `out` as an ASCII digit. Returns whether there was one.
bool read_digits(Text text, std::size_t& at, std::string& out) {
    const std::size_t before = out.size();
    while (at < text.size()) {
        if (const int digit = decimal_value(text[at]); digit >= 0) {
            out += char('0' + digit);
        } else if (text[at] != U'_' || out.size() == before || at + 1 == text.size() ||
                   decimal_value(text[at + 1]) < 0) {
            break;
        }
        ++at;
    }
    return out.size() > before;
}

// int()'s default bound on the digits it converts.
constexpr std::size_t MOST_DIGITS = 4300;

// The value as decimal digits, "-" first when negative and not zero.
std::optional<std::string> read_integer(Text text) {
    text = strip_white_space(text);
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == U'-';
    if (!text.empty() && (text[0] == U'+' || text[0] == U'-')) ++at;
    std::string digits;
    if (!read_digits(text, at, digits) || at != text.size() || digits.size() > MOST_DIGITS) return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    return (negative && digits != "0" ? "-" : "") + digits;
}

struct Real {
    double value;
    bool finite;
};

std::optional<Real> read_real(Text text) {
    text = strip_white_space(text);
    std::size_t at = 0;
    std::string ascii;  // what from_chars reads: no '+'
    if (!text.empty() && (text[0] == U'+' || text[0] == U'-')) {
        if (text[at++] == U'-') ascii += '-';
    }
    const std::size_t mantissa = ascii.size();
    bool digits = read_digits(text, at, ascii);
    const std::size_t whole_digits = ascii.size() - mantissa;
    if (at < text.size() && text[at] == U'.') {
        ascii += '.';
        ++at;
        digits = read_digits(text, at, ascii) || digits;
    }
    if (!digits) return std::nullopt;
    long long exponent = 0;
    if (at < text.size() && (text[at] == U'e' || text[at] == U'E')) {
        ascii += 'e';
        ++at;
        std::string exponent_text;
        if (at < text.size() && (text[at] == U'+' || text[at] == U'-')) exponent_text += char(text[at++]);
        if (!read_digits(text, at, exponent_text)) return std::nullopt;
        ascii += exponent_text;
        for (const char c : exponent_text) {
            if (c >= '0') exponent = std::min(exponent * 10 + (c - '0'), 1LL << 40);
        }
        if (exponent_text[0] == '-') exponent = -exponent;
    }
    if (at != text.size()) return std::nullopt;
    Real real{0, true};
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), real.value);
    if (error == std::errc::result_out_of_range) {
        // Too large, or too small to be told from zero: the place of the first
        // significant digit, ten to the power of it, says which.
        const std::string_view written(ascii.data() + mantissa, ascii.size() - mantissa);
        const std::size_t first = written.find_first_of("123456789");
        const long long place = static_cast<long long>(whole_digits) - static_cast<long long>(first) -
                                (first > whole_digits ? 0 : 1);
        real.finite = place + exponent < 0;
        real.value = mantissa ? -0.0 : 0.0;
    }
    return real;
}

// ---- reading operations

bool is_epd_space(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n'; }

std::vector<Text> split_white_space(Text text) {
    std::vector<Text> words;
    for (std::size_t at = 0; at < text.size();) {
        if (is_white_space(text[at])) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        while (at < text.size() && !is_white_space(text[at])) ++at;
        words.push_back(text.substr(start, at - start));
    }
    return words;
}

// Reads the operations python-chess's way, character by character: an opcode, then
// a quoted string, a number, SAN or nothing up to ";". A later operation with the
// same opcode replaces the earlier one's operand where it stood.
class OperationReader {
public:
    explicit OperationReader(std::string position_fields) : position_fields_(std::move(position_fields)) {}

    std::vector<EpdOperation> read(Text text) {
        constexpr char32_t END = 0xFFFFFFFF;
        for (std::size_t at = 0; at <= text.size(); ++at) {
            const char32_t c = at < text.size() ? text[at] : END;
            const bool ends = c == END || c == U';';
            switch (state_) {
                case State::opcode:
                    if (is_epd_space(c) || ends) {
                        if (opcode_ == U"-") {
                            opcode_.clear();
                        } else if (!opcode_.empty() && !ends) {
                            check_epd_opcode(to_utf8(opcode_));
                            state_ = State::after_opcode;
                        } else if (!opcode_.empty()) {
                            store(without_operand());
                        }
                    } else {
                        opcode_ += c;
                    }
                    break;
                case State::after_opcode:
                    if (is_epd_space(c)) break;
                    if (ends) {
                        store(without_operand());
                    } else if (c == U'"') {
                        state_ = State::string;
                    } else {
                        operand_ = c;
                        state_ = Text(U"+-.0123456789").find(c) != Text::npos ? State::number : State::san;
                    }
                    break;
                case State::number:
                case State::san:
                    if (ends) {
                        store(state_ == State::number ? number() : moves());
                    } else {
                        operand_ += c;
                    }
                    break;
                case State::string:
                    if (c == END || c == U'"') {
                        store({Kind::text, to_utf8(operand_), 0, {}});
                    } else if (c == U'\\') {
                        state_ = State::string_escape;
                    } else {
                        operand_ += c;
                    }
                    break;
                case State::string_escape:
                    if (c == END) {
                        store({Kind::text, to_utf8(operand_), 0, {}});
                        break;
                    }
                    operand_ += c == U'r' ? U'\r' : c == U'n' ? U'\n' : c == U't' ? U'\t' : c;
                    state_ = State::string;
                    break;
            }
        }
        return std::move(operations_);
    }

private:
    enum class State { opcode, after_opcode, number, string, string_escape, san };

    bool takes_moves(Kind& kind) const {
        if (opcode_ == U"pv") kind = Kind::variation;
        if (opcode_ == U"am" || opcode_ == U"bm") kind = Kind::move_set;
        return kind != Kind::none;
    }

    EpdOperand without_operand() const {
        EpdOperand operand;
        takes_moves(operand.kind);
        return operand;
    }

    EpdOperand number() const {
        const std::string written = to_utf8(operand_);
        if (operand_.find_first_of(U".eE") == Text::npos) {
            std::optional<std::string> integer = read_integer(operand_);
            if (!integer) reject("invalid literal for int() with base 10: '" + written + "'");
            return {Kind::integer, std::move(*integer), 0, {}};
        }
        const std::optional<Real> real = read_real(operand_);
        if (!real) reject("could not convert string to float: '" + written + "'");
        if (!real->finite) {
            reject("invalid numeric operand for epd operation '" + to_utf8(opcode_) + "': '" + written + "'");
        }
        return {Kind::real, written, real->value, {}};
    }

    // SAN is read on a board of the EPD's own position, which may be broken.
    EpdOperand moves() {
        if (!board_) board_ = board_from_strict_fen(position_fields_ + " 0 1");
        return rejecting_broken(board_->position, [&] { return read_moves(); });
    }

    EpdOperand read_moves() {
        EpdOperand operand;
        if (!takes_moves(operand.kind)) {
            operand.kind = Kind::move;
            operand.moves.push_back(legal_move_from_san(*board_, to_utf8(operand_)));
            return operand;
        }
        Board line = *board_;
        for (const Text token : split_white_space(operand_)) {
            const Move move = legal_move_from_san(operand.kind == Kind::variation ? line : *board_, to_utf8(token));
            operand.moves.push_back(move);
            if (operand.kind == Kind::variation) apply_move(line, move);
        }
        return operand;
    }

    void store(EpdOperand operand) {
        std::string opcode = to_utf8(opcode_);
        const auto same = std::find_if(operations_.begin(), operations_.end(),
                                       [&](const EpdOperation& o) { return o.opcode == opcode; });
        if (same != operations_.end()) {
            same->operand = std::move(operand);
        } else {
            operations_.push_back({std::move(opcode), std::move(operand)});
        }
        opcode_.clear();
        operand_.clear();
        state_ = State::opcode;
    }

    std::string position_fields_;
    std::optional<Board> board_;  // the position SAN is read in, made on first need
    std::vector<EpdOperation> operations_;
    State state_ = State::opcode;
    std::u32string opcode_, operand_;
};

// What python-chess puts in a FEN clock field for an operand: str() of its value. A
// real's own text, like str() of it, is never a clock.
std::string clock_text(const std::vector<EpdOperation>& operations, std::string_view opcode, std::string_view absent) {
    const auto found = std::find_if(operations.begin(), operations.end(),
                                    [&](const EpdOperation& o) { return o.opcode == opcode; });
    if (found == operations.end()) return std::string(absent);
    const EpdOperand& operand = found->operand;
    switch (operand.kind) {
        case Kind::none: return "None";
        case Kind::move: return uci(operand.moves.front());
        case Kind::variation:
        case Kind::move_set: return "[...]";  // a list, never a clock
        default: return operand.text;
    }
}

}  // namespace

void check_epd_opcode(std::string_view opcode) {
    if (opcode.empty()) reject("empty string is not a valid epd opcode");
    if (opcode == "-") reject("dash (-) is not a valid epd opcode");
    std::string quoted(1, '\'');
    quoted.append(opcode).push_back('\'');
    if (!is_letter(decode_utf8(opcode).front())) reject("expected epd opcode to start with a letter, got: " + quoted);
    for (const auto& [c, name] : {std::pair{' ', "' '"}, {'\n', "'\\n'"}, {'\t', "'\\t'"}, {'\r', "'\\r'"}}) {
        if (opcode.find(c) != std::string_view::npos) {
            reject(std::string("invalid character ") + name + " in epd opcode: " + quoted);
        }
    }
}

std::string write_epd(const Board& board, bool shredder, EnPassantShown en_passant,
                      std::span<const EpdOperation> operations) {
    const Position& position = board.position;
    const Bitboard rights = clean_castling_rights(board);
    std::string epd = board_fen(position);
    epd += position.turn ? " w " : " b ";
    epd += shredder ? shredder_castling(rights) : rook_rights_text(position, 0, rights);
    epd += ' ' + en_passant_field(board, en_passant);
    for (const EpdOperation& operation : operations) epd += ' ' + operation_text(board, operation);
    return epd;
}

Epd read_epd(std::string_view epd) {
    const std::u32string text = decode_utf8(epd);
    Text rest = strip_white_space(text);
    while (!rest.empty() && rest.back() == U';') rest.remove_suffix(1);
    // The first four fields, then the rest as one, as str.split(None, 4) cuts them.
    std::string fields;
    for (int field = 0; field < 4; ++field) {
        while (!rest.empty() && is_white_space(rest.front())) rest.remove_prefix(1);
        std::size_t end = 0;
        while (end < rest.size() && !is_white_space(rest[end])) ++end;
        if (end == 0) break;
        if (field) fields += ' ';
        fields += to_utf8(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    while (!rest.empty() && is_white_space(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) return {board_from_strict_fen(epd), {}};
    std::vector<EpdOperation> operations = OperationReader(fields).read(rest);
    const std::string fen =
        fields + ' ' + clock_text(operations, "hmvc", "0") + ' ' + clock_text(operations, "fmvn", "1");
    return {board_from_strict_fen(fen), std::move(operations)};
}

}  // namespace tarvik
