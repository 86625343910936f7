#include "tags.hpp"

#include <array>
#include <cstdint>

#include "text.hpp"

namespace tarvik::game {
namespace {

enum : std::uint8_t { NAME_START = 1, NAME_PART = 2 };

// Letters and digits begin a tag name; they and _+#=:- continue it.
inline constexpr auto NAME_CHARACTERS = [] {
    std::array<std::uint8_t, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        const bool alphanumeric = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool punctuation = c == '_' || c == '+' || c == '#' || c == '=' || c == ':' || c == '-';
        kinds[std::size_t(c)] = std::uint8_t((alphanumeric ? NAME_START | NAME_PART : 0) | (punctuation ? NAME_PART : 0));
    }
    return kinds;
}();

bool is_name_start(char c) { return NAME_CHARACTERS[static_cast<unsigned char>(c)] & NAME_START; }
bool is_name_part(char c) { return NAME_CHARACTERS[static_cast<unsigned char>(c)] & NAME_PART; }

// The name after "[" and the white space after it: the position of what follows, or 0.
std::size_t after_name_and_space(std::string_view line, std::size_t& name_end) {
    if (line.size() < 2 || line[0] != '[' || !is_name_start(line[1])) return 0;
    std::size_t at = 2;
    while (at < line.size() && is_name_part(line[at])) ++at;
    name_end = at;
    const std::size_t spaces_begin = at;
    while (at < line.size() && line[at] == ' ') ++at;  // the usual single space, quickly
    while (const std::size_t length = space_length(line, at)) at += length;
    return at > spaces_begin ? at : 0;
}

}  // namespace

std::optional<TagLine> read_tag_line(std::string_view line) {
    std::size_t name_end = 0;
    const std::size_t quote = after_name_and_space(line, name_end);
    if (!quote || quote >= line.size() || line[quote] != '"') return std::nullopt;
    const auto tag = [&](std::size_t close) {
        return TagLine{line.substr(1, name_end - 1), line.substr(quote + 1, close - quote - 1)};
    };
    if (line.ends_with("\"]") && line.size() - 2 > quote) return tag(line.size() - 2);  // the usual line
    // The last `"]` with nothing but white space after it closes the value.
    for (std::size_t close = line.rfind("\"]"); close != std::string_view::npos && close > quote;
         close = close == 0 ? std::string_view::npos : line.rfind("\"]", close - 1)) {
        if (all_space(line.substr(close + 2))) return tag(close);
    }
    return std::nullopt;
}

bool opens_tag_pair(std::string_view line) {
    if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    std::size_t name_end = 0;
    const std::size_t quote = after_name_and_space(line, name_end);
    return quote && quote < line.size() && line[quote] == '"';
}

void append_unescaped(std::string& out, std::string_view value) {
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] == '\\' && at + 1 < value.size() && (value[at + 1] == '"' || value[at + 1] == '\\')) ++at;
        out += value[at];
    }
}

void append_escaped(std::string& out, std::string_view value) {
    for (const char c : value) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
}

}  // namespace tarvik::game
