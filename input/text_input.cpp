// text_input.cpp: typed characters (Inkey) and the waits for any input.
//
// A held key yields its character once: the same character is refused until
// no key gives one, so the key must be released before it types again.
#include "input/input_devices.h"

#include "platform/platform.h"

#include <cmath>

namespace {

int g_last_char = 0;
InputEscapeQuery g_escape_query = nullptr;

struct WaitMemory {
    double x = 0, y = 0, button1 = 0, button2 = 0;
};
WaitMemory g_wait;

bool down(const InputDevices& devices, int code) {
    return (devices.key_state[code] & 0x80) != 0;
}

bool is_modifier(int code) {
    switch (code) {
    case 29:
    case 42:
    case 54:
    case 56:
    case 58:
    case 69:
    case 221:
        return true;
    default:
        return false;
    }
}

// The character a key gives with the current modifiers, 0 for none.
int key_char(const InputDevices& devices, int code) {
    if (code == 14) return 8;
    if (code == 28 || code == 156) return 10;
    if (is_modifier(code)) return 0;
    // Control without Alt types control characters, which give nothing;
    // Control with Alt is AltGr on many layouts.
    bool control = down(devices, 29) || down(devices, 157);
    bool alt = down(devices, 56) || down(devices, 184);
    if (control && !alt) return 0;
    int c = plat_key_char(code);
    if (c <= 0 || c >= 128 || (c < 32 && c != 8 && c != 10)) return 0;
    if ((down(devices, 42) || down(devices, 54)) && c >= 'a' && c <= 'z') c -= 'a' - 'A';
    return c;
}

void end_if_window_gone() {
    if (plat_window_events().quit) rt_end_statement();
}

// Any joystick button pressed, stick pushed past a tenth or hat off centre.
bool joystick_active(int count) {
    for (int j = count - 1; j >= 0; --j) {
        for (int b = 0; b < 32; ++b) {
            if (JoyButton(j, b) != 0) return true;
        }
        if (std::abs(JoyX(j)) > 0.1 || std::abs(JoyY(j)) > 0.1 || std::abs(JoyZ(j)) > 0.1) {
            return true;
        }
        if (JoyHatX(j) != 0 || JoyHatY(j) != 0) return true;
    }
    return false;
}

// One round of WaitForInput; true when something was pressed or moved.
bool input_seen(InputDevices& devices) {
    for (int code = 0; code < 255; ++code) {
        if (down(devices, code)) return true;
    }
    double x, y, b1, b2;
    MouseState(&x, &y, &b1, &b2);
    if (x != g_wait.x || y != g_wait.y || b1 != g_wait.button1 || b2 != g_wait.button2) {
        g_wait = WaitMemory{x, y, b1, b2};
        return true;
    }
    return joystick_active(JoystickCount(devices));
}

} // namespace

void input_reset_inkey() {
    g_last_char = 0;
}

void InputSetEscapeQuery(InputEscapeQuery query) {
    g_escape_query = query;
}

int InkeyChar(InputDevices& devices) {
    PollKeyboard(devices);
    for (int code = 0; code < 255; ++code) {
        if (!down(devices, code)) continue;
        int c = key_char(devices, code);
        if (c == 0) continue;
        if (c == g_last_char) return 0;
        g_last_char = c;
        return c;
    }
    g_last_char = 0;
    return 0;
}

int InkeyAvailable(InputDevices& devices) {
    return InkeyChar(devices) != 0 ? 1 : 0;
}

RtString Inkey() {
    char c = static_cast<char>(InkeyChar(input_devices()));
    return c != 0 ? RtString::from_bytes(&c, 1) : RtString();
}

void WaitForInput() {
    InputDevices& devices = input_devices();
    for (int round = 0; round < 8; ++round) {
        plat_pump_events();
        end_if_window_gone();
        PollKeyboard(devices);
        devices.mouse_stale = 1;
        if (g_escape_query && g_escape_query() && down(devices, 1)) rt_end_statement();
        if (input_seen(devices)) return;
        plat_input_sleep_ms(5);
    }
}

void WaitKey() {
    InputDevices& devices = input_devices();
    while (!InkeyAvailable(devices)) {
        plat_pump_events();
        end_if_window_gone();
        WaitForInput();
    }
    while (InkeyAvailable(devices)) {
        plat_pump_events();
        end_if_window_gone();
    }
}

// Buttons are known from events, so both loops pump; waiting without
// pumping would never see the release.
void WaitMouseClick() {
    InputDevices& devices = input_devices();
    while (AnyMouseButton(devices)) {
        plat_pump_events();
        end_if_window_gone();
        plat_input_sleep_ms(5);
    }
    while (!AnyMouseButton(devices))
        WaitForInput();
}
