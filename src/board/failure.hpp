// The engine's one way of failing: an internal check that does not hold stops the
// operation with a fixed message, which the extension raises as PanicException.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarvik {

class InternalFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const std::string& message) { throw InternalFailure(message); }

// The failure of a lookup in a table of 64 squares.
[[noreturn]] inline void fail_square_index(std::uint64_t index) {
    fail("index out of bounds: the len is 64 but the index is " + std::to_string(index));
}

// The failure of generating the king moves of a side without a king: the king
// square, 63 minus the leading zeros of an empty set, wraps around in a 64-bit word.
[[noreturn]] inline void fail_missing_king() { fail_square_index(UINT64_MAX); }

}  // namespace tarvik
