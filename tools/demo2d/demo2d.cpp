// demo2d: a small showcase of the 2D layer in a real window: the engine's
// start-up, a shaded background polygon, bouncing sprites (one decoded from a
// PNG file, one grabbed from the screen), fading and additive sprites and
// text in the built-in font, at the engine's 60 frames per second.
//
// Usage: demo2d [seconds [screenshot.png | --idle]]
//   seconds: run time, 0 or missing = until Escape or the window is closed;
//   screenshot.png: saves the last frame before ending;
//   --idle: draws nothing, only runs the frame step (to measure its cost).
#include "graphics/graphics.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kBallSlot = 1;
constexpr int kTileSlot = 2;
constexpr int kBallCount = 12;

// A 24 x 24 ball with a soft edge, written as a PNG and loaded like any sprite.
void make_ball_sprite() {
    DecodedImage ball;
    ball.width = ball.height = 24;
    ball.pixels.assign(24 * 24 * 4, 0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            double dx = x - 11.5, dy = y - 11.5, d = std::sqrt(dx * dx + dy * dy);
            if (d > 11.5) continue;
            std::uint8_t* p = &ball.pixels[(y * 24 + x) * 4];
            double light = 1.0 - std::sqrt((dx + 4) * (dx + 4) + (dy + 4) * (dy + 4)) / 24;
            p[0] = static_cast<std::uint8_t>(90 + 165 * light);
            p[1] = static_cast<std::uint8_t>(40 + 120 * light);
            p[2] = static_cast<std::uint8_t>(20 + 60 * light);
            p[3] = 255;
        }
    RtString path = rt_temp_dir() + "demo2d_ball.png";
    WritePng(path, ball);
    LoadSprite(path, kBallSlot);
    rt_delete_file(path);
}

// A checked tile drawn with rectangles and grabbed from the back buffer.
void make_tile_sprite() {
    ClearScreen();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            FillRect(x * 8, y * 8, x * 8 + 7, y * 8 + 7, (x + y) % 2 ? 0x3c8c3c : 0x64c864);
    GrabSprite(kTileSlot, 0, 0, 32, 32);
    ClearScreen();
}

struct Ball {
    double x, y, vx, vy;
};

void draw_background(double t) {
    PolyBegin(-1);
    PolyVertex(0, 0, 0, 0, 0x402010);
    PolyVertex(0, 480, 0, 0, 0x100804);
    PolyVertex(640, 480, 0, 0, 0x301810 + static_cast<int>(40 + 40 * std::sin(t / 900)));
    PolyVertex(640, 0, 0, 0, 0x603020);
    PolyEnd();
}

void draw_frame(Ball* balls, double t, double frame_ms) {
    draw_background(t);
    for (int i = 0; i < 5; ++i)
        StretchSprite(kTileSlot, 20 + i * 72, 380, 64, 64);
    for (int i = 0; i < kBallCount; ++i) {
        Ball& b = balls[i];
        b.x += b.vx * frame_ms / 1000;
        b.y += b.vy * frame_ms / 1000;
        if (b.x < 0 || b.x > 616) b.vx = -b.vx;
        if (b.y < 0 || b.y > 456) b.vy = -b.vy;
        SetAlphaMode(i % 3 == 0 ? -(0.5 + 0.5 * std::sin(t / 400 + i)) : (i % 3 == 1 ? 0 : 0.8));
        DrawSprite(kBallSlot, b.x, b.y);
    }
    SetAlphaMode(0);
    // Lines of text are spaced by the current font's glyph height.
    double gw = 0, gh = 0;
    GetFontSize(&gw, &gh);
    DrawLine(10, 12 + gh, 630, 12 + gh, 0xffffff);
    FillRect(10, 450, 10 + static_cast<int>(std::fmod(t / 10, 620)), 460, 0x00c0ff);
    Print("Cropstack 2D layer demo", 10, 10);
    Print(RtString("Frame time ") + rt_format(0, 1, frame_ms) + " ms", 10, 16 + gh);
    Print("Escape ends.", 10, 20 + 2 * gh);
}

} // namespace

int main(int argc, char** argv) {
    rt_set_command_line(argc, argv);
    double seconds = argc > 1 ? std::atof(argv[1]) : 0;
    std::string screenshot = argc > 2 ? argv[2] : "";
    bool idle = screenshot == "--idle";
    if (idle) screenshot.clear();
    EngineInit(nullptr, "Cropstack demo2d");
    if (!RenderWindowOpen()) {
        std::fprintf(stderr, "demo2d: cannot open the window (is a display available?)\n");
        return 1;
    }
    make_ball_sprite();
    make_tile_sprite();
    Ball balls[kBallCount];
    for (int i = 0; i < kBallCount; ++i)
        balls[i] = {40.0 + i * 45, 60.0 + (i * 37) % 300, 60.0 + i * 9, 45.0 + (i * 13) % 70};
    while (seconds <= 0 || TotalTime() < seconds * 1000) {
        if (!idle) draw_frame(balls, TotalTime(), FrameTime());
        if (!screenshot.empty() && seconds > 0 && TotalTime() + 40 >= seconds * 1000) break;
        ShowScreen();
    }
    if (!screenshot.empty()) SaveScreenshot(screenshot.c_str());
    rt_end_statement();
}
