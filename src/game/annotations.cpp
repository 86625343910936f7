#include "annotations.hpp"

#include <charconv>
#include <cmath>
#include <string>
#include <utility>

#include "text.hpp"

namespace tarvik::game {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t digits_at(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && is_digit(text[end])) ++end;
    return end - at;
}

// Where the command's argument begins: after "[%name" and one white-space character.
std::size_t argument_at(std::string_view text, std::size_t at, std::string_view command) {
    if (text.substr(at, command.size()) != command) return 0;
    const std::size_t space = space_length(text, at + command.size());
    return space ? at + command.size() + space : 0;
}

// A decimal number read as Python's int() and float() read it.
template <class Number>
std::optional<Number> number(std::string_view digits) {
    Number value{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// Digits with an optional point and sign, as Python's float() reads them whatever
// the C library's locale says a decimal point is.
double decimal(std::string_view text) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    const std::string_view digits = text.substr(text.starts_with('-') ? 1 : 0);
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range) {
        // Beyond a double: too large unless the whole part is zero, then too small.
        const bool whole_is_zero = digits.substr(0, digits.find('.')).find_first_not_of('0') == std::string_view::npos;
        value = whole_is_zero ? 0.0 : HUGE_VAL;
        if (text.starts_with('-')) value = -value;
    }
    return value;
}

// h:mm:ss(.s) at `at`, then "]": the seconds it says; `close` learns where the "]" is.
std::optional<double> clock_at(std::string_view text, std::size_t at, std::size_t& close) {
    const std::size_t hours = digits_at(text, at);
    if (!hours || at + hours >= text.size() || text[at + hours] != ':') return std::nullopt;
    const std::size_t minutes_at = at + hours + 1, minutes = digits_at(text, minutes_at);
    if (!minutes || minutes_at + minutes >= text.size() || text[minutes_at + minutes] != ':') return std::nullopt;
    const std::size_t seconds_at = minutes_at + minutes + 1;
    std::size_t seconds_end = seconds_at + digits_at(text, seconds_at);
    if (seconds_end == seconds_at) return std::nullopt;
    if (seconds_end < text.size() && text[seconds_end] == '.') seconds_end += 1 + digits_at(text, seconds_end + 1);
    if (seconds_end >= text.size() || text[seconds_end] != ']') return std::nullopt;
    const std::string_view h = text.substr(at, hours), m = text.substr(minutes_at, minutes);
    const double whole = hours <= 15 && minutes <= 15 && number<std::uint64_t>(h) && number<std::uint64_t>(m)
                             // Exact, as Python adds the integers before the fraction.
                             ? double(*number<std::uint64_t>(h) * 3600 + *number<std::uint64_t>(m) * 60)
                             : decimal(h) * 3600 + decimal(m) * 60;
    close = seconds_end;
    return whole + decimal(text.substr(seconds_at, seconds_end - seconds_at));
}

// The evaluation at `at`: "#" and a signed mate distance, or centipawns as a
// decimal of at most ten digits before the point and two after; then an optional
// ",depth" and "]"; `close` learns where the "]" is.
std::optional<Evaluation> evaluation_at(std::string_view text, std::size_t at, std::size_t& close) {
    Evaluation evaluation;
    std::size_t end = at;
    const bool mate = end < text.size() && text[end] == '#';
    if (mate) ++end;
    const std::size_t number_at = end;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const std::size_t whole = digits_at(text, end);
    end += whole;
    if (mate) {
        if (!whole) return std::nullopt;
        std::string_view digits = text.substr(number_at, end - number_at);
        if (digits[0] == '+') digits.remove_prefix(1);
        evaluation.mate = number<std::int64_t>(digits);
        if (!evaluation.mate) return std::nullopt;
    } else {
        std::size_t fraction = 0;
        const bool point = end < text.size() && text[end] == '.';
        if (point) fraction = digits_at(text, end + 1);
        const bool fits = point && fraction > 0 ? whole <= 10 && fraction <= 2 : whole >= 1 && whole <= 10;
        if (!fits) return std::nullopt;
        end += point ? 1 + fraction : 0;
        evaluation.centipawns = std::int64_t(std::nearbyint(decimal(text.substr(number_at, end - number_at)) * 100));
    }
    if (end < text.size() && text[end] == ',') {
        const std::size_t depth = digits_at(text, end + 1);
        if (!depth) return std::nullopt;
        evaluation.depth = number<std::uint64_t>(text.substr(end + 1, depth));
        if (!evaluation.depth) return std::nullopt;
        end += 1 + depth;
    }
    if (end >= text.size() || text[end] != ']') return std::nullopt;
    close = end;
    return evaluation;
}

// The first well-formed command `name` ("[%clk") whose argument `read` reads:
// its value, and in `span` where it stands. Inlined: the table builders read every
// comment of a corpus through it.
template <class Read>
[[gnu::always_inline]] inline auto first_command(std::string_view comment, std::string_view name, Read&& read, CommandSpan& span) {
    for (std::size_t at = comment.find(name); at != std::string_view::npos; at = comment.find(name, at + 1)) {
        if (const std::size_t argument = argument_at(comment, at, name)) {
            std::size_t close = 0;
            if (auto value = read(comment, argument, close)) {
                span = {at, close + 1};
                return value;
            }
        }
    }
    return decltype(read(comment, 0, std::declval<std::size_t&>())){};
}

}  // namespace

std::optional<double> read_clock(std::string_view comment) {
    CommandSpan span;
    return first_command(comment, "[%clk", clock_at, span);
}

std::optional<Evaluation> read_evaluation(std::string_view comment) {
    CommandSpan span;
    return first_command(comment, "[%eval", evaluation_at, span);
}

std::optional<CommandSpan> find_clock(std::string_view comment) {
    CommandSpan span;
    return first_command(comment, "[%clk", clock_at, span) ? std::optional(span) : std::nullopt;
}

std::optional<CommandSpan> find_evaluation(std::string_view comment) {
    CommandSpan span;
    return first_command(comment, "[%eval", evaluation_at, span) ? std::optional(span) : std::nullopt;
}

}  // namespace tarvik::game
