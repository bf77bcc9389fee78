// measures.h: numbers that describe the level library as a whole: how much
// two rooms share, what each third of the library asks of the player and how
// hard the solver finds it.
#pragma once

#include "tools/leveltool/drawing.h"

#include <cstdint>
#include <string>
#include <vector>

struct BoardState;

// The share of two levels' walls in common: the board cells that are wall in
// both, divided by the cells that are wall in either (|A and B| / |A or B|).
// 1 for the same walls, 0 when no wall cell is shared (or neither has walls).
// Rows are the board rows as the game places them.
double wall_overlap(const std::vector<std::string>& a, const std::vector<std::string>& b);

// Two rooms whose walls share more than this are counted as one room repeated.
inline constexpr double kOverlapLimit = 0.70;

struct OverlapPair {
    int first = 0, second = 0; // 1-based level numbers, first < second
    double share = 0;
};

// Every pair of boards sharing more than the limit, in level order.
std::vector<OverlapPair> overlaps_above(const std::vector<std::vector<std::string>>& boards,
                                        double limit);

// What one level holds and what its fewest-move solution does.
struct LevelFacts {
    int doors = 0, characters = 0, blocks = 0, holes = 0; // from the drawing
    bool solved = false;
    int moves = -1;
    std::uint64_t explored = 0;           // positions the solver stored to prove it
    std::int64_t dead_ends = -1;          // reachable positions that cannot be finished, -1 unknown
    std::int64_t recorded_dead_ends = -1; // as the library records them, -1 when not
    bool turns_door = false, pushes_block = false, fills_hole = false;
};

// The counts of one board's drawing (18 x 20 rows).
void count_drawn(const std::vector<std::string>& rows, LevelFacts& facts);

// Plays the solution on a copy of the start and notes whether it turns a
// door, pushes a block and drops one into holes.
void note_solution_uses(const BoardState& start, const std::string& solution, LevelFacts& facts);

// A level that asks for everything at once: its fewest-move solution turns a
// door, pushes a block and fills a hole, and two or more characters must all
// reach the flag.
bool combines_everything(const LevelFacts& facts);

struct ThirdSummary {
    int first = 0, last = 0; // 1-based level numbers, inclusive
    int levels = 0;
    int with_doors = 0;
    int with_two_or_three_characters = 0;
    int combining_everything = 0;
    double median_explored = 0;
    // Of the levels whose dead ends are known (counted, else recorded).
    double median_dead_ends = 0;
};

// The library cut into three consecutive parts of (nearly) equal size; the
// later parts take the remainder.
std::vector<ThirdSummary> summarise_thirds(const std::vector<LevelFacts>& levels);

// The median of the values (the mean of the middle two for an even count), 0 for none.
double median(std::vector<std::uint64_t> values);

// The library's targets, each as a line saying whether it holds.
struct GoalCheck {
    std::string goal;
    bool holds = false;
};
std::vector<GoalCheck> check_goals(const std::vector<LevelFacts>& levels,
                                   const std::vector<ThirdSummary>& thirds,
                                   const std::vector<OverlapPair>& overlaps);

// With dead ends counted: every level has them counted and recorded alike.
GoalCheck check_dead_ends(const std::vector<LevelFacts>& levels);

// Solves every level file of the library, prints the table of measures and
// the goals; the result is 0 when every level is solved and every goal holds.
// Counting dead ends visits every reachable position of every level, several
// times the work of solving, so it is asked for separately; otherwise the
// table shows the recorded counts. With every above 1 only every such level
// (the first, then every-th after it) is measured and only its own goals are
// checked: a quick sample for slow builds.
int run_measures(const std::vector<DrawnLevel>& levels, const std::string& levlib_dir,
                 bool with_dead_ends, int every = 1);
