// solver_levels.h: level files for the solver tests, written from pictures
// into a temporary directory of the test program's own.
#pragma once

#include "game/rules/board.h"

#include <random>
#include <string>

namespace solver_test {

// A board loaded from the picture (see solver_picture.h) the way the solver
// tool loads a file; fails the test when the level is refused.
BoardState board_from_picture(const std::string& picture, const std::string& extra_blocks = "");

// The file the picture was last written to.
std::string last_level_file();

struct RoomShape {
    int width = 9, height = 8;  // the wall border included
    const char* people = "12E"; // the characters and the exit placed at random
    bool random_arms = false;   // a door with any arms, else one arm above the pivot
};

// A room inside a wall border with random walls, holes, blocks, a door, the
// characters and an exit, as a picture.
std::string random_room(std::mt19937& random, const RoomShape& shape = {});

} // namespace solver_test
