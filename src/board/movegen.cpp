#include "movegen.hpp"

#include "generators.hpp"

namespace tarvik {

void pawn_moves(const Position& position, MoveList& moves) { generate_pawn_moves(position, EveryTarget{}, moves); }
void knight_moves(const Position& position, MoveList& moves) { generate_knight_moves(position, EveryTarget{}, moves); }
void king_moves(const Position& position, MoveList& moves) { generate_king_moves(position, EveryTarget{}, moves); }
void bishop_moves(const Position& position, MoveList& moves) { generate_bishop_moves(position, EveryTarget{}, moves); }
void rook_moves(const Position& position, MoveList& moves) { generate_rook_moves(position, EveryTarget{}, moves); }
void queen_moves(const Position& position, MoveList& moves) { generate_queen_moves(position, EveryTarget{}, moves); }
void pseudo_legal_moves(const Position& position, MoveList& moves) { generate_moves(position, EveryTarget{}, moves); }

}  // namespace tarvik
