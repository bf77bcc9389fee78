// main_program.cpp: the program's entry and main program: engine defaults,
// start-up, the screen mode from the settings, every model, picture and
// sound loaded once into its slot (by the title, after its first frame),
// then the title screen and play in turn.
#include "game/screens/screens.h"

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "scene3d/scene3d.h"

namespace {

// The screen modes of the "2value" option: 0..2 windows, 3..5 full screen.
struct ScreenMode {
    double width, height, full_screen;
};
constexpr ScreenMode kScreenModes[6] = {
    {640, 480, 0}, {800, 600, 0}, {1024, 768, 0}, {640, 480, 1}, {800, 600, 1}, {1024, 768, 1},
};

// Any other value (out of range, fractional, text) keeps the start-up window.
void apply_screen_mode(double mode) {
    for (int i = 0; i < 6; ++i) {
        if (mode == i) {
            const ScreenMode& m = kScreenModes[i];
            SetScreen(m.width, m.height, m.full_screen);
            return;
        }
    }
}

enum class AssetKind { kModel, kTexture, kSound };
struct Asset {
    const char* file;
    AssetKind kind;
    double slot;
    double copies; // sounds only
};
// In load order. A file that fails to load leaves its slot empty and the
// game goes on without it.
constexpr Asset kAssets[] = {
    {"ground.ddd", AssetKind::kModel, 0, 0},  {"block.ddd", AssetKind::kModel, 1, 0},
    {"door.ddd", AssetKind::kModel, 2, 0},    {"doorswing.ddd", AssetKind::kModel, 3, 0},
    {"wall.ddd", AssetKind::kModel, 4, 0},    {"flag.ddd", AssetKind::kModel, 5, 0},
    {"pepper.ddd", AssetKind::kModel, 10, 0}, {"pepper.png", AssetKind::kTexture, 10, 0},
    {"tomato.ddd", AssetKind::kModel, 11, 0}, {"tomato.png", AssetKind::kTexture, 11, 0},
    {"corn.ddd", AssetKind::kModel, 12, 0},   {"corn.png", AssetKind::kTexture, 12, 0},
    {"block.wav", AssetKind::kSound, 0, 2},   {"door.wav", AssetKind::kSound, 1, 2},
    {"fall.wav", AssetKind::kSound, 2, 1},    {"done.wav", AssetKind::kSound, 3, 1},
};

// The window's size as the player last gave it, kept for the next start;
// 0 x 0 opens the window at the Screen option's size.
constexpr const char* kWindowSection = "window";

void keep_window_size(int width, int height) {
    ini_put(kWindowSection, "width", RtString(width));
    ini_put(kWindowSection, "height", RtString(height));
}

bool g_assets_pending = false;
bool g_screen_choice_applied = false;
double g_screen_choice = 0;

} // namespace

void apply_screen_choice() {
    g_screen_choice_applied = true;
    g_screen_choice = rt_val(ini_get("options", "2value"));
    apply_screen_mode(g_screen_choice);
    GameValues& g = game_values();
    GetScreenSize(&g.screen_width, &g.screen_height);
    const double width = rt_val(ini_get(kWindowSection, "width"));
    const double height = rt_val(ini_get(kWindowSection, "height"));
    if (width > 0 && height > 0) SetWindowSize(width, height);
}

bool follow_screen_choice() {
    if (!g_screen_choice_applied) return false;
    const double mode = rt_val(ini_get("options", "2value"));
    if (mode == g_screen_choice) return false;
    g_screen_choice = mode;
    apply_screen_mode(mode);
    GameValues& g = game_values();
    GetScreenSize(&g.screen_width, &g.screen_height);
    keep_window_size(0, 0);
    return true;
}

void load_game_assets() {
    for (const Asset& a : kAssets) {
        switch (a.kind) {
        case AssetKind::kModel:
            LoadModel(a.file, a.slot);
            break;
        case AssetKind::kTexture:
            LoadSprite(a.file, a.slot);
            break;
        case AssetKind::kSound:
            LoadSound(a.file, a.slot, a.copies);
            break;
        }
    }
}

void load_pending_game_assets() {
    if (!g_assets_pending) return;
    g_assets_pending = false;
    load_game_assets();
}

void load_frame_overlay(double player_count) {
    if (player_count == 1)
        LoadSprite("bkgnd-1pl.png", kPlayFrameSprite);
    else if (player_count == 2)
        LoadSprite("bkgnd-2pl.png", kPlayFrameSprite);
    else if (player_count >= 3 && player_count <= 4)
        LoadSprite("bkgnd-4pl.png", kPlayFrameSprite);
}

const RtString& game_settings_file() {
    // Chosen once: beside the program, or the player's own copy when the
    // program's directory cannot be written.
    static const RtString file = rt_settings_file("cropstack.ini");
    return file;
}

void game_main() {
    GameValues& g = game_values();
    ini_open(game_settings_file());
    apply_screen_choice();
    SetWindowSizeHook(keep_window_size);
    // Loaded by the title after its first frame: the window shows the logo
    // sooner, and no game is played before the title has ended.
    g_assets_pending = true;
    install_presentation();
    install_game_devices();
    for (;;) {
        g.player_count = title_screen();
        if (g.player_count <= 0) rt_end_statement();
        load_frame_overlay(g.player_count);
        play_game(g.player_count);
    }
}

void game_entry(int argc, char** argv) {
    EngineGlobals& e = engine();
    e.screen_width = 640;
    e.screen_height = 480;
    rt_set_command_line(argc, argv);
    e.command_line = rt_command_line();
    e.frame_rate = 60;
    e.start_full_screen = 0;
    e.exclusive_input = 0;
    e.debug_flag = 0;
    EngineInit(nullptr, "Cropstack");
    // Without a window nothing could be seen or ended by the player.
    if (!RenderWindowOpen()) {
        rt_log("game: the window could not be opened");
        rt_fatal(kRtFileError);
    }
    RtErrorRecord& error = rt_error_record();
    error.error_line = 0;
    error.error_code = 0;
    error.current_line = 0;
    game_main();
}
