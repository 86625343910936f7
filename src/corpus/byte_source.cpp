#include "byte_source.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvik::corpus {
namespace {

class FileSource final : public ByteSource {
public:
    FileSource(int descriptor, std::string name) : descriptor_(descriptor), name_(std::move(name)) {}
    ~FileSource() override { ::close(descriptor_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(char* out, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(descriptor_, out, size);
            if (got >= 0) return std::size_t(got);
            if (errno != EINTR) throw SourceFailure(SourceFailure::Kind::io, name_ + ": " + std::strerror(errno), errno);
        }
    }

private:
    int descriptor_;
    std::string name_;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : rest_(bytes) {}

    std::size_t read(char* out, std::size_t size) override {
        const std::size_t n = std::min(size, rest_.size());
        if (n > 0) std::memcpy(out, rest_.data(), n);
        rest_.remove_prefix(n);
        return n;
    }

private:
    std::string_view rest_;
};

}  // namespace

std::unique_ptr<ByteSource> file_source(int descriptor, std::string name) {
    return std::make_unique<FileSource>(descriptor, std::move(name));
}

std::unique_ptr<ByteSource> memory_source(std::string_view bytes) { return std::make_unique<MemorySource>(bytes); }

}  // namespace tarvik::corpus
