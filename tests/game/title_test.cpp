// title_test.cpp: the title screen run headless on the test clock: which
// levels become thumbnails (and what a missing one shows), Escape before the
// menu, the menu's choice after its delay, and the drifting thumbnails' paths.
#include "game_fixture.h"
#include "screen_test_support.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/scancodes.h"
#include "scene3d/scene3d.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kScreenW = 640, kScreenH = 480;

// A seed whose first rt_rnd(43) gives `value`.
std::uint32_t seed_giving(double value) {
    for (std::uint32_t seed = 1; seed < 100000; ++seed) {
        rt_seed(seed);
        if (rt_rnd(43) == value) {
            rt_seed(seed);
            return seed;
        }
    }
    ADD_FAILURE() << "no seed gives " << value;
    return 0;
}

// Share of white pixels of a thumbnail sprite, drawn alone at the top left.
double thumbnail_white_share(int sprite) {
    ClearScreen();
    SetViewport2D(0, 0, 0, 0);
    SetAlphaMode(0);
    DrawSprite(sprite, 0, 0);
    DecodedImage image;
    EXPECT_TRUE(ReadScreenPixels(0, 0, 256, 256, image));
    int white = 0;
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
        white += image.pixels[i] == 255 && image.pixels[i + 1] == 255 && image.pixels[i + 2] == 255;
    return white / (256.0 * 256.0);
}

// Frames of the title as presented: how many of their pixels are not white.
// The frame step leaves the shadow pass just before presenting (and at every
// viewport change), so the last count taken there is the presented frame's;
// the reset after presenting keeps it. Escape is pressed after the eighth.
std::vector<int> g_non_white;
int g_last_non_white = -1;

void count_before_present() {
    ShadowPass(false); // the renderer's own hook
    DecodedImage image;
    g_last_non_white = -1;
    if (!ReadScreenPixels(0, 0, kScreenW, kScreenH, image)) return;
    g_last_non_white = 0;
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
        g_last_non_white +=
            image.pixels[i] != 255 || image.pixels[i + 1] != 255 || image.pixels[i + 2] != 255;
}

void keep_presented_count() {
    UseShader(-1); // the renderer's own reset
    g_non_white.push_back(g_last_non_white);
    if (g_non_white.size() >= 8) InputScriptKey(kKeyEscape, true);
}

int log_mentions(const std::string& text) {
    std::ifstream in(rt_log_path().c_str(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int n = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++n;
    return n;
}

class Title : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Only levels 44 to 48 exist; a settings file whose first line
        // chooses two players.
        fs::path dir = fs::path(screen_test::temp_dir()) / "title";
        fs::create_directories(dir / "levlib");
        const auto lines =
            game_test::level_lines(game_test::rows("########/#.1....#/#......#/#...E..#/########"));
        for (int level = 44; level <= 48; ++level) {
            std::ofstream out(dir / "levlib" / ("QLEV" + std::to_string(level) + ".CMD"),
                              std::ios::binary);
            for (const std::string& line : lines)
                out << line << "\r\n";
        }
        std::ofstream(dir / "cropstack.ini") << "[root]\n1name=2 Players\n1type=button\n"
                                                "1value=2\n2name=Quit\n2type=button\n2value=-1\n";
        fs::current_path(dir);
        // A log of this process's own: test programs running side by side
        // would otherwise write into the same one.
        setenv("TMPDIR", dir.c_str(), 1);
    }
    void SetUp() override {
        screen_test::open_window(kScreenW, kScreenH);
        install_presentation();
        game_values().option_camera = 0;
        InputScriptClear();
    }
    void TearDown() override {
        InputScriptClear();
        set_floor_mesh_builder(nullptr);
    }
};

} // namespace

TEST_F(Title, EscapeBeforeTheMenuReturnsMinusOne) {
    screen_test::TestClock clock;
    SetEscapeEnds(1);
    InputScriptKey(kKeyEscape, true);
    const double start = TotalTime();
    // Escape is handled by the title itself: the frame step must not end the
    // program on it.
    EXPECT_EQ(title_screen(), -1);
    EXPECT_LT(TotalTime() - start, 2000) << "left in the first frames, before the menu";
    EXPECT_EQ(engine().escape_ends_program, 0);
}

// Return is held from the start: the menu ignores it while the title waits
// and the page slides in, and acts only on the next press.
void release_then_press_return() {
    UseShader(-1); // the renderer's own reset
    static int frames_at_rest = 0;
    const MenuState& m = menu_state();
    if (m.page != "root" || m.slide != 0 || rt_bounds(m.names, 0) == 0) return;
    ++frames_at_rest;
    if (frames_at_rest == 3) {
        EXPECT_EQ(m.cursor, 0) << "the held key moved nothing";
        InputScriptKey(kKeyReturn, false);
    }
    if (frames_at_rest == 5) InputScriptKey(kKeyReturn, true);
}

TEST_F(Title, MenuChoosesAfterTwoSeconds) {
    screen_test::TestClock clock;
    InputScriptKey(kKeyReturn, true);
    scene3d(); // made first: making it sets the renderer's own reset hook
    SetFrameResetHook(release_then_press_return);
    const double start = TotalTime();
    EXPECT_EQ(title_screen(), 2);
    SetFrameResetHook([] { UseShader(-1); });
    EXPECT_GE(TotalTime() - start, 2000 + 2 * 500);
    EXPECT_LT(TotalTime() - start, 4000);
}

TEST_F(Title, RandomFirstLevelPicksTheThumbnails) {
    const struct {
        double random;
        bool drawn[5]; // a level on the thumbnail, or white for a level that is missing
    } cases[] = {
        {43, {true, true, true, true, true}},     // levels 44 to 48
        {41, {false, false, true, true, true}},   // 42 and 43 are missing
        {42, {false, true, true, true, true}},    // 43 is missing
        {0, {false, false, false, false, false}}, // levels 1 to 5
    };
    for (const auto& c : cases) {
        screen_test::TestClock clock;
        const int logged = log_mentions("QLEV42.CMD");
        seed_giving(c.random);
        InputScriptKey(kKeyEscape, true);
        ASSERT_EQ(title_screen(), -1);
        InputScriptClear();
        EXPECT_EQ(log_mentions("QLEV42.CMD") - logged, c.random == 41 ? 1 : 0)
            << "a missing level is logged once";
        for (int i = 0; i < 5; ++i) {
            const double white = thumbnail_white_share(100 + i);
            if (c.drawn[i])
                EXPECT_LT(white, 0.5) << "first level " << c.random + 1 << ", thumbnail " << i;
            else
                EXPECT_EQ(white, 1) << "first level " << c.random + 1 << ", thumbnail " << i;
        }
    }
}

// The first frame comes before any level is loaded: white (no logo here).
// The thumbnails are rendered in the frames after it and drawn as they come.
TEST_F(Title, ThumbnailsAppearInTheFramesAfterTheFirst) {
    screen_test::TestClock clock;
    seed_giving(43); // levels 44 to 48, all present
    g_non_white.clear();
    scene3d(); // made first: making it installs the renderer's own hooks
    SetLeaveShadowPassHook(count_before_present);
    SetFrameResetHook(keep_presented_count);
    const double result = title_screen();
    SetLeaveShadowPassHook([] { ShadowPass(false); });
    SetFrameResetHook([] { UseShader(-1); });
    InputScriptClear();
    EXPECT_EQ(result, -1);
    ASSERT_GE(g_non_white.size(), 8u);
    EXPECT_EQ(g_non_white[0], 0) << "the first frame shows no thumbnail";
    EXPECT_GT(g_non_white[6], kScreenW * kScreenH / 20) << "thumbnails by the seventh frame";
}

TEST_F(Title, PhaseWrapsOnceAFrame) {
    const struct {
        double phase, frame_ms, expected;
    } cases[] = {{999, 15, 1000}, {999, 30, 1}, {500, 15 * 1600, 1100}, {0, 15000, 1000}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(title_phase_step(c.phase, c.frame_ms), c.expected)
            << c.phase << " + " << c.frame_ms << " ms";
}
