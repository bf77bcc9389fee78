// feel_test.cpp: what a player feels of the controls, through input_step's
// four queries with held keys: one cell per press without "Keep walking",
// walking on while held with it, and the hop of a step.
#include "game_fixture.h"

#include <cmath>

using namespace game_test;

namespace {

// A corridor with room for ten steps to the right.
const char* const kCorridor = "#############/#1..........#/#############";

// Holds the keys for a number of frames (a quarter cell each), then lets
// everything come to rest with the keys up.
void hold(Player& player, std::vector<int> keys, int frames) {
    for (int f = 0; f < frames; ++f)
        player.frame(keys);
    player.settle();
}

} // namespace

TEST(Feel, HeldDirectionWalksOnlyWithKeepWalking) {
    const struct {
        double repeat;
        int frames_held;
        double cells;
    } cases[] = {
        {0, 1, 1},  {0, 4, 1},   {0, 12, 1}, {0, 40, 1}, // one cell per press
        {1, 1, 1},  {1, 4, 1},   {1, 5, 2},  {1, 12, 3}, // a new step once the last one ends
        {1, 20, 5}, {1, 80, 10},                         // on to the wall
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("keep walking " + std::to_string(c.repeat) + ", held for " +
                     std::to_string(c.frames_held) + " frames");
        BoardState board = board_from_picture(kCorridor);
        Player player(board, c.repeat);
        hold(player, {kRight}, c.frames_held);
        EXPECT_EQ(position(board, 0), (std::pair<double, double>(1 + c.cells, 1)));
    }
}

TEST(Feel, EveryPressIsAStepWithoutKeepWalking) {
    BoardState board = board_from_picture(kCorridor);
    Player player(board);
    for (int press = 1; press <= 3; ++press) {
        hold(player, {kRight}, 10);
        EXPECT_EQ(position(board, 0), (std::pair<double, double>(1 + press, 1)));
    }
    hold(player, {kLeft}, 10);
    EXPECT_EQ(position(board, 0), (std::pair<double, double>(3, 1)));
}

// A step hops half a cell high at its middle and lands on the floor.
TEST(Feel, AStepHopsHalfACellHigh) {
    const double quarter = 0.5 * std::sin(M_PI / 4);
    const struct {
        int key;
        std::vector<double> heights; // after each quarter-cell frame
    } cases[] = {
        {kRight, {quarter, 0.5, quarter, 0, 0}},
        {kLeft, {quarter, 0.5, quarter, 0, 0}},
        {kDown, {quarter, 0.5, quarter, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        BoardState board = board_from_picture("#######/#.....#/#..1..#/#.....#/#######");
        Player player(board);
        std::vector<double> heights;
        for (std::size_t f = 0; f < c.heights.size(); ++f) {
            player.frame(f == 0 ? std::vector<int>{c.key} : std::vector<int>{});
            heights.push_back(rt_index(board.characters, 0).m.height);
        }
        ASSERT_EQ(heights.size(), c.heights.size());
        for (std::size_t f = 0; f < heights.size(); ++f)
            EXPECT_NEAR(heights[f], c.heights[f], 1e-9) << "frame " << f;
    }
}
