// The whole program as a player meets it: the real entry, title screen, menu
// and play, run headless in a child process with scripted keys and the test
// clock (see scenarios.cpp for what each run does), checked by its exit
// status, what it reported, and the files it left behind.
#include "tests/whole/run_dir.h"

#include "graphics/graphics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace whole {
namespace {

using testing::AllOf;
using testing::ExitedWithCode;
using testing::HasSubstr;

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

void expect_screenshot(const std::string& name) {
    DecodedImage image;
    const fs::path file = screenshot_dir() / (name + ".png");
    ASSERT_TRUE(DecodePng(RtString(file.c_str()), 0, image)) << file;
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
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
                AllOf(HasSubstr("board 0 level 1 finished; the fade led to level 2"),
                      HasSubstr("whole: ended after the last step")));
    expect_settings(run, {{{"keyconfig1", "4value"}, "K36"}});
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
    EXPECT_THAT(log, HasSubstr("QLEV2.CMD"));
    EXPECT_THAT(log, HasSubstr("QLEV5.CMD"));
    expect_settings(run);
}

} // namespace
} // namespace whole
