#include "table_stream.hpp"

#include <algorithm>

#include "arrow_export.hpp"

namespace tarvik::corpus {

TableStream::TableStream(std::unique_ptr<ByteSource> source, PipelineOptions options, TableLayout layout,
                         std::optional<std::int64_t> batch_rows)
    : layout_(std::move(layout)),
      batch_rows_(batch_rows),
      pipeline_(std::move(source), std::move(options), [layout = layout_](std::vector<game::GameRecord>&& games) {
          return std::make_shared<const Column>(table_rows(layout, games));
      }) {}

void TableStream::schema(ArrowSchema* out) const { export_schema(table_rows(layout_, {}), out); }

void TableStream::next(ArrowArray* out) {
    // Stretches whose games all lie outside [start, stop) build empty batches, not passed on.
    while (!current_ || handed_ == current_->length) {
        std::optional<Batch> built = pipeline_.next();
        if (!built) {
            out->release = nullptr;
            return;
        }
        current_ = std::move(*built);
        handed_ = 0;
    }
    const std::int64_t rows = std::min(current_->length - handed_, batch_rows_.value_or(current_->length));
    export_batch(current_, handed_, rows, out);
    handed_ += rows;
}

}  // namespace tarvik::corpus
