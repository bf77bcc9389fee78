// plat_video.h: the window, the OpenGL context, display modes and the clock.
//
// One window with one GL context (double buffered, 16-bit depth, 8-bit
// stencil, compatibility profile, swap interval 0: the engine paces frames
// itself). The clock has a real backend and a controllable test clock.
#pragma once

#include <cstdint>

// Opens the window (resizable, sharp on HiDPI displays) centred on its
// display with the given client size and makes its GL context current; false
// when SDL, the window or the context fails. A second call while open sets
// the window's size as plat_video_set_window_size does and returns true.
bool plat_video_open(const char* title, int width, int height);
void plat_video_close();
bool plat_video_is_open();
// Opaque handle, null when closed. Resizing may replace the window (the
// offscreen driver cannot resize one), so read it again after a resize.
void* plat_video_window();
void* plat_video_context();
void plat_video_set_title(const char* title);
// The window icon: 32-bit RGBA pixels, rows top to bottom, copied. Given to
// the open window at once and to every window made from then on (a resize
// on the offscreen driver makes a new one); null or a size of 0 clears it.
void plat_video_set_icon(const std::uint8_t* rgba, int width, int height);
// True when the open window was given an icon; its size then.
bool plat_video_window_icon(int* width, int* height);
const char* plat_video_title(); // "" when closed
void plat_video_swap();
void* plat_video_gl_proc(const char* name);
// Current drawable size in pixels (larger than the window's size on HiDPI
// displays); what the window really has, not what was asked for.
void plat_video_client_size(int* width, int* height);
// Desktop mode of the window's display: size and bits per pixel.
void plat_video_desktop_mode(int* width, int* height, int* bits_per_pixel);
// Full screen at the desktop's own resolution; false when refused.
bool plat_video_fullscreen();
bool plat_video_is_fullscreen();
// Back to a window at its windowed size (the last one the game set or the
// player gave it), centred again when the game had set that size.
void plat_video_windowed();
// The windowed client size: the window takes it at once (centred on its
// display) unless it is full screen, and takes it when it leaves full screen.
void plat_video_set_window_size(int width, int height);
// Called by the event pump when the window manager reports a new size: a
// windowed size other than the one the game set is the player's, which
// becomes the windowed size and is reported once by plat_video_take_player_size.
void plat_video_window_resized(int width, int height);
bool plat_video_take_player_size(int* width, int* height);

// ---------------------------------------------------------------- the picture in the window

// Where the game's picture (a fixed size such as 640 x 480) lies in the
// drawable: scaled as a whole with its proportions kept, centred, never
// cropped. A whole-number scale keeps every picture pixel the same size; it
// is taken when it fills nearly as much as the exact fit, else the exact fit.
struct PlatPictureFit {
    int picture_width = 640, picture_height = 480;
    int drawable_width = 640, drawable_height = 480;
    double scale = 1;
    int left = 0, top = 0;         // picture corner in drawable pixels from the top left
    int width = 640, height = 480; // picture size in drawable pixels
};
// The fit of a picture in a drawable; a drawable or picture without area
// gives scale 1 at the corner (nothing is drawn then anyway).
PlatPictureFit plat_fit_picture(int picture_width, int picture_height, int drawable_width,
                                int drawable_height);
// A rectangle of the picture (x, y from its top left) in drawable pixels as
// GL takes them (x, y of the lower-left corner, width, height). Each edge is
// rounded on its own, so rectangles that touch in the picture touch here.
struct PlatDrawableRect {
    int x = 0, y = 0, width = 0, height = 0;
};
PlatDrawableRect plat_fit_to_drawable(const PlatPictureFit& fit, double x, double y, double width,
                                      double height);
// A drawable pixel position (from the top left) back to the picture pixel
// under it, clamped into the picture.
void plat_fit_to_picture(const PlatPictureFit& fit, double x, double y, int* picture_x,
                         int* picture_y);

// The size of the game's picture (the engine sets it with the screen size).
void plat_video_set_picture_size(int width, int height);
// The fit of the picture in the window's drawable now; without a window the
// drawable is the picture itself.
PlatPictureFit plat_video_picture_fit();
// Pointer positions: window coordinates (as SDL reports the pointer) to
// picture pixels, clamped into the picture, and back.
void plat_video_window_to_picture(int x, int y, int* picture_x, int* picture_y);
void plat_video_picture_to_window(int picture_x, int picture_y, int* x, int* y);
void plat_video_raise();
void plat_video_hide_cursor();
// Shows or hides the pointer over the window (window and full screen alike).
void plat_video_show_cursor(bool shown);
void plat_video_disable_screensaver();
void plat_video_beep();

// ---------------------------------------------------------------- clock

// High-resolution counter and its ticks per second (0 when missing).
std::uint64_t plat_perf_counter();
std::uint64_t plat_perf_frequency();
std::uint32_t plat_ticks_ms();
// Sleeps about `ms` milliseconds (no-op for ms <= 0).
void plat_sleep_ms(double ms);
// Sleeps until the counter reaches `deadline` (at once when it has), with
// the precision of the system's timers: a fraction of a millisecond.
void plat_sleep_until(std::uint64_t deadline);

// Test clock: while on, the counter reads the test time (frequency 1e6),
// plat_sleep_ms and plat_sleep_until advance it instead of sleeping, and every counter read
// advances it by `read_step_ms` so busy waits end.
void plat_test_clock_enable(bool on, double start_ms = 0.0, double read_step_ms = 0.01);
bool plat_test_clock_enabled();
void plat_test_clock_set(double ms);
void plat_test_clock_advance(double ms);
double plat_test_clock_now();
double plat_test_clock_slept_ms();     // sum of sleeps since enabling
std::uint64_t plat_test_clock_reads(); // counter reads since enabling
