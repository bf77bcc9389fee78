// presentation.cpp: one board drawn in 3D (camera, doors, blocks, walls,
// characters, the exit flag, the floor and the characters' shadows) and the
// floor model built from a level's terrain when the level starts.
#include "game/screens/screens.h"

#include "scene3d/scene3d.h"

#include <cmath>

namespace {

constexpr double kFloorColour = 51200;  // green 200
constexpr double kBottomColour = 16384; // green 64
// Model slots of the pieces (the asset table loads them there).
constexpr double kBlockModel = 1, kPivotModel = 2, kArmModel = 3, kWallModel = 4, kFlagModel = 5;
constexpr double kPepper = 10; // characters alternate with kPepper + 1 (the tomato)
// The ring on the floor under the current character: its own model slot, a
// bright blue that reads on the green floor and is neither the way's yellow
// nor the characters' red, and a hair above the floor so it never flickers.
constexpr double kMarkModel = 100;
constexpr double kMarkColour = 0xFF9020; // blue 255, green 144, red 32
constexpr double kMarkLift = 0.01;
constexpr double kMarkInner = 0.34, kMarkOuter = 0.5;
constexpr int kMarkSegments = 24;

PresentationCalls& calls() {
    return presentation_calls();
}

// ---------------------------------------------------------------- camera

// The character the camera follows, or null while the board has none (a
// board that was never started).
const Mover* followed_character(const BoardState& board) {
    int n = count(board.characters);
    int k = static_cast<int>(board.current_character);
    if (n == 0) return nullptr;
    if (k < 0 || k >= n) k = 0;
    return &rt_index(board.characters, k).m;
}

void set_camera(BoardState& board) {
    const Mover* c = followed_character(board);
    if (!c) return;
    const double cx = c->x, cy = c->y;
    // Only the modes 0, 1 and 2 themselves choose a camera; any other value
    // keeps the view Make3D leaves.
    const double mode = game_values().option_camera;
    if (mode == 0) {
        calls().SetCameraUp(0, 0.1, -1);
        calls().SetCamera(cx, 15, cy + 9, (cx - 10) * 0.5 + 10, 0, (cy - 9) * 0.5 + 9);
    } else if (mode == 1) {
        // Glides toward the character by a fixed share per drawn frame.
        double* f = board.camera_follow;
        f[0] = f[0] * 0.99 + cx * 0.01;
        f[2] = f[2] * 0.99 + cy * 0.01;
        calls().SetCameraUp(0, 0.1, -1);
        calls().SetCamera(f[0], 15, f[1] + 9, f[0], 0, f[2]);
    } else if (mode == 2) {
        calls().SetCameraUp(0, 0, -1);
        calls().SetCamera(cx, 15, cy + 9, cx, 0, cy);
    }
}

// ---------------------------------------------------------------- pieces

void draw_door(const DoorRecord& d) {
    calls().ObjPosition(d.m.x + 0.5, 0, d.m.y + 0.5);
    calls().ObjRotate(d.m.angle, 0, -1, 0);
    calls().ObjPush();
    calls().DrawModel(kPivotModel, 0);
    // Arms in the order right, below, left, above; each arm model points
    // along +x from its own cell.
    struct Arm {
        int flag;
        double x, z, turn;
    };
    static constexpr Arm kArms[4] = {{1, 1, 0, 0}, {2, 0, 1, 270}, {3, -1, 0, 180}, {0, 0, -1, 90}};
    for (const Arm& arm : kArms) {
        if (rt_index(d.arms, arm.flag) == 0) continue;
        calls().ObjPush();
        calls().ObjPosition(arm.x, 0, arm.z);
        if (arm.flag != 1) calls().ObjRotate(arm.turn, 0, 1, 0);
        calls().DrawModel(kArmModel, 0);
        calls().ObjPop();
    }
    calls().ObjPop();
}

// Blocks and walls: one unit model scaled to the rectangle.
void draw_box(const BoxRecord& b, double height_scale, double model) {
    calls().ObjScale(b.width, height_scale, b.depth);
    calls().ObjPosition(b.m.x + b.width * 0.5, b.m.height, b.m.y + b.depth * 0.5);
    calls().DrawModel(model, 0);
    calls().ObjScale(1, 1, 1);
}

void draw_character(int k, const CharacterRecord& record) {
    const Mover& c = record.m;
    calls().SetCulling(0);
    calls().ObjPosition(c.x + 0.5, c.height - 0.5, c.y + 0.65);
    calls().ObjRotate(c.angle, 0, -1, 0);
    calls().ObjRotate(-25, 1, 0, 0);
    const double m = k % 2 + kPepper;
    calls().SetTexture3D(m, -1);
    calls().DrawModel(m, 0);
    calls().SetTexture3D(-1, -1);
    calls().SetCulling(1);
}

void draw_flag(const Mover& exit) {
    calls().ObjPosition(exit.x + 0.5, -0.5, exit.y + 0.5);
    calls().ObjRotate(exit.angle + 180, 0, 1, 0);
    calls().ObjRotate(25, -1, 0, 0);
    calls().DrawModel(kFlagModel, 0);
}

// The pieces that cast shadows: the characters and the flag.
void draw_casters(const BoardState& board) {
    for (int k = 0; k < count(board.characters); ++k)
        draw_character(k, rt_index(board.characters, k));
    draw_flag(board.exit);
}

// The ring under the current character, round its feet (a little toward the
// viewer from its cell's centre, as the character is drawn). It is drawn with
// the scene, before the shadow light, so it casts no shadow and takes the
// floor's.
void draw_current_mark(const BoardState& board) {
    const Mover* c = followed_character(board);
    if (!c) return;
    calls().SetCulling(0);
    calls().ObjPosition(c->x + 0.5, -0.5 + kMarkLift, c->y + 0.65);
    calls().DrawModel(kMarkModel, 0);
    calls().SetCulling(1);
}

// One flat strip round the centre, at height 0 of its model, wound so that
// it faces up and takes the light as the floor does.
void build_mark_mesh() {
    SetNormalMode(1);
    ObjStart(kMarkModel);
    for (int k = 0; k <= kMarkSegments; ++k) {
        const double a = 6.283185307179586 * k / kMarkSegments;
        const double x = std::cos(a), z = std::sin(a);
        ObjAddVertex(x * kMarkInner, 0, z * kMarkInner, 0, 0, kMarkColour);
        ObjAddVertex(x * kMarkOuter, 0, z * kMarkOuter, 0, 0, kMarkColour);
    }
    ObjEnd();
}

// ---------------------------------------------------------------- floor

bool is_floor(const RtArray<double>& terrain, int x, int z) {
    return rt_index(terrain, x, z) == 0;
}

bool is_hole(const RtArray<double>& terrain, int x, int z) {
    if (x < 0 || z < 0 || x >= kBoardWidth || z >= kBoardHeight) return false;
    return !is_floor(terrain, x, z);
}

void add_face(const double (&v)[4][3], double colour) {
    for (const auto& p : v)
        ObjAddVertex(p[0], p[1], p[2], 0, 0, colour);
    ObjNewStrip();
}

// The top of floor cell (x, z) and a wall face down to -1 toward each hole
// next to it.
void add_floor_cell(const RtArray<double>& terrain, int x, int z) {
    const double X = x, Z = z;
    add_face({{X + 1, 0, Z}, {X + 1, 0, Z + 1}, {X, 0, Z}, {X, 0, Z + 1}}, kFloorColour);
    if (is_hole(terrain, x, z + 1))
        add_face({{X, -1, Z + 1}, {X, 0, Z + 1}, {X + 1, -1, Z + 1}, {X + 1, 0, Z + 1}},
                 kFloorColour);
    if (is_hole(terrain, x, z - 1))
        add_face({{X, -1, Z}, {X, 0, Z}, {X + 1, -1, Z}, {X + 1, 0, Z}}, kFloorColour);
    if (is_hole(terrain, x + 1, z))
        add_face({{X + 1, -1, Z}, {X + 1, -1, Z + 1}, {X + 1, 0, Z}, {X + 1, 0, Z + 1}},
                 kFloorColour);
    if (is_hole(terrain, x - 1, z))
        add_face({{X, -1, Z}, {X, -1, Z + 1}, {X, 0, Z}, {X, 0, Z + 1}}, kFloorColour);
}

} // namespace

PresentationCalls engine_presentation_calls() {
    return {FillRect,   Make3D,       SetCameraUp, SetCamera,   SetAmbient, SetLight,
            SetCulling, SetTexture3D, DrawModel,   ObjPosition, ObjRotate,  ObjScale,
            ObjPush,    ObjPop,       PolyBegin,   PolyVertex,  PolyEnd};
}

PresentationCalls& presentation_calls() {
    static PresentationCalls table = engine_presentation_calls();
    return table;
}

void draw_board(BoardState& board, bool mark_current) {
    calls().FillRect(0, 0, 1024, 1024, kWhite);
    calls().Make3D(1, 100, 45);
    set_camera(board);
    calls().SetAmbient(0, kWhite);
    calls().SetCulling(0);
    calls().SetCulling(1);
    for (int i = 0; i < count(board.doors); ++i)
        draw_door(rt_index(board.doors, i));
    for (int i = 0; i < count(board.blocks); ++i)
        draw_box(rt_index(board.blocks, i), 1, kBlockModel);
    for (int i = 0; i < count(board.walls); ++i)
        draw_box(rt_index(board.walls, i), 0.8, kWallModel);
    draw_casters(board);
    if (mark_current) draw_current_mark(board);
    calls().ObjPosition(0, -0.5, 0);
    calls().DrawModel(board.floor_slot, 0);
    // The shadow light high above the board's centre; the caller's End3D
    // darkens what the casters' shadow volumes cover.
    calls().SetLight(-3, 0, 10, 1000, 9, 0, -1, 0, 360);
    calls().ObjPosition(0, 0, 0);
    draw_casters(board);
}

void build_floor_mesh(double slot, const RtArray<double>& terrain) {
    SetNormalMode(1);
    ObjStart(slot);
    for (int x = 0; x < kBoardWidth; ++x)
        for (int z = 0; z < kBoardHeight; ++z)
            if (is_floor(terrain, x, z)) add_floor_cell(terrain, x, z);
    // One plane under the whole board shows through every hole.
    const double bottom[4][3] = {{20, -1, 0}, {20, -1, 18}, {0, -1, 0}, {0, -1, 18}};
    for (const auto& p : bottom)
        ObjAddVertex(p[0], p[1], p[2], 0, 0, kBottomColour);
    ObjEnd();
    build_mark_mesh();
}

void install_presentation() {
    set_floor_mesh_builder(build_floor_mesh);
}
