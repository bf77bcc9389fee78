// window_scenarios.cpp: the window as a player handles it: Alt+Enter and F11
// on the title screen, the window given a new size, and the next start at
// that size with the picture scaled into it.
#include "tests/whole/steps.h"

#include "graphics/graphics.h"
#include "platform/plat_video.h"

#include <SDL.h>

#include <memory>

namespace whole {
namespace {

// An event as the window system delivers it, taken by the next frame's pump.
Step push(const SDL_Event& event) {
    return [event](const FrameView&) {
        SDL_Event copy = event;
        SDL_PushEvent(&copy);
        return Progress::kDoneNextFrame;
    };
}

SDL_Event key_event(SDL_Scancode code, Uint16 mod, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = code;
    event.key.keysym.mod = mod;
    return event;
}

// Alt held, `key` pressed and released, Alt released: a frame each.
Script with_alt(SDL_Scancode key) {
    Script s;
    s.then(push(key_event(SDL_SCANCODE_LALT, KMOD_NONE, true)));
    s.then(push(key_event(key, KMOD_LALT, true)));
    s.then(push(key_event(key, KMOD_LALT, false)));
    s.then(push(key_event(SDL_SCANCODE_LALT, KMOD_NONE, false)));
    return s;
}

Script f11() {
    Script s;
    s.then(push(key_event(SDL_SCANCODE_F11, KMOD_NONE, true)));
    s.then(push(key_event(SDL_SCANCODE_F11, KMOD_NONE, false)));
    return s;
}

Step full_screen_is(bool full) {
    return expect([full](const FrameView&) { return (IsFullScreen() != 0) == full; },
                  full ? "full screen" : "a window");
}

// The switch must not reach the menu: its cursor rests on "1 Player", so a
// Return would start a game.
Step no_game_for(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left](const FrameView& v) {
        if (v.play) fail("a game started after the full-screen switch");
        return --*left > 0 ? Progress::kWait : Progress::kDone;
    };
}

} // namespace

Script full_screen_keys_and_resize() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(with_alt(SDL_SCANCODE_RETURN));
    s.then(full_screen_is(true));
    s.then("the menu after Alt+Enter", no_game_for(20));
    s.then(with_alt(SDL_SCANCODE_KP_ENTER));
    s.then(full_screen_is(false));
    s.then(f11());
    s.then(full_screen_is(true));
    s.then(f11());
    s.then(full_screen_is(false));
    s.then("the menu after F11", no_game_for(10));
    s.then(say("the full-screen keys switched and started no game"));
    // The player drags the window to 1280 x 720.
    SDL_Event resized{};
    resized.type = SDL_WINDOWEVENT;
    resized.window.event = SDL_WINDOWEVENT_RESIZED;
    resized.window.data1 = 1280;
    resized.window.data2 = 720;
    s.then(push(resized));
    s.then(menu_quit(cursor));
    return s;
}

Script wide_window() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(expect(
        [](const FrameView&) {
            int w = 0, h = 0;
            plat_video_client_size(&w, &h);
            return w == 1280 && h == 720;
        },
        "the window opened at the size the player gave it"));
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(shot("wide-window"));
    s.then("Escape in play", tap(kKeyEscape));
    s.then(back_at_title());
    cursor = 0; // every title screen opens the menu afresh
    s.then(menu_ready());
    // Screen 640x480 -> 800x600 in the menu: picture and window at once.
    s.then(menu_choose(cursor, menu_line("root", "dir", "options")));
    cursor = 0;
    s.then(menu_choose(cursor, menu_line("options", "toggle:640x480", "")));
    s.then("the Screen choice taking effect", until([](const FrameView&) {
               double w = 0, h = 0;
               GetScreenSize(&w, &h);
               int dw = 0, dh = 0;
               plat_video_client_size(&dw, &dh);
               return w == 800 && h == 600 && dw == 800 && dh == 600;
           }),
           2000);
    s.then(say("the Screen choice took effect at once"));
    s.then(menu_back(cursor, "options"));
    s.then(menu_quit(cursor));
    return s;
}

} // namespace whole
