// renderer.cpp: the renderer object's context side: context creation, the
// 2D default state, the frame limiter, the time base and the display modes.
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"
#include "platform/plat_video.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

// The limiter sleeps to an absolute deadline this long before the frame
// slot and spins for the rest: such sleeps wake well within it.
constexpr double kSpinMs = 0.2;
// Longest single sleep, so window events are still handled promptly.
constexpr double kMaxSleepSliceMs = 8.0;

GlExtensions g_ext;
// Where the picture lies in the window's drawable, as read at the last refresh.
PlatPictureFit g_fit;

template <typename T> void lookup(T& entry, const char* name) {
    entry = reinterpret_cast<T>(plat_video_gl_proc(name));
}

bool extension_listed(const char* extensions, const char* name) {
    if (!extensions) return false;
    return std::strstr(extensions, name) != nullptr;
}

void lookup_extensions() {
    g_ext = GlExtensions{};
    const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extension_listed(ext, "GL_ARB_multitexture")) {
        lookup(g_ext.glActiveTextureARB, "glActiveTextureARB");
        lookup(g_ext.glMultiTexCoord2fARB, "glMultiTexCoord2fARB");
        lookup(g_ext.glClientActiveTextureARB, "glClientActiveTextureARB");
        lookup(g_ext.glGenBuffersARB, "glGenBuffersARB");
        lookup(g_ext.glBindBufferARB, "glBindBufferARB");
        lookup(g_ext.glBufferDataARB, "glBufferDataARB");
        lookup(g_ext.glDeleteBuffersARB, "glDeleteBuffersARB");
        lookup(g_ext.glMapBufferARB, "glMapBufferARB");
        lookup(g_ext.glUnmapBufferARB, "glUnmapBufferARB");
    }
    if (extension_listed(ext, "GL_ARB_fragment_program")) {
        lookup(g_ext.glCreateProgramObjectARB, "glCreateProgramObjectARB");
        lookup(g_ext.glDeleteObjectARB, "glDeleteObjectARB");
        lookup(g_ext.glCreateShaderObjectARB, "glCreateShaderObjectARB");
        lookup(g_ext.glShaderSourceARB, "glShaderSourceARB");
        lookup(g_ext.glCompileShaderARB, "glCompileShaderARB");
        lookup(g_ext.glGetObjectParameterivARB, "glGetObjectParameterivARB");
        lookup(g_ext.glAttachObjectARB, "glAttachObjectARB");
        lookup(g_ext.glGetInfoLogARB, "glGetInfoLogARB");
        lookup(g_ext.glLinkProgramARB, "glLinkProgramARB");
        lookup(g_ext.glUseProgramObjectARB, "glUseProgramObjectARB");
        lookup(g_ext.glGetUniformLocationARB, "glGetUniformLocationARB");
        lookup(g_ext.glUniform1fARB, "glUniform1fARB");
        lookup(g_ext.glUniform1iARB, "glUniform1iARB");
    }
}

// A software rasteriser still renders correctly, only slowly. One log entry
// says so, with the renderer's name, in words a player can act on; nothing is
// printed, and no modal box blocks start-up on machines without a desktop or
// in tests.
void report_renderer_kind() {
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const RtString shown = name ? RtString(name) : RtString("unknown renderer");
    std::string lower = name ? name : "";
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    bool software = lower.find("llvmpipe") != std::string::npos ||
                    lower.find("softpipe") != std::string::npos ||
                    lower.find("software") != std::string::npos;
    if (!software) {
        rt_log("OpenGL Hardware Support (" + shown + ")");
        return;
    }
    rt_log("OpenGL Software Emulation (" + shown +
           "): the picture is drawn without the graphics card and may be slow; "
           "a graphics driver with OpenGL support makes it faster");
}

} // namespace

GlExtensions& gl_ext() {
    return g_ext;
}

ZiriZUDoriravu::ZiriZUDoriravu() : slots(kSpriteSlotCount) {}

ZiriZUDoriravu::~ZiriZUDoriravu() = default;

bool ZiriZUDoriravu::CreateContext(void* win, int w, int h, int depth, int fps) {
    frame_interval = fps > 0 ? 1000.0 / fps : 2.0;
    window = win;
    int desktop_w = 0, desktop_h = 0, desktop_bpp = 0;
    plat_video_desktop_mode(&desktop_w, &desktop_h, &desktop_bpp);
    if (depth == 0) depth = desktop_bpp;
    if (w == 0 || h == 0) {
        int cw = 0, ch = 0;
        plat_video_client_size(&cw, &ch);
        w = w == 0 ? cw : w;
        h = h == 0 ? ch : h;
    }
    width = w;
    height = h;
    colour_depth = depth;
    full_screen = 0;
    context = plat_video_context();
    if (!context) return false;
    RefreshPictureFit();
    report_renderer_kind();
    std::uint64_t frequency = plat_perf_frequency();
    counter_frequency = static_cast<double>(frequency);
    counter_available = frequency != 0 ? 1 : 0;
    next_frame_time = Now();
    lookup_extensions();
    SetViewport2D(0, 0, 0, 0);
    ready = 1;
    return true;
}

double ZiriZUDoriravu::Now() const {
    if (counter_available)
        return static_cast<double>(plat_perf_counter()) * 1000.0 / counter_frequency;
    return static_cast<double>(plat_ticks_ms());
}

// Sleeps until the time base reads `ms` (it reads `now`); without the
// counter, for the distance to it by the millisecond timer.
void ZiriZUDoriravu::SleepUntil(double ms, double now) const {
    if (ms <= now) return;
    if (!counter_available) {
        plat_sleep_ms(ms - now);
        return;
    }
    plat_sleep_until(static_cast<std::uint64_t>(ms * counter_frequency / 1000.0));
}

// Frames are released on a fixed grid of the frame interval; a late frame
// skips the grid points it missed instead of bunching frames up. The wait
// sleeps until shortly before the slot and spins only for the last
// moments, pumping window events all the while.
double ZiriZUDoriravu::PresentFrame() {
    glFlush();
    plat_video_swap();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    double t0 = Now();
    double now = t0;
    for (;;) {
        PumpMessages();
        now = Now();
        if (now > next_frame_time) break;
        if (next_frame_time - now > kSpinMs)
            SleepUntil(std::min(next_frame_time - kSpinMs, now + kMaxSleepSliceMs), now);
    }
    double n = next_frame_time + frame_interval;
    if (frame_interval > 0)
        while (n < now)
            n += frame_interval;
    next_frame_time = n;
    // The window may have changed size while events were pumped.
    RefreshPictureFit();
    return now - t0 + 1;
}

void ZiriZUDoriravu::RefreshPictureFit() {
    plat_video_set_picture_size(width, height);
    g_fit = plat_video_picture_fit();
    picture_scale = g_fit.scale;
}

void ZiriZUDoriravu::PictureToDrawable(double x, double y, double w, double h, int out[4]) const {
    const PlatDrawableRect r = plat_fit_to_drawable(g_fit, x, y, w, h);
    out[0] = r.x;
    out[1] = r.y;
    out[2] = r.width;
    out[3] = r.height;
}

void ZiriZUDoriravu::SetViewport2D(int x, int y, int w, int h) {
    if (w < 1 || h < 1) {
        w = width;
        h = height;
    }
    viewport_x = x;
    viewport_y = y;
    viewport_width = w;
    viewport_height = h;
    PictureToDrawable(x, y, w, h, gl_viewport);
    glViewport(gl_viewport[0], gl_viewport[1], gl_viewport[2], gl_viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, -h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    matrices_2d = 1;
    graphics_default_2d_state();
}

// Full screen keeps the desktop's own resolution (no display mode is
// changed, so nothing is left behind if the program stops) and the picture is
// scaled into it.
int ZiriZUDoriravu::EnterFullScreen() {
    if (!plat_video_fullscreen()) {
        plat_video_beep();
        rt_log("No Fullscreen Mode available");
        EnterWindowed();
        return 0;
    }
    plat_video_raise();
    full_screen = 1;
    RefreshPictureFit();
    SetViewport2D(0, 0, 0, 0);
    return 1;
}

int ZiriZUDoriravu::EnterWindowed() {
    plat_video_windowed();
    window = plat_video_window();
    engine().window = window;
    plat_video_raise();
    full_screen = 0;
    RefreshPictureFit();
    SetViewport2D(0, 0, 0, 0);
    return 1;
}

void ZiriZUDoriravu::GetScreenSize(int* w, int* h) const {
    *w = width;
    *h = height;
}

void ZiriZUDoriravu::ClearScreen() {
    glClear(GL_COLOR_BUFFER_BIT);
}

void ZiriZUDoriravu::SetViewport(int x, int y, int w, int h) {
    graphics_leave_shadow_pass();
    SetViewport2D(x, y, w, h);
}
