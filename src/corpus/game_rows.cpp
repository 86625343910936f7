// One row per game: its offset, the tags asked for, result, plies, the mainline's
// moves with the clock and evaluation after each, errors and the final position.
#include <string_view>
#include <unordered_map>

#include "board/fen.hpp"
#include "game/annotations.hpp"
#include "move_column.hpp"
#include "table_rows.hpp"

namespace tarvik::corpus {
namespace {

using game::GameRecord;

// The tags as columns: one text column per name asked for, or one map of them all.
class TagColumns {
public:
    explicit TagColumns(const TableLayout& layout) : all_(layout.all_tags), names_(layout.tags) {
        for (std::size_t i = 0; i < names_.size(); ++i) index_.emplace(names_[i], i);
        columns_.resize(names_.size());
        found_.resize(names_.size());
    }

    void push(const GameRecord& record) {
        if (all_) return push_map(record);
        std::fill(found_.begin(), found_.end(), nullptr);
        for (const game::Tag& tag : record.tags) {  // in file order, so a repeated name keeps its last value
            if (const auto at = index_.find(record.view(tag.name)); at != index_.end()) found_[at->second] = &tag;
        }
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (found_[i]) {
                columns_[i].push(record.view(found_[i]->value));
            } else {
                columns_[i].push_null();
            }
        }
    }

    void finish(std::vector<Column>& fields) && {
        if (all_) {
            std::vector<Column> pair;
            const std::int64_t entries = map_.items.length();
            pair.push_back(std::move(map_.items.keys).finish("key", false));
            pair.push_back(std::move(map_.items.values).finish("value"));
            fields.push_back(
                std::move(map_).finish("tags", "+m", struct_column("entries", entries, std::move(pair), false)));
            return;
        }
        for (std::size_t i = 0; i < columns_.size(); ++i) fields.push_back(std::move(columns_[i]).finish(names_[i]));
    }

private:
    // As Game.headers: the roster's names first, each name once with its last value.
    void push_map(const GameRecord& record) {
        for (const auto& [name, value] : record.distinct_tags()) {
            map_.items.keys.push(name);
            map_.items.values.push(value);
        }
        map_.close_row();
    }

    bool all_;
    std::vector<std::string> names_;
    std::unordered_map<std::string_view, std::size_t> index_;  // views of names_
    std::vector<TextColumn> columns_;
    std::vector<const game::Tag*> found_;  // scratch: the tag found for each column
    struct Entries {
        TextColumn keys, values;
        std::int64_t length() const { return keys.length(); }
    };
    ListColumn<Entries> map_;
};

}  // namespace

Column game_rows(const TableLayout& layout, const std::vector<GameRecord>& games) {
    NumberColumn<std::uint64_t> offsets;
    TagColumns tags(layout);
    TextColumn results, final_fens;
    NumberColumn<std::uint32_t> plies;
    ListColumn<MoveColumn> moves(layout.uci);
    ListColumn<NumberColumn<double>> clocks;
    ListColumn<NumberColumn<std::int64_t>> evals, mates;
    ListColumn<TextColumn> errors;
    offsets.reserve(games.size());
    plies.reserve(games.size());

    for (const GameRecord& record : games) {
        offsets.push(record.offset);
        tags.push(record);
        results.push(record.result());
        std::uint32_t played = 0, last = 0;
        for (std::uint32_t node = record.nodes[0].first_child; node != game::NONE;
             last = node, node = record.nodes[node].first_child, ++played) {
            const game::Node& step = record.nodes[node];
            moves.items.push(step.move);
            const std::string_view comment = record.view(step.comment);
            clocks.items.push(game::read_clock(comment));
            const std::optional<game::Evaluation> evaluation = game::read_evaluation(comment);
            evals.items.push(evaluation ? evaluation->centipawns : std::nullopt);
            mates.items.push(evaluation ? evaluation->mate : std::nullopt);
        }
        plies.push(played);
        moves.close_row(), clocks.close_row(), evals.close_row(), mates.close_row();
        for (const std::string& error : record.errors) errors.items.push(error);
        errors.close_row();
        final_fens.push(to_fen(record.positions[last], record.start.castling_field()));
    }

    std::vector<Column> fields;
    fields.push_back(std::move(offsets).finish("offset", "L", false));
    std::move(tags).finish(fields);
    fields.push_back(std::move(results).finish("result", false));
    fields.push_back(std::move(plies).finish("plies", "I", false));
    fields.push_back(std::move(moves).finish("moves", "+l", std::move(moves.items).finish("item", false)));
    fields.push_back(std::move(clocks).finish("clocks", "+l", std::move(clocks.items).finish("item", "g")));
    fields.push_back(std::move(evals).finish("evals", "+l", std::move(evals.items).finish("item", "l")));
    fields.push_back(std::move(mates).finish("mates", "+l", std::move(mates.items).finish("item", "l")));
    fields.push_back(std::move(errors).finish("errors", "+l", std::move(errors.items).finish("item", false)));
    fields.push_back(std::move(final_fens).finish("final_fen", false));
    return struct_column("", std::int64_t(games.size()), std::move(fields), false);
}

}  // namespace tarvik::corpus
