// sorted_list_planner.h: the path finder's first A* search, kept as it was
// (open list sorted by key with a scan for open cells, closed set in hash
// chains) so that faster searches can be checked against it path for path.
#pragma once

#include "pathfinding/pathfinding.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace reference {

// What one search gave: the cells from start to goal (empty when none) and
// the goal's cost and key exactly as computed.
struct PlannedPath {
    std::vector<std::pair<int, int>> cells;
    float goal_g = 0;
    float goal_f = 0;
};

class SortedListPlanner {
  public:
    // Runs one whole search with the planner's own rules for refusing
    // parameters and for running out of nodes or open slots.
    PlannedPath run(const PlannerParams& params) {
        PlannedPath result;
        if (!init(params)) return result;
        search();
        if (!goal_) return result;
        for (const Node* n = goal_; n; n = n->parent)
            result.cells.insert(result.cells.begin(), {n->x, n->y});
        result.goal_g = goal_->g;
        result.goal_f = goal_->f;
        return result;
    }

  private:
    static constexpr float kSqrt2 = 1.4142137f;

    bool init(const PlannerParams& p) {
        if (p.width <= 0 || p.height <= 0 || !p.grid) return false;
        auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < p.width && y < p.height; };
        if (!inside(p.start_x, p.start_y) || !inside(p.goal_x, p.goal_y)) return false;
        if (p.start_x == p.goal_x && p.start_y == p.goal_y) return false;
        std::size_t cells = static_cast<std::size_t>(p.width) * p.height;
        double largest = 0;
        for (std::size_t i = 0; i < cells; ++i) {
            if (std::isfinite(p.grid[i]) && p.grid[i] > largest) largest = p.grid[i];
        }
        if (largest <= 0) return false;
        costs_.assign(cells, -1.0f);
        for (std::size_t i = 0; i < cells; ++i) {
            double v = p.grid[i];
            if (std::isfinite(v) && v > 0) costs_[i] = static_cast<float>(v / largest + 1);
        }
        p_ = p;
        p_.node_capacity = p.node_capacity > 0 ? p.node_capacity : static_cast<int>(cells);
        p_.open_capacity = p.open_capacity > 0 ? p.open_capacity : static_cast<int>(cells);
        p_.weight = clamp_planner_weight(p.weight);
        return pool_.fill(p_.node_capacity) && open_.reset(p_.open_capacity) &&
               closed_.resize(p_.hash_bits);
    }

    float cost(int x, int y) const {
        if (x < 0 || y < 0 || x >= p_.width || y >= p_.height) return -1;
        return costs_[static_cast<std::size_t>(x) + static_cast<std::size_t>(p_.width) * y];
    }

    void search() {
        Node* start = pool_.take();
        *start = Node{nullptr, p_.start_x, p_.start_y, 0, 0, nullptr};
        open_.push_back(start);
        static constexpr int kSteps[8][3] = {{-1, -1, 1}, {0, -1, 0}, {1, -1, 1}, {1, 0, 0},
                                             {-1, 0, 0},  {-1, 1, 1}, {0, 1, 0},  {1, 1, 1}};
        while (!open_.empty()) {
            Node* current = open_.pop_back();
            if (current->x == p_.goal_x && current->y == p_.goal_y) {
                closed_.insert(current);
                goal_ = current;
                return;
            }
            for (const auto& s : kSteps) {
                if (s[2] && !p_.allow_diagonal) continue;
                if (!visit(current, current->x + s[0], current->y + s[1], s[2] != 0)) return;
            }
            closed_.insert(current);
        }
    }

    bool visit(Node* current, int x, int y, bool diagonal) {
        float c = cost(x, y);
        if (c < 0) return true;
        if (diagonal && p_.diagonal_cost_sqrt2) c *= kSqrt2;
        float g = current->g + c;
        auto h = static_cast<float>(std::abs(p_.goal_x - x) + std::abs(p_.goal_y - y));
        float f = g + p_.weight * (h - g);
        if (Node* node = closed_.find(x, y)) {
            if (node->g <= g) return true;
            closed_.remove(node);
            *node = Node{current, x, y, f, g, nullptr};
            return insert_open(node);
        }
        for (int i = open_.size() - 1; i >= 0; --i) {
            Node* node = open_[i];
            if (node->x != x || node->y != y) continue;
            if (node->g <= g) return true;
            open_.erase(i);
            *node = Node{current, x, y, f, g, nullptr};
            return insert_open(node);
        }
        Node* node = pool_.take();
        if (!node) return false;
        *node = Node{current, x, y, f, g, nullptr};
        return insert_open(node);
    }

    // Largest key at the front; a new node goes in front of equal keys.
    bool insert_open(Node* node) {
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

    PlannerParams p_;
    std::vector<float> costs_;
    NodeFactory pool_;
    FixedDeque<Node*> open_;
    NodeHashTable closed_;
    Node* goal_ = nullptr;
};

} // namespace reference
