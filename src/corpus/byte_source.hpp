// Where the text of a corpus comes from: a stream of bytes read front to back,
// from a file, from memory, or decompressed from either as it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvik::corpus {

// A source that cannot go on. The message names the source and, for compressed
// data, the offset in the decompressed text where it broke.
class SourceFailure : public std::runtime_error {
public:
    enum class Kind {
        io,         // the operating system refused a read (errno says why)
        corrupt,    // compressed data that is not what its format allows
        truncated,  // compressed data that ends inside a frame or stream
        unsupported,  // compressed data of a format this build was made without
        caller,     // a read the caller supplied failed; its own error says why
    };
    SourceFailure(Kind kind, const std::string& message, int error_number = 0)
        : std::runtime_error(message), kind(kind), error_number(error_number) {}
    Kind kind;
    int error_number;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `out`; how many were read, 0 only at the end. Throws
    // SourceFailure when the source cannot go on.
    virtual std::size_t read(char* out, std::size_t size) = 0;
};

// Reads an open file descriptor from where it stands; owns it and closes it.
// `name` is how failures name the file.
std::unique_ptr<ByteSource> file_source(int descriptor, std::string name);

// Reads bytes the caller keeps alive for as long as the source.
std::unique_ptr<ByteSource> memory_source(std::string_view bytes);

}  // namespace tarvik::corpus
