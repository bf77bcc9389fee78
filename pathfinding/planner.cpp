// planner.cpp: the grid planner's set-up (cost conversion, pool and lists)
// and the A* search over it.
#include "pathfinding/pathfinding.h"
#include "runtime/runtime.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// The cost of a diagonal step relative to a straight one, in single precision.
constexpr float kSqrt2 = 1.4142137f;

struct Step {
    int dx;
    int dy;
    bool diagonal;
};

// The order in which neighbours are examined decides which of several equal
// paths is found, so it is part of the planner's behaviour.
constexpr Step kSteps[8] = {{-1, -1, true}, {0, -1, false}, {1, -1, true}, {1, 0, false},
                            {-1, 0, false}, {-1, 1, true},  {0, 1, false}, {1, 1, true}};

// Cell values become entry costs above 1 up to 2 (value / largest + 1); walls
// become -1. Values that are not finite numbers count as walls too, so that no
// key can become infinite or not a number. Null when no cell is passable.
std::unique_ptr<float[]> convert_costs(const double* grid, std::size_t cells) {
    double largest = 0;
    for (std::size_t i = 0; i < cells; ++i) {
        if (std::isfinite(grid[i]) && grid[i] > largest) largest = grid[i];
    }
    if (largest <= 0) return nullptr;
    std::unique_ptr<float[]> costs(new (std::nothrow) float[cells]);
    if (!costs) {
        rt_log("pathfinding: cannot allocate the cost grid");
        return nullptr;
    }
    for (std::size_t i = 0; i < cells; ++i) {
        double v = grid[i];
        costs[i] = std::isfinite(v) && v > 0 ? static_cast<float>(v / largest + 1) : -1.0f;
    }
    return costs;
}

int resolved_capacity(std::int32_t requested, std::size_t cells) {
    return requested > 0 ? requested : static_cast<int>(cells);
}

} // namespace

float clamp_planner_weight(double weight) {
    if (!(weight > 0)) return 0; // negative or not a number
    return weight < 1 ? static_cast<float>(weight) : 1.0f;
}

// ---------------------------------------------------------------- Planner

Planner::~Planner() = default;

bool Planner::inside(int x, int y) const {
    return x >= 0 && y >= 0 && x < params_.width && y < params_.height;
}

float Planner::cost(int x, int y) const {
    if (!costs_ || !inside(x, y)) return -1;
    return costs_[static_cast<std::size_t>(x) + static_cast<std::size_t>(params_.width) * y];
}

bool Planner::init(const PlannerParams& params) {
    // Whatever happens below, nothing of an earlier search survives.
    clear();
    costs_.reset();
    params_ = PlannerParams{};
    searches_ = 0;
    goal_node_ = nullptr;
    done_ = false;

    if (params.width <= 0 || params.height <= 0 || !params.grid) return false;
    auto cells = static_cast<std::size_t>(params.width) * static_cast<std::size_t>(params.height);
    if (cells > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    auto in_grid = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < params.width && y < params.height;
    };
    if (!in_grid(params.start_x, params.start_y) || !in_grid(params.goal_x, params.goal_y))
        return false;
    if (params.start_x == params.goal_x && params.start_y == params.goal_y) return false;

    std::unique_ptr<float[]> costs = convert_costs(params.grid, cells);
    if (!costs) return false;
    int node_capacity = resolved_capacity(params.node_capacity, cells);
    int open_capacity = resolved_capacity(params.open_capacity, cells);
    if (!factory_.fill(node_capacity) || !open_.reset(open_capacity) ||
        !closed_.resize(params.hash_bits)) {
        rt_log("pathfinding: cannot allocate the planner's nodes");
        return false;
    }
    params_ = params;
    params_.node_capacity = node_capacity;
    params_.open_capacity = open_capacity;
    params_.weight = clamp_planner_weight(params.weight);
    costs_ = std::move(costs);
    return true;
}

void Planner::start() {
    goal_node_ = nullptr;
    done_ = false;
}

void Planner::clear() {
    factory_.release_all();
    open_.clear();
    closed_.clear();
    goal_node_ = nullptr;
}

// ---------------------------------------------------------------- AStarPlanner

AStarPlanner::~AStarPlanner() = default;

void AStarPlanner::start() {
    Planner::start();
    // A planner started again must not mix in the nodes of its last search.
    clear();
    if (!costs_) return; // not initialised: nothing to search
    Node* node = factory_.take();
    if (!node) return;
    *node = Node{nullptr, params_.start_x, params_.start_y, 0, 0, nullptr};
    open_.push_back(node);
}

bool AStarPlanner::search() {
    ++searches_;
    while (!open_.empty()) {
        Node* current = open_.pop_back();
        if (current->x == params_.goal_x && current->y == params_.goal_y) {
            closed_.insert(current);
            goal_node_ = current;
            done_ = true;
            return true;
        }
        if (!expand(current)) return true;
        closed_.insert(current);
    }
    done_ = true;
    return true;
}

bool AStarPlanner::expand(Node* current) {
    for (const Step& step : kSteps) {
        if (step.diagonal && !params_.allow_diagonal) continue;
        if (!visit(current, current->x + step.dx, current->y + step.dy, step.diagonal)) {
            fail("pathfinding: search ran out of nodes");
            return false;
        }
    }
    return true;
}

// Offers the cell (x, y) as reached from `current`.
bool AStarPlanner::visit(Node* current, int x, int y, bool diagonal) {
    float c = cost(x, y);
    if (c < 0) return true; // wall or outside the grid
    if (diagonal && params_.diagonal_cost_sqrt2) c *= kSqrt2;
    float g = current->g + c;
    auto h = static_cast<float>(std::abs(params_.goal_x - x) + std::abs(params_.goal_y - y));
    float f = g + params_.weight * (h - g);

    if (Node* node = closed_.find(x, y)) {
        if (node->g <= g) return true;
        closed_.remove(node);
        node->parent = current;
        node->g = g;
        node->f = f;
        return insert_open(node);
    }
    if (int i = find_open(x, y); i >= 0) {
        Node* node = open_[i];
        if (node->g <= g) return true;
        open_.erase(i);
        node->parent = current;
        node->g = g;
        node->f = f;
        return insert_open(node);
    }
    Node* node = factory_.take();
    if (!node) return false;
    *node = Node{current, x, y, f, g, nullptr};
    return insert_open(node);
}

// The open list runs from the largest key at the front to the smallest at
// the back. A new node goes in front of every node with an equal key, so
// among equal keys the node inserted first leaves first.
bool AStarPlanner::insert_open(Node* node) {
    int lo = 0;
    int hi = open_.size();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (open_[mid]->f <= node->f)
            hi = mid;
        else
            lo = mid + 1;
    }
    return open_.insert(lo, node);
}

// Position of the open node for (x, y), searched from the back, or -1.
int AStarPlanner::find_open(int x, int y) const {
    for (int i = open_.size() - 1; i >= 0; --i) {
        if (open_[i]->x == x && open_[i]->y == y) return i;
    }
    return -1;
}

// A search that cannot go on without more nodes ends as not found rather
// than report a path that may not be the cheapest.
void AStarPlanner::fail(const char* why) {
    rt_log(why);
    goal_node_ = nullptr;
    done_ = true;
}
