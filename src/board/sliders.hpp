// Slider reach in constant time. How far a bishop or rook on a square reaches
// depends only on which of its relevant squares are occupied: the squares of its
// rays short of the board's edge (an edge square is reached whether it holds a
// piece or not). Each square owns a block of one shared table with the reach for
// every occupancy of its relevant squares. The occupancy becomes an index into the
// block by a magic multiplication, which runs on every CPU, or by PEXT, which
// packs the relevant bits directly, where the compiler may assume BMI2.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__BMI2__)
#include <immintrin.h>
#endif

#include "bitboard.hpp"
#include "magic_numbers.hpp"

namespace tarvik {

template <std::size_t N>
constexpr Bitboard relevant_squares(const std::array<std::size_t, N>& directions, Square square) {
    Bitboard relevant = 0;
    for (const std::size_t d : directions) {
        const Bitboard ray = RAYS[d][square];
        if (!ray) continue;
        const Square edge = increasing_ray(d) ? highest_square(ray) : lowest_square(ray);
        relevant |= ray & ~SQUARE_MASKS[edge];
    }
    return relevant;
}

// The reach walked ray by ray: what the table holds, and how it is filled.
template <std::size_t N>
constexpr Bitboard walked_reach(const std::array<std::size_t, N>& directions, Square square, Bitboard occupied) {
    Bitboard reach = 0;
    for (const std::size_t d : directions) reach |= ray_reach(d, square, occupied);
    return reach;
}

struct SliderSquare {
    Bitboard relevant;
    Bitboard magic;
    std::uint32_t offset;  // where the square's block starts in SLIDER_REACH
    std::uint8_t shift;    // 64 minus the number of relevant squares
};

template <std::size_t N>
constexpr std::array<SliderSquare, 64> slider_squares(const std::array<std::size_t, N>& directions,
                                                      const std::array<Bitboard, 64>& magics, std::uint32_t offset) {
    std::array<SliderSquare, 64> squares{};
    for (Square s = 0; s < 64; ++s) {
        const Bitboard relevant = relevant_squares(directions, s);
        const int bits = std::popcount(relevant);
        squares[s] = {relevant, magics[s], offset, std::uint8_t(64 - bits)};
        offset += std::uint32_t{1} << bits;
    }
    return squares;
}

constexpr std::uint32_t block_end(const std::array<SliderSquare, 64>& squares) {
    return squares[63].offset + (std::uint32_t{1} << (64 - squares[63].shift));
}

inline constexpr std::array<SliderSquare, 64> BISHOP_SQUARES = slider_squares(BISHOP_RAYS, BISHOP_MAGICS, 0);
inline constexpr std::array<SliderSquare, 64> ROOK_SQUARES =
    slider_squares(ROOK_RAYS, ROOK_MAGICS, block_end(BISHOP_SQUARES));
inline constexpr std::size_t SLIDER_TABLE_SIZE = block_end(ROOK_SQUARES);  // 5,248 bishop and 102,400 rook entries

// The place of an occupancy's reach within a square's block.
inline std::size_t slider_index(const SliderSquare& square, Bitboard occupied) {
#if defined(__BMI2__)
    return _pext_u64(occupied, square.relevant);
#else
    return ((occupied & square.relevant) * square.magic) >> square.shift;
#endif
}

// Filled once, when the library is loaded: 840 KiB is more than is worth making
// the compiler compute at every build, and filling takes about a millisecond.
struct SliderReachTable {
    SliderReachTable();
    std::array<Bitboard, SLIDER_TABLE_SIZE> reach;
};
extern const SliderReachTable SLIDER_REACH;

// The squares a bishop or a rook on `square` reaches over `occupied`: along each
// ray up to and including the first occupied square.
inline Bitboard diagonal_reach(Square square, Bitboard occupied) {
    const SliderSquare& entry = BISHOP_SQUARES[square];
    return SLIDER_REACH.reach[entry.offset + slider_index(entry, occupied)];
}

inline Bitboard orthogonal_reach(Square square, Bitboard occupied) {
    const SliderSquare& entry = ROOK_SQUARES[square];
    return SLIDER_REACH.reach[entry.offset + slider_index(entry, occupied)];
}

}  // namespace tarvik
