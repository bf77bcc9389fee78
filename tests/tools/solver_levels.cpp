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

namespace {

// The door's arms: the one above the pivot, or any of the four at random
// (at least one) when asked for.
void put_door(std::vector<std::string>& rows, std::mt19937& random, const RoomShape& shape) {
    int w = shape.width, h = shape.height;
    std::uniform_int_distribution<int> dx(2, w - 3), dy(2, h - 3), mask(1, 15);
    int px = dx(random), py = dy(random);
    rows[py][px] = '+';
    int arms = shape.random_arms ? mask(random) : 1;
    if (arms & 1) rows[py - 1][px] = '|';
    if (arms & 2) rows[py][px + 1] = '-';
    if (arms & 4) rows[py + 1][px] = '|';
    if (arms & 8) rows[py][px - 1] = '-';
}

bool taken(char c) {
    return c == '+' || c == '|' || c == '-' || c == 'E' || (c >= '1' && c <= '5');
}

} // namespace

std::string random_room(std::mt19937& random, const RoomShape& shape) {
    const int w = shape.width, h = shape.height;
    std::vector<std::string> rows(h, std::string(w, '#'));
    std::uniform_int_distribution<int> kind(0, 19), cx(1, w - 2), cy(1, h - 2);
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            int k = kind(random);
            rows[y][x] = k < 11 ? '.' : k < 14 ? '#' : k < 17 ? '~' : 'B';
        }
    // A door well inside the room.
    put_door(rows, random, shape);
    for (const char* c = shape.people; *c != '\0'; ++c) {
        int x, y;
        do {
            x = cx(random), y = cy(random);
        } while (taken(rows[y][x]));
        rows[y][x] = *c;
    }
    std::string picture;
    for (const std::string& row : rows)
        picture += (picture.empty() ? "" : "/") + row;
    return picture;
}

} // namespace solver_test
