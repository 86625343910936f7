#include "game_text.hpp"

#include <algorithm>

#include "text.hpp"

namespace tarvik::game {
namespace {

// Spans of texts made anew carry this bit until finish() places them.
constexpr std::uint64_t MADE = std::uint64_t{1} << 63;

// How far ahead of a text the source is checked: about a line of movetext.
constexpr std::size_t LOOKAHEAD = 1024;

}  // namespace

bool GameText::needs_cleaning(std::size_t begin, std::size_t end) {
    if (begin >= clean_begin_ && end <= clean_end_) return false;
    const std::size_t ahead = std::min(source_.size(), std::max(end, begin + LOOKAHEAD));
    clean_begin_ = begin;
    clean_end_ = begin + clean_length(source_.substr(begin, ahead - begin));
    return end > clean_end_;
}

TextSpan GameText::keep(std::size_t begin, std::size_t size) {
    if (needs_cleaning(begin, begin + size)) {
        const std::size_t start = made_.size();
        append_clean(made_, source_.substr(begin, size));
        return {MADE | start, made_.size() - start};
    }
    return {begin, size};
}

TextSpan GameText::made(std::string_view text) {
    const std::size_t start = made_.size();
    made_ += text;
    return {MADE | start, text.size()};
}

void GameText::join(TextSpan& span, std::size_t begin, std::size_t size) {
    if (span.size == 0) {
        span = keep(begin, size);
        return;
    }
    std::string joined(view(span));
    joined += ' ';
    if (needs_cleaning(begin, begin + size)) {
        append_clean(joined, source_.substr(begin, size));
    } else {
        joined += source_.substr(begin, size);
    }
    span = made(joined);
}

std::string_view GameText::view(TextSpan span) const {
    if (span.offset & MADE) return std::string_view(made_).substr(span.offset & ~MADE, span.size);
    return source_.substr(span.offset, span.size);
}

void GameText::finish(GameRecord& game, std::size_t end) {
    game.text.reserve(end + made_.size());
    game.text.assign(source_.substr(0, end));
    game.text += made_;
    const auto place = [end](TextSpan& span) {
        if (span.offset & MADE) span.offset = (span.offset & ~MADE) + end;
    };
    for (Tag& tag : game.tags) {
        place(tag.name);
        place(tag.value);
    }
    for (Node& node : game.nodes) {
        place(node.comment);
        place(node.starting_comment);
    }
}

}  // namespace tarvik::game
