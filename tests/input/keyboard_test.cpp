// Keyboard: key state by scan code, SDL key events, the scancode table and
// typed characters.
#include "input/input_devices.h"
#include "input/scancodes.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_TRUE(plat_start());
        plat_pump_events();
        InputScriptClear();
        InputReset(input_devices());
    }
    void TearDown() override { InputScriptClear(); }

    static void push_key(SDL_Scancode scancode, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    static void push_text(const char* text) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        SDL_strlcpy(event.text.text, text, sizeof event.text.text);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
};

TEST_F(Keyboard, OnlyTheLowEightBitsOfTheCodeCount) {
    InputScriptKey(kKeyReturn, true);
    struct Case {
        double code;
        double expected;
    } cases[] = {{28, 1}, {284, 1}, {540, 1}, {28.9, 1}, {-228, 1}, {29, 0}, {0, 0}, {255, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(KeyDown(c.code), c.expected) << "code " << c.code;
    InputScriptKey(kKeyReturn, false);
    EXPECT_EQ(KeyDown(284.0), 0);
}

TEST_F(Keyboard, SdlKeyEventsSetTheKeyStateByScanCode) {
    struct Case {
        SDL_Scancode sdl;
        int code;
    } cases[] = {{SDL_SCANCODE_ESCAPE, 1},     {SDL_SCANCODE_RETURN, 28}, {SDL_SCANCODE_UP, 200},
                 {SDL_SCANCODE_LEFT, 203},     {SDL_SCANCODE_RIGHT, 205}, {SDL_SCANCODE_DOWN, 208},
                 {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_RALT, 184},  {SDL_SCANCODE_Z, 44},
                 {SDL_SCANCODE_SPACE, 57}};
    for (const Case& c : cases) {
        push_key(c.sdl, true);
        plat_pump_events();
        EXPECT_EQ(KeyDown(c.code), 1) << "code " << c.code;
        push_key(c.sdl, false);
        plat_pump_events();
        EXPECT_EQ(KeyDown(c.code), 0) << "code " << c.code;
    }
}

// The named DirectInput keys; the table must reach each of them and no other
// code, and translate back to the same key.
TEST_F(Keyboard, ScancodeTableCoversTheNamedKeys) {
    const int named[] = {
        1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  17,  18,
        19,  20,  21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,
        37,  38,  39,  40,  41,  42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,
        55,  56,  57,  58,  59,  60,  61,  62,  63,  64,  65,  66,  67,  68,  69,  70,  71,  72,
        73,  74,  75,  76,  77,  78,  79,  80,  81,  82,  83,  86,  87,  88,  100, 101, 102, 112,
        115, 121, 123, 125, 126, 141, 144, 145, 146, 147, 148, 149, 150, 151, 153, 156, 157, 160,
        161, 162, 164, 174, 176, 178, 179, 181, 183, 184, 197, 199, 200, 201, 203, 205, 207, 208,
        209, 210, 211, 219, 220, 221, 222, 223, 227, 229, 230, 231, 232, 233, 234, 235, 236, 237};
    ASSERT_EQ(std::size(named), 144u);
    std::set<int> named_set(std::begin(named), std::end(named));
    for (int code : named) {
        if (code == 227) continue; // Wake: SDL has no scancode for it
        int sdl = plat_key_to_sdl(code);
        EXPECT_NE(sdl, 0) << "code " << code;
        EXPECT_EQ(plat_key_from_sdl(sdl), code) << "code " << code;
    }
    for (int sdl = 0; sdl < SDL_NUM_SCANCODES; ++sdl) {
        int code = plat_key_from_sdl(sdl);
        if (code != 0) {
            EXPECT_TRUE(named_set.count(code)) << "SDL scancode " << sdl;
        }
    }
}

TEST_F(Keyboard, InkeyGivesAHeldKeyOnce) {
    InputScriptKey(kKeyA, true);
    EXPECT_EQ(Inkey().str(), "a");
    EXPECT_EQ(Inkey().str(), "");
    EXPECT_EQ(Inkey().str(), "");
    InputScriptKey(kKeyA, false);
    EXPECT_EQ(Inkey().str(), "");
    InputScriptKey(kKeyA, true);
    EXPECT_EQ(Inkey().str(), "a");
}

TEST_F(Keyboard, InkeyCharacters) {
    struct Case {
        int keys[2];
        const char* expected;
    } cases[] = {
        {{42, 30}, "A"},  {{54, 44}, "Z"}, {{14, 0}, "\b"}, {{28, 0}, "\n"},
        {{156, 0}, "\n"}, {{42, 0}, ""},   {{59, 0}, ""},   {{1, 0}, ""},
        {{29, 30}, ""},   {{2, 0}, "1"},   {{57, 0}, " "},  {{211, 0}, ""},
    };
    for (const Case& c : cases) {
        InputScriptClear();
        Inkey(); // forget the previous character
        for (int key : c.keys) {
            if (key) InputScriptKey(key, true);
        }
        EXPECT_EQ(Inkey().str(), c.expected) << "keys " << c.keys[0] << " " << c.keys[1];
    }
}

// What the layout typed with a key's press wins over its plain keycode:
// Shift with 1 gives what the layout makes of it, unchanged.
TEST_F(Keyboard, InkeyUsesTheTextTheLayoutTyped) {
    push_key(SDL_SCANCODE_LSHIFT, true);
    push_key(SDL_SCANCODE_1, true);
    push_text("!");
    plat_pump_events();
    EXPECT_EQ(Inkey().str(), "!");
    push_key(SDL_SCANCODE_1, false);
    push_key(SDL_SCANCODE_LSHIFT, false);
    plat_pump_events();
    EXPECT_EQ(Inkey().str(), "");
    push_key(SDL_SCANCODE_1, true);
    plat_pump_events();
    EXPECT_EQ(Inkey().str(), "1"); // a new press without text: the plain key
}

// A held key ends the waits; they pump events on their own.
TEST_F(Keyboard, WaitsReturnOnAKey) {
    InputScriptKey(kKeyA, true);
    WaitForInput();
    WaitKey();
    EXPECT_EQ(Inkey().str(), ""); // WaitKey took the character
    InputScriptKey(kKeyA, false);
}

TEST_F(Keyboard, WindowEventsSetTheFlags) {
    PlatWindowEvents& flags = plat_window_events();
    flags = PlatWindowEvents{};
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&event);
    plat_pump_events();
    EXPECT_FALSE(flags.active);
    EXPECT_TRUE(flags.active_changed);
    EXPECT_FALSE(flags.quit);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
    plat_pump_events();
    EXPECT_TRUE(flags.quit);
    flags = PlatWindowEvents{};
}

} // namespace
