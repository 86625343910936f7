// Text as the engine reads it: FEN fields and piece letters are sequences of
// Unicode scalar values carried in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tarvik {

// Bytes that are not valid UTF-8 decode to U+FFFD, one per offending byte.
std::u32string decode_utf8(std::string_view text);
void append_utf8(std::string& out, char32_t c);
std::string to_utf8(char32_t c);
std::string to_utf8(std::u32string_view text);

// The Unicode Uppercase and Lowercase properties.
bool is_uppercase(char32_t c);
bool is_lowercase(char32_t c);

// White space as Python's str.split() knows it.
bool is_white_space(char32_t c);

// The text without the white space around it, as str.strip() leaves it.
std::u32string_view strip_white_space(std::u32string_view text);

// A letter as Python's str.isalpha() knows it.
bool is_letter(char32_t c);

// The value 0..9 of a decimal digit of any script (what int() reads), or -1.
int decimal_value(char32_t c);

}  // namespace tarvik
