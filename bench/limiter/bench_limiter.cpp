// bench_limiter: the title screen and a two-board game run for a fixed number
// of frames on the real 60 Hz frame grid, headless, and report processor time
// (all of the process's threads, the GL driver's too) per second of play:
// in the limiter (present and the wait for the frame slot) and in the rest
// (game logic and drawing, finished before the present).
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "scene3d/scene3d.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace {

constexpr int kFrames = 180; // three seconds of play

struct StopScreen {};

struct Tally {
    int frames = 0;
    double limiter_cpu_ms = 0;
    double entered_present_cpu_ms = 0;
};
Tally g_tally;

double process_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Before the present: the drawing is finished here so that it counts as
// drawing, not as the limiter's time.
void before_present() {
    ShadowPass(false);
    DecodedImage pixel; // a read-back waits for the drawing to finish
    ReadScreenPixels(0, 0, 1, 1, pixel);
    g_tally.entered_present_cpu_ms = process_cpu_ms();
}

// After the present and the wait; ends the screen after kFrames frames.
void after_present() {
    g_tally.limiter_cpu_ms += process_cpu_ms() - g_tally.entered_present_cpu_ms;
    UseShader(-1);
    if (++g_tally.frames >= kFrames) throw StopScreen{};
}

bool g_engine_up = false;

void start_engine() {
    if (g_engine_up) return;
    EngineGlobals& e = engine();
    e.screen_width = 640;
    e.screen_height = 480;
    e.frame_rate = 60;
    EngineInit(nullptr, "Cropstack limiter benchmark");
    GameValues& g = game_values();
    ini_open(game_settings_file());
    GetScreenSize(&g.screen_width, &g.screen_height);
    load_game_assets();
    install_presentation();
    install_game_devices();
    scene3d(); // installs the renderer's frame hooks, replaced below
    SetLeaveShadowPassHook(before_present);
    SetFrameResetHook(after_present);
    g_engine_up = true;
}

// Argument: 0 the title screen, else the player count of a game.
void BM_ProcessorTimePerSecondOfPlay(benchmark::State& state) {
    start_engine();
    const int players = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g_tally = Tally{};
        if (players > 0) load_frame_overlay(players);
        renderer().next_frame_time = renderer().Now();
        double cpu0 = process_cpu_ms();
        auto wall0 = std::chrono::steady_clock::now();
        try {
            if (players > 0)
                play_game(players);
            else
                title_screen();
        } catch (const StopScreen&) {
        }
        double cpu = process_cpu_ms() - cpu0;
        double play_s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        state.SetIterationTime(play_s);
        state.counters["cpu_ms_per_s"] = cpu / play_s;
        state.counters["limiter_ms_per_s"] = g_tally.limiter_cpu_ms / play_s;
        state.counters["drawing_ms_per_s"] = (cpu - g_tally.limiter_cpu_ms) / play_s;
        state.counters["fps"] = g_tally.frames / play_s;
    }
    state.SetLabel(players > 0 ? "two boards" : "title screen");
}
BENCHMARK(BM_ProcessorTimePerSecondOfPlay)
    ->ArgName("players")
    ->Arg(0)
    ->Arg(2)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
