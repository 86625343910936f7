// The text of a corpus named by a Python value: a path (str or os.PathLike), a
// bytes-like object, or a file object whose read() returns bytes or str. Data that
// opens with the zstd, gzip or bzip2 magic number is decompressed as it is read.
// Failures of the source are SourceFailures, which the boundary raises.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "../corpus/byte_source.hpp"
#include "boundary.hpp"

namespace tarvik::module {

struct CorpusSource {
    // May be read without the GIL, on any thread: a file object's read() takes it.
    // Destroyed with the GIL held or not: what it holds of Python is let go with it.
    std::unique_ptr<corpus::ByteSource> bytes;
    std::uint64_t offset = 0;  // of the first byte `bytes` gives, in the (decompressed) text
    PyObject* held = nullptr;  // the object read, which `bytes` keeps alive: for tp_traverse
};

// Opens `source` for reading the games whose first byte lies in [start, stop): a
// plain file or buffer from the last line at or before `start` where a game must
// begin, compressed data from its beginning (the games before `start` are read and
// dropped), a file object from where it stands (and only without start and stop).
// `function` names the caller in errors. False with the Python error set.
bool open_corpus_source(PyObject* source, std::uint64_t start, std::optional<std::uint64_t> stop, const char* function,
                        CorpusSource& out);

}  // namespace tarvik::module
