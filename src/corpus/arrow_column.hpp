// Columns in Arrow's memory layout, built in plain C++ on any thread: a Column is
// a field (name, format) with its data (buffers laid out as the format asks, and
// child columns), ready to be handed over through the C data interface without a
// copy (arrow_export.hpp). The builders append row by row into growing vectors;
// finishing one moves its vectors into the column, so nothing is copied either.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::corpus {

// One buffer of a column: a vector of any element type, owned by type erasure.
class Buffer {
public:
    Buffer() = default;  // absent: a validity bitmap of a column without nulls
    template <class T>
    explicit Buffer(std::vector<T>&& values) {
        auto owned = std::make_shared<std::vector<T>>(std::move(values));
        data_ = owned->empty() ? nullptr : owned->data();
        owner_ = std::move(owned);
    }
    // Null only for an absent or empty buffer.
    const void* data() const { return data_; }
    bool present() const { return owner_ != nullptr; }

private:
    std::shared_ptr<void> owner_;
    const void* data_ = nullptr;
};

struct Column {
    std::string name;
    std::string format;  // Arrow's format string: "L" uint64, "u" utf8, "+l" list, ...
    bool nullable = true;
    std::int64_t length = 0;
    std::int64_t null_count = 0;
    std::vector<Buffer> buffers;  // validity first (absent when nothing is null), then the format's
    std::vector<Column> children;
};

// Bits packed as Arrow packs them, least significant bit first.
class Bits {
public:
    void push(bool set) {
        if (length_ % 8 == 0) bytes_.push_back(0);
        if (set) {
            bytes_.back() |= std::uint8_t(1u << (length_ % 8));
        } else {
            ++unset_;
        }
        ++length_;
    }
    // `count` set bits, at the start: whole bytes at once.
    void push_set(std::int64_t count) {
        bytes_.assign(std::size_t(count / 8), 0xFF);
        length_ = count / 8 * 8;
        while (length_ < count) push(true);
    }
    void reserve(std::size_t bits) { bytes_.reserve(bits / 8 + 1); }
    std::int64_t length() const { return length_; }
    std::int64_t unset() const { return unset_; }
    Buffer finish() && { return Buffer(std::move(bytes_)); }

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t length_ = 0;
    std::int64_t unset_ = 0;
};

// The validity bitmap of a column being built: bit i set when row i holds a value.
// Most columns never hold a null, so the bitmap is only begun at the first one.
class Validity {
public:
    void push(bool valid) {
        if (valid && bits_.length() == 0) {
            ++rows_;
            return;
        }
        if (bits_.length() == 0) bits_.push_set(rows_);
        bits_.push(valid);
        ++rows_;
    }
    std::int64_t length() const { return rows_; }
    std::int64_t nulls() const { return bits_.unset(); }
    // The bitmap, or nothing when every row holds a value (Arrow's cheaper form).
    Buffer finish() && { return nulls() ? std::move(bits_).finish() : Buffer(); }

private:
    Bits bits_;
    std::int64_t rows_ = 0;
};

// A column of booleans without nulls: Arrow's bit-packed "b".
class BoolColumn {
public:
    void push(bool value) { values_.push(value); }
    void reserve(std::size_t rows) { values_.reserve(rows); }
    Column finish(std::string name) && {
        const std::int64_t length = values_.length();
        std::vector<Buffer> buffers(1);
        buffers.push_back(std::move(values_).finish());
        return {std::move(name), "b", false, length, 0, std::move(buffers), {}};
    }

private:
    Bits values_;
};

// A column of fixed-width numbers.
template <class T>
class NumberColumn {
public:
    void push(T value) {
        validity_.push(true);
        values_.push_back(value);
    }
    template <class U>
    void push(const std::optional<U>& value) {
        validity_.push(value.has_value());
        values_.push_back(value ? T(*value) : T{});
    }
    void reserve(std::size_t rows) {
        values_.reserve(rows);
    }
    std::int64_t length() const { return validity_.length(); }
    Column finish(std::string name, std::string format, bool nullable = true) && {
        const std::int64_t length = validity_.length(), nulls = validity_.nulls();
        std::vector<Buffer> buffers;
        buffers.push_back(std::move(validity_).finish());
        buffers.emplace_back(std::move(values_));
        return {std::move(name), std::move(format), nullable, length, nulls, std::move(buffers), {}};
    }

private:
    Validity validity_;
    std::vector<T> values_;
};

// Where each row's items begin in a child (strings' bytes, lists' values): Arrow's
// 32-bit offsets, one more than there are rows.
class Offsets {
public:
    Offsets() { offsets_.push_back(0); }
    void close_row(std::size_t end) {
        if (end > std::size_t(std::numeric_limits<std::int32_t>::max())) {
            throw std::length_error("a record batch column outgrew Arrow's 32-bit offsets");
        }
        offsets_.push_back(std::int32_t(end));
    }
    void reserve(std::size_t rows) { offsets_.reserve(rows + 1); }
    Buffer finish() && { return Buffer(std::move(offsets_)); }

private:
    std::vector<std::int32_t> offsets_;
};

class TextColumn {
public:
    void push(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        close_row(true);
    }
    void push_null() { close_row(false); }
    void reserve(std::size_t rows, std::size_t bytes) {
        offsets_.reserve(rows);
        bytes_.reserve(bytes);
    }
    std::int64_t length() const { return validity_.length(); }
    Column finish(std::string name, bool nullable = true) && {
        const std::int64_t length = validity_.length(), nulls = validity_.nulls();
        std::vector<Buffer> buffers;
        buffers.push_back(std::move(validity_).finish());
        buffers.push_back(std::move(offsets_).finish());
        buffers.emplace_back(std::move(bytes_));
        return {std::move(name), "u", nullable, length, nulls, std::move(buffers), {}};
    }

private:
    void close_row(bool valid) {
        validity_.push(valid);
        offsets_.close_row(bytes_.size());
    }

    Validity validity_;
    Offsets offsets_;
    std::vector<char> bytes_;
};

// A list per row: the caller appends a row's items to `items` (any column
// builder), then closes the row.
template <class Items>
class ListColumn {
public:
    template <class... Arguments>
    explicit ListColumn(Arguments&&... arguments) : items(std::forward<Arguments>(arguments)...) {}

    Items items;

    void close_row() {
        validity_.push(true);
        offsets_.close_row(std::size_t(items.length()));
    }
    void reserve(std::size_t rows) {
        offsets_.reserve(rows);
    }
    std::int64_t length() const { return validity_.length(); }
    // `item`: the items' column, as finished by the caller from `items`.
    Column finish(std::string name, std::string format, Column item) && {
        const std::int64_t length = validity_.length();
        std::vector<Buffer> buffers;
        buffers.push_back(std::move(validity_).finish());
        buffers.push_back(std::move(offsets_).finish());
        std::vector<Column> children;
        children.push_back(std::move(item));
        return {std::move(name), std::move(format), false, length, 0, std::move(buffers), std::move(children)};
    }

private:
    Validity validity_;
    Offsets offsets_;
};

// A struct column of children that never has a null row of its own: a record
// batch, or a map's entries.
inline Column struct_column(std::string name, std::int64_t length, std::vector<Column> children, bool nullable) {
    std::vector<Buffer> buffers(1);  // no validity bitmap
    return {std::move(name), "+s", nullable, length, 0, std::move(buffers), std::move(children)};
}

}  // namespace tarvik::corpus
