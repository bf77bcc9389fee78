// The window as a player handles it, through the whole program: the
// full-screen keys on the title screen, a size the player gives the window
// kept for the next start, that start's wide window showing the whole
// picture, and a Screen choice taking effect at once (see
// window_scenarios.cpp for the scripts).
#include "tests/whole/run_dir.h"

#include "graphics/graphics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace whole {
namespace {

using testing::AllOf;
using testing::ExitedWithCode;
using testing::HasSubstr;

struct Rgb {
    int r, g, b;
};

Rgb pixel(const DecodedImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[4 * (static_cast<std::size_t>(y) * image.width + x)];
    return {p[0], p[1], p[2]};
}

bool near(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) <= 12 && std::abs(a.g - b.g) <= 12 && std::abs(a.b - b.b) <= 12;
}

TEST(WholeProgram, WindowAndFullScreenKeysAndAWideWindowAtTheNextStart) {
    const RunDir run = make_run_dir("WindowAndFullScreen");
    EXPECT_EXIT(exec_scenario(run, "full-screen-keys-and-resize"), ExitedWithCode(0),
                AllOf(HasSubstr("the full-screen keys switched and started no game"),
                      HasSubstr("whole: ended after the last step")));
    Settings expected = read_settings(shipped_settings());
    expected[{"window", "width"}] = "1280";
    expected[{"window", "height"}] = "720";
    EXPECT_EQ(read_settings(run.dir / "cropstack.ini"), expected);

    EXPECT_EXIT(exec_scenario(run, "wide-window"), ExitedWithCode(0),
                AllOf(HasSubstr("the Screen choice took effect at once"),
                      HasSubstr("whole: ended after the last step")));
    // The new Screen choice is kept and the player's window size dropped.
    expected[{"options", "2value"}] = "1";
    expected[{"window", "width"}] = "0";
    expected[{"window", "height"}] = "0";
    EXPECT_EQ(read_settings(run.dir / "cropstack.ini"), expected);
    DecodedImage shot;
    const fs::path file = screenshot_dir() / "wide-window.png";
    ASSERT_TRUE(DecodePng(RtString(file.c_str()), 0, shot)) << file;
    ASSERT_EQ(shot.width, 1280);
    ASSERT_EQ(shot.height, 720);
    // The 640 x 480 picture is scaled by 1.5 into x 160..1119: black bars
    // beside it, the play frame's green edge on all four sides of it.
    const Rgb black{0, 0, 0}, frame{60, 140, 50};
    EXPECT_TRUE(near(pixel(shot, 80, 360), black)) << "left bar";
    EXPECT_TRUE(near(pixel(shot, 1200, 360), black)) << "right bar";
    EXPECT_TRUE(near(pixel(shot, 165, 360), frame)) << "left edge of the frame";
    EXPECT_TRUE(near(pixel(shot, 1114, 360), frame)) << "right edge of the frame";
    EXPECT_TRUE(near(pixel(shot, 640, 5), frame)) << "top edge of the frame";
    EXPECT_TRUE(near(pixel(shot, 640, 714), frame)) << "bottom edge of the frame";
    // The level line ("1 First steps") in the top left corner: dark letters
    // on the white sky, where the picture's rows 10 to 26 are shown.
    int dark = 0, white = 0;
    for (int y = 15; y < 40; ++y) {
        for (int x = 175; x < 450; ++x) {
            const Rgb p = pixel(shot, x, y);
            dark += p.r < 60 && p.g < 60 && p.b < 60;
            white += p.r > 230 && p.g > 230 && p.b > 230;
        }
    }
    EXPECT_GT(dark, 300) << "the level line's letters";
    EXPECT_GT(white, 1000) << "the sky around them";
}

} // namespace
} // namespace whole
