// The level library: every level in the table of docs/levels.md is finished
// by the solver in exactly the number of moves the table gives, its solution
// replays through the game's rules to the end, and the library is complete
// enough for the title screen and the two-player start.
#include "game/solver/solver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The repository this test was built from: the levels and their table are
// read there, where they are written.
fs::path source_root() {
    return CROPSTACK_SOURCE_DIR;
}

struct TableRow {
    int level = 0;
    int moves = -1;
    std::string name;
};

// The rows "| <level> | <name> | <moves> | <teaches> |" of the table.
std::vector<TableRow> read_table() {
    std::vector<TableRow> rows;
    std::ifstream in(source_root() / "docs" / "levels.md");
    static const std::regex kRow(R"(^\|\s*(\d+)\s*\|\s*([^|]*?)\s*\|\s*(\d+|\?)\s*\|.*)");
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_match(line, m, kRow))
            rows.push_back({std::stoi(m[1]), m[3] == "?" ? -1 : std::stoi(m[3]), m[2]});
    return rows;
}

void PrintTo(const TableRow& row, std::ostream* os) {
    *os << "level " << row.level << " (" << row.name << "), " << row.moves << " moves";
}

const std::vector<TableRow>& table() {
    static const std::vector<TableRow> rows = read_table();
    return rows;
}

std::string level_file(int level) {
    return (source_root() / "data" / "levlib" / ("QLEV" + std::to_string(level) + ".CMD")).string();
}

TEST(LevelLibrary, TableNumbersEveryLevelFileInOrder) {
    const auto& rows = table();
    // The title screen shows five levels from any start up to 44, and a
    // library of sixty is promised.
    ASSERT_GE(rows.size(), 60u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].level, static_cast<int>(i) + 1);
        EXPECT_GE(rows[i].moves, 1) << "level " << i + 1 << " has no move count";
        EXPECT_TRUE(fs::exists(level_file(static_cast<int>(i) + 1))) << level_file(i + 1);
    }
    // A level file beyond the table would be played but never checked.
    EXPECT_FALSE(fs::exists(level_file(static_cast<int>(rows.size()) + 1)));
}

TEST(LevelLibrary, MoveCountsRiseThroughTheLibrary) {
    const auto& rows = table();
    ASSERT_GE(rows.size(), 60u);
    // Mean fewest moves of each third of the library: later thirds are harder.
    size_t third = rows.size() / 3;
    double mean[3];
    for (int t = 0; t < 3; ++t) {
        auto first = rows.begin() + t * third, last = first + third;
        mean[t] = std::accumulate(first, last, 0.0,
                                  [](double s, const TableRow& r) { return s + r.moves; }) /
                  third;
    }
    EXPECT_LT(mean[0], mean[1]);
    EXPECT_LT(mean[1], mean[2]);
}

class LevelSolve : public ::testing::TestWithParam<TableRow> {};

TEST_P(LevelSolve, FewestMovesMatchTheTableAndTheSolutionFinishes) {
    const TableRow& row = GetParam();
    BoardState board;
    std::string reason;
    ASSERT_TRUE(solver::load_level_board(level_file(row.level), board, &reason)) << reason;
    solver::SolveLimits limits;
    limits.max_states = 4'000'000;
    solver::SolveResult result = solver::solve_board(board, limits);
    ASSERT_EQ(result.outcome, solver::SolveOutcome::kSolved)
        << "level " << row.level << ": " << solver::outcome_name(result.outcome) << " after "
        << result.states << " positions";
    EXPECT_EQ(result.moves, row.moves) << "level " << row.level << " (" << row.name << ")";

    // The solution, played through the rules on a fresh board, ends the level.
    BoardState replay;
    ASSERT_TRUE(solver::load_level_board(level_file(row.level), replay, &reason)) << reason;
    solver::ReplayResult played = solver::replay_moves(replay, result.solution);
    EXPECT_TRUE(played.complete) << result.solution;
    EXPECT_EQ(played.moves, result.moves);
    EXPECT_EQ(played.refused, 0);
}

std::string level_name(const ::testing::TestParamInfo<TableRow>& info) {
    return "Level" + std::to_string(info.param.level);
}

INSTANTIATE_TEST_SUITE_P(Library, LevelSolve, ::testing::ValuesIn(table()), level_name);

} // namespace
