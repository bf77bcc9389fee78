// solver.cpp: breadth-first search over moves with the game's own rules, the
// replay of a line of moves, and loading a level for either.
#include "game/solver/solver.h"

#include "game/solver/fast_moves.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace solver {

namespace {

using Clock = std::chrono::steady_clock;

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
    if (step_character(board, kDirectionDx[direction], kDirectionDy[direction]) == 0) return false;
    finish_animations(board);
    return true;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The steps from one position, gathered before any is looked up so that the
// table's slots for all of them are fetched from memory together.
class Steps {
  public:
    explicit Steps(int words) : words_(static_cast<std::size_t>(words)) {}

    // Tries every step of every character of the loaded position in order;
    // with `stop_at_finish` none after the first that finishes the level.
    void gather(FastMoves& moves, const StateTable& table, bool stop_at_finish) {
        keys_.clear();
        steps_.clear();
        hashes_.clear();
        finish_ = -1;
        for (int c = 0; c < moves.characters(); ++c)
            for (int d = 0; d < 4; ++d) {
                StepResult step = moves.step(c, d);
                if (step == StepResult::kRefused) continue;
                if (step == StepResult::kFinished) {
                    if (finish_ < 0) finish_ = pack_step(c, d);
                    if (stop_at_finish) return;
                    continue;
                }
                keys_.insert(keys_.end(), moves.child(), moves.child() + words_);
                steps_.push_back(pack_step(c, d));
                hashes_.push_back(table.hash(moves.child()));
                table.prefetch(hashes_.back());
            }
    }

    std::size_t size() const { return steps_.size(); }
    const std::uint64_t* key(std::size_t i) const { return keys_.data() + i * words_; }
    std::uint8_t step(std::size_t i) const { return steps_[i]; }
    std::uint64_t hash(std::size_t i) const { return hashes_[i]; }
    // The first finishing step, or -1.
    int finish() const { return finish_; }

  private:
    std::size_t words_;
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint8_t> steps_;
    std::vector<std::uint64_t> hashes_;
    int finish_ = -1;
};

class Search {
  public:
    Search(const BoardState& start, const SolveLimits& limits)
        : first_character_(static_cast<int>(start.current_character)), limits_(limits),
          moves_(start), table_(moves_.words()), steps_(moves_.words()) {
        // Positions are numbered in 32 bits.
        limits_.max_states = std::min<std::uint64_t>(limits_.max_states, StateTable::kNone - 1);
    }

    SolveResult run() {
        began_ = Clock::now();
        std::vector<std::uint64_t> key(static_cast<std::size_t>(moves_.words()));
        moves_.start_key(key.data());
        table_.insert(key.data(), StateTable::kNone, 0);
        result_.outcome = SolveOutcome::kImpossible;
        for (std::uint32_t i = 0; i < table_.size(); ++i) {
            if (i % kClockEvery == 0 && out_of_time(limits_, began_)) {
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

    static bool out_of_time(const SolveLimits& limits, Clock::time_point began) {
        return limits.max_seconds > 0 && seconds_since(began) >= limits.max_seconds;
    }

  private:
    // Tries every step of every character from position `index`; true when
    // the search is over (solved or out of room).
    bool expand(std::uint32_t index) {
        moves_.load(table_.key(index));
        ++result_.expanded;
        steps_.gather(moves_, table_, true);
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            bool fresh = false;
            table_.find_or_insert(steps_.key(i), steps_.hash(i), index, steps_.step(i), fresh);
            if (fresh && table_.size() >= limits_.max_states) {
                result_.outcome = SolveOutcome::kStateLimit;
                return true;
            }
        }
        if (steps_.finish() < 0) return false;
        solved(index, static_cast<std::uint8_t>(steps_.finish()));
        return true;
    }

    int depth_of(std::uint32_t index) const {
        int depth = 0;
        for (; table_.parent(index) != StateTable::kNone; index = table_.parent(index))
            ++depth;
        return depth;
    }

    // Writes the solution out with as many "next character" presses as each
    // step needs. The button wraps round the characters still on the board;
    // when one leaves through the exit, control passes to the one before it.
    void solved(std::uint32_t index, std::uint8_t last) {
        std::vector<std::uint8_t> steps{last};
        std::vector<int> characters{characters_in(index)};
        for (; table_.parent(index) != StateTable::kNone; index = table_.parent(index)) {
            steps.push_back(table_.step(index));
            characters.push_back(characters_in(table_.parent(index)));
        }
        std::string line;
        int current = first_character_;
        for (std::size_t i = steps.size(); i-- > 0;) {
            int character = steps[i] / 4, n = characters[i];
            while (current != character) {
                current = (current + 1) % n;
                line += 'N';
            }
            line += kDirectionLetters[steps[i] % 4];
            bool left = i > 0 && characters[i - 1] < n;
            if (left) current = std::max(character - 1, 0);
        }
        result_.outcome = SolveOutcome::kSolved;
        result_.moves = static_cast<int>(steps.size());
        result_.depth = result_.moves;
        result_.solution = line;
    }

    int characters_in(std::uint32_t index) const {
        return reinterpret_cast<const unsigned char*>(table_.key(index))[0];
    }

    int first_character_;
    SolveLimits limits_;
    FastMoves moves_;
    StateTable table_;
    Steps steps_;
    SolveResult result_;
    Clock::time_point began_;
};

// Every position reachable from the start with the positions each step leads
// to, then backwards from the positions with a finishing step to every
// position that leads to one of them.
class Census {
  public:
    Census(const BoardState& start, const SolveLimits& limits)
        : limits_(limits), moves_(start), table_(moves_.words()), steps_(moves_.words()) {
        limits_.max_states = std::min<std::uint64_t>(limits_.max_states, StateTable::kNone - 1);
    }

    DeadEndCount run() {
        began_ = Clock::now();
        std::vector<std::uint64_t> key(static_cast<std::size_t>(moves_.words()));
        moves_.start_key(key.data());
        table_.insert(key.data(), StateTable::kNone, 0);
        result_.outcome = explore();
        result_.positions = table_.size();
        result_.solvable = result_.moves >= 0;
        if (result_.outcome == SolveOutcome::kSolved) result_.dead_ends = count_dead_ends();
        if (result_.outcome == SolveOutcome::kImpossible) result_.dead_ends = result_.positions;
        result_.seconds = seconds_since(began_);
        return result_;
    }

  private:
    SolveOutcome explore() {
        first_edge_.push_back(0);
        for (std::uint32_t i = 0; i < table_.size(); ++i) {
            if (i % kClockEvery == 0 && Search::out_of_time(limits_, began_))
                return SolveOutcome::kTimeLimit;
            if (!expand(i)) return SolveOutcome::kStateLimit;
            first_edge_.push_back(static_cast<std::uint32_t>(edges_.size()));
        }
        return result_.moves >= 0 ? SolveOutcome::kSolved : SolveOutcome::kImpossible;
    }

    // Records the steps from position `index`; false when the table is full.
    bool expand(std::uint32_t index) {
        moves_.load(table_.key(index));
        steps_.gather(moves_, table_, false);
        finishes_.push_back(steps_.finish() >= 0 ? 1 : 0);
        // Breadth first: the first finish found is a shortest one.
        if (steps_.finish() >= 0 && result_.moves < 0) result_.moves = depth_of(index) + 1;
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            bool fresh = false;
            edges_.push_back(
                table_.find_or_insert(steps_.key(i), steps_.hash(i), index, steps_.step(i), fresh));
            if (fresh && table_.size() >= limits_.max_states) return false;
        }
        return true;
    }

    int depth_of(std::uint32_t index) const {
        int depth = 0;
        for (; table_.parent(index) != StateTable::kNone; index = table_.parent(index))
            ++depth;
        return depth;
    }

    // The positions from which no line of steps reaches a finish: the
    // steps are turned round and followed back from every finishing position.
    std::uint64_t count_dead_ends() const {
        std::uint32_t n = table_.size();
        std::vector<std::uint32_t> first_in(n + 1, 0), from(edges_.size());
        for (std::uint32_t to : edges_)
            ++first_in[to + 1];
        for (std::uint32_t i = 0; i < n; ++i)
            first_in[i + 1] += first_in[i];
        std::vector<std::uint32_t> fill(first_in.begin(), first_in.end() - 1);
        for (std::uint32_t i = 0; i < n; ++i)
            for (std::uint32_t e = first_edge_[i]; e < first_edge_[i + 1]; ++e)
                from[fill[edges_[e]]++] = i;
        std::vector<std::uint8_t> alive(finishes_);
        std::vector<std::uint32_t> queue;
        for (std::uint32_t i = 0; i < n; ++i)
            if (alive[i]) queue.push_back(i);
        for (std::size_t q = 0; q < queue.size(); ++q)
            for (std::uint32_t e = first_in[queue[q]]; e < first_in[queue[q] + 1]; ++e)
                if (!alive[from[e]]) {
                    alive[from[e]] = 1;
                    queue.push_back(from[e]);
                }
        return n - queue.size();
    }

    SolveLimits limits_;
    FastMoves moves_;
    StateTable table_;
    Steps steps_;
    // The steps of position i lead to edges_[first_edge_[i] .. first_edge_[i + 1]).
    std::vector<std::uint32_t> first_edge_, edges_;
    std::vector<std::uint8_t> finishes_; // 1 where a step finishes the level
    DeadEndCount result_;
    Clock::time_point began_;
};

} // namespace

SolveResult solve_board(const BoardState& start, const SolveLimits& limits) {
    Search search(start, limits);
    return search.run();
}

DeadEndCount count_dead_ends(const BoardState& start, const SolveLimits& limits) {
    Census census(start, limits);
    return census.run();
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
