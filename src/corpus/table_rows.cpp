#include "table_rows.hpp"

namespace tarvik::corpus {

Column table_rows(const TableLayout& layout, const std::vector<game::GameRecord>& games) {
    return layout.rows == RowKind::games ? game_rows(layout, games) : position_rows(layout, games);
}

}  // namespace tarvik::corpus
