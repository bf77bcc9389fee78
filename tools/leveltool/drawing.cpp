// drawing.cpp: reads the text drawings of the level library and turns each
// into the five lines of a level file (walls, blocks, doors, characters and
// exit, terrain).
#include "tools/leveltool/drawing.h"

#include <cstdlib>
#include <sstream>

namespace {

constexpr int kWidth = 20;
constexpr int kHeight = 18;
constexpr int kMaxCharacters = 5;

using Grid = std::vector<std::string>; // kHeight rows of kWidth cells

bool starts_with(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string rest_after(const std::string& s, const std::string& prefix) {
    std::string r = s.substr(prefix.size());
    size_t start = r.find_first_not_of(' ');
    return start == std::string::npos ? "" : r.substr(start);
}

std::string trim_right(const std::string& s) {
    size_t end = s.find_last_not_of(" \t\r");
    return end == std::string::npos ? "" : s.substr(0, end + 1);
}

char letter(int n) {
    return static_cast<char>('A' + n);
}

// The drawing placed in the middle of the board (rounded towards the top left).
bool centre(const std::vector<std::string>& rows, Grid& grid, std::string& error) {
    int top = -1, bottom = -1, left = kWidth * 4, right = -1;
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        size_t first = rows[y].find_first_not_of(' ');
        if (first == std::string::npos) continue;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, static_cast<int>(first));
        right = std::max(right, static_cast<int>(trim_right(rows[y]).size()) - 1);
    }
    if (top < 0) return error = "the drawing is empty", false;
    int w = right - left + 1, h = bottom - top + 1;
    if (w > kWidth || h > kHeight) {
        error = "the drawing is " + std::to_string(w) + " x " + std::to_string(h) +
                ", larger than the board";
        return false;
    }
    int ox = (kWidth - w) / 2, oy = (kHeight - h) / 2;
    grid.assign(kHeight, std::string(kWidth, ' '));
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x < static_cast<int>(rows[y].size()); ++x)
            grid[oy + y - top][ox + x - left] = rows[y][x];
    return true;
}

// Walls as few rectangles: each uncovered wall cell starts the widest run to
// its right, grown downwards while the whole run is wall.
std::string wall_line(const Grid& g) {
    std::vector<std::vector<bool>> used(kHeight, std::vector<bool>(kWidth, false));
    auto free_wall = [&](int x, int y) { return g[y][x] == '#' && !used[y][x]; };
    std::string line;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!free_wall(x, y)) continue;
            int x2 = x;
            while (x2 + 1 < kWidth && free_wall(x2 + 1, y))
                ++x2;
            int y2 = y;
            for (bool full = true; full && y2 + 1 < kHeight;) {
                for (int i = x; i <= x2 && full; ++i)
                    full = free_wall(i, y2 + 1);
                if (full) ++y2;
            }
            for (int j = y; j <= y2; ++j)
                for (int i = x; i <= x2; ++i)
                    used[j][i] = true;
            line += {letter(x), letter(y), letter(x2), letter(y2)};
        }
    return line.empty() ? "." : line;
}

bool is_block(char c) {
    return c >= 'a' && c <= 'z';
}

// Blocks: each group of touching cells of one letter must be a full rectangle.
bool block_line(const Grid& g, std::string& line, std::string& error) {
    std::vector<std::vector<int>> id(kHeight, std::vector<int>(kWidth, -1));
    int blocks = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            char c = g[y][x];
            if (!is_block(c) || id[y][x] >= 0) continue;
            int x2 = x, y2 = y;
            while (x2 + 1 < kWidth && g[y][x2 + 1] == c)
                ++x2;
            while (y2 + 1 < kHeight && g[y2 + 1][x] == c)
                ++y2;
            for (int j = y; j <= y2; ++j)
                for (int i = x; i <= x2; ++i)
                    id[j][i] = g[j][i] == c ? blocks : -2;
            line += {letter(x), letter(y), letter(x2), letter(y2)};
            ++blocks;
        }
    // Every cell of a rectangle holds its letter, and no cell of that letter
    // touches it from outside: otherwise the group is no rectangle.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            bool bad = id[y][x] == -2;
            if (is_block(g[y][x]) && x + 1 < kWidth && g[y][x + 1] == g[y][x])
                bad = bad || id[y][x + 1] != id[y][x];
            if (is_block(g[y][x]) && y + 1 < kHeight && g[y + 1][x] == g[y][x])
                bad = bad || id[y + 1][x] != id[y][x];
            if (bad) {
                error = "block at column " + std::to_string(x) + ", row " + std::to_string(y) +
                        " is not part of a rectangle";
                return false;
            }
        }
    if (line.empty()) line = ".";
    return true;
}

// The pivot an arm cell belongs to, or false when there is none or two.
bool arm_owner(const Grid& g, int x, int y, int* px, int* py) {
    static constexpr int kDx[4] = {0, 0, 1, -1}, kDy[4] = {1, -1, 0, 0};
    int first = g[y][x] == '|' ? 0 : 2, found = 0;
    for (int k = first; k < first + 2; ++k) {
        int nx = x + kDx[k], ny = y + kDy[k];
        if (nx < 0 || ny < 0 || nx >= kWidth || ny >= kHeight || g[ny][nx] != '+') continue;
        *px = nx, *py = ny, ++found;
    }
    return found == 1;
}

bool door_line(const Grid& g, std::string& line, std::string& error) {
    std::vector<std::vector<int>> mask(kHeight, std::vector<int>(kWidth, 0));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
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
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (g[y][x] == '+') line += {letter(x), letter(y), static_cast<char>(64 + mask[y][x])};
    if (line.empty()) line = ".";
    return true;
}

// Six pairs: characters 1 to 4, the exit, character 5; "AA" marks an absent pair.
bool people_line(const Grid& g, std::string& line, std::string& error) {
    std::string pairs[6] = {"AA", "AA", "AA", "AA", "AA", "AA"};
    int exits = 0, seen[kMaxCharacters] = {};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            char c = g[y][x];
            std::string pair = {letter(x), letter(y)};
            if (c == 'E') pairs[4] = pair, ++exits;
            if (c < '1' || c > '0' + kMaxCharacters) continue;
            int n = c - '1';
            ++seen[n];
            pairs[n < 4 ? n : 5] = pair;
        }
    if (exits != 1) return error = "a level needs exactly one exit", false;
    for (int n = 0; n < kMaxCharacters; ++n) {
        bool later = false;
        for (int m = n + 1; m < kMaxCharacters; ++m)
            later = later || seen[m] > 0;
        if (seen[n] > 1 || (seen[n] == 0 && (n == 0 || later))) {
            error = "characters must be numbered 1, 2, ... once each";
            return false;
        }
    }
    for (const std::string& p : pairs)
        line += p;
    return true;
}

// Run lengths row after row: lower case letters for holes, upper case for floor.
std::string terrain_line(const Grid& g) {
    std::string line;
    auto hole = [](char c) { return c == '~' || c == ' '; };
    for (int n = 0; n < kWidth * kHeight;) {
        bool h = hole(g[n / kWidth][n % kWidth]);
        int run = 0;
        while (n < kWidth * kHeight && run < 26 && hole(g[n / kWidth][n % kWidth]) == h)
            ++n, ++run;
        line += static_cast<char>((h ? 'a' : 'A') + run - 1);
    }
    return line;
}

bool known_cell(char c) {
    static const std::string kCells = "#.~ +|-E12345";
    return kCells.find(c) != std::string::npos || is_block(c);
}

} // namespace

bool parse_library(const std::string& text, std::vector<DrawnLevel>& levels, std::string& error) {
    std::istringstream in(text);
    std::string raw;
    DrawnLevel* current = nullptr;
    bool drawing_done = false;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::string line = trim_right(raw);
        std::string where = "line " + std::to_string(number) + ": ";
        if (starts_with(line, ";")) continue;
        if (starts_with(line, "level ")) {
            levels.push_back(DrawnLevel{});
            current = &levels.back();
            current->name = rest_after(line, "level ");
            current->source_line = number;
            drawing_done = false;
        } else if (current && current->rows.empty() && starts_with(line, "teaches ")) {
            current->teaches = rest_after(line, "teaches ");
        } else if (current && current->rows.empty() && starts_with(line, "moves ")) {
            current->moves = std::atoi(rest_after(line, "moves ").c_str());
        } else if (current && current->rows.empty() && starts_with(line, "deadends ")) {
            current->dead_ends = std::atoll(rest_after(line, "deadends ").c_str());
        } else if (line.empty()) {
            drawing_done = current && !current->rows.empty();
        } else if (!current || drawing_done) {
            return error = where + "text outside a level", false;
        } else {
            for (char c : line)
                if (!known_cell(c)) return error = where + "unknown cell '" + c + "'", false;
            current->rows.push_back(line);
        }
    }
    return true;
}

bool board_rows(const DrawnLevel& level, std::vector<std::string>& rows, std::string& error) {
    return centre(level.rows, rows, error);
}

bool encode_level(const DrawnLevel& level, std::string& file_text, std::string& error) {
    Grid g;
    if (!centre(level.rows, g, error)) return false;
    std::string blocks, doors, people;
    if (!block_line(g, blocks, error) || !door_line(g, doors, error) ||
        !people_line(g, people, error))
        return false;
    file_text =
        wall_line(g) + "\n" + blocks + "\n" + doors + "\n" + people + "\n" + terrain_line(g) + "\n";
    return true;
}
