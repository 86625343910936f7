// A column of moves, written as move codes (uint16: from | to << 6 | promotion << 12,
// promotion 0 none, 1 knight, 2 bishop, 3 rook, 4 queen; squares a1 = 0 .. h8 = 63)
// or as UCI text, as the table's layout asks.
#pragma once

#include <cstdint>

#include "arrow_column.hpp"
#include "board/move.hpp"

namespace tarvik::corpus {

constexpr std::uint16_t move_code(const Move& move) {
    std::uint16_t promotion = 0;
    if (move.promotion) {
        // Moves read from PGN are legal, so they promote to these four only.
        switch (*move.promotion) {
            case U'n': promotion = 1; break;
            case U'b': promotion = 2; break;
            case U'r': promotion = 3; break;
            case U'q': promotion = 4; break;
            default: break;
        }
    }
    return std::uint16_t(move.from_square | move.to_square << 6 | promotion << 12);
}

class MoveColumn {
public:
    explicit MoveColumn(bool uci) : uci_(uci) {}

    void push(const Move& move) {
        if (uci_) {
            texts_.push(uci(move));
        } else {
            codes_.push(move_code(move));
        }
    }
    void push_null() {
        if (uci_) {
            texts_.push_null();
        } else {
            codes_.push(std::optional<std::uint16_t>());
        }
    }
    void reserve(std::size_t rows) {
        if (uci_) {
            texts_.reserve(rows, rows * 4);
        } else {
            codes_.reserve(rows);
        }
    }
    std::int64_t length() const { return uci_ ? texts_.length() : codes_.length(); }
    Column finish(std::string name, bool nullable) && {
        return uci_ ? std::move(texts_).finish(std::move(name), nullable)
                    : std::move(codes_).finish(std::move(name), "S", nullable);
    }

private:
    bool uci_;
    NumberColumn<std::uint16_t> codes_;
    TextColumn texts_;
};

}  // namespace tarvik::corpus
