// driver.cpp: the frame hooks, the test clock and the script runner of the
// whole-program harness (see driver.h).
#include "tests/whole/driver.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "platform/plat_video.h"
#include "scene3d/scene3d.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace whole {
namespace {

// A run that has not ended after this much game time is stuck.
constexpr double kRunLimitMs = 30 * 60 * 1000;

struct Driver {
    Script script;
    std::size_t index = 0;
    double step_start_ms = -1;
    FrameView view;
    bool play_drawn = false;       // the play loop drew the frame being built
    std::vector<BoardView> boards; // what it showed
    std::string shot;              // screenshot wanted of the frame being built
    std::string next_shot;         // screenshot wanted of the following frame
};

Driver& driver() {
    static Driver d;
    return d;
}

const LevelInfo& level_info() {
    static LevelInfo info;
    static bool loaded = false;
    if (!loaded) info.load("levlib");
    loaded = true;
    return info;
}

// What the board's information and legend say, in the width of the screen.
void texts_of(const BoardState& board, int index, int count, BoardView& v) {
    constexpr int kColumns = 40;
    v.level_text = board_level_text(board, level_info(), kColumns).str();
    v.moves_text = board_moves_text(board, level_info()).str();
    const RtArray<RtString> legend = legend_lines(
        board.controls, legend_prefix(index, count, game_values().player_count), kColumns);
    for (int i = 0; i < rt_bounds(legend, 0); ++i)
        v.legend.push_back(rt_index(legend, i).str());
}

BoardView view_of(const BoardState& board, int index, int count) {
    BoardView v;
    v.moves = board.moves;
    texts_of(board, index, count, v);
    v.level = board.level_number;
    v.fade = board.fade_timer;
    v.moving = board_moving(board) != 0;
    v.current = board.current_character;
    v.exit_x = board.exit.x;
    v.exit_y = board.exit.y;
    const int n = static_cast<int>(rt_bounds(board.characters, 0));
    for (int i = 0; i < n; ++i) {
        v.xs.push_back(rt_index(board.characters, i).m.x);
        v.ys.push_back(rt_index(board.characters, i).m.y);
    }
    return v;
}

void observe_play(const RtArray<BoardState>& boards) {
    Driver& d = driver();
    d.play_drawn = true;
    d.boards.clear();
    const int n = static_cast<int>(rt_bounds(boards, 0));
    for (int i = 0; i < n; ++i) {
        d.boards.push_back(view_of(rt_index(boards, i), i, n));
        d.boards.back().hint = shown_hint(i).str();
    }
}

std::string screenshot_dir() {
    const char* dir = std::getenv("CROPSTACK_WHOLE_SHOTS");
    return dir != nullptr && dir[0] != '\0' ? dir : program_dir() + "shots";
}

// Called when the 3D layer leaves its shadow pass, which the frame step does
// last before presenting; the latest save of a frame is the whole frame.
void leave_shadow_pass() {
    ShadowPass(false);
    Driver& d = driver();
    if (d.shot.empty()) return;
    std::filesystem::create_directories(screenshot_dir());
    const std::string file = screenshot_dir() + "/" + d.shot + ".png";
    if (!SaveScreenshot(RtString(file.c_str()))) fail("cannot save the screenshot " + file);
}

void update_view() {
    Driver& d = driver();
    FrameView& v = d.view;
    const bool was_play = v.play;
    v.frame += 1;
    v.time_ms = TotalTime();
    v.play = d.play_drawn;
    v.boards = v.play ? d.boards : std::vector<BoardView>();
    if (v.frame == 1 || v.play != was_play) {
        v.screen_frames = 0;
        v.screen_start_ms = v.time_ms;
    }
    v.screen_frames += 1;
    d.play_drawn = false;
}

void run_steps() {
    Driver& d = driver();
    const auto& steps = d.script.steps();
    while (d.index < steps.size()) {
        const Script::Entry& e = steps[d.index];
        if (d.step_start_ms < 0) d.step_start_ms = d.view.time_ms;
        const Progress p = e.step(d.view);
        if (p == Progress::kWait) {
            if (d.view.time_ms - d.step_start_ms > e.timeout_ms) fail("timed out: " + e.what);
            return;
        }
        d.index += 1;
        d.step_start_ms = -1;
        if (p == Progress::kDoneNextFrame) return;
    }
}

// Once per frame, after the frame was presented.
void frame_end() {
    UseShader(-1);
    Driver& d = driver();
    d.shot = std::move(d.next_shot);
    d.next_shot.clear();
    update_view();
    if (d.view.time_ms > kRunLimitMs) fail("the run takes too long");
    run_steps();
    plat_test_clock_advance(kFrameMs);
}

void report_end() {
    Driver& d = driver();
    const auto& steps = d.script.steps();
    if (d.index + 1 >= steps.size())
        std::fprintf(stderr, "whole: ended after the last step\n");
    else
        std::fprintf(stderr, "whole: ended early, in step %zu: %s\n", d.index + 1,
                     steps[d.index].what.c_str());
    std::fflush(stderr);
}

} // namespace

Script& Script::then(const std::string& what, Step step, double timeout_ms) {
    steps_.push_back({what, std::move(step), timeout_ms});
    return *this;
}

Script& Script::then(const Script& more) {
    for (const Entry& e : more.steps_)
        steps_.push_back(e);
    return *this;
}

void run_program(const Script& script, int argc, char** argv) {
    driver().script = script;
    plat_test_clock_enable(true, 0.0, 0.01);
    // The scene installs its own hooks when it is made; ours replace them
    // and do the same work before their own.
    scene3d();
    SetLeaveShadowPassHook(leave_shadow_pass);
    SetFrameResetHook(frame_end);
    set_play_frame_observer(observe_play);
    InputScriptClear();
    std::atexit(report_end);
    game_entry(argc, argv);
}

void fail(const std::string& why) {
    const FrameView& v = driver().view;
    std::fprintf(stderr, "whole: FAILED at frame %ld (%.0f ms): %s\n", v.frame, v.time_ms,
                 why.c_str());
    std::fprintf(stderr, "whole: the last frame was %s\n", v.play ? "play" : "not play");
    for (std::size_t i = 0; i < v.boards.size(); ++i) {
        const BoardView& b = v.boards[i];
        std::fprintf(stderr, "whole: board %zu level %g fade %g%s, character %g of", i, b.level,
                     b.fade, b.moving ? " moving" : "", b.current);
        for (std::size_t c = 0; c < b.xs.size(); ++c)
            std::fprintf(stderr, " (%g, %g)", b.xs[c], b.ys[c]);
        std::fprintf(stderr, "\n");
    }
    std::fflush(stderr);
    std::_Exit(10);
}

void note(const std::string& text) {
    std::fprintf(stderr, "whole: %s\n", text.c_str());
}

void key_down(int scan_code) {
    InputScriptKey(scan_code, true);
}

void key_up(int scan_code) {
    InputScriptKey(scan_code, false);
}

void pointer_to(double x, double y) {
    InputScriptMouseMove(static_cast<int>(x), static_cast<int>(y));
}

void pointer_button(int button, bool down) {
    InputScriptMouseButton(button, down);
}

void screenshot(const std::string& name) {
    driver().next_shot = name;
}

std::string program_dir() {
    return rt_program_dir().str();
}

} // namespace whole
