// level.cpp: the level library. Reads a level file's five lines through the
// line-file cache, decodes walls, blocks, doors, characters, exit and terrain,
// and checks that the level can be played without leaving the 20 x 18 grid.
// A bad file is refused with a log entry instead of ending the program.
#include "game/rules/board.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kLevelLines = 5;

FloorMeshBuilder g_floor_mesh_builder = nullptr;

// A level decoded but not yet handed to a board.
struct DecodedLevel {
    RtArray<BoxRecord> walls, blocks;
    RtArray<DoorRecord> doors;
    RtArray<CharacterRecord> characters;
    Mover exit;
    RtArray<double> terrain;
};

bool on_grid(int x, int y) {
    return x >= 0 && x < kBoardWidth && y >= 0 && y < kBoardHeight;
}

// A coordinate letter: "A" is 0; a position past the end of the line reads
// as code 0.
int letter(const RtString& line, int j) {
    int code = j < static_cast<int>(line.length()) ? line.char_at(j) : 0;
    return code - 65;
}

// A cell as numbers and as the file's letters.
std::string cell_text(int x, int y) {
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ") \"" +
           static_cast<char>('A' + x) + static_cast<char>('A' + y) + "\"";
}

// Lines 1 and 2: groups of four letters x1 y1 x2 y2. One to three characters
// are filler for an empty list.
bool decode_boxes(const RtString& line, RtArray<BoxRecord>& list, const char* what,
                  std::string& reason) {
    int length = static_cast<int>(line.length());
    rt_dim(list, length / 4);
    if (length <= 3) return true;
    if (length % 4 != 0) {
        reason = std::string(what) + " line has " + std::to_string(length) +
                 " characters, not a multiple of 4";
        return false;
    }
    for (int j = 0; j < length; j += 4) {
        int x1 = letter(line, j), y1 = letter(line, j + 1);
        int x2 = letter(line, j + 2), y2 = letter(line, j + 3);
        if (!on_grid(x1, y1) || !on_grid(x2, y2) || x2 < x1 || y2 < y1) {
            reason = std::string(what) + " " + line.str().substr(j, 4) + " is not a rectangle " +
                     "inside the grid";
            return false;
        }
        BoxRecord& box = rt_index(list, j / 4);
        box.width = x2 - x1 + 1;
        box.depth = y2 - y1 + 1;
        box.m.x = x1;
        box.m.y = y1;
    }
    return true;
}

// Line 3: groups of pivot x, pivot y and an arm mask character ("@" none, "O"
// all); only the character's low four bits are arm flags.
bool decode_doors(const RtString& line, RtArray<DoorRecord>& list, std::string& reason) {
    int length = static_cast<int>(line.length());
    rt_dim(list, length / 3);
    if (length <= 2) return true;
    if (length % 3 != 0) {
        reason = "door line has " + std::to_string(length) + " characters, not a multiple of 3";
        return false;
    }
    static constexpr int kArmDx[4] = {0, 1, 0, -1}, kArmDy[4] = {-1, 0, 1, 0};
    for (int j = 0; j < length; j += 3) {
        int x = letter(line, j), y = letter(line, j + 1), mask = line.char_at(j + 2) & 15;
        bool ok = on_grid(x, y);
        for (int k = 0; ok && k < 4; ++k)
            if ((mask >> k) & 1) ok = on_grid(x + kArmDx[k], y + kArmDy[k]);
        if (!ok) {
            reason = "door " + line.str().substr(j, 3) + " does not fit in the grid";
            return false;
        }
        DoorRecord& door = rt_index(list, j / 3);
        door.m.x = x;
        door.m.y = y;
        for (int k = 0; k < 4; ++k)
            rt_index(door.arms, k) = (mask >> k) & 1;
    }
    return true;
}

// Line 4: six x, y pairs; the fifth is the exit, the others characters. A pair
// whose x is 0 or less is absent.
bool decode_people(const RtString& line, DecodedLevel& level, std::string& reason) {
    for (int j = 0; j <= 10; j += 2) {
        int x = letter(line, j), y = letter(line, j + 1);
        if (x <= 0) continue;
        if (!on_grid(x, y)) {
            reason = "position " + std::to_string(j / 2 + 1) + " of line 4 is off the grid";
            return false;
        }
        if (j == 8) {
            level.exit.x = x;
            level.exit.y = y;
            continue;
        }
        int n = count(level.characters);
        rt_redim(level.characters, n + 1);
        CharacterRecord& c = rt_index(level.characters, n);
        c.m = Mover{};
        c.m.x = x;
        c.m.y = y;
    }
    if (count(level.characters) == 0) {
        reason = "the level has no character";
        return false;
    }
    if (!on_grid(static_cast<int>(level.exit.x), static_cast<int>(level.exit.y))) {
        reason = "the exit is off the grid";
        return false;
    }
    return true;
}

// Line 5: run lengths row by row; lower case letters are holes ("a" one cell),
// other letters floor ("A" one cell); cells after the code stay floor.
bool decode_terrain(const RtString& line, RtArray<double>& terrain, std::string& reason) {
    rt_dim(terrain, kBoardWidth, kBoardHeight);
    int n = 0;
    for (std::uint32_t j = 0; j < line.length(); ++j) {
        int c = line.char_at(j);
        int run = c >= 97 ? c - 96 : c > 64 ? c - 64 : 0;
        if (n + run > kBoardWidth * kBoardHeight) {
            reason = "terrain code runs past the last row";
            return false;
        }
        for (int i = 0; i < run; ++i, ++n)
            rt_index(terrain, n % kBoardWidth, n / kBoardWidth) = c >= 97 ? 1 : 0;
    }
    return true;
}

// Cells a character might ever stand on: the floor connected to a start cell
// past everything but walls and door pivots (blocks move, doors turn). Holes
// stop a character until a block could fill them; the cells a door's arms
// turn through count as floor, since a character follows an arm into its
// cell. The exit is entered but never walked past. Every step of a
// character, a block or a door arm goes from such a cell (or a block's
// place) to a neighbour of one, so those keeping their neighbours inside the
// grid keeps every index of the rules inside it.
struct Reach {
    bool fixed[kBoardWidth][kBoardHeight] = {};
    bool open[kBoardWidth][kBoardHeight] = {}; // a character may enter
    bool reached[kBoardWidth][kBoardHeight] = {};
    int exit_x = 0, exit_y = 0;
};

constexpr int kDx[4] = {0, 1, 0, -1}, kDy[4] = {-1, 0, 1, 0};

void mark_fixed(const DecodedLevel& level, Reach& r) {
    for (int i = 0; i < count(level.walls); ++i) {
        const BoxRecord& w = rt_index(level.walls, i);
        for (int y = 0; y < w.depth; ++y)
            for (int x = 0; x < w.width; ++x)
                r.fixed[static_cast<int>(w.m.x) + x][static_cast<int>(w.m.y) + y] = true;
    }
    for (int i = 0; i < count(level.doors); ++i) {
        const DoorRecord& d = rt_index(level.doors, i);
        r.fixed[static_cast<int>(d.m.x)][static_cast<int>(d.m.y)] = true;
    }
    // Door arms and the exit are written over walls in the occupancy grid, so
    // a character can walk into them wherever they stand.
    for (int i = 0; i < count(level.doors); ++i) {
        const DoorRecord& d = rt_index(level.doors, i);
        for (int k = 0; k < 4; ++k)
            if (rt_index(d.arms, k) != 0)
                r.fixed[static_cast<int>(d.m.x) + kDx[k]][static_cast<int>(d.m.y) + kDy[k]] = false;
    }
    r.exit_x = static_cast<int>(level.exit.x);
    r.exit_y = static_cast<int>(level.exit.y);
    r.fixed[r.exit_x][r.exit_y] = false;
}

bool has_arm(const DoorRecord& d) {
    for (int k = 0; k < 4; ++k)
        if (rt_index(d.arms, k) != 0) return true;
    return false;
}

void mark_open(const DecodedLevel& level, Reach& r) {
    for (int x = 0; x < kBoardWidth; ++x)
        for (int y = 0; y < kBoardHeight; ++y)
            r.open[x][y] = !r.fixed[x][y] && rt_index(level.terrain, x, y) == 0;
    for (int i = 0; i < count(level.doors); ++i) {
        const DoorRecord& d = rt_index(level.doors, i);
        if (!has_arm(d)) continue;
        for (int k = 0; k < 4; ++k) {
            int x = static_cast<int>(d.m.x) + kDx[k], y = static_cast<int>(d.m.y) + kDy[k];
            if (on_grid(x, y) && !r.fixed[x][y]) r.open[x][y] = true;
        }
    }
    r.open[r.exit_x][r.exit_y] = true;
}

bool flood(const DecodedLevel& level, Reach& r, std::string& reason) {
    int stack[kBoardWidth * kBoardHeight][2];
    int top = 0;
    std::memset(r.reached, 0, sizeof r.reached);
    bool start[kBoardWidth][kBoardHeight] = {};
    for (int i = 0; i < count(level.characters); ++i) {
        const Mover& m = rt_index(level.characters, i).m;
        int x = static_cast<int>(m.x), y = static_cast<int>(m.y);
        start[x][y] = true;
        if (!r.reached[x][y]) r.reached[x][y] = true, stack[top][0] = x, stack[top++][1] = y;
    }
    while (top > 0) {
        --top;
        int x = stack[top][0], y = stack[top][1];
        for (int k = 0; k < 4; ++k) {
            int nx = x + kDx[k], ny = y + kDy[k];
            if (!on_grid(nx, ny)) {
                reason = "cell " + cell_text(x, y) + " can be reached but lies on the edge";
                return false;
            }
            // A character walking into the exit leaves the board there; one
            // that starts on it may walk away.
            const bool past_exit = x == r.exit_x && y == r.exit_y && !start[x][y];
            if (past_exit || !r.open[nx][ny] || r.reached[nx][ny]) continue;
            r.reached[nx][ny] = true;
            stack[top][0] = nx;
            stack[top++][1] = ny;
        }
    }
    return true;
}

// A character can push a block from a reached cell beside it.
bool block_touched(const BoxRecord& b, const Reach& r) {
    int x0 = static_cast<int>(b.m.x), y0 = static_cast<int>(b.m.y);
    int w = static_cast<int>(b.width), d = static_cast<int>(b.depth);
    for (int y = y0 - 1; y <= y0 + d; ++y)
        for (int x = x0 - 1; x <= x0 + w; ++x)
            if (on_grid(x, y) && r.reached[x][y]) return true;
    return false;
}

// Whether the block placed at (x0, y0) may move one cell along k: the strip
// it moves into holds no wall or pivot (the ring round it is on the grid).
bool strip_free(const Reach& r, int x0, int y0, int w, int d, int k) {
    int sx = kDx[k] < 0 ? x0 - 1 : kDx[k] > 0 ? x0 + w : x0;
    int sy = kDy[k] < 0 ? y0 - 1 : kDy[k] > 0 ? y0 + d : y0;
    int n = kDx[k] != 0 ? d : w;
    for (int i = 0; i < n; ++i) {
        int x = sx + (kDx[k] != 0 ? 0 : i), y = sy + (kDx[k] != 0 ? i : 0);
        if (r.fixed[x][y]) return false;
    }
    return true;
}

// Every place the block could be pushed to must keep the ring of cells round
// it inside the grid; the holes it passes over may be filled by it, and
// become cells a character can enter. True when some hole was opened.
bool explore_block(const BoxRecord& b, Reach& r, bool* opened, std::string& reason) {
    int w = static_cast<int>(b.width), d = static_cast<int>(b.depth);
    bool seen[kBoardWidth][kBoardHeight] = {};
    int stack[kBoardWidth * kBoardHeight][2];
    int top = 0;
    stack[top][0] = static_cast<int>(b.m.x), stack[top++][1] = static_cast<int>(b.m.y);
    seen[stack[0][0]][stack[0][1]] = true;
    while (top > 0) {
        --top;
        int x0 = stack[top][0], y0 = stack[top][1];
        if (!(on_grid(x0 - 1, y0 - 1) && on_grid(x0 + w, y0 + d))) {
            reason = "block at " + cell_text(static_cast<int>(b.m.x), static_cast<int>(b.m.y)) +
                     " can be pushed off the grid";
            return false;
        }
        for (int y = y0; y < y0 + d; ++y)
            for (int x = x0; x < x0 + w; ++x)
                if (!r.open[x][y] && !r.fixed[x][y]) r.open[x][y] = *opened = true;
        for (int k = 0; k < 4; ++k) {
            int nx = x0 + kDx[k], ny = y0 + kDy[k];
            if (seen[nx][ny] || !strip_free(r, x0, y0, w, d, k)) continue;
            seen[nx][ny] = true;
            stack[top][0] = nx;
            stack[top++][1] = ny;
        }
    }
    return true;
}

// Floods, then lets every block a character can touch open the holes it
// could fill, until nothing more opens.
bool reach_everything(const DecodedLevel& level, Reach& r, std::string& reason) {
    std::vector<bool> explored(static_cast<std::size_t>(count(level.blocks)), false);
    for (bool opened = true; opened;) {
        opened = false;
        if (!flood(level, r, reason)) return false;
        for (int i = 0; i < count(level.blocks); ++i) {
            const BoxRecord& b = rt_index(level.blocks, i);
            if (explored[static_cast<std::size_t>(i)] || !block_touched(b, r)) continue;
            explored[static_cast<std::size_t>(i)] = true;
            if (!explore_block(b, r, &opened, reason)) return false;
        }
    }
    return true;
}

// Blocks must not sit inside walls or pivots; a reachable door must keep the
// ring of cells round it inside the grid.
bool check_movers(const DecodedLevel& level, const Reach& r, std::string& reason) {
    for (int i = 0; i < count(level.blocks); ++i) {
        const BoxRecord& b = rt_index(level.blocks, i);
        int x0 = static_cast<int>(b.m.x), y0 = static_cast<int>(b.m.y);
        for (int y = y0; y < y0 + b.depth; ++y)
            for (int x = x0; x < x0 + b.width; ++x)
                if (r.fixed[x][y]) {
                    reason = "block at " + cell_text(x0, y0) + " overlaps a wall or door";
                    return false;
                }
    }
    for (int i = 0; i < count(level.doors); ++i) {
        const DoorRecord& d = rt_index(level.doors, i);
        int px = static_cast<int>(d.m.x), py = static_cast<int>(d.m.y);
        bool reached = false;
        for (int y = py - 1; y <= py + 1; ++y)
            for (int x = px - 1; x <= px + 1; ++x)
                reached = reached || (on_grid(x, y) && (x == px || y == py) && r.reached[x][y]);
        if (reached && !(on_grid(px - 1, py - 1) && on_grid(px + 1, py + 1))) {
            reason = "door at " + cell_text(px, py) + " can turn its arms off the grid";
            return false;
        }
    }
    return true;
}

bool decode_level(const RtString* lines, DecodedLevel& level, std::string& reason) {
    if (!decode_terrain(lines[4], level.terrain, reason)) return false;
    if (!decode_boxes(lines[0], level.walls, "wall", reason)) return false;
    if (!decode_boxes(lines[1], level.blocks, "block", reason)) return false;
    if (!decode_doors(lines[2], level.doors, reason)) return false;
    if (!decode_people(lines[3], level, reason)) return false;
    Reach reach;
    mark_fixed(level, reach);
    // Blocks inside walls are refused before any of them is moved about.
    if (!check_movers(level, reach, reason)) return false;
    mark_open(level, reach);
    return reach_everything(level, reach, reason) && check_movers(level, reach, reason);
}

void commit(BoardState& board, const DecodedLevel& level) {
    rt_array_assign(board.terrain, level.terrain);
    rt_array_assign(board.walls, level.walls);
    rt_array_assign(board.blocks, level.blocks);
    rt_array_assign(board.doors, level.doors);
    rt_array_assign(board.characters, level.characters);
    // Only the exit's cell comes from the file; a spin still under way carries on.
    board.exit.x = level.exit.x;
    board.exit.y = level.exit.y;
    const Mover& first = rt_index(board.characters, 0).m;
    board.camera_follow[0] = first.x + 9;
    board.camera_follow[1] = 10;
    board.camera_follow[2] = first.y + 5;
    board.current_character = 0;
    board.moves = 0;
    rt_dim(board.undo_stack, 0);
    rt_dim(board.redo_stack, 0);
}

// A level file is five short lines; anything much larger is not one.
constexpr std::uint64_t kLevelFileLimit = 64u << 10;

// A file without the lines a level needs is refused for that, not for the
// length of the "NO_DATA" that stands in for a missing line.
std::string missing_lines(const RtString* lines, const std::string& why) {
    static const char* const kWhat[kLevelLines] = {"walls", "blocks", "doors",
                                                   "characters and exit", "floor"};
    int missing = 0, first = -1;
    for (int i = 0; i < kLevelLines; ++i) {
        if (lines[i] != "NO_DATA") continue;
        ++missing;
        if (first < 0) first = i;
    }
    if (missing == kLevelLines) return "the level file is empty";
    if (first < 0) return why;
    return "line " + std::to_string(first + 1) + " (" + kWhat[first] + ") is empty or missing";
}

double refuse(const RtString& file, const std::string& reason, RtString* out) {
    rt_log(RtString("level: ") + file + ": " + RtString::from_std(reason));
    if (out) *out = RtString::from_std(reason);
    return 0;
}

} // namespace

RtString level_file_name(const RtString& dir, double level) {
    return dir + "/QLEV" + level + ".CMD";
}

RtString level_file_problem(const RtString& file) {
    std::string bytes;
    const char* why = nullptr;
    return rt_read_data_file(file, nullptr, &bytes, kLevelFileLimit, &why) ? RtString()
                                                                           : RtString(why);
}

double last_level_number(const RtString& dir) {
    std::error_code error;
    std::filesystem::directory_iterator entry(dir.str(), error), end;
    long last = 0;
    for (; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        constexpr std::size_t kHead = 4, kTail = 4, kMostDigits = 9;
        if (name.size() <= kHead + kTail || name.size() > kHead + kTail + kMostDigits ||
            name.compare(0, kHead, "QLEV") != 0 ||
            name.compare(name.size() - kTail, kTail, ".CMD") != 0)
            continue;
        const std::string digits = name.substr(kHead, name.size() - kHead - kTail);
        if (digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        last = std::max(last, std::stol(digits));
    }
    return static_cast<double>(last);
}

double load_level_file(BoardState& board, const RtString& file, RtString* reason) {
    // Asked first so that a missing file neither reads as a level of
    // "NO_DATA" lines nor leaves a soft error behind in the line-file cache.
    const RtString problem = level_file_problem(file);
    if (problem == "no such file") return refuse(file, "cannot open the level file", reason);
    if (!problem.empty())
        return refuse(file, "cannot read the level file: " + problem.str(), reason);
    RtString lines[kLevelLines];
    for (int i = 0; i < kLevelLines; ++i)
        lines[i] = lf_get_text(file, i);
    DecodedLevel level;
    level.exit = board.exit;
    std::string why;
    if (!decode_level(lines, level, why)) return refuse(file, missing_lines(lines, why), reason);
    commit(board, level);
    return 1;
}

double load_level(BoardState& board, const RtString& dir) {
    return load_level_file(board, level_file_name(dir, board.level_number));
}

double start_level(BoardState& board) {
    if (load_level(board, "levlib") == 0) return 0;
    rt_dim(board.occupancy, kBoardWidth, kBoardHeight);
    rebuild_occupancy(board);
    if (g_floor_mesh_builder) g_floor_mesh_builder(board.floor_slot, board.terrain);
    return 1;
}

void set_floor_mesh_builder(FloorMeshBuilder builder) {
    g_floor_mesh_builder = builder;
}
