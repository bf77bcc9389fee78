// solver_census_test.cpp: the count of reachable positions and of those from
// which a level can no longer be finished, on rooms counted by hand and
// against a plain count over whole boards on small random rooms.
#include "game/solver/solver.h"
#include "solver_levels.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

using namespace solver_test;
using solver::SolveOutcome;

namespace {

struct Counted {
    const char* name;
    const char* picture;
    SolveOutcome outcome;
    int moves;
    std::uint64_t positions, dead_ends;
};

// Each count is argued in the comment beside it.
const Counted kCountedRooms[] = {
    // Four cells to stand on, each one on the way.
    {"corridor", "#######/#1...E#/#######", SolveOutcome::kSolved, 4, 4, 0},
    // The only push puts the block against the wall before the exit: the
    // start, then the character behind the pushed block at two cells; all
    // three positions are lost.
    {"block into the wall", "#######/#1B.#E#/#######", SolveOutcome::kImpossible, -1, 3, 3},
    // The block in front of the exit can go down or up out of the way
    // (6 + 6 positions) or right, against the exit, where it stays for good
    // (6 positions, all lost); 5 positions before the first push.
    {"block against the exit", "######/#..###/#1B.E#/#..###/######", SolveOutcome::kSolved, 5, 23,
     6},
    // Filling the hole is the only way over it: 2 cells before, 5 after.
    {"bridge", "########/#1.B~.E#/########", SolveOutcome::kSolved, 5, 7, 0},
};

std::string describe(const solver::DeadEndCount& r) {
    return std::string(solver::outcome_name(r.outcome)) + ", " + std::to_string(r.positions) +
           " positions, " + std::to_string(r.dead_ends) + " dead ends, " + std::to_string(r.moves) +
           " moves";
}

} // namespace

TEST(SolverCensus, CountsThePositionsThatCanNoLongerBeFinished) {
    for (const Counted& room : kCountedRooms) {
        SCOPED_TRACE(room.name);
        BoardState board = board_from_picture(room.picture);
        solver::DeadEndCount r = solver::count_dead_ends(board);
        EXPECT_EQ(r.outcome, room.outcome) << describe(r);
        EXPECT_EQ(r.solvable, room.outcome == SolveOutcome::kSolved);
        EXPECT_EQ(r.moves, room.moves);
        EXPECT_EQ(r.positions, room.positions) << describe(r);
        EXPECT_EQ(r.dead_ends, room.dead_ends) << describe(r);
    }
}

TEST(SolverCensus, LeavesTheCountUndecidedAtALimit) {
    const char* room = "############/#1.........#/#..B...B...#/#..........#/#....B.....#/"
                       "#..........#/##########.#/#########E##/############";
    solver::SolveLimits limits;
    limits.max_states = 500;
    solver::DeadEndCount r = solver::count_dead_ends(board_from_picture(room), limits);
    EXPECT_EQ(r.outcome, SolveOutcome::kStateLimit) << describe(r);
    EXPECT_EQ(r.positions, 500u);
    EXPECT_EQ(r.dead_ends, 0u) << "nothing is claimed about a room not wholly seen";
    EXPECT_FALSE(r.solvable);
}

TEST(SolverCensus, KnowsALevelIsSolvableEvenWhenTheCountIsCutShort) {
    // The exit is four steps away but the open room has thousands of positions.
    const char* room = "############/#1...E.....#/#..B...B...#/#..........#/#....B.....#/"
                       "############";
    solver::SolveLimits limits;
    limits.max_states = 300;
    solver::DeadEndCount r = solver::count_dead_ends(board_from_picture(room), limits);
    EXPECT_EQ(r.outcome, SolveOutcome::kStateLimit) << describe(r);
    EXPECT_TRUE(r.solvable);
    EXPECT_EQ(r.moves, 4);
}

// ---------------------------------------------------------------- plain count

namespace {

// A position as the solver tells positions apart, read off the board's
// records: characters in list order, blocks with their height, door arms.
std::string identity(const BoardState& board) {
    std::string text;
    auto add = [&](double value) { text += std::to_string(static_cast<int>(value)) + ","; };
    for (int i = 0; i < rt_bounds(board.characters, 0); ++i) {
        add(rt_index(board.characters, i).m.x);
        add(rt_index(board.characters, i).m.y);
    }
    text += "|";
    for (int i = 0; i < rt_bounds(board.blocks, 0); ++i) {
        const Mover& m = rt_index(board.blocks, i).m;
        add(m.x), add(m.y), add(m.height);
    }
    for (int i = 0; i < rt_bounds(board.doors, 0); ++i)
        for (int k = 0; k < 4; ++k)
            add(rt_index(rt_index(board.doors, i).arms, k));
    return text;
}

struct PlainCount {
    std::uint64_t positions = 0, dead_ends = 0;
};

// Every position reached by whole-board steps through the rules; a position
// is lost when the solver, started there, cannot finish the level.
PlainCount plain_count(const BoardState& start) {
    static constexpr double kDx[4] = {-1, 1, 0, 0}, kDy[4] = {0, 0, -1, 1};
    std::map<std::string, BoardState> seen;
    std::deque<BoardState> open;
    BoardState first = start;
    first.record_undo = 0;
    seen.emplace(identity(first), first);
    open.push_back(first);
    while (!open.empty()) {
        BoardState board = open.front();
        open.pop_front();
        for (int c = 0; c < rt_bounds(board.characters, 0); ++c)
            for (int d = 0; d < 4; ++d) {
                BoardState step = board;
                step.current_character = c;
                if (step_character(step, kDx[d], kDy[d]) == 0) continue;
                finish_animations(step);
                step.current_character = 0;
                if (step.fade_timer > 0) continue;
                if (seen.emplace(identity(step), step).second) open.push_back(step);
            }
    }
    PlainCount count;
    count.positions = seen.size();
    for (const auto& [name, board] : seen)
        if (solver::solve_board(board).outcome == SolveOutcome::kImpossible) ++count.dead_ends;
    return count;
}

} // namespace

TEST(SolverCensus, AgreesWithAPlainCountOnRandomRooms) {
    std::mt19937 random(20261209);
    // Small rooms, so that many are counted to the end.
    RoomShape shape;
    shape.width = 7, shape.height = 6, shape.people = "12E", shape.random_arms = true;
    solver::SolveLimits limits;
    limits.max_states = 250;
    int compared = 0, with_dead_ends = 0;
    for (int i = 0; i < 300; ++i) {
        std::string picture = random_room(random, shape);
        SCOPED_TRACE(picture);
        BoardState board = board_from_picture(picture);
        solver::DeadEndCount r = solver::count_dead_ends(board, limits);
        if (r.outcome == SolveOutcome::kStateLimit) continue;
        ++compared;
        PlainCount expected = plain_count(board);
        EXPECT_EQ(r.positions, expected.positions) << describe(r);
        EXPECT_EQ(r.dead_ends, expected.dead_ends) << describe(r);
        EXPECT_EQ(r.solvable, r.dead_ends < r.positions) << describe(r);
        solver::SolveResult solved = solver::solve_board(board);
        EXPECT_EQ(r.moves, solved.outcome == SolveOutcome::kSolved ? solved.moves : -1);
        if (r.dead_ends > 0 && r.dead_ends < r.positions) ++with_dead_ends;
    }
    EXPECT_GE(compared, 100);
    EXPECT_GE(with_dead_ends, 5) << "too few rooms mix lost and winnable positions";
}
