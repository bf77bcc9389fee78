// library_view_test.cpp: every level of the shipped library is in view when
// it starts. The room's floor, holes and pieces, seen through the camera the
// presentation sets, lie inside the board's frame and below its level line,
// with one board on the screen and with two.
#include "game_fixture.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "scene3d/scene3d.h"
#include "screen_test_support.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

fs::path library_dir() {
    return fs::path(CROPSTACK_SOURCE_DIR) / "data" / "levlib";
}

int library_size() {
    int n = 0;
    while (fs::exists(library_dir() / ("QLEV" + std::to_string(n + 1) + ".CMD")))
        ++n;
    return n;
}

// What draw_board told the engine about the view.
struct View {
    double fov = 0;
    double eye[3] = {}, target[3] = {}, up[3] = {};
};
View g_view;
PresentationCalls g_engine;

void record_camera() {
    g_engine = engine_presentation_calls();
    PresentationCalls r = g_engine;
    r.Make3D = [](double near_plane, double far_plane, double fov) {
        g_view.fov = fov;
        g_engine.Make3D(near_plane, far_plane, fov);
    };
    r.SetCameraUp = [](double x, double y, double z) {
        g_view.up[0] = x, g_view.up[1] = y, g_view.up[2] = z;
        g_engine.SetCameraUp(x, y, z);
    };
    r.SetCamera = [](double ex, double ey, double ez, double tx, double ty, double tz) {
        const double e[3] = {ex, ey, ez}, t[3] = {tx, ty, tz};
        for (int k = 0; k < 3; ++k)
            g_view.eye[k] = e[k], g_view.target[k] = t[k];
        g_engine.SetCamera(ex, ey, ez, tx, ty, tz);
    };
    presentation_calls() = r;
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void normalise(double v[3]) {
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int k = 0; k < 3; ++k)
        v[k] /= n;
}

double dot(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Where a point of the world lands in a board of width x height pixels
// (y down from the board's top), for a look-at camera and a symmetric
// perspective of the recorded field of view.
struct Pixel {
    double x, y;
};
Pixel project(const View& v, double width, double height, double px, double py, double pz) {
    double back[3] = {v.eye[0] - v.target[0], v.eye[1] - v.target[1], v.eye[2] - v.target[2]};
    normalise(back);
    double side[3], up[3];
    cross(v.up, back, side);
    normalise(side);
    cross(back, side, up);
    const double d[3] = {px - v.eye[0], py - v.eye[1], pz - v.eye[2]};
    const double depth = -dot(d, back);
    const double t = std::tan(v.fov / 2 * M_PI / 180);
    const double nx = dot(d, side) / depth / (t * width / height);
    const double ny = dot(d, up) / depth / t;
    return {(nx + 1) / 2 * width, (1 - ny) / 2 * height};
}

bool under_wall(const BoardState& board, int x, int z) {
    for (int i = 0; i < count(board.walls); ++i) {
        const BoxRecord& w = rt_index(board.walls, i);
        if (x >= w.m.x && x < w.m.x + w.width && z >= w.m.y && z < w.m.y + w.depth) return true;
    }
    return false;
}

bool open_floor(const BoardState& board, int x, int z) {
    return x >= 0 && z >= 0 && x < kBoardWidth && z < kBoardHeight &&
           rt_index(board.terrain, x, z) == 0 && !under_wall(board, x, z);
}

// The cells a player must see: open floor, and the holes beside it.
bool matters(const BoardState& board, int x, int z) {
    if (open_floor(board, x, z)) return true;
    if (rt_index(board.terrain, x, z) == 0) return false;
    return open_floor(board, x - 1, z) || open_floor(board, x + 1, z) ||
           open_floor(board, x, z - 1) || open_floor(board, x, z + 1);
}

struct Layout {
    int boards;
    const char* name;
};

class LibraryView : public ::testing::TestWithParam<int> {
  protected:
    static void SetUpTestSuite() {
        screen_test::open_window(640, 480);
        LoadFont("", 0);
    }
    void SetUp() override {
        record_camera();
        GameValues& g = game_values();
        g.screen_width = 640;
        g.screen_height = 480;
        g.option_camera = 0;
    }
    void TearDown() override {
        presentation_calls() = engine_presentation_calls();
        End3D();
        SetViewport2D(0, 0, 0, 0);
    }
};

// The cells of the level that leave the clear part of a board of `layout`,
// as "(x,z)" texts; empty when the whole room is in view.
std::string cells_out_of_view(BoardState& board, const Layout& layout) {
    GameValues& g = game_values();
    g.frame_width = g.screen_width;
    g.frame_height = g.screen_height / layout.boards;
    SetViewport2D(0, 0, g.frame_width, g.frame_height);
    draw_board(board);
    End3D();
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    // The board's own area: the frame's border around it, its level line on top.
    const InfoArea area = info_area(0, layout.boards);
    const double left = area.left, right = area.right, top = area.top + ch, bottom = area.bottom;
    std::ostringstream out;
    for (int z = 0; z < kBoardHeight; ++z)
        for (int x = 0; x < kBoardWidth; ++x) {
            if (!matters(board, x, z)) continue;
            const Pixel p = project(g_view, g.frame_width, g.frame_height, x + 0.5, 0, z + 0.5);
            if (p.x < left || p.x > right || p.y < top || p.y > bottom)
                out << " (" << x << "," << z << ") at " << std::lround(p.x) << ","
                    << std::lround(p.y);
        }
    return out.str();
}

TEST_P(LibraryView, TheRoomIsInViewAtTheStart) {
    const int level = GetParam();
    const std::string file = (library_dir() / ("QLEV" + std::to_string(level) + ".CMD")).string();
    BoardState board;
    RtString reason;
    ASSERT_EQ(load_level_file(board, RtString(file.c_str()), &reason), 1) << reason.str();
    for (const Layout& layout : {Layout{1, "one board"}, Layout{2, "two boards"}})
        EXPECT_EQ(cells_out_of_view(board, layout), "")
            << "level " << level << ", " << layout.name << ": cells out of view";
}

INSTANTIATE_TEST_SUITE_P(Library, LibraryView, ::testing::Range(1, library_size() + 1));

// A picture's board with everything beyond the picture a hole, as the
// library's files have it.
BoardState room(const std::vector<std::string>& picture) {
    BoardState board = game_test::board_from_picture(picture);
    for (int z = 0; z < kBoardHeight; ++z)
        for (int x = 0; x < kBoardWidth; ++x)
            if (z >= static_cast<int>(picture.size()) || x >= static_cast<int>(picture[0].size()))
                rt_index(board.terrain, x, z) = 1;
    return board;
}

// The check itself: a room too wide or too deep for the view is caught, a
// small one passes.
TEST_F(LibraryView, CatchesARoomTooLargeForTheView) {
    const struct {
        std::vector<std::string> picture;
        Layout layout;
        bool in_view;
    } cases[] = {
        {{"####################", "#1.................#", "####################"},
         {1, "one board"},
         false},
        {{"#####", "#1.E#", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#",
          "#...#", "#...#", "#...#", "#####"},
         {2, "two boards"},
         false},
        {{"#####", "#1.E#", "#####"}, {2, "two boards"}, true},
        {{"#####", "#1.E#", "#####"}, {1, "one board"}, true},
    };
    for (const auto& c : cases) {
        BoardState board = room(c.picture);
        EXPECT_EQ(cells_out_of_view(board, c.layout).empty(), c.in_view)
            << c.picture.size() << " rows, " << c.layout.name;
    }
}

} // namespace
