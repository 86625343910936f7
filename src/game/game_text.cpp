#include "game_text.hpp"

#include "text.hpp"

namespace tarvik::game {
namespace {

// Spans of texts made anew carry this bit until finish() places them.
constexpr std::uint64_t MADE = std::uint64_t{1} << 63;

}  // namespace

TextSpan GameText::keep(std::size_t begin, std::size_t size) {
    const std::string_view piece = source_.substr(begin, size);
    if (needs_cleaning(piece)) {
        const std::size_t start = made_.size();
        append_clean(made_, piece);
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
    append_clean(joined, source_.substr(begin, size));
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
