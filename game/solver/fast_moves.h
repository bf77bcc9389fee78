// fast_moves.h: the steps of a packed position worked out on small cell
// grids of its own, without a board: the same steps, refusals and resulting
// keys as RuleMoves, many times quicker. Holds no shared state, so searches
// on different threads each use their own.
#pragma once

#include "game/solver/rule_moves.h"

#include <array>
#include <cstdint>
#include <vector>

namespace solver {

class FastMoves {
  public:
    explicit FastMoves(const BoardState& start);

    int words() const { return words_; }
    void start_key(std::uint64_t* key) const;
    // Makes the position in `key` the one the steps start from.
    void load(const std::uint64_t* key);
    int characters() const { return characters_; }
    // One step of a character, as RuleMoves::step.
    StepResult step(int character, int direction);
    const std::uint64_t* child() const { return child_.data(); }

  private:
    static constexpr int kCells = kBoardWidth * kBoardHeight;
    static constexpr std::uint16_t kFallen = 0x8000;

    struct Block {
        int x = 0, y = 0, width = 1, depth = 1;
        bool fallen = false;
    };

    void rebuild_grids();
    StepResult walk(int character, int target);
    StepResult push(int character, int target, int dx, int dy);
    StepResult turn(int character, int target, int dx, int dy);
    StepResult leave(int character);
    bool strip_free(const Block& b, int dx, int dy) const;
    bool over_holes(const Block& b, int x, int y) const;
    int door_with_arm_at(int cell) const;
    unsigned char* child_bytes() { return reinterpret_cast<unsigned char*>(child_.data()); }
    void put_character(int character, int cell);

    // What never changes: the level's walls and terrain, exit, block sizes,
    // door pivots, and where the parts of the key lie.
    std::array<std::uint8_t, kCells> walls_{};
    std::array<std::uint8_t, kCells> level_holes_{};
    int exit_ = 0;
    std::vector<int> pivots_;
    int slots_ = 0, block_offset_ = 0, door_offset_ = 0, words_ = 0;
    std::vector<std::uint64_t> start_;

    // The loaded position and its grids.
    std::vector<std::uint64_t> loaded_, child_;
    bool grids_valid_ = false;
    int characters_ = 0;
    std::vector<int> at_; // the characters' cells in list order
    std::vector<Block> blocks_;
    std::vector<int> arms_;                        // each door's arm flags, bit k for arm k
    std::array<std::uint8_t, kCells> occupancy_{}; // codes as rebuild_occupancy writes them
    std::array<std::uint8_t, kCells> holes_{};
    std::array<std::uint8_t, kCells> people_{};   // characters standing on each cell
    std::array<std::int16_t, kCells> block_at_{}; // first resting block covering a cell, or -1
};

} // namespace solver
