// find_path_test.cpp: rt_find_path seen from game code: known grids with known
// paths, refusals that must leave the result undimensioned, and random grids
// checked against a plain Dijkstra search.
#include "pathfinding/pathfinding.h"
#include "pathfinding/reference_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>;
using Path = std::vector<Cell>;

RtArray<double> make_grid(int width, int height, const std::vector<double>& values) {
    RtArray<double> grid;
    rt_dim(grid, width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            rt_index(grid, x, y) = values[x + width * y];
    }
    return grid;
}

// A result array that already holds something, so that a call that forgets
// to reset it cannot pass.
void prefill(RtArray<double>& result) {
    rt_dim(result, 3, 2);
    for (int i = 0; i < 3; ++i)
        rt_index(result, i, 0) = rt_index(result, i, 1) = 99;
}

Path read_path(const RtArray<double>& result, double n) {
    Path path;
    EXPECT_EQ(rt_bounds(result, 0), n);
    EXPECT_EQ(rt_bounds(result, 1), 2);
    for (int i = 0; i < static_cast<int>(n); ++i) {
        path.emplace_back(static_cast<int>(rt_index(result, i, 0)),
                          static_cast<int>(rt_index(result, i, 1)));
    }
    return path;
}

std::string describe(const Path& path) {
    std::ostringstream text;
    for (auto [x, y] : path)
        text << '(' << x << ',' << y << ')';
    return path.empty() ? "none" : text.str();
}

struct KnownCase {
    const char* name;
    int width;
    int height;
    std::vector<double> values;
    double weight;
    double start_x, start_y, goal_x, goal_y;
    Path expected; // empty: no path, result not dimensioned
};

// A cheap detour (top row) beside a dear straight road (middle row); the
// bottom row is wall. Cost alone takes the detour, distance alone goes straight.
const std::vector<double> kDetour = {1, 1, 1, 1, 1, 100, 100, 100, 100, 100, 0, 0, 0, 0, 0};
const Path kDetourPath = {{0, 1}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1}};
const Path kStraightPath = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}};

const KnownCase kKnownCases[] = {
    {"corridor", 3, 1, {5, 5, 5}, 0, 0, 0, 2, 0, {{0, 0}, {1, 0}, {2, 0}}},
    {"corridor_backwards", 3, 1, {5, 5, 5}, 0.5, 2, 0, 0, 0, {{2, 0}, {1, 0}, {0, 0}}},
    {"goal_walled_in", 3, 3, {1, 0, 1, 0, 1, 0, 1, 0, 1}, 0, 0, 0, 1, 1, {}},
    {"start_is_goal", 3, 1, {1, 1, 1}, 0, 1, 0, 1, 0, {}},
    {"start_is_goal_after_truncation", 3, 1, {1, 1, 1}, 0, 1.9, 0.5, 1, 0, {}},
    {"coordinates_truncated", 3, 1, {1, 1, 1}, 0, 0.9, 0.7, 2.2, 0.1, {{0, 0}, {1, 0}, {2, 0}}},
    // Equal keys: the cell inserted first (north before east before west
    // before south) is expanded first and becomes the parent.
    {"tie_goes_east_first", 2, 2, {1, 1, 1, 1}, 0, 0, 0, 1, 1, {{0, 0}, {1, 0}, {1, 1}}},
    {"tie_goes_north_first", 2, 2, {1, 1, 1, 1}, 0, 1, 1, 0, 0, {{1, 1}, {1, 0}, {0, 0}}},
    {"tie_north_then_east", 2, 2, {1, 1, 1, 1}, 1, 0, 1, 1, 0, {{0, 1}, {0, 0}, {1, 0}}},
    {"cost_takes_detour", 5, 3, kDetour, 0, 0, 1, 4, 1, kDetourPath},
    {"distance_goes_straight", 5, 3, kDetour, 1, 0, 1, 4, 1, kStraightPath},
    {"weight_above_one_is_one", 5, 3, kDetour, 2, 0, 1, 4, 1, kStraightPath},
    {"weight_below_zero_is_zero", 5, 3, kDetour, -1, 0, 1, 4, 1, kDetourPath},
    {"weight_nan_is_zero", 5, 3, kDetour, NAN, 0, 1, 4, 1, kDetourPath},
    {"walls_go_around",
     3,
     3,
     {1, 1, 1, 0, 0, 1, 1, 1, 1},
     0,
     0,
     2,
     0,
     0,
     {{0, 2}, {1, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}, {0, 0}}},
    // Weighted searches reach a cell a second time more cheaply: once after it
    // was closed, once while it is still open. Either way the cheaper way in
    // must be the one on the path.
    {"closed_cell_reached_again_cheaper",
     5,
     4,
     {7, 9, 6, 3, 2, 2, 8, 1, 4, 4, 9, 0, 0, 9, 6, 4, 6, 9, 1, 4},
     1,
     4,
     0,
     1,
     3,
     {{4, 0}, {3, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}, {0, 2}, {0, 3}, {1, 3}}},
    {"open_cell_reached_again_cheaper",
     4,
     4,
     {4, 3, 1, 6, 0, 0, 9, 1, 7, 3, 0, 3, 3, 6, 5, 3},
     1.0 / 3,
     0,
     0,
     1,
     3,
     {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}}},
    {"start_outside_left", 3, 1, {1, 1, 1}, 0, -1, 0, 2, 0, {}},
    {"start_outside_below", 3, 1, {1, 1, 1}, 0, 0, 1, 2, 0, {}},
    {"goal_outside_right", 3, 1, {1, 1, 1}, 0, 0, 0, 3, 0, {}},
    {"goal_beyond_integers", 3, 1, {1, 1, 1}, 0, 0, 0, 1e12, 0, {}},
    {"start_beyond_negative_integers", 3, 1, {1, 1, 1}, 0, -1e12, 0, 2, 0, {}},
    {"start_not_a_number", 3, 1, {1, 1, 1}, 0, NAN, 0, 2, 0, {}},
    {"no_passable_cell", 3, 1, {0, -2, 0}, 0, 0, 0, 2, 0, {}},
    {"non_finite_cells_are_walls", 3, 1, {1, INFINITY, 1}, 0, 0, 0, 2, 0, {}},
};

class KnownGrids : public testing::TestWithParam<KnownCase> {};

TEST_P(KnownGrids, FindsTheExpectedPath) {
    const KnownCase& c = GetParam();
    RtArray<double> grid = make_grid(c.width, c.height, c.values);
    RtArray<double> result;
    prefill(result);
    double n = rt_find_path(grid, result, c.weight, c.start_x, c.start_y, c.goal_x, c.goal_y);
    ASSERT_EQ(n, static_cast<double>(c.expected.size()));
    if (c.expected.empty()) {
        EXPECT_EQ(rt_bounds(result, 0), 0) << "result must be left not dimensioned";
        return;
    }
    Path path = read_path(result, n);
    EXPECT_EQ(path, c.expected) << "got " << describe(path) << ", expected "
                                << describe(c.expected);
}

INSTANTIATE_TEST_SUITE_P(PathFinder, KnownGrids, testing::ValuesIn(kKnownCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PathFinder, GridsWithoutTwoDimensionsHaveNoPath) {
    RtArray<double> result;
    RtArray<double> never_sized;
    prefill(result);
    EXPECT_EQ(rt_find_path(never_sized, result, 0, 0, 0, 1, 0), 0);
    EXPECT_EQ(rt_bounds(result, 0), 0);

    RtArray<double> row;
    rt_dim(row, 5);
    for (int i = 0; i < 5; ++i)
        rt_index(row, i) = 1;
    prefill(result);
    EXPECT_EQ(rt_find_path(row, result, 0, 0, 0, 4, 0), 0);
    EXPECT_EQ(rt_bounds(result, 0), 0);
}

TEST(PathFinder, GridMayReceiveItsOwnPath) {
    RtArray<double> grid = make_grid(3, 1, {1, 1, 1});
    ASSERT_EQ(rt_find_path(grid, grid, 0, 0, 0, 2, 0), 3);
    EXPECT_EQ(read_path(grid, 3), (Path{{0, 0}, {1, 0}, {2, 0}}));
}

// ---------------------------------------------------------------- random grids

struct RandomGrid {
    int width;
    int height;
    std::vector<double> values;
    Cell start;
    Cell goal;
};

RandomGrid random_grid(std::mt19937& rng) {
    std::uniform_int_distribution<int> size(1, 24);
    RandomGrid g;
    do {
        g.width = size(rng);
        g.height = size(rng);
    } while (g.width * g.height < 2);
    std::uniform_real_distribution<double> unit(0, 1);
    double walls = unit(rng) * 0.45;
    for (int i = 0; i < g.width * g.height; ++i) {
        g.values.push_back(unit(rng) < walls ? 0 : std::floor(unit(rng) * 9) + 1);
    }
    std::uniform_int_distribution<int> xs(0, g.width - 1);
    std::uniform_int_distribution<int> ys(0, g.height - 1);
    do {
        g.start = {xs(rng), ys(rng)};
        g.goal = {xs(rng), ys(rng)};
    } while (g.start == g.goal);
    return g;
}

// Checks that the path runs from start to goal in unit steps over passable
// cells (the start cell itself may be a wall) without visiting a cell twice,
// and returns its cost.
double check_path(const RandomGrid& g, const std::vector<double>& costs, const Path& path) {
    EXPECT_EQ(path.front(), g.start);
    EXPECT_EQ(path.back(), g.goal);
    std::set<Cell> seen(path.begin(), path.end());
    EXPECT_EQ(seen.size(), path.size()) << "a cell is visited twice: " << describe(path);
    double total = 0;
    for (std::size_t i = 1; i < path.size(); ++i) {
        auto [x, y] = path[i];
        int step = std::abs(x - path[i - 1].first) + std::abs(y - path[i - 1].second);
        EXPECT_EQ(step, 1) << "broken step in " << describe(path);
        EXPECT_TRUE(x >= 0 && y >= 0 && x < g.width && y < g.height) << describe(path);
        double c = costs[x + g.width * y];
        EXPECT_GT(c, 0) << "walks through a wall at (" << x << "," << y << ")";
        total += c;
    }
    return total;
}

class RandomGrids : public testing::TestWithParam<unsigned> {};

TEST_P(RandomGrids, AgreeWithDijkstra) {
    std::mt19937 rng(GetParam());
    for (int round = 0; round < 40; ++round) {
        RandomGrid g = random_grid(rng);
        std::vector<double> costs = reference::entry_costs(g.values);
        double best = reference::cheapest_cost(costs, g.width, g.height, g.start.first,
                                               g.start.second, g.goal.first, g.goal.second);
        RtArray<double> grid = make_grid(g.width, g.height, g.values);
        for (double weight : {0.0, 0.3, 0.5, 1.0}) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", " << g.width << "x"
                                            << g.height << ", weight " << weight);
            RtArray<double> result;
            double n = rt_find_path(grid, result, weight, g.start.first, g.start.second,
                                    g.goal.first, g.goal.second);
            ASSERT_EQ(n > 0, best >= 0) << "reachability differs from Dijkstra";
            if (n == 0) continue;
            double cost = check_path(g, costs, read_path(result, n));
            if (weight == 0) {
                EXPECT_NEAR(cost, best, 1e-4 * best) << "weight 0 must be optimal";
            }
            EXPECT_GE(cost, best - 1e-4 * best);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PathFinder, RandomGrids, testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

} // namespace
