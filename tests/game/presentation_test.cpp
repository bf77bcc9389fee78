// presentation_test.cpp: the floor model's faces, the order and arguments of
// the 3D calls a board is drawn with (recorded on their way to the engine,
// which still draws them), the camera modes, and the iris wipe's pixels.
#include "game_fixture.h"

#include "game/screens/screens.h"
#include "scene3d/scene3d.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace game_test;

namespace {

using Calls = std::vector<std::string>;
Calls g_calls;
PresentationCalls g_engine;

void record(const char* name, std::initializer_list<double> args) {
    std::string text = std::string(name) + "(";
    for (double a : args) {
        char number[32];
        std::snprintf(number, sizeof number, "%.10g,", a);
        text += number;
    }
    if (text.back() == ',') text.pop_back();
    g_calls.push_back(text + ")");
}

// Each command is written down, then passed on to the engine.
#define WRAP(name)                                                                                 \
    r.name = [](auto... a) {                                                                       \
        record(#name, {double(a)...});                                                             \
        g_engine.name(a...);                                                                       \
    }

PresentationCalls recorder() {
    PresentationCalls r = engine_presentation_calls();
    WRAP(FillRect), WRAP(Make3D), WRAP(SetCameraUp), WRAP(SetCamera), WRAP(SetAmbient);
    WRAP(SetLight), WRAP(SetCulling), WRAP(SetTexture3D), WRAP(DrawModel), WRAP(ObjPosition);
    WRAP(ObjRotate), WRAP(ObjScale), WRAP(ObjPush), WRAP(ObjPop), WRAP(PolyBegin);
    WRAP(PolyVertex), WRAP(PolyEnd);
    return r;
}

// The recorded calls whose text starts with one of the prefixes, in order.
Calls calls_of(std::initializer_list<const char*> prefixes) {
    Calls out;
    for (const std::string& c : g_calls)
        for (const char* p : prefixes)
            if (c.rfind(p, 0) == 0) out.push_back(c);
    return out;
}

// n calls from the first one equal to `first` (empty when it never came).
Calls calls_from(const std::string& first, int n, int offset = 0) {
    auto at = std::find(g_calls.begin(), g_calls.end(), first);
    if (at == g_calls.end() || at + offset + n > g_calls.end()) return {};
    return {at + offset, at + offset + n};
}

class Presentation : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(OpenRenderWindow("presentation test", 640, 480)); }
    void SetUp() override {
        g_engine = engine_presentation_calls();
        presentation_calls() = recorder();
        g_calls.clear();
        game_values().frame_width = 640;
        game_values().frame_height = 480;
        game_values().option_camera = 0;
    }
    void TearDown() override {
        presentation_calls() = engine_presentation_calls();
        End3D();
        game_values().option_camera = 0;
    }
};

// Top faces, side faces and the bottom plane of a built floor model, told
// apart by the heights of their strips' vertices; each side face by its span.
struct FloorFaces {
    int top = 0, bottom = 0;
    Calls sides;
};

FloorFaces floor_faces(double slot) {
    FloorFaces faces;
    ModelSlot* s = scene3d().Slot(slot);
    if (!s || !s->loaded || s->meshes.empty()) return faces;
    const MeshObject& mesh = *s->meshes[0];
    const MeshFrame& frame = mesh.frames[0];
    float lo[3] = {}, hi[3] = {};
    int n = 0;
    auto close = [&] {
        if (n >= 3 && hi[1] < 0.05f && lo[1] > -0.05f) ++faces.top;
        if (n >= 3 && hi[1] < -0.95f) ++faces.bottom;
        char span[64];
        std::snprintf(span, sizeof span, "x %.0f-%.0f z %.0f-%.0f", lo[0], hi[0], lo[2], hi[2]);
        if (n >= 3 && hi[1] - lo[1] > 0.95f) faces.sides.push_back(span);
        n = 0;
    };
    for (std::size_t i = 0; i < frame.packed.size(); ++i) {
        if (mesh.palette[frame.packed[i].colour] >= kMarkerFan) {
            close();
            continue;
        }
        const ExpandedVertex e = ExpandVertex(mesh, frame, i);
        for (int k = 0; k < 3; ++k) {
            lo[k] = n ? std::min(lo[k], e.position[k]) : e.position[k];
            hi[k] = n ? std::max(hi[k], e.position[k]) : e.position[k];
        }
        ++n;
    }
    close();
    std::sort(faces.sides.begin(), faces.sides.end());
    return faces;
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
        int top;
        Calls sides;
    } cases[] = {
        {"no holes", terrain_with_holes({}), 360, {}},
        {"one hole",
         terrain_with_holes({{5, 5}}),
         359,
         {"x 5-5 z 5-6", "x 5-6 z 5-5", "x 5-6 z 6-6", "x 6-6 z 5-6"}},
        {"a corner hole: no faces toward the outside",
         terrain_with_holes({{0, 0}}),
         359,
         {"x 0-1 z 1-1", "x 1-1 z 0-1"}},
        {"holes side by side share no face",
         terrain_with_holes({{5, 5}, {6, 5}}),
         358,
         {"x 5-5 z 5-6", "x 5-6 z 5-5", "x 5-6 z 6-6", "x 6-7 z 5-5", "x 6-7 z 6-6",
          "x 7-7 z 5-6"}},
    };
    for (const auto& c : cases) {
        build_floor_mesh(101, c.terrain);
        const FloorFaces faces = floor_faces(101);
        EXPECT_EQ(faces.top, c.top) << c.what;
        EXPECT_EQ(faces.sides, c.sides) << c.what;
        EXPECT_EQ(faces.bottom, 1) << c.what;
    }
}

TEST_F(Presentation, StartLevelBuildsTheBoardsFloor) {
    const auto dir = level_dir() / "start";
    std::filesystem::create_directories(dir / "levlib");
    std::ofstream out(dir / "levlib" / "QLEV7.CMD", std::ios::binary);
    for (const std::string& line : level_lines(rows("#####/#~1~#/#.~.#/#..E#/#####")))
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
    const FloorFaces faces = floor_faces(101);
    EXPECT_EQ(faces.top, 357);
    EXPECT_EQ(faces.sides.size(), 12u) << "floor lies on all four sides of each hole";
}

TEST_F(Presentation, BoardCallsInOrder) {
    // Inside a ring of walls: three characters, a door with all four arms,
    // a 2 x 3 block (columns 3-4, rows 7-9) and the exit.
    BoardState board = board_from_picture(
        "############/#.1.2.3...E#/#..........#/#....|.....#/#...-+-....#/#....|.....#/"
        "#..........#/#..........#/#..........#/#..........#/############",
        "DHEJ");
    rt_index(board.blocks, 0).m.height = -1; // fallen into holes
    rt_index(board.doors, 0).m.angle = 30;
    board.exit.angle = 90;
    board.floor_slot = 101;
    draw_board(board);
    // Door (pivot, four arms), block, the ring's twenty walls, characters,
    // flag, floor, then the shadow casters again.
    Calls models = {"DrawModel(2,0)", "DrawModel(3,0)", "DrawModel(3,0)",
                    "DrawModel(3,0)", "DrawModel(3,0)", "DrawModel(1,0)"};
    models.insert(models.end(), 20, "DrawModel(4,0)");
    const Calls casters = {"DrawModel(10,0)", "DrawModel(11,0)", "DrawModel(10,0)",
                           "DrawModel(5,0)"};
    models.insert(models.end(), casters.begin(), casters.end());
    models.insert(models.end(), {"DrawModel(101,0)", "SetLight(-3,0,10,1000,9,0,-1,0,360)"});
    models.insert(models.end(), casters.begin(), casters.end());
    EXPECT_EQ(calls_of({"DrawModel", "SetLight"}), models);

    EXPECT_EQ(calls_from("FillRect(0,0,1024,1024,16777215)", 7),
              (Calls{"FillRect(0,0,1024,1024,16777215)", "Make3D(1,100,45)",
                     "SetCameraUp(0,0.1,-1)", "SetCamera(2,15,10,6,0,5)", "SetAmbient(0,16777215)",
                     "SetCulling(0)", "SetCulling(1)"}));
    EXPECT_EQ(calls_from("ObjPosition(5.5,0,4.5)", 24), (Calls{"ObjPosition(5.5,0,4.5)",
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
    EXPECT_EQ(calls_from("ObjScale(2,1,3)", 4), (Calls{"ObjScale(2,1,3)", "ObjPosition(4,-1,8.5)",
                                                       "DrawModel(1,0)", "ObjScale(1,1,1)"}));
    EXPECT_EQ(
        calls_from("ObjScale(12,0.8,1)", 4),
        (Calls{"ObjScale(12,0.8,1)", "ObjPosition(6,0,0.5)", "DrawModel(4,0)", "ObjScale(1,1,1)"}));
    EXPECT_EQ(calls_from("ObjPosition(4.5,-0.5,1.65)", 9, -1),
              (Calls{"SetCulling(0)", "ObjPosition(4.5,-0.5,1.65)", "ObjRotate(0,0,-1,0)",
                     "ObjRotate(-25,1,0,0)", "SetTexture3D(11,-1)", "DrawModel(11,0)",
                     "SetTexture3D(-1,-1)", "SetCulling(1)", "SetCulling(0)"}));
    EXPECT_EQ(calls_from("ObjPosition(10.5,-0.5,1.5)", 6),
              (Calls{"ObjPosition(10.5,-0.5,1.5)", "ObjRotate(270,0,1,0)", "ObjRotate(25,-1,0,0)",
                     "DrawModel(5,0)", "ObjPosition(0,-0.5,0)", "DrawModel(101,0)"}));
    EXPECT_EQ(calls_from("SetLight(-3,0,10,1000,9,0,-1,0,360)", 1, 1),
              (Calls{"ObjPosition(0,0,0)"}));
    EXPECT_EQ(scene3d().pushed, 0) << "pushes and pops balance";
    EXPECT_TRUE(scene3d().shadow_pass) << "the caller's End3D leaves the shadow pass";
}

// Characters at (2, 1) and (6, 6), the exit at (8, 6).
const char* const kCameraBoard = "##########/#.1......#/#........#/#........#/#........#/"
                                 "#........#/#.....2.E#/##########";

TEST_F(Presentation, CameraModes) {
    const struct {
        double mode;
        Calls camera;
    } cases[] = {
        {0, {"SetCameraUp(0,0.1,-1)", "SetCamera(6,15,13,8,0,6.5)"}},
        // The follow point starts at (11, 10, 6) and moves 1% toward (6, 4).
        {1, {"SetCameraUp(0,0.1,-1)", "SetCamera(10.95,15,19,10.95,0,5.98)"}},
        {2, {"SetCameraUp(0,0,-1)", "SetCamera(6,15,13,6,0,4)"}},
        {3, {}},
        {-1, {}},
        {1.5, {}},
    };
    for (const auto& c : cases) {
        BoardState board = board_from_picture(kCameraBoard);
        rt_index(board.characters, 1).m.y = 4;
        board.current_character = 1;
        game_values().option_camera = c.mode;
        g_calls.clear();
        draw_board(board);
        EXPECT_EQ(calls_of({"SetCamera"}), c.camera) << "mode " << c.mode;
    }
}

// One character far from the first board's, at (13, 8).
const char* const kFarBoard = "################/#..............#/#..............#/"
                              "#..............#/#..............#/#..............#/"
                              "#..............#/#..............#/#............1.#/"
                              "################";

// The camera calls of one drawing of the board.
Calls camera_of(BoardState& board) {
    g_calls.clear();
    draw_board(board);
    End3D();
    return calls_of({"SetCamera"});
}

// Two boards in glide mode, drawn in turn as the play loop does, each glide
// as the same board would alone; starting a level on one leaves the other's
// view where it was.
TEST_F(Presentation, GlideFollowsEachBoardsOwnCharacter) {
    game_values().option_camera = 1;
    BoardState upper_alone = board_from_picture(kCameraBoard);
    BoardState lower_alone = board_from_picture(kFarBoard);
    BoardState upper = board_from_picture(kCameraBoard);
    BoardState lower = board_from_picture(kFarBoard);
    for (int frame = 0; frame < 40; ++frame) {
        SCOPED_TRACE(frame);
        if (frame == 20) {
            // A new level on the lower board only.
            lower.level_number = lower_alone.level_number;
            ASSERT_EQ(load_level(lower, level_dir().c_str()), 1);
            ASSERT_EQ(load_level(lower_alone, level_dir().c_str()), 1);
        }
        const Calls upper_expected = camera_of(upper_alone);
        const Calls lower_expected = camera_of(lower_alone);
        ASSERT_EQ(camera_of(upper), upper_expected);
        ASSERT_EQ(camera_of(lower), lower_expected);
    }
    // Each has moved 1% a frame from its own start towards its own character.
    EXPECT_NEAR(upper.camera_follow[0], 2 + 9 * std::pow(0.99, 40), 1e-9);
    EXPECT_NEAR(lower.camera_follow[0], 13 + 9 * std::pow(0.99, 20), 1e-9);
    EXPECT_EQ(upper.camera_follow[1], 10);
}

namespace {

bool white_at(int x, int y) {
    DecodedImage p;
    return ReadScreenPixels(x, y, 1, 1, p) && p.pixels[0] == 255 && p.pixels[1] == 255 &&
           p.pixels[2] == 255;
}

// Pixels of the 640 x 480 frame on a 16-pixel grid that are white.
int white_grid_points() {
    int n = 0;
    for (int y = 0; y < 480; y += 16)
        for (int x = 0; x < 640; x += 16)
            n += white_at(x, y);
    return n;
}

} // namespace

TEST_F(Presentation, IrisOpenness) {
    const struct {
        double openness;
        int white_points;
    } cases[] = {{0, 40 * 30}, {1, 0}, {-0.5, 40 * 30}};
    for (const auto& c : cases) {
        ClearScreen();
        FillRect(0, 0, 640, 480, 255); // red: what the iris lets through
        g_calls.clear();
        draw_iris(c.openness);
        EXPECT_EQ(white_grid_points(), c.white_points) << "openness " << c.openness;
        EXPECT_EQ(calls_of({"PolyVertex"}).size(), 4u * 22) << "corner, two edges, 19 arc points";
    }
    // Half open: radius 0.5 x 640 - 16 = 304 round (320, 240).
    ClearScreen();
    FillRect(0, 0, 640, 480, 255);
    draw_iris(0.5);
    const struct {
        int x, y;
        bool white;
    } points[] = {{320, 240, false}, {615, 240, false}, {320, 10, false}, {110, 450, false},
                  {20, 240, false},  {545, 465, true},  {0, 0, true},     {639, 479, true}};
    for (const auto& p : points)
        EXPECT_EQ(white_at(p.x, p.y), p.white) << p.x << "," << p.y;
}

namespace {

// Points of the ring's band left, right, behind and before a character's
// feet that show the ring's blue (the floor is green, the characters
// red, the background white).
int ring_points_seen(const SceneView& view, const Mover& c) {
    const double band = 0.41;
    const double around[4][2] = {{-band, 0}, {band, 0}, {0, -band}, {0, band}};
    int seen = 0;
    for (const auto& d : around) {
        double sx = 0, sy = 0;
        if (!SceneToScreen(view, c.x + 0.5 + d[0], -0.5, c.y + 0.65 + d[1], &sx, &sy)) continue;
        DecodedImage p;
        if (!ReadScreenPixels(static_cast<int>(sx), static_cast<int>(sy), 1, 1, p)) continue;
        seen +=
            p.pixels[2] > 150 && p.pixels[2] > p.pixels[0] + 60 && p.pixels[2] > p.pixels[1] + 40;
    }
    return seen;
}

} // namespace

// In every camera mode the ring lies under the current character and none
// under the other; the next character takes it in the very next frame.
TEST_F(Presentation, RingMarksTheCurrentCharacter) {
    for (double mode : {0.0, 1.0, 2.0}) {
        SCOPED_TRACE(mode);
        game_values().option_camera = mode;
        BoardState board = board_from_picture(kCameraBoard);
        board.floor_slot = 101;
        build_floor_mesh(101, board.terrain);
        for (int current : {0, 1}) {
            SCOPED_TRACE(current);
            board.current_character = current;
            ClearScreen();
            ClearDepth();
            draw_board(board, true);
            const SceneView view = CurrentSceneView();
            End3D();
            EXPECT_GE(ring_points_seen(view, rt_index(board.characters, current).m), 2);
            EXPECT_EQ(ring_points_seen(view, rt_index(board.characters, 1 - current).m), 0);
        }
    }
}
