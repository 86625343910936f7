#include "draws.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <vector>

#include "apply.hpp"
#include "castling.hpp"
#include "legal.hpp"
#include "pieces.hpp"

namespace tarvik {
namespace {

struct RepetitionKey {
    std::array<Bitboard, 8> sets;
    bool turn;
    std::uint8_t castling_wings;
    std::optional<std::uint8_t> en_passant;

    friend bool operator==(const RepetitionKey&, const RepetitionKey&) = default;
};

// The en-passant square, while a legal capture there exists.
std::optional<std::uint8_t> capturable_en_passant(const Position& position, const CastlingField& field) {
    if (!position.en_passant || *position.en_passant >= 64) return std::nullopt;
    const Square target = *position.en_passant;
    if (!(pawn_capturers(position.turn, SQUARE_MASKS[target]) & position.pawns & own_pieces(position))) {
        return std::nullopt;
    }
    MoveList moves;
    legal_moves(position, field, moves);
    for (const Move& move : moves) {
        if (takes_en_passant(position, move)) return position.en_passant;
    }
    return std::nullopt;
}

RepetitionKey repetition_key(const Position& p, const CastlingField& field) {
    RepetitionKey key{{}, p.turn, castling_wings(p, field), capturable_en_passant(p, field)};
    for (std::size_t i = 0; i < POSITION_SETS.size(); ++i) key.sets[i] = p.*POSITION_SETS[i];
    return key;
}

// A move no later position can undo: a capture or pawn move, or one after which
// fewer castling wings are usable. A record that was never played (a square off
// the board) counts as one too.
bool is_irreversible(const Position& before, const Move& move, const Position& after, const CastlingField& field) {
    if (move.from_square >= 64 || move.to_square >= 64) return true;
    return reset_half_move_clock(before, SQUARE_MASKS[move.from_square], SQUARE_MASKS[move.to_square]) ||
           castling_wings(before, field) != castling_wings(after, field);
}


// The keys of the positions a repetition of the current one may count: the current
// one, then each one before a move, back to the last irreversible move.
std::vector<RepetitionKey> repetition_window(const Board& board) {
    const CastlingField& field = board.castling_field();
    std::vector<RepetitionKey> keys{repetition_key(board.position, field)};
    for (std::size_t moves = board.history.size(); moves > 0; --moves) {
        const Position& before = board.history[moves - 1];
        const Position& after = moves < board.history.size() ? board.history[moves] : board.position;
        if (is_irreversible(before, board.move_stack[moves - 1], after, field)) break;
        keys.push_back(repetition_key(before, field));
    }
    return keys;
}

constexpr Bitboard DARK_SQUARES = 0xAA55AA55AA55AA55ull;

}  // namespace

bool has_legal_en_passant(const Position& position, const CastlingField& field) {
    return capturable_en_passant(position, field).has_value();
}

bool can_claim_threefold_repetition(const Board& board, const MoveList& legal) {
    const std::vector<RepetitionKey> window = repetition_window(board);
    if (std::count(window.begin(), window.end(), window.front()) >= 3) return true;
    for (const Move& move : legal) {
        Position after = board.position;
        make_move(after, move);
        if (std::count(window.begin(), window.end(), repetition_key(after, board.castling_field())) >= 2) return true;
    }
    return false;
}

bool can_claim_fifty_moves(const Position& position, const CastlingField& field, const MoveList& legal) {
    if (position.half_move_clock >= 100 && !legal.empty()) return true;
    if (position.half_move_clock != 99) return false;
    for (const Move& move : legal) {
        Position after = position;
        make_move(after, move);
        if (is_clock_draw(after, field, 100)) return true;
    }
    return false;
}

bool is_repetition(const Board& board, long long count) {
    const CastlingField& field = board.castling_field();
    const RepetitionKey now = repetition_key(board.position, field);
    // Walk back one move at a time, as taking moves back would.
    for (std::size_t moves = board.history.size();; --moves) {
        if (count <= 1) return true;
        if (static_cast<long long>(moves) < count - 1) return false;
        const Position& before = board.history[moves - 1];
        const Position& after = moves < board.history.size() ? board.history[moves] : board.position;
        if (is_irreversible(before, board.move_stack[moves - 1], after, field)) return false;
        if (repetition_key(before, field) == now) --count;
    }
}

bool is_clock_draw(const Position& position, const CastlingField& field, std::uint32_t half_moves) {
    if (position.half_move_clock < half_moves) return false;
    MoveList moves;
    legal_moves(position, field, moves);
    return !moves.empty();
}

bool has_insufficient_material(const Position& p, bool white) {
    const Bitboard own = colour_pieces(p, white);
    const Bitboard other = colour_pieces(p, !white);
    if (own & (p.pawns | p.rooks | p.queens)) return false;
    // The other side's pawns, knights, bishops or rooks could let a knight mate.
    if (own & p.knights) return std::popcount(own) <= 2 && !(other & ~p.kings & ~p.queens);
    if (own & p.bishops) {
        const bool one_colour = !(p.bishops & DARK_SQUARES) || !(p.bishops & ~DARK_SQUARES);
        return one_colour && !p.pawns && !p.knights;
    }
    return true;
}

bool is_insufficient_material(const Position& position) {
    return has_insufficient_material(position, true) && has_insufficient_material(position, false);
}

}  // namespace tarvik
