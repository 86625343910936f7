// tarvik-differential [--seed N] [--count N]
//
// Runs the engine's move logic and the literal algorithm (literal.hpp) side by side
// on many positions: well-known ones, positions reached by random play, FENs with
// odd fields, and positions broken on purpose through their fields. Every call
// must give the same moves in the same order, the same answer or the same failure,
// and leave the board and both stacks as they were; perft two plies deep must
// count what the engine's own legal lists give, and SAN requests must name the same
// move as filtering the legal list does. Before the positions, every entry of
// the slider table is checked against the literal ray walk. The first difference
// is printed with everything needed to rebuild the position, and the exit status is 1.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "board/apply.hpp"
#include "board/attacks.hpp"
#include "board/castling.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/king_safety.hpp"
#include "board/legal.hpp"
#include "board/movegen.hpp"
#include "board/perft.hpp"
#include "board/pieces.hpp"
#include "board/san.hpp"
#include "board/sliders.hpp"
#include "literal.hpp"

namespace {

using namespace tarvik;
using literal::Moves;
using Random = std::mt19937_64;

// Rich in castling, en passant, promotions, pins and checks.
const std::vector<std::string> KNOWN_FENS{
    std::string(DEFAULT_FEN),
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
    "r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1",  // g2 pushes onto g1 but attacks f1 and h1
    "r3k2r/1P4P1/8/8/8/8/8/R3K2R b KQkq - 0 1",
    "4k3/8/8/2pPp3/8/8/8/4K3 w - e6 0 1",
    "4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1",
    // An en-passant square no double push left: the capture takes a knight's colour only.
    "r3k2r/8/8/nP6/8/8/8/R3K2R w KQkq a6 0 1",
};
const std::vector<std::string> SIDES{"w", "b", "W", ""};
const std::vector<std::string> CASTLING_FIELDS{"KQkq", "kq", "KQ", "KKq", "", "-", "QKxk", "qkQK",
                                               "Kk", "K\u00d6q\u00e9", "\u03a3K\u03c3q", "K\xffq", "\u01c5Kk"};
const std::vector<std::string> EN_PASSANT_FIELDS{"-", "-", "e3", "d6", "c3", "f6", "h3", "a6",
                                                 "a9", "z1", "e0", "hh", "b5"};

std::size_t below(Random& random, std::size_t bound) { return random() % bound; }

template <class T>
const T& pick(Random& random, const std::vector<T>& items) {
    return items[below(random, items.size())];
}

Bitboard random_square(Random& random) { return SQUARE_MASKS[below(random, 64)]; }

Board played_board(Random& random) {
    Board board = board_from_fen(pick(random, KNOWN_FENS));
    for (std::size_t ply = below(random, 60); ply > 0; --ply) {
        MoveList moves;
        try {
            legal_moves(board.position, board.castling_field(), moves);
        } catch (const InternalFailure&) {
            break;
        }
        if (moves.empty()) break;
        apply_move(board, moves[below(random, moves.size())]);
    }
    return board;
}

Board odd_fen_board(Random& random) {
    const std::string& known = pick(random, KNOWN_FENS);
    return board_from_fen(known.substr(0, known.find(' ')) + ' ' + pick(random, SIDES) + ' ' +
                          pick(random, CASTLING_FIELDS) + ' ' + pick(random, EN_PASSANT_FIELDS) + " 0 1");
}

// A random square of `set`, or any square when the set is empty.
Bitboard square_in(Random& random, Bitboard set) {
    for (;;) {
        if (const Bitboard square = random_square(random); !set || (square & set)) return square;
    }
}

// Places `letter` on a random empty square (pawns off the first and last rank).
void place_piece(Position& position, char letter, Random& random) {
    const Bitboard allowed = letter == 'P' || letter == 'p' ? 0x00FFFFFFFFFFFF00ull : ~Bitboard{0};
    set_pieces_or(position, char32_t(letter), square_in(random, allowed & ~occupied(position)));
}

// Sets up an en-passant capture for the side to move: the enemy pawn that has just
// pushed two squares, and an own pawn beside it.
void ready_en_passant(Position& position, Random& random) {
    const bool white = position.turn;
    const Square file = Square(below(random, 8));
    const Square pushed = (white ? 32 : 24) + file, passed = white ? pushed + 8 : pushed - 8;
    const Square taker = file == 0 || (file < 7 && below(random, 2)) ? pushed + 1 : pushed - 1;
    if (occupied(position) & (SQUARE_MASKS[pushed] | SQUARE_MASKS[passed] | SQUARE_MASKS[taker])) return;
    set_pieces_or(position, white ? U'p' : U'P', SQUARE_MASKS[pushed]);
    set_pieces_or(position, white ? U'P' : U'p', SQUARE_MASKS[taker]);
    position.en_passant = std::uint8_t(passed);
}

// A sparse position as play could leave it: one king each, one piece a square,
// often with kings and rooks at home and an en-passant capture ready. Pins, checks
// and double checks are common, so the fast legality test is exercised at its edges.
Board sparse_board(Random& random) {
    Board board = board_from_fen("8/8/8/8/8/8/8/8 w KQkq - 0 1");
    Position& position = board.position;
    position.turn = below(random, 2);
    static constexpr std::array<std::pair<char32_t, Square>, 6> HOME{
        {{U'K', 4}, {U'R', 0}, {U'R', 7}, {U'k', 60}, {U'r', 56}, {U'r', 63}}};
    if (below(random, 2)) {
        for (const auto& [letter, square] : HOME) {
            // Now and then the home square holds the other side's piece, or one of no colour.
            const std::size_t kind = below(random, 10);
            if (kind == 0) {
                set_pieces_xor(position, letter, SQUARE_MASKS[square]);
            } else if (kind < 8) {
                set_pieces_or(position, kind == 1 ? letter ^ 0x20 : letter, SQUARE_MASKS[square]);
            }
        }
    }
    if (!(position.kings & position.white_pieces)) place_piece(position, 'K', random);
    if (!(position.kings & position.black_pieces)) place_piece(position, 'k', random);
    for (std::size_t pieces = 2 + below(random, 8); pieces > 0; --pieces) {
        place_piece(position, "PNBRQpnbrq"[below(random, 10)], random);
    }
    // Mostly the side not to move is not in check, as after a legal move.
    Position other_side = position;
    other_side.turn = !position.turn;
    if (is_check(other_side)) position.turn = !position.turn;
    if (below(random, 2)) ready_en_passant(position, random);
    position.castling_rights.letters = std::uint8_t(random() & board.castling_field().letters);
    return board;
}

std::optional<std::uint8_t> random_en_passant(Random& random) {
    switch (below(random, 8)) {
        case 0: return std::nullopt;
        case 1: return std::uint8_t(64 + below(random, 192));  // off the board: every generation fails
        case 2: return std::uint8_t(below(random, 64));
        default: return std::uint8_t((below(random, 2) ? 16 : 40) + below(random, 8));  // where pawns can take
    }
}

// Changes one to three fields the way no game and no FEN would. Kings are taken
// away only now and then, so that most broken positions still produce moves.
void break_position(Position& position, const CastlingField& field, Random& random) {
    static constexpr std::array<Bitboard Position::*, 5> PIECE_SETS{
        &Position::pawns, &Position::rooks, &Position::knights, &Position::bishops, &Position::queens};
    static const std::string LETTERS = "PNBRQpnbrq";
    for (std::size_t changes = 1 + below(random, 3); changes > 0; --changes) {
        const char32_t letter = char32_t(LETTERS[below(random, LETTERS.size())]);
        Bitboard& colour = below(random, 2) ? position.white_pieces : position.black_pieces;
        switch (below(random, 14)) {
            case 0: position.*PIECE_SETS[below(random, 5)] ^= random_square(random) | random_square(random); break;
            case 1: colour ^= random_square(random); break;
            case 2: position.*PIECE_SETS[below(random, 5)] |= square_in(random, occupied(position)); break;
            case 3: colour |= square_in(random, occupied(position)); break;
            case 4:  // a second king, or now and then none
                if (below(random, 4)) {
                    set_pieces_or(position, U'K' | (letter & 0x20), random_square(random));
                } else {
                    position.kings &= ~colour;
                }
                break;
            case 5: position.en_passant = random_en_passant(random); break;
            case 6: position.turn = below(random, 2); break;
            case 7:
                // Moves only delete letters, so a position holds no letter its FEN field lacks.
                position.castling_rights = {below(random, 4) != 0, std::uint8_t(random() & field.letters)};
                break;
            case 8: {
                // Squares in every slider and knight set at once: lists longer than games need.
                const Bitboard crowd = random() & random() & random();
                for (const char32_t piece : {U'Q', U'R', U'B', U'N'}) {
                    set_pieces_or(position, piece | (letter & 0x20), crowd);
                }
                break;
            }
            default: set_pieces_or(position, letter, random_square(random)); break;
        }
    }
}

Board make_board(Random& random, std::size_t index) {
    switch (index % 8) {
        case 0:
            if (index / 8 < KNOWN_FENS.size()) return board_from_fen(KNOWN_FENS[index / 8]);
            [[fallthrough]];
        case 1: return played_board(random);
        case 2:
        case 3: return sparse_board(random);
        case 4: return odd_fen_board(random);
        default: {
            const std::size_t kind = below(random, 4);
            Board board = kind == 0 ? odd_fen_board(random) : kind == 1 ? sparse_board(random) : played_board(random);
            break_position(board.position, board.castling_field(), random);
            return board;
        }
    }
}

auto fields(const Position& p) {
    return std::tie(p.pawns, p.rooks, p.knights, p.bishops, p.queens, p.kings, p.white_pieces, p.black_pieces,
                    p.half_move_clock, p.full_move_number, p.en_passant, p.turn, p.castling_rights.present,
                    p.castling_rights.letters);
}

bool same_board(const Board& a, const Board& b) {
    const auto same_position = [](const Position& x, const Position& y) { return fields(x) == fields(y); };
    const auto same_move = [](const Move& x, const Move& y) {
        return std::tie(x.from_square, x.to_square, x.promotion) == std::tie(y.from_square, y.to_square, y.promotion);
    };
    return same_position(a.position, b.position) &&
           std::equal(a.move_stack.begin(), a.move_stack.end(), b.move_stack.begin(), b.move_stack.end(), same_move) &&
           std::equal(a.history.begin(), a.history.end(), b.history.begin(), b.history.end(), same_position);
}

std::string dump(const Board& board) {
    const Position& p = board.position;
    const CastlingRights& rights = p.castling_rights;
    std::ostringstream out;
    out << "fen: " << board.fen() << '\n' << board_text(p) << std::hex << "\npawns 0x" << p.pawns << " rooks 0x"
        << p.rooks << " knights 0x" << p.knights << " bishops 0x" << p.bishops << " queens 0x" << p.queens
        << " kings 0x" << p.kings << "\nwhite_pieces 0x" << p.white_pieces << " black_pieces 0x" << p.black_pieces
        << std::dec << "\nturn " << (p.turn ? "white" : "black") << ", castling "
        << (rights.present ? "letter bits " + std::to_string(rights.letters) + " (K 1, Q 2, k 4, q 8)" : "absent")
        << ", en_passant " << (p.en_passant ? std::to_string(*p.en_passant) : "absent") << ", clocks "
        << p.half_move_clock << ' ' << p.full_move_number << "\nmove_stack (" << board.move_stack.size() << "):";
    for (const Move& move : board.move_stack) out << ' ' << uci(move);
    return out.str();
}

std::string describe(bool answer) { return answer ? "true" : "false"; }
std::string describe(const SanResolution& resolution) {
    switch (resolution.verdict) {
        case SanVerdict::found: return "found " + uci(resolution.move);
        case SanVerdict::illegal: return "illegal";
        default: return "ambiguous";
    }
}

// A SAN request written out, for messages: "N?f3" style, ? for an absent part.
std::string request_text(const SanRequest& r) {
    if (r.castle != SanRequest::Castle::none) return r.castle == SanRequest::Castle::king_side ? "O-O" : "O-O-O";
    std::string text(1, r.piece ? r.piece : 'P');
    text += r.file >= 0 ? char('a' + r.file) : '?';
    text += r.rank >= 0 ? char('1' + r.rank) : '?';
    text += square_name(r.to);
    if (r.promotion) text += char(*r.promotion);
    return text;
}

// Requests for the SAN resolution: every legal move named bare, with its origin's file,
// rank or both, and random ones (any piece, origin, target and promotion).
std::vector<SanRequest> san_requests(const Board& board, Random& random) {
    std::vector<SanRequest> requests;
    MoveList legal;
    try {
        legal_moves(board.position, board.castling_field(), legal);
    } catch (const InternalFailure&) {
    }
    for (const Move& move : legal) {
        const char letter = mover_letter(board.position, move);
        SanRequest bare;
        bare.piece = letter == 'p' || letter == '\0' ? 0 : char(letter - 'a' + 'A');
        bare.to = move.to_square;
        bare.promotion = move.promotion;
        SanRequest by_file = bare, by_rank = bare, in_full = bare;
        by_file.file = FILE_OF[move.from_square];
        by_rank.rank = RANK_OF[move.from_square] - 1;
        in_full.file = by_file.file;
        in_full.rank = by_rank.rank;
        requests.insert(requests.end(), {bare, by_file, by_rank, in_full});
    }
    const std::string pieces = "NBRQK";
    for (int i = 0; i < 24; ++i) {
        SanRequest request;
        const std::size_t kind = below(random, 12);
        if (kind == 0) {
            request.castle = below(random, 2) ? SanRequest::Castle::king_side : SanRequest::Castle::queen_side;
        } else {
            request.piece = kind < 6 ? pieces[kind - 1] : 0;
            request.to = Square(below(random, 64));
            if (below(random, 3) == 0) request.file = int(below(random, 8));
            if (below(random, 4) == 0) request.rank = int(below(random, 8));
            if (below(random, 4) == 0) request.promotion = char32_t("qrbnk"[below(random, 5)]);
        }
        requests.push_back(request);
    }
    return requests;
}
std::string describe(std::uint64_t count) { return std::to_string(count); }

std::string describe(const Moves& moves) {
    std::string text = "[";
    for (const Move& move : moves) text.append(text.size() > 1 ? " " : "").append(uci(move));
    return text + ']';
}

template <class Call>
std::string outcome(Call&& call) {
    try {
        return describe(call());
    } catch (const InternalFailure& failure) {
        return std::string("failure: ") + failure.what();
    }
}

template <class Generate>
Moves listed(Generate&& generate) {
    MoveList moves;
    generate(moves);
    return Moves(moves.begin(), moves.end());
}

// The engine's operations and the literal generators, called the way the literal tests are.
template <void (*generate)(const Position&, MoveList&)>
Moves engine_list(Board& board) {
    return listed([&](MoveList& moves) { generate(board.position, moves); });
}

template <void (*generate)(const Position&, const CastlingField&, MoveList&)>
Moves engine_board_list(Board& board) {
    return listed([&](MoveList& moves) { generate(board.position, board.castling_field(), moves); });
}

template <bool (*test)(const Position&, const CastlingField&)>
bool engine_test(Board& board) {
    return test(board.position, board.castling_field());
}

template <Moves (*generate)(const Position&)>
Moves literal_list(Board& board) {
    return generate(board.position);
}

// Perft by the engine's legal lists, every move made on a copy: what its counting at
// the last ply must agree with. (The lists themselves are checked against the
// literal algorithm in every position.)
std::uint64_t listed_perft(const Position& position, const CastlingField& field, unsigned depth) {
    if (depth == 0) return 1;
    MoveList moves;
    legal_moves(position, field, moves);
    std::uint64_t nodes = 0;
    for (const Move& move : moves) {
        Position child = position;
        make_move(child, move);
        nodes += listed_perft(child, field, depth - 1);
    }
    return nodes;
}

struct Differential {
    std::uint64_t seed;
    std::size_t index = 0;
    std::size_t comparisons = 0, legal_found = 0, legal_failed = 0, castling_found = 0;
    // How often legality came from pins and checks, and in which of its harder cases.
    std::size_t orderly = 0, in_check = 0, double_check = 0, with_pins = 0, pinned_pawns = 0;
    std::size_t san_found = 0, san_ambiguous = 0;

    void check(const Board& board) {
        compare(board, "pawn_moves", engine_list<pawn_moves>, literal_list<literal::pawn_moves>);
        compare(board, "knight_moves", engine_list<knight_moves>, literal_list<literal::knight_moves>);
        compare(board, "king_moves", engine_list<king_moves>, literal_list<literal::king_moves>);
        compare(board, "bishop_moves", engine_list<bishop_moves>, literal_list<literal::bishop_moves>);
        compare(board, "rook_moves", engine_list<rook_moves>, literal_list<literal::rook_moves>);
        compare(board, "queen_moves", engine_list<queen_moves>, literal_list<literal::queen_moves>);
        compare(board, "pseudo_legal_moves", engine_list<pseudo_legal_moves>,
                literal_list<literal::pseudo_legal_moves>);
        for (unsigned square = 0; square < 256; ++square) {
            compare(board, "is_attacked(" + std::to_string(square) + ")",
                    [&](Board& b) { return is_attacked(b.position, square); },
                    [&](Board& b) { return literal::is_attacked(b, square); });
        }
        compare(board, "is_check", [](Board& b) { return is_check(b.position); }, literal::is_check);
        const std::string castling =
            compare(board, "castling_moves", engine_board_list<castling_moves>, literal::castling_moves);
        const std::string legal = compare(board, "legal_moves", engine_board_list<legal_moves>, literal::legal_moves);
        compare(board, "is_checkmate", engine_test<is_checkmate>, literal::is_checkmate);
        compare(board, "is_stalemate", engine_test<is_stalemate>, literal::is_stalemate);
        compare(board, "is_game_over", engine_test<is_game_over>, literal::is_game_over);
        // The engine's perft counts the last ply from target sets wherever it can.
        compare(board, "perft(2)", [](Board& b) { return perft(b.position, b.castling_field(), 2); },
                [](Board& b) { return listed_perft(b.position, b.castling_field(), 2); });
        Random random(seed * 1000003 + index);
        for (const SanRequest& request : san_requests(board, random)) {
            const std::string resolved = compare(
                board, "resolve_san(" + request_text(request) + ")",
                [&](Board& b) { return resolve_san(b.position, b.castling_field(), request); },
                [&](Board& b) { return resolve_san_by_filtering(b.position, b.castling_field(), request); });
            san_found += resolved.starts_with("found");
            san_ambiguous += resolved == "ambiguous";
            if (!pins_and_checks(board.position)) continue;
            compare(board, "resolve_san_in_play(" + request_text(request) + ")",
                    [&](Board& b) { return resolve_san_in_play(b.position, b.castling_field(), request); },
                    [&](Board& b) { return resolve_san_by_filtering(b.position, b.castling_field(), request); });
        }
        if (pins_and_checks(board.position)) check_play_stays_orderly(board);
        castling_found += castling.size() > 2 && castling.front() == '[';
        count_fast_path(board.position);
        legal_found += legal.size() > 2 && legal.front() == '[';
        legal_failed += legal.starts_with("failure");
    }

    // Runs each side on its own copy of the board; returns the agreed outcome.
    template <class Engine, class Literal>
    std::string compare(const Board& original, const std::string& call, Engine&& engine, Literal&& literal) {
        Board engine_board = original, literal_board = original;
        const std::string engine_outcome = outcome([&] { return engine(engine_board); });
        const std::string literal_outcome = outcome([&] { return literal(literal_board); });
        ++comparisons;
        if (engine_outcome != literal_outcome) mismatch(original, call, engine_outcome, literal_outcome);
        const std::string unchanged = "(board unchanged)", changed = call + ": board changed";
        if (!same_board(engine_board, original)) mismatch(original, changed, dump(engine_board), unchanged);
        if (!same_board(literal_board, original)) mismatch(original, changed, unchanged, dump(literal_board));
        return engine_outcome;
    }

    // resolve_san_in_play relies on it: a legal move out of a position where the
    // pins and checks are known leads to another such position.
    void check_play_stays_orderly(const Board& board) {
        MoveList legal;
        legal_moves(board.position, board.castling_field(), legal);
        for (const Move& move : legal) {
            Position after = board.position;
            make_move(after, move);
            ++comparisons;
            if (!pins_and_checks(after)) mismatch(board, "play leaves the orderly positions after " + uci(move), "", "");
        }
    }

    void count_fast_path(const Position& position) {
        const std::optional<KingSafety> safety = king_safety(position);
        if (!safety) return;
        ++orderly;
        in_check += safety->evasion_targets != ~Bitboard{0};
        double_check += safety->evasion_targets == 0;
        with_pins += safety->pinned != 0;
        pinned_pawns += (safety->pinned & position.pawns) != 0;
    }

    // Every occupancy of every square's relevant squares (sliders.hpp), around a lone
    // rook or bishop: each entry of the slider table against the literal ray walk.
    void check_slider_table() {
        for (Square square = 0; square < 64; ++square) {
            check_slider_blocks<rook_moves>(U'R', ROOK_SQUARES[square].relevant, square, literal::rook_moves);
            check_slider_blocks<bishop_moves>(U'B', BISHOP_SQUARES[square].relevant, square, literal::bishop_moves);
        }
    }

    template <void (*generate)(const Position&, MoveList&)>
    void check_slider_blocks(char32_t slider, Bitboard relevant, Square square,
                             Moves (*literal_generate)(const Position&)) {
        Bitboard blockers = 0;
        do {
            Position position;
            set_pieces_or(position, slider, SQUARE_MASKS[square]);
            // Blockers of both colours: the slider takes the black ones.
            set_pieces_or(position, U'n', blockers & 0xAAAAAAAAAAAAAAAAull);
            set_pieces_or(position, U'N', blockers & 0x5555555555555555ull);
            const std::string engine = describe(listed([&](MoveList& moves) { generate(position, moves); }));
            const std::string literal = describe(literal_generate(position));
            ++comparisons;
            if (engine != literal) {
                Board board;
                board.position = position;
                mismatch(board, "slider table", engine, literal);
            }
            blockers = (blockers - relevant) & relevant;
        } while (blockers);
    }

    [[noreturn]] void mismatch(const Board& board, const std::string& call, const std::string& engine,
                               const std::string& literal) const {
        std::cout << "MISMATCH in " << call << " (seed " << seed << ", position " << index << ")\n"
                  << dump(board) << "\nengine:  " << engine << "\nliteral: " << literal << '\n';
        std::exit(1);
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t seed = 1, count = 1000;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 == argc || (option != "--seed" && option != "--count")) {
            std::cerr << "usage: tarvik-differential [--seed N] [--count N]\n";
            return 2;
        }
        (option == "--seed" ? seed : count) = std::strtoull(argv[i + 1], nullptr, 10);
    }
    Random random(seed);
    Differential differential{seed};
    differential.check_slider_table();
    for (; differential.index < count; ++differential.index) {
        differential.check(make_board(random, differential.index));
    }
    std::cout << "tarvik-differential seed " << seed << ": " << count << " positions, " << differential.comparisons
              << " comparisons, all equal; legal lists: " << differential.legal_found << " with moves, "
              << differential.legal_failed << " failed; castling lists with moves: " << differential.castling_found
              << "; legality from pins and checks: " << differential.orderly << " positions, "
              << differential.in_check << " in check, " << differential.double_check << " in double check, "
              << differential.with_pins << " with pins, " << differential.pinned_pawns << " with pinned pawns"
              << "; SAN requests: " << differential.san_found << " found, " << differential.san_ambiguous
              << " ambiguous\n";
    return 0;
}
