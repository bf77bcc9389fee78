// plat_input.h: keyboard, mouse and joystick state kept from SDL's events.
//
// Keys are numbered by DirectInput scan code (Escape 1, Return 28, Up 200,
// ...). The key state, the pointer and the wheel are updated by the event pump
// (plat_events.h), so a test can drive them with SDL_PushEvent; joysticks are
// read through SDL's joystick API (virtual joysticks included).
#pragma once

#include <cstdint>
#include <string>

union SDL_Event; // only the event pump hands events in

// ---------------------------------------------------------------- keyboard

// One byte per scan code, 0x80 while the key is down. A key pressed since
// the previous read reads as down once even when it is already up again
// (a quick tap between two frames); so do mouse and joystick buttons.
const std::uint8_t* plat_key_state();
// Sets a key directly (scripted input): it reads exactly as set.
void plat_key_set(int code, bool down);
void plat_key_clear_all();
// Scan code of an SDL scancode, 0 when it has none.
int plat_key_from_sdl(int sdl_scancode);
// SDL scancode of a scan code, 0 (unknown) when it has none.
int plat_key_to_sdl(int code);
// The character the keyboard layout gives for the key: the text typed with
// its latest press when SDL reported one, else the layout's plain keycode;
// 0 when the key gives no character below 128.
int plat_key_char(int code);

// ---------------------------------------------------------------- mouse

// Pointer position in client pixels and buttons (left, right, middle) as the
// latest events left them.
void plat_mouse_position(int* x, int* y);
void plat_mouse_buttons(bool buttons[3]);
// Relative movement and wheel clicks gathered since the previous call.
void plat_mouse_take_motion(int* dx, int* dy, int* wheel);
// Sets the pointer position the next events are measured against.
void plat_mouse_set_position(int x, int y);
// Scripted input: a button (0 left, 1 right, 2 middle) set as a press or
// release event would, and wheel clicks (positive away from the user).
void plat_mouse_set_button(int button, bool down);
void plat_mouse_add_wheel(int clicks);
// Captured pointer: relative movement only, cursor hidden. False when refused.
bool plat_mouse_capture(bool captured);
// Moves the system cursor inside the window (no-op without a window).
void plat_mouse_warp(void* window, int x, int y);
// Client size of the window; 640 x 480 without one.
void plat_window_client_size(void* window, int* width, int* height);

// ---------------------------------------------------------------- joysticks

inline constexpr int kPlatMaxJoysticks = 10;

// One joystick reading, in DirectInput's terms: axes X Y Z RX RY RZ in
// -32768..32767, hat 0 in hundredths of a degree (0xFFFFFFFF centred),
// buttons 0x80 while down. An axis that rests at an end of its range (an
// analogue trigger) reads 0 at rest to 32767 fully pressed.
struct PlatJoyState {
    std::int32_t axes[6] = {0, 0, 0, 0, 0, 0};
    std::uint32_t hat = 0xFFFFFFFFu;
    std::uint8_t buttons[32] = {};
};

// Opens every attached joystick not yet open (set-up); later arrivals are
// opened by the event pump.
void plat_joy_open_all();
void plat_joy_close_all();
// Slots in use are 0..count-1; an unplugged joystick leaves its slot empty
// so the others keep their numbers.
int plat_joy_count();
bool plat_joy_attached(int index);
std::string plat_joy_name(int index);
// False (state untouched) when the slot is empty.
bool plat_joy_read(int index, PlatJoyState& state);
// Rumble with motor strengths 0..1 for the given time; false when the
// joystick has no rumble.
bool plat_joy_rumble(int index, double low, double high, std::uint32_t ms);

// ---------------------------------------------------------------- pump and time

// Called by the event pump before it takes events: presses already read
// are forgotten, so the readings follow the devices again.
void plat_input_pump_starts();
// Called by the event pump for each input event.
void plat_input_handle_event(const SDL_Event& event);
void plat_input_sleep_ms(std::uint32_t ms);
