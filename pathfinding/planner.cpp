// planner.cpp: the grid planner's set-up (cost conversion, pool and lists)
// and the A* search over it.
#include "pathfinding/pathfinding.h"
#include "runtime/runtime.h"

#include <algorithm>
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
    return costs_[cell_index(x, y)];
}

bool Planner::init(const PlannerParams& params) {
    // Whatever happens below, nothing of an earlier search survives.
    clear();
    costs_.reset();
    slots_.reset();
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
    // A cell is open at most once, so more open entries than cells are never
    // used; the heap is full exactly when a list of the asked size would be.
    int heap_capacity = std::min(open_capacity, static_cast<int>(cells));
    slots_.reset(new (std::nothrow) CellSlot[cells]());
    if (!slots_ || !factory_.fill(node_capacity) || !open_.reset(heap_capacity)) {
        slots_.reset();
        rt_log("pathfinding: cannot allocate the planner's nodes");
        return false;
    }
    open_.track(slots_.get());
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

// Only the cells that got a node have a slot to reset, so clearing costs
// what the search visited, not the whole grid.
void Planner::clear() {
    if (slots_) {
        for (int i = 0; i < factory_.in_use(); ++i) {
            const Node* node = factory_.at(i);
            slots_[cell_index(node->x, node->y)] = CellSlot{CellSlot::kNoNode, 0};
        }
    }
    factory_.release_all();
    open_.clear();
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
    std::size_t cell = cell_index(node->x, node->y);
    slots_[cell].node = factory_.in_use() - 1;
    open_.push(static_cast<std::uint32_t>(cell), 0);
}

bool AStarPlanner::search() {
    ++searches_;
    while (!open_.empty()) {
        CellSlot& slot = slots_[open_.pop()];
        slot.where = CellSlot::kClosed;
        Node* current = factory_.at(slot.node);
        if (current->x == params_.goal_x && current->y == params_.goal_y) {
            goal_node_ = current;
            done_ = true;
            return true;
        }
        if (!expand(current)) return true;
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

// The weighted key, evaluated in this order in single precision: paths
// depend on how it rounds.
float AStarPlanner::key(int x, int y, float g) const {
    auto h = static_cast<float>(std::abs(params_.goal_x - x) + std::abs(params_.goal_y - y));
    return g + params_.weight * (h - g);
}

// Offers the cell (x, y) as reached from `current`. A node is improved only
// by a strictly cheaper way in; a closed one is then opened again.
bool AStarPlanner::visit(Node* current, int x, int y, bool diagonal) {
    if (!inside(x, y)) return true;
    std::size_t cell = cell_index(x, y);
    float c = costs_[cell];
    if (c < 0) return true; // wall
    if (diagonal && params_.diagonal_cost_sqrt2) c *= kSqrt2;
    float g = current->g + c;

    CellSlot& slot = slots_[cell];
    if (slot.where != CellSlot::kNoNode) {
        Node* node = factory_.at(slot.node);
        if (node->g <= g) return true;
        node->parent = current;
        node->g = g;
        node->f = key(x, y, g);
        if (slot.where == CellSlot::kClosed)
            return open_.push(static_cast<std::uint32_t>(cell), node->f);
        open_.change(slot.where - 1, node->f);
        return true;
    }
    Node* node = factory_.take();
    if (!node) return false;
    *node = Node{current, x, y, key(x, y, g), g, nullptr};
    slot.node = factory_.in_use() - 1;
    return open_.push(static_cast<std::uint32_t>(cell), node->f);
}

// A search that cannot go on without more nodes ends as not found rather
// than report a path that may not be the cheapest.
void AStarPlanner::fail(const char* why) {
    rt_log(why);
    goal_node_ = nullptr;
    done_ = true;
}
