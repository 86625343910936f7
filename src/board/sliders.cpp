#include "sliders.hpp"

namespace tarvik {
namespace {

template <std::size_t N>
void fill_blocks(std::array<Bitboard, SLIDER_TABLE_SIZE>& reach, const std::array<SliderSquare, 64>& squares,
                 const std::array<std::size_t, N>& directions) {
    for (Square s = 0; s < 64; ++s) {
        const SliderSquare& entry = squares[s];
        // Every subset of the relevant squares, by the carry-rippler: 0 first, then
        // counting up within the mask until it wraps back to 0.
        Bitboard occupied = 0;
        do {
            reach[entry.offset + slider_index(entry, occupied)] = walked_reach(directions, s, occupied);
            occupied = (occupied - entry.relevant) & entry.relevant;
        } while (occupied);
    }
}

}  // namespace

SliderReachTable::SliderReachTable() : reach{} {
    fill_blocks(reach, BISHOP_SQUARES, BISHOP_RAYS);
    fill_blocks(reach, ROOK_SQUARES, ROOK_RAYS);
}

const SliderReachTable SLIDER_REACH;

}  // namespace tarvik
