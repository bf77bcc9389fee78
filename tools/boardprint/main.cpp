// cropstack-board: loads level files and prints each board as text, or says
// why a file cannot be played.
//
//   cropstack-board levlib/QLEV3.CMD ...   print these files
//   cropstack-board -l 3 [-d levlib]       print level 3 of a level library
//   cropstack-board -n ...                 leave out the legend
#include "game/rules/board.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usage() {
    std::fprintf(stderr, "usage: cropstack-board [-n] [-d dir] (-l level | file)...\n"
                         "  file      a level file to print\n"
                         "  -l level  the level of that number in the library directory\n"
                         "  -d dir    the library directory for -l (default levlib)\n"
                         "  -n        no legend\n");
}

// The number in a library name such as "levlib/QLEV12.CMD", else 0.
double level_number_in(const std::string& file) {
    size_t at = file.rfind("QLEV");
    return at == std::string::npos ? 0 : std::strtod(file.c_str() + at + 4, nullptr);
}

// Prints one level; false when it cannot be loaded.
bool print_level(const std::string& file, bool first) {
    BoardState board;
    board.level_number = level_number_in(file);
    RtString reason;
    if (load_level_file(board, RtString(file.c_str()), &reason) == 0) {
        std::fprintf(stderr, "cropstack-board: %s: %s\n", file.c_str(), reason.c_str());
        return false;
    }
    rebuild_occupancy(board);
    std::printf("%s%s\n%s", first ? "" : "\n", file.c_str(), board_text(board).c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = "levlib";
    bool legend = true;
    std::vector<std::string> files;
    std::vector<double> levels; // by position in files, NaN for a file name
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-n") {
            legend = false;
        } else if ((arg == "-d" || arg == "-l") && i + 1 < argc) {
            std::string value = argv[++i];
            if (arg == "-d") {
                dir = value;
            } else {
                files.push_back(value);
                levels.push_back(std::strtod(value.c_str(), nullptr));
            }
        } else if (arg.empty() || arg[0] == '-') {
            usage();
            return 2;
        } else {
            files.push_back(arg);
            levels.push_back(NAN);
        }
    }
    if (files.empty()) {
        usage();
        return 2;
    }
    // Level numbers become names once the library directory is known.
    for (size_t i = 0; i < files.size(); ++i)
        if (!std::isnan(levels[i])) files[i] = level_file_name(dir.c_str(), levels[i]).str();
    int failures = 0;
    for (size_t i = 0; i < files.size(); ++i)
        if (!print_level(files[i], i == static_cast<size_t>(failures))) ++failures;
    if (legend && failures < static_cast<int>(files.size()))
        std::printf("\n%s", board_legend().c_str());
    return failures == 0 ? 0 : 1;
}
