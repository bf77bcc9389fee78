// tap_test.cpp: a quick tap, pressed and released by real key events between
// two frames, reaches the controls once: the action fires once and the
// character takes one step.
#include "game_fixture.h"

#include "platform/platform.h"

#include <SDL.h>

using namespace game_test;

namespace {

void push_key(SDL_Scancode scancode, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

// The events arrive in one pump, as on a machine slower than the tap.
void tap(SDL_Scancode scancode) {
    push_key(scancode, true);
    push_key(scancode, false);
    plat_pump_events();
}

// The frame step's own work between frames: sample, then the next pump.
void next_frame() {
    PollInput(input_devices());
    plat_pump_events();
}

class Tap : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plat_start());
        InputScriptClear();
        KeyDown(1.0);
        plat_pump_events();
        controls_.bindings[3] = "K205"; // right
        game_values().option_repeat = 0;
    }
    void TearDown() override { InputScriptClear(); }
    PlayerControls controls_;
};

} // namespace

TEST_F(Tap, ActionFiresOnceForATapBetweenFrames) {
    for (double repeat : {0.0, 1.0}) {
        SCOPED_TRACE(repeat);
        game_values().option_repeat = repeat;
        controls_.last_action = kNoAction;
        tap(SDL_SCANCODE_RIGHT);
        EXPECT_EQ(ActionPressed(controls_, kActionRight), 1);
        if (repeat == 0) {
            EXPECT_EQ(ActionPressed(controls_, kActionRight), 0) << "once per press";
        }
        next_frame();
        EXPECT_EQ(ActionPressed(controls_, kActionRight), 0) << "the key is up";
        EXPECT_EQ(controls_.last_action, kNoAction);
        next_frame();
        EXPECT_EQ(ActionPressed(controls_, kActionRight), 0);
    }
    game_values().option_repeat = 0;
}

TEST_F(Tap, TappedDirectionMovesTheCharacterOneCell) {
    BoardState board = board_from_picture("#######/#1....#/#######");
    Player player(board); // the test keys: Right is scan code 205
    tap(SDL_SCANCODE_RIGHT);
    input_step(board);
    EXPECT_EQ(rt_index(board.characters, 0).m.pending_dx, 1);
    for (int i = 0; i < 10; ++i) {
        next_frame();
        advance_board(board, 0.25);
        input_step(board);
    }
    EXPECT_EQ(position(board, 0), (std::pair<double, double>(2, 1)));
}
