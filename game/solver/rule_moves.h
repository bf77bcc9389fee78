// rule_moves.h: the steps of a packed position played through the game's own
// rules (step_character with its animations finished at once). The searches
// take their steps from here; it is the yardstick for any quicker way.
#pragma once

#include "game/solver/state_table.h"

#include <cstdint>
#include <vector>

namespace solver {

enum class StepResult { kRefused, kMoved, kFinished };

// The four directions in the order they are tried, with their letters.
inline constexpr int kDirectionDx[4] = {-1, 1, 0, 0};
inline constexpr int kDirectionDy[4] = {0, 0, -1, 1};
inline constexpr char kDirectionLetters[4] = {'L', 'R', 'U', 'D'};

// A step as stored with each position: the character index and the direction.
inline std::uint8_t pack_step(int character, int direction) {
    return static_cast<std::uint8_t>(character * 4 + direction);
}

// Plays single steps from one position after another: load a position, then
// try any step of any of its characters; each step starts again from the
// loaded position.
class RuleMoves {
  public:
    explicit RuleMoves(const BoardState& start);

    int words() const { return layout_.words(); }
    // The key of the level's start.
    void start_key(std::uint64_t* key) const;
    // Makes the position in `key` the one the steps start from; the key may
    // move or change afterwards.
    void load(const std::uint64_t* key);
    int characters() const { return characters_; }
    // One step of a character; when it is made and does not finish the
    // level, child() holds the key of the position it leads to.
    StepResult step(int character, int direction);
    const std::uint64_t* child() const { return child_.data(); }

  private:
    KeyLayout layout_;
    BoardState base_; // the loaded position
    BoardState work_; // base_ with one step taken
    bool dirty_ = false;
    int characters_ = 0;
    std::vector<std::uint64_t> loaded_, child_;
};

} // namespace solver
