// Taps: a key, mouse button or joystick button pressed and released between
// two reads is still read as down once, then follows the device again; a
// press already read is not held any longer than the device holds it.
#include "input/input_devices.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

// A script of device changes, pumps and reads: 'D' press, 'U' release,
// 'P' pump the events, '1' / '0' a read that must find the input down / up.
struct Case {
    const char* script;
    const char* meaning;
};

const Case kCases[] = {
    {"DUP11P0", "a tap inside one pump reads down for that read only"},
    {"DUP1P0P0", "and is forgotten by the next pump"},
    {"DP1P1UP0", "a held press follows the device"},
    {"DP1UP0", "a release after the press was read is seen at once"},
    {"DUDP1P1", "tapped and pressed again: still down"},
    {"DPUP1P0", "pressed and released over two pumps before any read"},
    {"P0", "nothing pressed"},
};

// Runs a script; press/release change the device, read answers 1 or 0.
void run(const Case& c, const std::function<void(bool)>& change, const std::function<int()>& read) {
    SCOPED_TRACE(std::string(c.script) + ": " + c.meaning);
    int step = 0;
    for (const char* s = c.script; *s; ++s, ++step) {
        switch (*s) {
        case 'D':
            change(true);
            break;
        case 'U':
            change(false);
            break;
        case 'P':
            plat_pump_events();
            break;
        default:
            EXPECT_EQ(read(), *s - '0') << "step " << step;
            break;
        }
    }
    // Released again for the next case.
    change(false);
    plat_pump_events();
}

class Taps : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_TRUE(plat_start());
        InputScriptClear();
        InputReset(input_devices());
        InputSetup(input_devices(), nullptr, nullptr, 0);
        // Nothing left over from an earlier case: read, then pump.
        settle();
    }
    void TearDown() override {
        if (joystick_) {
            SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
            SDL_JoystickClose(joystick_);
            for (int i = 0; i < SDL_NumJoysticks(); ++i)
                if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
        plat_pump_events();
        InputScriptClear();
    }
    static void settle() {
        KeyDown(1.0);
        JoyButton(0, 0);
        MouseAxis(3);
        plat_pump_events();
    }
    static void push(Uint32 type, SDL_Event& event) {
        event.type = type;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    SDL_Joystick* joystick_ = nullptr;
};

TEST_F(Taps, KeyPressedBetweenReadsIsReadOnce) {
    for (const Case& c : kCases) {
        run(
            c,
            [](bool down) {
                SDL_Event event{};
                event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
                event.key.keysym.scancode = SDL_SCANCODE_RIGHT;
                push(down ? SDL_KEYDOWN : SDL_KEYUP, event);
            },
            [] {
                // The frame step's sample, then the game's query: the key
                // state byte keeps its values, 0 or 0x80.
                PollInput(input_devices());
                const std::uint8_t byte = plat_key_state()[205];
                EXPECT_TRUE(byte == 0 || byte == 0x80) << int(byte);
                EXPECT_EQ(KeyDown(205.0), byte == 0x80 ? 1 : 0);
                return byte == 0x80 ? 1 : 0;
            });
        settle();
    }
}

TEST_F(Taps, MouseButtonPressedBetweenReadsIsReadOnce) {
    for (const Case& c : kCases) {
        run(
            c,
            [](bool down) {
                SDL_Event event{};
                event.button.button = SDL_BUTTON_RIGHT;
                event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
                push(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, event);
            },
            [] { return static_cast<int>(MouseAxis(4)); });
        settle();
    }
}

// A joystick is read as SDL last updated it, once per pump: its presses and
// releases need a pump each, so only the scripts that pump between them.
TEST_F(Taps, JoystickButtonPressedBetweenReadsIsReadOnce) {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    joystick_ = SDL_JoystickOpen(index);
    ASSERT_NE(joystick_, nullptr);
    plat_pump_events();
    ASSERT_EQ(JoyCount(), 1);
    SDL_Joystick* joy = joystick_;
    for (const Case& c : kCases) {
        if (std::string(c.script).find("DU") != std::string::npos) continue;
        run(
            c, [joy](bool down) { SDL_JoystickSetVirtualButton(joy, 5, down); },
            [] { return JoyButton(0, 5) == 128 ? 1 : 0; });
        settle();
    }
}

// Scripted keys read exactly as set: no press is held for them.
TEST_F(Taps, ScriptedKeysReadAsSet) {
    InputScriptKey(205, true);
    EXPECT_EQ(KeyDown(205.0), 1);
    InputScriptKey(205, false);
    EXPECT_EQ(KeyDown(205.0), 0);
}

} // namespace
