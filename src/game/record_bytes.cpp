#include "record_bytes.hpp"

#include <cstring>
#include <type_traits>

#include "board/apply.hpp"
#include "board/failure.hpp"
#include "board/legal.hpp"

namespace tarvik::game {
namespace {

constexpr std::string_view MAGIC = "tarvik game 1\n";

class Writer {
public:
    template <class Number>
    void number(Number value) {
        static_assert(std::is_integral_v<Number>);
        char bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        out_.append(bytes, sizeof value);
    }
    void text(std::string_view value) {
        number(std::uint64_t(value.size()));
        out_ += value;
    }
    void span(TextSpan value) { number(value.offset), number(value.size); }
    std::string finish() && { return std::move(out_); }

private:
    std::string out_{MAGIC};
};

[[noreturn]] void invalid() { reject("invalid Game state"); }

class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {
        if (!rest_.starts_with(MAGIC)) invalid();
        rest_.remove_prefix(MAGIC.size());
    }
    template <class Number>
    Number number() {
        Number value{};
        if (rest_.size() < sizeof value) invalid();
        std::memcpy(&value, rest_.data(), sizeof value);
        rest_.remove_prefix(sizeof value);
        return value;
    }
    // A count of items of at least `each` bytes: never more than the bytes left could hold.
    std::uint64_t count(std::size_t each) {
        const auto found = number<std::uint64_t>();
        if (found > rest_.size() / each) invalid();
        return found;
    }
    std::string text() {
        const std::uint64_t size = count(1);
        std::string value(rest_.substr(0, size));
        rest_.remove_prefix(size);
        return value;
    }
    TextSpan span(const std::string& within) {
        const TextSpan value{number<std::uint64_t>(), number<std::uint64_t>()};
        if (value.offset > within.size() || value.size > within.size() - value.offset) invalid();
        return value;
    }
    bool done() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

}  // namespace

std::string record_bytes(const GameRecord& game) {
    Writer out;
    out.number(game.offset);
    out.number(game.removed_roster);
    out.text(game.text);
    out.number(std::uint64_t(game.tags.size()));
    for (const Tag& tag : game.tags) out.span(tag.name), out.span(tag.value);
    out.number(std::uint64_t(game.nodes.size()));
    for (const Node& node : game.nodes) {
        out.number(node.move.from_square), out.number(node.move.to_square);
        out.number(std::uint32_t(node.move.promotion.value_or(0)));
        out.number(node.parent);
        out.span(node.comment), out.span(node.starting_comment);
        const std::vector<std::uint32_t> nags = game.nags_of(std::uint32_t(&node - game.nodes.data()));
        out.number(std::uint64_t(nags.size()));
        for (const std::uint32_t nag : nags) out.number(nag);
        // The children in their order; a removed line is in no node's list.
        std::uint64_t children = 0;
        for (std::uint32_t child = node.first_child; child != NONE; child = game.nodes[child].next_sibling) ++children;
        out.number(children);
        for (std::uint32_t child = node.first_child; child != NONE; child = game.nodes[child].next_sibling) out.number(child);
    }
    out.text(game.termination);
    out.number(std::uint64_t(game.errors.size()));
    for (const std::string& error : game.errors) out.text(error);
    return std::move(out).finish();
}

GameRecord record_from_bytes(const Board& start, std::string_view bytes) {
    Reader in(bytes);
    GameRecord game;
    game.start = start;
    game.offset = in.number<std::uint64_t>();
    game.removed_roster = in.number<std::uint8_t>();
    game.text = in.text();
    game.tags.resize(in.count(32));
    for (Tag& tag : game.tags) tag.name = in.span(game.text), tag.value = in.span(game.text);
    game.nodes.resize(in.count(60));
    if (game.nodes.empty()) invalid();
    std::vector<Position> positions(game.nodes.size());
    positions[0] = start.position;
    std::vector<bool> linked(game.nodes.size());
    for (std::uint32_t index = 0; index < game.nodes.size(); ++index) {
        Node& node = game.nodes[index];
        node.move.from_square = in.number<std::uint32_t>();
        node.move.to_square = in.number<std::uint32_t>();
        if (const auto promotion = in.number<std::uint32_t>()) node.move.promotion = char32_t(promotion);
        node.parent = in.number<std::uint32_t>();
        node.comment = in.span(game.text), node.starting_comment = in.span(game.text);
        // A parent comes before its children, and each move is legal where it is played.
        if (index > 0) {
            if (node.parent >= index) invalid();
            positions[index] = positions[node.parent];
            bool legal = false;
            try {
                legal = is_legal_move(positions[index], start.castling_field(), node.move);
            } catch (const InternalFailure&) {
            }
            if (!legal) invalid();
            make_move(positions[index], node.move);
        } else if (node.parent != NONE) {
            invalid();
        }
        const std::uint64_t nags = in.count(4);
        for (std::uint64_t i = 0; i < nags; ++i) {
            game.nags.push_back({in.number<std::uint32_t>(), node.first_nag});
            node.first_nag = std::uint32_t(game.nags.size() - 1);
        }
        // The children are read before they are: their parent is checked when they come.
        const std::uint64_t children = in.count(4);
        std::uint32_t previous = NONE;
        for (std::uint64_t i = 0; i < children; ++i) {
            const auto child = in.number<std::uint32_t>();
            if (child <= index || child >= game.nodes.size() || linked[child]) invalid();
            linked[child] = true;
            (previous == NONE ? node.first_child : game.nodes[previous].next_sibling) = child;
            node.last_child = previous = child;
        }
    }
    for (std::uint32_t index = 1; index < game.nodes.size(); ++index) {
        if (!linked[index]) continue;
        // A listed child must name that node as its parent.
        bool found = false;
        for (std::uint32_t child = game.nodes[game.nodes[index].parent].first_child; child != NONE && !found;
             child = game.nodes[child].next_sibling) {
            found = child == index;
        }
        if (!found) invalid();
    }
    game.termination = in.text();
    game.errors.resize(in.count(8));
    for (std::string& error : game.errors) error = in.text();
    if (!in.done()) invalid();
    return game;
}

}  // namespace tarvik::game
