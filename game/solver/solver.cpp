// solver.cpp: breadth-first search over moves with the game's own rules, the
// replay of a line of moves, and loading a level for either.
#include "game/solver/solver.h"

#include "game/solver/state_table.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace solver {

namespace {

using Clock = std::chrono::steady_clock;

// The four directions in the order they are tried, with their letters.
constexpr double kDx[4] = {-1, 1, 0, 0};
constexpr double kDy[4] = {0, 0, -1, 1};
constexpr char kLetters[4] = {'L', 'R', 'U', 'D'};

// How often (in expanded positions) the clock is read.
constexpr std::uint32_t kClockEvery = 256;

int direction_of(char letter) {
    switch (letter) {
    case 'L':
    case 'l':
        return 0;
    case 'R':
    case 'r':
        return 1;
    case 'U':
    case 'u':
        return 2;
    case 'D':
    case 'd':
        return 3;
    default:
        return -1;
    }
}

// One step of the current character from rest to rest; false when refused.
bool take_step(BoardState& board, int direction) {
    if (step_character(board, kDx[direction], kDy[direction]) == 0) return false;
    finish_animations(board);
    return true;
}

bool same_mover(const Mover& a, const Mover& b) {
    return a.x == b.x && a.y == b.y && a.height == b.height && a.angle == b.angle &&
           a.pending_dx == b.pending_dx && a.pending_dy == b.pending_dy &&
           a.pending_height == b.pending_height && a.pending_angle == b.pending_angle;
}

bool same_door(const DoorRecord& a, const DoorRecord& b) {
    for (int k = 0; k < 4; ++k)
        if (rt_index(a.arms, k) != rt_index(b.arms, k)) return false;
    return same_mover(a.m, b.m);
}

void copy_door(DoorRecord& to, const DoorRecord& from) {
    for (int k = 0; k < 4; ++k)
        rt_index(to.arms, k) = rt_index(from.arms, k);
    to.m = from.m;
}

// Makes `work` the position `base` again after one step, copying only what
// the step changed: mostly a walk, which moves one character and nothing
// else. The grids are derived from blocks and doors (the terrain changes only
// when a block falls), so they are copied only when one of those changed.
void restore(BoardState& work, const BoardState& base) {
    int n = count(base.characters);
    if (count(work.characters) != n || !same_mover(work.exit, base.exit)) {
        copy_board_position(work, base);
        return;
    }
    for (int i = 0; i < n; ++i)
        rt_index(work.characters, i).m = rt_index(base.characters, i).m;
    bool grids = false;
    for (int i = 0; i < count(base.blocks); ++i) {
        BoxRecord& b = rt_index(work.blocks, i);
        const BoxRecord& from = rt_index(base.blocks, i);
        if (same_mover(b.m, from.m)) continue;
        b.m = from.m;
        grids = true;
    }
    for (int i = 0; i < count(base.doors); ++i) {
        DoorRecord& d = rt_index(work.doors, i);
        const DoorRecord& from = rt_index(base.doors, i);
        if (same_door(d, from)) continue;
        copy_door(d, from);
        grids = true;
    }
    if (grids) {
        rt_array_assign(work.terrain, base.terrain);
        rt_array_assign(work.occupancy, base.occupancy);
    }
    work.current_character = base.current_character;
    work.fade_timer = base.fade_timer;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A step as stored with each position: the character index and the direction.
std::uint8_t pack_step(int character, int direction) {
    return static_cast<std::uint8_t>(character * 4 + direction);
}

class Search {
  public:
    Search(const BoardState& start, const SolveLimits& limits)
        : start_(start), limits_(limits), layout_(start), table_(layout_.words()),
          key_(static_cast<std::size_t>(layout_.words())) {
        // Positions are numbered in 32 bits.
        limits_.max_states = std::min<std::uint64_t>(limits_.max_states, StateTable::kNone - 1);
        start_.record_undo = 0; // the table is the search's history
        start_.fade_timer = 0;
        rt_dim(start_.undo_stack, 0);
        base_ = start_;
        work_ = start_;
    }

    SolveResult run() {
        began_ = Clock::now();
        layout_.encode(start_, key_.data());
        table_.insert(key_.data(), StateTable::kNone, 0);
        result_.outcome = SolveOutcome::kImpossible;
        for (std::uint32_t i = 0; i < table_.size(); ++i) {
            if (i % kClockEvery == 0 && out_of_time()) {
                result_.outcome = SolveOutcome::kTimeLimit;
                break;
            }
            if (expand(i)) break;
        }
        result_.states = table_.size();
        if (result_.outcome != SolveOutcome::kSolved) result_.depth = depth_of(table_.size() - 1);
        result_.seconds = seconds_since(began_);
        return result_;
    }

  private:
    bool out_of_time() const {
        return limits_.max_seconds > 0 && seconds_since(began_) >= limits_.max_seconds;
    }

    // Tries every step of every character from position `index`; true when
    // the search is over (solved or out of room).
    bool expand(std::uint32_t index) {
        const std::uint64_t* key = table_.key(index);
        int characters = layout_.characters_in(key);
        layout_.decode(key, base_, index > 0 ? table_.key(index - 1) : nullptr);
        ++result_.expanded;
        restore(work_, base_);
        bool dirty = false;
        for (int c = 0; c < characters; ++c) {
            for (int d = 0; d < 4; ++d) {
                // A refused step leaves the board as it was, so the position
                // is only restored after an accepted one.
                if (dirty) restore(work_, base_);
                dirty = false;
                work_.current_character = c;
                if (!take_step(work_, d)) continue;
                dirty = true;
                if (work_.fade_timer > 0) {
                    solved(index, pack_step(c, d));
                    return true;
                }
                layout_.encode(work_, key_.data());
                if (table_.insert(key_.data(), index, pack_step(c, d)) &&
                    table_.size() >= limits_.max_states) {
                    result_.outcome = SolveOutcome::kStateLimit;
                    return true;
                }
            }
        }
        return false;
    }

    int depth_of(std::uint32_t index) const {
        int depth = 0;
        for (; table_.parent(index) != StateTable::kNone; index = table_.parent(index))
            ++depth;
        return depth;
    }

    // Writes the solution out by playing the steps on the start again, with
    // as many "next character" presses as each step needs.
    void solved(std::uint32_t index, std::uint8_t last) {
        std::vector<std::uint8_t> steps{last};
        for (; table_.parent(index) != StateTable::kNone; index = table_.parent(index))
            steps.push_back(table_.step(index));
        BoardState board = start_;
        std::string line;
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            int character = *it / 4, direction = *it % 4;
            while (static_cast<int>(board.current_character) != character) {
                next_character(board);
                line += 'N';
            }
            line += kLetters[direction];
            if (!take_step(board, direction))
                rt_log("solver: a step of the solution was refused on the way back");
        }
        result_.outcome = SolveOutcome::kSolved;
        result_.moves = static_cast<int>(steps.size());
        result_.depth = result_.moves;
        result_.solution = line;
    }

    BoardState start_;
    SolveLimits limits_;
    KeyLayout layout_;
    StateTable table_;
    std::vector<std::uint64_t> key_; // the key being built
    BoardState base_;                // the position being expanded
    BoardState work_;                // base_ with one step taken
    SolveResult result_;
    Clock::time_point began_;
};

} // namespace

SolveResult solve_board(const BoardState& start, const SolveLimits& limits) {
    Search search(start, limits);
    return search.run();
}

const char* outcome_name(SolveOutcome outcome) {
    switch (outcome) {
    case SolveOutcome::kSolved:
        return "solved";
    case SolveOutcome::kImpossible:
        return "impossible";
    case SolveOutcome::kStateLimit:
        return "state-limit";
    case SolveOutcome::kTimeLimit:
        return "time-limit";
    }
    return "?";
}

ReplayResult replay_moves(BoardState& board, std::string_view moves,
                          const ReplayObserver& observer) {
    ReplayResult result;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        char letter = moves[i];
        if (letter == ' ' || letter == '\t' || letter == '\n' || letter == '\r') continue;
        if (letter == 'N' || letter == 'n') {
            next_character(board);
            continue;
        }
        int direction = direction_of(letter);
        if (direction < 0) {
            result.bad_letter = static_cast<int>(i);
            break;
        }
        if (!take_step(board, direction)) {
            ++result.refused;
            continue;
        }
        ++result.moves;
        if (observer) observer(board, letter);
    }
    result.complete = board.fade_timer > 0;
    return result;
}

bool load_level_board(const std::string& file, BoardState& board, std::string* reason) {
    std::size_t at = file.rfind("QLEV");
    board.level_number = at == std::string::npos ? 0 : std::strtod(file.c_str() + at + 4, nullptr);
    RtString why;
    if (load_level_file(board, RtString(file.c_str()), &why) == 0) {
        if (reason) *reason = why.str();
        return false;
    }
    rebuild_occupancy(board);
    return true;
}

} // namespace solver
