// pads.cpp: game pads read as controls of the standard layout.
#include "input/input_devices.h"
#include "input/scancodes.h"

#include "platform/platform.h"

#include <algorithm>

namespace {

static_assert(kPadButtonCount == kPlatPadButtons, "the pad buttons are the platform's");
static_assert(kMaxPads == kPlatMaxPads, "the pad slots are the platform's");

// Stick directions from kPadLeftStickLeft on: the axis read and its side.
struct StickSide {
    int axis;
    int sign;
};
constexpr StickSide kStickSides[8] = {
    {0, -1}, {0, 1}, {1, -1}, {1, 1}, // left stick: left, right, up, down
    {2, -1}, {2, 1}, {3, -1}, {3, 1}, // right stick
};

double share(std::int32_t value) {
    return std::clamp(value / 32767.0, 0.0, 1.0);
}

} // namespace

double PadCount() {
    return plat_pad_count();
}

double PadAttached(double pad) {
    return plat_pad_attached(input_trunc(pad)) ? 1 : 0;
}

RtString PadName(double pad) {
    return RtString::from_std(plat_pad_name(input_trunc(pad)));
}

double PadControl(double pad, double control) {
    PlatPadState state;
    if (!plat_pad_read(input_trunc(pad), state)) return 0;
    const int c = input_trunc(control);
    if (c != control) return 0; // control numbers are compared exactly
    if (c >= 0 && c < kPadButtonCount) return state.buttons[c] != 0 ? 1 : 0;
    if (c >= kPadLeftStickLeft && c <= kPadRightStickDown) {
        const StickSide side = kStickSides[c - kPadLeftStickLeft];
        return share(state.axes[side.axis] * side.sign);
    }
    if (c == kPadLT) return share(state.axes[4]);
    if (c == kPadRT) return share(state.axes[5]);
    return 0;
}
