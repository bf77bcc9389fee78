// solver_picture.h: level files from small pictures, for the solver's tests
// and benchmark. A picture is what encode_level_picture reads, rows separated
// by '/'; wider blocks are extra rectangles in the file's own letters, listed
// after the picture's.
#pragma once

#include "game/rules/board.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace solver_test {

// The five lines of a level file for the picture; a picture the encoder
// refuses gives lines no level file accepts (the reason goes to stderr).
inline std::vector<std::string> level_lines(const std::string& picture,
                                            const std::string& extra_blocks = "") {
    LevelLines lines;
    std::string error;
    if (!encode_level_picture(level_picture_rows(picture), WallRecords::kRuns, lines, error)) {
        std::fprintf(stderr, "level picture refused: %s\n", error.c_str());
        return {};
    }
    lines.blocks += extra_blocks;
    return level_file_lines(lines);
}

inline void write_level(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

} // namespace solver_test
