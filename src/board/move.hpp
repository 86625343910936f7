// The move record every generator produces and apply_move consumes, and the
// fixed-capacity list the generators append to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace tarvik {

// Two squares and an optional promotion letter; what moves and what is captured
// is read from the board when the move is applied.
struct Move {
    std::uint32_t from_square = 0;
    std::uint32_t to_square = 0;
    std::optional<char32_t> promotion;

    friend bool operator==(const Move&, const Move&) = default;
};

// The file letter of s mod 8 and the rank number of the low byte of s: the usual
// name on the board, and a name by the same rule off it (64 is a9, 255 is h32,
// 256 is a1 again).
std::string square_name(std::uint32_t square);

// The square a name a1..h8 names; nothing for any other text.
std::optional<std::uint32_t> parse_square_name(std::string_view name);

// The two square names and the promotion letter as stored.
std::string uci(const Move& move);

// The move UCI text names: two squares a1..h8 and an optional promotion letter q,
// r, b or n; nothing for any other text.
std::optional<Move> parse_uci(std::string_view text);

// A list of moves in generation order. The first INLINE_CAPACITY moves live in the
// object itself, so generating moves allocates nothing in positions that can arise
// in a game; boards broken on purpose may need more and spill to the heap.
class MoveList {
public:
    static constexpr std::size_t INLINE_CAPACITY = 256;

    // Written out rather than defaulted: value-initialising a class whose default
    // constructor is not user-provided (MoveList{}) zero-fills it first, all 4 KiB.
    MoveList() {}
    MoveList(const MoveList&) = delete;
    MoveList& operator=(const MoveList&) = delete;

    void push_back(const Move& move) {
        if (size_ == capacity_) grow();
        // Field by field: a whole-record copy of a move just built field by field
        // makes the CPU wait for its narrow stores before the wide load can read them.
        ::new (static_cast<void*>(data_ + size_++)) Move{move.from_square, move.to_square, move.promotion};
    }
    void truncate(std::size_t size) { size_ = size; }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Move& operator[](std::size_t i) { return data_[i]; }
    const Move& operator[](std::size_t i) const { return data_[i]; }
    const Move* begin() const { return data_; }
    const Move* end() const { return data_ + size_; }

private:
    void grow();

    // Raw storage, so that a new list does not initialise moves it may never hold.
    alignas(Move) std::byte inline_[INLINE_CAPACITY * sizeof(Move)];
    std::unique_ptr<Move[]> heap_;
    Move* data_ = reinterpret_cast<Move*>(inline_);
    std::size_t size_ = 0;
    std::size_t capacity_ = INLINE_CAPACITY;
};

}  // namespace tarvik
