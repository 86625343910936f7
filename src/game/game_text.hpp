// The texts of a game being read. Most tag values and comments are kept as spans
// of the game's own bytes, which the record holds whole; only texts that must be
// made anew (cleaned of "\r" or ill-formed UTF-8, unescaped, or comments joined)
// are written out, after them.
#pragma once

#include <string>
#include <string_view>

#include "record.hpp"

namespace tarvik::game {

class GameText {
public:
    // `source`: the text the game is read from, its first byte the game's first.
    explicit GameText(std::string_view source) : source_(source) {}

    // source[begin, begin + size), cleaned as text.hpp's append_clean cleans it.
    TextSpan keep(std::size_t begin, std::size_t size);

    // A text made anew, already clean.
    TextSpan made(std::string_view text);

    // The span's text, a space, and source[begin, begin + size) cleaned; or that piece
    // alone when the span is empty.
    void join(TextSpan& span, std::size_t begin, std::size_t size);

    // The text of a span, before finish().
    std::string_view view(TextSpan span) const;

    // Writes the game's first `end` bytes and the texts made into game.text and
    // points every span of the game at its text there.
    void finish(GameRecord& game, std::size_t end);

private:
    // Whether source[begin, end) needs cleaning. The source is checked ahead in
    // stretches, so the many short texts of a game cost one pass over its bytes.
    bool needs_cleaning(std::size_t begin, std::size_t end);

    std::string_view source_;
    std::string made_;
    std::size_t clean_begin_ = 0, clean_end_ = 0;  // a stretch of the source known to need no cleaning
};

}  // namespace tarvik::game
