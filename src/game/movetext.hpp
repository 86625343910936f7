// Movetext: the tokens of a line, and the tree of moves they build.
//
// Tokens are found as PGN readers in Python find them, left to right, the first
// kind that matches at a position winning and anything else passed over: SAN
// (also "e2e4"-like), drops ("N@e4"), null moves ("--", "Z0", "0000", "@@@@"),
// castling ("O-O", "0-0-0"), a brace comment, a ";" comment to the line's end,
// NAGs ("$14", and "!", "?", "!!", "??", "!?", "?!"), "(" and ")", and the result
// markers. Move numbers, check marks and other text match nothing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "board/san.hpp"
#include "game_text.hpp"
#include "record.hpp"

namespace tarvik::game {

enum class MoveToken : std::uint8_t { san, null_move, drop };

// Builds the tree as python-chess's reader does (comments before a move start a
// variation's line, a comment after a move belongs to it, NAGs to the last move,
// "(" opens a variation on the last move's alternatives and is passed over before
// the first move), except where it stumbles:
// - an illegal, ambiguous or unreadable move ends its line: the rest of its
//   variation, or of the game when it stands in the mainline, is passed over (the
//   moves after the variation are played on the right board);
// - null moves and drops are such unreadable moves.
class TreeBuilder {
public:
    // `playable`: false when no move can be read (an unsupported variant, a
    // starting position that could not be set up): the movetext is then passed over.
    TreeBuilder(GameRecord& game, GameText& text, std::vector<Position>& positions, bool playable);

    void comment(std::size_t begin, std::size_t size);  // the text between the braces, in the game's text
    void nag(std::uint32_t nag);
    void open_variation();
    void close_variation();
    void result_in_variation(std::string_view marker);
    void move(std::string_view token, MoveToken kind, const SanRequest& request);
    void nag_out_of_range(std::string_view token);

private:
    bool passing_over() const { return !playable_ || line_over_ || skipped_depth_ > 0; }
    void end_line(std::string message);
    std::string where(std::string_view token) const;  // "'Nf6' at ply 12 in <fen>"

    GameRecord& game_;
    GameText& text_;
    std::vector<Position>& positions_;  // after each node's move, nodes[0]: the start
    std::vector<std::uint32_t> lines_{0};  // the node each open line stands on, the mainline first
    TextSpan pending_comment_;  // before the next move of the current line
    bool in_variation_ = false;  // a move was played since the line was opened
    bool playable_;
    bool in_play_;               // every position comes from legal moves out of an orderly start
    bool line_over_ = false;     // the mainline ended at an error
    std::uint32_t skipped_depth_ = 0;  // variations passed over since an error, the current one included
};

// What scanning a line leaves for the next one.
struct ScanState {
    bool in_comment = false;        // a brace comment is open
    std::size_t comment_begin = 0;  // where its text begins in the game's text
    bool began = false;             // a token other than a comment was read
    std::uint32_t depth = 0;        // "(" less ")", never below 0, as written
    std::string_view marker;        // the result marker read outside variations, first non-"*" wins
    bool marker_read = false;       // on the current line: the game ends with it
};

// Scans text[from, to) (part of one line; text is the game's whole text, so a
// comment may run on over later lines) and reports its tokens. `builder` may be
// null: only the structure is followed (headers-only reading).
void scan_line(std::string_view text, std::size_t from, std::size_t to, ScanState& state, TreeBuilder* builder);

// Scans a line for its structure alone, as scan_line without a builder does, but
// passing over words that hold no variation or result marker.
void skim_line(std::string_view text, std::size_t from, std::size_t to, ScanState& state);

// A line inside an open brace comment: closes it where "}" stands and scans on.
void continue_comment(std::string_view text, std::size_t from, std::size_t to, ScanState& state,
                      TreeBuilder* builder);

// Closes an open comment at `at` (the game ends inside it).
void cut_comment(std::size_t at, ScanState& state, TreeBuilder* builder);

}  // namespace tarvik::game
