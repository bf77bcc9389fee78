// bench_pathfinding.cpp: the time of rt_find_path from corner to corner on
// open and maze-like grids, beside a Dijkstra search with a binary heap over
// the same costs. The ratio between the two is what the planner's exact tie
// order (keys with insertion sequence, reopened closed cells) costs.
#include "pathfinding/pathfinding.h"
#include "pathfinding/reference_search.h"

#include <benchmark/benchmark.h>

#include <random>
#include <utility>
#include <vector>

namespace {

enum GridKind { kOpen = 0, kMaze = 1 };

struct BenchGrid {
    int size;
    std::vector<double> values; // x + size * y
    int goal;                   // the goal is (goal, goal), the start (0, 0)
};

// Every cell passable, values 1..9.
BenchGrid open_grid(int size, std::mt19937& rng) {
    BenchGrid g{size, std::vector<double>(static_cast<std::size_t>(size) * size), size - 1};
    for (double& v : g.values)
        v = 1 + static_cast<double>(rng() % 9);
    return g;
}

// A perfect maze carved by a depth-first walk over the cells at even
// coordinates, so the one way from corner to corner winds through most of it.
BenchGrid maze_grid(int size, std::mt19937& rng) {
    BenchGrid g{size, std::vector<double>(static_cast<std::size_t>(size) * size, 0), 0};
    int cells = (size + 1) / 2;
    g.goal = 2 * (cells - 1);
    auto open = [&](int x, int y) { g.values[x + size * y] = 1 + static_cast<double>(rng() % 9); };
    std::vector<std::pair<int, int>> stack = {{0, 0}};
    open(0, 0);
    const int dx[4] = {2, -2, 0, 0};
    const int dy[4] = {0, 0, 2, -2};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        int choices[4];
        int count = 0;
        for (int k = 0; k < 4; ++k) {
            int nx = x + dx[k];
            int ny = y + dy[k];
            if (nx >= 0 && ny >= 0 && nx < size && ny < size && g.values[nx + size * ny] == 0)
                choices[count++] = k;
        }
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        int k = choices[rng() % count];
        open(x + dx[k] / 2, y + dy[k] / 2);
        open(x + dx[k], y + dy[k]);
        stack.push_back({x + dx[k], y + dy[k]});
    }
    return g;
}

BenchGrid make_grid(int kind, int size) {
    std::mt19937 rng(2026);
    return kind == kMaze ? maze_grid(size, rng) : open_grid(size, rng);
}

const char* kind_name(int kind) {
    return kind == kMaze ? "maze" : "open";
}

// Arguments: grid kind, size, weight in hundredths.
void BM_FindPath(benchmark::State& state) {
    BenchGrid g = make_grid(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    RtArray<double> grid;
    rt_dim(grid, g.size, g.size);
    for (int y = 0; y < g.size; ++y) {
        for (int x = 0; x < g.size; ++x)
            rt_index(grid, x, y) = g.values[x + g.size * y];
    }
    double weight = static_cast<double>(state.range(2)) / 100;
    RtArray<double> result;
    double cells = 0;
    for (auto _ : state) {
        cells = rt_find_path(grid, result, weight, 0, 0, g.goal, g.goal);
        benchmark::DoNotOptimize(cells);
    }
    state.counters["path_cells"] = cells;
    state.SetLabel(kind_name(static_cast<int>(state.range(0))));
}

// The planner with rt_find_path's settings except a closed set of 2^16
// buckets, so that every cell of a 256 x 256 grid has a bucket of its own.
// Beside BM_FindPath this separates the cost of the closed set's chains from
// that of the open list. Arguments: grid kind, size, weight in hundredths.
void BM_PlannerWideHash(benchmark::State& state) {
    BenchGrid g = make_grid(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    PlannerParams params;
    params.goal_x = params.goal_y = g.goal;
    params.diagonal_cost_sqrt2 = 1;
    params.hash_bits = 16;
    params.weight = static_cast<float>(state.range(2)) / 100;
    params.width = params.height = g.size;
    params.grid = g.values.data();
    bool found = false;
    for (auto _ : state) {
        AStarPlanner planner;
        planner.init(params);
        planner.start();
        planner.search();
        found = planner.goal_node() != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
    state.SetLabel(kind_name(static_cast<int>(state.range(0))));
}

// Arguments: grid kind, size.
void BM_Dijkstra(benchmark::State& state) {
    BenchGrid g = make_grid(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    double cost = 0;
    for (auto _ : state) {
        // Converting the costs is part of the work, as it is for rt_find_path.
        std::vector<double> costs = reference::entry_costs(g.values);
        cost = reference::cheapest_cost(costs, g.size, g.size, 0, 0, g.goal, g.goal);
        benchmark::DoNotOptimize(cost);
    }
    state.counters["path_cost"] = cost;
    state.SetLabel(kind_name(static_cast<int>(state.range(0))));
}

} // namespace

BENCHMARK(BM_FindPath)
    ->ArgNames({"kind", "size", "weight"})
    ->ArgsProduct({{kOpen, kMaze}, {64, 256}, {0, 50, 100}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlannerWideHash)
    ->ArgNames({"kind", "size", "weight"})
    ->ArgsProduct({{kOpen, kMaze}, {64, 256}, {0}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Dijkstra)
    ->ArgNames({"kind", "size"})
    ->ArgsProduct({{kOpen, kMaze}, {64, 256}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
