// Board methods on the end of the game: the outcome, the result and the draw claims.
#include "../board/outcome.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

// outcome(*, claim_draw=False) and result(*, claim_draw=False): the flag is read by
// its truth value, as python-chess reads it.
template <class Answer>
PyObject* claim_draw_call(PyObject* self, const Signature& signature, Arguments args, Py_ssize_t nargs,
                          PyObject* kwnames, Answer&& answer) {
    return board_call<Access::shared, TruthParam>(self, signature, args, nargs, kwnames,
        [&](tarvik::Board& board, bool claim_draw) { return answer(outcome(board, claim_draw)); });
}

constexpr const char* CLAIM_DRAW[] = {"claim_draw"};

PyObject* outcome_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"Board.outcome", CLAIM_DRAW, 0, 1};
    return claim_draw_call(self, signature, args, nargs, kwnames,
                           [](std::optional<Outcome> end) { return OutcomeOrNone{end}; });
}

PyObject* result_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"Board.result", CLAIM_DRAW, 0, 1};
    return claim_draw_call(self, signature, args, nargs, kwnames,
                           [](std::optional<Outcome> end) { return std::string(result_text(end)); });
}

template <bool (*claim)(const tarvik::Board&)>
PyObject* claim_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return claim(board); });
}

const PyMethodDef methods[] = {
    {"outcome", method_pointer(outcome_method), WITH_ARGUMENTS, doc("Board.outcome")},
    {"result", method_pointer(result_method), WITH_ARGUMENTS, doc("Board.result")},
    {"can_claim_draw", method_pointer(claim_method<can_claim_draw>), NO_ARGUMENTS, doc("Board.can_claim_draw")},
    {"can_claim_threefold_repetition", method_pointer(claim_method<can_claim_threefold_repetition>), NO_ARGUMENTS,
     doc("Board.can_claim_threefold_repetition")},
    {"can_claim_fifty_moves", method_pointer(claim_method<can_claim_fifty_moves>), NO_ARGUMENTS,
     doc("Board.can_claim_fifty_moves")},
};

}  // namespace

std::span<const PyMethodDef> outcome_board_methods() { return methods; }

}  // namespace tarvik::module
