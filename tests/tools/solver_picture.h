// solver_picture.h: level files from small pictures, for the solver's tests
// and benchmark. A picture uses board_text's cell characters: '#' wall,
// '.' floor, '~' hole, 'B' a 1 x 1 block, '+' a door pivot with '|' and '-'
// arms beside it, 'E' the exit, '1' to '5' the characters in level order.
// Rows are separated by '/'. Wider blocks are extra rectangles in the file's
// own letters.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace solver_test {

inline char letter(int n) {
    return static_cast<char>('A' + n);
}

inline std::vector<std::string> picture_rows(const std::string& picture) {
    std::vector<std::string> rows(1);
    for (char c : picture) {
        if (c == '/')
            rows.emplace_back();
        else
            rows.back() += c;
    }
    return rows;
}

// Run lengths of floor ("A" one cell) and holes ("a" one cell), row by row
// over the whole 20 x 18 grid.
inline std::string terrain_line(const std::vector<std::string>& rows) {
    std::string line;
    bool hole = false;
    int run = 0;
    auto flush = [&] {
        while (run > 0) {
            int n = run > 26 ? 26 : run;
            line += static_cast<char>((hole ? 'a' : 'A') + n - 1);
            run -= n;
        }
    };
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 20; ++x) {
            bool h = y < static_cast<int>(rows.size()) && x < static_cast<int>(rows[y].size()) &&
                     rows[y][x] == '~';
            if (h != hole) flush();
            hole = h;
            ++run;
        }
    flush();
    return line;
}

// The mask character of the door whose pivot is at (x, y).
inline char door_arms(const std::vector<std::string>& rows, int x, int y) {
    auto at = [&](int cx, int cy) {
        return cy >= 0 && cy < static_cast<int>(rows.size()) && cx >= 0 &&
                       cx < static_cast<int>(rows[cy].size())
                   ? rows[cy][cx]
                   : ' ';
    };
    int mask = (at(x, y - 1) == '|' ? 1 : 0) | (at(x + 1, y) == '-' ? 2 : 0) |
               (at(x, y + 1) == '|' ? 4 : 0) | (at(x - 1, y) == '-' ? 8 : 0);
    return static_cast<char>(64 + mask);
}

// The five lines of a level file for the picture.
inline std::vector<std::string> level_lines(const std::string& picture,
                                            const std::string& extra_blocks = "") {
    std::vector<std::string> rows = picture_rows(picture);
    std::string walls, blocks, doors;
    std::string people(12, 'A'); // six absent pairs
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            char c = rows[y][x];
            std::string cell{letter(x), letter(y)};
            if (c == '#') walls += cell + cell;
            if (c == 'B') blocks += cell + cell;
            if (c == '+') doors += cell + door_arms(rows, x, y);
            // Characters 1 to 4 are pairs 1 to 4, the exit pair 5, character 5 pair 6.
            int pair = c == 'E' ? 4 : c >= '1' && c <= '4' ? c - '1' : c == '5' ? 5 : -1;
            if (pair >= 0) people.replace(2 * pair, 2, cell);
        }
    blocks += extra_blocks;
    // An empty list is written as a filler too short to hold a record.
    for (std::string* line : {&walls, &blocks, &doors})
        if (line->empty()) line->push_back('.');
    return {walls, blocks, doors, people, terrain_line(rows)};
}

inline void write_level(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

} // namespace solver_test
