// solver_replay_test.cpp: lines of moves played through the real rules:
// refused steps are neither moves nor changes, "next character" follows the
// game's button, and the level is complete only when the last character
// leaves.
#include "game/solver/solver.h"
#include "solver_levels.h"

#include <gtest/gtest.h>

using namespace solver_test;

namespace {

const char* const kWalk = "#######/#1...E#/#######";
const char* const kTwo = "#######/#1.2.E#/#######";

struct Replay {
    const char* picture;
    const char* moves;
    bool complete;
    int moves_made;
    int refused;
    int bad_letter;
};

const Replay kReplays[] = {
    {kWalk, "RRRR", true, 4, 0, -1},
    {kWalk, "RRR", false, 3, 0, -1},
    // Into the wall, twice: refused, and the walk still takes four moves.
    {kWalk, "LURRRR", true, 4, 2, -1},
    {kWalk, " rr\trr\n", true, 4, 0, -1},
    // A finished level takes no more steps.
    {kWalk, "RRRRL", true, 4, 1, -1},
    {kWalk, "RRXRR", false, 2, 0, 2},
    // Character 2 leaves first; control passes back to character 1.
    {kTwo, "NRRRRRR", true, 6, 0, -1},
    // Two presses with two characters come back to character 1, who is then
    // stopped by character 2.
    {kTwo, "NNRR", false, 1, 1, -1},
    // Character 1 cannot leave while character 2 stands in the way.
    {kTwo, "RRRRRR", false, 1, 5, -1},
};

} // namespace

TEST(SolverReplay, CountsAcceptedStepsAndSaysWhetherTheLevelIsComplete) {
    for (const Replay& c : kReplays) {
        SCOPED_TRACE(std::string(c.picture) + " with " + c.moves);
        BoardState board = board_from_picture(c.picture);
        solver::ReplayResult r = solver::replay_moves(board, c.moves);
        EXPECT_EQ(r.complete, c.complete) << board_text(board);
        EXPECT_EQ(r.moves, c.moves_made);
        EXPECT_EQ(r.refused, c.refused);
        EXPECT_EQ(r.bad_letter, c.bad_letter);
    }
}

TEST(SolverReplay, ShowsEveryMoveWithTheBoardAtRest) {
    BoardState board = board_from_picture("#######/#.....#/#1B~.E#/#.....#/#######");
    std::string letters;
    solver::ReplayResult r = solver::replay_moves(board, "LRRRR", [&](const BoardState& b, char l) {
        letters += l;
        EXPECT_EQ(board_moving(b), 0) << board_text(b);
    });
    EXPECT_EQ(letters, "RRRR") << "the refused step is not shown";
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(rt_index(board.blocks, 0).m.height, -1) << "the block has dropped into the hole";
}
