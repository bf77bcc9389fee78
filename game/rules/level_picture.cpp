// level_picture.cpp: a level drawn as text turned into the five lines of a
// level file. The level tool, the tests and the benchmarks all draw their
// levels this way.
#include "game/rules/board.h"

namespace {

using Grid = std::vector<std::string>; // kBoardHeight rows of kBoardWidth cells

char letter(int n) {
    return static_cast<char>('A' + n);
}

std::string rect(int x1, int y1, int x2, int y2) {
    return {letter(x1), letter(y1), letter(x2), letter(y2)};
}

std::string place(int x, int y) {
    return {letter(x), letter(y)};
}

bool is_block_letter(char c) {
    return c >= 'a' && c <= 'z';
}

// The picture on the whole board; cells it does not reach are floor.
bool board_grid(const std::vector<std::string>& rows, Grid& g, std::string& error) {
    size_t width = 0;
    for (const std::string& row : rows)
        width = std::max(width, row.size());
    if (rows.size() > kBoardHeight || width > kBoardWidth) {
        error = "the picture is " + std::to_string(width) + " x " + std::to_string(rows.size()) +
                ", larger than the board";
        return false;
    }
    g.assign(kBoardHeight, std::string(kBoardWidth, '.'));
    for (size_t y = 0; y < rows.size(); ++y)
        g[y].replace(0, rows[y].size(), rows[y]);
    return true;
}

// Walls as horizontal runs, one record per run.
std::string wall_runs(const Grid& g) {
    std::string line;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            if (g[y][x] != '#') continue;
            int x2 = x;
            while (x2 + 1 < kBoardWidth && g[y][x2 + 1] == '#')
                ++x2;
            line += rect(x, y, x2, y);
            x = x2;
        }
    return line;
}

// Walls as few rectangles: each uncovered wall cell starts the widest run to
// its right, grown downwards while the whole run is wall.
std::string wall_rectangles(const Grid& g) {
    std::vector<std::vector<bool>> used(kBoardHeight, std::vector<bool>(kBoardWidth, false));
    auto free_wall = [&](int x, int y) { return g[y][x] == '#' && !used[y][x]; };
    std::string line;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            if (!free_wall(x, y)) continue;
            int x2 = x;
            while (x2 + 1 < kBoardWidth && free_wall(x2 + 1, y))
                ++x2;
            int y2 = y;
            for (bool full = true; full && y2 + 1 < kBoardHeight;) {
                for (int i = x; i <= x2 && full; ++i)
                    full = free_wall(i, y2 + 1);
                if (full) ++y2;
            }
            for (int j = y; j <= y2; ++j)
                for (int i = x; i <= x2; ++i)
                    used[j][i] = true;
            line += rect(x, y, x2, y2);
        }
    return line;
}

// The rectangle of the block letter at (x, y), marking its cells in id;
// cells inside it holding another character are marked -2.
void mark_block(const Grid& g, int x, int y, int block, std::vector<std::vector<int>>& id,
                std::string& line) {
    char c = g[y][x];
    int x2 = x, y2 = y;
    while (x2 + 1 < kBoardWidth && g[y][x2 + 1] == c)
        ++x2;
    while (y2 + 1 < kBoardHeight && g[y2 + 1][x] == c)
        ++y2;
    for (int j = y; j <= y2; ++j)
        for (int i = x; i <= x2; ++i)
            id[j][i] = g[j][i] == c ? block : -2;
    line += rect(x, y, x2, y2);
}

// Blocks in board order: each 'B' is a block of its own; each group of
// touching cells of one small letter is one block and must be a rectangle.
bool block_line(const Grid& g, std::string& line, std::string& error) {
    std::vector<std::vector<int>> id(kBoardHeight, std::vector<int>(kBoardWidth, -1));
    int blocks = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            if (g[y][x] == 'B') line += rect(x, y, x, y);
            if (is_block_letter(g[y][x]) && id[y][x] == -1) mark_block(g, x, y, blocks++, id, line);
        }
    // Every cell of a rectangle holds its letter, and no cell of that letter
    // touches it from outside: otherwise the group is no rectangle.
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            bool bad = id[y][x] == -2;
            char c = g[y][x];
            if (is_block_letter(c) && x + 1 < kBoardWidth && g[y][x + 1] == c)
                bad = bad || id[y][x + 1] != id[y][x];
            if (is_block_letter(c) && y + 1 < kBoardHeight && g[y + 1][x] == c)
                bad = bad || id[y + 1][x] != id[y][x];
            if (bad) {
                error = "block at column " + std::to_string(x) + ", row " + std::to_string(y) +
                        " is not part of a rectangle";
                return false;
            }
        }
    return true;
}

// The pivot an arm cell belongs to, or false when there is none or two.
bool arm_owner(const Grid& g, int x, int y, int* px, int* py) {
    static constexpr int kDx[4] = {0, 0, 1, -1}, kDy[4] = {1, -1, 0, 0};
    int first = g[y][x] == '|' ? 0 : 2, found = 0;
    for (int k = first; k < first + 2; ++k) {
        int nx = x + kDx[k], ny = y + kDy[k];
        if (nx < 0 || ny < 0 || nx >= kBoardWidth || ny >= kBoardHeight || g[ny][nx] != '+')
            continue;
        *px = nx, *py = ny, ++found;
    }
    return found == 1;
}

bool door_line(const Grid& g, std::string& line, std::string& error) {
    std::vector<std::vector<int>> mask(kBoardHeight, std::vector<int>(kBoardWidth, 0));
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            if (g[y][x] != '|' && g[y][x] != '-') continue;
            int px, py;
            if (!arm_owner(g, x, y, &px, &py)) {
                error = "arm at column " + std::to_string(x) + ", row " + std::to_string(y) +
                        " has no single pivot next to it";
                return false;
            }
            // Bits: 1 above the pivot, 2 right, 4 below, 8 left.
            mask[py][px] |= y < py ? 1 : x > px ? 2 : y > py ? 4 : 8;
        }
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            if (g[y][x] == '+') line += place(x, y) + static_cast<char>(64 + mask[y][x]);
    return true;
}

// Six pairs: characters 1 to 4, the exit, character 5; "AA" marks an absent
// pair (and so does a pair at the top-left cell, which is no playing cell).
std::string people_line(const Grid& g) {
    std::string line(12, 'A');
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            char c = g[y][x];
            int pair = c == 'E' ? 4 : c >= '1' && c <= '4' ? c - '1' : c == '5' ? 5 : -1;
            if (pair >= 0) line.replace(2 * pair, 2, place(x, y));
        }
    return line;
}

// Run lengths row after row: small letters for holes, capitals for floor.
std::string terrain_line(const Grid& g) {
    std::string line;
    auto hole = [&](int n) {
        return g[n / kBoardWidth][n % kBoardWidth] == '~' ||
               g[n / kBoardWidth][n % kBoardWidth] == ' ';
    };
    for (int n = 0; n < kBoardWidth * kBoardHeight;) {
        bool h = hole(n);
        int run = 0;
        while (n < kBoardWidth * kBoardHeight && run < 26 && hole(n) == h)
            ++n, ++run;
        line += static_cast<char>((h ? 'a' : 'A') + run - 1);
    }
    return line;
}

} // namespace

bool encode_level_picture(const std::vector<std::string>& rows, WallRecords walls,
                          LevelLines& lines, std::string& error) {
    Grid g;
    if (!board_grid(rows, g, error)) return false;
    LevelLines out;
    out.walls = walls == WallRecords::kRuns ? wall_runs(g) : wall_rectangles(g);
    if (!block_line(g, out.blocks, error) || !door_line(g, out.doors, error)) return false;
    out.people = people_line(g);
    out.terrain = terrain_line(g);
    lines = out;
    return true;
}

std::vector<std::string> level_file_lines(const LevelLines& lines) {
    std::vector<std::string> file = {lines.walls, lines.blocks, lines.doors, lines.people,
                                     lines.terrain};
    // An empty list is written as a filler too short to hold a record.
    for (int i = 0; i < 3; ++i)
        if (file[i].empty()) file[i] = ".";
    return file;
}

std::vector<std::string> level_picture_rows(const std::string& picture) {
    std::vector<std::string> rows(1);
    for (char c : picture) {
        if (c == '/')
            rows.emplace_back();
        else
            rows.back() += c;
    }
    return rows;
}
