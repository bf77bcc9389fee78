// measures.cpp: the library's measures (shared walls, doors and characters
// per third, solver effort, dead ends) and the targets they are held to.
#include "tools/leveltool/measures.h"

#include "game/rules/board.h"
#include "game/solver/solver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Beyond this many reachable positions a level's dead ends are left uncounted.
constexpr std::uint64_t kMaxDeadEndPositions = 4'000'000;

int count_of(const auto& array) {
    return static_cast<int>(rt_bounds(array, 0));
}

bool is_wall(const std::vector<std::string>& rows, size_t y, size_t x) {
    return y < rows.size() && x < rows[y].size() && rows[y][x] == '#';
}

bool arms_changed(const BoardState& before, const BoardState& after) {
    for (int d = 0; d < count_of(after.doors); ++d)
        for (int arm = 0; arm < 4; ++arm)
            if (rt_index(rt_index(before.doors, d).arms, arm) !=
                rt_index(rt_index(after.doors, d).arms, arm))
                return true;
    return false;
}

// A door with four arms has the same arms after a turn and its angle is back
// at rest; but only a door turn carries a character two cells in one step.
bool any_door_turned(const BoardState& before, const BoardState& after) {
    if (arms_changed(before, after)) return true;
    if (count_of(before.characters) != count_of(after.characters)) return false;
    for (int c = 0; c < count_of(after.characters); ++c) {
        const Mover &was = rt_index(before.characters, c).m, &is = rt_index(after.characters, c).m;
        if (std::abs(is.x - was.x) + std::abs(is.y - was.y) == 2) return true;
    }
    return false;
}

bool any_block_moved(const BoardState& before, const BoardState& after) {
    for (int b = 0; b < count_of(after.blocks); ++b) {
        const Mover &was = rt_index(before.blocks, b).m, &is = rt_index(after.blocks, b).m;
        if (was.x != is.x || was.y != is.y) return true;
    }
    return false;
}

bool any_hole_filled(const BoardState& before, const BoardState& after) {
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            if (rt_index(before.terrain, x, y) != 0 && rt_index(after.terrain, x, y) == 0)
                return true;
    return false;
}

// A level's name and the numbers the table of measures shows for it.
void print_level(int number, const DrawnLevel& level, const LevelFacts& f) {
    std::string uses = std::string(f.turns_door ? "door " : "") + (f.pushes_block ? "push " : "") +
                       (f.fills_hole ? "fill " : "");
    std::int64_t shown = f.dead_ends >= 0 ? f.dead_ends : f.recorded_dead_ends;
    std::string dead = shown >= 0 ? std::to_string(shown) : "?";
    std::printf("%5d %6d %10llu %10s %5d %5d %6d %5d  %-15s %s\n", number, f.moves,
                static_cast<unsigned long long>(f.explored), dead.c_str(), f.doors, f.characters,
                f.blocks, f.holes, uses.c_str(), level.name.c_str());
}

void print_thirds(const std::vector<ThirdSummary>& thirds) {
    std::printf("\nthird   levels  doors  2-3 characters  everything  median explored  "
                "median dead ends\n");
    for (const ThirdSummary& t : thirds)
        std::printf("%2d-%-3d  %6d  %5d  %14d  %10d  %15.0f  %16.0f\n", t.first, t.last, t.levels,
                    t.with_doors, t.with_two_or_three_characters, t.combining_everything,
                    t.median_explored, t.median_dead_ends);
}

void print_overlaps(const std::vector<OverlapPair>& overlaps) {
    std::printf("\nwall overlap |A and B| / |A or B| over %.0f %%: %zu pairs\n",
                kOverlapLimit * 100, overlaps.size());
    for (const OverlapPair& p : overlaps)
        std::printf("  levels %d and %d: %.0f %%\n", p.first, p.second, p.share * 100);
}

// The facts of one level: its drawing, then its file solved and replayed.
LevelFacts measure_level(const DrawnLevel& level, const std::string& file, bool dead_ends,
                         std::string& error) {
    LevelFacts f;
    f.recorded_dead_ends = level.dead_ends;
    std::vector<std::string> rows;
    if (!board_rows(level, rows, error)) return f;
    count_drawn(rows, f);
    BoardState board;
    if (!solver::load_level_board(file, board, &error)) return f;
    solver::SolveResult r = solver::solve_board(board);
    f.explored = r.states;
    f.solved = r.outcome == solver::SolveOutcome::kSolved;
    if (!f.solved) return error = solver::outcome_name(r.outcome), f;
    f.moves = r.moves;
    note_solution_uses(board, r.solution, f);
    if (!dead_ends) return f;
    solver::SolveLimits limits;
    limits.max_states = kMaxDeadEndPositions;
    solver::DeadEndCount dead = solver::count_dead_ends(board, limits);
    if (dead.outcome == solver::SolveOutcome::kSolved)
        f.dead_ends = static_cast<std::int64_t>(dead.dead_ends);
    return f;
}

} // namespace

double wall_overlap(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    int shared = 0, either = 0;
    for (size_t y = 0; y < std::max(a.size(), b.size()); ++y) {
        size_t width = std::max(y < a.size() ? a[y].size() : 0, y < b.size() ? b[y].size() : 0);
        for (size_t x = 0; x < width; ++x) {
            bool in_a = is_wall(a, y, x), in_b = is_wall(b, y, x);
            shared += in_a && in_b;
            either += in_a || in_b;
        }
    }
    return either == 0 ? 0 : static_cast<double>(shared) / either;
}

std::vector<OverlapPair> overlaps_above(const std::vector<std::vector<std::string>>& boards,
                                        double limit) {
    std::vector<OverlapPair> pairs;
    for (size_t i = 0; i < boards.size(); ++i)
        for (size_t j = i + 1; j < boards.size(); ++j) {
            double share = wall_overlap(boards[i], boards[j]);
            if (share > limit)
                pairs.push_back({static_cast<int>(i) + 1, static_cast<int>(j) + 1, share});
        }
    return pairs;
}

void count_drawn(const std::vector<std::string>& rows, LevelFacts& facts) {
    facts.doors = facts.characters = facts.holes = 0;
    // Blocks are counted by their top-left cell: the cell above and the cell
    // to the left hold another letter.
    facts.blocks = 0;
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            char c = rows[y][x];
            facts.doors += c == '+';
            facts.characters += c >= '1' && c <= '5';
            facts.holes += c == '~';
            bool block = c >= 'a' && c <= 'z';
            bool above = y > 0 && rows[y - 1][x] == c, left = x > 0 && rows[y][x - 1] == c;
            facts.blocks += block && !above && !left;
        }
}

void note_solution_uses(const BoardState& start, const std::string& solution, LevelFacts& facts) {
    BoardState board = start, before = start;
    solver::replay_moves(board, solution, [&](const BoardState& now, char) {
        facts.turns_door = facts.turns_door || any_door_turned(before, now);
        facts.pushes_block = facts.pushes_block || any_block_moved(before, now);
        facts.fills_hole = facts.fills_hole || any_hole_filled(before, now);
        before = now;
    });
}

bool combines_everything(const LevelFacts& f) {
    return f.turns_door && f.pushes_block && f.fills_hole && f.characters >= 2;
}

double median(std::vector<std::uint64_t> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? static_cast<double>(values[n / 2])
                 : (static_cast<double>(values[n / 2 - 1]) + values[n / 2]) / 2;
}

std::vector<ThirdSummary> summarise_thirds(const std::vector<LevelFacts>& levels) {
    std::vector<ThirdSummary> thirds;
    size_t n = levels.size();
    for (size_t t = 0; t < 3; ++t) {
        // Boundaries rounded down, so the later thirds take the remainder.
        size_t first = t * n / 3, last = (t + 1) * n / 3;
        ThirdSummary s;
        s.first = static_cast<int>(first) + 1, s.last = static_cast<int>(last);
        std::vector<std::uint64_t> explored, dead;
        for (size_t i = first; i < last; ++i) {
            const LevelFacts& f = levels[i];
            ++s.levels;
            s.with_doors += f.doors > 0;
            s.with_two_or_three_characters += f.characters == 2 || f.characters == 3;
            s.combining_everything += combines_everything(f);
            explored.push_back(f.explored);
            std::int64_t known = f.dead_ends >= 0 ? f.dead_ends : f.recorded_dead_ends;
            if (known >= 0) dead.push_back(static_cast<std::uint64_t>(known));
        }
        s.median_explored = median(explored);
        s.median_dead_ends = median(dead);
        thirds.push_back(s);
    }
    return thirds;
}

std::vector<GoalCheck> check_goals(const std::vector<LevelFacts>& levels,
                                   const std::vector<ThirdSummary>& thirds,
                                   const std::vector<OverlapPair>& overlaps) {
    bool all_solved =
        std::all_of(levels.begin(), levels.end(), [](const LevelFacts& f) { return f.solved; });
    const ThirdSummary& last = thirds.back();
    bool rising = thirds.size() == 3 && thirds[0].median_explored < thirds[1].median_explored &&
                  thirds[1].median_explored < thirds[2].median_explored;
    return {
        {"at least 60 levels", levels.size() >= 60},
        {"every level solved", all_solved},
        {"no two levels share more than 70 % of their walls", overlaps.empty()},
        {"doors in at least half the last third", last.with_doors * 2 >= last.levels},
        {"two or three characters in at least a third of the last third",
         last.with_two_or_three_characters * 3 >= last.levels},
        {"at least three levels of the last third need doors, blocks, holes and characters",
         last.combining_everything >= 3},
        {"the median explored positions rise from third to third", rising},
    };
}

GoalCheck check_dead_ends(const std::vector<LevelFacts>& levels) {
    bool same = std::all_of(levels.begin(), levels.end(), [](const LevelFacts& f) {
        return f.dead_ends >= 0 && f.dead_ends == f.recorded_dead_ends;
    });
    return {"every level's dead ends counted and as recorded", same};
}

int run_measures(const std::vector<DrawnLevel>& levels, const std::string& levlib_dir,
                 bool with_dead_ends, int every) {
    std::vector<LevelFacts> facts;
    std::vector<std::vector<std::string>> boards;
    std::printf("level  moves   explored  dead-ends doors chars blocks holes  solution uses\n");
    size_t step = every > 1 ? static_cast<size_t>(every) : 1;
    for (size_t i = 0; i < levels.size(); i += step) {
        std::string error, file = levlib_dir + "/QLEV" + std::to_string(i + 1) + ".CMD";
        facts.push_back(measure_level(levels[i], file, with_dead_ends, error));
        boards.emplace_back();
        board_rows(levels[i], boards.back(), error);
        if (!error.empty()) std::printf("level %zu: %s\n", i + 1, error.c_str());
        print_level(static_cast<int>(i) + 1, levels[i], facts.back());
    }
    std::vector<GoalCheck> goals;
    if (step == 1) {
        std::vector<OverlapPair> overlaps = overlaps_above(boards, kOverlapLimit);
        std::vector<ThirdSummary> thirds = summarise_thirds(facts);
        print_thirds(thirds);
        print_overlaps(overlaps);
        goals = check_goals(facts, thirds, overlaps);
    } else {
        // A sample says nothing about the library as a whole (its thirds, its
        // overlaps), only about the levels it holds.
        bool solved =
            std::all_of(facts.begin(), facts.end(), [](const LevelFacts& f) { return f.solved; });
        goals.push_back({"every level of the sample solved", solved});
    }
    bool ok = true;
    std::printf("\n");
    if (with_dead_ends) goals.push_back(check_dead_ends(facts));
    for (const GoalCheck& g : goals) {
        std::printf("%s %s\n", g.holds ? "holds: " : "FAILS: ", g.goal.c_str());
        ok = ok && g.holds;
    }
    return ok ? 0 : 1;
}
