// Dead ends of small levels counted by hand, as the library's measures take
// them from the solver: positions a player can reach from which the level
// can no longer be finished; and the library line that records them.
#include "leveltool_boards.h"

#include "game/solver/solver.h"
#include "tools/leveltool/drawing.h"
#include "tools/leveltool/measures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using leveltool_test::board_of_drawing;

struct DeadEndCase {
    const char* what;
    std::vector<std::string> rows;
    std::uint64_t reachable, dead_ends;
};

class DeadEnds : public ::testing::TestWithParam<DeadEndCase> {};

TEST_P(DeadEnds, CountedByHand) {
    const DeadEndCase& c = GetParam();
    solver::SolveLimits limits;
    limits.max_states = 1000;
    solver::DeadEndCount r = solver::count_dead_ends(board_of_drawing(c.rows), limits);
    EXPECT_EQ(r.outcome, c.dead_ends == c.reachable ? solver::SolveOutcome::kImpossible
                                                    : solver::SolveOutcome::kSolved)
        << c.what;
    EXPECT_EQ(r.positions, c.reachable) << c.what;
    EXPECT_EQ(r.dead_ends, c.dead_ends) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Measures, DeadEnds,
    ::testing::Values(
        // The start and the cell before the flag; the finished level is no position.
        DeadEndCase{"a walk", {"#####", "#1.E#", "#####"}, 2, 0},
        // The block can only go on towards the flag, where it sticks: the
        // block at 2, 3 or 4 with the character behind it, 1 + 2 + 3 places.
        DeadEndCase{"every position lost", {"#######", "#1a..E#", "#######"}, 6, 6},
        // Around the block below it, or push it left into the corner: both
        // finish (5 + 5 positions). Pushed right, it seals the flag: the
        // character's 5 places then are the dead ends.
        DeadEndCase{"one wrong push", {"######", "#1a.E#", "#...##", "######"}, 15, 5},
        // Filling the hole is the only way and nothing can go wrong: the start,
        // then the character on any of four cells beside the fallen block.
        DeadEndCase{"a hole to fill", {"#######", "#1a~.E#", "#######"}, 5, 0}));

TEST(Measures, TheLibraryRecordsDeadEndsBesideTheMoves) {
    std::vector<DrawnLevel> levels;
    std::string error;
    ASSERT_TRUE(parse_library("level One\nteaches x\nmoves 3\ndeadends 12\n#####\n#1.E#\n#####\n\n"
                              "level Two\nteaches y\n#####\n#1.E#\n#####\n",
                              levels, error))
        << error;
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].moves, 3);
    EXPECT_EQ(levels[0].dead_ends, 12);
    EXPECT_EQ(levels[1].dead_ends, -1);
}

struct RecordCase {
    const char* what;
    std::int64_t counted, recorded;
    bool holds;
};

class DeadEndRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(DeadEndRecords, HoldOnlyWhenCountedAndTheSame) {
    const RecordCase& c = GetParam();
    std::vector<LevelFacts> levels(3);
    for (LevelFacts& f : levels)
        f.dead_ends = f.recorded_dead_ends = 7;
    levels[1].dead_ends = c.counted, levels[1].recorded_dead_ends = c.recorded;
    EXPECT_EQ(check_dead_ends(levels).holds, c.holds) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Measures, DeadEndRecords,
                         ::testing::Values(RecordCase{"the same", 40, 40, true},
                                           RecordCase{"none, recorded as none", 0, 0, true},
                                           RecordCase{"recorded wrongly", 40, 41, false},
                                           RecordCase{"not recorded", 40, -1, false},
                                           RecordCase{"too many to count", -1, 40, false}));

} // namespace
