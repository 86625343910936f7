#include "arrow_export.hpp"

#include <string>
#include <vector>

namespace tarvik::corpus {
namespace {

// What an exported schema owns: its texts and its children, each exported on its
// own so that a consumer may move a child out and release it apart.
struct SchemaOwner {
    std::string name;
    std::string format;
    std::vector<ArrowSchema*> children;
};

void release_schema(ArrowSchema* schema) {
    auto* owner = static_cast<SchemaOwner*>(schema->private_data);
    for (ArrowSchema* child : owner->children) {
        if (child->release) child->release(child);
        delete child;
    }
    delete owner;
    schema->release = nullptr;
}

// Arrow lets empty buffers be null in principle, but not every reader accepts it.
alignas(64) constexpr std::uint8_t NO_BYTES[64] = {};

struct ArrayOwner {
    std::shared_ptr<const Column> batch;  // keeps every buffer alive
    std::vector<const void*> buffers;
    std::vector<ArrowArray*> children;
};

void release_array(ArrowArray* array) {
    auto* owner = static_cast<ArrayOwner*>(array->private_data);
    for (ArrowArray* child : owner->children) {
        if (child->release) child->release(child);
        delete child;
    }
    delete owner;
    array->release = nullptr;
}

// The rows in [offset, offset + length) whose validity bit is clear.
std::int64_t nulls_in(const Column& column, std::int64_t offset, std::int64_t length) {
    if (column.null_count == 0 || (offset == 0 && length == column.length)) return column.null_count;
    const auto* bits = static_cast<const std::uint8_t*>(column.buffers[0].data());
    std::int64_t set = 0;
    for (std::int64_t row = offset; row < offset + length; ++row) set += (bits[row / 8] >> (row % 8)) & 1;
    return length - set;
}

// `column` exported whole, or, for a batch's own columns, the rows chosen.
void export_array(const std::shared_ptr<const Column>& batch, const Column& column, std::int64_t offset,
                  std::int64_t length, ArrowArray* out) {
    auto* owner = new ArrayOwner{batch, {}, {}};
    for (std::size_t i = 0; i < column.buffers.size(); ++i) {
        const void* data = column.buffers[i].data();
        owner->buffers.push_back(data || i == 0 ? data : NO_BYTES);
    }
    for (const Column& child : column.children) {
        auto* exported = new ArrowArray{};
        // A struct's children are cut as it is; the items of lists and maps stay whole.
        if (column.format == "+s") {
            export_array(batch, child, offset, length, exported);
        } else {
            export_array(batch, child, 0, child.length, exported);
        }
        owner->children.push_back(exported);
    }
    *out = ArrowArray{
        length,
        column.format == "+s" ? 0 : nulls_in(column, offset, length),
        column.format == "+s" ? 0 : offset,
        std::int64_t(owner->buffers.size()),
        std::int64_t(owner->children.size()),
        owner->buffers.data(),
        owner->children.data(),
        nullptr,
        release_array,
        owner,
    };
}

}  // namespace

void export_schema(const Column& column, ArrowSchema* out) {
    auto* owner = new SchemaOwner{column.name, column.format, {}};
    for (const Column& child : column.children) {
        auto* exported = new ArrowSchema{};
        export_schema(child, exported);
        owner->children.push_back(exported);
    }
    *out = ArrowSchema{
        owner->format.c_str(),
        owner->name.c_str(),
        nullptr,
        column.nullable ? ARROW_FLAG_NULLABLE : 0,
        std::int64_t(owner->children.size()),
        owner->children.data(),
        nullptr,
        release_schema,
        owner,
    };
}

void export_batch(std::shared_ptr<const Column> batch, std::int64_t offset, std::int64_t length, ArrowArray* out) {
    const Column& table = *batch;
    export_array(batch, table, offset, length, out);
}

}  // namespace tarvik::corpus
