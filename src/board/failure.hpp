// How the engine fails. An internal check that does not hold stops the operation
// with a fixed message, which the extension raises as PanicException. Text from a
// caller that names no move the position allows (malformed, illegal or ambiguous
// UCI or SAN) is rejected, which the extension raises as ValueError.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace tarvik {

// The message is kept as a string of its own: what() ends at the first NUL, and
// messages quote input text, which may hold one.
class Failure : public std::runtime_error {
public:
    explicit Failure(std::string message) : std::runtime_error(message), message_(std::move(message)) {}
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

class InternalFailure : public Failure {
public:
    using Failure::Failure;
};

class RejectedInput : public Failure {
public:
    using Failure::Failure;
};

[[noreturn]] inline void fail(const std::string& message) { throw InternalFailure(message); }
[[noreturn]] inline void reject(const std::string& message) { throw RejectedInput(message); }

// The failure of a lookup in a table of 64 squares.
[[noreturn]] inline void fail_square_index(std::uint64_t index) {
    fail("index out of bounds: the len is 64 but the index is " + std::to_string(index));
}

// The failure of generating the king moves of a side without a king: the king
// square, 63 minus the leading zeros of an empty set, wraps around in a 64-bit word.
[[noreturn]] inline void fail_missing_king() { fail_square_index(UINT64_MAX); }

}  // namespace tarvik
