// The system pointer: shown while it moves, hidden after two seconds of
// stillness, never shown while captured; the cursor SDL shows follows it.
#include "input/input_devices.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Pointer : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_TRUE(plat_start());
        plat_test_clock_enable(true, 1000, 0);
        InputReset(input_devices());
        InputSetup(input_devices(), nullptr, nullptr, 0);
        plat_video_show_cursor(false);
        InputScriptMouseMove(50, 50);
        PollInput(input_devices()); // learns where the pointer rests
    }
    void TearDown() override { plat_test_clock_enable(false); }

    // One frame's poll, `ms` after the previous one, with the pointer at (x, y).
    static void frame(double ms, int x, int y) {
        plat_test_clock_advance(ms);
        InputScriptMouseMove(x, y);
        PollInput(input_devices());
    }
    static int sdl_shown() { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE ? 1 : 0; }
};

} // namespace

TEST_F(Pointer, ShownWhileItMovesHiddenAfterTwoStillSeconds) {
    struct Step {
        double after_ms;
        int x, y;
        int shown;
    };
    const Step steps[] = {
        {16, 50, 50, 0},   // never moved: stays hidden for a player on the keys
        {16, 51, 50, 1},   // a move shows it
        {1990, 51, 50, 1}, // still within two seconds
        {10, 51, 50, 0},   // two seconds without a move
        {500, 51, 50, 0},  //
        {16, 40, 60, 1},   // moved again
        {1000, 41, 60, 1}, // and again: the two seconds start over
        {1999, 41, 60, 1}, //
        {1, 41, 60, 0},    //
    };
    int n = 0;
    for (const Step& s : steps) {
        frame(s.after_ms, s.x, s.y);
        EXPECT_EQ(PointerShown(input_devices()), s.shown) << "step " << n;
        EXPECT_EQ(sdl_shown(), s.shown) << "step " << n;
        ++n;
    }
}

TEST_F(Pointer, CapturedPointerIsNeverShown) {
    SetSystemPointer(0);
    frame(16, 80, 80);
    frame(16, 90, 80);
    EXPECT_EQ(PointerShown(input_devices()), 0);
    SetSystemPointer(1);
    frame(16, 100, 80);
    EXPECT_EQ(PointerShown(input_devices()), 1);
}
