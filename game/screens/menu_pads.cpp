// menu_pads.cpp: the settings menu and the way back to it from a game pad
// alone, and the pad half of a key line's bracket text.
//
// Any pad steers the menu: the D-pad or the left stick moves (repeating
// while held, as a held arrow key in a text field does), A selects, B goes
// back, and Start in play closes the boards as Escape does.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"

#include <algorithm>
#include <cmath>

namespace {

// The menu's direction numbers (see MenuState::held_direction).
constexpr int kNone = 0, kUp = 1, kBack = 2, kDown = 3, kRight = 4, kSelect = 5;

// A stick counts as pushed past half its way, so a stick resting a little
// off centre never moves the cursor.
constexpr double kStickDeadZone = 0.5;
constexpr double kFirstRepeatMs = 400, kRepeatMs = 150;

struct PadMenuRepeat {
    int direction = kNone;
    double held_ms = 0;
    double next_ms = kFirstRepeatMs;
};

PadMenuRepeat& repeat_state() {
    static PadMenuRepeat state;
    return state;
}

bool pushed(int pad, int button, int stick) {
    return PadControl(pad, button) != 0 || PadControl(pad, stick) > kStickDeadZone;
}

// First match, as the arrow keys are read: up, back, down, right, select.
int pad_direction(int pad) {
    if (pushed(pad, kPadDpadUp, kPadLeftStickUp)) return kUp;
    if (pushed(pad, kPadDpadLeft, kPadLeftStickLeft) || PadControl(pad, kPadB) != 0) return kBack;
    if (pushed(pad, kPadDpadDown, kPadLeftStickDown)) return kDown;
    if (pushed(pad, kPadDpadRight, kPadLeftStickRight)) return kRight;
    if (PadControl(pad, kPadA) != 0) return kSelect;
    return kNone;
}

} // namespace

double menu_pad_direction(double* held_direction) {
    int direction = kNone;
    const int pads = static_cast<int>(PadCount());
    for (int p = 0; p < pads && direction == kNone; ++p)
        direction = pad_direction(p);
    PadMenuRepeat& r = repeat_state();
    if (direction != r.direction) {
        r = PadMenuRepeat{};
        r.direction = direction;
        return direction;
    }
    // Only moving repeats: a held A or B acts once.
    if (direction != kUp && direction != kDown) return direction;
    r.held_ms += FrameTime();
    if (r.held_ms >= r.next_ms) {
        r.next_ms += kRepeatMs;
        if (*held_direction == direction) *held_direction = kNone;
    }
    return direction;
}

bool pad_asks_for_menu() {
    const int pads = static_cast<int>(PadCount());
    for (int p = 0; p < pads; ++p)
        if (PadControl(p, kPadStart) != 0) return true;
    return false;
}

RtString key_line_text(const RtString& page, double line) {
    const RtString number(static_cast<int>(line));
    const RtString key = BindingLabel(ini_get(page, number + "value"));
    const RtString pad = ini_get(page, number + "pad");
    if (pad == "NO_DATA") return key;
    // Both labels must leave the line's name readable: the box is three
    // quarters of the screen wide, and the name and the brackets need their
    // columns and a gap.
    double w = 0, h = 0, cw = 0, ch = 0;
    GetScreenSize(&w, &h);
    GetFontSize(&cw, &ch);
    const RtString spaced = key + " / " + BindingLabel(pad);
    if (cw <= 0) return spaced; // no font: nothing is drawn
    const int columns = static_cast<int>(std::trunc(0.75 * w) / cw);
    const int room = columns - static_cast<int>(ini_get(page, number + "name").length()) - 5;
    if (static_cast<int>(spaced.length()) <= room) return spaced;
    const RtString tight = key + "/" + BindingLabel(pad);
    return rt_mid(tight, 0, std::max(room, static_cast<int>(key.length())));
}
