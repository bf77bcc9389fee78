// board_mouse.cpp: the mouse in play: the pointer read once a frame, the
// cell under it found through the view each board was drawn with, clicks
// handed to the board's walk, the marked cell and way, and the no-way line.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "input/input.h"
#include "scene3d/scene3d.h"

#include <cmath>

namespace {

// Heights in the scene: the floor's top, a character's middle, a wall's and
// a block's top (blocks are unit cubes standing on the floor, walls four
// fifths of one).
constexpr double kFloorTop = -0.5, kCharacterMiddle = 0.0, kWallTop = 0.4, kBlockTop = 0.5;

constexpr double kWayColour = 0x00FFFF;    // yellow
constexpr double kTargetColour = 0xFFFFFF; // white
constexpr double kNoWayColour = 0x0000FF;  // red

// The view each board was drawn with in the last play frame.
struct BoardViews {
    SceneView view[2];
    bool drawn[2] = {false, false};
};
BoardViews& views() {
    static BoardViews v;
    return v;
}

bool inside_board(int x, int y) {
    return x >= 0 && y >= 0 && x < kBoardWidth && y < kBoardHeight;
}

bool character_drawn_at(const BoardState& board, int x, int y) {
    for (int i = 0; i < count(board.characters); ++i) {
        const Mover& m = rt_index(board.characters, i).m;
        if (cell(m.x + 0.5) == x && cell(m.y + 0.5) == y) return true;
    }
    return false;
}

// The cell where the line of sight meets the plane at `height`, when what
// stands there reaches up to it.
bool hit(const BoardState& board, const SceneView& view, double x, double y, double height,
         BoardCell* at) {
    double wx = 0, wz = 0;
    if (!ScreenToPlane(view, x, y, height, &wx, &wz)) return false;
    const int cx = static_cast<int>(std::floor(wx)), cy = static_cast<int>(std::floor(wz));
    if (!inside_board(cx, cy)) return false;
    const double code = rt_index(board.occupancy, cx, cy);
    bool stands = true;
    if (height == kBlockTop) stands = code == kCellBlock;
    if (height == kWallTop) stands = code == kCellWall;
    if (height == kCharacterMiddle) stands = character_drawn_at(board, cx, cy);
    if (!stands) return false;
    *at = {cx, cy};
    return true;
}

// A cell's square on the floor, inset by `inset` of a cell on each side,
// drawn in the alpha mode given (0 opaque, above 0 added to the picture).
void fill_cell(const SceneView& view, BoardCell at, double inset, double colour, double mode) {
    const double x0 = at.x + inset, x1 = at.x + 1 - inset;
    const double z0 = at.y + inset, z1 = at.y + 1 - inset;
    // Counter-clockwise as the 2D layer sees it: it culls the other side.
    const double corners[4][2] = {{x0, z0}, {x0, z1}, {x1, z1}, {x1, z0}};
    double sx[4], sy[4];
    for (int k = 0; k < 4; ++k)
        if (!SceneToScreen(view, corners[k][0], kFloorTop, corners[k][1], &sx[k], &sy[k])) return;
    SetAlphaMode(mode);
    PolyBegin(-1);
    // The 2D layer counts from the board frame's corner.
    for (int k = 0; k < 4; ++k)
        PolyVertex(sx[k] - view.left, sy[k] - view.top, 0, 0, colour);
    PolyEnd();
    SetAlphaMode(0);
}

// A line centred in the board's frame, above its key legend, on a dark strip.
void draw_centred_line(const RtString& text) {
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    const GameValues& g = game_values();
    const double width = static_cast<double>(text.length()) * cw;
    const double x = (g.frame_width - width) / 2, y = g.frame_height - 6 * ch;
    SetAlphaMode(-0.5);
    FillRect(x - cw / 2, y - 2, x + width + cw / 2, y + ch + 2, kBlack);
    SetAlphaMode(0);
    Print(text, x, y);
}

} // namespace

// ---------------------------------------------------------------- the pointer

PointerFrame PointerReader::read() {
    PointerFrame p;
    double left = 0, right = 0;
    MouseState(&p.x, &p.y, &left, &right);
    const double wheel = MouseAxis(2);
    p.wheel = wheel > 0 ? 1 : wheel < 0 ? -1 : 0;
    if (primed_) {
        p.moved = p.x != x_ || p.y != y_;
        p.left_click = left != 0 && !left_;
        p.right_click = right != 0 && !right_;
    } else {
        p.wheel = 0;
    }
    primed_ = true;
    x_ = p.x, y_ = p.y;
    left_ = left != 0, right_ = right != 0;
    return p;
}

// ---------------------------------------------------------------- cells on the screen

bool board_cell_at(const BoardState& board, int index, double x, double y, BoardCell* at) {
    const BoardViews& v = views();
    if (index < 0 || index > 1 || !v.drawn[index]) return false;
    const SceneView& view = v.view[index];
    // The highest first: what stands nearer the camera hides what is behind.
    for (double height : {kBlockTop, kWallTop, kCharacterMiddle})
        if (hit(board, view, x, y, height, at)) return true;
    double wx = 0, wz = 0;
    if (!ScreenToPlane(view, x, y, kFloorTop, &wx, &wz)) return false;
    const int cx = static_cast<int>(std::floor(wx)), cy = static_cast<int>(std::floor(wz));
    if (!inside_board(cx, cy)) return false;
    *at = {cx, cy};
    return true;
}

bool board_cell_on_screen(int index, BoardCell at, double* x, double* y) {
    const BoardViews& v = views();
    if (index < 0 || index > 1 || !v.drawn[index]) return false;
    return SceneToScreen(v.view[index], at.x + 0.5, kFloorTop, at.y + 0.5, x, y);
}

// ---------------------------------------------------------------- play

PlayPointer::PlayPointer() {
    views() = BoardViews{};
}

void PlayPointer::read(const RtArray<BoardState>& boards) {
    count_ = count(boards) > 1 ? 2 : 1;
    pointer_ = reader_.read();
    new_key_ = false;
    for (int code = 1; code < 256; ++code) {
        const bool down = KeyDown(code) != 0;
        if (down && !keys_down_[code]) new_key_ = true;
        keys_down_[code] = down;
    }
    if (pointer_.moved || pointer_.left_click) in_use_ = true;
    if (new_key_) in_use_ = false;
}

bool PlayPointer::over(int index) const {
    const BoardViews& v = views();
    if (!v.drawn[index]) return false;
    const SceneView& view = v.view[index];
    return pointer_.x >= view.left && pointer_.y >= view.top &&
           pointer_.x < view.left + view.width && pointer_.y < view.top + view.height;
}

bool PlayPointer::cell_under(const BoardState& board, int index, BoardCell* at) const {
    return over(index) && board_cell_at(board, index, pointer_.x, pointer_.y, at);
}

void PlayPointer::step(BoardState& board, int index) {
    PerBoard& b = boards_[index & 1];
    // With two boards only the board's own player's controls stop its walk;
    // alone, any key does.
    bool controls = false;
    for (const RtString& code : board.controls.bindings)
        controls = controls || EvalBinding(code) != 0;
    const bool key_pressed = (controls && !b.controls_down) || (count_ == 1 && new_key_);
    b.controls_down = controls;
    BoardCell at;
    if (pointer_.left_click && board.fade_timer <= 0 && cell_under(board, index, &at) &&
        b.walk.click(board, at.x, at.y) == BoardClick::kNoWay)
        b.no_way_until = TotalTime() + kNoWayMs;
    b.walk.step(board, key_pressed);
}

void PlayPointer::remember_view(int index) {
    BoardViews& v = views();
    v.view[index & 1] = CurrentSceneView();
    v.drawn[index & 1] = true;
}

void PlayPointer::draw_marks(const BoardState& board, int index) {
    BoardCell at;
    if (!in_use_ || board.fade_timer > 0 || !cell_under(board, index, &at)) return;
    const SceneView& view = views().view[index & 1];
    const std::vector<BoardCell> way = BoardWalk::way_to(board, at.x, at.y);
    const bool character = character_drawn_at(board, at.x, at.y);
    // The way as yellow dots, the cell lit up; a cell without a way gets a red dot.
    for (const BoardCell& c : way)
        fill_cell(view, c, 0.35, kWayColour, 0);
    if (way.empty() && !character)
        fill_cell(view, at, 0.3, kNoWayColour, 0);
    else
        fill_cell(view, at, 0.05, kTargetColour, 0.4);
}

void PlayPointer::draw_message(int index) {
    if (TotalTime() < boards_[index & 1].no_way_until) draw_centred_line(kNoWayText);
}
