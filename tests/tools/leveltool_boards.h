// leveltool_boards.h: a board from a level drawing, written through the level
// tool's encoder and loaded as the solver tool loads a file, for the tests of
// the level tool's measures.
#pragma once

#include "game/solver/solver.h"
#include "tools/leveltool/drawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace leveltool_test {

inline BoardState board_of_drawing(const std::vector<std::string>& rows) {
    DrawnLevel drawn;
    drawn.rows = rows;
    std::string text, error;
    EXPECT_TRUE(encode_level(drawn, text, error)) << error;
    // Each drawing its own file: the game's line-file cache keeps a file's
    // lines by its name.
    static int written = 0;
    const char* tmp = std::getenv("TMPDIR");
    std::filesystem::path file = std::filesystem::path(tmp ? tmp : "/tmp") /
                                 ("drawing" + std::to_string(++written) + ".CMD");
    std::ofstream(file) << text;
    BoardState board;
    EXPECT_TRUE(solver::load_level_board(file.string(), board, &error)) << error;
    return board;
}

} // namespace leveltool_test
