// sliding_test.cpp: blocks while they slide: the occupancy grid counts a
// sliding block at the cell it is moving to, whatever rebuilds the grid
// during the slide, and a cell marked as a block that no block covers
// pushes nothing.
#include "game_fixture.h"

using namespace game_test;

namespace {

using Cell = std::pair<double, double>;

const Mover& block(const BoardState& board, int i) {
    return rt_index(board.blocks, i).m;
}

struct Direction {
    const char* name;
    int key;
    int dx, dy;
    // Two characters, each with a block in front of it and room beyond.
    const char* picture;
};

const Direction kDirections[] = {
    {"right", kRight, 1, 0, "#########/#1B.....#/#.......#/#2B.....#/#########"},
    {"left", kLeft, -1, 0, "#########/#.....B1#/#.......#/#.....B2#/#########"},
    {"down", kDown, 0, 1, "#####/#1.2#/#B.B#/#...#/#...#/#...#/#...#/#...#/#####"},
    {"up", kUp, 0, -1, "#####/#...#/#...#/#...#/#...#/#...#/#B.B#/#1.2#/#####"},
};

} // namespace

// Character 2 pushes its block while the block of character 1 is still on
// its way; the rebuild that push brings must keep the first block where it
// is going, so character 1 pushes it on instead of walking into it.
TEST(Sliding, APushDuringAnotherSlideKeepsTheSlidingBlockInTheGrid) {
    for (const Direction& d : kDirections) {
        SCOPED_TRACE(d.name);
        BoardState board = board_from_picture(d.picture);
        const Cell start = position(board, 0);
        const Cell first_block(block(board, 0).x, block(board, 0).y);
        Player player(board);
        player.frame({d.key});        // character 1 pushes: its block starts to slide
        player.frame({d.key, kNext}); // still held; control passes to character 2
        ASSERT_EQ(board.current_character, 1);
        ASSERT_NE(block(board, 0).pending_dx + block(board, 0).pending_dy, 0)
            << "the first block is still sliding";
        player.frame({d.key}); // character 2 pushes its own block
        ASSERT_NE(block(board, 1).pending_dx + block(board, 1).pending_dy, 0) << board_text(board);
        player.settle();
        player.press(kNext);
        ASSERT_EQ(board.current_character, 0);
        const double bx = first_block.first + d.dx, by = first_block.second + d.dy;
        EXPECT_EQ(rt_index(board.occupancy, static_cast<int>(bx), static_cast<int>(by)), kCellBlock)
            << board_text(board);
        player.press(d.key);
        EXPECT_EQ(position(board, 0), Cell(start.first + 2 * d.dx, start.second + 2 * d.dy))
            << board_text(board);
        EXPECT_EQ(block(board, 0).x, bx + d.dx) << board_text(board);
        EXPECT_EQ(block(board, 0).y, by + d.dy);
    }
}

// The grid during a slide, rebuilt on every frame: the block is counted at
// its new cell only, from the push until it has arrived.
TEST(Sliding, EveryRebuildDuringASlideCountsTheNewCell) {
    for (const Direction& d : kDirections) {
        SCOPED_TRACE(d.name);
        BoardState board = board_from_picture(d.picture);
        const int ox = static_cast<int>(block(board, 0).x),
                  oy = static_cast<int>(block(board, 0).y);
        Player player(board);
        player.frame({d.key}, 0.1);
        for (int f = 0; f < 12; ++f) {
            rebuild_occupancy(board);
            EXPECT_EQ(rt_index(board.occupancy, ox + d.dx, oy + d.dy), kCellBlock) << "frame " << f;
            EXPECT_EQ(rt_index(board.occupancy, ox, oy), kCellFree) << "frame " << f;
            player.frame({}, 0.1);
        }
        EXPECT_EQ(board_moving(board), 0);
    }
}

// A stale grid (as a rebuild that missed a moving block once left it) that
// marks a cell no block covers: stepping into it neither moves block 0 from
// a distance nor moves the character.
TEST(Sliding, ABlockCellWithoutABlockPushesNothing) {
    BoardState board = board_from_picture("#########/#1....B..#/#########");
    rt_index(board.occupancy, 2, 1) = kCellBlock;
    SoundRecorder sounds;
    Player player(board);
    player.frame({kRight});
    EXPECT_TRUE(sounds.slots.empty());
    EXPECT_EQ(block(board, 0).pending_dx, 0);
    EXPECT_EQ(block(board, 0).x, 6);
    EXPECT_EQ(rt_index(board.characters, 0).m.pending_dx, 0);
}
