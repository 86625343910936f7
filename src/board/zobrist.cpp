#include "zobrist.hpp"

#include <array>

#include "castling.hpp"
#include "polyglot_random.hpp"

namespace tarvik {
namespace {

// Polyglot's order of piece kinds; each kind has a black and then a white entry.
constexpr std::array<Bitboard Position::*, 6> POLYGLOT_KINDS{
    &Position::pawns, &Position::knights, &Position::bishops, &Position::rooks, &Position::queens, &Position::kings};
constexpr std::size_t CASTLING_KEYS = 768, EN_PASSANT_KEYS = 772, WHITE_TO_MOVE_KEY = 780;

}  // namespace

std::uint64_t zobrist_hash(const Position& position, const CastlingField& field) {
    std::uint64_t key = 0;
    for (std::size_t kind = 0; kind < POLYGLOT_KINDS.size(); ++kind) {
        for (const bool white : {false, true}) {
            const std::size_t base = 64 * (2 * kind + white);
            bitboard_squares(position.*POLYGLOT_KINDS[kind] & colour_pieces(position, white),
                             [&](Square square) { key ^= POLYGLOT_RANDOM[base + square]; });
        }
    }
    const std::uint8_t wings = castling_wings(position, field);
    constexpr std::array<std::uint8_t, 4> WING_ORDER{WHITE_KING_SIDE, WHITE_QUEEN_SIDE, BLACK_KING_SIDE,
                                                     BLACK_QUEEN_SIDE};
    for (std::size_t i = 0; i < WING_ORDER.size(); ++i) {
        if (wings & WING_ORDER[i]) key ^= POLYGLOT_RANDOM[CASTLING_KEYS + i];
    }
    if (position.en_passant && *position.en_passant < 64) {
        const Square target = *position.en_passant;
        const Bitboard takers = pawn_capturers(position.turn, SQUARE_MASKS[target]) & position.pawns & own_pieces(position);
        if (takers) key ^= POLYGLOT_RANDOM[EN_PASSANT_KEYS + FILE_OF[target]];
    }
    if (position.turn) key ^= POLYGLOT_RANDOM[WHITE_TO_MOVE_KEY];
    return key;
}

}  // namespace tarvik
