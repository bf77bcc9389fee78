// controls.cpp: binding codes, the nine player actions with their repeat
// rule, and the input snapshots the settings menu uses to learn a new binding.
#include "game/rules/board.h"

#include "input/scancodes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kControlsPerJoystick = 48;

// Per action (indexed by Action): which binding it reads (0-based) and
// whether it is a movement action (fires above half a deflection) or a
// command (any value).
struct ActionBinding {
    int binding;
    bool movement;
};
constexpr ActionBinding kActions[kBindingCount + 1] = {
    {0, false},                                    // kNoAction
    {2, true},  {3, true},  {0, true},  {1, true}, // left, right, up, down
    {5, false}, {4, false}, {6, false},            // undo, next, restart
    {7, false}, {8, false},                        // hint, redo
};
// The order in which ActionPressed evaluates the bindings.
constexpr Action kEvalOrder[kBindingCount] = {kActionLeft,    kActionRight, kActionUp,
                                              kActionDown,    kActionUndo,  kActionNextCharacter,
                                              kActionRestart, kActionHint,  kActionRedo};

// A key of a snapshot, reading 0 from a snapshot that was never taken.
double snapshot_key(const RtArray<double>& keys, int k) {
    return k < rt_bounds(keys, 0) ? rt_index(keys, k) : 0;
}

// A pad control of a snapshot, reading 0 for a pad the snapshot lacks.
double snapshot_pad(const RtArray<double>& pads, int p, int c) {
    return p < rt_bounds(pads, 0) ? rt_index(pads, p, c) : 0;
}

RtString newly_pressed_pad(const InputSnapshot& current, const InputSnapshot& previous) {
    const int pads = static_cast<int>(rt_bounds(current.pad_controls, 0));
    for (int p = 0; p < pads; ++p) {
        for (int c = 0; c < kPadControlCount; ++c) {
            if (rt_index(current.pad_controls, p, c) != 0 &&
                snapshot_pad(previous.pad_controls, p, c) == 0)
                return RtString("P") + RtString(p) + "-" + RtString(c);
        }
    }
    return RtString();
}

} // namespace

InputSnapshot& reference_snapshot() {
    static InputSnapshot snapshot;
    return snapshot;
}

double EvalBinding(const RtString& code) {
    if (code.empty()) return 0;
    if (code.char_at(0) == 'K') return rules_devices().key_down(rt_val(rt_mid(code, 1, 256)));
    if (code.char_at(0) != 'J' && code.char_at(0) != 'P') return 0;
    double device = rt_val(rt_mid(code, 1, 1));
    RtArray<RtString> parts;
    if (rt_split(code, parts, "-") != 2) return 0;
    const double control = rt_val(rt_index(parts, 1));
    if (code.char_at(0) == 'P') return PadControlValue(device, control, 0);
    return JoyControlValue(device, control, 0);
}

double PadControlValue(double pad, double control, double dead_zone) {
    if (!(control >= 0 && control < kPadControlCount)) return 0;
    const double v = rules_devices().pad_control(pad, control);
    return v > dead_zone ? v : 0;
}

RtString binding_field(const RtString& code) {
    return !code.empty() && code.char_at(0) == 'P' ? "pad" : "value";
}

double JoyControlValue(double joystick, double control, double dead_zone) {
    for (int c = 0; c < 12; ++c) {
        if (control != c) continue;
        double v = rules_devices().joy_axis(joystick, c / 2);
        if (c % 2 == 0) return v < -dead_zone ? std::fabs(v) : 0;
        return v > dead_zone ? v : 0;
    }
    if (control == 12) return rules_devices().joy_hat_x(joystick) < 0 ? 1 : 0;
    if (control == 13) return rules_devices().joy_hat_x(joystick) > 0 ? 1 : 0;
    if (control == 14) return rules_devices().joy_hat_y(joystick) < 0 ? 1 : 0;
    if (control == 15) return rules_devices().joy_hat_y(joystick) > 0 ? 1 : 0;
    return rules_devices().joy_button(joystick, control - 16) != 0 ? 1 : 0;
}

double ActionPressed(PlayerControls& controls, Action action) {
    double result = 0;
    bool command_held = false;
    // Every binding is evaluated on every call, whatever the asked action.
    for (Action a : kEvalOrder) {
        const int b = kActions[a].binding;
        double v = std::max(EvalBinding(controls.bindings[b]), EvalBinding(controls.pads[b]));
        bool active = kActions[a].movement ? v > 0.5 : v != 0;
        if (active && a == action) result = 1;
        if (active && !kActions[a].movement) command_held = true;
    }
    // A held action stays silent after its first firing (unless repeat is on
    // and no command is held) and is forgotten once a query finds it released.
    if (result == 1) {
        if ((game_values().option_repeat == 0 || command_held) && action == controls.last_action)
            result = 0;
        controls.last_action = action;
    } else if (action == controls.last_action) {
        controls.last_action = kNoAction;
    }
    return result;
}

void LoadPlayerControls(PlayerControls& controls, double player) {
    RtString section = RtString("keyconfig") + RtString(static_cast<int>(player));
    for (int i = 0; i < kBindingCount; ++i) {
        controls.bindings[i] = ini_get(section, RtString(i + 1) + "value");
        controls.pads[i] = ini_get(section, RtString(i + 1) + "pad");
    }
    controls.last_action = kNoAction;
}

void TakeInputSnapshot(InputSnapshot& snapshot) {
    if (rt_bounds(snapshot.keys, 0) != kKeyCodeCount) rt_dim(snapshot.keys, kKeyCodeCount);
    for (int k = 1; k < kKeyCodeCount; ++k)
        rt_index(snapshot.keys, k) = rules_devices().key_down(static_cast<double>(k));
    int joysticks = static_cast<int>(rules_devices().joy_count());
    rt_dim(snapshot.joystick_controls, joysticks, kControlsPerJoystick);
    for (int j = 0; j < joysticks; ++j)
        for (int c = 0; c < kControlsPerJoystick; ++c)
            rt_index(snapshot.joystick_controls, j, c) = JoyControlValue(j, c, 0.4);
    int pads = static_cast<int>(rules_devices().pad_count());
    rt_dim(snapshot.pad_controls, pads, kPadControlCount);
    for (int p = 0; p < pads; ++p)
        for (int c = 0; c < kPadControlCount; ++c)
            rt_index(snapshot.pad_controls, p, c) = PadControlValue(p, c, 0.4);
}

RtString NewlyPressedBinding(const InputSnapshot& current, const InputSnapshot& previous) {
    for (int k = 0; k < kKeyCodeCount; ++k) {
        if (snapshot_key(current.keys, k) != 0 && snapshot_key(previous.keys, k) == 0)
            return RtString("K") + RtString(k);
    }
    RtString pad = newly_pressed_pad(current, previous);
    if (!pad.empty()) return pad;
    double joysticks =
        std::min(rt_bounds(current.joystick_controls, 0), rt_bounds(previous.joystick_controls, 0));
    for (int j = 0; j < joysticks; ++j) {
        for (int c = 0; c < kControlsPerJoystick; ++c) {
            if (rt_index(current.joystick_controls, j, c) != 0 &&
                rt_index(previous.joystick_controls, j, c) == 0)
                return RtString("J") + RtString(j) + "-" + RtString(c);
        }
    }
    return RtString();
}
