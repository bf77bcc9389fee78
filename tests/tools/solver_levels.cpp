// solver_levels.cpp: a temporary level directory removed at exit; every
// level gets a file of its own, since the line-file cache keeps files it has
// read by name.
#include "solver_levels.h"

#include "game/solver/solver.h"
#include "solver_picture.h"

#include <gtest/gtest.h>

#include <random>

namespace solver_test {

namespace {

struct LevelDir {
    std::filesystem::path path;
    int files = 0;
    std::string last;
    LevelDir() {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
               ("cropstack-solver-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~LevelDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

LevelDir& level_dir() {
    static LevelDir dir;
    return dir;
}

} // namespace

BoardState board_from_picture(const std::string& picture, const std::string& extra_blocks) {
    LevelDir& dir = level_dir();
    dir.last = (dir.path / ("QLEV" + std::to_string(++dir.files) + ".CMD")).string();
    write_level(dir.last, level_lines(picture, extra_blocks));
    BoardState board;
    std::string reason;
    EXPECT_TRUE(solver::load_level_board(dir.last, board, &reason)) << picture << ": " << reason;
    return board;
}

std::string last_level_file() {
    return level_dir().last;
}

} // namespace solver_test
