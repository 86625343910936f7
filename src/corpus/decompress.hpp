// Compressed corpora: zstd, gzip and bzip2 text decompressed as it is read, through
// the formats' reference libraries, in bounded memory.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "byte_source.hpp"

namespace tarvik::corpus {

enum class Compression { none, zstd, gzip, bzip2 };

// The compression whose magic number `head` (a source's first bytes, at least four
// unless the source is shorter) opens with.
Compression compression_of(std::string_view head);

// "zstd", "gzip", "bzip2", or "none".
const char* compression_name(Compression compression);

// Whether this build can decompress it (a build made without one of the libraries
// cannot, and says so when such a file is read).
bool can_decompress(Compression compression);

// The decompressed bytes of `raw`, which holds data compressed as `compression`
// (several concatenated frames or members read as one stream, as the command-line
// tools do). Failures are SourceFailures that name `name` and the offset in the
// decompressed text where the data broke.
std::unique_ptr<ByteSource> decompressing_source(std::unique_ptr<ByteSource> raw, Compression compression,
                                                 std::string name);

// `raw` as text: its first bytes looked at and, when they open compressed data,
// decompressed; otherwise the same bytes, none lost.
std::unique_ptr<ByteSource> text_source(std::unique_ptr<ByteSource> raw, std::string name);

}  // namespace tarvik::corpus
