// One row per position of every mainline, the start included: what a network's
// training set is made of. The values after a move (clock, evaluation) belong to
// the position the move led to; the move played from a position is its own.
#include <array>

#include "board/apply.hpp"
#include "board/castling.hpp"
#include "board/zobrist.hpp"
#include "game/annotations.hpp"
#include "move_column.hpp"
#include "table_rows.hpp"

namespace tarvik::corpus {
namespace {

using game::GameRecord;

constexpr std::size_t PIECE_SETS = 12;  // P N B R Q K p n b r q k

void push_pieces(const Position& position, NumberColumn<std::uint64_t>& pieces) {
    const std::array<Bitboard, 6> kinds{position.pawns, position.knights, position.bishops,
                                        position.rooks, position.queens,  position.kings};
    for (const Bitboard colour : {position.white_pieces, position.black_pieces}) {
        for (const Bitboard kind : kinds) pieces.push(kind & colour);
    }
}

std::size_t position_count(const std::vector<GameRecord>& games) {
    std::size_t count = 0;
    for (const GameRecord& record : games) {
        for (std::uint32_t node = 0; node != game::NONE; node = record.nodes[node].first_child) ++count;
    }
    return count;
}

}  // namespace

Column position_rows(const TableLayout& layout, const std::vector<GameRecord>& games) {
    NumberColumn<std::uint64_t> offsets, zobrist, pieces;
    NumberColumn<std::uint32_t> plies, halfmove_clocks;
    BoolColumn turns;
    NumberColumn<std::uint8_t> castling;
    NumberColumn<std::int8_t> en_passant;
    MoveColumn moves(layout.uci);
    NumberColumn<double> clocks;
    NumberColumn<std::int64_t> evals, mates;
    TextColumn results;
    const std::size_t rows = position_count(games);
    offsets.reserve(rows), zobrist.reserve(rows), pieces.reserve(rows * PIECE_SETS), plies.reserve(rows);
    halfmove_clocks.reserve(rows), turns.reserve(rows), castling.reserve(rows), en_passant.reserve(rows);
    moves.reserve(rows), clocks.reserve(rows), evals.reserve(rows), mates.reserve(rows);
    results.reserve(rows, rows * 3);

    for (const GameRecord& record : games) {
        const CastlingField& field = record.start.castling_field();
        const std::string_view result = record.result();
        Position position = record.start.position;
        std::uint32_t ply = 0;
        for (std::uint32_t node = 0; node != game::NONE; ++ply) {
            offsets.push(record.offset);
            plies.push(ply);
            zobrist.push(zobrist_hash(position, field));
            push_pieces(position, pieces);
            turns.push(position.turn);
            castling.push(castling_wings(position, field));
            en_passant.push(position.en_passant);
            halfmove_clocks.push(position.half_move_clock);
            results.push(result);
            if (node == 0) {
                clocks.push(std::optional<double>());
                evals.push(std::optional<std::int64_t>());
                mates.push(std::optional<std::int64_t>());
            } else {
                const std::string_view comment = record.view(record.nodes[node].comment);
                clocks.push(game::read_clock(comment));
                const std::optional<game::Evaluation> evaluation = game::read_evaluation(comment);
                evals.push(evaluation ? evaluation->centipawns : std::nullopt);
                mates.push(evaluation ? evaluation->mate : std::nullopt);
            }
            node = record.nodes[node].first_child;
            if (node == game::NONE) {
                moves.push_null();
            } else {
                moves.push(record.nodes[node].move);
                make_move(position, record.nodes[node].move);
            }
        }
    }

    std::vector<Column> fields;
    fields.push_back(std::move(offsets).finish("offset", "L", false));
    fields.push_back(std::move(plies).finish("ply", "I", false));
    fields.push_back(std::move(zobrist).finish("zobrist", "L", false));
    std::vector<Column> piece_sets;
    piece_sets.push_back(std::move(pieces).finish("item", "L", false));
    fields.push_back({"pieces", "+w:12", false, std::int64_t(rows), 0, std::vector<Buffer>(1), std::move(piece_sets)});
    fields.push_back(std::move(turns).finish("turn"));
    fields.push_back(std::move(castling).finish("castling", "C", false));
    fields.push_back(std::move(en_passant).finish("ep_square", "c"));
    fields.push_back(std::move(halfmove_clocks).finish("halfmove_clock", "I", false));
    fields.push_back(std::move(moves).finish("move", true));
    fields.push_back(std::move(clocks).finish("clock", "g"));
    fields.push_back(std::move(evals).finish("eval", "l"));
    fields.push_back(std::move(mates).finish("mate", "l"));
    fields.push_back(std::move(results).finish("result", false));
    return struct_column("", std::int64_t(rows), std::move(fields), false);
}

}  // namespace tarvik::corpus
