// node_store.cpp: where the planner's nodes live: the pool that hands them
// out (NodeFactory) and a set that finds them by cell in hash chains
// (NodeHashTable).
#include "pathfinding/pathfinding.h"

#include <algorithm>

// ---------------------------------------------------------------- NodeFactory

// Every node is obtained here, in one block, so that a search itself never
// allocates; nodes are handed out in the block's order.
bool NodeFactory::fill(int capacity) {
    used_ = 0;
    if (capacity == capacity_ && nodes_) return true;
    nodes_.reset();
    capacity_ = 0;
    if (capacity <= 0) return true;
    nodes_.reset(new (std::nothrow) Node[capacity]);
    if (!nodes_) return false;
    capacity_ = capacity;
    return true;
}

Node* NodeFactory::take() {
    if (used_ >= capacity_) return nullptr;
    return &nodes_[used_++];
}

void NodeFactory::give_back(int count) {
    used_ -= std::clamp(count, 0, used_);
}

// ---------------------------------------------------------------- NodeHashTable

NodeHashTable::NodeHashTable() : buckets_(new (std::nothrow) Node* [1] {}) {}

bool NodeHashTable::resize(int bits) {
    bits = std::clamp(bits, 0, kMaxBits) & ~1;
    found_link_ = nullptr;
    if (bits != bits_ || !buckets_) {
        std::unique_ptr<Node*[]> buckets(new (std::nothrow) Node*[std::size_t{1} << bits]);
        if (!buckets) {
            clear();
            return false;
        }
        buckets_ = std::move(buckets);
        bits_ = bits;
        half_ = bits / 2;
        mask_ = (1u << half_) - 1;
    }
    clear();
    return true;
}

std::size_t NodeHashTable::bucket_of(int x, int y) const {
    auto ux = static_cast<unsigned>(x);
    auto uy = static_cast<unsigned>(y);
    return (ux & mask_) | ((uy & mask_) << half_);
}

void NodeHashTable::insert(Node* node) {
    if (!buckets_) return;
    Node*& head = buckets_[bucket_of(node->x, node->y)];
    for (Node* n = head; n; n = n->hash_next) {
        if (n == node) return;
    }
    node->hash_next = head;
    head = node;
}

Node* NodeHashTable::find(int x, int y) {
    found_link_ = nullptr;
    if (!buckets_) return nullptr;
    for (Node** link = &buckets_[bucket_of(x, y)]; *link; link = &(*link)->hash_next) {
        if ((*link)->x == x && (*link)->y == y) {
            found_link_ = link;
            return *link;
        }
    }
    return nullptr;
}

void NodeHashTable::remove(Node* node) {
    Node** link = found_link_;
    found_link_ = nullptr;
    if (!link || *link != node) {
        // Not the node the last lookup found: search its chain.
        if (!buckets_) return;
        link = &buckets_[bucket_of(node->x, node->y)];
        while (*link && *link != node)
            link = &(*link)->hash_next;
        if (!*link) return;
    }
    *link = node->hash_next;
    node->hash_next = nullptr;
}

void NodeHashTable::clear() {
    found_link_ = nullptr;
    if (buckets_) std::fill_n(buckets_.get(), std::size_t{1} << bits_, nullptr);
}
