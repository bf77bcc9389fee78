// plat_events.h: SDL start-up and the event pump.
//
// The pump drains SDL's queue once per call: key, mouse, joystick and
// device events update the input state (plat_input.h); window events update
// the flags below, which the frame step reads.
#pragma once

// Starts SDL's video, joystick and audio subsystems once (later calls are
// no-ops); false when SDL itself cannot start.
bool plat_start();
// Shuts SDL down (program end).
void plat_stop();

// Window events seen by the pump since start.
struct PlatWindowEvents {
    bool quit = false;           // SDL_QUIT or the window's close button
    bool active = true;          // the window has the input focus
    bool active_changed = false; // set when `active` flipped; the reader clears it
    // Alt+Enter, Alt+keypad Enter or F11 was pressed: switch between window
    // and full screen. Those presses never reach the key state.
    bool toggle_full_screen = false; // the reader clears it
};
PlatWindowEvents& plat_window_events();

// Drains the event queue.
void plat_pump_events();
