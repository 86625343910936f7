// The formats' reference libraries behind one small interface, so that the source
// that decompresses (decompress.cpp) deals with raw bytes, offsets and failures
// once for all three.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "decompress.hpp"

namespace tarvik::corpus {

class Decoder {
public:
    virtual ~Decoder() = default;

    struct Result {
        std::size_t written = 0;
        std::string corrupt;  // the library's reason when the data is not what the format allows
    };

    // Decodes what it can of `input`, whose front it consumes, into `out`. Several
    // frames, members or streams one after the other are read as one.
    virtual Result decode(std::string_view& input, char* out, std::size_t size) = 0;

    // Whether a frame, member or stream has begun and not yet ended (with all of
    // its text written out): where the input may end and where it may not.
    virtual bool inside() const = 0;
};

// The decoder of `compression`, or null when this build was made without its library.
std::unique_ptr<Decoder> make_decoder(Compression compression);

// The library a build needs for `compression`: "libzstd", "zlib", "libbz2".
const char* library_of(Compression compression);

}  // namespace tarvik::corpus
