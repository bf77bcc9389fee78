// Program end: exit status and message per error code, the debug record in
// the log, the order of the registered teardown, and the settings store and
// line files reaching the disk after a fatal error.
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class EndTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        rt_error_record() = RtErrorRecord{};
        rt_set_debug_flag(0);
    }
    void TearDown() override {
        rt_set_debug_flag(0);
        TempDirTest::TearDown();
    }
    std::string log() const { return read_text(dir_ / "ErrorLog.txt"); }
};

TEST_F(EndTest, NormalEndExitsWithZeroAndSaysNothing) {
    EXPECT_EXIT(rt_end_statement(), ::testing::ExitedWithCode(0), "^$");
    rt_set_error(9);
    EXPECT_EXIT(rt_end_statement(), ::testing::ExitedWithCode(0), "^$");
}

struct FatalCase {
    int code;
    const char* message;
};

void PrintTo(const FatalCase& c, std::ostream* out) {
    *out << "code " << c.code;
}

class FatalEnd : public EndTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalEnd, ExitsWithTheCodeAndNamesIt) {
    const FatalCase& c = GetParam();
    EXPECT_EXIT(rt_fatal(c.code), ::testing::ExitedWithCode(c.code), c.message);
    // With the debug flag at 0 the log gets nothing.
    EXPECT_EQ(log(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FatalEnd,
    ::testing::Values(FatalCase{3, "^runtime error 3: file could not be opened or loaded\n$"},
                      FatalCase{7, "^runtime error 7: limit exceeded"},
                      FatalCase{8, "^runtime error 8: array not dimensioned\n$"},
                      FatalCase{9, "^runtime error 9: array index out of bounds\n$"}));

TEST_F(EndTest, DebugFlagAppendsTheErrorRecordAfterEarlierEntries) {
    rt_log("start-up entry");
    rt_set_debug_flag(1);
    EXPECT_EXIT(rt_fatal(9), ::testing::ExitedWithCode(9), "");
    EXPECT_EQ(log(), "start-up entry\r\n-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n");
}

TEST_F(EndTest, DebugRecordShowsTheTrackedPosition) {
    rt_set_debug_flag(1);
    rt_set_position(2.5, 120);
    EXPECT_EXIT(
        {
            // Recorded but not raised through rt_fatal: the record shows the
            // code while the status of this plain end stays 0.
            rt_set_error(8);
            rt_set_position(3, 121);
            rt_end();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(log(), "-End On Line\r\n8\r\n119\r\n121\r\n3\r\n");
}

TEST_F(EndTest, HooksRunByStageAroundTheDebugRecord) {
    rt_set_debug_flag(1);
    EXPECT_EXIT(
        {
            rt_add_end_hook(kRtEndWindow, [] { rt_log("window"); });
            rt_add_end_hook(kRtEndDevices, [] { rt_log("input"); });
            rt_add_end_hook(kRtEndMedia, [] { rt_log("media"); });
            rt_add_end_hook(kRtEndDevices, [] { rt_log("sound"); });
            rt_end_statement();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(log(), "media\r\n-End On Line\r\n0\r\n-1\r\n0\r\n0\r\n"
                     "input\r\nsound\r\nwindow\r\n");
}

TEST_F(EndTest, HookThatEndsAgainStillLetsTheRestRun) {
    EXPECT_EXIT(
        {
            rt_add_end_hook(kRtEndMedia, [] { rt_fatal(7); });
            rt_add_end_hook(kRtEndWindow, [] { rt_log("window"); });
            rt_end_statement();
        },
        ::testing::ExitedWithCode(7), "runtime error 7");
    EXPECT_EQ(log(), "window\r\n");
}

TEST_F(EndTest, FatalErrorStillWritesSettingsAndLineFiles) {
    const std::string settings = (dir_ / "cropstack.ini").string();
    const std::string lines = (dir_ / "lines.txt").string();
    EXPECT_EXIT(
        {
            ini_open(settings.c_str());
            ini_put("options", "mode", "3");
            lf_put_text(lines.c_str(), 2, "two");
            rt_fatal(9);
        },
        ::testing::ExitedWithCode(9), "");
    EXPECT_EQ(read_text(settings), "[options]\r\nmode=3\r\n");
    EXPECT_EQ(read_text(lines), "\r\n\r\ntwo\r\n");
}

} // namespace
