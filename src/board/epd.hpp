// Extended Position Description: the first four FEN fields of a position, then
// operations, each an opcode, its operand and ";". Written and read as python-chess
// writes and reads them, which is what EPD test suites are used with.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

struct EpdOperand {
    enum class Kind : std::uint8_t {
        none,       // "op;"
        integer,    // written: as Python formats it; read: decimal digits with an optional "-"
        real,       // written: as Python formats it; read: `real` holds the value
        text,       // a quoted string, its escapes undone
        move,       // one move, in SAN
        variation,  // moves played one after the other (pv), in SAN
        move_set,   // moves of the position itself (am, bm), in SAN
    };
    Kind kind = Kind::none;
    std::string text;
    double real = 0;
    std::vector<Move> moves;
};

struct EpdOperation {
    std::string opcode;
    EpdOperand operand;
};

// Rejects an opcode EPD cannot hold: empty, a lone "-", not starting with a letter,
// or holding a space, tab, carriage return or line feed.
void check_epd_opcode(std::string_view opcode);

// Which en-passant square the position field shows: the board's when a legal
// capture there exists (legal), whenever a pawn stands ready to take there (xfen),
// or always (fen).
enum class EnPassantShown : std::uint8_t { legal, xfen, fen };

// The board's EPD: placement, side to move, the castling rights that can be used
// (by K/Q/file letters as python-chess's FEN writes them, or by file letters alone
// for `shredder`), the en-passant square, then the operations separated by spaces.
// Moves are written in SAN (rejected when not legal where they stand), a move set
// sorted. Rejects what a broken board keeps it from answering (broken.hpp).
std::string write_epd(const Board& board, bool shredder, EnPassantShown en_passant,
                      std::span<const EpdOperation> operations);

// A board set up from EPD text, and its operations in the order of the text. The
// first four fields are the position; hmvc and fmvn, when present, give the clocks,
// which are 0 and 1 otherwise. Operands are read as python-chess reads them: a
// quoted string, a number (an integer or a finite real, as Python's int() or
// float() reads it), or else SAN, which must name legal moves of the position (a
// line of them for pv, a set for am and bm). Text of up to four fields is a FEN.
// Every fault is rejected with a message that names it.
struct Epd {
    Board board;
    std::vector<EpdOperation> operations;
};
Epd read_epd(std::string_view text);

}  // namespace tarvik
