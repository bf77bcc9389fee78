// Line-file cache: markers and statuses, trailing controls, line limits,
// write-back of pending lines when another file is selected or on flush.
#include "runtime/runtime.h"

#include "temp_dir_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class LineFileTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        rt_set_error(0);
    }
    void TearDown() override {
        // Select no file so that nothing is pending for the next test.
        lf_get_text("", 0);
        rt_set_error(0);
        TempDirTest::TearDown();
    }
};

struct ReadCase {
    double line;
    const char* expected;
    double status;
};

TEST_F(LineFileTest, ReadsLinesWithMarkersAndStatus) {
    write_text(dir_ / "f.txt", "first\r\n\nspaces  \ntab\t\nhigh\xE9\n42.5\n");
    const ReadCase cases[] = {
        {0, "first", 0},     {1, "NO_DATA", 0},      {2, "spaces  ", 0},  {3, "tab", 0},
        {4, "high", 0},      {5, "42.5", 0},         {6, "NO_DATA", 0},   {255, "NO_DATA", 0},
        {0.9, "first", 0},   {-0.5, "first", 0},     {256, "NO_DATA", 7}, {-1, "NO_DATA", 7},
        {1e9, "NO_DATA", 7}, {255.99, "NO_DATA", 0},
    };
    for (const ReadCase& c : cases) {
        double status = -1;
        EXPECT_EQ(lf_get_text(name("f.txt"), c.line, &status).str(), c.expected)
            << "line " << c.line;
        EXPECT_EQ(status, c.status) << "line " << c.line;
    }
    EXPECT_EQ(lf_get_number(name("f.txt"), 5), 42.5);
    EXPECT_EQ(lf_get_number(name("f.txt"), 1), 0);
}

// The program's teardown empties the cache through a name with no bytes;
// under the sanitizers that once reported a null pointer handed to memcpy.
TEST_F(LineFileTest, TeardownAfterReadingEndsCleanly) {
    write_text(dir_ / "f.txt", "first\n\nthird\n");
    EXPECT_EXIT(
        {
            lf_get_text(name("f.txt"), 1);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(LineFileTest, OutOfRangeLineRecordsLimitError) {
    EXPECT_EQ(lf_put_text(name("f.txt"), 256, "x"), 7);
    EXPECT_EQ(rt_error_record().error_code, 7);
    EXPECT_FALSE(fs::exists(dir_ / "f.txt"));
}

TEST_F(LineFileTest, MissingFileGivesNoFileOnceThenEmptyCache) {
    double status = -1;
    EXPECT_EQ(lf_get_text(name("missing.txt"), 0, &status).str(), "NO_FILE");
    EXPECT_EQ(status, 3);
    EXPECT_EQ(rt_error_record().error_code, 3);
    EXPECT_EQ(lf_get_text(name("missing.txt"), 0, &status).str(), "NO_DATA");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lf_get_number(name("missing.txt"), 1, &status), 0);
}

TEST_F(LineFileTest, WritingLineTenOfNewFileGivesElevenLines) {
    EXPECT_EQ(lf_put_number(name("new.txt"), 10, 42), 0);
    EXPECT_FALSE(fs::exists(dir_ / "new.txt"));
    lf_flush();
    std::string expected;
    for (int i = 0; i < 10; ++i)
        expected += "\r\n";
    EXPECT_EQ(read_text(dir_ / "new.txt"), expected + "42\r\n");
}

TEST_F(LineFileTest, AlternatingFilesWritesBackAndReloads) {
    write_text(dir_ / "a.txt", "a0\na1\n");
    write_text(dir_ / "b.txt", "b0\n");
    EXPECT_EQ(lf_put_text(name("a.txt"), 1, "changed"), 0);
    EXPECT_EQ(lf_get_text(name("b.txt"), 0).str(), "b0");
    EXPECT_EQ(read_text(dir_ / "a.txt"), "a0\r\nchanged\r\n");
    // Each selection reloads from disk, so a change made meanwhile is seen.
    write_text(dir_ / "a.txt", "outside\n");
    EXPECT_EQ(lf_get_text(name("a.txt"), 0).str(), "outside");
    EXPECT_EQ(lf_get_text(name("b.txt"), 0).str(), "b0");
    EXPECT_EQ(read_text(dir_ / "b.txt"), "b0\n"); // nothing pending, nothing written
}

TEST_F(LineFileTest, RewriteKeepsLinesUpToTheHighestTouched) {
    write_text(dir_ / "f.txt", "0\n1\n2\n3\n");
    lf_put_text(name("f.txt"), 1, "one");
    lf_flush();
    EXPECT_EQ(read_text(dir_ / "f.txt"), "0\r\none\r\n2\r\n3\r\n");
}

TEST_F(LineFileTest, OverlongLinesAreCutAndFilesStopAfterLine255) {
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += std::to_string(i) + "\n";
    write_text(dir_ / "many.txt", std::string(2000, 'x') + "\n" + many);
    EXPECT_EQ(lf_get_text(name("many.txt"), 0).length(), 1023u);
    EXPECT_EQ(lf_get_text(name("many.txt"), 1).str(), "0");
    EXPECT_EQ(lf_get_text(name("many.txt"), 255).str(), "254");
    lf_put_text(name("many.txt"), 2, std::string(5000, 'y').c_str());
    EXPECT_EQ(lf_get_text(name("many.txt"), 2).length(), 1023u);
}

TEST_F(LineFileTest, FailedWriteBackLeavesTheDirectoryAloneAndLogs) {
    write_text(dir_ / "plain", "x");
    lf_put_text(name("plain/f.txt"), 0, "lost");
    lf_flush();
    EXPECT_EQ(read_text(dir_ / "plain"), "x");
    EXPECT_NE(read_text(dir_ / "ErrorLog.txt").find("linefile: cannot write"), std::string::npos);
}

} // namespace
