// Text as PGN readers in Python see it: UTF-8 whose invalid bytes read as U+FFFD,
// and white space as str.isspace() knows it (NBSP and the other Unicode spaces
// included), so blank lines, stripped comments and line lengths agree with theirs.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarvik::game {

// The length of the white-space character at text[at], 0 when there is none.
std::size_t space_length(std::string_view text, std::size_t at);

// Whether every character is white space (true for the empty text).
bool all_space(std::string_view text);

// Without white space at either end, as str.strip() leaves it.
std::string_view strip(std::string_view text);

// Whether append_clean would change the text: it holds a "\r" or a byte of 0x80
// or above (most text holds neither).
bool needs_cleaning(std::string_view text);

// The length of the text's start that holds neither.
std::size_t clean_length(std::string_view text);

// Appends the text with every ill-formed byte sequence replaced by U+FFFD, one per
// maximal subpart, as CPython's "replace" error handler decodes it, and every line
// break ("\r\n" or "\r") written as "\n", as a file read in text mode gives it.
void append_clean(std::string& out, std::string_view text);

// The parts one after the other.
std::string joined(std::initializer_list<std::string_view> parts);

// The number of characters (code points) of valid UTF-8.
std::size_t character_count(std::string_view text);

}  // namespace tarvik::game
