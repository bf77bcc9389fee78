// engine.cpp: engine start-up, the frame step, window events, screen modes
// and the time base.
#include "audio/audio.h"
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"
#include "graphics/movie.h"
#include "input/input.h"
#include "input/scancodes.h"
#include "platform/plat_events.h"
#include "platform/plat_video.h"

#include <cstdint>

namespace {

constexpr double kPausePollMs = 100;

void (*g_leave_shadow_hook)() = nullptr;
void (*g_frame_reset_hook)() = nullptr;
void (*g_window_size_hook)(int, int) = nullptr;
bool g_end_hook_added = false;

void set_time_stamps() {
    EngineGlobals& e = engine();
    double now = renderer().Now();
    e.frame_time_stamp = e.previous_frame_time_stamp = e.start_time_stamp = now;
}

// The working directory becomes the program's directory, so relative data
// names resolve beside the program.
void enter_program_dir() {
    RtString dir = rt_program_dir();
    std::string path = dir.str();
    std::size_t cut = path.find_last_of("/\\");
    path = cut == std::string::npos ? std::string() : path.substr(0, cut);
    RtString cut_dir = RtString::from_std(path);
    if (!path.empty()) rt_set_current_dir(cut_dir);
    rt_log(RtString("Current Dir ") + (path.empty() ? RtString("null") : cut_dir));
}

void show_loading_frame() {
    LoadFont("", 0);
    LoadFont("smalfont.bmp", 0);
    double gw = 0, gh = 0;
    GetFontSize(&gw, &gh);
    const EngineGlobals& e = engine();
    RtString text("Loading...");
    Print(text, (e.screen_width - text.length() * gw) / 2, (e.screen_height - gh) / 2);
    ShowScreen();
}

void reset_2d_after_frame() {
    ZiriZUDoriravu& r = renderer();
    glDisable(GL_BLEND);
    r.current_alpha = 1.0f;
    glColor4f(1, 1, 1, 1);
    r.SetViewport2D(0, 0, 0, 0);
    engine().use_mip_3d = 0;
    if (g_frame_reset_hook)
        g_frame_reset_hook();
    else if (gl_ext().shaders())
        gl_ext().glUseProgramObjectARB(0);
}

} // namespace

EngineGlobals& engine() {
    static EngineGlobals globals;
    return globals;
}

ZiriZUDoriravu& renderer() {
    static ZiriZUDoriravu* instance = new ZiriZUDoriravu();
    return *instance;
}

void graphics_leave_shadow_pass() {
    if (g_leave_shadow_hook) g_leave_shadow_hook();
}

void SetLeaveShadowPassHook(void (*hook)()) {
    g_leave_shadow_hook = hook;
}
void SetFrameResetHook(void (*hook)()) {
    g_frame_reset_hook = hook;
}

bool RenderWindowOpen() {
    return plat_video_is_open() && renderer().ready;
}

// The window shows the game's own icon, the picture the desktop entry shows,
// which the build puts beside the program. Read once; without it the window
// keeps the system's icon.
static void give_window_its_icon() {
    static bool tried = false;
    if (tried) return;
    tried = true;
    const RtString file = rt_program_dir() + kWindowIconFile;
    DecodedImage icon;
    // No colour key: 0xFF000000 is no 24-bit colour.
    if (!DecodePng(file, 0xFF000000u, icon) || icon.width <= 0 || icon.height <= 0) {
        rt_log(RtString("graphics: no window icon in ") + file);
        return;
    }
    plat_video_set_icon(icon.pixels.data(), icon.width, icon.height);
}

static bool open_window_only(const RtString& title, int width, int height) {
    give_window_its_icon();
    if (!plat_video_open(title.c_str(), width, height)) return false;
    EngineGlobals& e = engine();
    e.window = plat_video_window();
    e.title = title;
    if (!g_end_hook_added) {
        rt_add_end_hook(kRtEndWindow, CloseRenderWindow);
        g_end_hook_added = true;
    }
    return true;
}

bool OpenRenderWindow(const RtString& title, int width, int height) {
    bool reopen = RenderWindowOpen();
    if (!open_window_only(title, width, height)) return false;
    EngineGlobals& e = engine();
    e.screen_width = width;
    e.screen_height = height;
    ZiriZUDoriravu& r = renderer();
    if (reopen) {
        r.width = width;
        r.height = height;
        r.window = e.window;
        r.RefreshPictureFit();
        r.SetViewport2D(0, 0, 0, 0);
        return true;
    }
    return r.CreateContext(e.window, width, height, 0, e.frame_rate);
}

void CloseRenderWindow() {
    ZiriZUDoriravu& r = renderer();
    if (r.ready) {
        r.ReleaseAllTextures();
        if (r.full_screen) r.EnterWindowed();
    }
    r.ready = 0;
    plat_video_close();
    engine().window = nullptr;
}

void EngineInit(void* instance, const RtString& title) {
    EngineGlobals& e = engine();
    e.instance = instance;
    if (!open_window_only(title, e.screen_width, e.screen_height)) return;
    rt_delete_log();
    InputReset(input_devices());
    ZiriZUDoriravu& r = renderer();
    if (!r.CreateContext(e.window, e.screen_width, e.screen_height, 0, e.frame_rate)) return;
    rt_seed(static_cast<std::uint32_t>(r.Now()));
    if (e.start_full_screen)
        r.EnterFullScreen();
    else
        r.EnterWindowed();
    InputSetup(input_devices(), e.window, instance, e.exclusive_input);
    // The input waits end the program on Escape under the same switch as the frame step.
    InputSetEscapeQuery([] { return static_cast<int>(engine().escape_ends_program); });
    SoundInit(sound_device(), e.window);
    InstallMovieScreen();
    rt_set_debug_flag(e.debug_flag);
    e.current_font = 0;
    enter_program_dir();
    r.ClearScreen();
    set_time_stamps();
    r.PresentFrame();
    r.SetViewport2D(0, 0, 0, 0);
    show_loading_frame();
    e.paused = 0;
    plat_video_hide_cursor();
    plat_video_disable_screensaver();
    set_time_stamps();
}

void ShowScreen() {
    EngineGlobals& e = engine();
    ZiriZUDoriravu& r = renderer();
    e.previous_frame_time_stamp = e.frame_time_stamp;
    e.frame_time_stamp = r.Now();
    while (e.paused) {
        PumpMessages();
        plat_sleep_ms(kPausePollMs);
    }
    InputDevices& input = input_devices();
    PollInput(input);
    if (e.escape_ends_program && KeyDown(input, kKeyEscape)) rt_end_statement();
    if (KeyDown(input, kKeyLeftAlt) && KeyDown(input, kKeyF4)) rt_end_statement();
    graphics_leave_shadow_pass();
    r.PresentFrame();
    reset_2d_after_frame();
}

// Window events: a close request ends the program; losing the focus pauses
// the game (unless the debug flag is set) and marks the caption; Alt+Enter
// and F11 switch full screen; a size the player gave the window is reported.
double PumpMessages() {
    plat_pump_events();
    PlatWindowEvents& events = plat_window_events();
    if (events.quit) rt_end_statement();
    if (events.toggle_full_screen) {
        events.toggle_full_screen = false;
        if (RenderWindowOpen()) ToggleFullScreen();
    }
    int player_w = 0, player_h = 0;
    if (plat_video_take_player_size(&player_w, &player_h) && g_window_size_hook)
        g_window_size_hook(player_w, player_h);
    if (events.active_changed) {
        events.active_changed = false;
        EngineGlobals& e = engine();
        if (e.debug_flag == 0) {
            e.paused = events.active ? 0 : 1;
            RtString caption = events.active ? e.title : e.title + " <pause>";
            plat_video_set_title(caption.c_str());
        }
    }
    return 1;
}

double SetScreen(double width, double height, double full_screen) {
    EngineGlobals& e = engine();
    ZiriZUDoriravu& r = renderer();
    if (static_cast<int>(width) != 0) e.screen_width = static_cast<int>(width);
    if (static_cast<int>(height) != 0) e.screen_height = static_cast<int>(height);
    r.width = e.screen_width;
    r.height = e.screen_height;
    plat_video_set_window_size(e.screen_width, e.screen_height);
    return full_screen != 0 ? r.EnterFullScreen() : r.EnterWindowed();
}

void SetWindowSize(double width, double height) {
    const double limit = 1 << 15;
    if (!(width >= 1 && height >= 1 && width <= limit && height <= limit)) return;
    plat_video_set_window_size(static_cast<int>(width), static_cast<int>(height));
    ZiriZUDoriravu& r = renderer();
    if (!r.ready) return;
    // The offscreen driver makes a new window for a new size.
    r.window = engine().window = plat_video_window();
    r.RefreshPictureFit();
    r.SetViewport2D(0, 0, 0, 0);
}

void ToggleFullScreen() {
    ZiriZUDoriravu& r = renderer();
    if (r.full_screen)
        r.EnterWindowed();
    else
        r.EnterFullScreen();
}

double IsFullScreen() {
    return renderer().full_screen != 0 ? 1 : 0;
}

void SetWindowSizeHook(void (*hook)(int width, int height)) {
    g_window_size_hook = hook;
}

void SetViewport2D(double x, double y, double width, double height) {
    renderer().SetViewport2D(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                             static_cast<int>(height));
}

// The length of the last whole frame: the time between the last two frame
// steps. (Measuring from the earlier step to now would count every frame
// twice, and animation summed over frames would run at double speed.)
double FrameTime() {
    const EngineGlobals& e = engine();
    double t = e.frame_time_stamp - e.previous_frame_time_stamp;
    return t > 0 ? t : 1;
}

double TotalTime() {
    return renderer().Now() - engine().start_time_stamp;
}

void SetEscapeEnds(double flag) {
    engine().escape_ends_program = flag != 0 ? 1 : 0;
}
