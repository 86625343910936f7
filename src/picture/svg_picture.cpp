#include "svg_picture.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <type_traits>

#include "../board/attacks.hpp"
#include "../board/failure.hpp"
#include "artwork.hpp"
#include "square_piece.hpp"

namespace tarvik {
namespace {

constexpr double SQUARE = 45;                 // the side of a square, in the picture's units
constexpr double COORDINATE_MARGIN = 15;

constexpr std::string_view LIGHT = "#eedab7", DARK = "#b98b62";
constexpr std::string_view LIGHT_LASTMOVE = "#dfdc7c", DARK_LASTMOVE = "#b5a845";
constexpr std::string_view MARGIN_COLOUR = "#2b2b2b", COORDINATE_COLOUR = "#e6e6e6";
constexpr std::string_view ARROW_COLOUR = "#15803d";

constexpr std::string_view CHECK_GRADIENT =
    "<radialGradient id=\"check-gradient\" r=\"0.5\">"
    "<stop offset=\"0%\" stop-color=\"#ff3030\"/>"
    "<stop offset=\"45%\" stop-color=\"#e00000\" stop-opacity=\"0.9\"/>"
    "<stop offset=\"100%\" stop-color=\"#a00000\" stop-opacity=\"0\"/>"
    "</radialGradient>";

// Numbers with at most two decimals and no trailing zeros: 7.5, 22.13, 45.
void append_number(std::string& out, double value) {
    std::array<char, 32> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, 2).ptr;
    std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    while (text.ends_with('0')) text.remove_suffix(1);
    if (text.ends_with('.')) text.remove_suffix(1);
    out += text == "-0" ? "0" : text;
}

// Appends texts and numbers in turn: append(out, "x=\"", 3, "\" y=\"", 4.5, "\"").
template <class... Pieces>
void append(std::string& out, const Pieces&... pieces) {
    const auto one = [&out](const auto& piece) {
        if constexpr (std::is_arithmetic_v<std::remove_cvref_t<decltype(piece)>>) {
            append_number(out, static_cast<double>(piece));
        } else {
            out += piece;
        }
    };
    (one(pieces), ...);
}

// h1 is light; RANK_OF counts ranks from 1.
bool is_light(Square square) { return (RANK_OF[square] + FILE_OF[square]) % 2 == 0; }

std::string_view colour_name(bool white) { return white ? "white" : "black"; }

std::string_view piece_name(char letter) {
    switch (letter | 0x20) {
        case 'p': return "pawn";
        case 'n': return "knight";
        case 'b': return "bishop";
        case 'r': return "rook";
        case 'q': return "queen";
        default: return "king";
    }
}

// One <g> per piece drawn, defined once and placed with <use>.
void append_piece_definition(std::string& out, char letter) {
    const bool white = letter < 'a';
    const std::string_view fill = white ? "#fff" : "#000", other = white ? "#000" : "#fff";
    append(out, "<g id=\"", colour_name(white), "-", piece_name(letter), "\" class=\"", colour_name(white), " ",
           piece_name(letter), "\" stroke=\"#000\" stroke-width=\"1.5\" stroke-linecap=\"round\" "
           "stroke-linejoin=\"round\">");
    for (const artwork::Part& part : artwork::piece(static_cast<char>(letter | 0x20))) {
        switch (part.role) {
            case artwork::Role::body: append(out, "<path fill=\"", fill, "\" d=\"", part.path, "\"/>"); break;
            case artwork::Role::detail:
                append(out, "<path fill=\"none\" stroke=\"", other, "\" d=\"", part.path, "\"/>");
                break;
            case artwork::Role::dot:
                append(out, "<path fill=\"", other, "\" stroke=\"", other, "\" d=\"", part.path, "\"/>");
                break;
        }
    }
    out += "</g>";
}

// Where things go: the top left corner of each square, and its centre.
struct Layout {
    double margin;
    bool flipped;

    double full() const { return 8 * SQUARE + 2 * margin; }
    double x(Square square) const { return margin + SQUARE * (flipped ? 7 - FILE_OF[square] : FILE_OF[square]); }
    double y(Square square) const { return margin + SQUARE * (flipped ? RANK_OF[square] - 1 : 8 - RANK_OF[square]); }
    double centre_x(Square square) const { return x(square) + SQUARE / 2; }
    double centre_y(Square square) const { return y(square) + SQUARE / 2; }
};

void append_coordinates(std::string& out, const Layout& layout) {
    append(out, "<g fill=\"none\" stroke=\"", COORDINATE_COLOUR,
           "\" stroke-width=\"1.1\" stroke-linecap=\"round\" stroke-linejoin=\"round\">");
    const double inset = (layout.margin - artwork::GLYPH_HEIGHT) / 2;
    const double far_side = layout.full() - layout.margin;
    for (Square file = 0; file < 8; ++file) {
        const double x = layout.centre_x(file) - artwork::GLYPH_WIDTH / 2;
        for (const double y : {inset, far_side + inset}) {
            append(out, "<path transform=\"translate(", x, " ", y, ")\" d=\"", artwork::FILE_GLYPHS[file], "\"/>");
        }
    }
    for (Square rank = 0; rank < 8; ++rank) {
        const double y = layout.centre_y(8 * rank) - artwork::GLYPH_HEIGHT / 2;
        const double side_inset = (layout.margin - artwork::GLYPH_WIDTH) / 2;
        for (const double x : {side_inset, far_side + side_inset}) {
            append(out, "<path transform=\"translate(", x, " ", y, ")\" d=\"", artwork::RANK_GLYPHS[rank], "\"/>");
        }
    }
    out += "</g>";
}

bool on_last_move(const SvgOptions& options, Square square) {
    return options.lastmove && (options.lastmove->from_square == square || options.lastmove->to_square == square);
}

void append_squares(std::string& out, const Layout& layout, const SvgOptions& options) {
    for (Square square = 0; square < 64; ++square) {
        const bool light = is_light(square), lastmove = on_last_move(options, square);
        const std::string_view fill = lastmove ? (light ? LIGHT_LASTMOVE : DARK_LASTMOVE) : (light ? LIGHT : DARK);
        append(out, "<rect x=\"", layout.x(square), "\" y=\"", layout.y(square), "\" width=\"45\" height=\"45\" "
               "class=\"square ", light ? "light" : "dark", lastmove ? " lastmove " : " ", square_name(square),
               "\" fill=\"", fill, "\"/>");
    }
}

// A line with a triangle at its head, stopping short of the head square's centre;
// a circle when tail and head are one square.
void append_arrow(std::string& out, const Layout& layout, Square tail, Square head) {
    const double head_x = layout.centre_x(head), head_y = layout.centre_y(head);
    if (tail == head) {
        append(out, "<circle class=\"arrow\" cx=\"", head_x, "\" cy=\"", head_y, "\" r=\"", SQUARE * 0.45,
               "\" fill=\"none\" stroke=\"", ARROW_COLOUR, "\" stroke-width=\"", SQUARE * 0.1, "\" opacity=\".7\"/>");
        return;
    }
    const double tail_x = layout.centre_x(tail), tail_y = layout.centre_y(tail);
    const double dx = head_x - tail_x, dy = head_y - tail_y, length = std::hypot(dx, dy);
    const double ux = dx / length, uy = dy / length;  // along the arrow
    const double tip_gap = 0.1 * SQUARE, head_length = 0.75 * SQUARE, half_width = 0.375 * SQUARE;
    const double tip_x = head_x - ux * tip_gap, tip_y = head_y - uy * tip_gap;
    const double base_x = tip_x - ux * head_length, base_y = tip_y - uy * head_length;
    append(out, "<g class=\"arrow\" fill=\"", ARROW_COLOUR, "\" stroke=\"", ARROW_COLOUR, "\" opacity=\".7\">",
           "<line x1=\"", tail_x, "\" y1=\"", tail_y, "\" x2=\"", base_x, "\" y2=\"", base_y, "\" stroke-width=\"",
           SQUARE * 0.2, "\"/><polygon stroke=\"none\" points=\"", tip_x, ",", tip_y, " ", base_x - uy * half_width,
           ",", base_y + ux * half_width, " ", base_x + uy * half_width, ",", base_y - ux * half_width, "\"/></g>");
}

void require_square(std::uint32_t square, std::string_view what) {
    if (square >= 64) reject(std::string(what) + ": a square 0..63 is expected, not " + std::to_string(square));
}

}  // namespace

std::string board_svg(const Position& position, const SvgOptions& options) {
    if (options.check) require_square(*options.check, "check");
    for (const auto& [tail, head] : options.arrows) {
        require_square(tail, "arrows");
        require_square(head, "arrows");
    }
    std::array<char, 64> pieces{};
    bool drawn[128] = {};
    for (Square square = 0; square < 64; ++square) {
        pieces[square] = square_piece(position, square);
        drawn[static_cast<unsigned char>(pieces[square])] = true;
    }
    const Layout layout{options.coordinates ? COORDINATE_MARGIN : 0, options.flipped};

    std::string out;
    out.reserve(16384);
    append(out, "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "viewBox=\"0 0 ", layout.full(), " ", layout.full(), "\"");
    if (options.size) append(out, " width=\"", *options.size, "\" height=\"", *options.size, "\"");
    out += ">";

    // The position as text, rank 8 first, for readers that cannot see pictures.
    out += "<desc>";
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) {
            const char letter = pieces[8 * rank + file];
            out += letter ? letter : '.';
            if (file < 7) out += ' ';
        }
        if (rank > 0) out += '\n';
    }
    out += "</desc><defs>";
    for (const char letter : std::string_view("PNBRQKpnbrqk")) {
        if (drawn[static_cast<unsigned char>(letter)]) append_piece_definition(out, letter);
    }
    if (options.check) out += CHECK_GRADIENT;
    out += "</defs>";

    if (options.coordinates) {
        append(out, "<rect width=\"", layout.full(), "\" height=\"", layout.full(), "\" fill=\"", MARGIN_COLOUR, "\"/>");
        append_coordinates(out, layout);
    }
    append_squares(out, layout, options);
    if (options.check) {
        append(out, "<rect x=\"", layout.x(*options.check), "\" y=\"", layout.y(*options.check),
               "\" width=\"45\" height=\"45\" class=\"check\" fill=\"url(#check-gradient)\"/>");
    }
    for (Square square = 0; square < 64; ++square) {
        if (!pieces[square]) continue;
        const std::string_view colour = colour_name(pieces[square] < 'a'), name = piece_name(pieces[square]);
        append(out, "<use href=\"#", colour, "-", name, "\" xlink:href=\"#", colour, "-", name, "\" x=\"",
               layout.x(square), "\" y=\"", layout.y(square), "\"/>");
    }
    for (const auto& [tail, head] : options.arrows) append_arrow(out, layout, tail, head);
    out += "</svg>";
    return out;
}

std::string notebook_svg(const Board& board) {
    SvgOptions options;
    if (!board.move_stack.empty()) options.lastmove = board.move_stack.back();
    const Position& position = board.position;
    const Bitboard kings = position.kings & own_pieces(position);
    try {
        if (kings && is_check(position)) options.check = highest_square(kings);
    } catch (const InternalFailure&) {
        // A broken board whose check cannot be told: drawn without the mark.
    }
    return board_svg(position, options);
}

}  // namespace tarvik
