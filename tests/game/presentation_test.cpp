// presentation_test.cpp: the floor model's faces, the order and arguments of
// the 3D calls a board is drawn with (recorded on their way to the engine,
// which still draws them), the camera modes, and the iris wipe's pixels.
#include "game_fixture.h"

#include "game/screens.h"
#include "scene3d/scene3d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace game_test;

namespace {

constexpr int kScreenW = 640, kScreenH = 480;

// ---------------------------------------------------------------- call recorder

std::vector<std::string> g_calls;
PresentationCalls g_engine;

std::string call_text(const char* name, std::initializer_list<double> args) {
    std::string text = std::string(name) + "(";
    bool first = true;
    for (double a : args) {
        char number[32];
        std::snprintf(number, sizeof number, "%.10g", a);
        text += (first ? "" : ",") + std::string(number);
        first = false;
    }
    return text + ")";
}

#define RECORD(name, ...) g_calls.push_back(call_text(#name, {__VA_ARGS__}))

PresentationCalls recorder() {
    PresentationCalls r;
    r.FillRect = [](double a, double b, double c, double d, double e) {
        RECORD(FillRect, a, b, c, d, e), g_engine.FillRect(a, b, c, d, e);
    };
    r.Make3D = [](double a, double b, double c) {
        RECORD(Make3D, a, b, c), g_engine.Make3D(a, b, c);
    };
    r.SetCameraUp = [](double a, double b, double c) {
        RECORD(SetCameraUp, a, b, c), g_engine.SetCameraUp(a, b, c);
    };
    r.SetCamera = [](double a, double b, double c, double d, double e, double f) {
        RECORD(SetCamera, a, b, c, d, e, f), g_engine.SetCamera(a, b, c, d, e, f);
    };
    r.SetAmbient = [](double a, double b) { RECORD(SetAmbient, a, b), g_engine.SetAmbient(a, b); };
    r.SetLight = [](double a, double b, double c, double d, double e, double f, double g, double h,
                    double i) {
        RECORD(SetLight, a, b, c, d, e, f, g, h, i), g_engine.SetLight(a, b, c, d, e, f, g, h, i);
    };
    r.SetCulling = [](double a) { RECORD(SetCulling, a), g_engine.SetCulling(a); };
    r.SetTexture3D = [](double a, double b) {
        RECORD(SetTexture3D, a, b), g_engine.SetTexture3D(a, b);
    };
    r.DrawModel = [](double a, double b) { RECORD(DrawModel, a, b), g_engine.DrawModel(a, b); };
    r.ObjPosition = [](double a, double b, double c) {
        RECORD(ObjPosition, a, b, c), g_engine.ObjPosition(a, b, c);
    };
    r.ObjRotate = [](double a, double b, double c, double d) {
        RECORD(ObjRotate, a, b, c, d), g_engine.ObjRotate(a, b, c, d);
    };
    r.ObjScale = [](double a, double b, double c) {
        RECORD(ObjScale, a, b, c), g_engine.ObjScale(a, b, c);
    };
    r.ObjPush = [] { g_calls.push_back("ObjPush()"), g_engine.ObjPush(); };
    r.ObjPop = [] { g_calls.push_back("ObjPop()"), g_engine.ObjPop(); };
    r.PolyBegin = [](double a) { RECORD(PolyBegin, a), g_engine.PolyBegin(a); };
    r.PolyVertex = [](double a, double b, double c, double d, double e) {
        RECORD(PolyVertex, a, b, c, d, e), g_engine.PolyVertex(a, b, c, d, e);
    };
    r.PolyEnd = [] { g_calls.push_back("PolyEnd()"), g_engine.PolyEnd(); };
    return r;
}

// The recorded calls whose text starts with one of the prefixes, in order.
std::vector<std::string> calls_of(std::initializer_list<const char*> prefixes) {
    std::vector<std::string> out;
    for (const std::string& c : g_calls)
        for (const char* p : prefixes)
            if (c.rfind(p, 0) == 0) out.push_back(c);
    return out;
}

// Index of the first recorded call equal to `text` at or after `from`, or -1.
int find_call(const std::string& text, int from = 0) {
    for (int i = from; i < static_cast<int>(g_calls.size()); ++i)
        if (g_calls[i] == text) return i;
    return -1;
}

std::vector<std::string> slice(int from, int n) {
    return {g_calls.begin() + from, g_calls.begin() + from + n};
}

class Presentation : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(OpenRenderWindow("presentation test", kScreenW, kScreenH));
    }
    void SetUp() override {
        g_engine = engine_presentation_calls();
        presentation_calls() = recorder();
        g_calls.clear();
        GameValues& v = game_values();
        v.frame_width = kScreenW;
        v.frame_height = kScreenH;
        v.option_camera = 0;
        SetViewport2D(0, 0, 0, 0);
    }
    void TearDown() override {
        presentation_calls() = engine_presentation_calls();
        End3D();
        game_values().option_camera = 0;
    }
};

// ---------------------------------------------------------------- floor model

struct FaceCount {
    int top = 0, side = 0, bottom = 0;
    std::vector<std::vector<std::array<float, 3>>> sides;
};

// The strips of a built model, sorted by where their vertices lie.
FaceCount floor_faces(double slot) {
    FaceCount count;
    ModelSlot* s = scene3d().Slot(slot);
    if (!s || !s->loaded || s->meshes.empty()) return count;
    const MeshObject& mesh = *s->meshes[0];
    const MeshFrame& frame = mesh.frames[0];
    std::vector<std::array<float, 3>> strip;
    auto close = [&] {
        if (strip.size() >= 3) {
            bool all_top = true, all_bottom = true;
            for (const auto& p : strip) {
                all_top = all_top && std::fabs(p[1]) < 0.05f;
                all_bottom = all_bottom && std::fabs(p[1] + 1) < 0.05f;
            }
            if (all_top) ++count.top;
            if (all_bottom) ++count.bottom;
            if (!all_top && !all_bottom) ++count.side, count.sides.push_back(strip);
        }
        strip.clear();
    };
    for (std::size_t i = 0; i < frame.packed.size(); ++i) {
        if (mesh.palette[frame.packed[i].colour] >= kMarkerFan) {
            close();
            continue;
        }
        const ExpandedVertex e = ExpandVertex(mesh, frame, i);
        strip.push_back({e.position[0], e.position[1], e.position[2]});
    }
    close();
    return count;
}

RtArray<double> terrain_with_holes(std::initializer_list<std::pair<int, int>> holes) {
    RtArray<double> terrain;
    rt_dim(terrain, kBoardWidth, kBoardHeight);
    for (auto [x, z] : holes)
        rt_index(terrain, x, z) = 1;
    return terrain;
}

} // namespace

TEST_F(Presentation, FloorFacesFollowTheHoles) {
    const struct {
        const char* what;
        RtArray<double> terrain;
        int top, side;
    } cases[] = {
        {"no holes", terrain_with_holes({}), 360, 0},
        {"one hole inside", terrain_with_holes({{5, 5}}), 359, 4},
        {"a corner hole has floor on two sides only", terrain_with_holes({{0, 0}}), 359, 2},
        {"two holes side by side share no face", terrain_with_holes({{5, 5}, {6, 5}}), 358, 6},
    };
    for (const auto& c : cases) {
        build_floor_mesh(101, c.terrain);
        const FaceCount faces = floor_faces(101);
        EXPECT_EQ(faces.top, c.top) << c.what;
        EXPECT_EQ(faces.side, c.side) << c.what;
        EXPECT_EQ(faces.bottom, 1) << c.what;
    }
}

TEST_F(Presentation, SideFacesCloseTheHoleOnEachSide) {
    build_floor_mesh(0, terrain_with_holes({{5, 5}}));
    const FaceCount faces = floor_faces(0);
    ASSERT_EQ(faces.side, 4);
    // Each side face spans one cell edge of the hole from height -1 to 0.
    std::vector<std::string> edges;
    for (const auto& strip : faces.sides) {
        float lo[3] = {99, 99, 99}, hi[3] = {-99, -99, -99};
        for (const auto& p : strip)
            for (int k = 0; k < 3; ++k)
                lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
        EXPECT_NEAR(lo[1], -1, 0.05);
        EXPECT_NEAR(hi[1], 0, 0.05);
        char text[64];
        std::snprintf(text, sizeof text, "x %.0f-%.0f z %.0f-%.0f", lo[0], hi[0], lo[2], hi[2]);
        edges.push_back(text);
    }
    std::sort(edges.begin(), edges.end());
    EXPECT_EQ(edges, (std::vector<std::string>{"x 5-5 z 5-6", "x 5-6 z 5-5", "x 5-6 z 6-6",
                                               "x 6-6 z 5-6"}));
}

TEST_F(Presentation, FloorColours) {
    build_floor_mesh(101, terrain_with_holes({{5, 5}}));
    const MeshObject& mesh = *scene3d().Slot(101)->meshes[0];
    std::vector<std::uint32_t> colours;
    for (std::uint32_t c : mesh.palette)
        if (c < kMarkerFan) colours.push_back(c);
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(colours, (std::vector<std::uint32_t>{16384, 51200}));
}

TEST_F(Presentation, StartLevelBuildsTheBoardsFloor) {
    const auto dir = level_dir() / "start";
    std::filesystem::create_directories(dir / "levlib");
    const auto lines = level_lines(rows("#####/#~1~#/#.~.#/#..E#/#####"));
    std::ofstream out(dir / "levlib" / "QLEV7.CMD", std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
    out.close();
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    install_presentation();
    BoardState board;
    board.level_number = 7;
    board.floor_slot = 101;
    scene3d().EmptySlot(101);
    EXPECT_EQ(start_level(board), 1);
    set_floor_mesh_builder(nullptr);
    std::filesystem::current_path(previous);
    const FaceCount faces = floor_faces(101);
    EXPECT_EQ(faces.top, 357);
    // Floor (under the walls too) lies on all four sides of each hole.
    EXPECT_EQ(faces.side, 12);
}

// ---------------------------------------------------------------- draw_board

namespace {

// Inside a ring of walls: three characters, a door with all four arms, a
// 2 x 3 block (columns 3-4, rows 7-9) and the exit.
BoardState sample_board() {
    return board_from_picture("############/#.1.2.3...E#/#..........#/#....|.....#/#...-+-....#/"
                              "#....|.....#/#..........#/#..........#/#..........#/#..........#/"
                              "############",
                              "DHEJ");
}

// What draw_board draws for sample_board(), model by model: the door (pivot,
// four arms), the block, the twenty walls of the ring, the characters, the
// flag, the floor, then the shadow casters again.
std::vector<std::string> sample_models() {
    std::vector<std::string> models = {"DrawModel(2,0)", "DrawModel(3,0)", "DrawModel(3,0)",
                                       "DrawModel(3,0)", "DrawModel(3,0)", "DrawModel(1,0)"};
    models.insert(models.end(), 20, "DrawModel(4,0)");
    const std::vector<std::string> casters = {"DrawModel(10,0)", "DrawModel(11,0)",
                                              "DrawModel(10,0)", "DrawModel(5,0)"};
    models.insert(models.end(), casters.begin(), casters.end());
    models.push_back("DrawModel(0,0)");
    models.push_back("SetLight(-3,0,10,1000,9,0,-1,0,360)");
    models.insert(models.end(), casters.begin(), casters.end());
    return models;
}

using Calls = std::vector<std::string>;

} // namespace

TEST_F(Presentation, CharactersAlternatePepperAndTomato) {
    BoardState board = sample_board();
    draw_board(board);
    EXPECT_EQ(calls_of({"DrawModel", "SetLight"}), sample_models());
    // The second character: its place, turn and tilt, with its own texture.
    const int at = find_call("ObjPosition(4.5,-0.5,1.65)");
    ASSERT_GE(at, 1);
    EXPECT_EQ(slice(at - 1, 9),
              (Calls{"SetCulling(0)", "ObjPosition(4.5,-0.5,1.65)", "ObjRotate(0,0,-1,0)",
                     "ObjRotate(-25,1,0,0)", "SetTexture3D(11,-1)", "DrawModel(11,0)",
                     "SetTexture3D(-1,-1)", "SetCulling(1)", "SetCulling(0)"}));
}

TEST_F(Presentation, BlocksAndWallsAreScaledUnitModels) {
    BoardState board = sample_board();
    rt_index(board.blocks, 0).m.height = -1; // a block that fell into holes
    draw_board(board);
    const int block = find_call("ObjScale(2,1,3)");
    ASSERT_GE(block, 0);
    EXPECT_EQ(slice(block, 4), (Calls{"ObjScale(2,1,3)", "ObjPosition(4,-1,8.5)", "DrawModel(1,0)",
                                      "ObjScale(1,1,1)"}));
    const int wall = find_call("ObjScale(12,0.8,1)");
    ASSERT_GE(wall, 0);
    EXPECT_EQ(slice(wall, 4), (Calls{"ObjScale(12,0.8,1)", "ObjPosition(6,0,0.5)", "DrawModel(4,0)",
                                     "ObjScale(1,1,1)"}));
}

TEST_F(Presentation, DoorArmsTurnWithThePivot) {
    BoardState board = sample_board();
    rt_index(board.doors, 0).m.angle = 30;
    draw_board(board);
    const int door = find_call("ObjPosition(5.5,0,4.5)");
    ASSERT_GE(door, 0);
    // Pivot, then the arms right, below, left and above, each in its own level.
    EXPECT_EQ(slice(door, 24), (Calls{"ObjPosition(5.5,0,4.5)",
                                      "ObjRotate(30,0,-1,0)",
                                      "ObjPush()",
                                      "DrawModel(2,0)",
                                      "ObjPush()",
                                      "ObjPosition(1,0,0)",
                                      "DrawModel(3,0)",
                                      "ObjPop()",
                                      "ObjPush()",
                                      "ObjPosition(0,0,1)",
                                      "ObjRotate(270,0,1,0)",
                                      "DrawModel(3,0)",
                                      "ObjPop()",
                                      "ObjPush()",
                                      "ObjPosition(-1,0,0)",
                                      "ObjRotate(180,0,1,0)",
                                      "DrawModel(3,0)",
                                      "ObjPop()",
                                      "ObjPush()",
                                      "ObjPosition(0,0,-1)",
                                      "ObjRotate(90,0,1,0)",
                                      "DrawModel(3,0)",
                                      "ObjPop()",
                                      "ObjPop()"}));
    EXPECT_EQ(scene3d().pushed, 0) << "pushes and pops balance";
}

TEST_F(Presentation, OnlyTheSetArmsAreDrawn) {
    BoardState board = sample_board();
    DoorRecord& door = rt_index(board.doors, 0);
    rt_index(door.arms, 1) = 0; // right
    rt_index(door.arms, 3) = 0; // left
    draw_board(board);
    const int at = find_call("ObjPosition(5.5,0,4.5)");
    ASSERT_GE(at, 0);
    EXPECT_EQ(slice(at + 4, 10),
              (Calls{"ObjPush()", "ObjPosition(0,0,1)", "ObjRotate(270,0,1,0)", "DrawModel(3,0)",
                     "ObjPop()", "ObjPush()", "ObjPosition(0,0,-1)", "ObjRotate(90,0,1,0)",
                     "DrawModel(3,0)", "ObjPop()"}));
}

TEST_F(Presentation, SceneOpensWithBackgroundCameraAndLight) {
    BoardState board = sample_board();
    board.exit.angle = 90;
    board.floor_slot = 101;
    draw_board(board);
    EXPECT_EQ(slice(0, 7), (Calls{"FillRect(0,0,1024,1024,16777215)", "Make3D(1,100,45)",
                                  "SetCameraUp(0,0.1,-1)", "SetCamera(2,15,10,6,0,5)",
                                  "SetAmbient(0,16777215)", "SetCulling(0)", "SetCulling(1)"}));
    const int flag = find_call("ObjPosition(10.5,-0.5,1.5)");
    ASSERT_GE(flag, 0);
    EXPECT_EQ(slice(flag, 6),
              (Calls{"ObjPosition(10.5,-0.5,1.5)", "ObjRotate(270,0,1,0)", "ObjRotate(25,-1,0,0)",
                     "DrawModel(5,0)", "ObjPosition(0,-0.5,0)", "DrawModel(101,0)"}));
    const int light = find_call("SetLight(-3,0,10,1000,9,0,-1,0,360)");
    ASSERT_GE(light, 0);
    EXPECT_EQ(g_calls[light + 1], "ObjPosition(0,0,0)");
    EXPECT_TRUE(scene3d().shadow_pass) << "the caller's End3D leaves the shadow pass";
}

namespace {

// Characters at (2, 1) and (6, 6), the exit at (8, 6).
const std::string kCameraBoard = "##########/#.1......#/#........#/#........#/#........#/"
                                 "#........#/#.....2.E#/##########";

} // namespace

TEST_F(Presentation, CameraModes) {
    const struct {
        double mode;
        Calls camera;
    } cases[] = {
        {0, {"SetCameraUp(0,0.1,-1)", "SetCamera(6,15,13,8,0,6.5)"}},
        {1, {"SetCameraUp(0,0.1,-1)", "SetCamera(10.95,15,19,10.95,0,5.98)"}},
        {2, {"SetCameraUp(0,0,-1)", "SetCamera(6,15,13,6,0,4)"}},
        {3, {}},
        {-1, {}},
        {1.5, {}},
    };
    for (const auto& c : cases) {
        // The current character (the second) stands at (6, 4).
        BoardState board = board_from_picture(kCameraBoard);
        rt_index(board.characters, 1).m.y = 4;
        board.current_character = 1;
        game_values().option_camera = c.mode;
        g_calls.clear();
        draw_board(board);
        EXPECT_EQ(calls_of({"SetCamera"}), c.camera) << "mode " << c.mode;
    }
}

TEST_F(Presentation, FollowPointGlidesOncePerFrame) {
    BoardState board = board_from_picture(kCameraBoard);
    board.current_character = 1; // at (6, 6); the level put the follow point at (11, 10, 6)
    game_values().option_camera = 1;
    RtArray<double>& f = game_values().camera_follow;
    for (int frame = 1; frame <= 3; ++frame) {
        draw_board(board);
        EXPECT_NEAR(rt_index(f, 0), 6 + 5 * std::pow(0.99, frame), 1e-9) << "frame " << frame;
        EXPECT_NEAR(rt_index(f, 2), 6, 1e-9);
        EXPECT_EQ(rt_index(f, 1), 10) << "the eye height term never moves";
    }
    game_values().option_camera = 0;
    draw_board(board);
    EXPECT_NEAR(rt_index(f, 0), 6 + 5 * std::pow(0.99, 3), 1e-9) << "other modes leave it";
}

// ---------------------------------------------------------------- iris

namespace {

// Share of white pixels in a rectangle of the back buffer.
double white_share(int x, int y, int w, int h) {
    DecodedImage image;
    EXPECT_TRUE(ReadScreenPixels(x, y, w, h, image));
    int white = 0;
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
        white += image.pixels[i] == 255 && image.pixels[i + 1] == 255 && image.pixels[i + 2] == 255;
    return double(white) / (w * h);
}

bool white_at(int x, int y) {
    return white_share(x, y, 1, 1) == 1;
}

} // namespace

TEST_F(Presentation, IrisOpenness) {
    const struct {
        double openness;
        double white;
    } cases[] = {{0, 1}, {1, 0}, {-0.5, 1}};
    for (const auto& c : cases) {
        ClearScreen();
        FillRect(0, 0, kScreenW, kScreenH, 255); // red: what the iris lets through
        draw_iris(c.openness);
        EXPECT_EQ(white_share(0, 0, kScreenW, kScreenH), c.white) << "openness " << c.openness;
    }
}

TEST_F(Presentation, IrisHalfOpenIsACircle) {
    ClearScreen();
    FillRect(0, 0, kScreenW, kScreenH, 255);
    g_calls.clear();
    draw_iris(0.5); // radius 0.5 x 640 - 16 = 304 round (320, 240)
    EXPECT_EQ(calls_of({"PolyBegin"}).size(), 4u);
    EXPECT_EQ(calls_of({"PolyVertex"}).size(), 4u * 22) << "corner, two edges, 19 arc points";
    const struct {
        int x, y;
        bool white;
    } points[] = {{320, 240, false},
                  {320 + 295, 240, false},
                  {320, 240 - 230, false},
                  {320 - 210, 240 + 210, false},
                  {320 + 225, 240 + 225, true},
                  {0, 0, true},
                  {639, 479, true},
                  {20, 240, false},
                  {320, 2, false}};
    for (const auto& p : points)
        EXPECT_EQ(white_at(p.x, p.y), p.white) << p.x << "," << p.y;
}

TEST_F(Presentation, IrisCoversOnlyItsFrame) {
    // The lower board of two: a frame half the screen high, drawn in its viewport.
    game_values().frame_height = kScreenH / 2;
    ClearScreen();
    SetViewport2D(0, 0, 0, 0);
    FillRect(0, 0, kScreenW, kScreenH, 255);
    SetViewport2D(0, kScreenH / 2, kScreenW, kScreenH / 2);
    draw_iris(0);
    SetViewport2D(0, 0, 0, 0);
    EXPECT_EQ(white_share(0, 0, kScreenW, kScreenH / 2), 0);
    EXPECT_EQ(white_share(0, kScreenH / 2, kScreenW, kScreenH / 2), 1);
}
