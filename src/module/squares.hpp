// The module-level square helpers python-chess users reach for, and the constants
// beside them: SQUARE_NAMES, A1 to H8, WHITE and BLACK. None is listed in __all__.
#pragma once

#include <span>

#include "boundary.hpp"

namespace tarvik::module {

// square_name, parse_square, square, square_file, square_rank, square_distance.
std::span<PyMethodDef> square_functions();

// Sets the constants on the module; false with the Python error set on failure.
bool add_square_constants(PyObject* module);

}  // namespace tarvik::module
