#include "book_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarvik {
namespace {

// Closes the descriptor at the end of its scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

FileContents read_file(const std::string& path) {
    FileContents contents;
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        contents.error = errno;
        return contents;
    }
    // Room for the size fstat tells and one byte more, so that the end shows at once;
    // the file may still grow or shrink while it is read.
    struct stat status{};
    const std::size_t expected = fstat(file.get(), &status) == 0 && status.st_size > 0
                                     ? static_cast<std::size_t>(status.st_size) : 0;
    std::string& bytes = contents.bytes;
    bytes.resize(expected + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(2 * bytes.size());
        const ssize_t count = read(file.get(), bytes.data() + used, bytes.size() - used);
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            contents.error = errno;
            bytes.clear();
            return contents;
        }
        used += static_cast<std::size_t>(count);
    }
    bytes.resize(used);
    return contents;
}

}  // namespace tarvik
