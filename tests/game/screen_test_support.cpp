// screen_test_support.cpp: window, clock, directory and pixel helpers of the
// menu and play tests.
#include "screen_test_support.h"

#include "graphics/graphics.h"
#include "platform/plat_video.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace screen_test {

void open_window(int width, int height) {
    ASSERT_TRUE(OpenRenderWindow("Cropstack test", width, height)) << "no GL window";
    SetEscapeEnds(0);
}

const std::string& temp_dir() {
    struct TempDir {
        std::string path;
        TempDir() {
            std::random_device random;
            std::filesystem::path p =
                std::filesystem::temp_directory_path() /
                ("cropstack-screen-test-" + std::to_string(random()) + std::to_string(random()));
            std::filesystem::create_directories(p);
            path = p.string();
        }
        ~TempDir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const TempDir dir;
    return dir.path;
}

TestClock::TestClock(double start_ms) {
    plat_test_clock_enable(true, start_ms);
    ZiriZUDoriravu& r = renderer();
    r.counter_frequency = static_cast<double>(plat_perf_frequency());
    r.next_frame_time = start_ms;
    EngineGlobals& e = engine();
    e.start_time_stamp = e.frame_time_stamp = e.previous_frame_time_stamp = start_ms;
}

TestClock::~TestClock() {
    plat_test_clock_enable(false);
    ZiriZUDoriravu& r = renderer();
    r.counter_frequency = static_cast<double>(plat_perf_frequency());
    r.next_frame_time = r.Now();
}

int grey(int x, int y) {
    DecodedImage pixel;
    if (!ReadScreenPixels(x, y, 1, 1, pixel) || pixel.pixels.empty()) return -1;
    return pixel.pixels[0];
}

} // namespace screen_test
