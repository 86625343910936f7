#include "san.hpp"

#include <algorithm>

#include "castling.hpp"
#include "generators.hpp"
#include "king_safety.hpp"
#include "legal.hpp"
#include "pieces.hpp"
#include "sliders.hpp"

namespace tarvik {
namespace {

bool is_piece_letter(char c) { return c == 'N' || c == 'B' || c == 'K' || c == 'R' || c == 'Q'; }
bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_rank(char c) { return c >= '1' && c <= '8'; }
bool is_promotion_letter(char c) { return std::string_view("nbrqkNBRQK").find(c) != std::string_view::npos; }

// The optional promotion after the target, "=Q" or "Q": its length, 0 when there is none.
std::size_t match_promotion(std::string_view rest, SanRequest& request) {
    const std::size_t letter = rest.size() >= 2 && rest[0] == '=' && is_promotion_letter(rest[1]) ? 1 : 0;
    if (rest.size() <= letter || !is_promotion_letter(rest[letter])) return 0;
    request.promotion = char32_t(rest[letter] | 0x20);
    return letter + 1;
}

bool matches(const Position& position, const SanRequest& request, const Move& move) {
    if (request.castle != SanRequest::Castle::none) {
        return castles(position, move) &&
               (move.to_square > move.from_square) == (request.castle == SanRequest::Castle::king_side);
    }
    // Castling is written O-O or O-O-O: "Kg1" and "Kxg1" name a king step.
    if (castles(position, move)) return false;
    if (move.to_square != request.to || move.promotion != request.promotion) return false;
    if (request.file >= 0 && FILE_OF[move.from_square] != request.file) return false;
    if (request.rank >= 0 && RANK_OF[move.from_square] != request.rank + 1) return false;
    const char letter = mover_letter(position, move);
    if (request.piece) return char(letter - 'a' + 'A') == request.piece;
    // Otherwise a pawn; it leaves its own file only when the request names the file it leaves.
    return letter == 'p' && (request.file >= 0 || FILE_OF[move.from_square] == FILE_OF[move.to_square]);
}

// The one move an origin given in full names: a king on e1 or e8 moving onto its
// rook's corner castles, as "e1h1" says in the UCI dialects that write castling so.
Move move_from_origin(const Position& position, const SanRequest& request) {
    const Square from = Square(request.rank * 8 + request.file);
    Square to = request.to;
    if (!request.promotion && (from == 4 || from == 60) && (position.kings & SQUARE_MASKS[from])) {
        if (to == from + 3) to = from + 2;
        if (to == from - 4) to = from - 2;
    }
    return {from, to, request.promotion};
}

Bitboard file_mask(int file) { return file < 0 ? ~Bitboard{0} : 0x0101010101010101ull << file; }
Bitboard rank_mask(int rank) { return rank < 0 ? ~Bitboard{0} : 0xFFull << (8 * rank); }

// The own pieces of the requested kind from which a pseudo-legal move reaches the
// target, among the origins the request allows. En passant is left to the caller.
Bitboard reaching_pieces(const Position& position, const SanRequest& request, Bitboard origins) {
    const Square to = request.to;
    const Bitboard occupancy = occupied(position);
    const Bitboard own = own_pieces(position);
    switch (request.piece) {
        case 'N': return KNIGHT_ATTACKS[to] & position.knights & own & origins;
        case 'B': return diagonal_reach(to, occupancy) & position.bishops & own & origins;
        case 'R': return orthogonal_reach(to, occupancy) & position.rooks & own & origins;
        case 'Q': return queen_reach(to, occupancy) & position.queens & own & origins;
        case 'K': return KING_ATTACKS[to] & position.kings & own & origins;
        default: break;
    }
    // Pawns: a push from the target's file, a capture from the file the request names.
    const bool white = position.turn;
    const Bitboard target = SQUARE_MASKS[to];
    const Bitboard pawns = position.pawns & own & origins;
    const Bitboard one_back = white ? target >> 8 : target << 8;
    if (request.file < 0 || request.file == int(FILE_OF[to])) {
        if (target & occupancy) return 0;
        if (one_back & pawns) return one_back;
        const Bitboard two_back = white ? target >> 16 : target << 16;
        return (target & (white ? RANK_4 : RANK_5)) && !(one_back & occupancy) ? two_back & pawns : 0;
    }
    return target & enemy_pieces(position) ? pawn_capturers(white, target) & pawns : 0;
}

// Whether the request's promotion fits a move of its kind onto its target.
bool promotion_fits(const Position& position, const SanRequest& request) {
    if (request.piece) return !request.promotion;
    const bool promotes = last_rank(position.turn) & SQUARE_MASKS[request.to];
    return promotes ? request.promotion && *request.promotion != U'k' : !request.promotion;
}

SanResolution resolve_in_orderly_position(const Position& position, const SanRequest& request,
                                          const KingSafety& safety) {
    if (!promotion_fits(position, request) || (own_pieces(position) & SQUARE_MASKS[request.to])) {
        return {SanVerdict::illegal, {}};
    }
    const Bitboard origins = file_mask(request.file) & rank_mask(request.rank);
    const LegalTargets legal{position, safety};
    const Bitboard target = SQUARE_MASKS[request.to];
    Bitboard found = 0;
    bitboard_squares(reaching_pieces(position, request, origins), [&](Square from) {
        if (legal.from(from) & target) found |= SQUARE_MASKS[from];
    });
    if (!request.piece && request.file >= 0 && request.file != int(FILE_OF[request.to]) &&
        position.en_passant == request.to) {
        bitboard_squares(en_passant_origins(position.turn, target, position.pawns & own_pieces(position) & origins),
                         [&](Square from) {
                             if (legal.en_passant(from, request.to)) found |= SQUARE_MASKS[from];
                         });
    }
    if (!found) return {SanVerdict::illegal, {}};
    if (found & (found - 1)) return {SanVerdict::ambiguous, {}};
    return {SanVerdict::found, {lowest_square(found), request.to, request.promotion}};
}

}  // namespace

std::size_t match_san(std::string_view text, SanRequest& request, bool whole) {
    // [NBKRQ]? [a-h]? [1-8]? [-x]? [a-h][1-8] (=?[nbrqkNBRQK])?, every optional part
    // tried present before absent, left to right.
    for (int mask = 0; mask < 16; ++mask) {
        const bool want[4] = {!(mask & 8), !(mask & 4), !(mask & 2), !(mask & 1)};
        std::size_t at = 0;
        SanRequest attempt;
        const auto take = [&](bool wanted, bool (*fits)(char), auto&& record) {
            if (!wanted) return true;
            if (at >= text.size() || !fits(text[at])) return false;
            record(text[at++]);
            return true;
        };
        const bool prefix =
            take(want[0], is_piece_letter, [&](char c) { attempt.piece = c; }) &&
            take(want[1], is_file, [&](char c) { attempt.file = c - 'a'; }) &&
            take(want[2], is_rank, [&](char c) { attempt.rank = c - '1'; }) &&
            take(want[3], [](char c) { return c == '-' || c == 'x'; }, [](char) {});
        if (!prefix || at + 2 > text.size() || !is_file(text[at]) || !is_rank(text[at + 1])) continue;
        attempt.to = Square((text[at + 1] - '1') * 8 + (text[at] - 'a'));
        at += 2;
        at += match_promotion(text.substr(at), attempt);
        if (whole && at != text.size()) continue;
        request = attempt;
        return at;
    }
    return 0;
}

SanResolution resolve_san_by_filtering(const Position& position, const CastlingField& field,
                                       const SanRequest& request) {
    MoveList legal;
    legal_moves(position, field, legal);
    if (request.names_origin()) {
        const Move move = move_from_origin(position, request);
        const bool found = std::find(legal.begin(), legal.end(), move) != legal.end();
        return {found ? SanVerdict::found : SanVerdict::illegal, move};
    }
    const Move* found = nullptr;
    for (const Move& move : legal) {
        if (!matches(position, request, move)) continue;
        if (found && !(*found == move)) return {SanVerdict::ambiguous, {}};
        if (!found) found = &move;
    }
    return found ? SanResolution{SanVerdict::found, *found} : SanResolution{SanVerdict::illegal, {}};
}

SanResolution resolve_san(const Position& position, const CastlingField& field, const SanRequest& request) {
    if (request.castle == SanRequest::Castle::none && !request.names_origin()) {
        if (const std::optional<KingSafety> safety = king_safety(position)) {
            return resolve_in_orderly_position(position, request, *safety);
        }
    }
    return resolve_san_by_filtering(position, field, request);
}

}  // namespace tarvik
