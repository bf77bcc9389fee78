// plat_events.cpp: SDL start-up and the event pump.
//
// The pump works with or without a window: input events go to the input
// state, window events to the flags the frame step reads.
#include "platform/plat_events.h"

#include "platform/plat_audio.h"
#include "platform/plat_input.h"
#include "platform/plat_video.h"

#include <SDL.h>

#include <cstdio>

namespace {

bool g_started = false;

// Each subsystem comes up on its own, so a machine without a sound device or
// a display still gets the others.
void init_subsystem(Uint32 flag, const char* what) {
    if (SDL_InitSubSystem(flag) != 0) {
        std::fprintf(stderr, "platform: no %s: %s\n", what, SDL_GetError());
    }
}

void handle_window_event(const SDL_WindowEvent& window) {
    PlatWindowEvents& flags = plat_window_events();
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        flags.quit = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (flags.active) flags.active_changed = true;
        flags.active = false;
        break;
    case SDL_WINDOWEVENT_RESIZED:
        plat_video_window_resized(window.data1, window.data2);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!flags.active) flags.active_changed = true;
        flags.active = true;
        break;
    default:
        break;
    }
}

// The keys that switch between window and full screen are the window's, like
// its close button: taken here, so the menu never reads Alt+Enter as Return.
// A key whose press was taken has its release taken too.
bool take_full_screen_key(const SDL_Event& event) {
    static bool taken[SDL_NUM_SCANCODES] = {};
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return false;
    const SDL_Scancode code = event.key.keysym.scancode;
    if (code < 0 || code >= SDL_NUM_SCANCODES) return false;
    if (event.type == SDL_KEYUP) {
        const bool was_taken = taken[code];
        taken[code] = false;
        return was_taken;
    }
    // A held key's repeats go where its press went.
    if (event.key.repeat) return taken[code];
    const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
    const bool enter = code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER;
    if (!(code == SDL_SCANCODE_F11 || (alt && enter))) return false;
    plat_window_events().toggle_full_screen = true;
    taken[code] = true;
    return true;
}

} // namespace

bool plat_start() {
    if (g_started) return true;
    // Joysticks keep reporting while another window has the focus: the frame
    // step pauses the game itself, and headless runs have no focus at all.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "platform: SDL cannot start: %s\n", SDL_GetError());
        return false;
    }
    init_subsystem(SDL_INIT_VIDEO, "video");
    init_subsystem(SDL_INIT_JOYSTICK, "joysticks");
    init_subsystem(SDL_INIT_GAMECONTROLLER, "game controllers");
    init_subsystem(SDL_INIT_AUDIO, "audio");
    SDL_DisableScreenSaver();
    g_started = true;
    return true;
}

void plat_stop() {
    if (!g_started) return;
    plat_snd_close();
    plat_joy_close_all();
    SDL_Quit();
    g_started = false;
}

PlatWindowEvents& plat_window_events() {
    static PlatWindowEvents events;
    return events;
}

void plat_pump_events() {
    if (!g_started) return;
    plat_input_pump_starts();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            plat_window_events().quit = true;
        } else if (event.type == SDL_WINDOWEVENT) {
            handle_window_event(event.window);
        } else if (!take_full_screen_key(event)) {
            plat_input_handle_event(event);
        }
    }
}
