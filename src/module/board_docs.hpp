// The docstrings of the Board methods beyond the core ones: the text signature,
// the separator the interpreter looks for, then the text help() shows.
#pragma once

namespace tarvik::module {

inline constexpr const char* TO_FEN_DOC =
    "to_fen($self)\n--\n\n"
    "The current position as FEN text: placement, side to move, castling rights,\n"
    "en-passant square and both clocks.\n\n"
    "The en-passant square is written after every double pawn push, whether or not\n"
    "a capture there is possible. Castling rights are \"-\" when none are left. On\n"
    "a broken board each square shows what str(board) shows, so Board(to_fen())\n"
    "has the same text form, side to move and legal moves.\n\n"
    ">>> Board().to_fen()\n"
    "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1'";

inline constexpr const char* COPY_DOC =
    "copy($self)\n--\n\n"
    "An independent board with the same FEN text, position and move history, so\n"
    "pop() and set_board() work on the copy as on the original. copy.copy() and\n"
    "copy.deepcopy() give the same.";

inline constexpr const char* IS_LEGAL_DOC =
    "is_legal($self, move)\n--\n\n"
    "Whether a move with the same from_square, to_square and promotion is among\n"
    "legal_moves(). Use it instead of `move in board.legal_moves()`: moves compare\n"
    "by identity.\n\n"
    "Raises PanicException where legal_moves() does (broken positions).";

inline constexpr const char* PUSH_UCI_DOC =
    "push_uci($self, uci)\n--\n\n"
    "Play the legal move that UCI text names (\"e2e4\", \"e7e8q\", castling as the\n"
    "king's move \"e1g1\") and return it.\n\n"
    "Raises ValueError for malformed text (\"invalid uci\") or a move that is not\n"
    "legal (\"illegal uci\"), naming the text and the position's FEN; the board is\n"
    "then unchanged.";

inline constexpr const char* SAN_DOC =
    "san($self, move)\n--\n\n"
    "The Standard Algebraic Notation of a legal move, with \"+\" for check and \"#\"\n"
    "for mate: \"Nf3\", \"exd5\", \"Rad1\", \"e8=Q+\", \"O-O\".\n\n"
    "Raises ValueError (\"illegal move\") for a move that is not legal here.";

inline constexpr const char* PARSE_SAN_DOC =
    "parse_san($self, san)\n--\n\n"
    "The legal move that SAN text names, without playing it. Accepts what san()\n"
    "writes, and also text without check marks, \"0-0\" and \"0-0-0\", promotions\n"
    "without \"=\" (\"e8Q\"), origins given in full (\"Ng1f3\"), and a trailing\n"
    "\"!\", \"?\", \"!!\", \"??\", \"!?\" or \"?!\".\n\n"
    "Raises ValueError for malformed (\"invalid san\"), illegal (\"illegal san\")\n"
    "or ambiguous (\"ambiguous san\") text, naming the text and the position's FEN.";

inline constexpr const char* PUSH_SAN_DOC =
    "push_san($self, san)\n--\n\n"
    "Play the legal move that SAN text names (see parse_san) and return it.\n\n"
    "Raises ValueError as parse_san does; the board is then unchanged.";

inline constexpr const char* ZOBRIST_HASH_DOC =
    "zobrist_hash($self)\n--\n\n"
    "The position's Polyglot key, the 64-bit hash opening books use: pieces,\n"
    "usable castling rights, the en-passant file when a pawn stands ready to take\n"
    "there, and the side to move.\n\n"
    ">>> hex(Board().zobrist_hash())\n"
    "'0x463b96181691fc9c'";

inline constexpr const char* IS_REPETITION_DOC =
    "is_repetition($self, count=3)\n--\n\n"
    "Whether the current position has occurred at least count times, itself\n"
    "included, since the last irreversible move (a capture, a pawn move, or a move\n"
    "that gave up castling rights). Positions count as the same when pieces, side\n"
    "to move, usable castling rights and a legal en-passant capture are the same.\n\n"
    "Raises PanicException where legal_moves() does (broken positions).";

inline constexpr const char* IS_FIFTY_MOVES_DOC =
    "is_fifty_moves($self)\n--\n\n"
    "Whether a draw can be claimed by the fifty-move rule: the half-move clock is\n"
    "at least 100 and the side to move has a legal move (a mate on the hundredth\n"
    "half-move ends the game first).";

inline constexpr const char* IS_SEVENTYFIVE_MOVES_DOC =
    "is_seventyfive_moves($self)\n--\n\n"
    "Whether the game is drawn by the seventy-five-move rule: the half-move clock\n"
    "is at least 150 and the side to move has a legal move.";

inline constexpr const char* IS_FIVEFOLD_REPETITION_DOC =
    "is_fivefold_repetition($self)\n--\n\n"
    "Whether the game is drawn by fivefold repetition: is_repetition(5).";

inline constexpr const char* IS_INSUFFICIENT_MATERIAL_DOC =
    "is_insufficient_material($self)\n--\n\n"
    "Whether neither side has the material to mate, whatever the other plays: only\n"
    "kings, a lone knight, or bishops all on squares of one colour. A knight or\n"
    "bishop still counts as enough while the other side has pieces that could\n"
    "block its own king in (a self-mate).";

inline constexpr const char* PERFT_DOC =
    "perft($self, depth)\n--\n\n"
    "The number of move sequences of depth plies in the legal move tree below the\n"
    "position (1 for depth 0), counted natively; the board is not changed. The\n"
    "usual check of a move generator against published counts. Raises ValueError\n"
    "when a line of moves would lead the search deeper than 256 plies.\n\n"
    ">>> Board().perft(3)\n"
    "8902";

}  // namespace tarvik::module
