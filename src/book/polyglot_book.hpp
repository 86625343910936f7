// Polyglot opening books: a file of 16-byte entries, each a position key, a move,
// a weight and a learn value, all big-endian, sorted by key. A position's entries
// are found by binary search and read in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../board/board.hpp"
#include "../board/move.hpp"

namespace tarvik {

// The four fields of an entry as the file stores them.
struct StoredEntry {
    std::uint64_t key = 0;
    std::uint16_t raw_move = 0;
    std::uint16_t weight = 0;
    std::uint32_t learn = 0;

    friend bool operator==(const StoredEntry&, const StoredEntry&) = default;
};

// An entry as a reader hands it out: the stored fields and the move they encode.
struct BookEntry : StoredEntry {
    Move move;

    friend bool operator==(const BookEntry&, const BookEntry&) = default;
};

// The bytes of a book file, checked once: a whole number of entries, keys in order.
class Book {
public:
    static constexpr std::size_t ENTRY_BYTES = 16;

    // Rejects bytes that are no book; `name` says which file in the message.
    Book(std::string bytes, std::string_view name);

    std::size_t size() const { return bytes_.size() / ENTRY_BYTES; }
    std::uint64_t key(std::size_t index) const;
    StoredEntry stored(std::size_t index) const;

    // Entry `index` with its move decoded as stored (castling as king takes rook,
    // no board to judge it by). Rejects a promotion code that names no piece.
    BookEntry entry(std::size_t index) const;

    // The index of the first entry whose key is not less than `key`.
    std::size_t first_at_or_after(std::uint64_t key) const;

private:
    std::string bytes_;
};

// Which of a position's entries a probe keeps: weight at least `minimum_weight`,
// move not among `excluded` (same squares and promotion letter).
struct BookFilter {
    long long minimum_weight = 1;
    std::vector<Move> excluded;
};

// The entries stored under `key` that pass the filter, in file order, moves as
// stored. Rejects an entry whose promotion code no piece has.
std::vector<BookEntry> entries_for_key(const Book& book, std::uint64_t key, const BookFilter& filter);

// The entries of the position (its Polyglot key) that pass the filter and are
// legal there, in file order. Castling stored as the king taking its own rook
// becomes the king's two-square move. Rejects a broken position whose legal moves
// cannot be told.
std::vector<BookEntry> entries_for_position(const Book& book, const Position& position, const CastlingField& field,
                                            const BookFilter& filter);

// The entry with the highest weight, the first of equals; none for no entries.
std::optional<BookEntry> heaviest(const std::vector<BookEntry>& entries);

}  // namespace tarvik
