#include "text.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "board/text.hpp"

namespace tarvik::game {
namespace {

unsigned char byte_at(std::string_view text, std::size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

// The length of the well-formed UTF-8 sequence at text[at], 0 when ill-formed;
// `valid` counts the leading bytes that could still begin one (its maximal subpart).
std::size_t sequence_length(std::string_view text, std::size_t at, std::size_t& valid) {
    const unsigned char lead = byte_at(text, at);
    valid = 1;
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char byte = byte_at(text, at + k);
        const bool fits = at + k < text.size() && (k == 1 ? byte >= low && byte <= high : (byte & 0xC0) == 0x80);
        if (!fits) return 0;
        valid = k + 1;
    }
    return length;
}

}  // namespace

std::size_t clean_length(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const auto special = [](unsigned char c) { return c >= 0x80 || c == '\r'; };
    std::size_t at = 0;
    // Blocks read whole, without an exit inside, which compilers turn into vector
    // instructions: most text holds neither, and is read to its end. The bytes
    // OR-ed together hold the high bit when one of them does.
    constexpr std::size_t BLOCK = 256;
    for (; at + BLOCK <= text.size(); at += BLOCK) {
        unsigned char ored = 0, carriage = 0;
        for (std::size_t i = 0; i < BLOCK; ++i) {
            ored |= bytes[at + i];
            carriage |= bytes[at + i] == '\r';
        }
        if ((ored & 0x80) || carriage) break;
    }
    while (at < text.size() && !special(bytes[at])) ++at;
    return at;
}

bool needs_cleaning(std::string_view text) { return clean_length(text) < text.size(); }

std::size_t space_length(std::string_view text, std::size_t at) {
    if (at >= text.size()) return 0;
    const unsigned char c = byte_at(text, at);
    if (c < 0x80) return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20);
    std::size_t valid;
    const std::size_t length = sequence_length(text, at, valid);
    if (length == 0) return 0;
    char32_t code = c & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) code = code << 6 | (byte_at(text, at + k) & 0x3F);
    return is_white_space(code) ? length : 0;
}

bool all_space(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = space_length(text, at);
        if (!length) return false;
        at += length;
    }
    return true;
}

std::string_view strip(std::string_view text) {
    std::size_t begin = 0;
    while (const std::size_t length = space_length(text, begin)) begin += length;
    std::size_t end = text.size();
    // Scan back to a character's first byte: continuation bytes are 10xxxxxx.
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 && end - start < 3) --start;
        if (space_length(text, start) != end - start) break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

void append_clean(std::string& out, std::string_view text) {
    // Most text is ASCII without carriage returns: copied whole.
    if (!needs_cleaning(text)) {
        out += text;
        return;
    }
    std::size_t run = 0;  // the start of the well-formed run not yet copied
    const auto flush = [&](std::size_t at) { out.append(text.substr(run, at - run)); };
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c == '\r') {
            flush(at);
            out += '\n';
            at += byte_at(text, at + 1) == '\n' ? 2 : 1;
            run = at;
            continue;
        }
        if (c < 0x80) {
            ++at;
            continue;
        }
        std::size_t valid = 1;
        if (const std::size_t length = sequence_length(text, at, valid)) {
            at += length;
            continue;
        }
        flush(at);
        out += "\xEF\xBF\xBD";
        at += valid;
        run = at;
    }
    flush(text.size());
}

std::string joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) text += part;
    return text;
}

std::size_t character_count(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

}  // namespace tarvik::game
