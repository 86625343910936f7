// The Arrow class: an arrow or a marked square of a comment's [%cal]/[%csl] commands.
#pragma once

#include "../game/annotation_edits.hpp"
#include "types.hpp"

namespace tarvik::module {

PyTypeObject* arrow_type();
void forget_arrow_type();

bool to_arrows(PyObject* value, std::vector<game::Arrow>& out);  // Arrow objects or (tail, head) pairs
using ArrowsParam = Param<std::vector<game::Arrow>, to_arrows>;

}  // namespace tarvik::module
