// The whole program as a player meets it: the real entry, title screen, menu
// and play, run headless in a child process with scripted keys and the test
// clock (see scenarios.cpp for what each run does), checked by its exit
// status, what it reported, and the files it left behind.
#include "tests/whole/run_dir.h"

#include "graphics/graphics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace whole {
namespace {

using testing::AllOf;
using testing::ExitedWithCode;
using testing::HasSubstr;
using testing::Not;

std::string test_name() {
    return testing::UnitTest::GetInstance()->current_test_info()->name();
}

// The settings file is still the shipped one, apart from `changed`, and no
// temporary file of an interrupted save is left beside it.
void expect_settings(const RunDir& run, const Settings& changed = {}) {
    Settings expected = read_settings(shipped_settings());
    for (const auto& [key, value] : changed)
        expected[key] = value;
    EXPECT_EQ(read_settings(run.dir / "cropstack.ini"), expected);
    for (const fs::directory_entry& e : fs::directory_iterator(run.dir))
        EXPECT_EQ(e.path().filename().string().rfind("cropstack.ini", 0) == 0,
                  e.path().filename() == "cropstack.ini")
            << "left behind: " << e.path();
}

// Shares of a picture's pixels (rows from `top` to `bottom`, of 480) by what
// they show: the white background, the floor's green, the menu's dark box,
// and how many different colours appear at all.
struct PictureContent {
    double white = 0, green = 0, dark = 0;
    int colours = 0;
};

PictureContent content(const DecodedImage& image, int top, int bottom) {
    PictureContent c;
    std::set<std::uint32_t> colours;
    int n = 0;
    for (int y = top; y < bottom && y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x, ++n) {
            const std::uint8_t* p =
                &image.pixels[4 * (static_cast<std::size_t>(y) * image.width + x)];
            const int r = p[0], g = p[1], b = p[2];
            c.white += r > 240 && g > 240 && b > 240;
            c.green += g > 60 && g > r + 40 && g > b + 40;
            c.dark += r < 160 && g < 160 && b < 160;
            if (colours.size() < 1000) colours.insert(r | g << 8 | b << 16);
        }
    }
    c.white /= n;
    c.green /= n;
    c.dark /= n;
    c.colours = static_cast<int>(colours.size());
    return c;
}

// What each screenshot must show, not only its size.
struct ShotExpectation {
    const char* name;
    double white_min, green_min, dark_min;
};

const ShotExpectation kShots[] = {
    {"title", 0.5, 0, 0},    // the white screen under the thumbnails and the logo
    {"menu", 0.2, 0, 0.25},  // the translucent dark box over it
    {"play-one", 0, 0.3, 0}, // the board's floor, mostly green
    {"iris", 0.1, 0.2, 0},   // the white iris closing over the board
    {"play-two", 0, 0.1, 0}, // in each half
    {"play-hint", 0, 0.3, 0},
};

void expect_screenshot(const std::string& name) {
    DecodedImage image;
    const fs::path file = screenshot_dir() / (name + ".png");
    ASSERT_TRUE(DecodePng(RtString(file.c_str()), 0, image)) << file;
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    ASSERT_EQ(image.pixels.size(), 640u * 480u * 4u);
    const ShotExpectation* e = nullptr;
    for (const ShotExpectation& s : kShots)
        if (name == s.name) e = &s;
    ASSERT_NE(e, nullptr) << name;
    // Two boards: each half shows its own board.
    const bool halves = name == "play-two";
    for (int half = 0; half < (halves ? 2 : 1); ++half) {
        SCOPED_TRACE(name + (halves ? (half == 0 ? " upper half" : " lower half") : ""));
        const PictureContent c =
            halves ? content(image, half * 240, half * 240 + 240) : content(image, 0, 480);
        EXPECT_GT(c.colours, 20) << "a picture, not one colour";
        EXPECT_GE(c.white, e->white_min);
        EXPECT_GE(c.green, e->green_min);
        EXPECT_GE(c.dark, e->dark_min);
    }
}

TEST(WholeProgram, OnePlayerPlaysFiveLevelsReturnsToTheTitleAndQuits) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "one-player-five-levels"), ExitedWithCode(0),
                AllOf(HasSubstr("board 0 level 1 finished; the fade led to level 2"),
                      HasSubstr("board 0 level 5 finished; the fade led to level 6"),
                      HasSubstr("back at the title screen"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run);
    for (const char* name : {"title", "menu", "play-one", "iris"})
        expect_screenshot(name);
}

TEST(WholeProgram, RedefinedKeyIsSavedAndPlaysAfterARestart) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "redefine-right-key"), ExitedWithCode(0),
                HasSubstr("whole: ended after the last step"));
    expect_settings(run, {{{"keyconfig1", "4value"}, "K36"}});
    EXPECT_EXIT(exec_scenario(run, "play-with-new-key"), ExitedWithCode(0),
                AllOf(HasSubstr("the legend shows the new key"),
                      HasSubstr("board 0 level 1 finished; the fade led to level 2"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run, {{{"keyconfig1", "4value"}, "K36"}});
}

TEST(WholeProgram, APadAloneChoosesPlaysLeavesAndQuits) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "pad-alone"), ExitedWithCode(0),
                AllOf(HasSubstr("the legend names the pad"),
                      HasSubstr("board 0 level 1 finished by the pad"),
                      HasSubstr("back at the title screen"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run);
}

TEST(WholeProgram, TwoBoardsAdvanceApartAndOneEscapeEndsBoth) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "two-boards"), ExitedWithCode(0),
                AllOf(HasSubstr("board 0 level 1 finished; the fade led to level 2"),
                      HasSubstr("board 1 level 5 finished; the fade led to level 6"),
                      HasSubstr("back at the title screen"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run);
    expect_screenshot("play-two");
}

// Level 1 played by pressing the hint key before each move and then the key
// it names takes the fewest moves; the hint is photographed on the way.
TEST(WholeProgram, HintsLeadThroughALevelInTheFewestMoves) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "hints-finish-level-one"), ExitedWithCode(0),
                AllOf(HasSubstr("level 1 finished by following the hints in the fewest moves"),
                      HasSubstr("back at the title screen"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run);
    expect_screenshot("play-hint");
    // The hint's strip darkens the white sky above the board to grey, centred
    // below the level information.
    DecodedImage image;
    ASSERT_TRUE(DecodePng(RtString((screenshot_dir() / "play-hint.png").c_str()), 0, image));
    int grey = 0, n = 0;
    for (int y = 44; y < 62; ++y) {
        for (int x = 290; x < 350; ++x, ++n) {
            const std::uint8_t* p =
                &image.pixels[4 * (static_cast<std::size_t>(y) * image.width + x)];
            grey +=
                p[0] > 90 && p[0] < 170 && std::abs(p[0] - p[1]) < 8 && std::abs(p[0] - p[2]) < 8;
        }
    }
    EXPECT_GT(grey, n / 3) << "the hint's strip";
}

// The level after the last one and a level file the loader refuses both lead
// back to the title with a log entry, and the program still ends normally.
TEST(WholeProgram, LevelsThatCannotStartLeadBackToTheTitle) {
    const RunDir run = make_run_dir(test_name());
    for (const fs::directory_entry& e : fs::directory_iterator(run.dir / "levlib"))
        if (e.path().filename() != "QLEV1.CMD") fs::remove(e.path());
    write_file(run.dir / "levlib" / "QLEV2.CMD", "ABCDE\nX\nX\nBBAAAAAAAAAA\nT\n");
    EXPECT_EXIT(exec_scenario(run, "library-ends"), ExitedWithCode(0),
                AllOf(HasSubstr("back at the title screen"),
                      HasSubstr("two boards went back to the title"),
                      HasSubstr("whole: ended after the last step")));
    const std::string log = read_file(run.log / "ErrorLog.txt");
    // Boards are counted from 1, as in the progress file.
    EXPECT_THAT(log, HasSubstr("game: board 1 cannot start level 2: levlib/QLEV2.CMD is not"));
    EXPECT_THAT(log, HasSubstr("game: board 2 cannot start level 5: levlib/QLEV5.CMD is missing"));
    expect_settings(run);
}

Settings progress_of(const RunDir& run) {
    return read_settings(run.dir / "cropstack-progress.ini");
}

TEST(WholeProgram, ProgressIsKeptAcrossARestartAndAReachedLevelCanBeChosen) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "complete-level-one"), ExitedWithCode(0),
                AllOf(HasSubstr("board 0 level 1 finished; the fade led to level 2"),
                      HasSubstr("whole: ended after the last step")));
    EXPECT_EQ(progress_of(run),
              (Settings{{{"progress", "board1"}, "2"}, {{"progress", "board2"}, "5"}}));
    EXPECT_EXIT(exec_scenario(run, "one-player-continues"), ExitedWithCode(0),
                AllOf(HasSubstr("one player starts on level 2"),
                      HasSubstr("whole: ended after the last step")));
    EXPECT_EXIT(exec_scenario(run, "choose-level-one"), ExitedWithCode(0),
                AllOf(HasSubstr("the chosen level 1 is played"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run, {{{"options", "6value"}, "1"}});
    EXPECT_EQ(progress_of(run).at({"progress", "board1"}), "2") << "choosing loses nothing";
}

// Rows [top, bottom) of two screenshots: equal or not.
bool same_rows(const DecodedImage& a, const DecodedImage& b, int top, int bottom) {
    const std::size_t row = static_cast<std::size_t>(a.width) * 4;
    return std::equal(a.pixels.begin() + top * row, a.pixels.begin() + bottom * row,
                      b.pixels.begin() + top * row);
}

DecodedImage screenshot(const std::string& name) {
    DecodedImage image;
    const fs::path file = screenshot_dir() / (name + ".png");
    EXPECT_TRUE(DecodePng(RtString(file.c_str()), 0, image)) << file;
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    image.pixels.resize(640u * 480u * 4u);
    return image;
}

// The information sits in the top rows inside the frame; switched off, the
// same position shows the same picture with those rows left to the board.
TEST(WholeProgram, InformationCountsMovesAndUndoAndCanBeSwitchedOff) {
    const RunDir run = make_run_dir(test_name());
    write_file(run.dir / "cropstack-progress.ini", "[progress]\nboard1=2\n");
    EXPECT_EXIT(exec_scenario(run, "information"), ExitedWithCode(0),
                AllOf(HasSubstr("moves counted and taken back"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run, {{{"options", "5value"}, "1"}});
    const DecodedImage shown = screenshot("check-info-shown"),
                       hidden = screenshot("check-info-hidden");
    constexpr int kInfoTop = 12, kInfoBottom = 12 + 18;
    EXPECT_FALSE(same_rows(shown, hidden, kInfoTop, kInfoBottom)) << "the information rows";
    EXPECT_TRUE(same_rows(shown, hidden, kInfoBottom, 480)) << "everything below them";
    EXPECT_TRUE(same_rows(shown, hidden, 0, kInfoTop)) << "the frame above them";
}

// White rows of a screenshot, from top to bottom.
int white_rows(const DecodedImage& image, int top, int bottom) {
    int rows = 0;
    for (int y = top; y < bottom; ++y) {
        bool white = true;
        for (int x = 0; x < image.width && white; ++x)
            for (int c = 0; c < 3; ++c)
                white = white && image.pixels[(y * image.width + x) * 4u + c] == 255;
        rows += white ? 1 : 0;
    }
    return rows;
}

TEST(WholeProgram, LastLevelOfTheLibraryEndsWithAClosingScreen) {
    const RunDir run = make_run_dir(test_name());
    for (const fs::directory_entry& e : fs::directory_iterator(run.dir / "levlib"))
        if (e.path().filename() != "QLEV1.CMD") fs::remove(e.path());
    EXPECT_EXIT(exec_scenario(run, "closing-screen"), ExitedWithCode(0),
                HasSubstr("whole: ended after the last step"));
    // The end of the library is told as such, not as a level file missing.
    EXPECT_THAT(read_file(run.log / "ErrorLog.txt"),
                AllOf(HasSubstr("game: board 1 finished level 1, the last of the level library"),
                      Not(HasSubstr("QLEV2.CMD"))));
    // White all over but for the words in the middle (the title screen has
    // its logo and pictures).
    const DecodedImage closing = screenshot("check-closing");
    EXPECT_EQ(white_rows(closing, 0, 180), 180);
    EXPECT_EQ(white_rows(closing, 300, 480), 180);
    EXPECT_LT(white_rows(closing, 180, 300), 120 - 18) << "no words";
}

// Level 1 walked out by clicks on the exit alone, with the way marked while
// the pointer rests there.
TEST(WholeProgram, TheMouseWalksOutOfALevel) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "mouse-walks-out"), ExitedWithCode(0),
                AllOf(HasSubstr("a character walked out in"),
                      HasSubstr("level 1 ended by the mouse alone"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run);
    // The way is marked in yellow over the green floor.
    const DecodedImage way = screenshot("mouse-way");
    int yellow = 0;
    for (std::size_t i = 0; i + 3 < way.pixels.size(); i += 4)
        yellow += way.pixels[i] > 110 && way.pixels[i + 1] > 180 && way.pixels[i + 2] < 90;
    EXPECT_GT(yellow, 300) << "no way marked";
}

// Without a display, and with no headless driver asked for, the game itself
// (not this test program, whose entry asks for one) does not run unseen: it
// ends at once, says why and reports a failure.
[[noreturn]] void run_game_without_display(const RunDir& run) {
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"})
        unsetenv(name);
    setenv("TMPDIR", run.log.c_str(), 1);
    const fs::path game = fs::read_symlink("/proc/self/exe").parent_path() / "cropstack";
    fs::copy_file(game, run.dir / "cropstack");
    const std::string exe = (run.dir / "cropstack").string();
    const char* argv[] = {exe.c_str(), nullptr};
    alarm(30); // a game running unseen would never end by itself
    execv(exe.c_str(), const_cast<char* const*>(argv));
    std::_Exit(127);
}

TEST(WholeProgram, NoDisplayEndsAtOnceWithAMessage) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(
        run_game_without_display(run),
        [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; },
        HasSubstr("no display: "));
}

TEST(WholeProgram, TheMouseWalksTheBoardUnderThePointer) {
    const RunDir run = make_run_dir(test_name());
    EXPECT_EXIT(exec_scenario(run, "mouse-on-the-lower-board"), ExitedWithCode(0),
                AllOf(HasSubstr("the lower board walked the whole way"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run);
}

} // namespace
} // namespace whole
