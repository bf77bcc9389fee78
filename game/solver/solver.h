// solver.h: finds the fewest moves that finish a level, and plays a line of
// moves through the game's own rules.
//
// A move is one accepted step of the current character: a walk, a push, a
// door turn or stepping onto the exit. Solutions are written as letters: L, R,
// U, D for a step of the current character and N for "next character", which
// costs no move. A step the rules refuse is neither a move nor a change.
//
// The searches work out steps with the solver's own move generator, which
// the tests hold to step_character (animations finished at once) step for
// step, so the solver plays exactly the game's puzzle, taken from rest to
// rest. solve_board and count_dead_ends touch no shared state: searches on
// different boards may run on several threads at once.
#pragma once

#include "game/rules/board.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace solver {

struct SolveLimits {
    // Distinct positions the search may store before it gives up.
    std::uint64_t max_states = 10'000'000;
    // Seconds the search may take before it gives up; 0 for no limit.
    double max_seconds = 0;
};

enum class SolveOutcome {
    kSolved,
    kImpossible, // every reachable position was tried
    kStateLimit, // undecided: the state limit was reached
    kTimeLimit,  // undecided: the time limit was reached
};

struct SolveResult {
    SolveOutcome outcome = SolveOutcome::kImpossible;
    int moves = -1;             // the fewest moves, when solved
    std::string solution;       // one solution with that many moves, when solved
    std::uint64_t states = 0;   // distinct positions stored
    std::uint64_t expanded = 0; // positions whose steps were all tried
    int depth = 0;              // moves of the deepest positions stored
    double seconds = 0;
};

// Breadth-first search over moves from the board as given (at rest, fade
// timer 0). The board itself is not changed.
SolveResult solve_board(const BoardState& start, const SolveLimits& limits = {});

struct DeadEndCount {
    // kSolved: the level can be finished and every reachable position was
    // counted; kImpossible: no position leads to a finish; a limit: undecided,
    // and dead_ends stays 0.
    SolveOutcome outcome = SolveOutcome::kImpossible;
    bool solvable = false;       // a finish was found (also when a limit stopped the count)
    int moves = -1;              // the fewest moves, when solvable
    std::uint64_t positions = 0; // distinct positions reached, the start among them
    std::uint64_t dead_ends = 0; // of them, those from which the level can no longer be finished
    double seconds = 0;
};

// Every position reachable from the board as given, taken from rest to rest
// with the same steps and the same idea of a position as solve_board (the
// current character is not part of it; a finished level is not a position).
// Counts how many of them cannot lead to a finish any more. The limits are
// those of solve_board; reaching one leaves the count undecided.
DeadEndCount count_dead_ends(const BoardState& start, const SolveLimits& limits = {});

// A short name for an outcome: "solved", "impossible", "state-limit", "time-limit".
const char* outcome_name(SolveOutcome outcome);

struct ReplayResult {
    bool complete = false; // the level was finished
    int moves = 0;         // accepted steps
    int refused = 0;       // steps the rules refused
    int bad_letter = -1;   // position of the first letter that is no move, else -1
};

// Called after every accepted step with the board at rest and the letter.
using ReplayObserver = std::function<void(const BoardState& board, char letter)>;

// Plays the letters on the board through the game's rules, finishing every
// animation after each step. Blanks are skipped; any other letter than
// L, R, U, D, N stops the replay there.
ReplayResult replay_moves(BoardState& board, std::string_view moves,
                          const ReplayObserver& observer = {});

// Loads a level file into a board ready to play or solve (occupancy grid
// built). The board's level number is taken from a library name such as
// "QLEV12.CMD", else 0. On failure returns false with the reason.
bool load_level_board(const std::string& file, BoardState& board, std::string* reason = nullptr);

} // namespace solver
