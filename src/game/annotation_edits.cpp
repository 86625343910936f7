#include "annotation_edits.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "annotations.hpp"
#include "board/failure.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {

// The length of the white-space character that ends at text[end], 0 when there is none.
std::size_t space_before(std::string_view text, std::size_t end) {
    for (std::size_t length = 1; length <= 4 && length <= end; ++length) {
        if (space_length(text, end - length) == length) return length;
    }
    return 0;
}

// The comment with text[begin, end) replaced as python-chess's patterns replace a
// command: one white-space character on either side belongs to it; a command put
// back keeps them, a command removed leaves the one after where there was one
// before, else nothing.
std::string replaced(std::string_view text, std::size_t begin, std::size_t end, std::string_view command) {
    const std::size_t prefix = space_before(text, begin), suffix = space_length(text, end);
    std::string out(text.substr(0, begin - prefix));
    if (!command.empty()) {
        out += text.substr(begin - prefix, prefix);
        out += command;
        out += text.substr(end, suffix);
    } else if (prefix) {
        out += text.substr(end, suffix);
    }
    out += text.substr(end + suffix);
    return out;
}

// Python's a // b and a % b for floats, which round differently from C's.
std::pair<double, double> floor_divide(double a, double b) {
    double mod = std::fmod(a, b);
    double div = (a - mod) / b;
    if (mod != 0) {
        if ((b < 0) != (mod < 0)) {
            mod += b;
            div -= 1.0;
        }
    } else {
        mod = std::copysign(0.0, b);
    }
    double floored = std::copysign(0.0, a / b);
    if (div != 0) {
        floored = std::floor(div);
        if (div - floored > 0.5) floored += 1.0;
    }
    return {floored, mod};
}

std::string clock_command(double seconds) {
    seconds = std::max(0.0, seconds);
    const auto [hours, within_hour] = floor_divide(seconds, 3600);
    const auto [minutes, within_minute] = floor_divide(within_hour, 60);
    // "{:06.3f}" with the zeros after the point and then the point stripped.
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, within_minute, std::chars_format::fixed, 3);
    std::string second(digits, written.ptr);
    if (second.size() < 6) second.insert(0, 6 - second.size(), '0');
    while (second.back() == '0') second.pop_back();
    if (second.back() == '.') second.pop_back();
    const std::string minute = std::to_string(std::int64_t(minutes));
    return joined({"[%clk ", std::to_string(std::uint64_t(hours)), ":", minute.size() < 2 ? "0" : "", minute, ":",
                   second, "]"});
}

bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_rank(char c) { return c >= '1' && c <= '8'; }
std::uint8_t square_at(std::string_view text, std::size_t at) {
    return std::uint8_t((text[at + 1] - '1') * 8 + (text[at] - 'a'));
}

// The arrows of a "[%csl ...]" or "[%cal ...]" argument at `at`, up to its "]":
// each a colour letter and one or two squares, separated by commas. The position
// after the "]", or 0 when the argument is not well formed.
std::size_t arrows_at(std::string_view text, std::size_t at, std::vector<Arrow>* out) {
    while (true) {
        if (at + 3 > text.size() || std::string_view("RGYB").find(text[at]) == std::string_view::npos ||
            !is_file(text[at + 1]) || !is_rank(text[at + 2])) {
            return 0;
        }
        Arrow arrow{square_at(text, at + 1), square_at(text, at + 1), text[at]};
        at += 3;
        if (at + 2 <= text.size() && is_file(text[at]) && is_rank(text[at + 1])) {
            arrow.head = square_at(text, at);
            at += 2;
        }
        if (out) out->push_back(arrow);
        if (at < text.size() && text[at] == ']') return at + 1;
        if (at >= text.size() || text[at] != ',') return 0;
        ++at;
    }
}

// A well-formed arrow command as the pattern matches it: the white-space
// character on either side included (the one before only where an earlier match
// has not taken it).
struct ArrowCommand {
    std::size_t begin;     // with the white space before
    std::size_t prefix;    // its length
    std::size_t end;       // one past the "]"
    std::size_t suffix;    // the length of the white space after
    std::size_t argument;  // where the arrows begin
};

// Every arrow command, left to right.
template <class Visit>
void for_each_arrow_command(std::string_view text, Visit&& visit) {
    std::size_t from = 0;
    for (std::size_t at = text.find("[%c"); at != std::string_view::npos; at = text.find("[%c", at + 1)) {
        const std::string_view name = text.substr(at, 5);
        const std::size_t space = name == "[%csl" || name == "[%cal" ? space_length(text, at + 5) : 0;
        const std::size_t end = space ? arrows_at(text, at + 5 + space, nullptr) : 0;
        if (!end) continue;
        std::size_t prefix = space_before(text, at);
        if (at - prefix < from) prefix = 0;
        const ArrowCommand command{at - prefix, prefix, end, space_length(text, end), at + 5 + space};
        visit(command);
        from = command.end + command.suffix;
        at = from - 1;
    }
}

}  // namespace

std::string with_clock(std::string_view comment, std::optional<double> seconds) {
    const std::string command = seconds ? clock_command(*seconds) : "";
    if (const std::optional<CommandSpan> found = find_clock(comment)) {
        return replaced(comment, found->begin, found->end, command);
    }
    std::string out(comment);
    if (!command.empty() && !out.empty() && !out.ends_with(' ') && !out.ends_with('\n')) out += ' ';
    return out + command;
}

std::string with_evaluation(std::string_view comment, const std::optional<Score>& score,
                            std::optional<std::uint64_t> depth) {
    const std::string command = score ? evaluation_command(*score, depth) : "";
    if (const std::optional<CommandSpan> found = find_evaluation(comment)) {
        return replaced(comment, found->begin, found->end, command);
    }
    std::string out(comment);
    if (!command.empty() && !out.empty() && !out.ends_with(' ')) out += ' ';
    return out + command;
}

std::vector<Arrow> read_arrows(std::string_view comment) {
    std::vector<Arrow> arrows;
    for_each_arrow_command(comment, [&](const ArrowCommand& command) { arrows_at(comment, command.argument, &arrows); });
    return arrows;
}

std::string with_arrows(std::string_view comment, const std::vector<Arrow>& arrows) {
    // The commands removed, each leaving the white space after it only where it had some before.
    std::string rest;
    std::size_t kept = 0;
    for_each_arrow_command(comment, [&](const ArrowCommand& command) {
        rest += comment.substr(kept, command.begin - kept);
        if (command.prefix) rest += comment.substr(command.end, command.suffix);
        kept = command.end + command.suffix;
    });
    rest += comment.substr(kept);

    std::string marks, lines;
    for (const Arrow& arrow : arrows) {
        std::string& list = arrow.tail == arrow.head ? marks : lines;
        list += list.empty() ? "" : ",";
        list += arrow.colour;
        for (const std::uint8_t square : {arrow.tail, arrow.head}) {
            list += char('a' + square % 8);
            list += char('1' + square / 8);
            if (arrow.tail == arrow.head) break;
        }
    }
    std::string front;
    if (!marks.empty()) front += "[%csl " + marks + "]";
    if (!lines.empty()) front += "[%cal " + lines + "]";
    if (!front.empty() && !rest.empty() && !rest.starts_with(' ') && !rest.starts_with('\n')) front += ' ';
    return front + rest;
}

}  // namespace tarvik::game
