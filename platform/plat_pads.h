// plat_pads.h: game pads in the standard layout, through SDL's game
// controller interface.
//
// A pad SDL knows as a game controller reads the same on every make: the
// south face button is button 0, the left stick axes 0 and 1. Pads are
// opened as they are plugged in and take the first free of ten slots; one
// pulled out leaves its slot empty (so the others keep their numbers) and
// reads as released. The same device still reads as a plain joystick too.
#pragma once

#include <cstdint>
#include <string>

union SDL_Event; // only the event pump hands events in

inline constexpr int kPlatMaxPads = 10;
inline constexpr int kPlatPadButtons = 15;

// One pad reading. Buttons: A, B, X, Y, Back, Guide, Start, left and right
// stick presses, LB, RB, D-pad up, down, left, right; 0x80 while down or
// pressed since the previous read. Axes: left stick x and y, right stick x
// and y (-32768..32767, y growing downwards), left and right trigger
// (0..32767).
struct PlatPadState {
    std::int32_t axes[6] = {0, 0, 0, 0, 0, 0};
    std::uint8_t buttons[kPlatPadButtons] = {};
};

// Opens every attached game controller not yet open (set-up); later
// arrivals are opened by the event pump.
void plat_pad_open_all();
void plat_pad_close_all();
// Slots in use are 0..count-1.
int plat_pad_count();
bool plat_pad_attached(int index);
std::string plat_pad_name(int index);
// False (state untouched) when the slot is empty.
bool plat_pad_read(int index, PlatPadState& state);

// The event pump's side: presses already read are forgotten when a pump
// starts; controller events open, close and press.
void plat_pads_pump_starts();
void plat_pads_handle_event(const SDL_Event& event);
