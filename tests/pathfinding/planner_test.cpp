// planner_test.cpp: the planner's building blocks (ring buffer, node pool,
// closed set) and the planner driven directly with parameters rt_find_path
// never uses (diagonals, small pools).
#include "pathfinding/pathfinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <vector>

namespace {

// ---------------------------------------------------------------- FixedDeque

// Random operations on a small ring buffer, mirrored on std::deque, so that
// every wrap-around of head and tail is exercised.
TEST(FixedDequeTest, BehavesLikeADequeOfBoundedSize) {
    constexpr int kCapacity = 7;
    FixedDeque<int> deque;
    ASSERT_TRUE(deque.reset(kCapacity));
    std::deque<int> model;
    std::mt19937 rng(11);
    for (int step = 0; step < 4000; ++step) {
        int op = static_cast<int>(rng() % 6);
        int value = step;
        int at = static_cast<int>(rng() % (model.size() + 1));
        bool room = static_cast<int>(model.size()) < kCapacity;
        switch (op) {
        case 0:
            ASSERT_EQ(deque.push_front(value), room);
            if (room) model.push_front(value);
            break;
        case 1:
            ASSERT_EQ(deque.push_back(value), room);
            if (room) model.push_back(value);
            break;
        case 2:
            ASSERT_EQ(deque.pop_front(), model.empty() ? 0 : model.front());
            if (!model.empty()) model.pop_front();
            break;
        case 3:
            ASSERT_EQ(deque.pop_back(), model.empty() ? 0 : model.back());
            if (!model.empty()) model.pop_back();
            break;
        case 4:
            ASSERT_EQ(deque.insert(at, value), room);
            if (room) model.insert(model.begin() + at, value);
            break;
        default:
            ASSERT_EQ(deque.erase(at), at < static_cast<int>(model.size()));
            if (at < static_cast<int>(model.size())) model.erase(model.begin() + at);
        }
        ASSERT_EQ(deque.size(), static_cast<int>(model.size())) << "after step " << step;
        ASSERT_EQ(deque.empty(), model.empty());
        for (int i = 0; i < deque.size(); ++i)
            ASSERT_EQ(deque[i], model[i]) << "step " << step;
    }
}

// ---------------------------------------------------------------- NodeFactory

TEST(NodeFactoryTest, HandsOutEachNodeOnceUntilReturned) {
    NodeFactory pool;
    ASSERT_TRUE(pool.fill(3));
    Node* a = pool.take();
    Node* b = pool.take();
    Node* c = pool.take();
    EXPECT_TRUE(a && b && c && a != b && b != c && a != c);
    EXPECT_EQ(pool.take(), nullptr) << "pool of 3 gave a fourth node";
    pool.give_back(1);
    EXPECT_EQ(pool.take(), c);
    pool.release_all();
    EXPECT_EQ(pool.in_use(), 0);
    EXPECT_EQ(pool.take(), a);
    ASSERT_TRUE(pool.fill(5));
    EXPECT_EQ(pool.capacity(), 5);
    EXPECT_EQ(pool.in_use(), 0);
}

// ---------------------------------------------------------------- NodeHashTable

TEST(NodeHashTableTest, BitsAreCappedAndMadeEven) {
    const int cases[][2] = {{-3, 0}, {0, 0}, {1, 0}, {2, 2}, {7, 6}, {8, 8}, {25, 24}, {40, 24}};
    for (auto [requested, expected] : cases) {
        NodeHashTable table;
        ASSERT_TRUE(table.resize(requested));
        EXPECT_EQ(table.bits(), expected) << "requested " << requested;
    }
}

TEST(NodeHashTableTest, BucketsTileTheGridInSquares) {
    NodeHashTable table;
    ASSERT_TRUE(table.resize(8)); // squares of 16 x 16
    EXPECT_EQ(table.bucket_of(0, 0), 0u);
    EXPECT_EQ(table.bucket_of(17, 3), 1u | (3u << 4));
    EXPECT_EQ(table.bucket_of(15, 15), 255u);
    EXPECT_EQ(table.bucket_of(5, 9), table.bucket_of(5 + 16, 9 + 32));
    EXPECT_NE(table.bucket_of(5, 9), table.bucket_of(9, 5));
}

TEST(NodeHashTableTest, FindsAndRemovesWithinAChain) {
    NodeHashTable table;
    ASSERT_TRUE(table.resize(2)); // squares of 2 x 2: (0,0), (2,0), (0,2) share a bucket
    Node a{nullptr, 0, 0, 0, 0, nullptr};
    Node b{nullptr, 2, 0, 0, 0, nullptr};
    Node c{nullptr, 0, 2, 0, 0, nullptr};
    for (Node* n : {&a, &b, &c, &b})
        table.insert(n);
    EXPECT_EQ(table.find(2, 0), &b);
    table.remove(&b);
    EXPECT_EQ(table.find(2, 0), nullptr) << "inserted twice, must be gone after one removal";
    EXPECT_EQ(table.find(0, 0), &a);
    EXPECT_EQ(table.find(0, 2), &c);
    table.remove(&a); // not the node found last
    EXPECT_EQ(table.find(0, 0), nullptr);
    EXPECT_EQ(table.find(0, 2), &c);
    table.clear();
    EXPECT_EQ(table.find(0, 2), nullptr);
}

// ---------------------------------------------------------------- OpenHeap

// Pops in (key, last insertion) order after pushes and key changes in both
// directions, and every cell's slot names its entry's position throughout.
TEST(OpenHeapTest, PopsByKeyThenByLastInsertion) {
    struct Op {
        char what; // 'p' push cell with key, 'c' change the key of cell
        std::uint32_t cell;
        float key;
    };
    const Op ops[] = {{'p', 0, 3}, {'p', 1, 1}, {'p', 2, 3},    {'p', 3, 2}, {'p', 4, 1},
                      {'c', 1, 1}, {'c', 0, 5}, {'c', 2, 0.5f}, {'p', 5, 2}, {'c', 3, 2}};
    const std::uint32_t expected[] = {2, 4, 1, 5, 3, 0};
    std::vector<CellSlot> slots(6, CellSlot{CellSlot::kNoNode, 0});
    OpenHeap heap;
    ASSERT_TRUE(heap.reset(6));
    heap.track(slots.data());
    auto check_slots = [&] {
        for (int i = 0; i < heap.size(); ++i)
            ASSERT_EQ(slots[heap.cell(i)].where, i + 1) << "cell " << heap.cell(i);
    };
    for (const Op& op : ops) {
        if (op.what == 'p') {
            ASSERT_TRUE(heap.push(op.cell, op.key));
        } else {
            heap.change(slots[op.cell].where - 1, op.key);
        }
        check_slots();
    }
    EXPECT_FALSE(heap.push(9, 0)) << "a full heap took a seventh entry";
    for (std::uint32_t cell : expected) {
        ASSERT_FALSE(heap.empty());
        EXPECT_EQ(heap.pop(), cell);
        check_slots();
    }
    EXPECT_TRUE(heap.empty());
}

// ---------------------------------------------------------------- planner

struct GridParams {
    std::vector<double> values;
    PlannerParams params;
};

GridParams open_grid(int width, int height, double value, int sx, int sy, int gx, int gy) {
    GridParams g{std::vector<double>(static_cast<std::size_t>(width) * height, value), {}};
    g.params.width = width;
    g.params.height = height;
    g.params.start_x = sx;
    g.params.start_y = sy;
    g.params.goal_x = gx;
    g.params.goal_y = gy;
    g.params.hash_bits = 8;
    g.params.grid = g.values.data();
    return g;
}

int path_length(const Node* node) {
    int n = 0;
    for (; node; node = node->parent)
        ++n;
    return n;
}

TEST(PlannerTest, CellValuesBecomeCostsBetweenOneAndTwo) {
    GridParams g = open_grid(6, 1, 0, 0, 0, 5, 0);
    g.values = {0, -3, 5, 10, 2.5, NAN};
    g.params.grid = g.values.data();
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(g.params));
    const float expected[] = {-1, -1, 1.5f, 2, 1.25f, -1};
    for (int x = 0; x < 6; ++x)
        EXPECT_FLOAT_EQ(planner.cost(x, 0), expected[x]) << "x " << x;
    EXPECT_EQ(planner.cost(6, 0), -1) << "outside the grid";
}

TEST(PlannerTest, EqualValuesMakeEveryStepCostTwo) {
    GridParams g = open_grid(4, 1, 7, 0, 0, 3, 0);
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(g.params));
    planner.start();
    EXPECT_TRUE(planner.search());
    ASSERT_NE(planner.goal_node(), nullptr);
    EXPECT_EQ(planner.goal_node()->g, 6.0f);
    EXPECT_TRUE(planner.done());
}

TEST(PlannerTest, DiagonalStepsWhenAllowed) {
    struct Case {
        bool sqrt2;
        float goal_g;
    };
    for (Case c : {Case{true, 2 * (2 * 1.4142137f)}, Case{false, 4.0f}}) {
        GridParams g = open_grid(3, 3, 1, 0, 0, 2, 2);
        g.values[1] = g.values[3] = 0; // walls beside the start: corners are not tested
        g.params.allow_diagonal = 1;
        g.params.diagonal_cost_sqrt2 = c.sqrt2;
        AStarPlanner planner;
        ASSERT_TRUE(planner.init(g.params));
        planner.start();
        planner.search();
        ASSERT_NE(planner.goal_node(), nullptr);
        EXPECT_EQ(path_length(planner.goal_node()), 3);
        EXPECT_FLOAT_EQ(planner.goal_node()->g, c.goal_g) << "sqrt2 " << c.sqrt2;
    }
}

TEST(PlannerTest, ExhaustedPoolOrOpenListEndsWithoutAPath) {
    for (bool small_pool : {true, false}) {
        GridParams g = open_grid(8, 8, 1, 0, 0, 7, 7);
        (small_pool ? g.params.node_capacity : g.params.open_capacity) = 3;
        AStarPlanner planner;
        ASSERT_TRUE(planner.init(g.params));
        planner.start();
        EXPECT_TRUE(planner.search());
        EXPECT_TRUE(planner.done());
        EXPECT_EQ(planner.goal_node(), nullptr) << (small_pool ? "pool" : "open list");
    }
}

TEST(PlannerTest, StartingAgainRepeatsTheSearch) {
    GridParams g = open_grid(5, 5, 1, 0, 0, 4, 3);
    AStarPlanner planner;
    ASSERT_TRUE(planner.init(g.params));
    planner.start();
    planner.search();
    ASSERT_NE(planner.goal_node(), nullptr);
    float first = planner.goal_node()->g;
    planner.start();
    planner.search();
    ASSERT_NE(planner.goal_node(), nullptr);
    EXPECT_EQ(planner.goal_node()->g, first);
    EXPECT_EQ(planner.searches(), 2);
}

} // namespace
