// input_devices.h: the input layer's private record and helpers.
#pragma once

#include "input/input.h"

#include <cstdint>

inline constexpr int kMaxJoysticks = 10;

struct InputDevices {
    std::int32_t mouse_x = 100, mouse_y = 100; // logical pointer, client pixels
    void* window = nullptr;
    bool set_up = false;
    // Exclusive input asked at set-up: the pointer may be captured (SDL's
    // relative mode) and switched back and forth with SetSystemPointer.
    bool mouse_device = false;
    std::uint8_t key_state[256] = {}; // bit 7 set = down
    std::uint8_t system_pointer = 0;  // 1: visible cursor; 0: captured pointer
    std::int32_t mouse_level = 0;     // 5 captured, 6 system pointer (with a mouse device)
    std::uint8_t mouse_stale = 1;     // the next mouse read takes fresh movement
    std::int16_t last_dx = 0, last_dy = 0, last_wheel = 0;
    // The system pointer is shown while it moves: where the last poll saw
    // it, when it last moved, and whether it is shown now.
    bool pointer_seen = false;
    std::int32_t pointer_seen_x = 0, pointer_seen_y = 0;
    double pointer_moved_ms = 0;
    bool pointer_shown = false;
};

// Truncates a game number toward zero into an int, saturating far outside
// the int range (NaN gives 0).
int input_trunc(double value);

// Scripted joysticks stand beside the real ones.
bool input_scripted_joystick(int index, DIJOYSTATE* state);
int input_scripted_count();

// Shows the system pointer when it has moved since the previous poll and
// hides it after kPointerHideMs without movement; the frame's poll calls it.
void pointer_visibility_step(InputDevices& devices);

// The text-input module's remembered character (reset with the devices).
void input_reset_inkey();
