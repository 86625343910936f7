// Reading a book file whole, once: a reader then never touches the file again, so
// nothing another program does to it later can reach the reader.
#pragma once

#include <string>

namespace tarvik {

struct FileContents {
    std::string bytes;
    int error = 0;  // the errno value that stopped the reading; 0 when it succeeded
};

// The bytes of the file at `path` (a path in the file system's encoding).
FileContents read_file(const std::string& path);

}  // namespace tarvik
