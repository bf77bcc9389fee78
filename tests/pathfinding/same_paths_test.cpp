// same_paths_test.cpp: the planner and rt_find_path against the first sorted
// list search on random grids full of equal keys, comparing whole paths and
// the goal's cost and key bit for bit.
#include "pathfinding/pathfinding.h"
#include "pathfinding/sorted_list_planner.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using reference::PlannedPath;

struct TieGrid {
    int width = 0;
    int height = 0;
    std::vector<double> values; // x + width * y
    PlannerParams params;
};

// Cells of value 1 or 2 (so many paths cost the same) with a random share of
// walls, and a start and goal anywhere, the start possibly on a wall.
TieGrid tie_grid(std::mt19937& rng, int max_side) {
    std::uniform_int_distribution<int> side(1, max_side);
    TieGrid g;
    do {
        g.width = side(rng);
        g.height = side(rng);
    } while (g.width * g.height < 2);
    std::uniform_real_distribution<double> unit(0, 1);
    double walls = unit(rng) * 0.4;
    for (int i = 0; i < g.width * g.height; ++i)
        g.values.push_back(unit(rng) < walls ? 0 : 1 + static_cast<double>(rng() % 2));
    std::uniform_int_distribution<int> xs(0, g.width - 1);
    std::uniform_int_distribution<int> ys(0, g.height - 1);
    PlannerParams& p = g.params;
    p.start_x = xs(rng);
    p.start_y = ys(rng);
    p.goal_x = xs(rng);
    p.goal_y = ys(rng);
    p.width = g.width;
    p.height = g.height;
    p.hash_bits = static_cast<int>(rng() % 10);
    p.grid = g.values.data();
    return g;
}

PlannedPath planner_path(const PlannerParams& params) {
    PlannedPath result;
    AStarPlanner planner;
    if (!planner.init(params)) return result;
    planner.start();
    planner.search();
    const Node* goal = planner.goal_node();
    if (!goal) return result;
    for (const Node* n = goal; n; n = n->parent)
        result.cells.insert(result.cells.begin(), {n->x, n->y});
    result.goal_g = goal->g;
    result.goal_f = goal->f;
    return result;
}

std::string describe(const PlannedPath& path) {
    std::ostringstream text;
    for (auto [x, y] : path.cells)
        text << '(' << x << ',' << y << ')';
    return path.cells.empty() ? "none" : text.str();
}

std::string describe(const TieGrid& g) {
    std::ostringstream text;
    const PlannerParams& p = g.params;
    text << g.width << "x" << g.height << " from (" << p.start_x << "," << p.start_y << ") to ("
         << p.goal_x << "," << p.goal_y << ") weight " << p.weight << " diagonal "
         << int(p.allow_diagonal) << " sqrt2 " << int(p.diagonal_cost_sqrt2) << " pool "
         << p.node_capacity << " open " << p.open_capacity << "\n";
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x)
            text << g.values[x + g.width * y];
        text << "\n";
    }
    return text.str();
}

void expect_same(const PlannedPath& got, const PlannedPath& expected, const TieGrid& g) {
    ASSERT_EQ(got.cells, expected.cells)
        << "got " << describe(got) << "\nexpected " << describe(expected) << "\n"
        << describe(g);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(got.goal_g),
              std::bit_cast<std::uint32_t>(expected.goal_g))
        << describe(g);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(got.goal_f),
              std::bit_cast<std::uint32_t>(expected.goal_f))
        << describe(g);
}

struct Variant {
    const char* name;
    int max_side;
    int grids;
    bool small_capacities; // pools and open lists that may run out
};

void PrintTo(const Variant& v, std::ostream* out) {
    *out << v.name;
}

class SamePaths : public testing::TestWithParam<Variant> {};

// Every weight and diagonal setting on each grid, through the planner class.
TEST_P(SamePaths, PlannerMatchesTheSortedListSearch) {
    const Variant& v = GetParam();
    std::mt19937 rng(static_cast<unsigned>(v.max_side * 7919 + v.grids + v.small_capacities));
    for (int round = 0; round < v.grids; ++round) {
        TieGrid g = tie_grid(rng, v.max_side);
        for (float weight : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
            for (int diagonal = 0; diagonal < 4; ++diagonal) {
                g.params.weight = weight;
                g.params.allow_diagonal = diagonal & 1;
                g.params.diagonal_cost_sqrt2 = (diagonal >> 1) & 1;
                if (v.small_capacities) {
                    int cells = g.width * g.height;
                    g.params.node_capacity = 1 + static_cast<int>(rng() % cells);
                    g.params.open_capacity = 1 + static_cast<int>(rng() % cells);
                }
                PlannedPath expected = reference::SortedListPlanner().run(g.params);
                expect_same(planner_path(g.params), expected, g);
                if (testing::Test::HasFatalFailure()) return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PathFinder, SamePaths,
                         testing::Values(Variant{"small", 6, 3000, false},
                                         Variant{"medium", 16, 1500, false},
                                         Variant{"large", 48, 60, false},
                                         Variant{"running_out", 10, 1500, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// rt_find_path hands back the very cells the sorted list search finds with
// the built-in's own settings.
TEST(PathFinder, BuiltInMatchesTheSortedListSearch) {
    std::mt19937 rng(404);
    for (int round = 0; round < 2000; ++round) {
        TieGrid g = tie_grid(rng, 14);
        RtArray<double> grid;
        rt_dim(grid, g.width, g.height);
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x)
                rt_index(grid, x, y) = g.values[x + g.width * y];
        }
        for (double weight : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            g.params.weight = static_cast<float>(weight);
            g.params.allow_diagonal = 0;
            g.params.diagonal_cost_sqrt2 = 1;
            g.params.hash_bits = 8;
            PlannedPath expected = reference::SortedListPlanner().run(g.params);
            RtArray<double> result;
            double n = rt_find_path(grid, result, weight, g.params.start_x, g.params.start_y,
                                    g.params.goal_x, g.params.goal_y);
            PlannedPath got;
            for (int i = 0; i < static_cast<int>(n); ++i) {
                got.cells.emplace_back(static_cast<int>(rt_index(result, i, 0)),
                                       static_cast<int>(rt_index(result, i, 1)));
            }
            ASSERT_EQ(got.cells, expected.cells)
                << "got " << describe(got) << "\nexpected " << describe(expected) << "\n"
                << describe(g);
        }
    }
}

} // namespace
