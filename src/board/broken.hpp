// Methods that answer on any board, broken ones included, run the engine steps
// that can fail on a broken position through rejecting_broken: the internal failure
// becomes RejectedInput saying what is wrong with the position.
#pragma once

#include <string>
#include <utility>

#include "board.hpp"
#include "failure.hpp"

namespace tarvik {

// Why the engine cannot play on in the position, for a step that failed with
// `failure`: an en-passant square off the board, a side without a king, a king
// the side to move could take; otherwise the failure's own message.
std::string broken_position_message(const Position& position, const std::string& failure);

template <class Step>
decltype(auto) rejecting_broken(const Position& position, Step&& step) {
    try {
        return std::forward<Step>(step)();
    } catch (const InternalFailure& failure) {
        reject(broken_position_message(position, failure.message()));
    }
}

}  // namespace tarvik
