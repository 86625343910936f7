#include "broken.hpp"

#include "attacks.hpp"
#include "move.hpp"

namespace tarvik {
namespace {

const char* side(bool white) { return white ? "White" : "Black"; }

}  // namespace

std::string broken_position_message(const Position& position, const std::string& failure) {
    const std::string broken = "broken position: ";
    if (position.en_passant && *position.en_passant >= 64) {
        return broken + "the en-passant square " + square_name(*position.en_passant) + " is off the board";
    }
    for (const bool white : {position.turn, !position.turn}) {
        if (!(position.kings & colour_pieces(position, white))) return broken + side(white) + " has no king";
    }
    const Bitboard enemy_kings = position.kings & enemy_pieces(position);
    if (!(enemy_kings & (enemy_kings - 1)) && is_destination(position, position.turn, highest_square(enemy_kings))) {
        return broken + side(position.turn) + " can take " + side(!position.turn) + "'s king";
    }
    return failure;
}

}  // namespace tarvik
