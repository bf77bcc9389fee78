// pathfinding.h: the runtime's grid path finder (rt_find_path) and the A*
// planner classes behind it.
//
// A grid is a two-dimensional number array of cell values: 0 or less is a
// wall, a positive value is the cost of entering the cell. One planner lives
// for one search; nothing persists between calls of rt_find_path.
#pragma once

#include "runtime/rtarray.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

// Finds a cheapest 4-connected path from (start_x, start_y) to (goal_x,
// goal_y) over `grid` (cell (x, y) at index (x, y); width and height are the
// first two dimension sizes). The weight (clamped to 0..1) blends cost and
// distance: 0 orders by cost alone, 1 by distance to the goal alone.
// On success `result` is sized n x 2 with (i, 0) = x and (i, 1) = y of the
// i-th cell, start first and goal last, and n is returned. Otherwise (start or
// goal outside the grid, start equal to goal, no passable cell, goal
// unreachable) `result` is left not dimensioned and 0 is returned.
double rt_find_path(const RtArray<double>& grid, RtArray<double>& result, double weight,
                    double start_x, double start_y, double goal_x, double goal_y);

// One search node: a cell reached with cost g, ordered by key f.
struct Node {
    Node* parent;
    std::int32_t x;
    std::int32_t y;
    float f;
    float g;
    Node* hash_next;
};

// Everything a planner needs for one search; copied into the planner.
struct PlannerParams {
    std::int32_t start_x = 0;
    std::int32_t start_y = 0;
    std::int32_t goal_x = 0;
    std::int32_t goal_y = 0;
    std::uint8_t diagonal_cost_sqrt2 = 0; // a diagonal step costs the cell cost x sqrt(2)
    std::uint8_t allow_diagonal = 0;      // explore the four diagonal neighbours
    std::int32_t node_capacity = 0;       // node pool size; 0 (or less): width x height
    std::int32_t open_capacity = 0;       // open list size; 0 (or less): width x height
    std::int32_t hash_bits = 0;           // log2 of a NodeHashTable's bucket count (the
                                          // A* planner finds cells in a flat table)
    float weight = 0;                     // heuristic weight, clamped to 0..1
    std::int32_t width = 0;
    std::int32_t height = 0;
    const double* grid = nullptr; // cell (x, y) at x + width * y
};

// Clamps a heuristic weight to 0..1; a weight that is not a number counts as 0.
float clamp_planner_weight(double weight);

// A pool of nodes in one block, all handed back together.
class NodeFactory {
  public:
    NodeFactory() = default;
    ~NodeFactory() = default;
    NodeFactory(const NodeFactory&) = delete;
    NodeFactory& operator=(const NodeFactory&) = delete;

    // Makes the pool hold `capacity` nodes, all unused; false (and an empty
    // pool) when the storage cannot be obtained.
    bool fill(int capacity);
    // The next unused node, or null when every node is in use.
    Node* take();
    // Hands back the `count` nodes taken last.
    void give_back(int count);
    void release_all() { used_ = 0; }
    int capacity() const { return capacity_; }
    int in_use() const { return used_; }
    // The node handed out as the index-th (counted from 0) since the pool
    // was last emptied; 0 <= index < in_use().
    Node* at(int index) { return &nodes_[index]; }

  private:
    std::unique_ptr<Node[]> nodes_;
    int capacity_ = 0;
    int used_ = 0;
};

// A set of nodes found by cell: nodes chained in buckets that tile the grid
// in squares of 2^(bits / 2) x 2^(bits / 2) cells.
class NodeHashTable {
  public:
    static constexpr int kMaxBits = 24;

    NodeHashTable(); // one bucket
    ~NodeHashTable() = default;
    NodeHashTable(const NodeHashTable&) = delete;
    NodeHashTable& operator=(const NodeHashTable&) = delete;

    // Empties the table and sizes it to 2^bits buckets, bits capped at 24 and
    // rounded down to an even number (negative counts as 0); false when the
    // storage cannot be obtained (the table keeps its old size, emptied).
    bool resize(int bits);
    int bits() const { return bits_; }
    std::size_t bucket_of(int x, int y) const;

    // Puts the node at the head of its chain unless it is already there.
    void insert(Node* node);
    // The node of cell (x, y) or null; remembers where it was found so that
    // removing it right after needs no second search.
    Node* find(int x, int y);
    void remove(Node* node);
    void clear();

  private:
    std::unique_ptr<Node*[]> buckets_;
    int bits_ = 0;
    int half_ = 0;
    unsigned mask_ = 0;
    Node** found_link_ = nullptr; // the link that pointed at the last node found
};

// A ring buffer of fixed capacity. Element 0 is the front. Inserting or
// erasing in the middle shifts the tail part through a scratch array.
template <class T> class FixedDeque {
  public:
    // Drops the contents and allocates `capacity` slots; false when the
    // storage cannot be obtained (the deque is then empty with no slots).
    bool reset(int capacity);
    void clear();

    int capacity() const { return capacity_; }
    int size() const;
    bool empty() const { return empty_; }
    bool full() const { return !empty_ && head_ == tail_; }

    bool push_front(T value);
    bool push_back(T value);
    // Both give T{} when the deque is empty.
    T pop_front();
    T pop_back();

    // Element i counted from the front; 0 <= i < size().
    T& operator[](int i) { return items_[slot(i)]; }
    const T& operator[](int i) const { return items_[slot(i)]; }

    // Inserts before element i (i == size() appends); false when full or i is out of range.
    bool insert(int i, T value);
    // Removes element i; false when i is out of range.
    bool erase(int i);

  private:
    int slot(int i) const { return (head_ + i) % capacity_; }

    std::unique_ptr<T[]> items_;
    std::unique_ptr<T[]> scratch_;
    int capacity_ = 0;
    int head_ = 0; // slot of the front element
    int tail_ = 0; // slot after the back element
    bool empty_ = true;
};

// Where the node of each grid cell is: nowhere yet, open (and at which
// position of the open heap) or closed. One flat table answers by cell what
// would otherwise need a search.
struct CellSlot {
    static constexpr std::int32_t kNoNode = 0;
    static constexpr std::int32_t kClosed = -1;
    std::int32_t where; // kNoNode, kClosed, or k > 0: open at heap position k - 1
    std::int32_t node;  // the node's index in the pool, while where != kNoNode
};

// The open list as a binary heap of cells keyed by (f, sequence): the
// smallest f leaves first and, among equal f, the cell inserted longest ago.
// Every push and every key change takes a fresh sequence number, so a node
// that is improved queues behind the nodes already waiting at its new key.
// Each move of an entry is written to the cell's slot.
class OpenHeap {
  public:
    OpenHeap() = default;
    OpenHeap(const OpenHeap&) = delete;
    OpenHeap& operator=(const OpenHeap&) = delete;

    // Drops the contents and allocates `capacity` entries; false when the
    // storage cannot be obtained (the heap then has no entries).
    bool reset(int capacity);
    // Empties the heap and restarts the sequence.
    void clear();
    // The slots that receive each entry's position (indexed by cell).
    void track(CellSlot* slots) { slots_ = slots; }

    int capacity() const { return capacity_; }
    int size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool full() const { return size_ == capacity_; }

    // Adds a cell with key f; false when the heap is full.
    bool push(std::uint32_t cell, float f);
    // Removes and returns the cell with the smallest key; the heap must not
    // be empty. The cell's slot is left for the caller to set.
    std::uint32_t pop();
    // Gives the entry at `position` the key f, up or down, and a fresh sequence.
    void change(int position, float f);
    float key(int position) const { return items_[position].f; }
    std::uint32_t cell(int position) const { return items_[position].cell; }

  private:
    struct Entry {
        float f;
        std::uint32_t cell;
        std::uint64_t seq;
    };
    static bool before(const Entry& a, const Entry& b) {
        return a.f < b.f || (a.f == b.f && a.seq < b.seq);
    }
    void place(int position, const Entry& entry);
    void sift_up(int position, Entry entry);
    void sift_down(int position, Entry entry);

    std::unique_ptr<Entry[]> items_;
    CellSlot* slots_ = nullptr;
    int capacity_ = 0;
    int size_ = 0;
    std::uint64_t next_seq_ = 0;
};

// A search over a grid of converted cell costs.
class Planner {
  public:
    Planner() = default;
    virtual ~Planner();
    Planner(const Planner&) = delete;
    Planner& operator=(const Planner&) = delete;

    // Takes the parameters and converts the grid; false (and nothing to
    // search) when start or goal lie outside the grid, they are the same cell,
    // no cell is passable or the storage cannot be obtained.
    bool init(const PlannerParams& params);
    // Forgets the previous result and clears the done flag.
    virtual void start();
    // Runs the search to its end; true once it has finished (found or not).
    virtual bool search() = 0;
    // Returns every node to the pool and empties the open list and closed set.
    virtual void clear();

    bool done() const { return done_; }
    // The goal's node once the search reached it, else null.
    const Node* goal_node() const { return goal_node_; }
    int searches() const { return searches_; }
    const PlannerParams& params() const { return params_; }
    // Converted cost of entering (x, y): above 1 up to 2, or -1 for a wall or
    // a cell outside the grid.
    float cost(int x, int y) const;
    bool inside(int x, int y) const;

  protected:
    // Index of a cell inside the grid in the cost grid and the cell slots.
    std::size_t cell_index(int x, int y) const {
        return static_cast<std::size_t>(x) + static_cast<std::size_t>(params_.width) * y;
    }

    bool done_ = false;
    NodeFactory factory_;
    PlannerParams params_;
    std::unique_ptr<float[]> costs_;
    int searches_ = 0;
    std::unique_ptr<CellSlot[]> slots_; // one per cell, all kNoNode between searches
    OpenHeap open_;
    Node* goal_node_ = nullptr;
};

// The A* search: nodes leave the open list smallest key first and, among
// equal keys, in the order they were (last) inserted.
class AStarPlanner : public Planner {
  public:
    AStarPlanner() = default;
    ~AStarPlanner() override;

    // Starts over from an empty pool with the start cell in the open list.
    void start() override;
    bool search() override;

  private:
    // Each returns false when the pool or the open list is exhausted.
    bool expand(Node* current);
    bool visit(Node* current, int x, int y, bool diagonal);
    float key(int x, int y, float g) const;
    void fail(const char* why);
};

// ---------------------------------------------------------------- FixedDeque

template <class T> bool FixedDeque<T>::reset(int capacity) {
    items_.reset();
    scratch_.reset();
    capacity_ = 0;
    clear();
    if (capacity <= 0) return true;
    items_.reset(new (std::nothrow) T[capacity]);
    scratch_.reset(new (std::nothrow) T[capacity]);
    if (!items_ || !scratch_) {
        items_.reset();
        scratch_.reset();
        return false;
    }
    capacity_ = capacity;
    return true;
}

template <class T> void FixedDeque<T>::clear() {
    head_ = 0;
    tail_ = 0;
    empty_ = true;
}

template <class T> int FixedDeque<T>::size() const {
    if (empty_) return 0;
    int n = tail_ - head_;
    return n > 0 ? n : n + capacity_;
}

template <class T> bool FixedDeque<T>::push_front(T value) {
    if (capacity_ == 0 || full()) return false;
    head_ = (head_ + capacity_ - 1) % capacity_;
    items_[head_] = value;
    empty_ = false;
    return true;
}

template <class T> bool FixedDeque<T>::push_back(T value) {
    if (capacity_ == 0 || full()) return false;
    items_[tail_] = value;
    tail_ = (tail_ + 1) % capacity_;
    empty_ = false;
    return true;
}

template <class T> T FixedDeque<T>::pop_front() {
    if (empty_) return T{};
    T value = items_[head_];
    head_ = (head_ + 1) % capacity_;
    empty_ = head_ == tail_;
    return value;
}

template <class T> T FixedDeque<T>::pop_back() {
    if (empty_) return T{};
    tail_ = (tail_ + capacity_ - 1) % capacity_;
    empty_ = head_ == tail_;
    return items_[tail_];
}

template <class T> bool FixedDeque<T>::insert(int i, T value) {
    int n = size();
    if (i < 0 || i > n || capacity_ == 0 || full()) return false;
    // Elements i.. move one slot towards the back, by way of the scratch array.
    for (int k = i; k < n; ++k)
        scratch_[k - i] = (*this)[k];
    tail_ = (tail_ + 1) % capacity_;
    empty_ = false;
    (*this)[i] = value;
    for (int k = i; k < n; ++k)
        (*this)[k + 1] = scratch_[k - i];
    return true;
}

template <class T> bool FixedDeque<T>::erase(int i) {
    int n = size();
    if (i < 0 || i >= n) return false;
    for (int k = i + 1; k < n; ++k)
        scratch_[k - i - 1] = (*this)[k];
    for (int k = i + 1; k < n; ++k)
        (*this)[k - 1] = scratch_[k - i - 1];
    tail_ = (tail_ + capacity_ - 1) % capacity_;
    empty_ = head_ == tail_;
    return true;
}
