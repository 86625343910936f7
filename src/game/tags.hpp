// Tag pair lines: [Name "value"].
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvik::game {

struct TagLine {
    std::string_view name;
    std::string_view value;  // as written, escapes not decoded
};

// A tag pair line as PGN readers in Python match it: "[", a name of letters, digits
// and _+#=:- (not starting with one of those five), white space, then the value
// between the first quote and the last `"]` that only white space follows.
std::optional<TagLine> read_tag_line(std::string_view line);

// Whether the line opens with a tag pair: "[", a name, white space and a quote (a
// byte-order mark before it allowed). Comment text such as "[%clk 0:03:00]" does not.
bool opens_tag_pair(std::string_view line);

// The value with \" and \\ read as the characters they escape.
void append_unescaped(std::string& out, std::string_view value);

// The value written back between quotes: " and \ escaped.
void append_escaped(std::string& out, std::string_view value);

}  // namespace tarvik::game
