#include "export.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "board/apply.hpp"
#include "board/notation.hpp"
#include "tags.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {


// Lines as the exporter builds them: tokens join on the current line until the
// next would pass the column limit; every line loses its trailing white space.
class Writer {
public:
    explicit Writer(const ExportOptions& options) : options_(options) {}

    // A token written in parts, to spare the joining.
    void token(std::initializer_list<std::string_view> parts) {
        std::size_t length = 0;
        for (const std::string_view part : parts) length += character_count(part);
        if (options_.columns && *options_.columns < current_length_ + length) flush();
        for (const std::string_view part : parts) current_ += part;
        current_length_ += length;
    }
    void line(std::string_view text = {}) {
        flush();
        append_line(strip_end(text));
    }
    std::string finish() {
        if (!current_.empty()) append_line(strip_end(current_));
        const std::string_view all = strip_end(out_);
        return std::string(all);
    }

private:
    static std::string_view strip_end(std::string_view text) {
        const std::string_view stripped = strip(text);
        return text.substr(0, stripped.empty() ? 0 : std::size_t(stripped.data() - text.data()) + stripped.size());
    }
    void flush() {
        if (!current_.empty()) append_line(strip_end(current_));
        current_.clear();
        current_length_ = 0;
    }
    void append_line(std::string_view text) {
        if (!first_line_) out_ += '\n';
        first_line_ = false;
        out_ += text;
    }

    const ExportOptions& options_;
    std::string out_;
    std::string current_;
    std::size_t current_length_ = 0;
    bool first_line_ = true;
};

class Exporter {
public:
    Exporter(const GameRecord& game, const ExportOptions& options)
        : game_(game), options_(options), writer_(options), board_(game.start) {}

    std::string run() {
        const auto tags = exported_tags(game_);
        if (options_.headers) {
            for (const auto& [name, value] : tags) {
                std::string tag = joined({"[", name, " \""});
                append_escaped(tag, value);
                tag += "\"]";
                writer_.line(tag);
            }
            if (!tags.empty()) writer_.line();
        }
        const Node& root = game_.nodes[0];
        if (root.comment.size) comment(root.comment);
        if (root.first_child != NONE) movetext(root.first_child);
        writer_.token({exported_result(game_), " "});
        writer_.line();
        return writer_.finish();
    }

private:
    // A node, the variations beside it (each with the variations inside it), then
    // the line the node leads on. Walked with a stack of its own: variations nest
    // as deep as the file says.
    void movetext(std::uint32_t first) {
        struct Frame {
            std::uint32_t node;
            Position before;              // the position the node's move is played in
            std::uint32_t next_variation;  // the next sibling still to write, or NONE
            bool written = false;
        };
        std::vector<Frame> frames{{first, game_.start.position, variation_beside(first)}};
        while (!frames.empty()) {
            Frame& top = frames.back();
            if (!top.written) {
                write_node(top.node, top.before);
                top.written = true;
            } else if (top.next_variation != NONE) {
                const std::uint32_t variation = top.next_variation;
                top.next_variation = game_.nodes[variation].next_sibling;
                writer_.token({"( "});
                force_number_ = true;
                const Position before = top.before;
                frames.push_back({NONE, {}, NONE, true});  // closes the variation once it is written
                // The variation's own siblings are written by the frame it branches from.
                frames.push_back({variation, before, NONE});
            } else if (top.node == NONE) {
                frames.pop_back();
                writer_.token({") "});
                force_number_ = true;
            } else if (const std::uint32_t next = game_.nodes[top.node].first_child; next != NONE) {
                // The line goes on: the frame becomes its next move's.
                make_move(top.before, game_.nodes[top.node].move);
                top.node = next;
                top.next_variation = variation_beside(next);
                top.written = false;
            } else {
                frames.pop_back();
            }
        }
    }

    // The first variation written beside a node: its next sibling, unless variations are left out.
    std::uint32_t variation_beside(std::uint32_t node) const {
        return options_.variations ? game_.nodes[node].next_sibling : NONE;
    }

    void write_node(std::uint32_t index, const Position& before) {
        const Node& node = game_.nodes[index];
        if (node.starting_comment.size) comment(node.starting_comment);
        if (before.turn) {
            writer_.token({std::to_string(before.full_move_number), ". "});
        } else if (force_number_) {
            writer_.token({std::to_string(before.full_move_number), "... "});
        }
        board_.position = before;
        writer_.token({san(board_, node.move), " "});
        force_number_ = false;
        if (options_.comments) {
            for (const std::uint32_t nag : game_.nags_of(index)) writer_.token({"$", std::to_string(nag), " "});
        }
        if (node.comment.size) comment(node.comment);
    }

    void comment(TextSpan span) {
        if (!options_.comments) return;
        std::string text(game_.view(span));
        std::erase(text, '}');
        writer_.token({"{ ", strip(text), " } "});
        force_number_ = true;
    }

    const GameRecord& game_;
    const ExportOptions& options_;
    Writer writer_;
    Board board_;  // for SAN, which reads the castling field
    bool force_number_ = true;
};

}  // namespace

std::vector<std::pair<std::string_view, std::string_view>> exported_tags(const GameRecord& game) {
    // distinct_tags() names each tag once: only the defaults need looking through.
    std::vector<std::pair<std::string_view, std::string_view>> tags;
    for (std::size_t i = 0; i < ROSTER.size(); ++i) {
        if (!(game.removed_roster >> i & 1)) tags.push_back(ROSTER[i]);
    }
    const auto defaults = std::ptrdiff_t(tags.size());
    for (const auto& tag : game.distinct_tags()) {
        const auto defaults_end = tags.begin() + defaults;
        const auto roster =
            std::find_if(tags.begin(), defaults_end, [&](const auto& entry) { return entry.first == tag.first; });
        if (roster == defaults_end) {
            tags.push_back(tag);
        } else {
            roster->second = tag.second;
        }
    }
    for (auto& [name, value] : tags) {
        if (name == "Result") value = exported_result(game);
    }
    return tags;
}

std::string_view exported_result(const GameRecord& game) {
    const Tag* tag = game.tag("Result");
    const std::string_view result = tag ? game.view(tag->value) : "*";
    return result == "*" && !game.termination.empty() ? std::string_view(game.termination) : result;
}

std::string export_pgn(const GameRecord& game, const ExportOptions& options) { return Exporter(game, options).run(); }

}  // namespace tarvik::game
