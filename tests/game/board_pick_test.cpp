// board_pick_test.cpp: picture points back to board cells through the view a
// board was drawn with: the centre of every free cell, in each camera mode,
// for a board filling the screen and one in the lower half, comes back as
// that cell, unless the block stands in front of it.
#include "game_fixture.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "scene3d/scene3d.h"

using namespace game_test;

void PrintTo(const BoardCell& c, std::ostream* os) {
    *os << "(" << c.x << ", " << c.y << ")";
}

TEST(BoardPick, CellCentresComeBackAsTheirCells) {
    ASSERT_TRUE(OpenRenderWindow("pick test", 640, 480));
    struct Case {
        double camera;
        int index; // 0 the whole screen, 1 the lower half
    };
    const Case cases[] = {{0, 0}, {2, 0}, {0, 1}, {2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("camera " + std::to_string(c.camera) + ", board " + std::to_string(c.index));
        BoardState board = board_from_picture("#########/#1......#/#...B...#/#.......#/#########");
        game_values().option_camera = c.camera;
        if (c.index == 0)
            SetViewport2D(0, 0, 0, 0);
        else
            SetViewport2D(0, 240, 640, 240);
        PlayPointer pointer;
        draw_board(board);
        pointer.remember_view(c.index);
        End3D();
        int checked = 0;
        for (int y = 1; y <= 3; ++y)
            for (int x = 1; x <= 7; ++x) {
                // The block at (4, 2) stands in front of the floor behind it.
                if (x == 4 && y == 1) continue;
                double sx = 0, sy = 0;
                ASSERT_TRUE(board_cell_on_screen(c.index, {x, y}, &sx, &sy));
                if (sx < 0 || sx >= 640 || sy < 0 || sy >= 480) continue;
                BoardCell got{-1, -1};
                EXPECT_TRUE(board_cell_at(board, c.index, sx, sy, &got)) << x << "," << y;
                EXPECT_EQ(got, (BoardCell{x, y})) << "from " << sx << "," << sy;
                ++checked;
            }
        EXPECT_GT(checked, 15);
        // Off the board's frame nothing is picked.
        BoardCell got;
        EXPECT_FALSE(board_cell_at(board, c.index, 320, c.index == 0 ? 500 : 100, &got));
    }
    SetViewport2D(0, 0, 0, 0);
}
