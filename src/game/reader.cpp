#include "reader.hpp"

#include <algorithm>
#include <cstring>

#include "movetext.hpp"
#include "setup.hpp"
#include "tags.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// A line of text: its content [begin, end) and where the next line begins.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

// The line at `at`, ended by "\n", "\r\n" or "\r"; false when the text holds no
// whole line there. `at_end`: no text follows, so the last line needs no break.
bool line_at(std::string_view text, std::size_t at, bool at_end, Line& line) {
    if (at >= text.size()) return false;
    const char* start = text.data() + at;
    const std::size_t rest = text.size() - at;
    const void* newline = std::memchr(start, '\n', rest);
    const std::size_t limit = newline ? std::size_t(static_cast<const char*>(newline) - start) : rest;
    const void* carriage = std::memchr(start, '\r', limit);
    if (carriage) {
        const std::size_t end = at + std::size_t(static_cast<const char*>(carriage) - start);
        // A "\r" at the end of the text may be the first half of "\r\n".
        if (end + 1 == text.size() && !at_end) return false;
        line = {at, end, end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1};
        return true;
    }
    if (newline) {
        line = {at, at + limit, at + limit + 1};
        return true;
    }
    if (!at_end) return false;
    line = {at, text.size(), text.size()};
    return true;
}

std::string_view content(std::string_view text, const Line& line) {
    return text.substr(line.begin, line.end - line.begin);
}

// A line with nothing but white space: "\n" itself, as str.isspace() sees a line.
bool is_blank(std::string_view text, const Line& line) {
    return (line.next > line.end || line.end > line.begin) && all_space(content(text, line));
}

bool is_escape(std::string_view line) { return !line.empty() && (line[0] == '%' || line[0] == ';'); }

// What a tag pair line needs of the lines before it to begin a new game's tags:
// neither the line before it, nor (after a single blank line) the one before that,
// opens with "[". Escape lines ("%" and ";" first) do not count.
struct LineHistory {
    bool last_opens_bracket = false;
    bool last_blank = false;
    bool before_last_opens_bracket = false;

    // False for a line that does not count.
    bool push(std::string_view text, const Line& line) {
        if (is_escape(content(text, line))) return false;
        before_last_opens_bracket = last_opens_bracket;
        last_opens_bracket = line.end > line.begin && text[line.begin] == '[';
        last_blank = is_blank(text, line);
        return true;
    }
    bool tag_pair_begins_game() const {
        return !last_opens_bracket && !(last_blank && before_last_opens_bracket);
    }
};

bool is_result_marker(std::string_view text) {
    return text == "1-0" || text == "0-1" || text == "1/2-1/2" || text == "*";
}

// Where a game begins at `at`: past blank lines, "%" and ";" lines and byte-order
// marks. False when the text runs out first (more may come).
bool skip_between_games(std::string_view text, bool at_end, std::size_t& at) {
    for (Line line;;) {
        while (text.substr(at).starts_with(BYTE_ORDER_MARK)) at += BYTE_ORDER_MARK.size();
        if (at >= text.size()) return at_end;
        if (!line_at(text, at, at_end, line)) return false;
        if (!is_blank(text, line) && !is_escape(content(text, line))) return true;
        at = line.next;
    }
}

struct GameEnd {
    bool complete;
    std::size_t end;  // the first byte after the game
};

class GameParser {
public:
    GameParser(std::string_view text, bool at_end, const ReadOptions& options, std::vector<Position>& positions,
               GameRecord& game)
        : text_(text), at_end_(at_end), options_(options), positions_(positions), game_(game), texts_(text) {}

    GameEnd parse() {
        Line line;
        std::size_t at = 0;
        bool headers = text_[0] == '[';
        int blank_lines = 0;  // in a row, between tag pairs
        for (bool first = true; line_at(text_, at, at_end_, line); first = false, at = line.next) {
            const std::string_view row = content(text_, line);
            if (headers) {
                if (is_escape(row)) {
                } else if (is_blank(text_, line)) {
                    if (++blank_lines > 1) return end_at(line.next);
                } else if (row[0] == '[') {
                    if (!first && history_.tag_pair_begins_game() && opens_tag_pair(row)) return end_at(line.begin);
                    blank_lines = 0;
                    if (const std::optional<TagLine> tag = read_tag_line(row)) add_tag(*tag);
                } else {
                    headers = false;
                    begin_movetext();
                    if (const std::optional<std::size_t> end = movetext_line(line)) return end_at(*end);
                }
            } else {
                if (!builder_) begin_movetext();
                if (const std::optional<std::size_t> end = movetext_line(line)) return end_at(*end);
            }
            history_.push(text_, line);
        }
        if (at < text_.size() || !at_end_) return {false, 0};
        return end_at(text_.size());
    }

private:
    // Reads a line of movetext; the end of the game when the line does not belong to it.
    std::optional<std::size_t> movetext_line(const Line& line) {
        const std::string_view row = content(text_, line);
        TreeBuilder* builder = options_.headers_only ? nullptr : &*builder_;
        if (scan_.in_comment) {
            if (opens_tag_pair(row)) return line.begin;  // a comment never closed: the next game's tags
            continue_comment(text_, line.begin, line.end, scan_, builder);
            return std::nullopt;
        }
        if (scan_.marker_read) return line.begin;
        if (is_escape(row)) return std::nullopt;
        // A movetext of nothing but comments goes on past a blank line: the comment
        // opens the game rather than making a game of its own.
        if (is_blank(text_, line)) return scan_.began ? std::optional(line.next) : std::nullopt;
        if (opens_tag_pair(row)) return line.begin;
        if (builder) {
            scan_line(text_, line.begin, line.end, scan_, builder);
        } else {
            skim_line(text_, line.begin, line.end, scan_);
        }
        return std::nullopt;
    }

    void add_tag(const TagLine& tag) {
        const auto at = [&](std::string_view piece) { return std::size_t(piece.data() - text_.data()); };
        Tag stored;
        stored.name = {at(tag.name), tag.name.size()};  // names are ASCII: kept as they stand
        if (tag.value.find('\\') == std::string_view::npos) {
            stored.value = texts_.keep(at(tag.value), tag.value.size());
        } else {
            std::string value;
            append_unescaped(value, tag.value);
            std::string clean;
            append_clean(clean, value);
            stored.value = texts_.made(clean);
        }
        game_.tags.push_back(stored);
    }

    void begin_movetext() {
        const bool playable = set_up_start(game_, texts_);
        positions_.assign(1, game_.start.position);
        builder_.emplace(game_, texts_, positions_, playable);
    }

    GameEnd end_at(std::size_t end) {
        if (!builder_) begin_movetext();
        if (scan_.in_comment) cut_comment(end, scan_, options_.headers_only ? nullptr : &*builder_);
        game_.termination = scan_.marker;
        texts_.finish(game_, end);
        return {true, end};
    }

    std::string_view text_;
    bool at_end_;
    const ReadOptions& options_;
    std::vector<Position>& positions_;
    GameRecord& game_;
    LineHistory history_;
    GameText texts_;
    ScanState scan_;
    std::optional<TreeBuilder> builder_;
};

}  // namespace

PgnReader::PgnReader(ReadOptions options, std::uint64_t offset) : options_(options), offset_(offset) {}

void PgnReader::reserve(std::size_t size) {
    // What is read goes to the buffer's start first; the buffer grows only when
    // that is not enough, without setting bytes that are about to be read.
    const std::size_t unread = data_.size();
    if (!external_ && data_.data() != buffer_.get() && unread > 0) std::memmove(buffer_.get(), data_.data(), unread);
    if (unread + size > capacity_) {
        const std::size_t capacity = std::max(unread + size, 2 * capacity_);
        std::unique_ptr<char[]> larger = std::make_unique_for_overwrite<char[]>(capacity);
        if (unread > 0) std::memcpy(larger.get(), buffer_.get(), unread);  // the first buffer has nothing to keep
        buffer_ = std::move(larger);
        capacity_ = capacity;
    }
    data_ = std::string_view(buffer_.get(), unread);
}

void PgnReader::feed(std::string_view bytes) {
    const std::span<char> space = input_space(bytes.size());
    std::memcpy(space.data(), bytes.data(), bytes.size());
    commit_input(bytes.size());
}

std::span<char> PgnReader::input_space(std::size_t size) {
    reserve(size);
    return {buffer_.get() + data_.size(), size};
}

void PgnReader::commit_input(std::size_t size) {
    data_ = std::string_view(buffer_.get(), data_.size() + size);
    ready_ = true;
}

void PgnReader::finish() {
    finished_ = true;
    ready_ = true;
}

void PgnReader::read_from(std::string_view bytes) {
    external_ = true;
    data_ = bytes;
    finish();
}

std::size_t PgnReader::wanted_bytes() const { return retry_size_ > data_.size() ? retry_size_ - data_.size() : 0; }

std::optional<GameRecord> PgnReader::next() {
    while (ready_) {
        std::size_t at = 0;
        const bool game_begins = skip_between_games(data_, finished_, at);
        // What lies between games is passed over for good, also where the text runs
        // out inside it: fed in small pieces, a long run of blank lines is not scanned
        // again with every piece.
        data_.remove_prefix(at);
        offset_ += at;
        if (!game_begins) {
            ready_ = false;
            break;
        }
        if (data_.empty()) return std::nullopt;
        if (data_.size() < retry_size_ && !finished_) {
            ready_ = false;
            break;
        }

        // The game is built in a record kept for its memory, then copied out at its size.
        GameRecord& game = scratch_;
        game.tags.clear();
        game.nodes.assign(1, Node{});
        game.nags.clear();
        game.errors.clear();
        game.offset = offset_;
        const GameEnd parsed = GameParser(data_, finished_, options_, positions_, game).parse();
        // A movetext of nothing but a result marker ends the game before it.
        std::size_t end = parsed.end;
        bool whole = parsed.complete;
        for (Line line; whole;) {
            std::size_t next = end;
            if (!skip_between_games(data_, finished_, next)) {
                whole = false;
            } else if (next < data_.size() && !line_at(data_, next, finished_, line)) {
                whole = false;
            } else if (next < data_.size() && is_result_marker(strip(content(data_, line)))) {
                if (game.termination.empty()) game.termination = strip(content(data_, line));
                end = line.next;
                continue;
            }
            break;
        }
        if (!whole) {
            retry_size_ = 2 * data_.size() + 1;
            ready_ = false;
            break;
        }
        retry_size_ = 0;
        data_.remove_prefix(end);
        offset_ += end;
        GameRecord read;
        read.offset = game.offset;
        read.text = std::move(game.text);
        read.tags = game.tags;
        read.start = std::move(game.start);
        read.nodes = game.nodes;
        read.nags = game.nags;
        read.termination = std::move(game.termination);
        read.errors = std::move(game.errors);
        if (options_.keep_positions) read.positions.assign(positions_.begin(), positions_.begin() + read.nodes.size());
        return read;
    }
    return std::nullopt;
}

namespace {

// Tells, line by line in order, which lines must begin a game whatever the reader
// is in the middle of. The first `unknown` lines only give the history for the
// lines after them: what came before them is not known.
class GameStarts {
public:
    explicit GameStarts(int unknown) : unknown_(unknown) {}

    bool begins_game(std::string_view text, const Line& line) {
        const bool begins = unknown_ == 0 && opens_tag_pair(content(text, line)) && history_.tag_pair_begins_game();
        // The reader passes over byte-order marks where a game may begin, which the
        // lines here cannot tell: judged without them, a line can only seem to
        // continue a game more often than it does, so no start is claimed falsely.
        Line unmarked = line;
        while (unmarked.begin < unmarked.end && text.substr(unmarked.begin).starts_with(BYTE_ORDER_MARK)) {
            unmarked.begin += BYTE_ORDER_MARK.size();
        }
        if (history_.push(text, unmarked) && unknown_ > 0) --unknown_;
        return begins;
    }

private:
    int unknown_;
    LineHistory history_;
};

// Where judging lines from `from` can start. When `from` may lie inside a line
// (`cut`), past that line, with the two lines after it left unjudged for want of
// the lines before them. False when the text holds no whole line there.
bool first_judged_line(std::string_view text, std::size_t from, bool cut, bool at_end, std::size_t& at, int& unknown) {
    at = from;
    unknown = 0;
    if (!cut) return true;
    Line line;
    if (!line_at(text, from, at_end, line)) return false;
    at = line.next;
    unknown = 2;
    return true;
}

}  // namespace

std::uint64_t resume_offset(const ReadAt& read_at, std::uint64_t start) {
    constexpr std::uint64_t TAIL = 1024;  // read past `start`: the line there must show whether it opens a tag pair
    for (std::uint64_t window = 1 << 16; start > 0; window *= 2) {
        const std::uint64_t from = start > window ? start - window : 0;
        std::string text(std::size_t(start - from + TAIL), '\0');
        text.resize(read_at(from, text.data(), text.size()));
        const std::size_t limit = std::size_t(start - from);
        std::size_t at = 0;
        int unknown = 0;
        if (!first_judged_line(text, 0, from > 0, true, at, unknown)) break;
        std::optional<std::uint64_t> found;
        GameStarts starts(unknown);
        for (Line line; at <= limit && line_at(text, at, true, line); at = line.next) {
            if (starts.begins_game(text, line)) found = from + at;
        }
        if (found) return *found;
        if (from == 0) return 0;
    }
    return 0;
}

std::optional<std::size_t> next_game_start(std::string_view text, std::size_t from) {
    std::size_t at = 0;
    int unknown = 0;
    if (!first_judged_line(text, from, from > 0, false, at, unknown)) return std::nullopt;
    GameStarts starts(unknown);
    for (Line line; line_at(text, at, false, line); at = line.next) {
        if (starts.begins_game(text, line)) return at;
    }
    return std::nullopt;
}

}  // namespace tarvik::game
