// rules.cpp: the puzzle itself: stepping, pushing blocks into holes, turning
// revolving doors, leaving through the exit, and the three buttons.
#include "game/rules/board.h"

#include <algorithm>
#include <cmath>

namespace {

double occupancy_at(const BoardState& board, int x, int y) {
    return rt_index(board.occupancy, x, y);
}

bool is_hole(const BoardState& board, int x, int y) {
    return rt_index(board.terrain, x, y) != 0;
}

bool character_at(const BoardState& board, int x, int y) {
    for (int i = 0; i < count(board.characters); ++i) {
        const Mover& m = rt_index(board.characters, i).m;
        if (m.x == x && m.y == y) return true;
    }
    return false;
}

// Whether block i rests over cell (x, y), as find_block looks for it.
bool block_covers(const BoardState& board, int i, int x, int y) {
    if (i >= count(board.blocks)) return false;
    const BoxRecord& b = rt_index(board.blocks, i);
    return b.m.x <= x && x < b.m.x + b.width && b.m.y <= y && y < b.m.y + b.depth &&
           b.m.height == 0;
}

void play(double slot) {
    rules_devices().play_sound(slot);
}

void record_undo(BoardState& board) {
    if (board.record_undo != 0) push_snapshot(board);
}

Mover& current_mover(BoardState& board) {
    return rt_index(board.characters, cell(board.current_character)).m;
}

// The row or column of cells a block moves into; false when a cell of it is
// taken by a character or anything in the occupancy grid. Holes do not stop it.
bool entry_strip_free(const BoardState& board, const BoxRecord& b, int dx, int dy) {
    int x0 = cell(b.m.x), y0 = cell(b.m.y), w = cell(b.width), d = cell(b.depth);
    int sx, sy, n, step_x, step_y;
    if (dx != 0) {
        sx = dx < 0 ? x0 - 1 : x0 + w;
        sy = y0, n = d, step_x = 0, step_y = 1;
    } else {
        sx = x0, sy = dy < 0 ? y0 - 1 : y0 + d;
        n = w, step_x = 1, step_y = 0;
    }
    for (int i = 0; i < n; ++i) {
        int x = sx + i * step_x, y = sy + i * step_y;
        if (character_at(board, x, y) || occupancy_at(board, x, y) != kCellFree) return false;
    }
    return true;
}

// A block that covers holes and nothing else falls and fills them.
void drop_if_over_holes(BoardState& board, BoxRecord& b) {
    int x0 = cell(b.m.x), y0 = cell(b.m.y), w = cell(b.width), d = cell(b.depth);
    for (int y = y0; y < y0 + d; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (!is_hole(board, x, y)) return;
    b.m.pending_height = -1;
    for (int y = y0; y < y0 + d; ++y)
        for (int x = x0; x < x0 + w; ++x)
            rt_index(board.terrain, x, y) = 0;
}

void leave_through_exit(BoardState& board, int dx, int dy) {
    play(kSoundDone);
    int n = count(board.characters);
    if (n > 1) {
        int index = cell(board.current_character);
        rt_delete_at(board.characters, index);
        board.current_character = std::max(index - 1, 0);
        return;
    }
    // The last character: the level is complete and the flag moves on. This
    // holds while the iris is still opening too; waiting for a timer of
    // exactly 0 would lose the completion and leave the flag a cell further
    // on, perhaps inside a wall.
    if (board.fade_timer <= 0) board.fade_timer = kFadeClosing;
    Mover& c = current_mover(board);
    c.pending_dx = dx;
    c.pending_dy = dy;
    board.exit.pending_dx = dx;
    board.exit.pending_dy = dy;
    board.exit.pending_angle = 360;
}

// Door arm k's position after a quarter turn, and the cell diagonal to the
// pivot that an arm sweeps on its way to position k.
int turned_from(int k, bool clockwise) {
    return clockwise ? (k + 3) % 4 : (k + 1) % 4;
}
void swept_cell(int k, bool clockwise, int px, int py, int* x, int* y) {
    static constexpr int kCwDx[4] = {-1, 1, 1, -1}, kCwDy[4] = {-1, -1, 1, 1};
    static constexpr int kCcwDx[4] = {1, 1, -1, -1}, kCcwDy[4] = {-1, 1, 1, -1};
    *x = px + (clockwise ? kCwDx[k] : kCcwDx[k]);
    *y = py + (clockwise ? kCwDy[k] : kCcwDy[k]);
}
void arm_cell(int k, int px, int py, int* x, int* y) {
    static constexpr int kDx[4] = {0, 1, 0, -1}, kDy[4] = {-1, 0, 1, 0};
    *x = px + kDx[k];
    *y = py + kDy[k];
}

int door_with_arm_at(const BoardState& board, int ax, int ay) {
    for (int i = 0; i < count(board.doors); ++i) {
        const DoorRecord& door = rt_index(board.doors, i);
        for (int k = 0; k < 4; ++k) {
            int x, y;
            arm_cell(k, cell(door.m.x), cell(door.m.y), &x, &y);
            if (rt_index(door.arms, k) != 0 && x == ax && y == ay) return i;
        }
    }
    return -1;
}

// Whether the new arms fit: their cells and the cells they sweep are free.
bool new_arms_fit(const BoardState& board, const double* arms, bool clockwise, int px, int py) {
    for (int k = 0; k < 4; ++k) {
        if (arms[k] == 0) continue;
        int x, y, sx, sy;
        arm_cell(k, px, py, &x, &y);
        swept_cell(k, clockwise, px, py, &sx, &sy);
        if (occupancy_at(board, x, y) != kCellFree || character_at(board, x, y) ||
            occupancy_at(board, sx, sy) != kCellFree)
            return false;
    }
    return true;
}

} // namespace

void input_step(BoardState& board) {
    if (count(board.characters) == 0) return;
    const Mover& c = current_mover(board);
    if (c.pending_dx != 0 || c.pending_dy != 0) return;
    // Asked in this order, which matters to the once-per-press rule.
    double right = ActionPressed(board.controls, kActionRight);
    double left = ActionPressed(board.controls, kActionLeft);
    double down = ActionPressed(board.controls, kActionDown);
    double up = ActionPressed(board.controls, kActionUp);
    step_character(board, right - left, down - up);
}

namespace {

// The step of step_character without its count: 1 when accepted.
double take_step(BoardState& board, double dx, double dy) {
    // A completed level takes no more steps while its iris closes.
    if (count(board.characters) == 0 || board.fade_timer > 0) return 0;
    if (dx != 0) dy = 0;
    if (dx == 0 && dy == 0) return 0;
    Mover& c = current_mover(board);
    if (c.pending_dx != 0 || c.pending_dy != 0) return 0;
    c.angle = rt_atan(dy, dx);
    int tx = cell(c.x + 0.4) + cell(dx), ty = cell(c.y + 0.4) + cell(dy);
    double code = occupancy_at(board, tx, ty);
    if (character_at(board, tx, ty)) code = kCellWall;
    int characters = count(board.characters);
    if (code == kCellFree) {
        if (is_hole(board, tx, ty)) return 0;
        c.pending_dx = dx;
        c.pending_dy = dy;
    } else if (code == kCellBlock) {
        if (is_hole(board, tx, ty)) return 0;
        // find_block answers 0 for a cell no block covers (one a block is
        // sliding into leftwards or upwards): block 0 must not be
        // pushed from a distance then.
        int b = cell(find_block(board, tx, ty));
        if (!block_covers(board, b, tx, ty)) return 0;
        if (try_push_block(board, b, dx, dy) == 0) return 0;
        c.pending_dx = dx;
        c.pending_dy = dy;
    } else if (code == kCellArm) {
        try_turn_door(board, tx, ty, tx - dx, ty - dy);
        const Mover& after = current_mover(board);
        return after.pending_dx != 0 || after.pending_dy != 0 ? 1 : 0;
    } else if (code == kCellExit) {
        leave_through_exit(board, cell(dx), cell(dy));
        return count(board.characters) != characters || board.exit.pending_angle != 0 ? 1 : 0;
    } else {
        return 0;
    }
    return 1;
}

} // namespace

double step_character(BoardState& board, double dx, double dy) {
    double accepted = take_step(board, dx, dy);
    board.moves += accepted;
    // A new move ends redo. Search tools step millions of times with an
    // empty redo stack, which is left as it is.
    if (accepted != 0 && rt_bounds(board.redo_stack, 0) != 0) rt_dim(board.redo_stack, 0);
    return accepted;
}

double try_push_block(BoardState& board, double block, double dx, double dy) {
    BoxRecord& b = rt_index(board.blocks, cell(block));
    if (b.m.pending_dx != 0 || b.m.pending_dy != 0) return 0;
    if (!entry_strip_free(board, b, cell(dx), cell(dy))) return 0;
    // The snapshot is taken before anything changes, so undo brings the block
    // back up and reopens any holes it is about to fill.
    record_undo(board);
    b.m.x += dx;
    b.m.y += dy;
    drop_if_over_holes(board, b);
    rebuild_occupancy(board);
    // The block's place is counted at its new cell; it slides there from the old one.
    b.m.x = cell(b.m.x + 0.4 - dx);
    b.m.y = cell(b.m.y + 0.4 - dy);
    b.m.pending_dx = dx;
    b.m.pending_dy = dy;
    play(kSoundBlock);
    return 1;
}

void try_turn_door(BoardState& board, double ax_, double ay_, double fx_, double fy_) {
    int ax = cell(ax_), ay = cell(ay_), fx = cell(fx_), fy = cell(fy_);
    int index = door_with_arm_at(board, ax, ay);
    if (index < 0) return;
    DoorRecord& door = rt_index(board.doors, index);
    if (door.m.pending_angle != 0) return;
    int px = cell(door.m.x), py = cell(door.m.y);
    bool clockwise = (fx < ax && ay - py < 0) || (fy < ay && ax - px > 0) ||
                     (ax < fx && ay - py > 0) || (ay < fy && ax - px < 0);
    double arms[4];
    for (int k = 0; k < 4; ++k)
        arms[k] = rt_index(door.arms, turned_from(k, clockwise));
    // The old arms leave their cells for the tests below.
    for (int k = 0; k < 4; ++k) {
        if (rt_index(door.arms, k) == 0) continue;
        int x, y;
        arm_cell(k, px, py, &x, &y);
        rt_index(board.occupancy, x, y) = kCellFree;
    }
    int dx = ax - fx, dy = ay - fy;
    bool ok = new_arms_fit(board, arms, clockwise, px, py);
    if (occupancy_at(board, ax, ay) != kCellFree || is_hole(board, ax, ay)) ok = false;
    // Walking into the end of an arm along its own axis turns nothing.
    if ((dx != 0 && ay == py) || (dy != 0 && ax == px)) ok = false;
    int side = ax > px ? 1 : ax < px ? 3 : ay > py ? 2 : 0;
    int walk = 1;
    if (ok && arms[side] != 0) {
        // Another arm swings into the cell walked into: pass on to the next one.
        int nx = ax + dx, ny = ay + dy;
        if (occupancy_at(board, nx, ny) != kCellFree || is_hole(board, nx, ny) ||
            character_at(board, nx, ny))
            ok = false;
        walk = 2;
    }
    if (ok) {
        Mover& c = current_mover(board);
        c.pending_dx = walk * dx;
        c.pending_dy = walk * dy;
        record_undo(board);
        for (int k = 0; k < 4; ++k)
            rt_index(door.arms, k) = arms[k];
        // The flags change at once; the drawn arms swing from the old places.
        double turn = clockwise ? -90 : 90;
        door.m.angle += turn;
        door.m.pending_angle -= turn;
        play(kSoundDoor);
    }
    rebuild_occupancy(board);
}

void next_character(BoardState& board) {
    int n = count(board.characters);
    if (n > 0) board.current_character = std::fmod(board.current_character + 1, n);
}

void button_step(BoardState& board) {
    if (ActionPressed(board.controls, kActionNextCharacter) != 0) next_character(board);
    if (ActionPressed(board.controls, kActionUndo) != 0) undo_last(board);
    if (ActionPressed(board.controls, kActionRestart) != 0 && board.fade_timer == 0) {
        board.level_number -= 1;
        board.fade_timer = kFadeClosing;
    }
    if (ActionPressed(board.controls, kActionRedo) != 0) redo_last(board);
}
