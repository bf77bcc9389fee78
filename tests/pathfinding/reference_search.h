// reference_search.h: a plain Dijkstra search over the path finder's cost
// model (entering a cell costs value / largest + 1, values of 0 or less are
// walls, four neighbours), in double precision, to check the planner against.
#pragma once

#include <cmath>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace reference {

// Entry cost of every cell, -1 for a wall.
inline std::vector<double> entry_costs(const std::vector<double>& values) {
    double largest = 0;
    for (double v : values) {
        if (std::isfinite(v) && v > largest) largest = v;
    }
    std::vector<double> costs(values.size(), -1.0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (std::isfinite(values[i]) && values[i] > 0) costs[i] = values[i] / largest + 1;
    }
    return costs;
}

// The cost of a cheapest path from the start to the goal (the start cell
// itself costs nothing), or -1 when the goal cannot be reached.
inline double cheapest_cost(const std::vector<double>& costs, int width, int height, int start_x,
                            int start_y, int goal_x, int goal_y) {
    using Entry = std::pair<double, int>;
    std::vector<double> best(costs.size(), INFINITY);
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    int start = start_x + width * start_y;
    int goal = goal_x + width * goal_y;
    best[start] = 0;
    queue.push({0.0, start});
    const int dx[4] = {0, 1, -1, 0};
    const int dy[4] = {-1, 0, 0, 1};
    while (!queue.empty()) {
        auto [d, cell] = queue.top();
        queue.pop();
        if (d > best[cell]) continue;
        if (cell == goal) return d;
        int x = cell % width;
        int y = cell / width;
        for (int k = 0; k < 4; ++k) {
            int nx = x + dx[k];
            int ny = y + dy[k];
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
            int next = nx + width * ny;
            if (costs[next] < 0 || d + costs[next] >= best[next]) continue;
            best[next] = d + costs[next];
            queue.push({best[next], next});
        }
    }
    return -1;
}

} // namespace reference
