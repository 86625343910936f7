// The text of a corpus named by a Python value: a path (str or os.PathLike), a
// bytes-like object, or a file object whose read() returns bytes or str. Data that
// opens with the zstd, gzip or bzip2 magic number is decompressed as it is read.
#pragma once

#include <cstdint>
#include <memory>

#include "../corpus/byte_source.hpp"
#include "boundary.hpp"

namespace tarvik::module {

struct CorpusSource {
    std::unique_ptr<corpus::ByteSource> bytes;  // may be read without the GIL: a file object's read() takes it
    std::uint64_t offset = 0;  // of the first byte `bytes` gives, in the (decompressed) text
};

// Opens `source` for reading the games whose first byte lies at or after `start`:
// a plain file or buffer from the last line at or before `start` where a game must
// begin, compressed data and file objects from their beginning. `function` names
// the caller in errors. False with the Python error set.
bool open_corpus_source(PyObject* source, std::uint64_t start, const char* function, CorpusSource& out);

// Raises the Python exception for a source that could not go on: OSError (with its
// errno) for a failed read and for corrupt compressed data, EOFError for compressed
// data cut short; for a file object's failed read(), the exception it raised.
void raise_source_failure(const corpus::SourceFailure& failure);

}  // namespace tarvik::module
