// devices.cpp: the seam through which the rules read input and play sounds,
// so that the rules library needs no window, sound device or SDL.
#include "game/rules/board.h"

namespace {

double no_key(double) {
    return 0;
}
double no_joysticks() {
    return 0;
}
double no_axis(double, int) {
    return 0;
}
double no_hat(double) {
    return 0;
}
double no_button(double, double) {
    return 0;
}
void no_sound(double) {}
double no_pads() {
    return 0;
}
double no_pad_control(double, double) {
    return 0;
}

RulesDevices& devices() {
    static RulesDevices d{no_key,    no_joysticks, no_axis, no_hat,        no_hat,
                          no_button, no_sound,     no_pads, no_pad_control};
    return d;
}

// Set on a thread that must leave the devices alone (see
// quiet_rules_devices_on_this_thread).
thread_local bool t_quiet = false;

const RulesDevices& quiet_devices() {
    static const RulesDevices d{no_key,    no_joysticks, no_axis, no_hat,        no_hat,
                                no_button, no_sound,     no_pads, no_pad_control};
    return d;
}

template <typename F> void take(F& to, F from, F fallback) {
    to = from ? from : fallback;
}

} // namespace

const RulesDevices& rules_devices() {
    return t_quiet ? quiet_devices() : devices();
}

void quiet_rules_devices_on_this_thread() {
    t_quiet = true;
}

void set_rules_devices(const RulesDevices& in) {
    RulesDevices& d = devices();
    take(d.key_down, in.key_down, no_key);
    take(d.joy_count, in.joy_count, no_joysticks);
    take(d.joy_axis, in.joy_axis, no_axis);
    take(d.joy_hat_x, in.joy_hat_x, no_hat);
    take(d.joy_hat_y, in.joy_hat_y, no_hat);
    take(d.joy_button, in.joy_button, no_button);
    take(d.play_sound, in.play_sound, no_sound);
    take(d.pad_count, in.pad_count, no_pads);
    take(d.pad_control, in.pad_control, no_pad_control);
}
