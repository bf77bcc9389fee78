// virtual_pad.h: a game pad plugged in through SDL's virtual game
// controllers, for the tests of pads in the input layer and in the game.
#pragma once

#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace test_pads {

// A virtual pad plugged in through SDL. The full pad numbers its buttons
// and axes as the standard layout does; the small one has only A, B, Start
// and D-pad up and down, numbered 0 to 4 by the device.
class VirtualPad {
  public:
    enum Kind { kFull, kSmall };
    explicit VirtualPad(Kind kind = kFull) : kind_(kind) { plug(); }
    ~VirtualPad() { unplug(); }

    void plug() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        if (kind_ == kFull) {
            desc.naxes = 6;
            desc.nbuttons = 15;
        } else {
            desc.naxes = 2;
            desc.nbuttons = 5;
            desc.button_mask = 1u << SDL_CONTROLLER_BUTTON_A | 1u << SDL_CONTROLLER_BUTTON_B |
                               1u << SDL_CONTROLLER_BUTTON_START |
                               1u << SDL_CONTROLLER_BUTTON_DPAD_UP |
                               1u << SDL_CONTROLLER_BUTTON_DPAD_DOWN;
            desc.axis_mask = 1u << SDL_CONTROLLER_AXIS_LEFTX | 1u << SDL_CONTROLLER_AXIS_LEFTY;
            desc.name = "Small pad";
        }
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick_ = SDL_JoystickOpen(index);
        ASSERT_NE(joystick_, nullptr);
        plat_pump_events();
    }
    void unplug() {
        if (!joystick_) return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        plat_pump_events();
    }
    // The device's own button and axis numbers.
    void button(int raw, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, raw, down ? 1 : 0);
        plat_pump_events();
    }
    void axis(int raw, Sint16 value) {
        SDL_JoystickSetVirtualAxis(joystick_, raw, value);
        plat_pump_events();
    }

  private:
    Kind kind_;
    SDL_Joystick* joystick_ = nullptr;
};

} // namespace test_pads
