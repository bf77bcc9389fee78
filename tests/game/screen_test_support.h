// screen_test_support.h: what the menu and play tests share: one window per
// test process, the test clock driving the frame step, a temporary
// directory, and pixels read back.
#pragma once

#include "input/scancodes.h"

#include <string>

namespace screen_test {

// Opens (once) a window of the size, or resizes the open one; Escape no
// longer ends the program, so tests can press it.
void open_window(int width, int height);

// A directory of this test process, removed at exit.
const std::string& temp_dir();

// While alive, the engine's clock is the controllable test clock: frames
// wait on it without sleeping, and tests move it on.
class TestClock {
  public:
    explicit TestClock(double start_ms = 1000);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;
};

// Red channel of the back buffer pixel (x, y from the top-left).
int grey(int x, int y);

} // namespace screen_test
