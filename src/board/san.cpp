#include "san.hpp"

#include <algorithm>
#include <array>

#include "apply.hpp"
#include "attacks.hpp"
#include "castling.hpp"
#include "generators.hpp"
#include "king_safety.hpp"
#include "legal.hpp"
#include "pieces.hpp"
#include "sliders.hpp"

namespace tarvik {
namespace {

bool is_piece_letter(char c) { return c == 'N' || c == 'B' || c == 'K' || c == 'R' || c == 'Q'; }

enum : std::uint8_t { FILE_CHARACTER = 1, RANK_CHARACTER = 2, MARK_CHARACTER = 4 };  // "-" or "x"

inline constexpr auto SAN_CHARACTER_KINDS = [] {
    std::array<std::uint8_t, 256> kinds{};
    for (char c = 'a'; c <= 'h'; ++c) kinds[std::uint8_t(c)] = FILE_CHARACTER;
    for (char c = '1'; c <= '8'; ++c) kinds[std::uint8_t(c)] = RANK_CHARACTER;
    kinds['-'] = kinds['x'] = MARK_CHARACTER;
    return kinds;
}();
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

// The one move an origin given in full names, "e1h1" castling as its dialect means.
Move move_from_origin(const Position& position, const SanRequest& request) {
    return castling_as_king_move({Square(request.rank * 8 + request.file), request.to, request.promotion},
                                 position.kings);
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

// The pieces of the requested kind that reach the target and may legally go there,
// `may_go` judging every move but en passant, which empties a second square and is
// tried on a copy.
template <class MayGo>
SanResolution resolve_by_reach(const Position& position, const SanRequest& request, MayGo&& may_go) {
    if (!promotion_fits(position, request) || (own_pieces(position) & SQUARE_MASKS[request.to])) {
        return {SanVerdict::illegal, {}};
    }
    const Bitboard origins = file_mask(request.file) & rank_mask(request.rank);
    const Bitboard target = SQUARE_MASKS[request.to];
    Bitboard found = 0;
    bitboard_squares(reaching_pieces(position, request, origins), [&](Square from) {
        if (may_go(from)) found |= SQUARE_MASKS[from];
    });
    if (!request.piece && request.file >= 0 && request.file != int(FILE_OF[request.to]) &&
        position.en_passant == request.to) {
        bitboard_squares(en_passant_origins(position.turn, target, position.pawns & own_pieces(position) & origins),
                         [&](Square from) {
                             if (!leaves_king_attacked(position, {from, request.to})) found |= SQUARE_MASKS[from];
                         });
    }
    if (!found) return {SanVerdict::illegal, {}};
    if (found & (found - 1)) return {SanVerdict::ambiguous, {}};
    return {SanVerdict::found, {lowest_square(found), request.to, request.promotion}};
}

// Where the pins and checks are known: as LegalTargets says, the king asked only about the target.
SanResolution resolve_in_orderly_position(const Position& position, const SanRequest& request,
                                          const PinsAndChecks& safety) {
    const Bitboard target = SQUARE_MASKS[request.to];
    return resolve_by_reach(position, request, [&](Square from) {
        if (from == safety.king) return king_may_step(position, from, request.to);
        const Bitboard allowed = SQUARE_MASKS[from] & safety.pinned
                                     ? safety.evasion_targets & LINE_THROUGH[safety.king][from]
                                     : safety.evasion_targets;
        return (allowed & target) != 0;
    });
}

}  // namespace

std::size_t match_san(std::string_view text, SanRequest& request, bool whole) {
    // [NBKRQ]? [a-h]? [1-8]? [-x]? [a-h][1-8] (=?[nbrqkNBRQK])?, every optional part
    // tried present before absent, left to right. A piece letter fits no other part,
    // so it is taken whenever it stands first; the eight ways of reading the origin's
    // file, its rank and the capture mark after it are tried below in that order.
    const std::size_t piece = !text.empty() && is_piece_letter(text[0]) ? 1 : 0;
    std::uint8_t kind[5] = {};
    for (std::size_t i = 0; i < 5 && piece + i < text.size(); ++i) {
        kind[i] = SAN_CHARACTER_KINDS[static_cast<unsigned char>(text[piece + i])];
        if (!kind[i]) break;  // no later character can belong to the token
    }
    if (!kind[1]) return 0;  // every shape has at least two characters after the piece
    // The request if the target stands at `target` (after the piece), else 0 (the
    // request is then garbage).
    const auto take = [&](std::size_t target, bool file, bool rank) -> std::size_t {
        request.castle = SanRequest::Castle::none;
        request.piece = piece ? text[0] : 0;
        request.file = file ? text[piece] - 'a' : -1;
        request.rank = rank ? text[piece + file] - '1' : -1;
        const std::size_t at = piece + target;
        request.to = Square((text[at + 1] - '1') * 8 + (text[at] - 'a'));
        request.promotion.reset();
        const std::size_t length = at + 2 + match_promotion(text.substr(at + 2), request);
        return whole && length != text.size() ? 0 : length;
    };
    const auto is = [&](std::size_t i, std::uint8_t wanted) { return (kind[i] & wanted) != 0; };
    std::size_t length = 0;
    if (is(0, FILE_CHARACTER)) {
        if (is(1, RANK_CHARACTER)) {
            if (is(2, MARK_CHARACTER) && is(3, FILE_CHARACTER) && is(4, RANK_CHARACTER) && (length = take(3, true, true))) return length;
            if (is(2, FILE_CHARACTER) && is(3, RANK_CHARACTER) && (length = take(2, true, true))) return length;
        }
        if (is(1, MARK_CHARACTER) && is(2, FILE_CHARACTER) && is(3, RANK_CHARACTER) && (length = take(2, true, false))) return length;
        if (is(1, FILE_CHARACTER) && is(2, RANK_CHARACTER) && (length = take(1, true, false))) return length;
    }
    if (is(0, RANK_CHARACTER)) {
        if (is(1, MARK_CHARACTER) && is(2, FILE_CHARACTER) && is(3, RANK_CHARACTER) && (length = take(2, false, true))) return length;
        if (is(1, FILE_CHARACTER) && is(2, RANK_CHARACTER) && (length = take(1, false, true))) return length;
    }
    if (is(0, MARK_CHARACTER) && is(1, FILE_CHARACTER) && is(2, RANK_CHARACTER) && (length = take(1, false, false))) return length;
    if (is(0, FILE_CHARACTER) && is(1, RANK_CHARACTER)) return take(0, false, false);
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

SanResolution resolve_san_in_play(const Position& position, const CastlingField& field,
                                  const SanRequest& request) {
    if (request.names_origin()) return resolve_san_by_filtering(position, field, request);
    if (request.castle != SanRequest::Castle::none) {
        // The castling moves head the legal list in such a position.
        MoveList castling;
        castling_moves(position, field, castling);
        const bool king_side = request.castle == SanRequest::Castle::king_side;
        for (const Move& move : castling) {
            if ((move.to_square > move.from_square) == king_side) return {SanVerdict::found, move};
        }
        return {SanVerdict::illegal, {}};
    }
    const Square king = highest_square(position.kings & own_pieces(position));
    const Bitboard target = SQUARE_MASKS[request.to];
    const Bitboard checkers = attackers(position, !position.turn, king, occupied(position));
    Bitboard evasion_targets = ~Bitboard{0};
    if (checkers) {
        const bool single = (checkers & (checkers - 1)) == 0;
        evasion_targets = single ? checkers | SQUARES_BETWEEN[king][lowest_square(checkers)] : 0;
    }
    return resolve_by_reach(position, request, [&](Square from) {
        if (from == king) return king_may_step(position, from, request.to);
        if (!(evasion_targets & target)) return false;
        return !is_pinned_to(position, king, from) || (LINE_THROUGH[king][from] & target) != 0;
    });
}

SanResolution resolve_san(const Position& position, const CastlingField& field, const SanRequest& request) {
    if (request.castle == SanRequest::Castle::none && !request.names_origin()) {
        if (const std::optional<PinsAndChecks> safety = pins_and_checks(position)) {
            return resolve_in_orderly_position(position, request, *safety);
        }
    }
    return resolve_san_by_filtering(position, field, request);
}

}  // namespace tarvik
