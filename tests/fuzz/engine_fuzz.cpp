// A coverage-guided fuzz target (libFuzzer) for the engine: FEN parsing, then a
// sequence of operations driven by the rest of the input, raw piece-set edits
// included. Internal failures are expected answers; crashes, sanitizer reports
// and a board that an operation should leave alone but changes are not. Book
// probes and pictures answer or reject: an internal failure from them aborts.
//
// Input: FEN text up to the first newline, then one byte per operation (with
// its argument bytes after it). Build and run by tests/fuzz/run_engine_fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

#include "board/apply.hpp"
#include "board/attacks.hpp"
#include "board/castling.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/legal.hpp"
#include "board/movegen.hpp"
#include "board/perft.hpp"
#include "board/pieces.hpp"
#include "board/zobrist.hpp"
#include "book/polyglot_book.hpp"
#include "picture/svg_picture.hpp"
#include "picture/unicode_picture.hpp"

namespace {

using namespace tarvik;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
    bool empty() const { return rest_.empty(); }
    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        const auto value = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return value;
    }
    std::string_view line() {
        const std::size_t end = rest_.find('\n');
        const std::string_view text = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return text;
    }

private:
    std::string_view rest_;
};

auto fields(const Position& p) {
    return std::tie(p.pawns, p.rooks, p.knights, p.bishops, p.queens, p.kings, p.white_pieces, p.black_pieces,
                    p.half_move_clock, p.full_move_number, p.en_passant, p.turn, p.castling_rights.present,
                    p.castling_rights.letters);
}

// Runs a read-only operation and aborts if it changed the position.
template <class Operation>
void leaves_alone(Board& board, Operation&& operation) {
    const Position before = board.position;
    try {
        operation();
    } catch (const InternalFailure&) {
    }
    if (fields(before) != fields(board.position)) std::abort();
}

// Runs a step that may reject its input but must not fail inside, and must leave the position alone.
template <class Operation>
void answers_or_rejects(Board& board, Operation&& operation) {
    leaves_alone(board, [&] {
        try {
            operation();
        } catch (const RejectedInput&) {
        } catch (const InternalFailure&) {
            std::abort();
        }
    });
}

// A book of three entries from the input, the first under the board's own key, probed for the board.
void probe_book(Board& board, Input& input) {
    std::string bytes;
    const std::uint64_t key = zobrist_hash(board.position, board.castling_field());
    for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>(key >> shift);
    for (int i = 0; i < 40; ++i) bytes += static_cast<char>(input.byte());
    const Book book(bytes, "fuzz");
    entries_for_position(book, board.position, board.castling_field(), {input.byte() % 3, {}});
    for (std::size_t i = 0; i < book.size(); ++i) entries_for_key(book, book.key(i), {});
}

void step(Board& board, Input& input) {
    const std::uint8_t op = input.byte();
    const char32_t letter = char32_t("PRNBQKprnbqkWAx"[input.byte() % 15]);
    MoveList moves;
    switch (op % 16) {
        case 0: leaves_alone(board, [&] { pseudo_legal_moves(board.position, moves); }); break;
        case 1: leaves_alone(board, [&] { legal_moves(board.position, board.castling_field(), moves); }); break;
        case 2: leaves_alone(board, [&] { castling_moves(board.position, board.castling_field(), moves); }); break;
        case 3: leaves_alone(board, [&] { is_attacked(board.position, input.byte()); }); break;
        case 4: leaves_alone(board, [&] { is_check(board.position); }); break;
        case 5: leaves_alone(board, [&] { is_game_over(board.position, board.castling_field()); }); break;
        case 6: leaves_alone(board, [&] { perft(board.position, board.castling_field(), input.byte() % 3); }); break;
        case 7: {  // a legal move, when there is one
            try {
                legal_moves(board.position, board.castling_field(), moves);
            } catch (const InternalFailure&) {
                break;
            }
            if (!moves.empty()) apply_move(board, moves[input.byte() % moves.size()]);
            break;
        }
        case 8: {  // any move at all
            const std::uint32_t from = input.byte() % 72, to = input.byte() % 72;
            const std::uint8_t promotion = input.byte();
            apply_move(board, Move{from, to, promotion & 1 ? std::optional<char32_t>("qrnbQkx"[promotion % 7])
                                                           : std::nullopt});
            break;
        }
        case 9: pop(board); break;
        case 10: set_pieces_or(board.position, letter, Bitboard{1} << (input.byte() % 64)); break;
        case 11: set_pieces_xor(board.position, letter, Bitboard{1} << (input.byte() % 64)); break;
        case 12: remove_castling_rights(board.position, char32_t("akqK"[input.byte() % 4])); break;
        case 13: board.position.turn = !board.position.turn; break;
        case 14: answers_or_rejects(board, [&] { probe_book(board, input); }); break;
        case 15: {
            const std::uint8_t options = input.byte();
            const SvgOptions svg{std::nullopt, bool(options & 1), Move{input.byte(), input.byte()},
                                 options & 2 ? std::optional<std::uint32_t>(input.byte() % 70) : std::nullopt,
                                 {{input.byte() % 70u, input.byte() % 64u}}, bool(options & 4)};
            answers_or_rejects(board, [&] {
                unicode_picture(board.position, {bool(options & 8), bool(options & 16), "-", bool(options & 32)});
                board_svg(board.position, svg);
                notebook_svg(board);
            });
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    Board board;
    try {
        board = board_from_fen(std::string(input.line()));
    } catch (const InternalFailure&) {
        return 0;
    }
    for (int steps = 0; steps < 64 && !input.empty(); ++steps) {
        try {
            step(board, input);
        } catch (const InternalFailure&) {
        }
    }
    return 0;
}
