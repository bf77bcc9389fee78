// solver_tool_test.cpp: the cropstack-solve program's output and exit status,
// which scripts and table generators rely on.
#include "solver_levels.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

using namespace solver_test;

namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

// Runs the program built beside this test with the arguments; stdout only.
ToolRun solve(const std::string& arguments) {
    std::filesystem::path program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "cropstack-solve";
    ToolRun run;
    FILE* pipe = popen((program.string() + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.out += buffer;
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A level file for the picture, as a quoted argument.
std::string level(const char* picture) {
    board_from_picture(picture);
    return "'" + last_level_file() + "'";
}

// The first words of a line of output.
std::string words(const std::string& line, int n) {
    std::string out;
    int seen = 0;
    for (char c : line) {
        if (c == ' ' || c == '\n') {
            if (++seen == n) break;
        }
        out += c;
    }
    return out;
}

} // namespace

TEST(SolverTool, QuietOutputIsOneLineOfFieldsAndTheStatusTellsTheOutcome) {
    const char* room = "############/#1.........#/#..B...B...#/#..........#/##########.#/"
                       "#########E##/############";
    const struct {
        std::string arguments;
        std::string start;
        int status;
    } cases[] = {
        {"--quiet " + level("#######/#1...E#/#######"), "solved 4 RRRR", 0},
        {"-q " + level("#######/#1B~~E#/#######"), "impossible - -", 1},
        {"--quiet --max-states 50 " + level(room), "state-limit - -", 3},
        // Far less time than this room's thousands of positions take.
        {"--quiet --time-limit 0.000001 " + level(room), "time-limit - -", 3},
        {"--quiet --replay " + level("#######/#1...E#/#######") + " RRRR", "complete 4 0", 0},
        {"--quiet --replay " + level("#######/#1...E#/#######") + " RLR", "incomplete 3 0", 1},
        {"--quiet --replay " + level("#######/#1...E#/#######") + " RZR", "", 2},
        {"--quiet /nonexistent/QLEV1.CMD", "", 2},
        {"--max-states", "", 2},
        {"--time-limit x " + level("#######/#1...E#/#######"), "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        ToolRun run = solve(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.out;
        int fields = c.start.empty()
                         ? 0
                         : 1 + static_cast<int>(std::count(c.start.begin(), c.start.end(), ' '));
        EXPECT_EQ(words(run.out, fields), c.start) << run.out;
    }
}

TEST(SolverTool, PrintsTheBoardAfterEveryMoveOfTheSolution) {
    ToolRun run = solve("--print " + level("#######/#1...E#/#######"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("4 moves\nRRRR\n", 0), 0u) << run.out;
    for (const char* title : {"start\n", "move 1: R\n", "move 4: R\n"})
        EXPECT_NE(run.out.find(title), std::string::npos) << title << run.out;
    EXPECT_NE(run.out.find("B #...1E#"), std::string::npos) << "the board after move 3";
}
