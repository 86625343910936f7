#include "move.hpp"

#include <algorithm>

#include "bitboard.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

std::string square_name(std::uint32_t square) {
    // Every bit feeds the file letter, only the low byte the rank.
    std::string name(1, FILE_LETTERS[square % 8]);
    name += std::to_string((square % 256) / 8 + 1);
    return name;
}

}  // namespace

std::string uci(const Move& move) {
    std::string text = square_name(move.from_square) + square_name(move.to_square);
    if (move.promotion) append_utf8(text, *move.promotion);
    return text;
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
