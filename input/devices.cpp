// devices.cpp: the input device record: set-up, end, keyboard and mouse.
//
// The key state is the platform's, which the event pump keeps current; a
// poll copies it, so every query within a poll agrees. Mouse movement is
// taken once per frame (the first read after PollInput) and repeated to
// every later read of the same frame.
#include "input/input_devices.h"

#include "platform/platform.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr std::int32_t kNoInputDevice = static_cast<std::int32_t>(0x8000000Au);
constexpr std::int32_t kNoExclusiveMouse = static_cast<std::int32_t>(0x8000000Cu);

bool g_end_hook_added = false;

void shutdown_at_end() {
    InputShutdown(input_devices());
}

std::int16_t to_int16(int value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

// The pointer in picture pixels: the window shows the game's picture
// scaled and centred, so the pointer is mapped back through the same fit.
void pointer_in_picture(int* x, int* y) {
    int wx = 0, wy = 0;
    plat_mouse_position(&wx, &wy);
    plat_video_window_to_picture(wx, wy, x, y);
}

// Fresh movement for the frame's first mouse read.
void take_movement(InputDevices& devices) {
    int rel_dx = 0, rel_dy = 0, wheel = 0;
    plat_mouse_take_motion(&rel_dx, &rel_dy, &wheel);
    int dx = rel_dx, dy = rel_dy;
    if (devices.system_pointer) {
        int x = 0, y = 0;
        pointer_in_picture(&x, &y);
        dx = x - devices.mouse_x;
        dy = y - devices.mouse_y;
        devices.mouse_x = x;
        devices.mouse_y = y;
    } else {
        devices.mouse_x += dx;
        devices.mouse_y += dy;
    }
    devices.last_dx = to_int16(dx);
    devices.last_dy = to_int16(dy);
    devices.last_wheel = static_cast<std::int16_t>(sign(wheel));
}

} // namespace

InputDevices& input_devices() {
    static InputDevices devices;
    return devices;
}

int input_trunc(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

void InputReset(InputDevices& devices) {
    devices = InputDevices{};
    input_reset_inkey();
}

std::int32_t InputSetup(InputDevices& devices, void* window, void* /*instance*/,
                        int exclusive_input) {
    std::int32_t result = 1;
    if (!plat_start()) {
        rt_log("No DX_Input");
        result = kNoInputDevice;
    }
    devices.window = window;
    int x = 0, y = 0;
    pointer_in_picture(&x, &y);
    devices.mouse_x = x;
    devices.mouse_y = y;
    devices.system_pointer = 0;
    devices.mouse_device = exclusive_input != 0;
    if (devices.mouse_device) {
        devices.mouse_level = 5;
        if (!plat_mouse_capture(true)) {
            rt_log("No DX_Mouse");
            result = kNoExclusiveMouse;
        }
    } else {
        devices.system_pointer = 1;
    }
    plat_joy_open_all();
    devices.set_up = true;
    if (!g_end_hook_added) {
        rt_add_end_hook(kRtEndDevices, shutdown_at_end);
        g_end_hook_added = true;
    }
    return result;
}

void InputShutdown(InputDevices& devices) {
    if (!devices.set_up) return;
    if (!devices.system_pointer) plat_mouse_capture(false);
    devices.system_pointer = 1;
    devices.mouse_device = false;
    plat_joy_close_all();
    devices.set_up = false;
}

void PollKeyboard(InputDevices& devices) {
    std::memcpy(devices.key_state, plat_key_state(), sizeof devices.key_state);
}

void PollInput(InputDevices& devices) {
    PollKeyboard(devices);
    devices.mouse_stale = 1;
    pointer_visibility_step(devices);
}

int KeyDown(InputDevices& devices, int code) {
    PollKeyboard(devices);
    return (devices.key_state[code & 0xFF] & 0x80) ? 1 : 0;
}

int ReadMouse(InputDevices& devices, MouseSample& sample) {
    if (devices.mouse_stale) {
        devices.mouse_stale = 0;
        take_movement(devices);
    }
    sample.dx = devices.last_dx;
    sample.dy = devices.last_dy;
    sample.wheel = devices.last_wheel;
    bool buttons[3];
    plat_mouse_buttons(buttons);
    sample.button1 = buttons[0];
    sample.button2 = buttons[1];
    sample.button3 = buttons[2];
    return 1;
}

int AnyMouseButton(InputDevices& devices) {
    MouseSample sample;
    ReadMouse(devices, sample);
    return (sample.button1 || sample.button2 || sample.button3) ? 1 : 0;
}

// ---------------------------------------------------------------- built-ins

double KeyDown(double code) {
    return KeyDown(input_devices(), input_trunc(code));
}

void MouseState(double* x, double* y, double* button1, double* button2) {
    InputDevices& devices = input_devices();
    MouseSample sample;
    ReadMouse(devices, sample);
    // Picture pixels, whatever size the window has.
    const PlatPictureFit fit = plat_video_picture_fit();
    devices.mouse_x = std::clamp(devices.mouse_x, 0, std::max(fit.picture_width - 1, 0));
    devices.mouse_y = std::clamp(devices.mouse_y, 0, std::max(fit.picture_height - 1, 0));
    *x = devices.mouse_x;
    *y = devices.mouse_y;
    *button1 = sample.button1 != 0 ? 1.0 : 0.0;
    *button2 = sample.button2 != 0 ? 1.0 : 0.0;
}

double MouseAxis(double n) {
    MouseSample sample;
    ReadMouse(input_devices(), sample);
    switch (input_trunc(n)) {
    case 0:
        return sample.dx;
    case 1:
        return sample.dy;
    case 2:
        return sample.wheel;
    case 3:
        return sample.button1 != 0 ? 1.0 : 0.0;
    case 4:
        return sample.button2 != 0 ? 1.0 : 0.0;
    case 5:
        return sample.button3 != 0 ? 1.0 : 0.0;
    default:
        return 0.0;
    }
}

// A captured pointer uses SDL's relative mode; the visible pointer is put
// back where the logical pointer is.
void SetSystemPointer(double flag) {
    InputDevices& devices = input_devices();
    std::uint8_t f = flag != 0 ? 1 : 0;
    if (f == devices.system_pointer) return;
    devices.system_pointer = f;
    if (devices.mouse_device) devices.mouse_level = f ? 6 : 5;
    plat_mouse_capture(!f);
    if (f) {
        int wx = 0, wy = 0;
        plat_video_picture_to_window(devices.mouse_x, devices.mouse_y, &wx, &wy);
        plat_mouse_warp(plat_video_window(), wx, wy);
    }
}

void SetMousePos(double x, double y) {
    input_devices().mouse_x = input_trunc(x);
    input_devices().mouse_y = input_trunc(y);
}

void InputScriptKey(int scan_code, bool down) {
    plat_key_set(scan_code, down);
}
