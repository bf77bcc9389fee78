// pointer.cpp: the system pointer's visibility and scripted mouse input.
//
// The pointer is hidden over the game's window until the player moves it;
// then it shows, and it hides again after kPointerHideMs of stillness, so a
// player on the keys never has an arrow standing over the board.
#include "input/input_devices.h"

#include "platform/platform.h"

namespace {

double now_ms() {
    const std::uint64_t frequency = plat_perf_frequency();
    if (frequency == 0) return plat_ticks_ms();
    return static_cast<double>(plat_perf_counter()) * 1000.0 / static_cast<double>(frequency);
}

void show(InputDevices& devices, bool shown) {
    if (devices.pointer_shown == shown) return;
    devices.pointer_shown = shown;
    plat_video_show_cursor(shown);
}

} // namespace

void pointer_visibility_step(InputDevices& devices) {
    // A captured pointer is SDL's to hide.
    if (!devices.system_pointer) return;
    int x = 0, y = 0;
    plat_mouse_position(&x, &y);
    const double now = now_ms();
    // The first poll only learns where the pointer rests.
    const bool moved =
        devices.pointer_seen && (x != devices.pointer_seen_x || y != devices.pointer_seen_y);
    devices.pointer_seen = true;
    devices.pointer_seen_x = x;
    devices.pointer_seen_y = y;
    if (moved) {
        devices.pointer_moved_ms = now;
        show(devices, true);
    } else if (devices.pointer_shown && now - devices.pointer_moved_ms >= kPointerHideMs) {
        show(devices, false);
    }
}

int PointerShown(InputDevices& devices) {
    return devices.pointer_shown ? 1 : 0;
}

void InputScriptMouseMove(int x, int y) {
    plat_mouse_set_position(x, y);
}

void InputScriptMouseButton(int button, bool down) {
    plat_mouse_set_button(button, down);
}

void InputScriptMouseWheel(int clicks) {
    plat_mouse_add_wheel(clicks);
}
