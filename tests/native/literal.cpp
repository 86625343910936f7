#include "literal.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "board/apply.hpp"
#include "board/bitboard.hpp"
#include "board/failure.hpp"
#include "board/text.hpp"

namespace tarvik::literal {
namespace {

constexpr Bitboard WHITE_EN_PASSANT_FROM_LEFT = 0x0000007F00000000ull;   // a5..g5
constexpr Bitboard WHITE_EN_PASSANT_FROM_RIGHT = 0x000000FE00000000ull;  // b5..h5

[[noreturn]] void fail_index(std::uint64_t index) {
    fail("index out of bounds: the len is 64 but the index is " + std::to_string(index));
}

// Whether `square`, which may lie off the board, is a square of `set`.
bool holds(Bitboard set, int square) { return square >= 0 && square <= 63 && ((set >> square) & 1); }

Bitboard mask(int square) { return Bitboard{1} << square; }

// The squares of a set, highest first: the walk that fixes every move order.
std::vector<Square> squares_of(Bitboard set) {
    std::vector<Square> squares;
    while (set) {
        const Square square = Square(63 - std::countl_zero(set));
        squares.push_back(square);
        set &= ~mask(int(square));
    }
    return squares;
}

// The squares reached in one step of each offset, dropping steps that leave the
// board or wrap around an edge (their distance reaches `bound`).
Bitboard jumps(Square from, std::span<const std::int8_t> offsets, int bound) {
    Bitboard targets = 0;
    for (const int offset : offsets) {
        const int to = int(from) + offset;
        if (to >= 0 && to <= 63 && square_distance(from, Square(to)) < bound) targets |= mask(to);
    }
    return targets;
}

void add_pawn_move(Moves& moves, Square from, Square to, unsigned last_rank) {
    if (RANK_OF[to] != last_rank) {
        moves.push_back({from, to});
        return;
    }
    for (const char32_t letter : {U'q', U'r', U'n', U'b'}) moves.push_back({from, to, letter});
}

void add_en_passant_moves(const Position& position, Bitboard pawns, Moves& moves) {
    if (!position.en_passant) return;
    const unsigned target = *position.en_passant;
    if (target >= 64) fail_index(target);
    if (position.turn) {
        const Bitboard origins = ((mask(int(target)) >> 9) & pawns & WHITE_EN_PASSANT_FROM_LEFT) |
                                 ((mask(int(target)) >> 7) & pawns & WHITE_EN_PASSANT_FROM_RIGHT);
        for (const Square from : squares_of(origins)) moves.push_back({from, target});
    } else if (RANK_OF[target] == 3) {
        // Black's mirror image: the pawn on e+9 (not on the a-file), then the one on e+7 (not on the h-file).
        const int right = int(target) + 9, left = int(target) + 7;
        if (holds(pawns, right) && FILE_OF[right] != 0) moves.push_back({Square(right), target});
        if (holds(pawns, left) && FILE_OF[left] != 7) moves.push_back({Square(left), target});
    }
}

// Walks each direction from each origin until the edge, an own piece, or a capture.
Moves slider_moves(const Position& position, Bitboard pieces, std::span<const std::int8_t> directions) {
    const Bitboard own = own_pieces(position);
    const Bitboard enemy = enemy_pieces(position);
    Moves moves;
    for (const Square from : squares_of(pieces & own)) {
        for (const int direction : directions) {
            for (int current = int(from);;) {
                const int next = current + direction;
                if (next < 0 || next > 63) break;
                if (square_distance(Square(current), Square(next)) > 1) break;
                if (holds(own, next)) break;
                moves.push_back({from, Square(next)});
                if (holds(enemy, next)) break;
                current = next;
            }
        }
    }
    return moves;
}

void append(Moves& moves, const Moves& more) { moves.insert(moves.end(), more.begin(), more.end()); }

// The other side's pseudo-legal moves, generated with the turn switched; the turn
// is put back on every path.
Moves other_side_moves(Board& board) {
    const bool turn = board.position.turn;
    board.position.turn = !turn;
    try {
        Moves moves = pseudo_legal_moves(board.position);
        board.position.turn = turn;
        return moves;
    } catch (...) {
        board.position.turn = turn;
        throw;
    }
}

bool destination_scan(Board& board, unsigned target) {
    for (const Move& move : other_side_moves(board)) {
        if (move.to_square == target) return true;
    }
    return false;
}

// The squares the piece on `from` attacks by the rules of chess: pawns the two
// squares diagonally ahead, sliders up to and including the first piece. A square
// in several piece sets attacks as each of them.
Bitboard attacks_from(const Position& position, Square from, bool white) {
    static constexpr std::array<std::int8_t, 2> WHITE_PAWN{7, 9};
    static constexpr std::array<std::int8_t, 2> BLACK_PAWN{-7, -9};
    const Bitboard occupancy = occupied(position);
    const auto rays = [&](std::span<const std::int8_t> directions) {
        Bitboard reach = 0;
        for (const int direction : directions) {
            for (int current = int(from), next = current + direction;
                 next >= 0 && next <= 63 && square_distance(Square(current), Square(next)) == 1;
                 current = next, next += direction) {
                reach |= mask(next);
                if (holds(occupancy, next)) break;
            }
        }
        return reach;
    };
    Bitboard reach = 0;
    if (holds(position.pawns, int(from))) reach |= jumps(from, white ? WHITE_PAWN : BLACK_PAWN, 2);
    if (holds(position.knights, int(from))) reach |= jumps(from, KNIGHT_OFFSETS, 3);
    if (holds(position.kings, int(from))) reach |= jumps(from, KING_OFFSETS, 2);
    if (holds(position.bishops | position.queens, int(from))) reach |= rays(BISHOP_DIRECTIONS);
    if (holds(position.rooks | position.queens, int(from))) reach |= rays(ROOK_DIRECTIONS);
    return reach;
}

// Whether a piece of the side not to move attacks `target` by the rules of chess.
// The other side's moves are generated first, only so that this fails exactly
// where the destination scan would.
bool attacked_by_rules(Board& board, Square target) {
    other_side_moves(board);
    const bool white = !board.position.turn;
    for (const Square from : squares_of(colour_pieces(board.position, white))) {
        if (attacks_from(board.position, from, white) & mask(int(target))) return true;
    }
    return false;
}

// The position's castling text: the board's FEN castling field without the letters
// that moves have deleted since.
std::u32string castling_text(const Board& board) {
    std::vector<std::string_view> fields;
    const std::string_view fen = board.fen();
    for (std::size_t start = 0, space = 0; space != std::string_view::npos; start = space + 1) {
        space = fen.find(' ', start);
        fields.push_back(fen.substr(start, space - start));
    }
    std::u32string text;
    if (fields.size() < 3 || fields[2] == "-") return text;
    for (const char32_t c : decode_utf8(fields[2])) {
        const std::uint8_t bit = castling_letter_bit(c);
        if (!bit || (board.position.castling_rights.letters & bit)) text += c;
    }
    return text;
}

struct Wing {
    std::vector<Square> must_be_empty;
    std::vector<Square> path;  // in test order
    Square rook;
    Square king_to;
};

const Wing KING_SIDE{{5, 6}, {4, 5, 6}, 7, 6};
const Wing QUEEN_SIDE{{1, 2, 3}, {4, 3, 2}, 0, 2};

bool castling_allowed(Board& board, const Wing& wing, Square base) {
    const Position& position = board.position;
    for (const Square square : wing.must_be_empty) {
        if (holds(occupied(position), int(base + square))) return false;
    }
    const Bitboard own = own_pieces(position);
    if (!holds(position.kings & own, int(base + 4))) return false;
    if (!holds(position.rooks & own, int(base + wing.rook))) return false;
    for (const Square square : wing.path) {
        if (attacked_by_rules(board, base + square)) return false;
    }
    return true;
}

}  // namespace

Moves pawn_moves(const Position& position) {
    const bool white = position.turn;
    const Bitboard pawns = position.pawns & own_pieces(position);
    const Bitboard empty = ~occupied(position);
    const unsigned last_rank = white ? 8 : 1;
    const int forward = white ? 8 : -8;
    const auto ahead = [white](Bitboard set, int squares) { return white ? set << squares : set >> squares; };
    Moves moves;

    const Bitboard single_pushes = ahead(pawns, 8) & empty;
    for (const Square to : squares_of(single_pushes)) add_pawn_move(moves, to - forward, to, last_rank);

    const Bitboard double_pushes = ahead(single_pushes, 8) & empty & (white ? RANK_4 : RANK_5);
    for (const Square to : squares_of(double_pushes)) moves.push_back({to - 2 * forward, to});

    const Bitboard captures = (white ? ((pawns << 9) & NOT_FILE_A) | ((pawns << 7) & NOT_FILE_H)
                                     : ((pawns >> 9) & NOT_FILE_H) | ((pawns >> 7) & NOT_FILE_A)) &
                              enemy_pieces(position);
    for (const Square to : squares_of(captures)) {
        // The pawn nine squares behind first; neither may stand on the file the capture would wrap from.
        const int far = white ? int(to) - 9 : int(to) + 9;
        const int near = white ? int(to) - 7 : int(to) + 7;
        if (holds(pawns, far) && FILE_OF[far] != (white ? 7 : 0)) add_pawn_move(moves, Square(far), to, last_rank);
        if (holds(pawns, near) && FILE_OF[near] != (white ? 0 : 7)) add_pawn_move(moves, Square(near), to, last_rank);
    }

    add_en_passant_moves(position, pawns, moves);
    return moves;
}

Moves knight_moves(const Position& position) {
    const Bitboard own = own_pieces(position);
    Moves moves;
    for (const Square from : squares_of(position.knights & own)) {
        for (const Square to : squares_of(jumps(from, KNIGHT_OFFSETS, 3) & ~own)) moves.push_back({from, to});
    }
    return moves;
}

Moves king_moves(const Position& position) {
    const Bitboard own = own_pieces(position);
    const std::vector<Square> kings = squares_of(position.kings & own);
    // The king square of a side without king is 63 minus 64 in a machine word.
    if (kings.empty()) fail_index(std::uint64_t{63} - 64);
    const Square from = kings.front();  // only the highest king of a side moves
    Moves moves;
    for (const Square to : squares_of(jumps(from, KING_OFFSETS, 2) & ~own)) moves.push_back({from, to});
    return moves;
}

Moves bishop_moves(const Position& position) { return slider_moves(position, position.bishops, BISHOP_DIRECTIONS); }
Moves rook_moves(const Position& position) { return slider_moves(position, position.rooks, ROOK_DIRECTIONS); }
Moves queen_moves(const Position& position) { return slider_moves(position, position.queens, KING_OFFSETS); }

Moves pseudo_legal_moves(const Position& position) {
    Moves moves = pawn_moves(position);
    append(moves, knight_moves(position));
    append(moves, king_moves(position));
    append(moves, bishop_moves(position));
    append(moves, rook_moves(position));
    append(moves, queen_moves(position));
    return moves;
}

bool is_attacked(Board& board, unsigned square) { return destination_scan(board, square); }

bool is_check(Board& board) {
    const std::vector<Square> kings = squares_of(board.position.kings & own_pieces(board.position));
    if (kings.empty()) {
        other_side_moves(board);  // the scan still runs, and may fail, but matches nothing
        return false;
    }
    return destination_scan(board, kings.front());
}

Moves castling_moves(Board& board) {
    if (!board.position.castling_rights.present) return {};
    const bool white = board.position.turn;
    std::u32string letters;
    for (const char32_t c : castling_text(board)) {
        if (white ? is_uppercase(c) : is_lowercase(c)) letters += c;
    }
    const Square base = white ? 0 : 56;
    Moves moves;
    for (const char32_t letter : letters) {
        const Wing& wing = letter == U'K' || letter == U'k' ? KING_SIDE : QUEEN_SIDE;
        if (castling_allowed(board, wing, base)) moves.push_back({base + 4, base + wing.king_to});
    }
    return moves;
}

Moves legal_moves(Board& board) {
    Moves legal = castling_moves(board);
    const bool mover = board.position.turn;
    for (const Move& candidate : pseudo_legal_moves(board.position)) {
        try {
            apply_move(board, candidate);
            board.position.turn = mover;
            if (!is_check(board)) legal.push_back(candidate);
        } catch (...) {
            pop(board);
            throw;
        }
        pop(board);
    }
    return legal;
}

bool is_checkmate(Board& board) { return is_check(board) && legal_moves(board).empty(); }
bool is_stalemate(Board& board) { return !is_check(board) && legal_moves(board).empty(); }
bool is_game_over(Board& board) { return is_checkmate(board) || is_stalemate(board); }

}  // namespace tarvik::literal
