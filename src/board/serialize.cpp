#include "serialize.hpp"

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#include "failure.hpp"
#include "pieces.hpp"

namespace tarvik {
namespace {

// Fixed-width little-endian fields behind a version byte: the move count, the
// position, then each move with the position before it.
constexpr std::uint8_t VERSION = 1;

constexpr std::size_t POSITION_BYTES = 8 * 8 + 4 + 4 + 5;
constexpr std::size_t MOVE_BYTES = 4 + 4 + 1 + 4;

// Little-endian words, copied whole where the machine is little-endian itself.
void store(char* at, std::uint64_t value, std::size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &value, size);
    } else {
        for (std::size_t i = 0; i < size; ++i) at[i] = char(value >> (8 * i));
    }
}

std::uint64_t load(const char* at, std::size_t size) {
    std::uint64_t value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, at, size);
    } else {
        for (std::size_t i = 0; i < size; ++i) value |= std::uint64_t(std::uint8_t(at[i])) << (8 * i);
    }
    return value;
}

// Writes into bytes sized beforehand.
class Writer {
public:
    explicit Writer(std::size_t size) : bytes_(size, '\0'), at_(bytes_.data()) {}
    void word(std::uint64_t value, std::size_t size) {
        store(at_, value, size);
        at_ += size;
    }
    void position(const Position& p) {
        for (const Bitboard Position::*set : POSITION_SETS) word(p.*set, 8);
        word(p.half_move_clock, 4);
        word(p.full_move_number, 4);
        word(p.en_passant.has_value(), 1);
        word(p.en_passant.value_or(0), 1);
        word(p.turn, 1);
        word(p.castling_rights.present, 1);
        word(p.castling_rights.letters, 1);
    }
    void move(const Move& m) {
        word(m.from_square, 4);
        word(m.to_square, 4);
        word(m.promotion.has_value(), 1);
        word(m.promotion.value_or(0), 4);
    }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
    char* at_;
};

// Every read checks what it reads; the first bad field rejects the whole state.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}
    bool done() const { return rest_.empty(); }
    std::uint64_t word(std::size_t size) {
        if (rest_.size() < size) invalid();
        const std::uint64_t value = load(rest_.data(), size);
        rest_.remove_prefix(size);
        return value;
    }
    bool flag() {
        const std::uint64_t value = word(1);
        if (value > 1) invalid();
        return value == 1;
    }
    Position position() {
        Position p;
        for (Bitboard Position::*set : POSITION_SETS) p.*set = word(8);
        p.half_move_clock = std::uint32_t(word(4));
        p.full_move_number = std::uint32_t(word(4));
        const bool en_passant = flag();
        const auto square = std::uint8_t(word(1));
        if (en_passant) p.en_passant = square;
        p.turn = flag();
        p.castling_rights.present = flag();
        p.castling_rights.letters = std::uint8_t(word(1));
        if (p.castling_rights.letters & ~(WHITE_LETTERS | BLACK_LETTERS)) invalid();
        return p;
    }
    Move move() {
        Move m{std::uint32_t(word(4)), std::uint32_t(word(4))};
        const bool promotes = flag();
        const auto letter = char32_t(word(4));
        // A promotion is one Unicode scalar value, as a Move holds it.
        if (letter > 0x10FFFF || (letter >= 0xD800 && letter <= 0xDFFF)) invalid();
        if (promotes) m.promotion = letter;
        return m;
    }
    [[noreturn]] static void invalid() { reject("invalid Board state"); }

private:
    std::string_view rest_;
};

}  // namespace

std::string serialize_game(const Board& board) {
    Writer writer(1 + 4 + POSITION_BYTES + board.move_stack.size() * (MOVE_BYTES + POSITION_BYTES));
    writer.word(VERSION, 1);
    writer.word(board.move_stack.size(), 4);
    writer.position(board.position);
    for (std::size_t i = 0; i < board.move_stack.size(); ++i) {
        writer.move(board.move_stack[i]);
        writer.position(board.history[i]);
    }
    return writer.take();
}

void deserialize_game(Board& board, std::string_view bytes) {
    Reader reader(bytes);
    if (reader.word(1) != VERSION) Reader::invalid();
    const std::uint64_t moves = reader.word(4);
    // A count that the bytes cannot hold is rejected before anything is allocated for it.
    if (moves > bytes.size() / (MOVE_BYTES + POSITION_BYTES)) Reader::invalid();
    Board game;
    game.move_stack.reserve(moves);
    game.history.reserve(moves);
    game.position = reader.position();
    for (std::uint64_t i = 0; i < moves; ++i) {
        game.move_stack.push_back(reader.move());
        game.history.push_back(reader.position());
    }
    if (!reader.done()) Reader::invalid();
    board.position = game.position;
    board.move_stack = std::move(game.move_stack);
    board.history = std::move(game.history);
}

}  // namespace tarvik
