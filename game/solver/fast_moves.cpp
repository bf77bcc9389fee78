// fast_moves.cpp: the move rules (walking, pushing, falling into holes,
// turning doors, leaving through the exit) on a packed position, written to
// give exactly what step_character gives, rest to rest. Cells are numbered
// x + 20 y as in the keys.
#include "game/solver/fast_moves.h"

#include <algorithm>
#include <cstring>

namespace solver {

namespace {

constexpr std::uint8_t kFree = 0, kBlock = 1, kWall = 2, kArm = 3, kExit = 4;

// Arm k of a door lies above, right of, below and left of its pivot.
constexpr int kArmDx[4] = {0, 1, 0, -1}, kArmDy[4] = {-1, 0, 1, 0};
// The cell diagonal to the pivot an arm sweeps on its way to position k.
constexpr int kCwDx[4] = {-1, 1, 1, -1}, kCwDy[4] = {-1, -1, 1, 1};
constexpr int kCcwDx[4] = {1, 1, -1, -1}, kCcwDy[4] = {-1, 1, 1, -1};

int at(int x, int y) {
    return x + kBoardWidth * y;
}

int get16(const unsigned char* bytes, int offset) {
    return bytes[offset] | (bytes[offset + 1] << 8);
}

void put16(unsigned char* bytes, int offset, int value) {
    bytes[offset] = static_cast<unsigned char>(value & 0xff);
    bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
}

// A quarter turn of a door's arm flags: clockwise arm k takes the place of
// arm k + 1.
int turned(int arms, bool clockwise) {
    return clockwise ? ((arms << 1) | (arms >> 3)) & 15 : ((arms >> 1) | (arms << 3)) & 15;
}

} // namespace

FastMoves::FastMoves(const BoardState& start) {
    KeyLayout layout(start);
    words_ = layout.words();
    slots_ = count(start.characters);
    block_offset_ = 1 + 2 * slots_;
    door_offset_ = block_offset_ + 2 * count(start.blocks);
    start_.resize(static_cast<std::size_t>(words_));
    layout.encode(start, start_.data());
    child_ = start_;
    at_.assign(static_cast<std::size_t>(slots_), 0);
    for (int i = 0; i < count(start.walls); ++i) {
        const BoxRecord& w = rt_index(start.walls, i);
        for (int y = cell(w.m.y); y < cell(w.m.y) + cell(w.depth); ++y)
            for (int x = cell(w.m.x); x < cell(w.m.x) + cell(w.width); ++x)
                walls_[at(x, y)] = kWall;
    }
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            level_holes_[at(x, y)] = rt_index(start.terrain, x, y) != 0 ? 1 : 0;
    exit_ = at(cell(start.exit.x), cell(start.exit.y));
    for (int i = 0; i < count(start.blocks); ++i) {
        const BoxRecord& b = rt_index(start.blocks, i);
        Block block;
        block.width = cell(b.width);
        block.depth = cell(b.depth);
        blocks_.push_back(block);
    }
    for (int i = 0; i < count(start.doors); ++i) {
        const DoorRecord& d = rt_index(start.doors, i);
        pivots_.push_back(at(cell(d.m.x), cell(d.m.y)));
    }
    arms_.assign(pivots_.size(), 0);
}

void FastMoves::start_key(std::uint64_t* key) const {
    std::copy(start_.begin(), start_.end(), key);
}

void FastMoves::load(const std::uint64_t* key) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(key);
    for (int i = 0; i < characters_; ++i)
        --people_[at_[i]];
    characters_ = bytes[0];
    for (int i = 0; i < characters_; ++i) {
        at_[i] = get16(bytes, 1 + 2 * i);
        ++people_[at_[i]];
    }
    // Blocks and doors as in the position loaded before: the grids still hold.
    std::size_t rest = static_cast<std::size_t>(words_) * 8 - block_offset_;
    bool same = grids_valid_ &&
                std::memcmp(bytes + block_offset_,
                            reinterpret_cast<const unsigned char*>(loaded_.data()) + block_offset_,
                            rest) == 0;
    loaded_.assign(key, key + words_);
    if (same) return;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        int packed = get16(bytes, block_offset_ + 2 * static_cast<int>(i));
        int c = packed & ~kFallen;
        blocks_[i].x = c % kBoardWidth;
        blocks_[i].y = c / kBoardWidth;
        blocks_[i].fallen = (packed & kFallen) != 0;
    }
    for (std::size_t i = 0; i < arms_.size(); ++i)
        arms_[i] = (bytes[door_offset_ + i / 2] >> (4 * (i % 2))) & 15;
    rebuild_grids();
    grids_valid_ = true;
}

// The occupancy codes in the order the rules write them: resting blocks,
// then walls over them, then door pivots and arms, then the exit.
void FastMoves::rebuild_grids() {
    occupancy_ = walls_;
    holes_ = level_holes_;
    block_at_.fill(-1);
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const Block& b = blocks_[i];
        for (int y = b.y; y < b.y + b.depth; ++y)
            for (int x = b.x; x < b.x + b.width; ++x) {
                int c = at(x, y);
                if (b.fallen) {
                    holes_[c] = 0;
                    continue;
                }
                if (occupancy_[c] == kFree) occupancy_[c] = kBlock;
                if (block_at_[c] < 0) block_at_[c] = static_cast<std::int16_t>(i);
            }
    }
    for (std::size_t i = 0; i < pivots_.size(); ++i) {
        int px = pivots_[i] % kBoardWidth, py = pivots_[i] / kBoardWidth;
        occupancy_[pivots_[i]] = kWall;
        for (int k = 0; k < 4; ++k)
            if ((arms_[i] >> k) & 1) occupancy_[at(px + kArmDx[k], py + kArmDy[k])] = kArm;
    }
    occupancy_[exit_] = kExit;
}

void FastMoves::put_character(int character, int target) {
    std::copy(loaded_.begin(), loaded_.end(), child_.begin());
    put16(child_bytes(), 1 + 2 * character, target);
}

StepResult FastMoves::step(int character, int direction) {
    int dx = kDirectionDx[direction], dy = kDirectionDy[direction];
    int target = at_[character] + at(dx, dy);
    std::uint8_t code = people_[target] != 0 ? kWall : occupancy_[target];
    switch (code) {
    case kFree:
        return walk(character, target);
    case kBlock:
        return push(character, target, dx, dy);
    case kArm:
        return turn(character, target, dx, dy);
    case kExit:
        return leave(character);
    default:
        return StepResult::kRefused;
    }
}

StepResult FastMoves::walk(int character, int target) {
    if (holes_[target] != 0) return StepResult::kRefused;
    put_character(character, target);
    return StepResult::kMoved;
}

// The row or column a block moves into holds no character and nothing in
// the occupancy grid; holes do not stop it.
bool FastMoves::strip_free(const Block& b, int dx, int dy) const {
    int x = dx < 0 ? b.x - 1 : dx > 0 ? b.x + b.width : b.x;
    int y = dy < 0 ? b.y - 1 : dy > 0 ? b.y + b.depth : b.y;
    int n = dx != 0 ? b.depth : b.width;
    int stride = dx != 0 ? kBoardWidth : 1;
    for (int i = 0, c = at(x, y); i < n; ++i, c += stride)
        if (people_[c] != 0 || occupancy_[c] != kFree) return false;
    return true;
}

bool FastMoves::over_holes(const Block& b, int x0, int y0) const {
    for (int y = y0; y < y0 + b.depth; ++y)
        for (int x = x0; x < x0 + b.width; ++x)
            if (holes_[at(x, y)] == 0) return false;
    return true;
}

StepResult FastMoves::push(int character, int target, int dx, int dy) {
    if (holes_[target] != 0) return StepResult::kRefused;
    // find_block's answer when no resting block covers the cell.
    int index = std::max<int>(block_at_[target], 0);
    const Block& b = blocks_[static_cast<std::size_t>(index)];
    if (!strip_free(b, dx, dy)) return StepResult::kRefused;
    int x = b.x + dx, y = b.y + dy;
    int packed = at(x, y) | (over_holes(b, x, y) ? kFallen : 0);
    put_character(character, target);
    put16(child_bytes(), block_offset_ + 2 * index, packed);
    return StepResult::kMoved;
}

int FastMoves::door_with_arm_at(int target) const {
    for (std::size_t i = 0; i < pivots_.size(); ++i)
        for (int k = 0; k < 4; ++k)
            if (((arms_[i] >> k) & 1) && pivots_[i] + at(kArmDx[k], kArmDy[k]) == target)
                return static_cast<int>(i);
    return -1;
}

StepResult FastMoves::turn(int character, int target, int dx, int dy) {
    int door = door_with_arm_at(target);
    if (door < 0) return StepResult::kRefused;
    int px = pivots_[door] % kBoardWidth, py = pivots_[door] / kBoardWidth;
    int ax = target % kBoardWidth, ay = target / kBoardWidth;
    int fx = ax - dx, fy = ay - dy;
    bool clockwise = (fx < ax && ay - py < 0) || (fy < ay && ax - px > 0) ||
                     (ax < fx && ay - py > 0) || (ay < fy && ax - px < 0);
    int old = arms_[door], arms = turned(old, clockwise);
    // The grid as the rules test it: this door's old arms have left their cells.
    auto code = [&](int c) -> std::uint8_t {
        for (int k = 0; k < 4; ++k)
            if (((old >> k) & 1) && c == pivots_[door] + at(kArmDx[k], kArmDy[k])) return kFree;
        return occupancy_[c];
    };
    for (int k = 0; k < 4; ++k) {
        if (((arms >> k) & 1) == 0) continue;
        int a = at(px + kArmDx[k], py + kArmDy[k]);
        int s = clockwise ? at(px + kCwDx[k], py + kCwDy[k]) : at(px + kCcwDx[k], py + kCcwDy[k]);
        if (code(a) != kFree || people_[a] != 0 || code(s) != kFree) return StepResult::kRefused;
    }
    if (code(target) != kFree || holes_[target] != 0) return StepResult::kRefused;
    // Walking into the end of an arm along its own axis turns nothing.
    if ((dx != 0 && ay == py) || (dy != 0 && ax == px)) return StepResult::kRefused;
    int side = ax > px ? 1 : ax < px ? 3 : ay > py ? 2 : 0;
    int to = target;
    if ((arms >> side) & 1) {
        // Another arm swings into the cell walked into: on to the next one.
        to = target + at(dx, dy);
        if (code(to) != kFree || holes_[to] != 0 || people_[to] != 0) return StepResult::kRefused;
    }
    put_character(character, to);
    unsigned char& pair = child_bytes()[door_offset_ + door / 2];
    int shift = 4 * (door % 2);
    pair = static_cast<unsigned char>((pair & ~(15 << shift)) | (arms << shift));
    return StepResult::kMoved;
}

// With others left the character leaves the board; the last one finishes.
StepResult FastMoves::leave(int character) {
    if (characters_ <= 1) return StepResult::kFinished;
    std::copy(loaded_.begin(), loaded_.end(), child_.begin());
    unsigned char* bytes = child_bytes();
    for (int i = character; i + 1 < characters_; ++i)
        put16(bytes, 1 + 2 * i, at_[i + 1]);
    put16(bytes, 1 + 2 * (characters_ - 1), 0);
    bytes[0] = static_cast<unsigned char>(characters_ - 1);
    return StepResult::kMoved;
}

} // namespace solver
