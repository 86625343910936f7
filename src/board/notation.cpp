#include "notation.hpp"

#include <algorithm>
#include <optional>

#include "apply.hpp"
#include "attacks.hpp"
#include "broken.hpp"
#include "castling.hpp"
#include "failure.hpp"
#include "fen.hpp"
#include "legal.hpp"
#include "pieces.hpp"
#include "san.hpp"

namespace tarvik {
namespace {

[[noreturn]] void reject_text(const Board& board, std::string_view problem, std::string_view text) {
    reject(std::string(problem) + ": '" + std::string(text) + "' in " + to_fen(board));
}

constexpr Bitboard RANK_1_SQUARES = 0xFF;
constexpr Bitboard FILE_A_SQUARES = 0x0101010101010101ull;

Bitboard rank_squares(Square square) { return RANK_1_SQUARES << (square & ~7u); }
Bitboard file_squares(Square square) { return FILE_A_SQUARES << (square & 7u); }

char upper(char32_t letter) { return char(letter - U'a' + U'A'); }

bool captures(const Position& position, const Move& move) {
    return (enemy_pieces(position) & SQUARE_MASKS[move.to_square]) || takes_en_passant(position, move);
}

// The file, the rank or both of the origin, when another piece of the same kind
// can go to the same square: the file if that tells them apart, else the rank.
std::string origin_hint(const Position& position, const MoveList& legal, const Move& move) {
    const Bitboard origin = SQUARE_MASKS[move.from_square];
    const Bitboard* kind = piece_set(position, char32_t(mover_letter(position, move)));
    const Bitboard same_kind = kind ? *kind & own_pieces(position) : 0;
    Bitboard others = 0;
    for (const Move& other : legal) {
        if (other.to_square == move.to_square) others |= SQUARE_MASKS[other.from_square] & same_kind & ~origin;
    }
    if (!others) return "";
    const bool same_file = others & file_squares(move.from_square);
    const bool same_rank = others & rank_squares(move.from_square);
    std::string hint;
    if (same_rank || !same_file) hint += FILE_LETTERS[FILE_OF[move.from_square]];
    if (same_file) hint += char('0' + RANK_OF[move.from_square]);
    return hint;
}

enum class Form { standard, long_form };

std::string san_without_suffix(const Position& position, const MoveList& legal, const Move& move, Form form) {
    if (castles(position, move)) return move.to_square > move.from_square ? "O-O" : "O-O-O";
    const char letter = mover_letter(position, move);
    const bool capture = captures(position, move);
    std::string text;
    if (letter != 'p') text += upper(char32_t(letter));
    if (form == Form::long_form) {
        text += square_name(move.from_square);
    } else if (letter != 'p') {
        text += origin_hint(position, legal, move);
    } else if (capture) {
        text += FILE_LETTERS[FILE_OF[move.from_square]];
    }
    if (capture) {
        text += 'x';
    } else if (form == Form::long_form) {
        text += '-';
    }
    text += square_name(move.to_square);
    if (move.promotion) {
        text += '=';
        text += upper(*move.promotion);
    }
    return text;
}

const char* check_suffix(const Board& board, const Move& move) {
    Position after = board.position;
    make_move(after, move);
    try {
        if (!is_check(after)) return "";
        MoveList replies;
        legal_moves(after, board.castling_field(), replies);
        return replies.empty() ? "#" : "+";
    } catch (const InternalFailure&) {
        // A broken board where the check test has no answer (the side to move after
        // the move lacks a king the rules can find): the move is written without a mark.
        return "";
    }
}

// The notation of a legal move in either form, with its check mark.
std::string algebraic(const Board& board, const Move& move, Form form) {
    MoveList legal;
    legal_moves(board.position, board.castling_field(), legal);
    if (std::find(legal.begin(), legal.end(), move) == legal.end()) reject_text(board, "illegal move", uci(move));
    return san_without_suffix(board.position, legal, move, form) + check_suffix(board, move);
}

bool strip_suffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix)) return false;
    text.remove_suffix(suffix.size());
    return true;
}

// SAN as a caller may write it: an annotation and a check mark after the move
// are read past; castling may be written with zeros.
std::optional<SanRequest> read_san(std::string_view text) {
    for (const std::string_view annotation : {"!!", "??", "!?", "?!", "!", "?"}) {
        if (strip_suffix(text, annotation)) break;
    }
    if (!strip_suffix(text, "+")) strip_suffix(text, "#");
    SanRequest request;
    if (text == "O-O" || text == "0-0" || text == "O-O-O" || text == "0-0-0") {
        request.castle = text.size() == 3 ? SanRequest::Castle::king_side : SanRequest::Castle::queen_side;
        return request;
    }
    if (text.empty() || !match_san(text, request, true)) return std::nullopt;
    return request;
}

}  // namespace

Move legal_move_from_uci(const Board& board, std::string_view text) {
    const std::optional<Move> move = parse_uci(text);
    if (!move) reject_text(board, "invalid uci", text);
    if (!is_legal_move(board.position, board.castling_field(), *move)) reject_text(board, "illegal uci", text);
    return *move;
}

Move legal_move_from_squares(const Board& board, Square from, Square to, std::optional<char32_t> promotion) {
    const Position& position = board.position;
    if (!promotion && (position.pawns & SQUARE_MASKS[from]) && (SQUARE_MASKS[to] & BACK_RANKS)) promotion = U'q';
    const Move move = castling_as_king_move({from, to, promotion}, position.kings);
    const bool legal = rejecting_broken(position, [&] { return is_legal_move(position, board.castling_field(), move); });
    if (!legal) {
        reject("no matching legal move for " + uci(move) + " (" + square_name(from) + " -> " + square_name(to) +
               ") in " + to_fen(board));
    }
    return move;
}

std::string san(const Board& board, const Move& move) { return algebraic(board, move, Form::standard); }

std::string lan(const Board& board, const Move& move) {
    return rejecting_broken(board.position, [&] { return algebraic(board, move, Form::long_form); });
}

std::string variation_san(const Board& board, std::span<const Move> moves) {
    Board line{board.position, board.origin, {}, {}};
    std::string text;
    for (const Move& move : moves) {
        const Position& position = line.position;
        const std::string written = rejecting_broken(position, [&] { return san(line, move); });
        if (!text.empty()) text += ' ';
        if (position.turn) {
            text += std::to_string(position.full_move_number) + ". ";
        } else if (text.empty()) {
            text += std::to_string(position.full_move_number) + "...";
        }
        text += written;
        make_move(line.position, move);
    }
    return text;
}

Move legal_move_from_san(const Board& board, std::string_view text) {
    const std::optional<SanRequest> request = read_san(text);
    if (!request) reject_text(board, "invalid san", text);
    const SanResolution resolution = resolve_san(board.position, board.castling_field(), *request);
    if (resolution.verdict == SanVerdict::illegal) reject_text(board, "illegal san", text);
    if (resolution.verdict == SanVerdict::ambiguous) reject_text(board, "ambiguous san", text);
    return resolution.move;
}

}  // namespace tarvik
