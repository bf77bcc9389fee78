// measures_dead_ends.h: how many positions a player can reach in a level
// from which it can no longer be finished (a wrong push or turn too many).
#pragma once

#include <cstdint>

struct BoardState;

struct DeadEndCount {
    bool complete = false;       // every reachable position was visited
    std::uint64_t reachable = 0; // positions reached, the start included
    std::uint64_t dead_ends = 0; // of those, the ones that cannot lead to the end
};

// Visits every position reachable from the board at rest through the game's
// own steps (any character may step: switching costs nothing), then marks
// those from which some line of steps finishes the level. A finished level
// is no position of its own. Stops, incomplete, after max_positions.
DeadEndCount count_dead_ends(const BoardState& start, std::uint64_t max_positions);
