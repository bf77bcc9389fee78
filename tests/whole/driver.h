// driver.h: drives the real program frame by frame, the way a player would.
//
// The program runs with the test clock, each frame lasting kFrameMs of game
// time, and a script of steps is advanced once per frame from the engine's
// frame-end hook: steps press and release keys, wait for what the screen or
// the boards show, check it and take screenshots. Whatever goes wrong ends
// the process with a message on standard error; the parent test reads the
// exit status and that text.
#pragma once

#include "game/rules/board.h"

#include <functional>
#include <string>
#include <vector>

namespace whole {

// Game time of one frame: fades take 20 frames and a step 3.
inline constexpr double kFrameMs = 50;

// What one board showed in the frame.
struct BoardView {
    double level = 0;
    double fade = 0;
    bool moving = false;
    double current = 0;
    std::vector<double> xs, ys; // characters still on the board
    double exit_x = 0, exit_y = 0;
    double moves = 0;
    // The texts the board's information and key legend show, as play
    // makes them from the board, the run's level library and the bindings.
    std::string level_text, moves_text;
    std::vector<std::string> legend;
    std::string hint; // the hint line shown, empty for none
};

// What the last frame was.
struct FrameView {
    long frame = 0;
    double time_ms = 0;            // TotalTime at the end of the frame
    bool play = false;             // drawn by the play loop
    long screen_frames = 0;        // frames in a row of the same kind (play or not)
    double screen_start_ms = 0;    // when that run of frames began
    std::vector<BoardView> boards; // play frames only
};

enum class Progress {
    kWait,          // call again next frame
    kDoneNextFrame, // finished; the next step starts with the next frame
    kDone,          // finished; the next step may run in this frame
};

using Step = std::function<Progress(const FrameView&)>;

class Script {
  public:
    // Steps run in order; each may take at most `timeout_ms` of game time.
    Script& then(const std::string& what, Step step, double timeout_ms = 20000);
    // A step that finishes in its first frame (a check, a note, a screenshot).
    Script& then(Step step) { return then("an instant step", std::move(step)); }
    Script& then(const Script& more);
    std::size_t size() const { return steps_.size(); }

    struct Entry {
        std::string what;
        Step step;
        double timeout_ms;
    };
    const std::vector<Entry>& steps() const { return steps_; }

  private:
    std::vector<Entry> steps_;
};

// Installs the hooks and the test clock, then runs the program's entry with
// the script; the process ends as the program does. When it ends, standard
// error gets "whole: ended after the last step" or the step it ended in.
[[noreturn]] void run_program(const Script& script, int argc, char** argv);

// Ends the process with status 10 and the reason on standard error.
[[noreturn]] void fail(const std::string& why);
// A line on standard error, "whole: " first.
void note(const std::string& text);

// Key state for the next frames (scan codes).
void key_down(int scan_code);
void key_up(int scan_code);
// The pointer for the next frames: its place in the picture and its buttons
// (0 left, 1 right).
void pointer_to(double x, double y);
void pointer_button(int button, bool down);
// Saves the next frame as it is presented into <screenshot dir>/<name>.png.
void screenshot(const std::string& name);
// The directory holding the program (the run's copy of the game directory).
std::string program_dir();

} // namespace whole
