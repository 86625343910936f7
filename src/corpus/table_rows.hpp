// The rows of an Arrow table of games (one row per game) or of positions (one row
// per position of every mainline), built from games as read. Runs on worker
// threads: plain C++ over the records it is given, nothing shared.
#pragma once

#include <string>
#include <vector>

#include "arrow_column.hpp"
#include "game/record.hpp"

namespace tarvik::corpus {

enum class RowKind { games, positions };

struct TableLayout {
    RowKind rows = RowKind::games;
    std::vector<std::string> tags;  // games rows: one text column each, named as the tag
    bool all_tags = false;          // games rows: instead, one map column "tags" of every tag
    bool uci = false;               // moves as UCI text instead of move codes
};

// The rows of `games` as a record batch (a struct column). The batch of no games
// has the table's fields, so it stands for its schema.
Column table_rows(const TableLayout& layout, const std::vector<game::GameRecord>& games);

// Each kind's own builder; table_rows picks one.
Column game_rows(const TableLayout& layout, const std::vector<game::GameRecord>& games);
Column position_rows(const TableLayout& layout, const std::vector<game::GameRecord>& games);

}  // namespace tarvik::corpus
