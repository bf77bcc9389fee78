// The level library's measures: shared walls between rooms, the counts per
// third, the median, the targets, and what a solution is seen to do.
#include "leveltool_boards.h"

#include "game/solver/solver.h"
#include "tools/leveltool/measures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using Rows = std::vector<std::string>;

struct OverlapCase {
    const char* what;
    Rows a, b;
    double share;
};

class WallOverlap : public ::testing::TestWithParam<OverlapCase> {};

TEST_P(WallOverlap, SharedWallsOverWallsOfEither) {
    const OverlapCase& c = GetParam();
    EXPECT_DOUBLE_EQ(wall_overlap(c.a, c.b), c.share) << c.what;
    EXPECT_DOUBLE_EQ(wall_overlap(c.b, c.a), c.share) << c.what << " (swapped)";
}

INSTANTIATE_TEST_SUITE_P(
    Measures, WallOverlap,
    ::testing::Values(OverlapCase{"the same room", {"###", "#.#", "###"}, {"###", "#.#", "###"}, 1},
                      OverlapCase{"no wall in common", {"##..", "##.."}, {"..##", "..##"}, 0},
                      // 2 shared of 4 + 2 - 2 = 4 cells in either.
                      OverlapCase{"half shared", {"####"}, {"##.."}, 0.5},
                      OverlapCase{"neither has walls", {"..."}, {"..."}, 0},
                      // Only cells on the same board cell count, not the same shape.
                      OverlapCase{"the same wall moved by one", {"##.."}, {".##."}, 1.0 / 3},
                      OverlapCase{"rows of different lengths", {"##", "#"}, {"##", "##"}, 0.75},
                      OverlapCase{"doors and blocks are no walls", {"#+a"}, {"#+a"}, 1}));

TEST(Measures, OverlapsAboveTheLimitArePairsOfLevelNumbers) {
    std::vector<Rows> boards = {
        {"##########"}, // 10 walls
        {"#########."}, // 9 of level 1's 10: 90 %
        {"#######..."}, // 7 of level 1's 10 (exactly 70 %: not above), 7 of 9 with level 2
        {"..........", "##########"},
    };
    std::vector<OverlapPair> pairs = overlaps_above(boards, kOverlapLimit);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, 1);
    EXPECT_EQ(pairs[0].second, 2);
    EXPECT_DOUBLE_EQ(pairs[0].share, 0.9);
    EXPECT_EQ(pairs[1].first, 2);
    EXPECT_EQ(pairs[1].second, 3);
    EXPECT_NEAR(pairs[1].share, 7.0 / 9, 1e-12);
}

TEST(Measures, CountsOfADrawing) {
    LevelFacts f;
    f.doors = 9; // counts start again
    count_drawn({"#1.aa.b~  ", "#2.aa.c~+-", "#..E..d~|."}, f);
    EXPECT_EQ(f.doors, 1);
    EXPECT_EQ(f.characters, 2);
    // The 2 x 2 block "a" is one block; "b", "c", "d" touch but differ.
    EXPECT_EQ(f.blocks, 4);
    // The outside (blanks) is no hole the player sees.
    EXPECT_EQ(f.holes, 3);
}

struct MedianCase {
    std::vector<std::uint64_t> values;
    double median;
};

class Median : public ::testing::TestWithParam<MedianCase> {};

TEST_P(Median, OfUnsortedValues) {
    EXPECT_DOUBLE_EQ(median(GetParam().values), GetParam().median);
}

INSTANTIATE_TEST_SUITE_P(Measures, Median,
                         ::testing::Values(MedianCase{{}, 0}, MedianCase{{7}, 7},
                                           MedianCase{{9, 1, 5}, 5}, MedianCase{{10, 1, 4, 2}, 3},
                                           MedianCase{{3, 3, 100, 3}, 3}));

LevelFacts level(int doors, int characters, std::uint64_t explored) {
    LevelFacts f;
    f.doors = doors, f.characters = characters, f.explored = explored, f.solved = true;
    return f;
}

LevelFacts combining(std::uint64_t explored) {
    LevelFacts f = level(1, 2, explored);
    f.turns_door = f.pushes_block = f.fills_hole = true;
    return f;
}

TEST(Measures, ThirdsTakeTheRemainderLateAndCountWhatTheyHold) {
    // Seven levels: thirds of 2, 2 and 3 levels.
    std::vector<LevelFacts> levels = {level(0, 1, 10), level(1, 1, 30), level(0, 2, 50),
                                      level(1, 4, 70), level(1, 3, 1),  combining(900),
                                      level(0, 1, 100)};
    std::vector<ThirdSummary> t = summarise_thirds(levels);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].first, 1);
    EXPECT_EQ(t[0].last, 2);
    EXPECT_EQ(t[1].first, 3);
    EXPECT_EQ(t[1].last, 4);
    EXPECT_EQ(t[2].first, 5);
    EXPECT_EQ(t[2].last, 7);
    EXPECT_EQ(t[2].levels, 3);
    EXPECT_DOUBLE_EQ(t[0].median_explored, 20);
    EXPECT_DOUBLE_EQ(t[2].median_explored, 100);
    EXPECT_EQ(t[0].with_doors, 1);
    EXPECT_EQ(t[2].with_doors, 2);
    // Four characters are more than "two or three".
    EXPECT_EQ(t[1].with_two_or_three_characters, 1);
    EXPECT_EQ(t[2].with_two_or_three_characters, 2);
    EXPECT_EQ(t[2].combining_everything, 1);
}

TEST(Measures, MedianDeadEndsOfAThirdPreferCountsToRecordsAndSkipTheUnknown) {
    std::vector<LevelFacts> levels(6);
    levels[0].dead_ends = 4, levels[0].recorded_dead_ends = 99; // counted wins
    levels[1].recorded_dead_ends = 8;                           // recorded only
    levels[2].dead_ends = 10; // the middle third: one known, one unknown
    levels[4].recorded_dead_ends = 1, levels[5].dead_ends = 3;
    std::vector<ThirdSummary> t = summarise_thirds(levels);
    EXPECT_DOUBLE_EQ(t[0].median_dead_ends, 6);
    EXPECT_DOUBLE_EQ(t[1].median_dead_ends, 10);
    EXPECT_DOUBLE_EQ(t[2].median_dead_ends, 2);
}

struct CombineCase {
    const char* what;
    bool door, push, fill;
    int characters;
    bool combines;
};

class Combines : public ::testing::TestWithParam<CombineCase> {};

TEST_P(Combines, NeedsEveryIdeaAndTwoCharacters) {
    const CombineCase& c = GetParam();
    LevelFacts f;
    f.turns_door = c.door, f.pushes_block = c.push, f.fills_hole = c.fill;
    f.characters = c.characters;
    EXPECT_EQ(combines_everything(f), c.combines) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Measures, Combines,
    ::testing::Values(CombineCase{"everything", true, true, true, 2, true},
                      CombineCase{"three characters", true, true, true, 3, true},
                      CombineCase{"one character", true, true, true, 1, false},
                      CombineCase{"no door turned", false, true, true, 2, false},
                      CombineCase{"no push", true, false, true, 2, false},
                      CombineCase{"no hole filled", true, true, false, 2, false}));

// A library of 60 levels that meets every target: effort rising per third,
// doors in every level of the last third, three of them combining everything.
std::vector<LevelFacts> good_library() {
    std::vector<LevelFacts> levels;
    for (int i = 0; i < 60; ++i)
        levels.push_back(i < 20 ? level(0, 1, 10) : i < 40 ? level(0, 1, 100) : level(1, 1, 1000));
    for (int i = 40; i < 47; ++i)
        levels[i] = combining(1000);
    return levels;
}

bool goal_holds(const std::vector<LevelFacts>& levels, const std::vector<OverlapPair>& overlaps,
                const std::string& start) {
    for (const GoalCheck& g : check_goals(levels, summarise_thirds(levels), overlaps))
        if (g.goal.compare(0, start.size(), start) == 0) return g.holds;
    ADD_FAILURE() << "no goal starting \"" << start << "\"";
    return false;
}

TEST(Measures, AGoodLibraryMeetsEveryGoal) {
    std::vector<LevelFacts> levels = good_library();
    for (const GoalCheck& g : check_goals(levels, summarise_thirds(levels), {}))
        EXPECT_TRUE(g.holds) << g.goal;
}

struct GoalCase {
    const char* goal; // how the goal's text starts
    void (*spoil)(std::vector<LevelFacts>&, std::vector<OverlapPair>&);
};

class Goals : public ::testing::TestWithParam<GoalCase> {};

TEST_P(Goals, EachFailsOnItsOwnFault) {
    std::vector<LevelFacts> levels = good_library();
    std::vector<OverlapPair> overlaps;
    GetParam().spoil(levels, overlaps);
    EXPECT_FALSE(goal_holds(levels, overlaps, GetParam().goal));
}

INSTANTIATE_TEST_SUITE_P(
    Measures, Goals,
    ::testing::Values(GoalCase{"at least 60", [](auto& l, auto&) { l.pop_back(); }},
                      GoalCase{"every level solved", [](auto& l, auto&) { l[30].solved = false; }},
                      GoalCase{"no two levels",
                               [](auto&, auto& o) {
                                   o.push_back({3, 9, 0.71});
                               }},
                      GoalCase{"doors in at least half",
                               [](auto& l, auto&) {
                                   for (int i = 49; i < 60; ++i)
                                       l[i].doors = 0; // 9 of 20 left
                               }},
                      GoalCase{"two or three characters",
                               [](auto& l, auto&) {
                                   for (int i = 43; i < 47; ++i)
                                       l[i].characters = 4; // 3 of 20 left
                               }},
                      GoalCase{"at least three levels",
                               [](auto& l, auto&) {
                                   for (int i = 42; i < 47; ++i)
                                       l[i].fills_hole = false;
                               }},
                      GoalCase{"the median explored", [](auto& l, auto&) {
                                   for (int i = 20; i < 40; ++i)
                                       l[i].explored =
                                           10; // the middle third no harder than the first
                               }}));

// A drawing solved through the solver, and what its solution does.
LevelFacts solved_facts(const Rows& rows) {
    BoardState board = leveltool_test::board_of_drawing(rows);
    solver::SolveResult r = solver::solve_board(board);
    EXPECT_EQ(r.outcome, solver::SolveOutcome::kSolved);
    LevelFacts f;
    note_solution_uses(board, r.solution, f);
    return f;
}

struct UsesCase {
    const char* what;
    Rows rows;
    bool door, push, fill;
};

class SolutionUses : public ::testing::TestWithParam<UsesCase> {};

TEST_P(SolutionUses, SeenInTheReplay) {
    const UsesCase& c = GetParam();
    LevelFacts f = solved_facts(c.rows);
    EXPECT_EQ(f.turns_door, c.door) << c.what;
    EXPECT_EQ(f.pushes_block, c.push) << c.what;
    EXPECT_EQ(f.fills_hole, c.fill) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Measures, SolutionUses,
    ::testing::Values(
        UsesCase{"a walk", {"#####", "#1.E#", "#####"}, false, false, false},
        UsesCase{"a push", {"######", "#1a..#", "###.##", "###E##", "######"}, false, true, false},
        UsesCase{"a push into a hole", {"#######", "#1a~.E#", "#######"}, false, true, true},
        // The only way on is through the door's arm.
        UsesCase{"a door", {"######", "#1|.E#", "##+..#", "######"}, true, false, false},
        // Its four arms stand where they stood before: only the two-cell step tells.
        UsesCase{"a door with four arms",
                 {"#######", "#1.####", "#..|.E#", "#.-+-.#", "#..|..#", "#######"},
                 true,
                 false,
                 false}));

} // namespace
