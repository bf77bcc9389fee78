// game_devices.cpp: connects the rules to the engine's input devices and
// sound slots.
#include "game/screens/screens.h"

#include "audio/audio.h"
#include "input/input.h"

namespace {

double key_down(double code) {
    return KeyDown(code);
}

double joy_axis(double joystick, int axis) {
    switch (axis) {
    case 0:
        return JoyX(joystick);
    case 1:
        return JoyY(joystick);
    case 2:
        return JoyZ(joystick);
    case 3:
        return JoyRX(joystick);
    case 4:
        return JoyRY(joystick);
    default:
        return JoyRZ(joystick);
    }
}

void play_sound(double slot) {
    PlaySound(slot, 0, 1);
}

} // namespace

void install_game_devices() {
    set_rules_devices({key_down, JoyCount, joy_axis, JoyHatX, JoyHatY, JoyButton, play_sound,
                       PadCount, PadControl});
}
