// Columns handed to Arrow consumers through the C data interface: the structures
// point into the columns' own memory, and their release callbacks keep it alive
// until the consumer lets go, on whatever thread it does so.
#pragma once

#include <cstdint>
#include <memory>

#include "arrow_abi.hpp"
#include "arrow_column.hpp"

namespace tarvik::corpus {

// The field of `column` (its children's fields within), as a schema owning copies
// of every name and format; its data is not looked at.
void export_schema(const Column& column, ArrowSchema* out);

// Rows [offset, offset + length) of `batch`, a struct column, as a record batch:
// a struct array whose child arrays share the batch's buffers (the rows chosen by
// Arrow's offset), so that several record batches can cut one built batch.
void export_batch(std::shared_ptr<const Column> batch, std::int64_t offset, std::int64_t length, ArrowArray* out);

}  // namespace tarvik::corpus
