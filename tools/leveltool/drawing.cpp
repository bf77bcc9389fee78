// drawing.cpp: reads the text drawings of the level library and turns each
// into the five lines of a level file (walls, blocks, doors, characters and
// exit, terrain).
#include "tools/leveltool/drawing.h"

#include "game/rules/board.h"

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

bool is_block(char c) {
    return c >= 'a' && c <= 'z';
}

// One exit, and the characters numbered 1, 2, ... once each.
bool check_people(const Grid& g, std::string& error) {
    int exits = 0, seen[kMaxCharacters] = {};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            char c = g[y][x];
            if (c == 'E') ++exits;
            if (c >= '1' && c <= '0' + kMaxCharacters) ++seen[c - '1'];
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
    return true;
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
    LevelLines lines;
    if (!encode_level_picture(g, WallRecords::kRectangles, lines, error)) return false;
    if (!check_people(g, error)) return false;
    file_text.clear();
    for (const std::string& line : level_file_lines(lines))
        file_text += line + "\n";
    return true;
}
