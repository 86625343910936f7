#include "decoders.hpp"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

#if TARVIK_HAVE_ZSTD
#include <zstd.h>
#endif
#if TARVIK_HAVE_ZLIB
#include <zlib.h>
#endif
#if TARVIK_HAVE_BZIP2
#include <bzlib.h>
#endif

namespace tarvik::corpus {
namespace {

// zlib and libbz2 count in unsigned int; a longer buffer is worked through in parts.
unsigned int clamped(std::size_t size) { return unsigned(std::min<std::size_t>(size, UINT_MAX)); }

#if TARVIK_HAVE_ZSTD
// A zstd stream context goes on to the next frame by itself once one ends.
class ZstdDecoder final : public Decoder {
public:
    ZstdDecoder() : context_(ZSTD_createDCtx()) {
        if (!context_) throw std::bad_alloc();
    }
    ~ZstdDecoder() override { ZSTD_freeDCtx(context_); }
    ZstdDecoder(const ZstdDecoder&) = delete;
    ZstdDecoder& operator=(const ZstdDecoder&) = delete;

    Result decode(std::string_view& input, char* out, std::size_t size) override {
        ZSTD_inBuffer in{input.data(), input.size(), 0};
        ZSTD_outBuffer output{out, size, 0};
        const std::size_t status = ZSTD_decompressStream(context_, &output, &in);
        if (ZSTD_isError(status)) return {0, ZSTD_getErrorName(status)};
        input.remove_prefix(in.pos);
        // 0 once a frame is decoded and flushed; else the frame, or its text, goes on.
        inside_ = status != 0;
        return {output.pos, {}};
    }

    bool inside() const override { return inside_; }

private:
    ZSTD_DCtx* context_;
    bool inside_ = false;
};
#endif

#if TARVIK_HAVE_ZLIB
// gzip members one after the other, as `gzip -d` reads them: the inflater starts
// afresh where a member ends.
class GzipDecoder final : public Decoder {
public:
    GzipDecoder() {
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    ~GzipDecoder() override { inflateEnd(&stream_); }
    GzipDecoder(const GzipDecoder&) = delete;
    GzipDecoder& operator=(const GzipDecoder&) = delete;

    Result decode(std::string_view& input, char* out, std::size_t size) override {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream_.avail_in = clamped(input.size());
        stream_.next_out = reinterpret_cast<Bytef*>(out);
        stream_.avail_out = clamped(size);
        const unsigned int offered_in = stream_.avail_in, offered_out = stream_.avail_out;
        const int status = inflate(&stream_, Z_NO_FLUSH);
        input.remove_prefix(offered_in - stream_.avail_in);
        const std::size_t written = offered_out - stream_.avail_out;
        if (offered_in != stream_.avail_in) inside_ = true;
        switch (status) {
            case Z_OK:
            case Z_BUF_ERROR:  // nothing to do without more input
                return {written, {}};
            case Z_STREAM_END:
                inflateReset(&stream_);
                inside_ = false;
                return {written, {}};
            case Z_MEM_ERROR:
                throw std::bad_alloc();
            case Z_NEED_DICT:
                return {written, "a preset dictionary is needed"};
            default:
                return {written, stream_.msg ? stream_.msg : "invalid data"};
        }
    }

    bool inside() const override { return inside_; }

private:
    z_stream stream_{};
    bool inside_ = false;
};
#endif

#if TARVIK_HAVE_BZIP2
// bzip2 streams one after the other, as `bzip2 -d` reads them: a new stream state
// where one ends.
class Bzip2Decoder final : public Decoder {
public:
    Bzip2Decoder() { begin(); }
    ~Bzip2Decoder() override { BZ2_bzDecompressEnd(&stream_); }
    Bzip2Decoder(const Bzip2Decoder&) = delete;
    Bzip2Decoder& operator=(const Bzip2Decoder&) = delete;

    Result decode(std::string_view& input, char* out, std::size_t size) override {
        stream_.next_in = const_cast<char*>(input.data());
        stream_.avail_in = clamped(input.size());
        stream_.next_out = out;
        stream_.avail_out = clamped(size);
        const unsigned int offered_in = stream_.avail_in, offered_out = stream_.avail_out;
        const int status = BZ2_bzDecompress(&stream_);
        input.remove_prefix(offered_in - stream_.avail_in);
        const std::size_t written = offered_out - stream_.avail_out;
        if (offered_in != stream_.avail_in) inside_ = true;
        switch (status) {
            case BZ_OK:
                return {written, {}};
            case BZ_STREAM_END:
                BZ2_bzDecompressEnd(&stream_);
                begin();
                inside_ = false;
                return {written, {}};
            case BZ_MEM_ERROR:
                throw std::bad_alloc();
            case BZ_DATA_ERROR_MAGIC:
                return {written, "no bzip2 stream begins here"};
            default:
                return {written, "invalid data"};
        }
    }

    bool inside() const override { return inside_; }

private:
    void begin() {
        stream_ = bz_stream{};
        if (BZ2_bzDecompressInit(&stream_, 0, 0) != BZ_OK) throw std::bad_alloc();
    }

    bz_stream stream_{};
    bool inside_ = false;
};
#endif

}  // namespace

bool can_decompress(Compression compression) {
    switch (compression) {
        case Compression::none:
            return true;
        case Compression::zstd:
            return TARVIK_HAVE_ZSTD;
        case Compression::gzip:
            return TARVIK_HAVE_ZLIB;
        case Compression::bzip2:
            return TARVIK_HAVE_BZIP2;
    }
    return false;
}

std::unique_ptr<Decoder> make_decoder(Compression compression) {
    switch (compression) {
#if TARVIK_HAVE_ZSTD
        case Compression::zstd:
            return std::make_unique<ZstdDecoder>();
#endif
#if TARVIK_HAVE_ZLIB
        case Compression::gzip:
            return std::make_unique<GzipDecoder>();
#endif
#if TARVIK_HAVE_BZIP2
        case Compression::bzip2:
            return std::make_unique<Bzip2Decoder>();
#endif
        default:
            return nullptr;
    }
}

const char* library_of(Compression compression) {
    switch (compression) {
        case Compression::zstd:
            return "libzstd";
        case Compression::gzip:
            return "zlib";
        case Compression::bzip2:
            return "libbz2";
        case Compression::none:
            break;
    }
    return "";
}

}  // namespace tarvik::corpus
