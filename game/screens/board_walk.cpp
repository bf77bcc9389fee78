// board_walk.cpp: the current character walking to a clicked cell, a step at
// a time, along a shortest way from the runtime's path planner.
#include "game/screens/screens.h"

#include "pathfinding/pathfinding.h"

#include <cstdlib>

namespace {

bool inside(int x, int y) {
    return x >= 0 && y >= 0 && x < kBoardWidth && y < kBoardHeight;
}

// Where a mover stands once its pending step is done.
BoardCell resting_cell(const Mover& m) {
    return {cell(m.x + m.pending_dx + 0.4), cell(m.y + m.pending_dy + 0.4)};
}

// The character standing (or arriving) at the cell, or -1.
int character_at(const BoardState& board, int x, int y) {
    for (int i = 0; i < count(board.characters); ++i)
        if (resting_cell(rt_index(board.characters, i).m) == BoardCell{x, y}) return i;
    return -1;
}

double occupancy_at(const BoardState& board, int x, int y) {
    return rt_index(board.occupancy, x, y);
}

bool free_floor(const BoardState& board, int x, int y) {
    return occupancy_at(board, x, y) == kCellFree && rt_index(board.terrain, x, y) == 0 &&
           character_at(board, x, y) < 0;
}

// A cell next to the character that the arrow key would step into: floor, a
// block, a door's arm or the exit (the rules decide whether it gives way).
bool steppable(const BoardState& board, int x, int y) {
    const double code = occupancy_at(board, x, y);
    if (character_at(board, x, y) >= 0) return false;
    if (code == kCellArm || code == kCellExit) return true;
    return (code == kCellFree || code == kCellBlock) && rt_index(board.terrain, x, y) == 0;
}

} // namespace

std::vector<BoardCell> BoardWalk::way_to(const BoardState& board, int x, int y) {
    const int n = count(board.characters);
    const int current = cell(board.current_character);
    if (!inside(x, y) || n == 0 || current < 0 || current >= n) return {};
    const BoardCell from = resting_cell(rt_index(board.characters, current).m);
    const int distance = std::abs(x - from.x) + std::abs(y - from.y);
    if (distance == 0) return {};
    if (distance == 1)
        return steppable(board, x, y) ? std::vector<BoardCell>{{x, y}} : std::vector<BoardCell>{};
    const bool exit = occupancy_at(board, x, y) == kCellExit;
    if (!exit && !free_floor(board, x, y)) return {};
    // Free floor costs 1; everything else is a wall to the planner. The exit
    // is open only as the goal: stepping on it anywhere else would leave.
    RtArray<double> grid;
    rt_dim(grid, kBoardWidth, kBoardHeight);
    for (int gy = 0; gy < kBoardHeight; ++gy)
        for (int gx = 0; gx < kBoardWidth; ++gx)
            rt_index(grid, gx, gy) = free_floor(board, gx, gy) ? 1 : 0;
    rt_index(grid, x, y) = 1;
    rt_index(grid, from.x, from.y) = 1;
    RtArray<double> path;
    // Weight 0 orders the search by cost alone: the way found is a shortest one.
    const int cells = static_cast<int>(rt_find_path(grid, path, 0, from.x, from.y, x, y));
    std::vector<BoardCell> way;
    for (int i = 1; i < cells; ++i)
        way.push_back({cell(rt_index(path, i, 0)), cell(rt_index(path, i, 1))});
    return way;
}

BoardClick BoardWalk::click(BoardState& board, int x, int y) {
    if (!inside(x, y) || count(board.characters) == 0) return BoardClick::kNothing;
    const int other = character_at(board, x, y);
    if (other >= 0) {
        if (other == cell(board.current_character)) return BoardClick::kNothing;
        stop();
        board.current_character = other;
        return BoardClick::kSelect;
    }
    std::vector<BoardCell> way = way_to(board, x, y);
    if (way.empty()) return BoardClick::kNoWay;
    way_ = std::move(way);
    next_ = 0;
    character_ = board.current_character;
    return BoardClick::kWalk;
}

void BoardWalk::step(BoardState& board, bool key_pressed) {
    if (!walking()) return;
    const int n = count(board.characters);
    if (key_pressed || board.fade_timer > 0 || n == 0 || board.current_character != character_ ||
        cell(character_) >= n) {
        stop();
        return;
    }
    const Mover& c = rt_index(board.characters, cell(character_)).m;
    if (c.pending_dx != 0 || c.pending_dy != 0) return;
    const BoardCell at = resting_cell(c);
    const BoardCell to = way_[next_];
    const int dx = to.x - at.x, dy = to.y - at.y;
    // Anything that moved the character off the way (a door's double pass,
    // an undo) ends the walk.
    if (std::abs(dx) + std::abs(dy) != 1) {
        stop();
        return;
    }
    ++next_;
    if (step_character(board, dx, dy) == 0) stop();
}
