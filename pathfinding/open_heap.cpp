// open_heap.cpp: the planner's open list, a binary heap keyed by (f, sequence)
// that keeps each cell's slot told of the entry's position.
#include "pathfinding/pathfinding.h"

bool OpenHeap::reset(int capacity) {
    items_.reset();
    capacity_ = 0;
    clear();
    if (capacity <= 0) return true;
    items_.reset(new (std::nothrow) Entry[capacity]);
    if (!items_) return false;
    capacity_ = capacity;
    return true;
}

void OpenHeap::clear() {
    size_ = 0;
    next_seq_ = 0;
}

void OpenHeap::place(int position, const Entry& entry) {
    items_[position] = entry;
    if (slots_) slots_[entry.cell].where = position + 1;
}

// Moves the hole at `position` up until `entry` fits there.
void OpenHeap::sift_up(int position, Entry entry) {
    while (position > 0) {
        int parent = (position - 1) / 2;
        if (!before(entry, items_[parent])) break;
        place(position, items_[parent]);
        position = parent;
    }
    place(position, entry);
}

// Moves the hole at `position` down until `entry` fits there.
void OpenHeap::sift_down(int position, Entry entry) {
    for (;;) {
        int child = 2 * position + 1;
        if (child >= size_) break;
        if (child + 1 < size_ && before(items_[child + 1], items_[child])) ++child;
        if (!before(items_[child], entry)) break;
        place(position, items_[child]);
        position = child;
    }
    place(position, entry);
}

bool OpenHeap::push(std::uint32_t cell, float f) {
    if (full()) return false;
    sift_up(size_++, Entry{f, cell, next_seq_++});
    return true;
}

std::uint32_t OpenHeap::pop() {
    std::uint32_t cell = items_[0].cell;
    Entry last = items_[--size_];
    if (size_ > 0) sift_down(0, last);
    return cell;
}

// The key may rise as well as fall: an improved cost can round to a larger
// weighted key. The fresh sequence alone can only move the entry down.
void OpenHeap::change(int position, float f) {
    Entry entry{f, items_[position].cell, next_seq_++};
    if (position > 0 && before(entry, items_[(position - 1) / 2]))
        sift_up(position, entry);
    else
        sift_down(position, entry);
}
