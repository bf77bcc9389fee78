// board.cpp: the board model's own services: the derived occupancy grid,
// animation of movers, block lookup and the undo and redo stacks.
#include "game/rules/board.h"

#include <algorithm>
#include <cmath>

namespace {

// Pending amounts this close to zero count as arrived.
constexpr double kArrived = 0.0001;
// Big enough to finish any pending movement in one call.
constexpr double kFinishStep = 1e9;

double clamp_step(double pending, double limit) {
    return std::clamp(pending, -limit, limit);
}

void mark_cells(RtArray<double>& grid, int x0, int y0, const BoxRecord& box, double code) {
    for (int y = y0; y < y0 + cell(box.depth); ++y)
        for (int x = x0; x < x0 + cell(box.width); ++x)
            rt_index(grid, x, y) = code;
}

void mark_box(RtArray<double>& grid, const BoxRecord& box, double code) {
    mark_cells(grid, cell(box.m.x), cell(box.m.y), box, code);
}

// A sliding block already belongs to the cell it is moving to: its place
// truncated would still name the old cell for a slide right or down, and
// the block would vanish from the grid until it arrived.
void mark_block(RtArray<double>& grid, const BoxRecord& block) {
    const Mover& m = block.m;
    mark_cells(grid, cell(m.x + m.pending_dx + 0.4), cell(m.y + m.pending_dy + 0.4), block,
               kCellBlock);
}

// The cell of arm k of a door whose pivot is at (px, py).
void arm_cell(int k, int px, int py, int* x, int* y) {
    static constexpr int kDx[4] = {0, 1, 0, -1};
    static constexpr int kDy[4] = {-1, 0, 1, 0};
    *x = px + kDx[k];
    *y = py + kDy[k];
}

bool mover_moving(const Mover& m) {
    return m.pending_dx != 0 || m.pending_dy != 0 || m.pending_height != 0 || m.pending_angle != 0;
}

// Sizing an array to nothing gives it fresh storage, so an empty list is only
// assigned when it is not empty already.
template <class T> void copy_array(RtArray<T>& to, const RtArray<T>& from) {
    if (rt_bounds(from, 0) == 0 && rt_bounds(to, 0) == 0) return;
    rt_array_assign(to, from);
}

// Appends the position's blocks, doors, characters and terrain to a stack.
void store_position(RtArray<BoardSnapshot>& stack, const BoardState& board) {
    int n = count(stack);
    rt_redim(stack, n + 1);
    BoardSnapshot& snap = rt_index(stack, n);
    rt_array_assign(snap.blocks, board.blocks);
    rt_array_assign(snap.doors, board.doors);
    rt_array_assign(snap.characters, board.characters);
    rt_array_assign(snap.terrain, board.terrain);
    snap.moves = board.moves;
}

// Takes a stored position back with its move count (undo also takes back
// the walks since the push or turn it undoes); the characters stand still on
// arrival.
void restore_position(BoardState& board, const BoardSnapshot& snap) {
    rt_array_assign(board.blocks, snap.blocks);
    rt_array_assign(board.doors, snap.doors);
    rt_array_assign(board.characters, snap.characters);
    rt_array_assign(board.terrain, snap.terrain);
    board.moves = snap.moves;
    for (int i = 0; i < count(board.characters); ++i) {
        Mover& m = rt_index(board.characters, i).m;
        m.pending_dx = m.pending_dy = m.pending_height = 0;
    }
}

// The mover at the end of its pending movement, snapped as advance_mover
// snaps on arrival.
void settle_mover(Mover& m) {
    m.x = cell(m.x + m.pending_dx + 0.4);
    m.y = cell(m.y + m.pending_dy + 0.4);
    if (m.pending_height != 0) m.height = cell(m.height + m.pending_height - 0.4);
    m.angle += m.pending_angle;
    m.pending_dx = m.pending_dy = m.pending_height = m.pending_angle = 0;
}

void settle_movers(RtArray<BoxRecord>& blocks, RtArray<DoorRecord>& doors,
                   RtArray<CharacterRecord>& characters) {
    for (int i = 0; i < count(blocks); ++i)
        settle_mover(rt_index(blocks, i).m);
    for (int i = 0; i < count(doors); ++i)
        settle_mover(rt_index(doors, i).m);
    for (int i = 0; i < count(characters); ++i) {
        Mover& m = rt_index(characters, i).m;
        settle_mover(m);
        m.height = 0; // the hop ends on the floor
    }
}

} // namespace

GameValues& game_values() {
    static GameValues values;
    return values;
}

void rebuild_occupancy(BoardState& board) {
    RtArray<double>& grid = board.occupancy;
    rt_dim(grid, kBoardWidth, kBoardHeight);
    for (int i = 0; i < count(board.blocks); ++i) {
        const BoxRecord& block = rt_index(board.blocks, i);
        if (block.m.pending_height == 0 && block.m.height == 0) mark_block(grid, block);
    }
    for (int i = 0; i < count(board.walls); ++i)
        mark_box(grid, rt_index(board.walls, i), kCellWall);
    for (int i = 0; i < count(board.doors); ++i) {
        const DoorRecord& door = rt_index(board.doors, i);
        int px = cell(door.m.x), py = cell(door.m.y);
        rt_index(grid, px, py) = kCellWall;
        for (int k = 0; k < 4; ++k) {
            if (rt_index(door.arms, k) == 0) continue;
            int x, y;
            arm_cell(k, px, py, &x, &y);
            rt_index(grid, x, y) = kCellArm;
        }
    }
    rt_index(grid, cell(board.exit.x), cell(board.exit.y)) = kCellExit;
}

void advance_mover(Mover& m, double step) {
    double mx = clamp_step(m.pending_dx, step);
    double my = clamp_step(m.pending_dy, step);
    double mh = 0;
    // The drop into a hole waits until the slide has finished.
    if (m.pending_dx == 0 && m.pending_dy == 0) {
        if (m.pending_height != 0 && m.height == 0) rules_devices().play_sound(kSoundFall);
        mh = clamp_step(m.pending_height, step);
    }
    double ma = clamp_step(m.pending_angle, 45 * step);
    m.x += mx;
    m.pending_dx -= mx;
    m.y += my;
    m.pending_dy -= my;
    m.height += mh;
    m.pending_height -= mh;
    m.angle += ma;
    m.pending_angle -= ma;
    // Snap to whole cells on arrival so rounding never accumulates.
    if (std::fabs(m.pending_dx) < kArrived) {
        m.x = cell(m.x + 0.4);
        m.pending_dx = 0;
    }
    if (std::fabs(m.pending_dy) < kArrived) {
        m.y = cell(m.y + 0.4);
        m.pending_dy = 0;
    }
    if (std::fabs(m.pending_height) < kArrived) {
        m.height = cell(m.height - 0.4);
        m.pending_height = 0;
    }
    if (std::fabs(m.pending_angle) < kArrived) m.pending_angle = 0;
}

double find_block(const BoardState& board, double x, double y) {
    for (int i = 0; i < count(board.blocks); ++i) {
        const BoxRecord& b = rt_index(board.blocks, i);
        if (b.m.x <= x && x < b.m.x + b.width && b.m.y <= y && y < b.m.y + b.depth &&
            b.m.height == 0)
            return i;
    }
    return 0;
}

void push_snapshot(BoardState& board) {
    store_position(board.undo_stack, board);
}

void undo_last(BoardState& board) {
    int n = count(board.undo_stack);
    if (n == 0) return;
    // What redo brings back is the position the move led to, so a slide
    // still under way is kept as finished.
    store_position(board.redo_stack, board);
    BoardSnapshot& left = rt_index(board.redo_stack, count(board.redo_stack) - 1);
    settle_movers(left.blocks, left.doors, left.characters);
    restore_position(board, rt_index(board.undo_stack, n - 1));
    rt_delete_at(board.undo_stack, n - 1);
    rebuild_occupancy(board);
}

void redo_last(BoardState& board) {
    int n = count(board.redo_stack);
    if (n == 0) return;
    push_snapshot(board);
    restore_position(board, rt_index(board.redo_stack, n - 1));
    rt_delete_at(board.redo_stack, n - 1);
    rebuild_occupancy(board);
}

void settle_board(BoardState& board) {
    settle_movers(board.blocks, board.doors, board.characters);
}

void copy_board_position(BoardState& to, const BoardState& from) {
    copy_array(to.blocks, from.blocks);
    copy_array(to.walls, from.walls);
    copy_array(to.doors, from.doors);
    copy_array(to.characters, from.characters);
    to.exit = from.exit;
    copy_array(to.occupancy, from.occupancy);
    copy_array(to.terrain, from.terrain);
    to.fade_timer = from.fade_timer;
    to.current_character = from.current_character;
    to.level_number = from.level_number;
    to.moves = from.moves;
}

void advance_board(BoardState& board, double step) {
    for (int i = 0; i < count(board.doors); ++i)
        advance_mover(rt_index(board.doors, i).m, step);
    for (int i = 0; i < count(board.blocks); ++i)
        advance_mover(rt_index(board.blocks, i).m, step);
    for (int i = 0; i < count(board.characters); ++i) {
        Mover& m = rt_index(board.characters, i).m;
        advance_mover(m, step);
        // A hop that peaks half-way between two cells.
        m.height = std::fabs(rt_sin((m.pending_dx + m.pending_dy) * 180)) * 0.5;
    }
    advance_mover(board.exit, step);
}

double board_moving(const BoardState& board) {
    for (int i = 0; i < count(board.doors); ++i)
        if (mover_moving(rt_index(board.doors, i).m)) return 1;
    for (int i = 0; i < count(board.blocks); ++i)
        if (mover_moving(rt_index(board.blocks, i).m)) return 1;
    for (int i = 0; i < count(board.characters); ++i)
        if (mover_moving(rt_index(board.characters, i).m)) return 1;
    return mover_moving(board.exit) ? 1 : 0;
}

void finish_animations(BoardState& board) {
    // A slide and the drop after it take two rounds; nothing takes more.
    for (int round = 0; round < 4 && board_moving(board) != 0; ++round)
        advance_board(board, kFinishStep);
}
