// progress_test.cpp: the record of the furthest levels reached, read back
// from damaged files, kept across completions, the level a board starts at,
// and the menu's level choices made from it.
#include "game_fixture.h"
#include "screen_test_support.h"

#include "game/screens/screens.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A library of seven levels in which level 4 is broken.
class ProgressRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int dirs = 0;
        dir_ = fs::path(screen_test::temp_dir()) / ("progress" + std::to_string(++dirs));
        fs::create_directories(dir_ / "levlib");
        for (int level = 1; level <= 7; ++level) {
            std::ofstream out(level_file_name(levlib(), level).str(), std::ios::binary);
            if (level == 4) {
                out << "not a level\r\n";
                continue;
            }
            for (const std::string& line :
                 game_test::level_lines(game_test::rows("#######/#1..E.#/#######")))
                out << line << "\r\n";
        }
        file_ = (dir_ / "cropstack-progress.ini").string();
    }
    RtString levlib() const { return RtString((dir_ / "levlib").c_str()); }
    RtString file() const { return RtString(file_.c_str()); }
    void write_record(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    std::pair<double, double> read() const {
        const ProgressRecord r = read_progress(file(), levlib());
        return {r.furthest[0], r.furthest[1]};
    }

    fs::path dir_;
    std::string file_;
};

using Levels = std::pair<double, double>;

TEST_F(ProgressRecordTest, MissingOrDamagedRecordsStartAtLevelOneAndFive) {
    struct Case {
        const char* name;
        const char* text; // null: no file at all
        Levels expected;
    };
    const Case cases[] = {
        {"no record", nullptr, {1, 5}},
        {"an empty file", "", {1, 5}},
        {"a sound record", "[progress]\nboard1=3\nboard2=6\n", {3, 6}},
        {"names in any case", "[PROGRESS]\nBoard1=2\n", {2, 5}},
        {"another section", "[options]\nboard1=3\n", {1, 5}},
        {"bytes that are no settings", "\x01\xff\xfe[[=\n\x7f=\n", {1, 5}},
        {"level 0", "[progress]\nboard1=0\nboard2=0\n", {1, 5}},
        {"a negative level", "[progress]\nboard1=-3\n", {1, 5}},
        {"a fraction", "[progress]\nboard1=2.5\n", {1, 5}},
        {"an exponent", "[progress]\nboard1=1e1\n", {1, 5}},
        {"words after the number", "[progress]\nboard1=3 levels\n", {1, 5}},
        {"a huge number", "[progress]\nboard1=99999999999999999999\n", {1, 5}},
        {"past the library", "[progress]\nboard1=8\nboard2=6\n", {1, 6}},
        {"a level the loader refuses", "[progress]\nboard1=4\nboard2=4\n", {1, 5}},
        {"board 2 below its first level", "[progress]\nboard2=2\n", {1, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(file_);
        if (c.text != nullptr) write_record(c.text);
        EXPECT_EQ(read(), c.expected);
    }
    // A directory where the file should be reads as no record.
    fs::remove(file_);
    fs::create_directory(file_);
    EXPECT_EQ(read(), Levels(1, 5));
}

TEST_F(ProgressRecordTest, CompletionsKeepTheFurthestLevelOfEachBoard) {
    struct Step {
        int board;
        double level;
        Levels expected;
    };
    const Step steps[] = {
        {0, 1, {2, 5}},                 // the next level is the one reached
        {0, 2, {3, 5}}, {0, 1, {3, 5}}, // replaying an early level loses nothing
        {1, 5, {3, 6}},                 // each board on its own
        {0, 3, {3, 6}},                 // level 4 cannot start: level 3 stays the furthest
        {1, 6, {3, 7}}, {1, 7, {3, 7}}, // the last level completed: it stays the furthest
    };
    for (const Step& s : steps) {
        SCOPED_TRACE("board " + std::to_string(s.board) + " level " + std::to_string(s.level));
        const ProgressRecord r = record_completion(file(), levlib(), s.board, s.level);
        EXPECT_EQ(Levels(r.furthest[0], r.furthest[1]), s.expected);
        EXPECT_EQ(read(), s.expected) << "as a new start reads it";
    }
    for (const fs::directory_entry& e : fs::directory_iterator(dir_))
        EXPECT_TRUE(e.is_directory() || e.path() == fs::path(file_)) << "left behind: " << e.path();
}

TEST_F(ProgressRecordTest, ADamagedRecordIsWrittenAfreshOnTheNextCompletion) {
    write_record("[progress]\nboard1=junk\nboard2=6\n[other]\nx=1\n");
    record_completion(file(), levlib(), 0, 1);
    EXPECT_EQ(read(), Levels(2, 6));
    // A record that cannot be written is no reason to stop playing.
    const RtString nowhere((dir_ / "missing" / "record.ini").c_str());
    const ProgressRecord r = record_completion(nowhere, levlib(), 0, 2);
    EXPECT_EQ(r.furthest[0], 3);
    EXPECT_EQ(read_progress(nowhere, levlib()).furthest[0], 1);
}

TEST(Progress, BoardsStartAtTheChosenLevelOnlyWhenItWasReached) {
    ProgressRecord record;
    record.furthest[0] = 6;
    record.furthest[1] = 9;
    struct Case {
        int board;
        double choice, expected;
    };
    const Case cases[] = {
        {0, 0, 6}, {0, 1, 1}, {0, 6, 6}, {0, 7, 6},  {0, 2.5, 6}, {0, -1, 6}, {1, 0, 9},
        {1, 1, 1}, {1, 2, 9}, {1, 5, 5}, {1, 10, 9}, {1, 9, 9},   {2, 0, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(starting_level(record, c.board, c.choice), c.expected)
            << "board " << c.board << " choice " << c.choice;
}

// The menu's choices read the record and the names from the game directory.
TEST_F(ProgressRecordTest, LevelChoicesListOnlyReachedLevelsWithTheirNames) {
    std::ofstream(dir_ / "levlib" / "levels.ini") << "[level2]\nname=Two steps\n";
    write_record("[progress]\nboard1=3\nboard2=7\n");
    const RtString home = rt_get_current_dir();
    rt_set_current_dir(dir_.c_str());
    refresh_level_choices();
    rt_set_current_dir(home);
    struct Case {
        const char* type;
        double value, next;
        const char* label;
    };
    const Case cases[] = {
        {"level:1", 0, 1, "furthest: 3"}, {"level:1", 1, 2, "1"},
        {"level:1", 2, 0, "2 Two steps"}, {"level:1", 3, 0, "3"},
        {"level:1", 9, 1, "furthest: 3"}, {"level:2", 0, 1, "furthest: 7"},
        {"level:2", 1, 5, "1"},           {"level:2", 5, 6, "5"},
        {"level:2", 6, 0, "6"},           {"level:2", 3, 1, "furthest: 7"},
        {"level", 2, 0, "2 Two steps"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.value));
        EXPECT_EQ(next_level_choice(c.type, c.value), c.next);
        EXPECT_EQ(level_choice_label(c.type, c.value, 16).str(), c.label);
    }
    EXPECT_EQ(level_choice_label("level:1", 2, 4).str(), "2 Tw");
}

} // namespace
