// The drawings a board picture is made of, the project's own: the six pieces on a
// square of 45 × 45 units, and the file letters and rank digits as pen strokes
// (so a picture looks the same whatever fonts the viewer has).
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace tarvik::artwork {

// A part of a piece. A body is filled with the piece's colour and outlined in
// black; a detail is a line in the other colour (black on White's pieces, white on
// Black's); a dot is filled with the other colour.
enum class Role { body, detail, dot };

struct Part {
    Role role;
    std::string_view path;
};

inline constexpr std::array<Part, 4> PAWN{{
    {Role::body, "M22.5 7.2a4.8 4.8 0 1 1 0 9.6a4.8 4.8 0 1 1 0-9.6z"},
    {Role::body, "M17.5 16.8h10l-1.2 2.6h-7.6z"},
    {Role::body, "M18.7 19.4c0 5.5-3.7 8.6-4.7 15.6h17c-1-7-4.7-10.1-4.7-15.6z"},
    {Role::body, "M11 39.5v-2c0-1.5 1-2.5 2.5-2.5h18c1.5 0 2.5 1 2.5 2.5v2z"},
}};

inline constexpr std::array<Part, 4> KNIGHT{{
    {Role::body, "M14 39.5h21.5c.5-7-.5-14-3-19.5-2.5-5.5-6.5-9-11-10.5l-1.5-4-2.5 3.5-2.5-2-.2 4c-3.3 2.5-5.8 "
                 "6.5-8.3 11.5-.8 1.8.2 3.5 2 3.5 1.5 0 2.5-.5 3.5-1.5 1.5-.5 3.5-.8 4.8-2.2l.8-1c.7 3.7-2.3 "
                 "6.3-5 9-2.6 2.6-4.3 5.7-3.6 9.2z"},
    {Role::detail, "M10.5 24.5l1.2-.6"},
    {Role::dot, "M16.6 15.3a1.2 1.2 0 1 1 0 .1z"},
    {Role::detail, "M24.5 11.5c4 2.5 6.5 6.5 8 11.5"},
}};

inline constexpr std::array<Part, 5> BISHOP{{
    {Role::body, "M22.5 5.5a2.5 2.5 0 1 1 0 5a2.5 2.5 0 1 1 0-5z"},
    {Role::body, "M22.5 10.5c-4.5 3.5-8 8-8 12.5 0 3.5 2 6 4.5 7.5h7c2.5-1.5 4.5-4 4.5-7.5 0-4.5-3.5-9-8-12.5z"},
    {Role::body, "M17.5 30.5h10l1.5 3h-13z"},
    {Role::body, "M11 39.5c3-3.5 7.5-4 11.5-6 4 2 8.5 2.5 11.5 6z"},
    {Role::detail, "M26 14.5l-4.5 6M18.5 33.5h8"},
}};

inline constexpr std::array<Part, 5> ROOK{{
    {Role::body, "M10.5 39.5v-3h24v3z"},
    {Role::body, "M13 36.5l1.5-3.5h16l1.5 3.5z"},
    {Role::body, "M15.5 33l1-15h12l1 15z"},
    {Role::body, "M13.5 18v-8h3.5v3h3.5v-3h4v3h3.5v-3h3.5v8z"},
    {Role::detail, "M16.5 20h12M16 30h13"},
}};

inline constexpr std::array<Part, 5> QUEEN{{
    {Role::body, "M12 33L9.5 16L16 26L16 13L20.5 24.5L22.5 11L24.5 24.5L29 13L29 26L35.5 16L33 33Z"},
    {Role::body, "M9.5 13a2 2 0 1 1 0 4a2 2 0 1 1 0-4zM16 10a2 2 0 1 1 0 4a2 2 0 1 1 0-4zM22.5 8a2 2 0 1 1 0 "
                 "4a2 2 0 1 1 0-4zM29 10a2 2 0 1 1 0 4a2 2 0 1 1 0-4zM35.5 13a2 2 0 1 1 0 4a2 2 0 1 1 0-4z"},
    {Role::body, "M12 33c0 1.5-1 3-1.5 4.5h24c-.5-1.5-1.5-3-1.5-4.5z"},
    {Role::body, "M10 39.5h25v-2h-25z"},
    {Role::detail, "M12.5 30h20M12.5 33h20"},
}};

inline constexpr std::array<Part, 5> KING{{
    {Role::body, "M21 3.5h3v3h3v3h-3v3h-3v-3h-3v-3h3z"},
    {Role::body, "M14.5 21c0-5.5 3.5-8.5 8-8.5s8 3 8 8.5z"},
    {Role::body, "M14.5 21h16l2.5 12.5h-21z"},
    {Role::body, "M10.5 39.5v-3c0-1.5 1-3 2.5-3h19c1.5 0 2.5 1.5 2.5 3v3z"},
    {Role::detail, "M15.5 21h14M15.5 26.5h14"},
}};

// The parts of a piece by its lower-case letter.
constexpr std::span<const Part> piece(char letter) {
    switch (letter) {
        case 'p': return PAWN;
        case 'n': return KNIGHT;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'q': return QUEEN;
        default: return KING;
    }
}

// Glyphs 8 units high (g reaches 3 below), about 5 wide, drawn from the top left.
inline constexpr std::array<std::string_view, 8> FILE_GLYPHS{
    "M.8 3C1.3 2.6 1.9 2.4 2.6 2.4 3.7 2.4 4.3 3 4.3 4.1V8M4.3 5.2H2.4C1.1 5.2.4 5.8.4 6.6S1.1 8 2.1 8C3.1 8 "
    "3.9 7.4 4.3 6.6",
    "M.6 0V8M.6 5.2C.6 3.4 1.5 2.4 2.7 2.4S4.8 3.4 4.8 5.2 3.9 8 2.7 8 .6 7 .6 5.2",
    "M4.4 3.1C3.9 2.6 3.3 2.4 2.7 2.4 1.3 2.4.4 3.5.4 5.2S1.3 8 2.7 8C3.3 8 3.9 7.8 4.4 7.3",
    "M4.4 0V8M4.4 5.2C4.4 3.4 3.5 2.4 2.3 2.4S.2 3.4.2 5.2 1.1 8 2.3 8 4.4 7 4.4 5.2",
    "M.5 5.2H4.5C4.5 3.4 3.7 2.4 2.5 2.4S.4 3.5.4 5.2 1.3 8 2.7 8C3.4 8 4 7.8 4.5 7.4",
    "M3.8.3C3.5.1 3.2 0 2.8 0 1.9 0 1.5.6 1.5 1.6V8M.2 2.8H3.6",
    "M4.4 2.5V8.6C4.4 10.2 3.6 11 2.3 11 1.6 11 1 10.8.5 10.4M4.4 5C4.4 3.3 3.5 2.4 2.4 2.4S.3 3.3.3 5 1.2 7.7 "
    "2.4 7.7 4.4 6.7 4.4 5",
    "M.6 0V8M.6 4.6C.6 3.2 1.5 2.4 2.6 2.4 3.8 2.4 4.4 3.1 4.4 4.3V8",
};

inline constexpr std::array<std::string_view, 8> RANK_GLYPHS{
    "M1.2 1.8L3 0V8",
    "M.5 2C.5.8 1.4 0 2.6 0S4.7.8 4.7 2C4.7 3.6 3.3 4.6.4 8H4.9",
    "M.6.8C1.1.3 1.8 0 2.6 0 3.8 0 4.6.8 4.6 1.9S3.7 3.8 2.3 3.8C3.9 3.8 4.8 4.6 4.8 5.9S3.8 8 2.5 8C1.6 8 .9 "
    "7.7.4 7.1",
    "M3.6 8V0L.3 5.6H5",
    "M4.5 0H1L.7 3.6C1.2 3.2 1.8 3 2.5 3 3.9 3 4.8 4 4.8 5.5S3.8 8 2.4 8C1.6 8 .9 7.7.4 7.2",
    "M4.3.5C3.8.2 3.2 0 2.6 0 1.2 0 .4 1.6.4 4.2.4 6.7 1.2 8 2.6 8 3.9 8 4.8 7 4.8 5.6S3.9 3.3 2.7 3.3C1.7 3.3.9 "
    "3.9.4 4.8",
    "M.4 0H4.8L2 8",
    "M2.6 3.7C1.4 3.7.6 3 .6 1.9S1.4 0 2.6 0 4.6.8 4.6 1.9 3.8 3.7 2.6 3.7C1.2 3.7.3 4.6.3 5.8S1.3 8 2.6 8 4.9 "
    "7.1 4.9 5.8 4 3.7 2.6 3.7Z",
};

inline constexpr double GLYPH_WIDTH = 5, GLYPH_HEIGHT = 8;

}  // namespace tarvik::artwork
