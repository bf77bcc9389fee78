// joystick.cpp: up to ten joysticks, real or scripted, and their built-ins.
//
// A reading is DirectInput's joystick state: axes -32768..32767, hat 0 in
// hundredths of a degree (0xFFFFFFFF centred), buttons 128 while down.
#include "input/input_devices.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>

namespace {

struct ScriptedJoysticks {
    bool present[kMaxJoysticks] = {};
    DIJOYSTATE state[kMaxJoysticks];
};

ScriptedJoysticks& scripted() {
    static ScriptedJoysticks joysticks;
    return joysticks;
}

void fill_from_platform(const PlatJoyState& in, DIJOYSTATE& out) {
    out = DIJOYSTATE{};
    out.lX = in.axes[0];
    out.lY = in.axes[1];
    out.lZ = in.axes[2];
    out.lRx = in.axes[3];
    out.lRy = in.axes[4];
    out.lRz = in.axes[5];
    out.rgdwPOV[0] = in.hat;
    std::copy(std::begin(in.buttons), std::end(in.buttons), std::begin(out.rgbButtons));
}

DIJOYSTATE read(double joystick) {
    DIJOYSTATE state;
    ReadJoystick(input_devices(), input_trunc(joystick), state);
    return state;
}

double axis(std::int32_t value) {
    return std::clamp(value / 32767.0, -1.0, 1.0);
}

// SDL rumbles two motors for a time; the force's X part drives the low
// (heavy) motor and its Y part the high one, and iterations lengthen it.
void rumble(int index, int iterations, double duration_ms, double x, double y) {
    if (!plat_joy_attached(index) || !(duration_ms > 0)) return;
    double total = std::min(duration_ms * std::max(iterations, 1), 3600000.0);
    plat_joy_rumble(index, std::abs(std::clamp(x, -1.0, 1.0)), std::abs(std::clamp(y, -1.0, 1.0)),
                    static_cast<std::uint32_t>(total));
}

} // namespace

bool input_scripted_joystick(int index, DIJOYSTATE* state) {
    if (index < 0 || index >= kMaxJoysticks || !scripted().present[index]) return false;
    if (state) *state = scripted().state[index];
    return true;
}

int input_scripted_count() {
    for (int i = kMaxJoysticks; i > 0; --i) {
        if (scripted().present[i - 1]) return i;
    }
    return 0;
}

void InputScriptJoystick(int index, const DIJOYSTATE& state) {
    if (index < 0 || index >= kMaxJoysticks) return;
    scripted().present[index] = true;
    scripted().state[index] = state;
}

void InputScriptClear() {
    plat_key_clear_all();
    for (int button = 0; button < 3; ++button)
        plat_mouse_set_button(button, false);
    scripted() = ScriptedJoysticks{};
}

// Indexes outside 0..9, empty slots and failed reads give the neutral state.
void ReadJoystick(InputDevices& /*devices*/, int index, DIJOYSTATE& state) {
    state = DIJOYSTATE{};
    if (input_scripted_joystick(index, &state)) return;
    PlatJoyState reading;
    if (plat_joy_read(index, reading)) fill_from_platform(reading, state);
}

int JoystickCount(InputDevices& /*devices*/) {
    return std::max(plat_joy_count(), input_scripted_count());
}

void RumbleJoystick(InputDevices& /*devices*/, int index, int iterations, int duration, int x,
                    int y) {
    rumble(index, iterations, duration, x, y);
}

RtString JoystickName(InputDevices& devices, int index) {
    if (index < 0 || index >= JoystickCount(devices)) return RtString();
    if (input_scripted_joystick(index, nullptr)) return RtString("Scripted, Scripted");
    return RtString::from_std(plat_joy_name(index));
}

// ---------------------------------------------------------------- built-ins

double JoyCount() {
    return JoystickCount(input_devices());
}

RtString JoyName(double joystick) {
    return JoystickName(input_devices(), input_trunc(joystick));
}

double JoyX(double joystick) {
    return axis(read(joystick).lX);
}
double JoyY(double joystick) {
    return axis(read(joystick).lY);
}
double JoyZ(double joystick) {
    return axis(read(joystick).lZ);
}
double JoyRX(double joystick) {
    return axis(read(joystick).lRx);
}
double JoyRY(double joystick) {
    return axis(read(joystick).lRy);
}
double JoyRZ(double joystick) {
    return axis(read(joystick).lRz);
}

// The hat is compared exactly: a diagonal reads 0 on both axes.
double JoyHatX(double joystick) {
    std::uint32_t hat = read(joystick).rgdwPOV[0];
    return hat == 9000 ? 1.0 : hat == 27000 ? -1.0 : 0.0;
}

double JoyHatY(double joystick) {
    std::uint32_t hat = read(joystick).rgdwPOV[0];
    return hat == 0 ? -1.0 : hat == 18000 ? 1.0 : 0.0;
}

double JoyButton(double joystick, double button) {
    int b = input_trunc(button);
    if (b < 0 || b > 31) return 0.0;
    return read(joystick).rgbButtons[b];
}

void JoyDigital(double* x, double* y, double* button0, double* button1) {
    DIJOYSTATE state = read(0);
    *x = std::trunc(state.lX / 30000.0);
    *y = std::trunc(state.lY / 30000.0);
    *button0 = state.rgbButtons[0];
    *button1 = state.rgbButtons[1];
}

void JoyRumble(double joystick, double duration_ms, double x_force, double y_force) {
    // Fractional forces are kept: the engine operation takes whole numbers.
    rumble(input_trunc(joystick), 1, duration_ms, x_force, y_force);
}
