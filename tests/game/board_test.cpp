// board_test.cpp: the board model's services on hand-built boards: the
// occupancy grid, mover animation and the undo stack's edges.
#include "game_fixture.h"

using namespace game_test;

namespace {

BoardState empty_board() {
    BoardState board;
    rt_dim(board.terrain, kBoardWidth, kBoardHeight);
    rt_dim(board.occupancy, kBoardWidth, kBoardHeight);
    board.exit.x = 19;
    board.exit.y = 17;
    return board;
}

void add_box(RtArray<BoxRecord>& list, double x, double y, double w, double d, double h = 0) {
    int n = static_cast<int>(rt_bounds(list, 0));
    rt_redim(list, n + 1);
    BoxRecord& box = rt_index(list, n);
    box.width = w;
    box.depth = d;
    box.m.x = x;
    box.m.y = y;
    box.m.height = h;
}

int cells_with(const BoardState& board, double code) {
    int n = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            n += rt_index(board.occupancy, x, y) == code;
    return n;
}

} // namespace

TEST(Board, OccupancyCountsRestingBlocksWallsDoorsAndExit) {
    BoardState board = empty_board();
    add_box(board.blocks, 4, 5, 2, 3);       // 6 cells
    add_box(board.blocks, 10, 10, 1, 1, -1); // fallen: nothing
    add_box(board.blocks, 12, 10, 1, 1);
    rt_index(board.blocks, 2).m.pending_height = -1; // falling: nothing
    add_box(board.blocks, 0, 0, 1, 1);
    add_box(board.walls, 0, 0, 2, 1); // covers the block at (0, 0)
    rt_redim(board.doors, 1);
    DoorRecord& door = rt_index(board.doors, 0);
    door.m.x = 8;
    door.m.y = 8;
    rt_index(door.arms, 1) = 1;
    rt_index(door.arms, 2) = 1;
    rebuild_occupancy(board);
    EXPECT_EQ(cells_with(board, 1), 6);
    for (int y = 5; y <= 7; ++y)
        for (int x = 4; x <= 5; ++x)
            EXPECT_EQ(rt_index(board.occupancy, x, y), 1) << x << ", " << y;
    EXPECT_EQ(rt_index(board.occupancy, 0, 0), 2) << "a wall wins over a block";
    EXPECT_EQ(cells_with(board, 2), 3); // two wall cells and the pivot
    EXPECT_EQ(rt_index(board.occupancy, 9, 8), 3);
    EXPECT_EQ(rt_index(board.occupancy, 8, 9), 3);
    EXPECT_EQ(cells_with(board, 3), 2);
    EXPECT_EQ(rt_index(board.occupancy, 19, 17), 4);
    EXPECT_EQ(cells_with(board, 0), kBoardWidth * kBoardHeight - 12);
}

TEST(Board, MoverAdvancesByStepAndLandsExactly) {
    Mover m;
    m.pending_dx = 1;
    advance_mover(m, 0.4);
    EXPECT_DOUBLE_EQ(m.x, 0.4);
    advance_mover(m, 0.4);
    EXPECT_DOUBLE_EQ(m.x, 0.8);
    advance_mover(m, 0.4);
    EXPECT_EQ(m.x, 1) << "snapped to the whole cell";
    EXPECT_EQ(m.pending_dx, 0);
    // Any step beyond what is pending lands on the spot, never past it.
    for (double step : {2.0, 5.0, 1e6}) {
        Mover n;
        n.x = 3;
        n.pending_dx = -2;
        n.pending_angle = 90;
        advance_mover(n, step);
        EXPECT_EQ(n.x, 1) << "step " << step;
        EXPECT_EQ(n.pending_dx, 0);
        EXPECT_EQ(n.angle, 90) << "step " << step;
    }
}

TEST(Board, DropWaitsForTheSlideAndSoundsOnce) {
    SoundRecorder sounds;
    Mover m;
    m.pending_dx = 0.5;
    m.pending_height = -1;
    advance_mover(m, 0.25);
    EXPECT_EQ(m.height, 0);
    EXPECT_TRUE(sounds.slots.empty());
    advance_mover(m, 0.25);
    EXPECT_EQ(m.height, 0) << "the slide ends in this call; the drop starts in the next";
    advance_mover(m, 0.5);
    advance_mover(m, 0.5);
    EXPECT_EQ(m.height, -1);
    EXPECT_EQ(m.pending_height, 0);
    EXPECT_EQ(sounds.slots, (std::vector<int>{2}));
}

TEST(Board, UndoWithNothingRecordedChangesNothing) {
    BoardState board = board_from_picture("#####/#1B.#/#####");
    std::string before = board_text(board);
    undo_last(board);
    EXPECT_EQ(board_text(board), before);
}
