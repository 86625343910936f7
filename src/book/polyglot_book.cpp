#include "polyglot_book.hpp"

#include <algorithm>
#include <array>

#include "../board/castling.hpp"
#include "../board/failure.hpp"
#include "../board/legal.hpp"
#include "../board/zobrist.hpp"

namespace tarvik {
namespace {

std::uint64_t big_endian(const char* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// A move's 16 bits: to-square in bits 0-5, from-square in bits 6-11, promotion
// piece in bits 12-14 (0 none, 1 knight, 2 bishop, 3 rook, 4 queen; 5, the king,
// arises in variants). Codes 6 and 7 name no piece.
constexpr std::array<char32_t, 6> PROMOTION_LETTERS{0, U'n', U'b', U'r', U'q', U'k'};

unsigned promotion_code(std::uint16_t raw) { return raw >> 12 & 7u; }

// The move as stored; none for a promotion code that names no piece. A move from
// a square to itself is a piece drop in variants: it keeps no promotion letter
// (and is never legal on a board).
std::optional<Move> decode(std::uint16_t raw) {
    const Square from = raw >> 6 & 63u, to = raw & 63u;
    const unsigned code = promotion_code(raw);
    if (from == to || code == 0) return Move{from, to};
    if (code >= PROMOTION_LETTERS.size()) return std::nullopt;
    return Move{from, to, PROMOTION_LETTERS[code]};
}

bool excluded(const BookFilter& filter, const Move& move) {
    return std::find(filter.excluded.begin(), filter.excluded.end(), move) != filter.excluded.end();
}

bool contains(const MoveList& moves, const Move& move) {
    return std::find(moves.begin(), moves.end(), move) != moves.end();
}

}  // namespace

Book::Book(std::string bytes, std::string_view name) : bytes_(std::move(bytes)) {
    std::string quoted(1, '\'');  // built by parts: GCC 12 warns falsely on "'" + std::string
    quoted.append(name).append(1, '\'');
    if (bytes_.size() % ENTRY_BYTES != 0) {
        reject("not a Polyglot opening book: " + quoted + " has " + std::to_string(bytes_.size()) +
               " bytes, not a whole number of 16-byte entries (truncated?)");
    }
    // Entries are found by binary search, which only keys in order allow.
    for (std::size_t i = 1; i < size(); ++i) {
        if (key(i) < key(i - 1)) {
            reject("not a Polyglot opening book: the keys of " + quoted + " are out of order at entry " +
                   std::to_string(i));
        }
    }
}

std::uint64_t Book::key(std::size_t index) const { return big_endian(bytes_.data() + index * ENTRY_BYTES, 8); }

StoredEntry Book::stored(std::size_t index) const {
    const char* bytes = bytes_.data() + index * ENTRY_BYTES;
    return {big_endian(bytes, 8), static_cast<std::uint16_t>(big_endian(bytes + 8, 2)),
            static_cast<std::uint16_t>(big_endian(bytes + 10, 2)), static_cast<std::uint32_t>(big_endian(bytes + 12, 4))};
}

BookEntry Book::entry(std::size_t index) const {
    const StoredEntry fields = stored(index);
    const std::optional<Move> move = decode(fields.raw_move);
    if (!move) {
        reject("book entry " + std::to_string(index) + " has promotion code " +
               std::to_string(promotion_code(fields.raw_move)) + ", which names no piece");
    }
    return {fields, *move};
}

std::size_t Book::first_at_or_after(std::uint64_t key) const {
    std::size_t low = 0, high = size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (this->key(middle) < key) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::vector<BookEntry> entries_for_key(const Book& book, std::uint64_t key, const BookFilter& filter) {
    std::vector<BookEntry> entries;
    for (std::size_t i = book.first_at_or_after(key); i < book.size() && book.key(i) == key; ++i) {
        if (book.stored(i).weight < filter.minimum_weight) continue;
        BookEntry entry = book.entry(i);
        if (!excluded(filter, entry.move)) entries.push_back(entry);
    }
    return entries;
}

std::vector<BookEntry> entries_for_position(const Book& book, const Position& position, const CastlingField& field,
                                            const BookFilter& filter) {
    const std::uint64_t key = zobrist_hash(position, field);
    std::vector<BookEntry> entries;
    std::optional<MoveList> legal;  // listed once, when the first candidate needs judging
    for (std::size_t i = book.first_at_or_after(key); i < book.size() && book.key(i) == key; ++i) {
        const StoredEntry fields = book.stored(i);
        if (fields.weight < filter.minimum_weight) continue;
        const std::optional<Move> stored_move = decode(fields.raw_move);
        if (!stored_move) continue;  // no piece to promote to: never legal
        const Move move = castling_as_king_move(*stored_move, position.kings);
        if (excluded(filter, move)) continue;
        if (!legal) {
            legal.emplace();
            try {
                legal_moves(position, field, *legal);
            } catch (const InternalFailure& failure) {
                reject("the book cannot judge moves in this broken position: " + failure.message());
            }
        }
        if (contains(*legal, move)) entries.push_back({fields, move});
    }
    return entries;
}

std::optional<BookEntry> heaviest(const std::vector<BookEntry>& entries) {
    // max_element keeps the first of equal weights.
    const auto best = std::max_element(entries.begin(), entries.end(),
                                       [](const BookEntry& a, const BookEntry& b) { return a.weight < b.weight; });
    if (best == entries.end()) return std::nullopt;
    return *best;
}

}  // namespace tarvik
