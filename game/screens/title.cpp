// title.cpp: the title screen. Five levels rendered into small pictures
// drift across a white screen under the logo; after two seconds the settings
// menu takes input until a player count is chosen or Escape pressed.
#include "game/screens/screens.h"

#include "input/input.h"
#include "input/scancodes.h"
#include "scene3d/scene3d.h"

namespace {

constexpr int kThumbnails = 5;
constexpr double kThumbnailPixels = 256;
constexpr double kMenuDelay = 2000; // ms before the menu takes input

// Renders one level into a thumbnail sprite. A level that cannot be started
// (missing or refused; the level loader has logged why) leaves a white
// picture instead of ending the title screen.
void render_thumbnail(BoardState& board, double level, double sprite) {
    board.level_number = level;
    const bool started = start_level(board) != 0;
    ClearScreen();
    SetAlphaMode(0);
    SetViewport2D(0, 0, kThumbnailPixels, kThumbnailPixels);
    ClearDepth();
    if (started) {
        draw_board(board);
        End3D();
    } else {
        FillRect(0, 0, kThumbnailPixels, kThumbnailPixels, kWhite);
        SetViewport2D(0, 0, 0, 0);
    }
    SetAlphaMode(1);
    DrawSprite(kLensSprite, 0, 0);
    SetAlphaMode(0);
    GrabSprite(sprite, 0, 0, kThumbnailPixels, kThumbnailPixels);
    SetViewport2D(0, 0, 0, 0);
}

// Where thumbnail i (0 to 4) of a w x h screen lies at a phase: its top-left
// corner, and the share of white added over it as its cycle ends.
struct ThumbnailPlace {
    double x = 0, y = 0;
    double whitening = 0;
};

ThumbnailPlace title_thumbnail_place(int i, double phase, double w, double h) {
    ThumbnailPlace t;
    double p = phase;
    switch (i) {
    case 0:
        p = rt_mod(phase + 100, 1000);
        t.x = w - p * w * 0.6 / 1000;
        t.y = h * 0.3 - h * 0.2 * p / 1000;
        break;
    case 1:
        p = rt_mod(phase + 600, 1000);
        t.x = p * w * 0.8 / 1000 - w / 3;
        t.y = h * 0.5;
        break;
    case 2:
        p = rt_mod(phase + 500, 1000);
        t.x = w - p * w * 0.8 / 1000;
        t.y = p * h / 1000 * 0.15;
        break;
    case 3:
        t.x = phase * w * 0.6 / 1000 - w / 3;
        t.y = h * 0.2 - h * 0.1 * p / 1000;
        break;
    default:
        p = rt_mod(phase + 100, 1000);
        t.x = w * p * 0.2 / 1000 + w * 0.6;
        t.y = h * 0.3 + h - h * 0.6 * p / 1000 - h / 3;
        break;
    }
    // White creeps over the last quarter of the cycle, before the jump back.
    t.whitening = (p + 1) / 250 - 3;
    if (t.whitening < 0.001) t.whitening = 0.001;
    return t;
}

// Draws the first `count` thumbnails, those rendered so far.
void draw_thumbnails(int count, double phase, double w, double h) {
    for (int i = 0; i < count; ++i) {
        const ThumbnailPlace place = title_thumbnail_place(i, phase, w, h);
        StretchSprite(kFirstThumbnailSprite + i, place.x, place.y, w / 3, h / 3);
        SetAlphaMode(place.whitening);
        FillRect(place.x, place.y, place.x + w / 3 - 1, place.y + h / 3 - 1, kWhite);
        SetAlphaMode(0);
    }
}

} // namespace

double title_phase_step(double phase, double frame_time) {
    phase += frame_time / 15;
    if (phase > 1000) phase -= 1000;
    return phase;
}

double title_screen() {
    BoardState board;
    double w = 0, h = 0;
    GetScreenSize(&w, &h);
    const double first = rt_rnd(43) + 1;
    // The first frame shows the logo alone on white; the thumbnails follow,
    // one rendered before each later frame, so the window fills at once
    // instead of after five levels have been loaded and drawn.
    int rendered = 0;
    const auto render_next = [&] {
        if (rendered == 0) {
            load_pending_game_assets();
            LoadSprite("lens.bmp", kLensSprite);
        }
        render_thumbnail(board, first + rendered, kFirstThumbnailSprite + rendered);
        ++rendered;
    };
    LoadSprite("logo.bmp", kLogoSprite);
    SetEscapeEnds(0);
    const double menu_time = TotalTime() + kMenuDelay;
    MenuOpen(game_settings_file());
    double phase = 0, result = 0;
    bool first_frame = true;
    while (result == 0) {
        if (!first_frame && rendered < kThumbnails) render_next();
        first_frame = false;
        // A Screen choice made in the menu takes effect at once.
        if (follow_screen_choice()) GetScreenSize(&w, &h);
        FillRect(0, 0, w, h, kWhite);
        phase = title_phase_step(phase, FrameTime());
        draw_thumbnails(rendered, phase, w, h);
        StretchSprite(kLogoSprite, w * 0.1, h * 0.125, w * 0.8, h * 0.4);
        if (TotalTime() > menu_time) result = MenuFrame();
        // An Escape that cancelled a key capture belongs to the menu.
        if (KeyDown(kKeyEscape) != 0 && menu_state().escape_taken == 0) result = -1;
        ShowScreen();
    }
    // Left within the first frames: the rest are rendered all the same, so
    // the slots hold all five thumbnails whenever the title has ended.
    while (rendered < kThumbnails)
        render_next();
    return result;
}
