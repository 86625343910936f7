// A table's record batches as a stream: games read from a source by the threaded
// pipeline, each stretch of text built into one batch of rows on a worker, and
// handed out whole or cut into batches of at most `batch_rows` rows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "arrow_abi.hpp"
#include "game_pipeline.hpp"
#include "table_rows.hpp"

namespace tarvik::corpus {

class TableStream {
public:
    TableStream(std::unique_ptr<ByteSource> source, PipelineOptions options, TableLayout layout,
                std::optional<std::int64_t> batch_rows);

    void schema(ArrowSchema* out) const;

    // The next record batch, or out->release null at the end. Throws what reading
    // the source or building the rows threw.
    void next(ArrowArray* out);

private:
    using Batch = std::shared_ptr<const Column>;

    TableLayout layout_;
    std::optional<std::int64_t> batch_rows_;
    GamePipeline<Batch> pipeline_;
    Batch current_;           // the built batch being handed out
    std::int64_t handed_ = 0;  // its rows already handed out
};

}  // namespace tarvik::corpus
