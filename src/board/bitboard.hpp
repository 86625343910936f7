// Squares, bitboards and the constant tables every part of the engine shares.
// All tables are computed by the compiler; nothing here runs at start-up.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace tarvik {

// Bit i of a Bitboard stands for square i: a1 = 0, h1 = 7, a8 = 56, h8 = 63.
using Bitboard = std::uint64_t;
using Square = unsigned;

inline constexpr std::array<Bitboard, 64> SQUARE_MASKS = [] {
    std::array<Bitboard, 64> masks{};
    for (Square s = 0; s < 64; ++s) masks[s] = Bitboard{1} << s;
    return masks;
}();

inline constexpr std::array<std::uint8_t, 64> RANK_OF = [] {
    std::array<std::uint8_t, 64> ranks{};
    for (Square s = 0; s < 64; ++s) ranks[s] = static_cast<std::uint8_t>(s / 8 + 1);
    return ranks;
}();

inline constexpr std::array<std::uint8_t, 64> FILE_OF = [] {
    std::array<std::uint8_t, 64> files{};
    for (Square s = 0; s < 64; ++s) files[s] = static_cast<std::uint8_t>(s % 8);
    return files;
}();

// The order of these tables is the order in which generators visit them, and so
// the order of the moves they produce.
inline constexpr std::array<std::int8_t, 8> KNIGHT_OFFSETS{17, 15, 10, 6, -6, -10, -15, -17};
inline constexpr std::array<std::int8_t, 8> KING_OFFSETS{9, 8, 7, 1, -1, -7, -8, -9};
inline constexpr std::array<std::int8_t, 4> BISHOP_DIRECTIONS{9, 7, -7, -9};
inline constexpr std::array<std::int8_t, 4> ROOK_DIRECTIONS{8, 1, -1, -8};
inline constexpr std::array<char, 8> FILE_LETTERS{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};

inline constexpr Bitboard NOT_FILE_A = 0xFEFEFEFEFEFEFEFEull;
inline constexpr Bitboard NOT_FILE_H = 0x7F7F7F7F7F7F7F7Full;
// The first and the last rank, where pawns never stand and promote.
inline constexpr Bitboard BACK_RANKS = 0xFF000000000000FFull;
inline constexpr Bitboard RANK_4 = 0x00000000FF000000ull;
inline constexpr Bitboard RANK_5 = 0x000000FF00000000ull;

// King distance: the larger of the rank and the file difference. A step whose
// distance exceeds what the piece can cover has wrapped around the a/h edge.
constexpr int square_distance(Square a, Square b) {
    const int ranks = RANK_OF[a] - RANK_OF[b];
    const int files = FILE_OF[a] - FILE_OF[b];
    const int rank_distance = ranks < 0 ? -ranks : ranks;
    const int file_distance = files < 0 ? -files : files;
    return rank_distance > file_distance ? rank_distance : file_distance;
}

constexpr std::array<Bitboard, 64> jump_table(const std::array<std::int8_t, 8>& offsets, int bound) {
    std::array<Bitboard, 64> table{};
    for (int s = 0; s < 64; ++s) {
        for (const int offset : offsets) {
            const int t = s + offset;
            if (t >= 0 && t <= 63 && square_distance(Square(s), Square(t)) < bound) table[s] |= SQUARE_MASKS[t];
        }
    }
    return table;
}

inline constexpr std::array<Bitboard, 64> KNIGHT_ATTACKS = jump_table(KNIGHT_OFFSETS, 3);
inline constexpr std::array<Bitboard, 64> KING_ATTACKS = jump_table(KING_OFFSETS, 2);

// RAYS[d][s]: the squares walked from s (excluded) in direction KING_OFFSETS[d]
// up to the board's edge. Directions 0 to 3 increase the square number.
inline constexpr std::array<std::array<Bitboard, 64>, 8> RAYS = [] {
    std::array<std::array<Bitboard, 64>, 8> rays{};
    for (std::size_t d = 0; d < 8; ++d) {
        for (int s = 0; s < 64; ++s) {
            for (int current = s, next = s + KING_OFFSETS[d];
                 next >= 0 && next <= 63 && square_distance(Square(current), Square(next)) == 1;
                 current = next, next += KING_OFFSETS[d]) {
                rays[d][s] |= SQUARE_MASKS[next];
            }
        }
    }
    return rays;
}();

// Indices into RAYS of the slider directions, in the order of the tables above.
inline constexpr std::array<std::size_t, 4> BISHOP_RAYS{0, 2, 5, 7};
inline constexpr std::array<std::size_t, 4> ROOK_RAYS{1, 3, 4, 6};
inline constexpr std::array<std::size_t, 8> QUEEN_RAYS{0, 1, 2, 3, 4, 5, 6, 7};

constexpr bool increasing_ray(std::size_t direction) { return direction < 4; }

// Every square a bishop or a rook on s could reach on an empty board: a slider off
// these lines cannot attack s, however the board is filled.
constexpr std::array<Bitboard, 64> lines_through(const std::array<std::size_t, 4>& directions) {
    std::array<Bitboard, 64> lines{};
    for (std::size_t s = 0; s < 64; ++s) {
        for (const std::size_t d : directions) lines[s] |= RAYS[d][s];
    }
    return lines;
}
inline constexpr std::array<Bitboard, 64> DIAGONALS = lines_through(BISHOP_RAYS);
inline constexpr std::array<Bitboard, 64> ORTHOGONALS = lines_through(ROOK_RAYS);

constexpr Square highest_square(Bitboard set) { return Square(63 - std::countl_zero(set)); }

// The set seen from the other side of the board: rank 1 and rank 8 swap places, and so on.
constexpr Bitboard flip_ranks(Bitboard set) {
    set = ((set >> 8) & 0x00FF00FF00FF00FFull) | ((set & 0x00FF00FF00FF00FFull) << 8);
    set = ((set >> 16) & 0x0000FFFF0000FFFFull) | ((set & 0x0000FFFF0000FFFFull) << 16);
    return (set >> 32) | (set << 32);
}
constexpr Square lowest_square(Bitboard set) { return Square(std::countr_zero(set)); }

// The squares a ray from `from` reaches over `occupied`: up to and including the
// first occupied square. Walked one ray at a time; the slider tables (sliders.hpp)
// answer the same in one lookup.
constexpr Bitboard ray_reach(std::size_t direction, Square from, Bitboard occupied) {
    const Bitboard ray = RAYS[direction][from];
    const Bitboard blockers = ray & occupied;
    if (!blockers) return ray;
    const Square blocker = increasing_ray(direction) ? lowest_square(blockers) : highest_square(blockers);
    return ray & ~RAYS[direction][blocker];
}

// SQUARES_BETWEEN[a][b]: the squares strictly between two squares on one line
// (rank, file or diagonal); empty when they share no line or stand side by side.
// LINE_THROUGH[a][b]: the whole line through both, edge to edge; empty when they
// share none. A piece pinned against its king keeps to the line through both.
inline constexpr auto SQUARES_BETWEEN = [] {
    std::array<std::array<Bitboard, 64>, 64> between{};
    for (std::size_t d = 0; d < 8; ++d) {
        for (Square a = 0; a < 64; ++a) {
            for (Bitboard ray = RAYS[d][a]; ray; ray &= ray - 1) {
                const Square b = lowest_square(ray);
                between[a][b] = RAYS[d][a] & ~RAYS[d][b] & ~SQUARE_MASKS[b];
            }
        }
    }
    return between;
}();

inline constexpr auto LINE_THROUGH = [] {
    std::array<std::array<Bitboard, 64>, 64> lines{};
    for (std::size_t d = 0; d < 4; ++d) {
        // Direction d and direction 7 - d are the two halves of one line.
        for (Square a = 0; a < 64; ++a) {
            const Bitboard line = RAYS[d][a] | RAYS[7 - d][a] | SQUARE_MASKS[a];
            for (Bitboard ray = line & ~SQUARE_MASKS[a]; ray; ray &= ray - 1) lines[a][lowest_square(ray)] = line;
        }
    }
    return lines;
}();

// Squares holding a pawn of the given colour that could capture onto `target`.
inline Bitboard pawn_capturers(bool white, Bitboard target) {
    return white ? ((target >> 9) & NOT_FILE_H) | ((target >> 7) & NOT_FILE_A)
                 : ((target << 9) & NOT_FILE_A) | ((target << 7) & NOT_FILE_H);
}

// Squares holding a pawn of the given colour that could take en passant onto
// `target`: White's pawns stand on rank 5, Black's on rank 4, beside the file.
inline Bitboard en_passant_origins(bool white, Bitboard target, Bitboard pawns) {
    constexpr Bitboard WHITE_FROM_LEFT = 0x0000007F00000000ull;   // a5..g5: the pawn on e-9
    constexpr Bitboard WHITE_FROM_RIGHT = 0x000000FE00000000ull;  // b5..h5: the pawn on e-7
    constexpr Bitboard BLACK_FROM_RIGHT = 0x00000000FE000000ull;  // b4..h4: the pawn on e+9
    constexpr Bitboard BLACK_FROM_LEFT = 0x000000007F000000ull;   // a4..g4: the pawn on e+7
    return white ? ((target >> 9) & pawns & WHITE_FROM_LEFT) | ((target >> 7) & pawns & WHITE_FROM_RIGHT)
                 : ((target << 9) & pawns & BLACK_FROM_RIGHT) | ((target << 7) & pawns & BLACK_FROM_LEFT);
}

// Calls visit(square) for every square of `set`, highest square first: the walk
// that fixes the order of every move list.
template <class Visit>
inline void bitboard_squares(Bitboard set, Visit&& visit) {
    while (set) {
        const Square square = highest_square(set);
        set ^= SQUARE_MASKS[square];
        visit(square);
    }
}

}  // namespace tarvik
