// The Score class, shared by games (their evaluations) and engines.
#pragma once

#include "../game/score.hpp"
#include "types.hpp"

namespace tarvik::module {

PyTypeObject* score_type();
void forget_score_type();

bool to_score(PyObject* value, game::Score& out);  // a Score object
using ScoreParam = Param<game::Score, to_score>;

}  // namespace tarvik::module
