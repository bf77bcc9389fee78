// bench_frame: one frame of play as the play loop draws it (every board with
// its 3D scene, the frame overlay and the present, without the frame
// limiter's wait) for one and two boards in windows of 640 x 480, 1024 x 768
// and 1920 x 1080 (full screen on a common desktop), and the time from
// starting the game's process to its first title frame.
//
// The game's models, pictures and levels are read from the program's own
// directory. The picture is the size the engine starts with, 640 x 480 (or
// --screen=WxH), scaled into each window as the game shows it.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "scene3d/scene3d.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>

namespace {

// ---------------------------------------------------------------- frame work

struct Screen {
    int width, height;
};

bool g_engine_up = false;
// The picture size the engine starts with (--screen=WxH).
Screen g_start{640, 480};

void start_engine() {
    if (g_engine_up) return;
    engine().screen_width = g_start.width;
    engine().screen_height = g_start.height;
    EngineInit(nullptr, "Cropstack benchmark");
    SetEscapeEnds(0);
    load_game_assets();
    install_presentation();
    install_game_devices();
    g_engine_up = true;
}

// Which parts of a frame a run measures: the whole frame, or one part
// alone (finished with a one-pixel read, which waits for the drawing).
enum Part {
    kWholeFrame = 0,
    kBoardsOnly = 1,
    kOverlayOnly = 2,
    kPresentOnly = 3,
    kBoardsPresent = 4,
    kOverlayPresent = 5,
    // Diagnostics: the boards alone without their shadow pass, or without
    // their white background.
    kBoardsNoShadow = 6,
    kBoardsNoBackground = 7
};

void finish_drawing() {
    DecodedImage pixel;
    ReadScreenPixels(0, 0, 1, 1, pixel);
}

void draw_boards(RtArray<BoardState>& boards) {
    GameValues& g = game_values();
    int count = static_cast<int>(rt_bounds(boards, 0));
    for (int i = 0; i < count; ++i) {
        g.frame_width = g.screen_width;
        g.frame_height = count == 1 ? g.screen_height : g.screen_height * 0.5;
        if (count == 1)
            SetViewport2D(0, 0, 0, 0);
        else
            SetViewport2D(0, i * g.screen_height * 0.5, g.screen_width, g.screen_height * 0.5);
        draw_board(rt_index(boards, i));
        End3D();
    }
    End3D();
}

// What play_game draws per frame, board by board, then the overlay and the
// frame step; or one of those parts.
void draw_frame(RtArray<BoardState>& boards, int part) {
    GameValues& g = game_values();
    if (part == kWholeFrame || part == kBoardsOnly || part == kBoardsPresent) draw_boards(boards);
    if (part == kBoardsNoShadow || part == kBoardsNoBackground) {
        PresentationCalls& calls = presentation_calls();
        if (part == kBoardsNoShadow)
            calls.SetLight = [](double, double, double, double, double, double, double, double,
                                double) {};
        if (part == kBoardsNoBackground)
            calls.FillRect = [](double, double, double, double, double) {};
        draw_boards(boards);
        calls = engine_presentation_calls();
    }
    if (part == kWholeFrame || part == kOverlayOnly || part == kOverlayPresent)
        StretchSprite(100, 0, 0, g.screen_width, g.screen_height);
    if (part == kWholeFrame || part == kPresentOnly || part == kBoardsPresent ||
        part == kOverlayPresent) {
        ShowScreen();
    } else {
        finish_drawing();
        ClearScreen();
    }
}

// Whether the window's drawable has the size asked for and the picture's
// bottom-right pixel can be drawn and read back through the fit.
bool window_shows(Screen window) {
    DecodedImage shown;
    if (!ReadWindowPixels(shown) || shown.width != window.width || shown.height != window.height)
        return false;
    double w = 0, h = 0;
    GetScreenSize(&w, &h);
    ClearScreen();
    FillRect(w - 2, h - 2, w - 1, h - 1, 255);
    DecodedImage pixel;
    bool red = ReadScreenPixels(static_cast<int>(w) - 1, static_cast<int>(h) - 1, 1, 1, pixel) &&
               pixel.pixels.size() >= 4 && pixel.pixels[0] == 255 && pixel.pixels[1] == 0;
    ClearScreen();
    return red;
}

// Processor time of the whole process (every thread: the software renderer
// rasterises on threads of its own), in ms. On a shared machine it measures
// the work where the wall-clock time also counts the waits for a core.
double process_cpu_ms(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void BM_FrameWork(benchmark::State& state) {
    start_engine();
    const Screen window{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
    const int count = static_cast<int>(state.range(2));
    const int part = static_cast<int>(state.range(3));
    SetWindowSize(window.width, window.height);
    GameValues& g = game_values();
    GetScreenSize(&g.screen_width, &g.screen_height);
    if (!window_shows(window)) {
        state.SkipWithError("the window's drawable did not take the size asked for");
        return;
    }
    load_frame_overlay(count);
    RtArray<BoardState> boards;
    rt_dim(boards, count);
    for (int i = 0; i < count; ++i) {
        BoardState& b = rt_index(boards, i);
        b.level_number = i == 0 ? 1 : 5;
        b.floor_slot = i == 0 ? 0 : 101;
        if (start_level(b) == 0) {
            state.SkipWithError("level missing: run from the build's bin directory");
            return;
        }
    }
    // No waiting for the frame grid: only the work is measured.
    ZiriZUDoriravu& r = renderer();
    r.frame_interval = 0;
    const double cpu_before = process_cpu_ms();
    for (auto _ : state) {
        r.next_frame_time = 0;
        draw_frame(boards, part);
    }
    state.counters["cpu_ms"] = (process_cpu_ms() - cpu_before) / double(state.iterations());
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameWork)
    ->ArgNames({"w", "h", "boards", "part"})
    ->Args({640, 480, 1, kWholeFrame})
    ->Args({640, 480, 2, kWholeFrame})
    ->Args({1024, 768, 1, kWholeFrame})
    ->Args({1024, 768, 2, kWholeFrame})
    ->Args({1920, 1080, 1, kWholeFrame})
    ->Args({1920, 1080, 2, kWholeFrame})
    // Where the time of a two-board frame at 1920 x 1080 goes.
    ->Args({1920, 1080, 2, kBoardsOnly})
    ->Args({1920, 1080, 2, kOverlayOnly})
    ->Args({1920, 1080, 2, kPresentOnly})
    ->Args({1920, 1080, 2, kBoardsNoShadow})
    ->Args({1920, 1080, 2, kBoardsNoBackground})
    // Where the time of a two-board frame at 640 x 480 goes.
    ->Args({640, 480, 2, kBoardsOnly})
    ->Args({640, 480, 2, kOverlayOnly})
    ->Args({640, 480, 2, kPresentOnly})
    ->Args({640, 480, 2, kBoardsPresent})
    ->Args({640, 480, 2, kOverlayPresent})
    ->Args({640, 480, 2, kBoardsNoShadow})
    ->Args({640, 480, 2, kBoardsNoBackground})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// ---------------------------------------------------------------- start-up

constexpr const char* kChildFlag = "--first-title-frame";

// In the child: the whole game from its entry; the first frame presented
// by the title screen (the first with Escape handed to the game) is
// announced on standard output and ends the process.
void after_frame() {
    UseShader(-1); // what the renderer's own reset does
    if (engine().escape_ends_program != 0) return;
    std::fputs("title\n", stdout);
    std::fflush(stdout);
    std::_Exit(0);
}

[[noreturn]] void run_child(int argc, char** argv) {
    scene3d(); // installs the renderer's frame hooks, which this one replaces
    SetFrameResetHook(after_frame);
    game_entry(argc, argv);
}

std::string g_self;

void BM_StartToFirstTitleFrame(benchmark::State& state) {
    std::string command = "exec '" + g_self + "' " + kChildFlag;
    // The children's processor time, counted once each has been waited for:
    // on a shared machine the start's own work, where the wall clock also
    // counts the waits for a core.
    const double cpu_before = process_cpu_ms(RUSAGE_CHILDREN);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        FILE* child = popen(command.c_str(), "r");
        char line[64] = {};
        bool seen =
            child && std::fgets(line, sizeof line, child) && std::strcmp(line, "title\n") == 0;
        auto end = std::chrono::steady_clock::now();
        if (child) pclose(child);
        if (!seen) {
            state.SkipWithError("the game did not reach its title screen");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["cpu_ms"] =
        (process_cpu_ms(RUSAGE_CHILDREN) - cpu_before) / double(state.iterations());
}
BENCHMARK(BM_StartToFirstTitleFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kChildFlag) == 0) run_child(argc, argv);
        if (std::sscanf(argv[i], "--screen=%dx%d", &g_start.width, &g_start.height) == 2)
            argv[i] = const_cast<char*>("");
    }
    g_self = rt_program_dir().str() + "bench_frame";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
