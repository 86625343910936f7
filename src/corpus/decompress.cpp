#include "decompress.hpp"

#include <algorithm>
#include <cstring>
#include <optional>

#include "decoders.hpp"

namespace tarvik::corpus {
namespace {

// Compressed bytes are read in pieces of this size: memory stays bounded whatever
// the size of the file.
constexpr std::size_t RAW_PIECE = std::size_t{1} << 17;

// 1234567 as "1,234,567".
std::string with_thousands(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

class DecompressingSource final : public ByteSource {
public:
    DecompressingSource(std::unique_ptr<ByteSource> raw, Compression compression, std::string name)
        : raw_(std::move(raw)),
          compression_(compression),
          name_(std::move(name)),
          decoder_(make_decoder(compression)),
          piece_(new char[RAW_PIECE]) {
        if (!decoder_) {
            failure_.emplace(SourceFailure::Kind::unsupported,
                             name_ + ": " + compression_name(compression) +
                                 " data, which this build of tarvik cannot read: it was made without " +
                                 library_of(compression));
        }
    }

    std::size_t read(char* out, std::size_t size) override {
        if (failure_) throw *failure_;
        for (;;) {
            // A failed read of the raw source leaves everything as it was: reading may
            // go on once the caller's source recovers.
            if (input_.empty() && !raw_done_) {
                input_ = std::string_view(piece_.get(), raw_->read(piece_.get(), RAW_PIECE));
                raw_done_ = input_.empty();
            }
            if (input_.empty() && !decoder_->inside()) return 0;
            const std::size_t offered = input_.size();
            const Decoder::Result result = decoder_->decode(input_, out, size);
            text_bytes_ += result.written;
            if (!result.corrupt.empty()) {
                fail(SourceFailure::Kind::corrupt, "corrupt", ": " + result.corrupt);
                // The text decoded before the fault goes out first; the failure comes next.
                if (result.written > 0) return result.written;
                throw *failure_;
            }
            if (result.written > 0) return result.written;
            if (raw_done_ && input_.size() == offered) {
                fail(SourceFailure::Kind::truncated, "truncated", "");
                throw *failure_;
            }
        }
    }

private:
    void fail(SourceFailure::Kind kind, const char* what, const std::string& reason) {
        failure_.emplace(kind, name_ + ": " + compression_name(compression_) + " data is " + what + " after " +
                                   with_thousands(text_bytes_) + " bytes of text" + reason);
    }

    std::unique_ptr<ByteSource> raw_;
    Compression compression_;
    std::string name_;
    std::unique_ptr<Decoder> decoder_;
    std::unique_ptr<char[]> piece_;
    std::string_view input_;     // in piece_: raw bytes not yet decoded
    bool raw_done_ = false;
    std::uint64_t text_bytes_ = 0;  // given out so far
    std::optional<SourceFailure> failure_;  // once the data broke, every later read says so again
};

// Bytes already read from a source given out again before the rest of it.
class PrefixedSource final : public ByteSource {
public:
    PrefixedSource(std::string prefix, std::unique_ptr<ByteSource> rest) : prefix_(std::move(prefix)), rest_(std::move(rest)) {}

    std::size_t read(char* out, std::size_t size) override {
        if (given_ == prefix_.size()) return rest_->read(out, size);
        const std::size_t n = std::min(size, prefix_.size() - given_);
        std::memcpy(out, prefix_.data() + given_, n);
        given_ += n;
        return n;
    }

private:
    std::string prefix_;
    std::size_t given_ = 0;
    std::unique_ptr<ByteSource> rest_;
};

// Looks at the first bytes once, at the first read, so that making the source
// reads nothing (a caller's file object is first read when its games are).
class SniffingSource final : public ByteSource {
public:
    SniffingSource(std::unique_ptr<ByteSource> raw, std::string name) : raw_(std::move(raw)), name_(std::move(name)) {}

    std::size_t read(char* out, std::size_t size) override {
        if (!text_) sniff(size);
        return text_->read(out, size);
    }

private:
    static constexpr std::size_t MAGIC_BYTES = 4;

    void sniff(std::size_t size) {
        // The head is read as the first read would have been; a failed read keeps what
        // came before it for the next attempt.
        head_.resize(std::max(size, MAGIC_BYTES));
        while (filled_ < MAGIC_BYTES) {
            const std::size_t got = raw_->read(head_.data() + filled_, head_.size() - filled_);
            if (got == 0) break;
            filled_ += got;
        }
        head_.resize(filled_);
        const Compression compression = compression_of(head_);
        text_ = std::make_unique<PrefixedSource>(std::move(head_), std::move(raw_));
        if (compression != Compression::none) text_ = decompressing_source(std::move(text_), compression, name_);
    }

    std::unique_ptr<ByteSource> raw_;
    std::string name_;
    std::string head_;
    std::size_t filled_ = 0;
    std::unique_ptr<ByteSource> text_;  // once the head is known
};

}  // namespace

Compression compression_of(std::string_view head) {
    const auto bytes_are = [&](std::string_view magic) { return head.starts_with(magic); };
    if (bytes_are("\x28\xb5\x2f\xfd")) return Compression::zstd;
    // A skippable frame (0x184D2A50 to 0x184D2A5F), as parallel zstd writers open with.
    if (head.size() >= 4 && (static_cast<unsigned char>(head[0]) & 0xf0) == 0x50 && head.substr(1, 3) == "\x2a\x4d\x18") {
        return Compression::zstd;
    }
    if (bytes_are("\x1f\x8b")) return Compression::gzip;
    if (bytes_are("BZh") && head.size() >= 4 && head[3] >= '1' && head[3] <= '9') return Compression::bzip2;
    return Compression::none;
}

const char* compression_name(Compression compression) {
    switch (compression) {
        case Compression::zstd:
            return "zstd";
        case Compression::gzip:
            return "gzip";
        case Compression::bzip2:
            return "bzip2";
        case Compression::none:
            break;
    }
    return "none";
}

std::unique_ptr<ByteSource> decompressing_source(std::unique_ptr<ByteSource> raw, Compression compression,
                                                 std::string name) {
    return std::make_unique<DecompressingSource>(std::move(raw), compression, std::move(name));
}

std::unique_ptr<ByteSource> text_source(std::unique_ptr<ByteSource> raw, std::string name) {
    return std::make_unique<SniffingSource>(std::move(raw), std::move(name));
}

}  // namespace tarvik::corpus
