// solver_moves_test.cpp: the solver's own move generator against the game's
// rules. Every reachable position of many rooms is loaded into both, and
// every step of every character must be refused, finish the level or lead to
// the same packed position in both.
#include "game/solver/fast_moves.h"
#include "game/solver/solver.h"
#include "solver_levels.h"
#include "solver_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace solver_test;
using solver::StepResult;

namespace {

const char* name(StepResult r) {
    return r == StepResult::kRefused ? "refused" : r == StepResult::kMoved ? "moved" : "finished";
}

struct Compared {
    int positions = 0, steps = 0, moved = 0, finished = 0;
    bool differ = false;
};

// Walks the positions reachable from the board breadth first (at most
// `limit`) and compares every step; stops at the first difference.
Compared compare_moves(const BoardState& board, int limit) {
    solver::RuleMoves rules(board);
    solver::FastMoves fast(board);
    Compared c;
    EXPECT_EQ(fast.words(), rules.words());
    solver::StateTable table(rules.words());
    std::vector<std::uint64_t> key(static_cast<std::size_t>(rules.words()));
    rules.start_key(key.data());
    std::vector<std::uint64_t> fast_key(key.size());
    fast.start_key(fast_key.data());
    EXPECT_EQ(key, fast_key) << "the start is packed alike";
    table.insert(key.data(), solver::StateTable::kNone, 0);
    for (std::uint32_t i = 0; i < table.size() && c.positions < limit; ++i, ++c.positions) {
        key.assign(table.key(i), table.key(i) + rules.words());
        rules.load(key.data());
        fast.load(key.data());
        EXPECT_EQ(fast.characters(), rules.characters());
        for (int ch = 0; ch < rules.characters(); ++ch)
            for (int d = 0; d < 4; ++d) {
                StepResult want = rules.step(ch, d), got = fast.step(ch, d);
                ++c.steps;
                bool same = want == got;
                if (same && want == StepResult::kMoved)
                    same = std::equal(rules.child(), rules.child() + key.size(), fast.child());
                if (!same) {
                    ADD_FAILURE() << "character " << ch << " step " << solver::kDirectionLetters[d]
                                  << ": the rules say " << name(want) << ", the solver "
                                  << name(got) << " (or another position) at position " << i;
                    c.differ = true;
                    return c;
                }
                if (want == StepResult::kMoved) {
                    ++c.moved;
                    table.insert(rules.child(), i, 0);
                }
                if (want == StepResult::kFinished) ++c.finished;
            }
    }
    return c;
}

// Rooms that put the rules' corners to the test, each explored to the end.
const char* const kCornerRooms[] = {
    // A door sweeps past a character standing diagonal to its pivot.
    "#######/#.1|..#/#..+..#/#..2..#/#...E.#/#######",
    // A four-armed door carries a character two cells; a block stops it.
    "########/#..|...#/#1-+-.E#/#..|B..#/########",
    // Two characters, one leaving through the exit before the other.
    "#######/#1.2.E#/#.....#/#######",
    // Three characters and a door in the way of all.
    "########/#1.|..E#/#2-+...#/#3.....#/########",
    // Blocks into holes, a hole beside the exit, a block against a door.
    "#########/#1B~..~E#/#.B.|B..#/#..-+-..#/#~~.|..2#/#########",
    // Two doors whose arms can turn into the same cell between them.
    "#########/#1......#/#.-+.+-.#/#..|.|..#/#.....E.#/#########",
};

} // namespace

TEST(SolverMoves, AgreeWithTheRulesInRoomsBuiltForTheirCorners) {
    for (const char* picture : kCornerRooms) {
        SCOPED_TRACE(picture);
        Compared c = compare_moves(board_from_picture(picture), 1 << 30);
        EXPECT_FALSE(c.differ);
        EXPECT_GT(c.moved, 0);
    }
}

namespace {

// A level file's coordinate letter: 'A' for 0.
char letter(int n) {
    return static_cast<char>('A' + n);
}

// A 2 x 1 or 1 x 2 block on two floor cells, in the level file's letters.
std::string wide_block(const std::string& picture, std::mt19937& random) {
    std::vector<std::string> rows = level_picture_rows(picture);
    std::uniform_int_distribution<int> pick(0, 1 << 20);
    for (int tries = 0; tries < 40; ++tries) {
        int y = 1 + pick(random) % (static_cast<int>(rows.size()) - 2);
        int x = 1 + pick(random) % (static_cast<int>(rows[y].size()) - 2);
        bool across = pick(random) % 2 == 0;
        int x1 = across ? x + 1 : x, y1 = across ? y : y + 1;
        if (y1 >= static_cast<int>(rows.size()) - 1 || x1 >= static_cast<int>(rows[y].size()) - 1)
            continue;
        if (rows[y][x] == '.' && rows[y1][x1] == '.')
            return std::string{letter(x), letter(y), letter(x1), letter(y1)};
    }
    return "";
}

} // namespace

TEST(SolverMoves, AgreeWithTheRulesOnRandomRooms) {
    std::mt19937 random(20261210);
    const char* people[] = {"1E", "12E", "123E"};
    int rooms = 0, moved = 0, finished = 0;
    for (int i = 0; i < 150; ++i) {
        RoomShape shape;
        shape.width = 8 + i % 3, shape.height = 7 + i % 2;
        shape.people = people[i % 3];
        shape.random_arms = i % 4 != 0;
        std::string picture = random_room(random, shape);
        std::string extra = i % 2 == 0 ? wide_block(picture, random) : "";
        SCOPED_TRACE(picture + " with the wide block " + extra);
        Compared c = compare_moves(board_from_picture(picture, extra), 3000);
        if (c.differ) break;
        ++rooms;
        moved += c.moved;
        finished += c.finished;
    }
    EXPECT_EQ(rooms, 150);
    EXPECT_GT(moved, 100000) << "too few steps taken to prove anything";
    EXPECT_GT(finished, 50);
}
