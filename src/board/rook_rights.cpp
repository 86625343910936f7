#include "rook_rights.hpp"

namespace tarvik {
namespace {

constexpr Bitboard RANK_1 = 0xFF, RANK_8 = RANK_1 << 56;
constexpr Bitboard FILE_A = 0x0101010101010101ull;
constexpr Square E1 = 4, E8 = 60;

Bitboard back_rank(bool white) { return white ? RANK_1 : RANK_8; }

Bitboard back_rank_rooks(const Position& position, bool white) {
    return position.rooks & colour_pieces(position, white) & back_rank(white);
}

// The king castling rights belong to: the side's highest king not promoted; -1 for none.
int rights_king(const Position& position, Bitboard promoted, bool white) {
    const Bitboard kings = position.kings & colour_pieces(position, white) & ~promoted;
    return kings ? int(highest_square(kings)) : -1;
}

}  // namespace

Bitboard granted_rooks(const Position& position, Bitboard promoted, std::u32string_view field) {
    Bitboard granted = 0;
    if (field == U"-") return granted;
    for (const char32_t c : field) {
        const bool white = c < U'a';
        const Bitboard rank = back_rank(white);
        const Bitboard rooks = back_rank_rooks(position, white);
        const int king = rights_king(position, promoted, white);
        const char32_t letter = white ? c - U'A' + U'a' : c;
        // A missing rook counts as standing left of everything (python-chess's lsb and
        // msb of nothing are -1): Q then grants nothing, K the corner.
        if (letter == U'q') {
            const int lowest = rooks ? int(lowest_square(rooks)) : -1;
            granted |= king >= 0 && lowest < king ? rooks & (0 - rooks) : FILE_A & rank;
        } else if (letter == U'k') {
            const int highest = rooks ? int(highest_square(rooks)) : -1;
            granted |= king >= 0 && king < highest ? SQUARE_MASKS[highest] : (FILE_A << 7) & rank;
        } else {
            granted |= (FILE_A << (letter - U'a')) & rank;
        }
    }
    return granted;
}

Bitboard usable_rooks(const Position& position, Bitboard promoted, Bitboard granted) {
    Bitboard usable = 0;
    for (const bool white : {true, false}) {
        const Bitboard own = colour_pieces(position, white);
        const Bitboard corners = (FILE_A | FILE_A << 7) & back_rank(white);
        if (position.kings & own & ~promoted & SQUARE_MASKS[white ? E1 : E8]) {
            usable |= granted & position.rooks & own & corners;
        }
    }
    return usable;
}

bool has_chess960_rights(const Position& position, Bitboard promoted, Bitboard granted) {
    constexpr Bitboard CORNERS = (FILE_A | FILE_A << 7) & (RANK_1 | RANK_8);
    bool chess960 = false;
    for (const bool white : {true, false}) {
        const Bitboard rooks = granted & back_rank_rooks(position, white);
        const Bitboard own_kings = position.kings & colour_pieces(position, white) & ~promoted;
        const Bitboard kings = own_kings & back_rank(white);
        if (!rooks || !kings) continue;
        const Square king = highest_square(kings);
        Bitboard counted = 0;
        if (lowest_square(rooks) < king) counted |= rooks & (0 - rooks);
        if (highest_square(rooks) > king) counted |= SQUARE_MASKS[highest_square(rooks)];
        const bool king_home = own_kings & SQUARE_MASKS[white ? E1 : E8];
        chess960 = chess960 || (counted & ~CORNERS) || (counted && !king_home);
    }
    return chess960;
}

std::string rook_rights_text(const Position& position, Bitboard promoted, Bitboard usable) {
    std::string text;
    for (const bool white : {true, false}) {
        const int king = rights_king(position, promoted, white);
        if (king < 0) continue;
        const Bitboard rooks = back_rank_rooks(position, white);
        bitboard_squares(usable & back_rank(white), [&](Square rook) {
            const bool queen_side = FILE_OF[rook] < FILE_OF[king];
            bool outer = false;
            bitboard_squares(rooks & ~SQUARE_MASKS[rook],
                             [&](Square other) { outer = outer || (FILE_OF[other] < FILE_OF[rook]) == queen_side; });
            const char letter = outer ? FILE_LETTERS[FILE_OF[rook]] : queen_side ? 'q' : 'k';
            text += white ? char(letter - 'a' + 'A') : letter;
        });
    }
    return text.empty() ? "-" : text;
}

}  // namespace tarvik
