// Reading PGN: games one at a time from text that arrives in pieces, so memory
// stays bounded by the longest game however large the file.
//
// Where one game ends and the next begins:
// - at a blank line outside a comment, once the movetext holds more than comments
//   (a single blank line between tag pairs is allowed);
// - at a line that opens a tag pair, unless the line before it (or the one before
//   a single blank line) opens with "[", escape lines passed over: a new game's
//   tags, also where no blank line parts them from the last game or a brace comment
//   was never closed;
// - at the end of the line that holds a result marker outside variations.
// A movetext that holds nothing but a result marker is no game: the marker ends
// the game before it when that game has none. Lines that begin with "%" and ";"
// between games, and a byte-order mark, are passed over.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.hpp"
#include "record.hpp"

namespace tarvik::game {

struct ReadOptions {
    bool headers_only = false;  // pass over the movetext: no moves, comments or move errors
};

class PgnReader {
public:
    // `offset`: the position in the source of the first byte that will be fed.
    explicit PgnReader(ReadOptions options = {}, std::uint64_t offset = 0);

    const ReadOptions& options() const { return options_; }

    // Where in the source the first byte fed lies, when reading starts elsewhere
    // than where the reader was made to start.
    void start_at(std::uint64_t offset) { offset_ = offset; }

    // The next piece of the source; and then the end of it.
    void feed(std::string_view bytes);
    void finish();

    // Room for the next piece at the end of the buffer, to read into directly; then
    // how much of it was filled.
    std::span<char> input_space(std::size_t size);
    void commit_input(std::size_t size);

    // Reads from `bytes` itself, which must outlive the reader; the whole source.
    void read_from(std::string_view bytes);

    // The next game, or nothing: then more input is needed (wants_input()), or the
    // source has no game left.
    std::optional<GameRecord> next();
    bool wants_input() const { return !finished_ && !ready_; }

    // How many bytes the next feed should bring at least: a game longer than the
    // buffered text is read again only once the text has doubled.
    std::size_t wanted_bytes() const;

private:
    void reserve(std::size_t size);  // room after the unread bytes, which move to the buffer's start

    ReadOptions options_;
    std::vector<Position> positions_;  // scratch for the games read, kept for its memory
    GameRecord scratch_;               // likewise: the game being read
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::string_view data_;      // in buffer_ or the caller's bytes: what is still to read
    std::uint64_t offset_;       // of data_[0] in the source
    std::size_t retry_size_ = 0;  // read the pending game again only once data_ is at least this long
    bool finished_ = false;
    bool ready_ = false;         // data_ may hold a whole game
    bool external_ = false;
};

// Reads bytes of the source at an offset into `out`, returning how many it read
// (fewer only at the end of the source).
using ReadAt = std::function<std::size_t(std::uint64_t offset, char* out, std::size_t size)>;

// The offset from which to read so that the games whose first byte lies at or
// after `start` are read exactly as a reader from the source's beginning reads
// them: the last line at or before `start` where a game must begin (a line that
// opens a tag pair and begins a run of them), or 0.
std::uint64_t resume_offset(const ReadAt& read_at, std::uint64_t start);

// The first line at or after `from` where a game must begin, whatever the text
// before `from` holds, judged from whole lines only; nothing when `text` shows none
// (more text may). Text cut there reads, piece by piece, as the whole text does.
std::optional<std::size_t> next_game_start(std::string_view text, std::size_t from);

}  // namespace tarvik::game
