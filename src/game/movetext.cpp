#include "movetext.hpp"

#include <array>
#include <charconv>
#include <string>

#include "board/apply.hpp"
#include "board/broken.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/king_safety.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {

// NAGs spelled as annotation marks.
std::uint32_t mark_nag(std::string_view mark) {
    if (mark == "!") return 1;
    if (mark == "?") return 2;
    if (mark == "!!") return 3;
    if (mark == "??") return 4;
    if (mark == "!?") return 5;
    return 6;  // "?!"
}

bool starts_with_at(std::string_view text, std::size_t at, std::size_t to, std::string_view word) {
    return to - at >= word.size() && text.substr(at, word.size()) == word;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_piece(char c) { return c == 'P' || c == 'N' || c == 'B' || c == 'R' || c == 'Q' || c == 'K'; }

char at_or_nothing(std::string_view text, std::size_t at, std::size_t to) { return at < to ? text[at] : '\0'; }

// "N@e4" or "@e4": the length of a drop, 0 for none.
std::size_t drop_length(std::string_view text, std::size_t at, std::size_t to) {
    const std::size_t square = at + (is_piece(text[at]) ? 2 : 1);
    if (square + 2 > to || text[square - 1] != '@') return 0;
    const char file = text[square], rank = text[square + 1];
    return file >= 'a' && file <= 'h' && rank >= '1' && rank <= '8' ? square + 2 - at : 0;
}

// "--", "Z0", "0000" or "@@@@": its length, 0 for none.
std::size_t null_move_length(std::string_view text, std::size_t at, std::size_t to) {
    const char c = text[at];
    if ((c == '-' || c == 'Z') && at_or_nothing(text, at + 1, to) == (c == '-' ? '-' : '0')) return 2;
    if (c != '0' && c != '@') return 0;
    return starts_with_at(text, at, to, c == '0' ? "0000" : "@@@@") ? 4 : 0;
}

// "O-O-O", "O-O", "0-0-0" or "0-0": its length, 0 for none.
std::size_t castling_length(std::string_view text, std::size_t at, std::size_t to) {
    const char o = text[at];
    if ((o != 'O' && o != '0') || at_or_nothing(text, at + 1, to) != '-' || at_or_nothing(text, at + 2, to) != o) {
        return 0;
    }
    return at_or_nothing(text, at + 3, to) == '-' && at_or_nothing(text, at + 4, to) == o ? 5 : 3;
}

std::string_view result_marker(std::string_view text, std::size_t at, std::size_t to) {
    if (text[at] == '*') return "*";
    // Move numbers begin with the same digits: the second character tells them apart.
    switch (at_or_nothing(text, at + 1, to)) {
        case '-':
            if (starts_with_at(text, at, to, "1-0")) return "1-0";
            return starts_with_at(text, at, to, "0-1") ? "0-1" : "";
        case '/': return starts_with_at(text, at, to, "1/2-1/2") ? "1/2-1/2" : "";
        default: return {};
    }
}

// A move number at `at` ("12." or "12..."), which no token begins inside: up to
// three digits (four could hold the null move "0000") and the dots after them. At
// least 1, the digit itself, where none stands.
std::size_t move_number_length(std::string_view text, std::size_t at, std::size_t to) {
    std::size_t end = at + 1;
    while (end < to && end - at < 3 && is_digit(text[end])) ++end;
    if (end == to || text[end] != '.') return 1;
    while (end < to && text[end] == '.') ++end;
    return end - at;
}

// Whether the character after a rank can continue a SAN token: a file or a capture mark.
bool could_follow_rank(char c) { return (c >= 'a' && c <= 'h') || c == 'x' || c == '-'; }

// SAN, a drop, a null move or castling at `at`, tried in that order: reported and
// passed (`at` moves on), or false.
bool move_token(std::string_view text, std::size_t& at, std::size_t to, ScanState& state, TreeBuilder* builder) {
    SanRequest request;
    MoveToken kind = MoveToken::san;
    std::size_t length = match_san(text.substr(at, to - at), request);
    if (!length && (length = drop_length(text, at, to))) kind = MoveToken::drop;
    if (!length && (length = null_move_length(text, at, to))) kind = MoveToken::null_move;
    if (!length && (length = castling_length(text, at, to))) {
        request.castle = length == 3 ? SanRequest::Castle::king_side : SanRequest::Castle::queen_side;
    }
    if (!length) return false;
    state.began = true;
    if (builder) builder->move(text.substr(at, length), kind, request);
    at += length;
    return true;
}

// A result marker at `at`: outside variations it ends the game at the end of its
// line; inside one it ends the variation's line, as a move that cannot be read does.
bool result_token(std::string_view text, std::size_t& at, std::size_t to, ScanState& state, TreeBuilder* builder) {
    const std::string_view marker = result_marker(text, at, to);
    if (marker.empty()) return false;
    state.began = true;
    if (state.depth == 0) {
        if (state.marker.empty() || state.marker == "*") state.marker = marker;
        state.marker_read = true;
    } else if (builder) {
        builder->result_in_variation(marker);
    }
    at += marker.size();
    return true;
}

// The comment's text ends before a space that stands right before "}".
std::size_t comment_end(std::string_view text, std::size_t segment_begin, std::size_t close) {
    return close > segment_begin && text[close - 1] == ' ' ? close - 1 : close;
}

void close_comment(std::size_t end, ScanState& state, TreeBuilder* builder) {
    state.in_comment = false;
    if (builder) builder->comment(state.comment_begin, end - state.comment_begin);
}

}  // namespace

// The kinds of token, each tried where its first character can stand, in the
// order they are tried: SAN, a drop, a null move, castling, then the rest.
// Characters no token begins with: white space, move numbers' dots, check marks.
inline constexpr auto BEGINS_NOTHING = [] {
    std::array<bool, 256> nothing{};
    nothing.fill(true);
    for (const char c : std::string_view("{;$()?!*012345678abcdefghxBKNQRPOZ@-")) nothing[std::uint8_t(c)] = false;
    return nothing;
}();

void scan_line(std::string_view text, std::size_t at, std::size_t to, ScanState& state, TreeBuilder* builder) {
    while (at < to) {
        while (BEGINS_NOTHING[static_cast<unsigned char>(text[at])]) {
            if (++at == to) return;
        }
        const char c = text[at];
        switch (c) {
            case '{': {
                const std::size_t begin = at + (at + 1 < to && text[at + 1] == ' ' ? 2 : 1);
                const std::size_t close = text.substr(0, to).find('}', begin);
                state.comment_begin = begin;
                state.in_comment = true;
                if (close == std::string_view::npos) return;
                close_comment(comment_end(text, begin, close), state, builder);
                at = close + 1;
                continue;
            }
            case ';': return;
            case '$': {
                std::size_t end = at + 1;
                while (end < to && is_digit(text[end])) ++end;
                if (end == at + 1) break;
                state.began = true;
                std::uint32_t nag = 0;
                const auto [stop, error] = std::from_chars(text.data() + at + 1, text.data() + end, nag);
                if (builder && error == std::errc{}) builder->nag(nag);
                if (builder && error != std::errc{}) builder->nag_out_of_range(text.substr(at, end - at));
                at = end;
                continue;
            }
            case '(':
                state.began = true;
                ++state.depth;
                if (builder) builder->open_variation();
                ++at;
                continue;
            case ')':
                state.began = true;
                if (state.depth > 0) --state.depth;
                if (builder) builder->close_variation();
                ++at;
                continue;
            case '?':
            case '!': {
                state.began = true;
                const std::size_t length = at + 1 < to && (text[at + 1] == '?' || text[at + 1] == '!') ? 2 : 1;
                if (builder) builder->nag(mark_nag(text.substr(at, length)));
                at += length;
                continue;
            }
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
            case '8':
                // Mostly a move number; SAN only when a file or capture mark follows ("1e4").
                if (at + 1 < to && could_follow_rank(text[at + 1]) && move_token(text, at, to, state, builder)) continue;
                if (c == '1' && result_token(text, at, to, state, builder)) continue;
                at += move_number_length(text, at, to);
                continue;
            case 'a':
            case 'b':
            case 'c':
            case 'd':
            case 'e':
            case 'f':
            case 'g':
            case 'h':
            case 'x':
            case 'B':
            case 'K':
            case 'N':
            case 'Q':
            case 'R':
            case 'P':
            case '@':
            case '-':
            case 'Z':
            case 'O':
                if (move_token(text, at, to, state, builder)) continue;
                break;
            case '0':
                if (move_token(text, at, to, state, builder) || result_token(text, at, to, state, builder)) continue;
                break;
            case '*':
                if (result_token(text, at, to, state, builder)) continue;
                break;
            default: break;  // white space, move numbers' dots, check marks: nothing begins there
        }
        ++at;
    }
}

void skim_line(std::string_view text, std::size_t at, std::size_t to, ScanState& state) {
    // No token holds a space, a brace or a semicolon, so the words between spaces,
    // cut at comments, are read each on its own, and one that cannot hold a
    // variation or a result marker passes unread. Until the first token is read,
    // every word is (it decides whether a blank line ends the game).
    enum : std::uint8_t { ENDS_WORD = 1, STRUCTURE = 2 };
    static constexpr auto KINDS = [] {
        std::array<std::uint8_t, 256> kinds{};
        for (const char c : std::string_view(" {;")) kinds[std::uint8_t(c)] = ENDS_WORD;
        for (const char c : std::string_view("()*-/")) kinds[std::uint8_t(c)] = STRUCTURE;
        return kinds;
    }();
    while (at < to) {
        while (at < to && text[at] == ' ') ++at;
        std::size_t end = at;
        std::uint8_t seen = 0;
        for (; end < to; ++end) {
            const std::uint8_t kind = KINDS[static_cast<unsigned char>(text[end])];
            if (kind & ENDS_WORD) break;
            seen |= kind;
        }
        if (seen || !state.began) scan_line(text, at, end, state, nullptr);
        if (end == to) return;
        if (text[end] == ';') return;
        if (text[end] == '{') {
            const std::size_t begin = end + (end + 1 < to && text[end + 1] == ' ' ? 2 : 1);
            const std::size_t close = text.substr(0, to).find('}', begin);
            state.comment_begin = begin;
            state.in_comment = close == std::string_view::npos;
            if (state.in_comment) return;
            end = close + 1;
        }
        at = end;
    }
}

void continue_comment(std::string_view text, std::size_t from, std::size_t to, ScanState& state,
                      TreeBuilder* builder) {
    const std::size_t close = text.substr(0, to).find('}', from);
    if (close == std::string_view::npos) return;
    close_comment(comment_end(text, from, close), state, builder);
    if (builder) {
        scan_line(text, close + 1, to, state, builder);
    } else {
        skim_line(text, close + 1, to, state);
    }
}

void cut_comment(std::size_t at, ScanState& state, TreeBuilder* builder) { close_comment(at, state, builder); }

TreeBuilder::TreeBuilder(GameRecord& game, GameText& text, std::vector<Position>& positions, bool playable)
    : game_(game),
      text_(text),
      positions_(positions),
      playable_(playable),
      in_play_(playable && pins_and_checks(game.start.position).has_value()) {}

void TreeBuilder::comment(std::size_t begin, std::size_t size) {
    if (passing_over() || size == 0) return;
    const std::uint32_t line = lines_.back();
    Node& node = game_.nodes[line];
    // A comment before the first move of the game belongs to the game.
    if (in_variation_ || (line == 0 && node.first_child == NONE)) {
        text_.join(node.comment, begin, size);
    } else {
        text_.join(pending_comment_, begin, size);
    }
}

void TreeBuilder::nag(std::uint32_t nag) {
    if (passing_over() || lines_.back() == 0) return;
    Node& node = game_.nodes[lines_.back()];
    game_.nags.push_back({nag, node.first_nag});
    node.first_nag = std::uint32_t(game_.nags.size() - 1);
}

void TreeBuilder::nag_out_of_range(std::string_view token) {
    if (passing_over()) return;
    game_.errors.push_back(joined({"NAG out of range: '", token, "'"}));
}

void TreeBuilder::open_variation() {
    if (!playable_ || line_over_) return;
    if (skipped_depth_ > 0) {
        ++skipped_depth_;
        return;
    }
    const std::uint32_t line = lines_.back();
    if (line == 0) return;  // no move yet that the variation could replace
    lines_.push_back(game_.nodes[line].parent);
    in_variation_ = false;
}

void TreeBuilder::close_variation() {
    if (!playable_ || line_over_) return;
    if (skipped_depth_ > 1) {
        --skipped_depth_;
        return;
    }
    skipped_depth_ = 0;
    if (lines_.size() > 1) lines_.pop_back();
}

void TreeBuilder::result_in_variation(std::string_view marker) {
    if (passing_over() || lines_.size() == 1) return;
    end_line(joined({"result marker inside a variation: ", where(marker)}));
}

std::string TreeBuilder::where(std::string_view token) const {
    const Position& position = positions_[lines_.back()];
    const std::uint64_t ply = 2 * (std::uint64_t(position.full_move_number) - 1) + (position.turn ? 1 : 2);
    Board board = game_.start;
    board.position = position;
    return joined({"'", token, "' at ply ", std::to_string(ply), " in ", to_fen(board)});
}

void TreeBuilder::end_line(std::string message) {
    game_.errors.push_back(std::move(message));
    if (lines_.size() > 1) {
        skipped_depth_ = 1;
    } else {
        line_over_ = true;
    }
}

void TreeBuilder::move(std::string_view token, MoveToken kind, const SanRequest& request) {
    if (passing_over()) return;
    if (kind == MoveToken::null_move) return end_line(joined({"null moves are not supported: ", where(token)}));
    if (kind == MoveToken::drop) return end_line(joined({"invalid san: ", where(token)}));
    const std::uint32_t parent = lines_.back();
    SanResolution resolution;
    try {
        const Position& position = positions_[parent];
        const CastlingField& field = game_.start.castling_field();
        resolution = in_play_ ? resolve_san_in_play(position, field, request) : resolve_san(position, field, request);
    } catch (const InternalFailure& failure) {
        return end_line(joined({"cannot play ", where(token), ": ",
                                 broken_position_message(positions_[parent], failure.message())}));
    }
    if (resolution.verdict == SanVerdict::illegal) return end_line(joined({"illegal san: ", where(token)}));
    if (resolution.verdict == SanVerdict::ambiguous) return end_line(joined({"ambiguous san: ", where(token)}));

    const auto node = std::uint32_t(game_.nodes.size());
    Node& added = game_.nodes.emplace_back();
    added.move = resolution.move;
    added.parent = parent;
    added.starting_comment = pending_comment_;
    pending_comment_ = {};
    Node& above = game_.nodes[parent];
    if (above.last_child == NONE) {
        above.first_child = node;
    } else {
        game_.nodes[above.last_child].next_sibling = node;
    }
    above.last_child = node;
    positions_.push_back(positions_[parent]);
    make_move(positions_.back(), resolution.move);
    lines_.back() = node;
    in_variation_ = true;
}

}  // namespace tarvik::game
