// plat_video.h: the window, the OpenGL context, display modes and the clock.
//
// One window with one GL context (double buffered, 16-bit depth, 8-bit
// stencil, compatibility profile, swap interval 0: the engine paces frames
// itself). The clock has a real backend and a controllable test clock.
#pragma once

#include <cstdint>

// Opens the window centred on the display with the given client size and
// makes its GL context current; false when SDL, the window or the context
// fails. A second call while open resizes the window and returns true.
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
// Current client (drawable) size.
void plat_video_client_size(int* width, int* height);
// Desktop mode of the window's display: size and bits per pixel.
void plat_video_desktop_mode(int* width, int* height, int* bits_per_pixel);
// Full screen at width x height (and bits per pixel when non-zero); false
// when the display refuses the mode.
bool plat_video_fullscreen(int width, int height, int bits_per_pixel);
// Back to a window of the given client size (desktop mode restored).
void plat_video_windowed(int width, int height);
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
