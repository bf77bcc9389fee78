// solver_levels.h: level files for the solver tests, written from pictures
// into a temporary directory of the test program's own.
#pragma once

#include "game/rules/board.h"

#include <string>

namespace solver_test {

// A board loaded from the picture (see solver_picture.h) the way the solver
// tool loads a file; fails the test when the level is refused.
BoardState board_from_picture(const std::string& picture, const std::string& extra_blocks = "");

// The file the picture was last written to.
std::string last_level_file();

} // namespace solver_test
