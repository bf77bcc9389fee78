// state_table.h: the solver's compact positions and the set that remembers
// them. A position at rest is packed into a key of fixed size for its level
// (characters, blocks with their fallen state, door arms); the key can be
// turned back into a board the game's rules can work on. Keys live in one
// growing arena and are found again through an open-addressing hash set, so
// storing a position costs no allocation of its own.
#pragma once

#include "game/rules/board.h"

#include <cstdint>
#include <vector>

namespace solver {

// How a level's positions are packed. Byte 0 holds the number of characters
// still on the board; then two bytes per character in list order (cell
// x + 20 y), two bytes per block (cell, top bit set once fallen) and four bits
// per door (its arm flags). The terrain is not stored: it is the level's own
// terrain with the cells of the fallen blocks made floor, and the rules change
// it in no other way. Nor is the current character: "next character" costs
// nothing, so every character of a position can be chosen at once.
class KeyLayout {
  public:
    explicit KeyLayout(const BoardState& start);

    int words() const { return words_; }
    // Packs a board whose movements have all finished.
    void encode(const BoardState& board, std::uint64_t* key) const;
    // Sets the movable parts of `board` (a copy of the level's start) to the
    // position in `key`, with the terrain and occupancy grid to match. When
    // the board holds `previous` and the two differ only in where the
    // characters stand, the grids are kept as they are.
    void decode(const std::uint64_t* key, BoardState& board,
                const std::uint64_t* previous = nullptr) const;
    int characters_in(const std::uint64_t* key) const;

  private:
    int characters_ = 0, blocks_ = 0, doors_ = 0;
    int block_offset_ = 0, door_offset_ = 0;
    int words_ = 0;
    RtArray<double> terrain_; // the level's terrain before any block fell
};

// The positions found so far, in the order found, each with the position it
// was reached from and the step that led there.
class StateTable {
  public:
    static constexpr std::uint32_t kNone = 0xffffffffu;

    explicit StateTable(int words);

    std::uint32_t size() const { return static_cast<std::uint32_t>(parents_.size()); }
    const std::uint64_t* key(std::uint32_t index) const {
        return keys_.data() + static_cast<std::size_t>(index) * words_;
    }
    std::uint32_t parent(std::uint32_t index) const { return parents_[index]; }
    std::uint8_t step(std::uint32_t index) const { return steps_[index]; }

    // Adds the key unless it is known; true when it was new.
    bool insert(const std::uint64_t* key, std::uint32_t parent, std::uint8_t step) {
        bool fresh = false;
        find_or_insert(key, parent, step, fresh);
        return fresh;
    }
    // The index of the key, which is added (fresh set) unless it is known.
    std::uint32_t find_or_insert(const std::uint64_t* key, std::uint32_t parent, std::uint8_t step,
                                 bool& fresh) {
        return find_or_insert(key, hash(key), parent, step, fresh);
    }
    // The same with the key's hash worked out before.
    std::uint32_t find_or_insert(const std::uint64_t* key, std::uint64_t hash, std::uint32_t parent,
                                 std::uint8_t step, bool& fresh);

    std::uint64_t hash(const std::uint64_t* key) const;
    // Asks for the slot where a key of this hash is looked for first, so that
    // several lookups can wait for memory at once.
    void prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }

  private:
    void grow();
    // The slot holding the key, or the empty slot where it belongs.
    std::size_t find_slot(const std::uint64_t* key, std::uint64_t h) const;

    int words_;
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint32_t> parents_;
    std::vector<std::uint8_t> steps_;
    // Each slot: the upper 32 bits of the key's hash, then index + 1 (0 empty).
    std::vector<std::uint64_t> slots_;
    std::size_t mask_ = 0;
};

} // namespace solver
