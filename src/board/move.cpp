#include "move.hpp"

#include <algorithm>

#include "bitboard.hpp"
#include "text.hpp"

namespace tarvik {

std::string square_name(std::uint32_t square) {
    std::string name(1, FILE_LETTERS[square % 8]);
    name += std::to_string((square % 256) / 8 + 1);
    return name;
}

std::optional<std::uint32_t> parse_square_name(std::string_view name) {
    if (name.size() != 2 || name[0] < 'a' || name[0] > 'h' || name[1] < '1' || name[1] > '8') return std::nullopt;
    return std::uint32_t((name[1] - '1') * 8 + (name[0] - 'a'));
}

std::string uci(const Move& move) {
    std::string text = square_name(move.from_square) + square_name(move.to_square);
    if (move.promotion) append_utf8(text, *move.promotion);
    return text;
}

std::optional<Move> parse_uci(std::string_view text) {
    if (text.size() != 4 && text.size() != 5) return std::nullopt;
    const auto square = [text](std::size_t at) { return parse_square_name(text.substr(at, 2)); };
    const std::optional<std::uint32_t> from = square(0), to = square(2);
    if (!from || !to) return std::nullopt;
    Move move{*from, *to};
    if (text.size() == 5) {
        if (std::string_view("qrbn").find(text[4]) == std::string_view::npos) return std::nullopt;
        move.promotion = char32_t(text[4]);
    }
    return move;
}

void MoveList::grow() {
    const std::size_t capacity = capacity_ * 2;
    auto heap = std::make_unique<Move[]>(capacity);
    std::copy(data_, data_ + size_, heap.get());
    heap_ = std::move(heap);
    data_ = heap_.get();
    capacity_ = capacity;
}

}  // namespace tarvik
