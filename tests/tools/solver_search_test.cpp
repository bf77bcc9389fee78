// solver_search_test.cpp: the solver on hand-made levels whose fewest moves
// are known, on levels that cannot be finished, against a plain reference
// search on small random levels, and every solution played back through the
// real rules.
#include "game/solver/solver.h"
#include "solver_levels.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <thread>

using namespace solver_test;
using solver::SolveOutcome;

namespace {

struct Known {
    const char* name;
    const char* picture;
    const char* extra_blocks;
    int moves;
};

// Each count is argued in the comment beside it.
const Known kKnownLevels[] = {
    // Four steps right.
    {"straight walk", "#######/#1...E#/#######", "", 4},
    // Pushing the block into the hole is shorter than the six-step way round.
    {"block into hole", "#######/#.....#/#1B~.E#/#.....#/#######", "", 4},
    // A 2 x 1 block stays up over one hole and floor, falls over two holes;
    // two pushes, then five steps over it to the exit.
    {"wide block", "##########/#1..~~..E#/##########", "CBDB", 7},
    // The arm across the corridor turns into the way down, and must be
    // turned a second time: seven cells, seven moves.
    {"door turned twice", "#######/#1..|.#/####+.#/####..#/#####E#/#######", "", 7},
    // Turning a four-armed door carries the character two cells in one move.
    {"turnstile", "#######/#..|..#/#1-+-E#/#..|..#/#######", "", 5},
    // Character 2 is in the way: it must leave first (2 + 4 moves).
    {"two characters in a row", "#######/#1.2.E#/#######", "", 6},
    // Character 2 pushes the block into the hole that stops character 1;
    // then both walk out (1 + 4 + 4 moves).
    {"two characters working together", "#######/#1~..E#/##B####/##2####/#######", "", 9},
};

const char* const kImpossibleLevels[] = {
    "#######/#1.#E.#/#######",                   // the exit is walled off
    "#######/#1B~~E#/#######",                   // one block for two holes
    "#######/#1B.#E#/#######",                   // the block can only be pushed into the wall
    "########/##.|.##/#1-+-E#/##.|.##/########", // the arms point at the character
};

std::string describe(const solver::SolveResult& r) {
    return std::string(solver::outcome_name(r.outcome)) + " in " + std::to_string(r.moves) +
           " moves: " + r.solution;
}

} // namespace

TEST(SolverSearch, FindsTheFewestMovesAndTheSolutionFinishesTheLevel) {
    for (const Known& level : kKnownLevels) {
        SCOPED_TRACE(level.name);
        BoardState board = board_from_picture(level.picture, level.extra_blocks);
        solver::SolveResult r = solver::solve_board(board);
        ASSERT_EQ(r.outcome, SolveOutcome::kSolved) << board_text(board);
        EXPECT_EQ(r.moves, level.moves) << describe(r);
        solver::ReplayResult replay = solver::replay_moves(board, r.solution);
        EXPECT_TRUE(replay.complete) << describe(r) << "\n" << board_text(board);
        EXPECT_EQ(replay.moves, level.moves);
        EXPECT_EQ(replay.refused, 0) << "a solution holds no refused steps";
    }
}

TEST(SolverSearch, SaysPlainlyWhenALevelCannotBeFinished) {
    for (const char* picture : kImpossibleLevels) {
        SCOPED_TRACE(picture);
        solver::SolveResult r = solver::solve_board(board_from_picture(picture));
        EXPECT_EQ(r.outcome, SolveOutcome::kImpossible) << describe(r);
        EXPECT_TRUE(r.solution.empty());
        EXPECT_GE(r.states, 1u);
        EXPECT_EQ(r.expanded, r.states) << "every reachable position is tried";
    }
}

TEST(SolverSearch, StopsAtTheStateLimitWithoutDecidingTheLevel) {
    // A wide room with blocks and an exit nobody can reach.
    const char* room = "############/#1.........#/#..B...B...#/#..........#/#....B.....#/"
                       "#..........#/##########.#/#########E##/############";
    BoardState board = board_from_picture(room);
    solver::SolveLimits limits;
    limits.max_states = 500;
    solver::SolveResult r = solver::solve_board(board, limits);
    EXPECT_EQ(r.outcome, SolveOutcome::kStateLimit);
    EXPECT_EQ(r.states, 500u);
    EXPECT_GT(r.depth, 0);
}

TEST(SolverSearch, LeavesTheGivenBoardAlone) {
    BoardState board = board_from_picture("#######/#.....#/#1B~.E#/#.....#/#######");
    std::string before = board_text(board);
    solver::solve_board(board);
    EXPECT_EQ(board_text(board), before);
    EXPECT_EQ(rt_bounds(board.undo_stack, 0), 0);
}

TEST(SolverSearch, GivesTheSameAnswersOnSeveralThreadsAtOnce) {
    std::vector<BoardState> boards;
    for (const Known& level : kKnownLevels)
        boards.push_back(board_from_picture(level.picture, level.extra_blocks));
    // A room of some thousands of positions, so that the searches overlap.
    boards.push_back(board_from_picture("##########/#1..B...E#/#..B.+-..#/#.~..|..2#/##########"));
    std::vector<std::string> alone;
    for (const BoardState& board : boards) {
        solver::SolveResult r = solver::solve_board(board);
        solver::DeadEndCount d = solver::count_dead_ends(board);
        alone.push_back(describe(r) + " " + std::to_string(r.states) + " " +
                        std::to_string(d.positions) + " " + std::to_string(d.dead_ends));
    }
    const int kThreads = 4;
    std::vector<std::vector<std::string>> together(kThreads,
                                                   std::vector<std::string>(boards.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            // Each thread takes the boards in another order.
            for (std::size_t k = 0; k < boards.size(); ++k) {
                std::size_t i = (k + static_cast<std::size_t>(t)) % boards.size();
                solver::SolveResult r = solver::solve_board(boards[i]);
                solver::DeadEndCount d = solver::count_dead_ends(boards[i]);
                together[t][i] = describe(r) + " " + std::to_string(r.states) + " " +
                                 std::to_string(d.positions) + " " + std::to_string(d.dead_ends);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(together[t], alone) << "thread " << t;
}

// ---------------------------------------------------------------- reference search

namespace {

// Plain 0-1 search over whole boards: "next character" is a step of cost 0,
// a position is known by its full picture (which names the current
// character). Slow, but with nothing packed and nothing assumed about
// characters being interchangeable in time.
int reference_fewest_moves(const BoardState& start) {
    static constexpr double kDx[4] = {-1, 1, 0, 0}, kDy[4] = {0, 0, -1, 1};
    std::map<std::string, int> best;
    std::deque<std::pair<BoardState, int>> open;
    auto reach = [&](const BoardState& board, int moves, bool free) {
        auto [it, fresh] = best.emplace(board_text(board), moves);
        if (!fresh && it->second <= moves) return;
        it->second = moves;
        if (free)
            open.emplace_front(board, moves);
        else
            open.emplace_back(board, moves);
    };
    BoardState first = start;
    first.record_undo = 0; // copies of long undo stacks would only slow it down
    reach(first, 0, false);
    while (!open.empty()) {
        auto [board, moves] = open.front();
        open.pop_front();
        if (best[board_text(board)] < moves) continue;
        BoardState next = board;
        solver::replay_moves(next, "N");
        reach(next, moves, true);
        for (int d = 0; d < 4; ++d) {
            BoardState step = board;
            if (step_character(step, kDx[d], kDy[d]) == 0) continue;
            finish_animations(step);
            // Positions leave the deque in order of moves, so the first
            // finish found is a shortest one.
            if (step.fade_timer > 0) return moves + 1;
            reach(step, moves + 1, false);
        }
    }
    return -1;
}

} // namespace

TEST(SolverSearch, AgreesWithAPlainSearchOnRandomRooms) {
    std::mt19937 random(20261208);
    solver::SolveLimits limits;
    limits.max_states = 1000;
    int solved = 0, compared = 0;
    for (int i = 0; i < 40; ++i) {
        std::string picture = random_room(random);
        SCOPED_TRACE(picture);
        BoardState board = board_from_picture(picture);
        solver::SolveResult r = solver::solve_board(board, limits);
        // The plain search is slow; large rooms are left out.
        if (r.outcome == SolveOutcome::kStateLimit) continue;
        ++compared;
        int expected = reference_fewest_moves(board);
        EXPECT_EQ(r.outcome == SolveOutcome::kSolved ? r.moves : -1, expected) << describe(r);
        if (r.outcome != SolveOutcome::kSolved) continue;
        ++solved;
        EXPECT_TRUE(solver::replay_moves(board, r.solution).complete) << describe(r);
    }
    EXPECT_GE(compared, 20);
    EXPECT_GE(solved, 10) << "too few rooms could be finished to compare solutions";
}
