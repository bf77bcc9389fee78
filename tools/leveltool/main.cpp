// cropstack-leveltool: turns the level library's text drawings into the
// level files the game reads and the table of levels in the documentation.
//
//   cropstack-leveltool SOURCE LEVLIB_DIR TABLE          write QLEV<n>.CMD, levels.ini and
//       the table
//   cropstack-leveltool --check SOURCE LEVLIB_DIR TABLE  fail when any of them is stale
//   cropstack-leveltool --measures SOURCE LEVLIB_DIR     solve every level and print the
//       library's measures (measures.h defines them); fail when a target is missed
//   cropstack-leveltool --measures --dead-ends SOURCE LEVLIB_DIR   also count every level's
//       dead ends with the solver and fail when one differs from its "deadends" line
//   cropstack-leveltool --measures [--dead-ends] --every N SOURCE LEVLIB_DIR   the same on
//       every N-th level only (the first, then every N-th after it)
//
// Every level file is also loaded through the game's own loader and compared
// with its drawing, so a drawing the game would refuse or read differently is
// reported here.
#include "game/rules/board.h"
#include "tools/leveltool/drawing.h"
#include "tools/leveltool/measures.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool read_file(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

bool write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string table_text(const std::vector<DrawnLevel>& levels, const std::string& source) {
    std::string t = "# The level library\n\n"
                    "Written by `cropstack-leveltool` from the drawings in `" +
                    source +
                    "`; edit those and run the tool again (see `tools/leveltool/drawing.h` for the "
                    "drawing's characters). Fewest moves is what the level solver finds: every "
                    "accepted step counts, switching characters does not. The library test checks "
                    "each count. Dead ends are the positions a player can reach from which the "
                    "level can no longer be finished (`cropstack-leveltool --measures --dead-ends` "
                    "counts them).\n\n"
                    "| Level | Name | Fewest moves | Dead ends | What it teaches |\n"
                    "|---:|---|---:|---:|---|\n";
    for (size_t i = 0; i < levels.size(); ++i) {
        const DrawnLevel& l = levels[i];
        t += "| " + std::to_string(i + 1) + " | " + l.name + " | " +
             (l.moves >= 0 ? std::to_string(l.moves) : "?") + " | " +
             (l.dead_ends >= 0 ? std::to_string(l.dead_ends) : "?") + " | " + l.teaches + " |\n";
    }
    return t;
}

// The names and fewest moves the game shows while a level is played, for
// the information file beside the level files.
std::string level_info_of(const std::vector<DrawnLevel>& levels) {
    std::vector<LevelInfoEntry> entries;
    for (const DrawnLevel& l : levels)
        entries.push_back({l.name, l.moves});
    return level_info_text(entries);
}

// Writes (or, when checking, compares) one output; false when it failed or is stale.
bool produce(const std::string& path, const std::string& text, bool check) {
    std::string old;
    if (check) {
        if (read_file(path, old) && old == text) return true;
        std::fprintf(stderr, "cropstack-leveltool: %s is not up to date\n", path.c_str());
        return false;
    }
    if (read_file(path, old) && old == text) return true;
    if (write_file(path, text)) return true;
    std::fprintf(stderr, "cropstack-leveltool: cannot write %s\n", path.c_str());
    return false;
}

// What the game's text picture shows for a drawing's cell: blocks of any
// letter as "B", the outside as the hole it is.
char pictured(char drawn) {
    if (drawn >= 'a' && drawn <= 'z') return 'B';
    return drawn == ' ' ? '~' : drawn;
}

// Loads the file through the game's loader and compares the board it builds,
// cell by cell, with the drawing: a level that loads but differs from what
// was drawn is reported as well as one the game refuses.
bool loads_as_drawn(const std::string& path, const DrawnLevel& level) {
    BoardState board;
    RtString reason;
    if (load_level_file(board, RtString(path.c_str()), &reason) == 0) {
        std::fprintf(stderr, "cropstack-leveltool: %s: %s\n", path.c_str(), reason.c_str());
        return false;
    }
    rt_dim(board.occupancy, kBoardWidth, kBoardHeight);
    rebuild_occupancy(board);
    std::vector<std::string> drawn;
    std::string error;
    board_rows(level, drawn, error);
    // The picture: a line of column letters, then one line per row after
    // the row letter and a blank.
    std::istringstream picture(board_text(board));
    std::string line;
    std::getline(picture, line);
    for (int y = 0; y < kBoardHeight && std::getline(picture, line); ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            char want = pictured(drawn[y][x]), got = line.size() > 2u + x ? line[2 + x] : '?';
            if (want == got) continue;
            std::fprintf(stderr, "cropstack-leveltool: %s: cell %c%c is '%c', drawn '%c'\n",
                         path.c_str(), 'A' + x, 'A' + y, got, want);
            return false;
        }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::string option = argc > 1 ? argv[1] : "";
    bool check = option == "--check", measures = option == "--measures";
    if (check || measures) ++first;
    bool dead_ends = measures && argc > first && std::string(argv[first]) == "--dead-ends";
    if (dead_ends) ++first;
    int every = 1;
    if (measures && argc > first + 1 && std::string(argv[first]) == "--every") {
        every = std::atoi(argv[first + 1]);
        if (every < 1) every = 0;
        first += 2;
    }
    if (argc - first != (measures ? 2 : 3) || every == 0) {
        std::fprintf(
            stderr,
            "usage: cropstack-leveltool [--check] SOURCE LEVLIB_DIR TABLE\n"
            "       cropstack-leveltool --measures [--dead-ends] [--every N] SOURCE LEVLIB_DIR\n");
        return 2;
    }
    std::string source = argv[first], dir = argv[first + 1];
    std::string text, error;
    std::vector<DrawnLevel> levels;
    if (!read_file(source, text) || !parse_library(text, levels, error)) {
        std::fprintf(stderr, "cropstack-leveltool: %s: %s\n", source.c_str(),
                     error.empty() ? "cannot read" : error.c_str());
        return 1;
    }
    if (measures) return run_measures(levels, dir, dead_ends, every);
    std::string table = argv[first + 2];
    bool ok = true;
    for (size_t i = 0; i < levels.size(); ++i) {
        std::string file_text, path = dir + "/QLEV" + std::to_string(i + 1) + ".CMD";
        if (!encode_level(levels[i], file_text, error)) {
            std::fprintf(stderr, "cropstack-leveltool: %s line %d (level %zu): %s\n",
                         source.c_str(), levels[i].source_line, i + 1, error.c_str());
            ok = false;
            continue;
        }
        ok = produce(path, file_text, check) && loads_as_drawn(path, levels[i]) && ok;
    }
    size_t slash = source.rfind("data/");
    std::string shown = slash == std::string::npos ? source : source.substr(slash);
    ok = produce(table, table_text(levels, shown), check) && ok;
    ok = produce(level_info_file_name(dir.c_str()).str(), level_info_of(levels), check) && ok;
    if (ok) std::printf("%zu levels %s\n", levels.size(), check ? "up to date" : "written");
    return ok ? 0 : 1;
}
