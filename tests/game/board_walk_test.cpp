// board_walk_test.cpp: clicks on the cells of small rooms, walked through the
// real rules frame by frame: the way taken, the moves counted, what undo
// takes back, and a key that stops a walk.
#include "game_fixture.h"

#include "game/screens/screens.h"

using namespace game_test;

namespace {

using Cell = std::pair<double, double>;

struct Case {
    const char* name;
    const char* picture;
    std::vector<BoardCell> clicks;
    BoardClick last_click; // what the last click did
    Cell at;               // where the current character rests afterwards
    double moves;
    double current = 0;       // the current character afterwards
    int key_after_moves = -1; // a key pressed once the walk has taken this many steps
    bool complete = false;    // the level is complete
    double block_x = -1;      // where block 0 rests, when there is one
    // One undo afterwards: the moves and the character's cell it leaves.
    double moves_after_undo = -1;
    Cell at_after_undo = {-1, -1};
};

// A corridor, an open room and a wall across a room.
const char* const kCorridor = "#######/#1....#/#######";
const char* const kRoom = "#######/#1....#/#.....#/#######";

const Case kCases[] = {
    {"reachable, the shortest way", kRoom, {{5, 2}}, BoardClick::kWalk, {5, 2}, 5},
    {"walls in the way", "#######/#1.#..#/#######", {{4, 1}}, BoardClick::kNoWay, {1, 1}, 0},
    {"a wall, then a floor cell", kCorridor, {{0, 0}, {3, 1}}, BoardClick::kWalk, {3, 1}, 2},
    {"onto a hole", "#######/#1.~..#/#######", {{3, 1}}, BoardClick::kNoWay, {1, 1}, 0},
    {"around a block, not through it",
     "#######/#1.B..#/#.....#/#######",
     {{5, 1}},
     BoardClick::kWalk,
     {5, 1},
     6,
     0,
     -1,
     false,
     3},
    {"a block beyond the next cell is no way",
     "#######/#1.B..#/#######",
     {{3, 1}},
     BoardClick::kNoWay,
     {1, 1},
     0,
     0,
     -1,
     false,
     3},
    {"a block next to the character is pushed",
     "#######/#1B...#/#######",
     {{2, 1}},
     BoardClick::kWalk,
     {2, 1},
     1,
     0,
     -1,
     false,
     3,
     0,
     {1, 1}},
    {"a push, then a walk: undo takes both back",
     "#######/#1B...#/#.....#/#######",
     {{2, 1}, {5, 2}},
     BoardClick::kWalk,
     {5, 2},
     5,
     0,
     -1,
     false,
     3,
     0,
     {1, 1}},
    {"a walk alone has nothing to undo",
     kCorridor,
     {{5, 1}},
     BoardClick::kWalk,
     {5, 1},
     4,
     0,
     -1,
     false,
     -1,
     4,
     {5, 1}},
    {"a door's arm next to the character turns it",
     "#######/#1|...#/#.+...#/#.....#/#######",
     {{2, 1}},
     BoardClick::kWalk,
     {2, 1},
     1,
     0,
     -1,
     false,
     -1,
     0,
     {1, 1}},
    {"another character becomes the current one",
     "#######/#1.2..#/#######",
     {{3, 1}},
     BoardClick::kSelect,
     {3, 1},
     0,
     1},
    {"the other character stands in the way",
     "#######/#1.2.E#/#######",
     {{4, 1}},
     BoardClick::kNoWay,
     {1, 1},
     0},
    {"the exit ends the level",
     "#######/#1..E.#/#######",
     {{4, 1}},
     BoardClick::kWalk,
     {4, 1},
     3,
     0,
     -1,
     true},
    {"the exit is no way through",
     "#######/#1E...#/#.###.#/#.....#/#######",
     {{4, 1}},
     BoardClick::kWalk,
     {4, 1},
     9},
    {"a key stops the walk", kCorridor, {{5, 1}}, BoardClick::kWalk, {3, 1}, 2, 0, 2},
};

// Frames of the play loop for the walk: its step, then the animation.
void run_walk(BoardState& board, BoardWalk& walk, int key_after_moves) {
    for (int frame = 0; frame < 400 && (walk.walking() || board_moving(board) != 0); ++frame) {
        const bool key = key_after_moves >= 0 && board.moves == key_after_moves;
        walk.step(board, key);
        advance_board(board, 0.25);
    }
}

class Walks : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(Walks, ClickedCells) {
    const Case& c = GetParam();
    BoardState board = board_from_picture(c.picture);
    BoardWalk walk;
    BoardClick last = BoardClick::kNothing;
    for (const BoardCell& target : c.clicks) {
        last = walk.click(board, target.x, target.y);
        run_walk(board, walk, c.key_after_moves);
    }
    EXPECT_EQ(last, c.last_click);
    EXPECT_FALSE(walk.walking());
    EXPECT_EQ(board.current_character, c.current);
    EXPECT_EQ(board.moves, c.moves) << board_text(board);
    EXPECT_EQ(board.fade_timer > 0, c.complete);
    if (!c.complete) {
        EXPECT_EQ(position(board, cell(board.current_character)), c.at);
    }
    if (c.block_x >= 0) {
        EXPECT_EQ(rt_index(board.blocks, 0).m.x, c.block_x) << board_text(board);
    }
    if (c.moves_after_undo < 0) return;
    undo_last(board);
    EXPECT_EQ(board.moves, c.moves_after_undo);
    EXPECT_EQ(position(board, 0), c.at_after_undo) << board_text(board);
}

INSTANTIATE_TEST_SUITE_P(Rooms, Walks, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });
