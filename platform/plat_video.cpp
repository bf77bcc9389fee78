// plat_video.cpp: the SDL window with its OpenGL context, display modes, the
// cursor and screen saver, and the clock (real and test).
#include "platform/plat_video.h"

#include "platform/plat_events.h"

#include <SDL.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <time.h>
#include <vector>

namespace {

SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
int g_buffer_width = 0, g_buffer_height = 0; // the window's size when it was made

struct WindowIcon {
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0;
    bool applied = false; // given to the window now open
};
WindowIcon g_icon;

// Hands the icon to the window now open; SDL copies the pixels.
void apply_icon() {
    g_icon.applied = false;
    if (!g_window || g_icon.width <= 0 || g_icon.height <= 0) return;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(g_icon.pixels.data(), g_icon.width, g_icon.height, 32,
                                           g_icon.width * 4, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return;
    SDL_SetWindowIcon(g_window, surface);
    SDL_FreeSurface(surface);
    g_icon.applied = true;
}

struct TestClock {
    bool on = false;
    double now_ms = 0;
    double read_step_ms = 0.01;
    double slept_ms = 0;
    std::uint64_t reads = 0;
};
TestClock g_test_clock;

void set_gl_attributes() {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

constexpr Uint32 kWindowFlags =
    SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;

// The sizes the window and the picture are kept at between changes.
struct Sizes {
    int windowed_width = 640, windowed_height = 480; // client size out of full screen
    bool player_size_pending = false; // the player gave the window a size not yet reported
    int picture_width = 640, picture_height = 480;
};
Sizes g_sizes;

int window_display() {
    int index = g_window ? SDL_GetWindowDisplayIndex(g_window) : 0;
    return index < 0 ? 0 : index;
}

// A new window opens on the display the pointer is on, where the player looks.
int pointer_display() {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    const SDL_Point at{x, y};
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_PointInRect(&at, &bounds)) return i;
    }
    return 0;
}

bool offscreen_driver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") == 0;
}

// Gives the window a new client size, centred on its display. The offscreen
// driver draws into a buffer made with the window and never resized with
// it, so there a window of another size is a new window that the context
// moves to.
void resize_window(int width, int height) {
    int w = 0, h = 0;
    SDL_GetWindowSize(g_window, &w, &h);
    const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(window_display()));
    if (!offscreen_driver()) {
        if (w == width && h == height) return;
        SDL_SetWindowSize(g_window, width, height);
        SDL_SetWindowPosition(g_window, centred, centred);
        return;
    }
    // There the window's size may change (full screen) while its buffer keeps
    // the size it was made with.
    if (g_buffer_width == width && g_buffer_height == height) return;
    SDL_Window* fresh = SDL_CreateWindow(SDL_GetWindowTitle(g_window), centred, centred, width,
                                         height, kWindowFlags);
    if (fresh == nullptr || SDL_GL_MakeCurrent(fresh, g_context) != 0) {
        std::fprintf(stderr, "video: cannot resize the window: %s\n", SDL_GetError());
        if (fresh != nullptr) SDL_DestroyWindow(fresh);
        SDL_GL_MakeCurrent(g_window, g_context);
        return;
    }
    SDL_DestroyWindow(g_window);
    g_window = fresh;
    g_buffer_width = width;
    g_buffer_height = height;
    apply_icon();
}

bool window_is_fullscreen() {
    return g_window != nullptr && (SDL_GetWindowFlags(g_window) & SDL_WINDOW_FULLSCREEN) != 0;
}

// SDL falls back on drivers that draw into memory when no display answers;
// a game nobody can see or end must not run unless such a driver was asked
// for by name (headless tests and tools set SDL_VIDEODRIVER).
bool display_present() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const bool headless = driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
                          std::strcmp(driver, "dummy") == 0;
    if (!headless || (asked != nullptr && asked[0] != '\0')) return true;
    std::fprintf(
        stderr,
        "no display: %s (DISPLAY and WAYLAND_DISPLAY are %s; set SDL_VIDEODRIVER=offscreen "
        "to run without one)\n",
        driver == nullptr ? SDL_GetError() : "no screen to open the window on",
        std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr
            ? "not set"
            : "set but no display answers");
    return false;
}

} // namespace

bool plat_video_open(const char* title, int width, int height) {
    if (g_window) {
        plat_video_set_window_size(width, height);
        SDL_SetWindowTitle(g_window, title);
        return true;
    }
    if (!plat_start() || !display_present()) return false;
    set_gl_attributes();
    const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(pointer_display()));
    g_window = SDL_CreateWindow(title, centred, centred, width, height, kWindowFlags);
    if (!g_window) {
        std::fprintf(stderr, "video: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    g_sizes.windowed_width = width;
    g_sizes.windowed_height = height;
    g_sizes.player_size_pending = false;
    g_buffer_width = width;
    g_buffer_height = height;
    apply_icon();
    g_context = SDL_GL_CreateContext(g_window);
    if (!g_context) {
        std::fprintf(stderr, "video: cannot create the OpenGL context: %s\n", SDL_GetError());
        SDL_DestroyWindow(g_window);
        g_window = nullptr;
        return false;
    }
    SDL_GL_MakeCurrent(g_window, g_context);
    SDL_GL_SetSwapInterval(0);
    return true;
}

void plat_video_set_icon(const std::uint8_t* rgba, int width, int height) {
    const bool valid =
        rgba != nullptr && width > 0 && height > 0 && width <= 1024 && height <= 1024;
    g_icon.width = valid ? width : 0;
    g_icon.height = valid ? height : 0;
    g_icon.pixels.assign(rgba, rgba + (valid ? std::size_t(width) * std::size_t(height) * 4 : 0));
    apply_icon();
}

bool plat_video_window_icon(int* width, int* height) {
    if (!g_window || !g_icon.applied) return false;
    *width = g_icon.width;
    *height = g_icon.height;
    return true;
}

void plat_video_close() {
    if (g_context) SDL_GL_DeleteContext(g_context);
    if (g_window) SDL_DestroyWindow(g_window);
    g_context = nullptr;
    g_window = nullptr;
}

bool plat_video_is_open() {
    return g_window != nullptr;
}
void* plat_video_window() {
    return g_window;
}
void* plat_video_context() {
    return g_context;
}

void plat_video_set_title(const char* title) {
    if (g_window) SDL_SetWindowTitle(g_window, title);
}

const char* plat_video_title() {
    return g_window ? SDL_GetWindowTitle(g_window) : "";
}

void plat_video_swap() {
    if (g_window) SDL_GL_SwapWindow(g_window);
}

void* plat_video_gl_proc(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

void plat_video_client_size(int* width, int* height) {
    *width = 0;
    *height = 0;
    if (g_window) SDL_GL_GetDrawableSize(g_window, width, height);
}

void plat_video_desktop_mode(int* width, int* height, int* bits_per_pixel) {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(window_display(), &mode) != 0) {
        *width = 0;
        *height = 0;
        *bits_per_pixel = 32;
        return;
    }
    *width = mode.w;
    *height = mode.h;
    int bpp = SDL_BITSPERPIXEL(mode.format);
    // SDL reports 24 for the common XRGB8888 desktops; the frame buffer is 32 bits.
    *bits_per_pixel = bpp == 24 ? 32 : bpp;
}

bool plat_video_fullscreen() {
    if (!g_window) return false;
    // The window covers the display before it asks to be full screen: without
    // a window manager (a bare X server) nothing else would resize it, and
    // the offscreen driver needs a buffer of that size.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(window_display(), &bounds) == 0 && bounds.w > 0 && bounds.h > 0)
        resize_window(bounds.w, bounds.h);
    return SDL_SetWindowFullscreen(g_window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

bool plat_video_is_fullscreen() {
    return window_is_fullscreen();
}

void plat_video_windowed() {
    if (!g_window) return;
    if (window_is_fullscreen()) SDL_SetWindowFullscreen(g_window, 0);
    resize_window(g_sizes.windowed_width, g_sizes.windowed_height);
    SDL_ShowWindow(g_window);
}

void plat_video_set_window_size(int width, int height) {
    if (width <= 0 || height <= 0) return;
    g_sizes.windowed_width = width;
    g_sizes.windowed_height = height;
    if (g_window && !window_is_fullscreen()) resize_window(width, height);
}

void plat_video_window_resized(int width, int height) {
    if (!g_window || window_is_fullscreen() || width <= 0 || height <= 0) return;
    if (width == g_sizes.windowed_width && height == g_sizes.windowed_height) return;
    // A window reported at the whole desktop's size is one that was full
    // screen a moment ago, not a size the player chose.
    int desktop_w = 0, desktop_h = 0, bits = 0;
    plat_video_desktop_mode(&desktop_w, &desktop_h, &bits);
    if (desktop_w > 0 && width >= desktop_w && height >= desktop_h) return;
    g_sizes.windowed_width = width;
    g_sizes.windowed_height = height;
    g_sizes.player_size_pending = true;
}

bool plat_video_take_player_size(int* width, int* height) {
    if (!g_sizes.player_size_pending) return false;
    g_sizes.player_size_pending = false;
    *width = g_sizes.windowed_width;
    *height = g_sizes.windowed_height;
    return true;
}

void plat_video_set_picture_size(int width, int height) {
    if (width <= 0 || height <= 0) return;
    g_sizes.picture_width = width;
    g_sizes.picture_height = height;
}

PlatPictureFit plat_video_picture_fit() {
    int dw = g_sizes.picture_width, dh = g_sizes.picture_height;
    if (g_window) SDL_GL_GetDrawableSize(g_window, &dw, &dh);
    return plat_fit_picture(g_sizes.picture_width, g_sizes.picture_height, dw, dh);
}

namespace {

// Drawable pixels per window unit on each axis (above 1 on HiDPI displays).
void pixels_per_unit(const PlatPictureFit& fit, double* sx, double* sy) {
    *sx = *sy = 1;
    if (!g_window) return;
    int ww = 0, wh = 0;
    SDL_GetWindowSize(g_window, &ww, &wh);
    if (ww > 0 && wh > 0) {
        *sx = static_cast<double>(fit.drawable_width) / ww;
        *sy = static_cast<double>(fit.drawable_height) / wh;
    }
}

} // namespace

void plat_video_window_to_picture(int x, int y, int* picture_x, int* picture_y) {
    const PlatPictureFit fit = plat_video_picture_fit();
    double sx = 1, sy = 1;
    pixels_per_unit(fit, &sx, &sy);
    plat_fit_to_picture(fit, (x + 0.5) * sx, (y + 0.5) * sy, picture_x, picture_y);
}

void plat_video_picture_to_window(int picture_x, int picture_y, int* x, int* y) {
    const PlatPictureFit fit = plat_video_picture_fit();
    double sx = 1, sy = 1;
    pixels_per_unit(fit, &sx, &sy);
    *x = static_cast<int>(std::floor((fit.left + (picture_x + 0.5) * fit.scale) / sx));
    *y = static_cast<int>(std::floor((fit.top + (picture_y + 0.5) * fit.scale) / sy));
}

void plat_video_raise() {
    if (g_window) SDL_RaiseWindow(g_window);
}

void plat_video_hide_cursor() {
    SDL_ShowCursor(SDL_DISABLE);
}

void plat_video_show_cursor(bool shown) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void plat_video_disable_screensaver() {
    SDL_DisableScreenSaver();
}

// SDL has no system sound; the terminal bell is the nearest stand-in.
void plat_video_beep() {
    std::fputc('\a', stderr);
}

// ---------------------------------------------------------------- clock

// The counter is the monotonic clock in nanoseconds, the clock that
// plat_sleep_until can wait for to the deadline.
constexpr std::uint64_t kCounterFrequency = 1000000000u;

std::uint64_t plat_perf_counter() {
    if (g_test_clock.on) {
        ++g_test_clock.reads;
        double now = g_test_clock.now_ms;
        g_test_clock.now_ms += g_test_clock.read_step_ms;
        return static_cast<std::uint64_t>(now * 1000.0 + 0.5);
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * kCounterFrequency +
           static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint64_t plat_perf_frequency() {
    return g_test_clock.on ? 1000000u : kCounterFrequency;
}

// An absolute deadline does not drift by the time spent before the call,
// and the kernel wakes the thread within its timer slack of it.
void plat_sleep_until(std::uint64_t deadline) {
    if (g_test_clock.on) {
        double target_ms = static_cast<double>(deadline) / 1000.0;
        if (target_ms <= g_test_clock.now_ms) return;
        g_test_clock.slept_ms += target_ms - g_test_clock.now_ms;
        g_test_clock.now_ms = target_ms;
        return;
    }
    timespec until{};
    until.tv_sec = static_cast<time_t>(deadline / kCounterFrequency);
    until.tv_nsec = static_cast<long>(deadline % kCounterFrequency);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

std::uint32_t plat_ticks_ms() {
    if (g_test_clock.on) return static_cast<std::uint32_t>(g_test_clock.now_ms);
    return SDL_GetTicks();
}

void plat_sleep_ms(double ms) {
    if (ms <= 0) return;
    if (g_test_clock.on) {
        g_test_clock.now_ms += ms;
        g_test_clock.slept_ms += ms;
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

void plat_test_clock_enable(bool on, double start_ms, double read_step_ms) {
    g_test_clock = TestClock{};
    g_test_clock.on = on;
    g_test_clock.now_ms = start_ms;
    g_test_clock.read_step_ms = read_step_ms > 0 ? read_step_ms : 0.01;
}

bool plat_test_clock_enabled() {
    return g_test_clock.on;
}
void plat_test_clock_set(double ms) {
    g_test_clock.now_ms = ms;
}
void plat_test_clock_advance(double ms) {
    g_test_clock.now_ms += ms;
}
double plat_test_clock_now() {
    return g_test_clock.now_ms;
}
double plat_test_clock_slept_ms() {
    return g_test_clock.slept_ms;
}
std::uint64_t plat_test_clock_reads() {
    return g_test_clock.reads;
}
