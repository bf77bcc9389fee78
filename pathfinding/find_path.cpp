// find_path.cpp: rt_find_path, the built-in that runs one A* search over a
// game array and hands the path back as an n x 2 array.
#include "pathfinding/pathfinding.h"

#include <cmath>

namespace {

// Truncates a game number to a cell coordinate. Numbers beyond the integer
// range (or not numbers at all) give -1, which lies outside every grid.
std::int32_t cell_coordinate(double value) {
    double t = std::trunc(value);
    if (!(t >= 0 && t <= 2147483647.0)) return -1;
    return static_cast<std::int32_t>(t);
}

PlannerParams params_for(const RtArray<double>& grid, double weight, double start_x, double start_y,
                         double goal_x, double goal_y) {
    PlannerParams params;
    params.start_x = cell_coordinate(start_x);
    params.start_y = cell_coordinate(start_y);
    params.goal_x = cell_coordinate(goal_x);
    params.goal_y = cell_coordinate(goal_y);
    params.diagonal_cost_sqrt2 = 1;
    params.allow_diagonal = 0;
    params.hash_bits = 8; // squares of 16 x 16 cells
    params.weight = clamp_planner_weight(weight);
    params.width = static_cast<std::int32_t>(rt_bounds(grid, 0));
    params.height = static_cast<std::int32_t>(rt_bounds(grid, 1));
    // A grid without two dimensions has no cells; its storage is not touched.
    if (params.width > 0 && params.height > 0) params.grid = &rt_index(grid, 0, 0);
    return params;
}

// Sizes `result` to n x 2 and fills it from its end by walking back from the
// goal, so that row 0 is the start. Returns n.
int write_path(const Node* goal, int limit, RtArray<double>& result) {
    int n = 0;
    for (const Node* node = goal; node && n <= limit; node = node->parent)
        ++n;
    if (n == 0 || n > limit) return 0;
    rt_dim(result, n, 2);
    int i = n - 1;
    for (const Node* node = goal; node; node = node->parent, --i) {
        rt_index(result, i, 0) = node->x;
        rt_index(result, i, 1) = node->y;
    }
    return n;
}

} // namespace

double rt_find_path(const RtArray<double>& grid, RtArray<double>& result, double weight,
                    double start_x, double start_y, double goal_x, double goal_y) {
    AStarPlanner planner;
    int n = 0;
    if (planner.init(params_for(grid, weight, start_x, start_y, goal_x, goal_y))) {
        planner.start();
        planner.search();
        // Every node of a path is a distinct pooled node, which bounds its length.
        n = write_path(planner.goal_node(), planner.params().node_capacity, result);
    }
    if (n == 0) rt_dim(result, 0);
    planner.clear();
    return n;
}
