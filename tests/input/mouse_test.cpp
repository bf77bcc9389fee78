// Mouse: movement sampled once per frame, buttons, wheel and the clamped
// logical position.
#include "input/input_devices.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Mouse : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_TRUE(plat_start());
        plat_pump_events();
        InputReset(input_devices());
        InputSetup(input_devices(), nullptr, nullptr, 0);
        move_to(100, 100);
        next_frame();
        MouseAxis(0);
    }

    static void move_to(int x, int y) {
        int old_x = 0, old_y = 0;
        plat_mouse_position(&old_x, &old_y);
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.xrel = x - old_x;
        event.motion.yrel = y - old_y;
        SDL_PushEvent(&event);
        plat_pump_events();
    }
    static void button(Uint8 which, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = which;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&event);
        plat_pump_events();
    }
    static void next_frame() { PollInput(input_devices()); }
};

TEST_F(Mouse, MovementIsSampledOncePerFrame) {
    move_to(130, 90);
    next_frame();
    EXPECT_EQ(MouseAxis(0), 30);
    EXPECT_EQ(MouseAxis(1), -10);
    move_to(140, 95); // later in the same frame: not seen yet
    EXPECT_EQ(MouseAxis(0), 30);
    EXPECT_EQ(MouseAxis(1), -10);
    next_frame();
    EXPECT_EQ(MouseAxis(0), 10);
    EXPECT_EQ(MouseAxis(1), 5);
    next_frame();
    EXPECT_EQ(MouseAxis(0), 0);
}

TEST_F(Mouse, CapturedPointerAddsRelativeMovement) {
    SetSystemPointer(0);
    move_to(110, 100);
    move_to(115, 98);
    next_frame();
    EXPECT_EQ(MouseAxis(0), 15);
    EXPECT_EQ(MouseAxis(1), -2);
    double x, y, b1, b2;
    MouseState(&x, &y, &b1, &b2);
    EXPECT_EQ(x, 115);
    EXPECT_EQ(y, 98);
    SetSystemPointer(1);
}

TEST_F(Mouse, ButtonsAndWheel) {
    button(SDL_BUTTON_RIGHT, true);
    EXPECT_EQ(MouseAxis(4), 1);
    EXPECT_EQ(MouseAxis(3), 0);
    EXPECT_EQ(AnyMouseButton(input_devices()), 1);
    button(SDL_BUTTON_RIGHT, false);
    EXPECT_EQ(AnyMouseButton(input_devices()), 0);
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = -3;
    SDL_PushEvent(&event);
    plat_pump_events();
    next_frame();
    EXPECT_EQ(MouseAxis(2), -1);
    next_frame();
    EXPECT_EQ(MouseAxis(2), 0);
    EXPECT_EQ(MouseAxis(6), 0);
}

TEST_F(Mouse, MouseStateClampsTheLogicalPositionToTheScreen) {
    MouseAxis(0); // this frame's movement is taken
    SetMousePos(-5, 1000);
    double x = 1, y = 1, b1 = 1, b2 = 1;
    MouseState(&x, &y, &b1, &b2);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 479);
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 0);
}

} // namespace
