#include "notation.hpp"

#include <algorithm>
#include <optional>

#include "apply.hpp"
#include "attacks.hpp"
#include "broken.hpp"
#include "failure.hpp"
#include "fen.hpp"
#include "legal.hpp"
#include "pieces.hpp"

namespace tarvik {
namespace {

[[noreturn]] void reject_text(const Board& board, std::string_view problem, std::string_view text) {
    reject(std::string(problem) + ": '" + std::string(text) + "' in " + to_fen(board));
}

constexpr Bitboard RANK_1_SQUARES = 0xFF;
constexpr Bitboard FILE_A_SQUARES = 0x0101010101010101ull;

Bitboard rank_squares(Square square) { return RANK_1_SQUARES << (square & ~7u); }
Bitboard file_squares(Square square) { return FILE_A_SQUARES << (square & 7u); }

// The piece letter (p r n b q k) of the mover: the first piece set that holds the
// origin, as apply_move finds it. Generated moves always start on a piece.
char mover_letter(const Position& position, const Move& move) {
    const int piece = piece_on(position, SQUARE_MASKS[move.from_square]);
    return piece == NO_PIECE ? '\0' : PIECE_TYPES[std::size_t(piece)].letter;
}

char upper(char32_t letter) { return char(letter - U'a' + U'A'); }

// Kings step one square; only castling carries one two squares.
bool castles(const Position& position, const Move& move) {
    return mover_letter(position, move) == 'k' && square_distance(move.from_square, move.to_square) == 2;
}

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

// What SAN text asks for. Castling is `castle` 'K' or 'Q'; otherwise a target, an
// optional piece letter (upper case; none for pawns or for an origin given in
// full), optional origin file and rank, and an optional promotion letter.
struct SanRequest {
    char castle = 0;
    char piece = 0;
    int file = -1;
    int rank = -1;
    Square to = 0;
    std::optional<char32_t> promotion;

    bool names_origin() const { return !piece && file >= 0 && rank >= 0; }
};

bool strip_suffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix)) return false;
    text.remove_suffix(suffix.size());
    return true;
}

bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_rank(char c) { return c >= '1' && c <= '8'; }

// Read from the end, where SAN is fixed: annotation, check mark, promotion,
// target; then whatever of capture mark, origin and piece letter stands before.
std::optional<SanRequest> read_san(std::string_view text) {
    for (const std::string_view annotation : {"!!", "??", "!?", "?!", "!", "?"}) {
        if (strip_suffix(text, annotation)) break;
    }
    if (!strip_suffix(text, "+")) strip_suffix(text, "#");
    SanRequest request;
    if (text == "O-O" || text == "0-0" || text == "O-O-O" || text == "0-0-0") {
        request.castle = text.size() == 3 ? 'K' : 'Q';
        return request;
    }

    const auto last = [&text] { return text.empty() ? '\0' : text.back(); };
    // A king is a promotion letter too: the text is well formed, only no move is legal.
    if (std::string_view("QRBNKqrbnk").find(last()) != std::string_view::npos && text.size() >= 2) {
        request.promotion = char32_t(last() | 0x20);
        text.remove_suffix(1);
        strip_suffix(text, "=");
    }
    if (text.size() < 2 || !is_file(text[text.size() - 2]) || !is_rank(last())) return std::nullopt;
    request.to = Square((last() - '1') * 8 + (text[text.size() - 2] - 'a'));
    text.remove_suffix(2);
    if (last() == 'x' || last() == '-') text.remove_suffix(1);
    if (is_rank(last())) {
        request.rank = last() - '1';
        text.remove_suffix(1);
    }
    if (is_file(last())) {
        request.file = last() - 'a';
        text.remove_suffix(1);
    }
    if (std::string_view("NBRQK").find(last()) != std::string_view::npos) {
        request.piece = last();
        text.remove_suffix(1);
    }
    if (!text.empty()) return std::nullopt;
    return request;
}

bool matches(const Position& position, const SanRequest& request, const Move& move) {
    if (request.castle) return castles(position, move) && (move.to_square > move.from_square) == (request.castle == 'K');
    // Castling is written O-O or O-O-O: "Kg1" and "Kxg1" name a king step.
    if (castles(position, move)) return false;
    if (move.to_square != request.to || move.promotion != request.promotion) return false;
    if (request.file >= 0 && FILE_OF[move.from_square] != request.file) return false;
    if (request.rank >= 0 && RANK_OF[move.from_square] != request.rank + 1) return false;
    const char letter = mover_letter(position, move);
    if (request.piece) return upper(char32_t(letter)) == request.piece;
    // Otherwise a pawn; it leaves its own file only when the text names the file it leaves.
    return letter == 'p' && (request.file >= 0 || FILE_OF[move.from_square] == FILE_OF[move.to_square]);
}

// The one move an origin given in full names, whatever stands there ("g1f3", "e7e8q"):
// a king on e1 or e8 moving onto its rook's corner castles, as "e1h1" says in UCI
// dialects that write castling so.
Move move_from_origin(const Position& position, const SanRequest& request) {
    const Square from = Square(request.rank * 8 + request.file);
    Square to = request.to;
    if (!request.promotion && (from == 4 || from == 60) && (position.kings & SQUARE_MASKS[from])) {
        if (to == from + 3) to = from + 2;
        if (to == from - 4) to = from - 2;
    }
    return {from, to, request.promotion};
}

}  // namespace

Move legal_move_from_uci(const Board& board, std::string_view text) {
    const std::optional<Move> move = parse_uci(text);
    if (!move) reject_text(board, "invalid uci", text);
    if (!is_legal_move(board.position, board.castling_field(), *move)) reject_text(board, "illegal uci", text);
    return *move;
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
    MoveList legal;
    legal_moves(board.position, board.castling_field(), legal);
    if (request->names_origin()) {
        const Move move = move_from_origin(board.position, *request);
        if (std::find(legal.begin(), legal.end(), move) == legal.end()) reject_text(board, "illegal san", text);
        return move;
    }
    const Move* found = nullptr;
    for (const Move& move : legal) {
        if (!matches(board.position, *request, move)) continue;
        // A broken board may list the same move twice; only different moves are ambiguous.
        if (found && !(*found == move)) reject_text(board, "ambiguous san", text);
        if (!found) found = &move;
    }
    if (!found) reject_text(board, "illegal san", text);
    return *found;
}

}  // namespace tarvik
