// The frame step: the frame grid on a controllable clock, the time base,
// window events, the end keys and the 2D reset after each frame.
#include "gfx_support.h"
#include "input/input.h"
#include "platform/plat_events.h"
#include "platform/plat_video.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr double kInterval = 1000.0 / 60;

// Runs the renderer on the test clock, starting at `now` ms.
struct TestClock {
    explicit TestClock(double now) {
        plat_test_clock_enable(true, now);
        renderer().counter_frequency = static_cast<double>(plat_perf_frequency());
    }
    ~TestClock() {
        plat_test_clock_enable(false);
        renderer().counter_frequency = static_cast<double>(plat_perf_frequency());
        renderer().next_frame_time = renderer().Now();
    }
};

struct GridCase {
    const char* what;
    double now;        // clock when the frame is presented
    double next_after; // next frame time afterwards
    double min_sleep;  // ms slept at least
};

TEST(Frame, PresentFrameKeepsTheFrameGrid) {
    gfx_fresh_frame();
    const GridCase cases[] = {
        {"early frame waits for its slot", 990, 1000 + kInterval, 7.9},
        {"late frame skips missed points", 1000 + 3.5 * kInterval, 1000 + 4 * kInterval, 0},
        {"exactly on the slot still waits past it", 1000, 1000 + kInterval, 0},
        {"a little late", 1000.5, 1000 + kInterval, 0},
    };
    ZiriZUDoriravu& r = renderer();
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.what);
        TestClock clock(c.now);
        r.frame_interval = kInterval;
        r.next_frame_time = 1000;
        double waited = r.PresentFrame();
        EXPECT_NEAR(r.next_frame_time, c.next_after, 1e-6);
        EXPECT_GE(plat_test_clock_slept_ms(), c.min_sleep);
        // It sleeps up to about 2 ms before the slot and spins only then.
        EXPECT_LE(plat_test_clock_reads(), 2.5 / 0.01 + 20);
        EXPECT_NEAR(waited, std::max(1000 - c.now, 0.0) + 1, 0.2);
    }
}

// The wait sleeps through all but the last fraction of a millisecond
// before the slot, in slices short enough to keep pumping window events.
TEST(Frame, LimiterSleepsAllButTheLastMoments) {
    gfx_fresh_frame();
    const double early_by[] = {0.1, 0.3, 1.0, 5.0, 16.0, 30.0};
    ZiriZUDoriravu& r = renderer();
    for (double early : early_by) {
        SCOPED_TRACE(testing::Message() << early << " ms early");
        TestClock clock(1000 - early);
        r.frame_interval = kInterval;
        r.next_frame_time = 1000;
        r.PresentFrame();
        EXPECT_GT(plat_test_clock_now(), 1000);
        EXPECT_GE(plat_test_clock_slept_ms(), early - 0.25);
        EXPECT_LE(plat_test_clock_slept_ms(), early);
        // Spinning the last 0.2 ms costs a few reads, not thousands.
        EXPECT_LE(plat_test_clock_reads(), 0.25 / 0.01 + 20 + early / 8);
    }
}

// On the real clock a sleep to a deadline never returns before it.
TEST(Frame, SleepUntilReachesItsDeadline) {
    const double frequency = static_cast<double>(plat_perf_frequency());
    for (double ahead_ms : {-1.0, 0.0, 0.05, 0.5, 2.0}) {
        auto deadline = static_cast<std::uint64_t>(static_cast<double>(plat_perf_counter()) +
                                                   ahead_ms * frequency / 1000.0);
        plat_sleep_until(deadline);
        EXPECT_GE(plat_perf_counter(), deadline) << ahead_ms << " ms ahead";
    }
}

TEST(Frame, FrameRateZeroGivesATwoMillisecondGrid) {
    gfx_fresh_frame();
    ZiriZUDoriravu& r = renderer();
    ASSERT_TRUE(r.CreateContext(r.window, 0, 0, 0, 0));
    EXPECT_EQ(r.frame_interval, 2.0);
    EXPECT_EQ(r.width, kTestScreenW);
    EXPECT_EQ(r.height, kTestScreenH);
    EXPECT_GT(r.colour_depth, 0);
    TestClock clock(500 + 7.5);
    r.next_frame_time = 500;
    r.PresentFrame();
    EXPECT_NEAR(r.next_frame_time, 508, 1e-6);
    ASSERT_TRUE(r.CreateContext(r.window, 0, 0, 0, 60));
    EXPECT_NEAR(r.frame_interval, kInterval, 1e-9);
}

TEST(Frame, FrameTimeIsTheLengthOfOneFrame) {
    gfx_fresh_frame();
    {
        TestClock clock(2000);
        renderer().frame_interval = kInterval;
        renderer().next_frame_time = 2000;
        for (int i = 0; i < 5; ++i)
            ShowScreen();
        // Frames come one interval apart; the sum over frames is the time passed.
        EXPECT_NEAR(FrameTime(), kInterval, 0.1);
        plat_test_clock_advance(5); // time spent drawing does not change it
        EXPECT_NEAR(FrameTime(), kInterval, 0.1);
        engine().start_time_stamp = 1000;
        EXPECT_NEAR(TotalTime(), plat_test_clock_now() - 1000, 0.1);
    }
    // {previous stamp, frame stamp}: the same instant, and a clock that went back.
    const double stamps[][2] = {{2000, 2000}, {2100, 2000}};
    for (const auto& s : stamps) {
        engine().previous_frame_time_stamp = s[0];
        engine().frame_time_stamp = s[1];
        EXPECT_EQ(FrameTime(), 1) << "never below 1";
    }
}

int g_leave_calls = 0;
int g_reset_calls = 0;

TEST(Frame, ShowScreenResetsTheTwoDState) {
    gfx_fresh_frame();
    g_leave_calls = g_reset_calls = 0;
    SetLeaveShadowPassHook([] { ++g_leave_calls; });
    SetFrameResetHook([] { ++g_reset_calls; });
    SetAlphaMode(-0.5);
    SetViewport2D(10, 10, 20, 20);
    engine().use_mip_3d = 1;
    ShowScreen();
    ZiriZUDoriravu& r = renderer();
    EXPECT_EQ(g_leave_calls, 1);
    EXPECT_EQ(g_reset_calls, 1);
    EXPECT_EQ(r.current_alpha, 1.0f);
    EXPECT_EQ(r.viewport_width, kTestScreenW);
    EXPECT_EQ(r.viewport_height, kTestScreenH);
    EXPECT_EQ(engine().use_mip_3d, 0);
    // The presented frame left a cleared back buffer; drawing is opaque again.
    FillRect(0, 0, 0, 0, 0x0000ff);
    EXPECT_TRUE(gfx_is(gfx_pixel(0, 0), 255, 0, 0));
    SetViewport(0, 0, 0, 0);
    EXPECT_EQ(g_leave_calls, 2);
    SetLeaveShadowPassHook(nullptr);
    SetFrameResetHook(nullptr);
}

TEST(Frame, LosingTheFocusPausesAndMarksTheCaption) {
    gfx_fresh_frame();
    PlatWindowEvents& events = plat_window_events();
    engine().title = "graphics test";
    for (int debug : {0, 1}) {
        SCOPED_TRACE(debug);
        engine().debug_flag = debug;
        events.active = false;
        events.active_changed = true;
        PumpMessages();
        EXPECT_EQ(engine().paused, debug ? 0 : 1);
        EXPECT_STREQ(plat_video_title(), debug ? "graphics test" : "graphics test <pause>");
        events.active = true;
        events.active_changed = true;
        PumpMessages();
        EXPECT_EQ(engine().paused, 0);
        EXPECT_STREQ(plat_video_title(), "graphics test");
    }
    engine().debug_flag = 0;
}

TEST(Frame, EscapeEndsOnlyWhileSwitchedOn) {
    gfx_fresh_frame();
    SetEscapeEnds(0);
    InputScriptKey(1, true);
    ShowScreen(); // returns
    InputScriptClear();
    SetEscapeEnds(1);
}

TEST(FrameDeathTest, EndKeysEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            gfx_fresh_frame();
            InputScriptKey(1, true);
            ShowScreen();
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            gfx_fresh_frame();
            SetEscapeEnds(0);
            InputScriptKey(56, true);
            InputScriptKey(62, true);
            ShowScreen();
        },
        testing::ExitedWithCode(0), "");
}

TEST(Frame, SetScreenKeepsZeroSizes) {
    gfx_fresh_frame();
    EXPECT_EQ(SetScreen(0, 0, 0), 1);
    double w = 0, h = 0;
    GetScreenSize(&w, &h);
    EXPECT_EQ(w, kTestScreenW);
    EXPECT_EQ(h, kTestScreenH);
    // Full screen either works or falls back to a window with a log entry.
    double full = SetScreen(0, 0, 1);
    EXPECT_EQ(renderer().full_screen, full);
    if (full == 0) {
        std::ifstream log(rt_log_path().str());
        std::string text((std::istreambuf_iterator<char>(log)), {});
        EXPECT_NE(text.find("No Fullscreen Mode available\r\n"), std::string::npos);
    }
    EXPECT_EQ(SetScreen(0, 0, 0), 1);
    EXPECT_EQ(renderer().full_screen, 0);
    GetScreenSize(&w, &h);
    EXPECT_EQ(w, kTestScreenW);
}

TEST(Frame, EngineInitStartsInTheProgramDirectory) {
    engine().screen_width = kTestScreenW;
    engine().screen_height = kTestScreenH;
    setenv("TMPDIR", gfx_temp_dir().c_str(), 1);
    std::filesystem::current_path(gfx_temp_dir());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EngineInit(nullptr, "engine test");
    const std::string printed =
        testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    ASSERT_TRUE(RenderWindowOpen());
    EXPECT_STREQ(plat_video_title(), "engine test");
    EXPECT_EQ(rt_get_current_dir().str(), rt_program_dir().str());
    EXPECT_EQ(engine().current_font, 0);
    // Font 0 is "smalfont.bmp" beside the program, or the built-in font.
    bool font_file = rt_file_exists(rt_program_dir() + "smalfont.bmp") != 0;
    DecodedImage file_font;
    int expected_width = font_file && DecodeBmp(rt_program_dir() + "smalfont.bmp", 0, file_font)
                             ? file_font.width
                             : 128;
    EXPECT_EQ(renderer().slots[kFontSlotBase].image_width, expected_width);
    EXPECT_EQ(engine().paused, 0);
    EXPECT_LT(TotalTime(), 1000);
    std::ifstream log(rt_log_path().str());
    std::string text((std::istreambuf_iterator<char>(log)), {});
    std::string dir = rt_program_dir().str();
    dir.pop_back();
    // The offscreen driver draws in software: one entry names the renderer
    // and says what helps, and nothing about it is printed.
    const std::size_t kind = text.find("OpenGL Software Emulation (");
    ASSERT_NE(kind, std::string::npos) << text;
    EXPECT_EQ(text.find("OpenGL Software Emulation", kind + 1), std::string::npos) << text;
    EXPECT_NE(text.find("graphics driver", kind), std::string::npos) << text;
    EXPECT_EQ(printed.find("OpenGL"), std::string::npos) << printed;
    EXPECT_NE(text.find("Current Dir " + dir + "\r\n"), std::string::npos) << text;
}

} // namespace
