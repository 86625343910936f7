// tarvik-magics: finds the magic factors of the slider tables and prints them in
// the form of src/board/magic_numbers.hpp.
//
// For each square, candidates are drawn from a fixed pseudo-random sequence (the
// AND of three draws, so that few bits are set, which makes good factors likelier)
// until one maps every occupancy of the relevant squares to an index that only
// occupancies with the same reach share. The same seed always finds the same table.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/sliders.hpp"

namespace {

using tarvik::Bitboard;
using tarvik::Square;

// SplitMix64: a small generator with a fixed, documented sequence.
struct SplitMix {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

template <std::size_t N>
Bitboard find_magic(const std::array<std::size_t, N>& directions, Square square, SplitMix& random) {
    const Bitboard relevant = tarvik::relevant_squares(directions, square);
    const int bits = std::popcount(relevant);
    std::vector<Bitboard> occupancies, reaches;
    Bitboard occupied = 0;
    do {
        occupancies.push_back(occupied);
        reaches.push_back(tarvik::walked_reach(directions, square, occupied));
        occupied = (occupied - relevant) & relevant;
    } while (occupied);

    std::vector<Bitboard> table(std::size_t{1} << bits);
    std::vector<unsigned> filled_in(table.size(), 0);  // the attempt that last wrote each entry
    for (unsigned attempt = 1;; ++attempt) {
        const Bitboard magic = random.next() & random.next() & random.next();
        // A factor that spreads the relevant squares over too few top bits never works.
        if (std::popcount((relevant * magic) >> 56) < 6) continue;
        bool collision = false;
        for (std::size_t i = 0; i < occupancies.size() && !collision; ++i) {
            const std::size_t index = (occupancies[i] * magic) >> (64 - bits);
            if (filled_in[index] != attempt) {
                filled_in[index] = attempt;
                table[index] = reaches[i];
            } else {
                collision = table[index] != reaches[i];
            }
        }
        if (!collision) return magic;
    }
}

template <std::size_t N>
void print_table(const char* name, const std::array<std::size_t, N>& directions, SplitMix& random) {
    std::printf("inline constexpr std::array<Bitboard, 64> %s{\n", name);
    for (Square square = 0; square < 64; ++square) {
        std::printf("%s0x%016llXull,%s", square % 4 == 0 ? "    " : "",
                    static_cast<unsigned long long>(find_magic(directions, square, random)),
                    square % 4 == 3 ? "\n" : " ");
    }
    std::printf("};\n");
}

}  // namespace

int main() {
    SplitMix random;
    print_table("BISHOP_MAGICS", tarvik::BISHOP_RAYS, random);
    std::printf("\n");
    print_table("ROOK_MAGICS", tarvik::ROOK_RAYS, random);
    return 0;
}
