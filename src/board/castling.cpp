#include "castling.hpp"

#include <array>
#include <optional>

#include "attacks.hpp"
#include "failure.hpp"
#include "pieces.hpp"
#include "text.hpp"

namespace tarvik {
namespace {

// Files on the home rank, counted from the side's a-file square.
struct Wing {
    Bitboard must_be_empty;
    Square path[3];  // the king's path, in the order it is tested
    Square rook;
    Square king_to;
};

constexpr Square KING_FROM = 4;
constexpr Wing KING_SIDE{0x60, {4, 5, 6}, 7, 6};
constexpr Wing QUEEN_SIDE{0x0E, {4, 3, 2}, 0, 2};

constexpr Square A1 = 0, H1 = 7, A8 = 56, H8 = 63;

void delete_letters(Position& position, std::uint8_t letters) {
    position.castling_rights.letters &= static_cast<std::uint8_t>(~letters);
}

std::uint8_t corner_letter(Square square) {
    switch (square) {
        case A1: return WHITE_QUEEN_SIDE;
        case H1: return WHITE_KING_SIDE;
        case A8: return BLACK_QUEEN_SIDE;
        case H8: return BLACK_KING_SIDE;
        default: return 0;
    }
}

// Whether play has left a selected character of the field standing.
bool entry_alive(const Position& position, const CastlingEntry& entry) {
    return !entry.deletable || (position.castling_rights.letters & entry.deletable);
}

// Whether the side's king and the wing's rook stand on their home squares.
bool at_home(const Position& position, bool white, const Wing& wing) {
    const Square base = white ? 0 : 56;
    const Bitboard own = colour_pieces(position, white);
    return (position.kings & own & SQUARE_MASKS[base + KING_FROM]) &&
           (position.rooks & own & SQUARE_MASKS[base + wing.rook]);
}

}  // namespace

CastlingField read_castling_field(std::string_view text) {
    CastlingField field;
    field.text = text;
    for (const char32_t c : decode_utf8(text)) {
        const std::uint8_t bit = castling_letter_bit(c);
        field.letters |= bit;
        if (is_uppercase(c)) field.white.push_back({c == U'K', bit});
        if (is_lowercase(c)) field.black.push_back({c == U'k', bit});
    }
    return field;
}

std::optional<std::string> castling_text(const Position& position, const CastlingField& field) {
    if (!position.castling_rights.present) return std::nullopt;
    // K, Q, k and q are single bytes in UTF-8, never part of another character.
    std::string text;
    for (const char c : field.text) {
        const std::uint8_t bit = castling_letter_bit(char32_t(static_cast<unsigned char>(c)));
        if (!bit || (position.castling_rights.letters & bit)) text += c;
    }
    return text;
}

std::uint8_t castling_wings(const Position& position, const CastlingField& field) {
    if (!position.castling_rights.present) return 0;
    std::uint8_t wings = 0;
    for (const bool white : {true, false}) {
        for (const CastlingEntry& entry : white ? field.white : field.black) {
            if (!entry_alive(position, entry) || !at_home(position, white, entry.king_side ? KING_SIDE : QUEEN_SIDE)) {
                continue;
            }
            wings |= entry.king_side ? (white ? WHITE_KING_SIDE : BLACK_KING_SIDE)
                                     : (white ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE);
        }
    }
    return wings;
}

std::string wings_text(std::uint8_t wings) {
    std::string text;
    for (const char letter : {'K', 'Q', 'k', 'q'}) {
        if (wings & castling_letter_bit(char32_t(letter))) text += letter;
    }
    return text.empty() ? "-" : text;
}

bool check_castling_rights(const Position& position) {
    const CastlingRights& rights = position.castling_rights;
    return rights.present && (rights.letters & (position.turn ? WHITE_LETTERS : BLACK_LETTERS));
}

void remove_castling_rights(Position& position, char32_t id) {
    if (id != U'a' && id != U'k' && id != U'q') fail("Invalid castling rights");
    if (id == U'a') {
        position.castling_rights = {};
        return;
    }
    if (!position.castling_rights.present) fail("called `Option::unwrap()` on a `None` value");
    // The side to move's letter: upper case for White.
    const char32_t letter = position.turn ? (id == U'k' ? U'K' : U'Q') : id;
    delete_letters(position, castling_letter_bit(letter));
}

bool update_castling_rights(Position& position, Square from, Square to, int distance) {
    const Bitboard mover = SQUARE_MASKS[from] & own_pieces(position);
    const bool king_leaves = (mover & position.kings) != 0;
    const bool castles = king_leaves && check_castling_rights(position) && distance == 2;
    if (!position.castling_rights.present) return castles;

    const std::uint8_t own_letters = position.turn ? WHITE_LETTERS : BLACK_LETTERS;
    if (king_leaves) delete_letters(position, own_letters);
    if (mover & position.rooks) delete_letters(position, corner_letter(from) & own_letters);
    // Whatever stood on a corner, a move onto it ends that corner's right.
    delete_letters(position, corner_letter(to));
    return castles;
}

Move castling_as_king_move(Move move, Bitboard kings) {
    constexpr Square E1 = 4, E8 = 60;
    if (move.promotion) return move;
    for (const Square home : {E1, E8}) {
        if (move.from_square != home || !(kings & SQUARE_MASKS[home])) continue;
        if (move.to_square == home + 3) move.to_square = home + 2;
        if (move.to_square == home - 4) move.to_square = home - 2;
    }
    return move;
}

bool castles(const Position& position, const Move& move) {
    return mover_letter(position, move) == 'k' && square_distance(move.from_square, move.to_square) == 2;
}

void castling_moves(const Position& position, const CastlingField& field, MoveList& moves) {
    if (!position.castling_rights.present) return;
    const bool white = position.turn;
    const Square base = white ? 0 : 56;
    const Bitboard occupancy = occupied(position);
    // Both wings test the king's square, and a letter may repeat: remember answers
    // by file.
    std::array<std::optional<bool>, 8> attacked_files;
    const auto attacked = [&](Square file) {
        std::optional<bool>& known = attacked_files[file];
        if (!known) known = attacked_by_rules(position, !white, base + file);
        return *known;
    };
    for (const CastlingEntry& entry : white ? field.white : field.black) {
        const Wing& wing = entry.king_side ? KING_SIDE : QUEEN_SIDE;
        if (!entry_alive(position, entry) || (occupancy & (wing.must_be_empty << base)) ||
            !at_home(position, white, wing)) {
            continue;
        }
        if (!attacked(wing.path[0]) && !attacked(wing.path[1]) && !attacked(wing.path[2])) {
            moves.push_back({base + KING_FROM, base + wing.king_to});
        }
    }
}

}  // namespace tarvik
