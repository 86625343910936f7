#include "validity.hpp"

#include <bit>
#include <optional>

#include "attacks.hpp"
#include "castling.hpp"
#include "pieces.hpp"
#include "queries.hpp"
#include "rook_rights.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

// The en-passant square, when a double push of the side not to move could have
// made it: on the third or sixth rank and empty, the pushed pawn beyond it, the
// square the pawn came from empty. python-chess reads square a1 (0) as no square.
std::optional<Square> possible_en_passant(const Position& p) {
    if (!p.en_passant || *p.en_passant == 0 || *p.en_passant >= 64) return std::nullopt;
    const Square square = *p.en_passant;
    const Bitboard target = SQUARE_MASKS[square];
    const Bitboard pushed = p.turn ? target >> 8 : target << 8;
    const Bitboard vacated = p.turn ? target << 8 : target >> 8;
    if (RANK_OF[square] != (p.turn ? 6 : 3)) return std::nullopt;
    if (!(p.pawns & colour_pieces(p, !p.turn) & pushed) || (occupied(p) & (target | vacated))) return std::nullopt;
    return square;
}

// Rights the castling text grants that cannot be used. Each character names a rook
// square of its side's back rank: K and H the h-file, Q and A the a-file, another
// file letter its file; whatever python-chess's reading grants a right to is usable
// exactly where the square so named is. A character python-chess cannot read (any
// but KQA..H and kqa..h) is a bad right in itself.
bool bad_castling_rights(const Board& board) {
    const std::optional<std::string> text = castling_text(board.position, board.castling_field());
    if (!text) return false;
    Bitboard granted = 0;
    for (const char32_t c : decode_utf8(*text)) {
        const char32_t letter = c | 0x20;  // lower case, for ASCII letters
        Square file;
        if (c >= 0x80) {
            return true;
        } else if (letter == U'k') {
            file = 7;
        } else if (letter == U'q') {
            file = 0;
        } else if (letter >= U'a' && letter <= U'h') {
            file = letter - U'a';
        } else {
            return true;
        }
        granted |= SQUARE_MASKS[file + (c < U'a' ? 0 : 56)];
    }
    return granted != usable_rooks(board.position, 0, granted);
}

// Two checkers no single move could have uncovered, or a check the last move, a
// double push onto the en-passant square, could not have given.
bool impossible_check(const Position& p, Bitboard checkers, std::optional<Square> en_passant) {
    const Bitboard kings = p.kings & own_pieces(p);
    const int count = std::popcount(checkers);
    if (!en_passant) {
        return count > 2 || (count == 2 && (LINE_THROUGH[lowest_square(checkers)][highest_square(checkers)] & kings));
    }
    const Square pushed_to = *en_passant ^ 8, pushed_from = *en_passant ^ 24;
    if (count > 1) return true;
    if (highest_square(checkers) == pushed_to) return false;
    // Was the king already attacked before the push?
    const Bitboard before = (occupied(p) & ~SQUARE_MASKS[pushed_to]) | SQUARE_MASKS[pushed_from];
    bool attacked = false;
    bitboard_squares(kings, [&](Square king) { attacked = attacked || attackers(p, !p.turn, king, before); });
    return attacked;
}

bool inconsistent_sets(const Position& p) {
    Bitboard seen = 0, doubled = 0;
    for (const PieceType& type : PIECE_TYPES) {
        doubled |= seen & p.*type.set;
        seen |= p.*type.set;
    }
    return doubled || (p.white_pieces & p.black_pieces) || seen != occupied(p);
}

}  // namespace

std::uint32_t status(const Board& board) {
    const Position& p = board.position;
    const Bitboard occupancy = occupied(p);
    std::uint32_t errors = 0;
    const auto flag = [&errors](bool problem, Status bit) {
        if (problem) errors |= bit;
    };
    flag(!occupancy, EMPTY);
    flag(!(p.kings & p.white_pieces), NO_WHITE_KING);
    flag(!(p.kings & p.black_pieces), NO_BLACK_KING);
    flag(std::popcount(p.kings & occupancy) > 2, TOO_MANY_KINGS);
    flag(std::popcount(p.white_pieces) > 16, TOO_MANY_WHITE_PIECES);
    flag(std::popcount(p.black_pieces) > 16, TOO_MANY_BLACK_PIECES);
    flag(std::popcount(p.white_pieces & p.pawns) > 8, TOO_MANY_WHITE_PAWNS);
    flag(std::popcount(p.black_pieces & p.pawns) > 8, TOO_MANY_BLACK_PAWNS);
    flag(p.pawns & occupancy & BACK_RANKS, PAWNS_ON_BACKRANK);
    // python-chess settles the rights with the first move played; from then on they stand.
    flag(board.move_stack.empty() && bad_castling_rights(board), BAD_CASTLING_RIGHTS);
    const std::optional<Square> en_passant = possible_en_passant(p);
    flag(p.en_passant != en_passant, INVALID_EP_SQUARE);
    const std::optional<Square> other_king = king_square(p, !p.turn);
    flag(other_king && attackers(p, p.turn, *other_king, occupancy), OPPOSITE_CHECK);
    if (const Bitboard checking = checkers(p)) {
        flag(std::popcount(checking) > 2, TOO_MANY_CHECKERS);
        flag(impossible_check(p, checking, en_passant), IMPOSSIBLE_CHECK);
    }
    flag(inconsistent_sets(p), INCONSISTENT_SETS);
    return errors;
}

}  // namespace tarvik
