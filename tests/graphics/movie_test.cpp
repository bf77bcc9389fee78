// Movie playback in the engine window: the picture fitted and centred, play
// to the end, looping, the user's interruptions, closing the window, and the
// refusals. Movies are made on the spot (movie_writer.h) and played on the
// test clock, so half a second of movie takes a few milliseconds.
#include "audio/audio.h"
#include "gfx_support.h"
#include "graphics/movie.h"
#include "input/input.h"
#include "movie_writer.h"
#include "platform/plat_events.h"
#include "platform/plat_movie.h"
#include "platform/plat_video.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

namespace {

TEST(MovieFit, ScalesBySmallerRatioAndCentres) {
    struct Case {
        int sw, sh, cw, ch;
        MovieRect expected;
    } cases[] = {
        {320, 240, 640, 480, {0, 0, 640, 480}},  // same shape fills the client area
        {64, 32, 96, 64, {0, 8, 96, 48}},        // wide: bands above and below
        {32, 64, 96, 64, {32, 0, 32, 64}},       // tall: bands left and right
        {100, 100, 640, 480, {80, 0, 480, 480}}, // enlarged
        {1280, 720, 640, 480, {0, 60, 640, 360}},
        {3, 2, 10, 10, {0, 2, 10, 6}}, // 6.67 rows truncate to 6
        {0, 0, 640, 480, {0, 0, 0, 0}},
        {64, 32, 0, 480, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        MovieRect r = FitMovie(c.sw, c.sh, c.cw, c.ch);
        EXPECT_EQ(
            std::vector<int>({r.x, r.y, r.width, r.height}),
            std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}))
            << c.sw << "x" << c.sh << " in " << c.cw << "x" << c.ch;
    }
}

// The test clock drives the frame grid and the movie's own clock.
struct TestClock {
    TestClock() {
        plat_test_clock_enable(true, 1000);
        renderer().counter_frequency = static_cast<double>(plat_perf_frequency());
        renderer().next_frame_time = renderer().Now();
    }
    ~TestClock() {
        plat_test_clock_enable(false);
        renderer().counter_frequency = static_cast<double>(plat_perf_frequency());
        renderer().next_frame_time = renderer().Now();
    }
};

// What the player showed, seen through a screen that wraps the engine's.
struct Watch {
    std::vector<double> times; // picture time of every pass
    std::vector<Rgba> first_samples;
    int presents = 0;
    // Called before each present with the pass number; may press keys.
    void (*act)(Watch& w) = nullptr;
};
Watch g_watch;

void watch_draw(const MoviePicture& picture, const MovieRect& dest) {
    EngineMovieScreen().draw(picture, dest);
    if (picture.pixels || !g_watch.times.empty()) g_watch.times.push_back(picture.time_ms);
}

// Samples the first picture drawn: across the bars, the grey strip below
// them, and the bands above and below the picture.
void watch_present() {
    Watch& w = g_watch;
    if (w.presents == 0)
        for (auto [x, y] :
             {std::pair{12, 20}, {36, 20}, {60, 20}, {84, 20}, {48, 52}, {48, 3}, {48, 60}})
            w.first_samples.push_back(gfx_pixel(x, y));
    ++w.presents;
    if (w.act) w.act(w);
    EngineMovieScreen().present();
}

MovieScreen watching_screen() {
    MovieScreen s = EngineMovieScreen();
    s.draw = watch_draw;
    s.present = watch_present;
    return s;
}

class Movie : public testing::Test {
  protected:
    void SetUp() override {
        gfx_fresh_frame();
        SoundInit(sound_device(), nullptr);
        InputScriptClear();
        g_watch = Watch();
        screen_ = watching_screen();
        SetMovieScreen(&screen_);
        path_ = gfx_temp_dir() + "bars.mkv";
    }
    void TearDown() override {
        SetMovieScreen(nullptr);
        InputScriptClear();
    }
    bool make_movie(const TestMovieSpec& params = {}) { return write_test_movie(path_, params); }
    double play(double loop) { return PlayMovie(RtString(path_.c_str()), loop); }

    MovieScreen screen_{};
    std::string path_;
};

TEST_F(Movie, RefusedFilesGiveThree) {
    std::string junk = gfx_temp_dir() + "junk.mkv";
    std::ofstream(junk) << "not a movie at all, just some words in a file";
    std::string empty = gfx_temp_dir() + "empty.avi";
    std::ofstream{empty};
    EXPECT_EQ(PlayMovie("cropstack_no_such_movie.mkv", 0), 3);
    EXPECT_EQ(PlayMovie(RtString(junk.c_str()), 0), 3);
    EXPECT_EQ(PlayMovie(RtString(empty.c_str()), 0), 3);
    EXPECT_EQ(g_watch.presents, 0);
}

#if CROPSTACK_HAVE_MOVIES

TEST_F(Movie, WithoutScreenGivesThree) {
    ASSERT_TRUE(make_movie());
    SetMovieScreen(nullptr);
    EXPECT_EQ(play(0), 3);
}

TEST_F(Movie, PlaysToTheEndWithTheBarsCentredAndScaled) {
    ASSERT_TRUE(make_movie());
    TestClock clock;
    EXPECT_EQ(play(0), 0);
    // Every picture in order, each shown until the next is due.
    std::vector<double> shown;
    for (double t : g_watch.times)
        if (shown.empty() || shown.back() != t) shown.push_back(t);
    EXPECT_EQ(shown, std::vector<double>({0, 100, 200, 300, 400}));
    // The 64 x 32 picture scaled by 1.5 into the 96 x 64 window: 8 black
    // rows above and below, bars 24 pixels wide, the grey strip at the
    // bottom (rows 44 to 55).
    const int expected[7][3] = {{255, 0, 0},     {0, 255, 0}, {0, 0, 255}, {255, 255, 255},
                                {128, 128, 128}, {0, 0, 0},   {0, 0, 0}};
    ASSERT_EQ(g_watch.first_samples.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        Rgba p = g_watch.first_samples[i];
        EXPECT_NEAR(p.r, expected[i][0], 24) << "sample " << i;
        EXPECT_NEAR(p.g, expected[i][1], 24) << "sample " << i;
        EXPECT_NEAR(p.b, expected[i][2], 24) << "sample " << i;
    }
}

TEST_F(Movie, SoundOnlyFilePlaysOnABlackScreen) {
    TestMovieSpec params;
    params.picture = false;
    ASSERT_TRUE(make_movie(params));
    TestClock clock;
    EXPECT_EQ(play(0), 0);
    EXPECT_GE(g_watch.presents, 25) << "half a second at 60 frames a second";
    ASSERT_FALSE(g_watch.first_samples.empty());
    EXPECT_TRUE(gfx_is(g_watch.first_samples[0], 0, 0, 0));
}

// Presses 'A' once the movie has come round to its start again (or after
// far too many passes, so a movie that never loops cannot hang the test).
void press_after_restart(Watch& w) {
    const std::vector<double>& t = w.times;
    bool restarted = t.size() >= 2 && t.back() < t[t.size() - 2];
    if (restarted || w.presents > 400) InputScriptKey(30, true);
}

TEST_F(Movie, LoopingStartsAgainFromTheStart) {
    ASSERT_TRUE(make_movie());
    TestClock clock;
    g_watch.act = press_after_restart;
    EXPECT_EQ(play(1), 0);
    std::vector<double> shown;
    for (double t : g_watch.times)
        if (shown.empty() || shown.back() != t) shown.push_back(t);
    EXPECT_EQ(shown, std::vector<double>({0, 100, 200, 300, 400, 0}));
}

void press_key_at_second_picture(Watch& w) {
    if (!w.times.empty() && w.times.back() >= 100) InputScriptKey(30, true);
}

void press_button_at_second_picture(Watch& w) {
    if (w.times.empty() || w.times.back() < 100) return;
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = SDL_PRESSED;
    SDL_PushEvent(&event);
}

void release_button() {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = SDL_RELEASED;
    SDL_PushEvent(&event);
    plat_pump_events();
}

TEST_F(Movie, TypedKeyOrMouseButtonEndsPlayback) {
    ASSERT_TRUE(make_movie());
    struct Case {
        const char* what;
        void (*act)(Watch&);
        double loop;
    } cases[] = {{"key", press_key_at_second_picture, 0},
                 {"key while looping", press_key_at_second_picture, 1},
                 {"mouse button", press_button_at_second_picture, 0}};
    for (const Case& c : cases) {
        TestClock clock;
        g_watch = Watch();
        g_watch.act = c.act;
        EXPECT_EQ(play(c.loop), 0) << c.what;
        ASSERT_FALSE(g_watch.times.empty()) << c.what;
        EXPECT_EQ(g_watch.times.back(), 100) << c.what;
        InputScriptClear();
        release_button();
    }
}

TEST_F(Movie, KeyHeldFromBeforeDoesNotEndIt) {
    ASSERT_TRUE(make_movie());
    TestClock clock;
    InputScriptKey(30, true);
    EXPECT_EQ(play(0), 0);
    ASSERT_FALSE(g_watch.times.empty());
    EXPECT_EQ(g_watch.times.back(), 400);
}

void close_window(Watch& /*w*/) {
    plat_window_events().quit = true;
}

TEST(MovieDeathTest, ClosingTheWindowEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            gfx_fresh_frame();
            std::string path = gfx_temp_dir() + "close.mkv";
            if (!write_test_movie(path, {})) std::exit(5);
            static MovieScreen screen = watching_screen();
            SetMovieScreen(&screen);
            g_watch.act = close_window;
            TestClock clock;
            PlayMovie(RtString(path.c_str()), 1);
            std::exit(4); // the movie returned: the close went unnoticed
        },
        testing::ExitedWithCode(0), "");
}

// The player itself: size and length, the sound reaching the device's
// queue, and seeking back to the start.
TEST_F(Movie, PlayerReportsSizeLengthSoundAndSeeks) {
    ASSERT_TRUE(make_movie());
    TestClock clock;
    PlatMovie* m = plat_movie_open(path_.c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(plat_movie_width(m), 64);
    EXPECT_EQ(plat_movie_height(m), 32);
    EXPECT_NEAR(plat_movie_length_ms(m), 500, 50);
    ASSERT_TRUE(plat_movie_play(m));
    double last = -1;
    while (plat_movie_position_ms(m) < plat_movie_length_ms(m)) {
        double t = -1;
        if (plat_movie_frame(m, &t)) last = t;
        plat_test_clock_advance(20);
    }
    EXPECT_EQ(last, 400);
    EXPECT_FALSE(plat_movie_play(m)) << "nothing left to play at the end";
    // Half a second of tone at the device's 22050 samples per second.
    EXPECT_NEAR(static_cast<double>(plat_movie_sound_frames_queued(m)), 11025, 1100);
    ASSERT_TRUE(plat_movie_seek_start(m));
    EXPECT_EQ(plat_movie_position_ms(m), 0);
    double first = -1;
    EXPECT_NE(plat_movie_frame(m, &first), nullptr);
    EXPECT_EQ(first, 0);
    plat_movie_close(m);
}

#else

TEST_F(Movie, WithoutDecoderEveryMovieGivesThree) {
    std::ofstream(path_) << "any existing file";
    EXPECT_FALSE(plat_movie_supported());
    EXPECT_EQ(play(0), 3);
    EXPECT_EQ(g_watch.presents, 0);
}

#endif

} // namespace
