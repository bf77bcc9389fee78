// drawing.h: levels drawn as text and their level-file form.
//
// A level is drawn with one character per cell:
//   #  wall            .  floor          ~  hole           (space) outside, a hole
//   +  door pivot      |  arm above or below a pivot       -  arm left or right of one
//   E  exit            1..5  characters, in list order
//   a..z  blocks: each group of touching cells of one letter is one block and
//         must fill a rectangle; neighbouring blocks take different letters.
// The drawing is centred on the 20 x 18 board.
#pragma once

#include <string>
#include <vector>

struct DrawnLevel {
    std::string name;
    std::string teaches;
    int moves = -1; // fewest moves as recorded, -1 when not given
    // Reachable positions that can no longer be finished, as recorded; -1 when not given.
    long long dead_ends = -1;
    int source_line = 0;
    std::vector<std::string> rows;
};

// Reads a library text: for each level a "level <name>" line, a "teaches
// <text>" line, optional "moves <n>" and "deadends <n>" lines, then the drawing, ended by a
// blank line or the next "level". Lines starting with ';' are comments.
// Returns false with a message naming the line on a malformed text.
bool parse_library(const std::string& text, std::vector<DrawnLevel>& levels, std::string& error);

// The drawing placed on the 20 x 18 board: 18 rows of 20 cells.
bool board_rows(const DrawnLevel& level, std::vector<std::string>& rows, std::string& error);

// The five lines of the level file for a drawing, or false with the reason.
bool encode_level(const DrawnLevel& level, std::string& file_text, std::string& error);
