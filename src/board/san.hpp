// Standard Algebraic Notation read into a request, and the legal move a request
// names. The grammar is the one PGN readers agree on: an optional piece letter,
// the origin's file and rank (each optional), "-" or "x", the target, and a
// promotion letter with or without "="; castling is written O-O or O-O-O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

struct SanRequest {
    enum class Castle : std::uint8_t { none, king_side, queen_side };

    Castle castle = Castle::none;
    char piece = 0;  // N, B, R, Q or K; 0 for a pawn, or for any piece when the origin is given in full
    int file = -1;   // of the origin, 0..7, or -1
    int rank = -1;
    Square to = 0;
    std::optional<char32_t> promotion;  // q, r, b, n or k, lower case as read

    // "g1f3", "e7e8q": an origin in full names one move, whatever stands there.
    bool names_origin() const { return !piece && file >= 0 && rank >= 0; }
};

// Matches the grammar (castling aside) at the start of `text` as a regular
// expression engine does: each optional part taken when the rest still matches,
// the earliest way that succeeds. Returns the number of characters taken, 0 for
// no match; `whole` asks for a match of the whole text instead of its start.
std::size_t match_san(std::string_view text, SanRequest& request, bool whole = false);

enum class SanVerdict : std::uint8_t { found, illegal, ambiguous };

struct SanResolution {
    SanVerdict verdict;
    Move move;  // when found
};

// The legal move the request names: found when exactly one legal move matches (a
// broken board may list one move twice), ambiguous when several different ones do.
// A castling move matches only a castling request or an origin given in full; a
// pawn leaves its file only when the request names the file it leaves. Answers as
// resolve_san_by_filtering does in every position, without listing every legal
// move where pins and checks decide; fails where listing them would.
SanResolution resolve_san(const Position& position, const CastlingField& field, const SanRequest& request);

// The same answer as resolve_san in a position of play: one reached by legal moves
// from a position where pins_and_checks (king_safety.hpp) is present, which keeps
// it present. It skips the tests that find the position orderly.
SanResolution resolve_san_in_play(const Position& position, const CastlingField& field, const SanRequest& request);

// The same answer by filtering the whole legal list: the definition.
SanResolution resolve_san_by_filtering(const Position& position, const CastlingField& field,
                                       const SanRequest& request);

}  // namespace tarvik
