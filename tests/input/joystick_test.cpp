// Joysticks: SDL virtual joysticks read through the built-ins, hot-plug,
// scripted joysticks and the neutral reading of absent ones.
#include "input/input_devices.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Joystick : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_TRUE(plat_start());
        InputScriptClear();
        InputReset(input_devices());
        InputSetup(input_devices(), nullptr, nullptr, 0);
        plat_pump_events();
    }
    void TearDown() override {
        if (handle_) {
            SDL_JoystickID id = SDL_JoystickInstanceID(handle_);
            SDL_JoystickClose(handle_);
            detach(id);
        }
        plat_pump_events();
        InputScriptClear();
    }

    // Attaches a virtual pad with six axes, 40 buttons and a hat; the pump
    // picks it up as a newly plugged joystick. A game-controller pad rests
    // its axes 4 and 5 (the triggers) at -32768; a flight stick centres all.
    void attach(SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
        int index = SDL_JoystickAttachVirtual(type, 6, 40, 1);
        ASSERT_GE(index, 0) << SDL_GetError();
        handle_ = SDL_JoystickOpen(index);
        ASSERT_NE(handle_, nullptr);
        plat_pump_events();
    }
    static void detach(SDL_JoystickID id) {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
    }

    SDL_Joystick* handle_ = nullptr;
};

TEST_F(Joystick, AbsentJoysticksReadNeutral) {
    EXPECT_EQ(JoyCount(), 0);
    for (double j : {0.0, 1.0, 9.0, 10.0, -1.0}) {
        EXPECT_EQ(JoyX(j), 0);
        EXPECT_EQ(JoyRZ(j), 0);
        EXPECT_EQ(JoyHatX(j), 0);
        EXPECT_EQ(JoyHatY(j), 0);
        EXPECT_EQ(JoyButton(j, 0), 0);
        EXPECT_EQ(JoyName(j).str(), "");
    }
}

TEST_F(Joystick, AxesScaleToPlusMinusOne) {
    attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK);
    ASSERT_EQ(JoyCount(), 1);
    double (*const axes[])(double) = {JoyX, JoyY, JoyZ, JoyRX, JoyRY, JoyRZ};
    struct Case {
        Sint16 raw;
        double expected;
    } cases[] = {
        {-32768, -1.0}, {32767, 1.0}, {0, 0.0}, {16384, 16384 / 32767.0}, {-100, -100 / 32767.0}};
    for (int a = 0; a < 6; ++a) {
        for (const Case& c : cases) {
            SDL_JoystickSetVirtualAxis(handle_, a, c.raw);
            plat_pump_events();
            EXPECT_DOUBLE_EQ(axes[a](0), c.expected) << "axis " << a << " raw " << c.raw;
        }
        SDL_JoystickSetVirtualAxis(handle_, a, 0);
    }
}

// A trigger resting at -32768 reads 0 at rest and 1 fully pressed, so at
// rest it is neither a held binding nor an input for the waits or a key
// capture; the centred sticks of the same pad read as before.
TEST_F(Joystick, TriggersReadFromTheirRestPosition) {
    attach();
    double (*const axes[])(double) = {JoyX, JoyY, JoyZ, JoyRX, JoyRY, JoyRZ};
    for (int a = 0; a < 6; ++a)
        EXPECT_EQ(axes[a](0), 0) << "axis " << a << " at rest";
    // In this order: SDL takes a small first change after a rest at an end
    // as the true rest, so the trigger is first pressed fully.
    struct Case {
        Sint16 raw;
        double trigger, stick;
    } cases[] = {
        {32767, 1.0, 1.0},   {0, 16384 / 32767.0, 0.0}, {-16384, 8192 / 32767.0, -16384 / 32767.0},
        {-32768, 0.0, -1.0}, {32767, 1.0, 1.0},         {-32768, 0.0, -1.0},
    };
    for (const Case& c : cases) {
        for (int a = 0; a < 6; ++a)
            SDL_JoystickSetVirtualAxis(handle_, a, c.raw);
        plat_pump_events();
        for (int a = 0; a < 6; ++a)
            EXPECT_DOUBLE_EQ(axes[a](0), a >= 4 ? c.trigger : c.stick)
                << "axis " << a << " raw " << c.raw;
    }
}

TEST_F(Joystick, HatReadsInHundredthsOfADegreeAndComparesExactly) {
    attach();
    struct Case {
        Uint8 hat;
        std::uint32_t pov;
        double x, y;
    } cases[] = {
        {SDL_HAT_CENTERED, 0xFFFFFFFFu, 0, 0}, {SDL_HAT_UP, 0, 0, -1},
        {SDL_HAT_RIGHT, 9000, 1, 0},           {SDL_HAT_DOWN, 18000, 0, 1},
        {SDL_HAT_LEFT, 27000, -1, 0},          {SDL_HAT_RIGHTUP, 4500, 0, 0},
        {SDL_HAT_RIGHTDOWN, 13500, 0, 0},      {SDL_HAT_LEFTDOWN, 22500, 0, 0},
        {SDL_HAT_LEFTUP, 31500, 0, 0},
    };
    for (const Case& c : cases) {
        SDL_JoystickSetVirtualHat(handle_, 0, c.hat);
        plat_pump_events();
        DIJOYSTATE state;
        state.rgdwPOV[0] = 12345;
        ReadJoystick(input_devices(), 0, state);
        EXPECT_EQ(state.rgdwPOV[0], c.pov) << "hat " << int(c.hat);
        EXPECT_EQ(JoyHatX(0), c.x) << "hat " << int(c.hat);
        EXPECT_EQ(JoyHatY(0), c.y) << "hat " << int(c.hat);
    }
}

TEST_F(Joystick, ButtonsReadAs128AndOnlyZeroTo31Count) {
    attach();
    SDL_JoystickSetVirtualButton(handle_, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(handle_, 31, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(handle_, 32, SDL_PRESSED);
    plat_pump_events();
    struct Case {
        double button, expected;
    } cases[] = {{3, 128}, {31, 128}, {0, 0}, {32, 0}, {-1, 0}, {3.7, 128}, {1e12, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(JoyButton(0, c.button), c.expected) << c.button;
    double x = 9, y = 9, b0 = 9, b1 = 9;
    JoyDigital(&x, &y, &b0, &b1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(b0, 0);
}

TEST_F(Joystick, NameAndHotPlug) {
    attach();
    std::string sdl_name = SDL_JoystickName(handle_);
    EXPECT_EQ(JoyName(0).str(), sdl_name + ", " + sdl_name);
    EXPECT_EQ(JoyName(1).str(), "");
    SDL_JoystickID id = SDL_JoystickInstanceID(handle_);
    SDL_JoystickClose(handle_);
    handle_ = nullptr;
    detach(id);
    plat_pump_events();
    EXPECT_EQ(JoyCount(), 0);
    EXPECT_EQ(JoyName(0).str(), "");
}

Uint16 g_low = 1, g_high = 1;
int record_rumble(void*, Uint16 low, Uint16 high) {
    g_low = low;
    g_high = high;
    return 0;
}

// X drives the low motor and Y the high one, fractions kept, clamped to 1.
TEST_F(Joystick, RumbleReachesTheDevice) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 2;
    desc.nbuttons = 4;
    desc.Rumble = record_rumble;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    handle_ = SDL_JoystickOpen(index);
    plat_pump_events();
    JoyRumble(0, 200, -3, 0.5);
    EXPECT_EQ(g_low, 0xFFFF);
    EXPECT_EQ(g_high, 0x8000);
}

TEST_F(Joystick, ScriptedJoystickReadsLikeARealOne) {
    DIJOYSTATE state;
    state.lX = 32767;
    state.lY = -40000; // beyond the range: clamped
    state.rgdwPOV[0] = 9000;
    state.rgbButtons[5] = 128;
    InputScriptJoystick(2, state);
    EXPECT_EQ(JoyCount(), 3);
    EXPECT_EQ(JoyX(2), 1);
    EXPECT_EQ(JoyY(2), -1);
    EXPECT_EQ(JoyHatX(2), 1);
    EXPECT_EQ(JoyButton(2, 5), 128);
    EXPECT_NE(JoyName(2).str(), "");
    EXPECT_EQ(JoyName(3).str(), "");
    EXPECT_EQ(JoyX(1), 0); // the slots below read neutral
    InputScriptClear();
    EXPECT_EQ(JoyCount(), 0);
}

} // namespace
