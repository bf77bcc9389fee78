// level_picture_test.cpp: the picture-to-level encoder the tests, the
// benchmarks and the level tool share: each kind of cell, both wall styles,
// and the pictures it refuses.
#include "game/rules/board.h"

#include <gtest/gtest.h>

namespace {

LevelLines encode(const std::string& picture, WallRecords walls = WallRecords::kRuns) {
    LevelLines lines;
    std::string error;
    EXPECT_TRUE(encode_level_picture(level_picture_rows(picture), walls, lines, error)) << error;
    return lines;
}

// One floor run per 26 cells: the whole 360-cell board of floor.
const std::string kAllFloor = std::string(13, 'Z') + "V";

TEST(LevelPicture, EachKindOfCellBecomesItsRecord) {
    struct Case {
        const char* picture;
        const char* walls;
        const char* blocks;
        const char* doors;
        const char* people;
    } cases[] = {
        {"1.E", "", "", "", "AAAAAAAACAAA"},
        {"###/#1E",
         "AACA"
         "ABAB",
         "", "", "BBAAAAAACBAA"},
        {".1B/.BE", "",
         "CA"
         "CA"
         "BB"
         "BB",
         "", "BAAAAAAACBAA"},
        {".aa1/.aaE", "", "BACB", "", "DAAAAAAADBAA"},
        {"..|/.-+-/..|1E", "", "", "CBO", "DCAAAAAAECAA"},
        {"..+1E", "", "", "CA@", "DAAAAAAAEAAA"},
        {"12345E", "", "", "", "AABACADAFAEA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        LevelLines lines = encode(c.picture);
        EXPECT_EQ(lines.walls, c.walls);
        EXPECT_EQ(lines.blocks, c.blocks);
        EXPECT_EQ(lines.doors, c.doors);
        EXPECT_EQ(lines.people, c.people);
        EXPECT_EQ(lines.terrain, kAllFloor);
    }
}

TEST(LevelPicture, WallsAsRunsOrAsFewRectangles) {
    const std::string ring = "####/#1E#/####";
    EXPECT_EQ(encode(ring, WallRecords::kRuns).walls, "AADA"
                                                      "ABAB"
                                                      "DBDB"
                                                      "ACDC");
    EXPECT_EQ(encode(ring, WallRecords::kRectangles).walls, "AADA"
                                                            "ABAC"
                                                            "DBDC"
                                                            "BCCC");
}

TEST(LevelPicture, HolesAndSpacesAreHolesAndTheRestIsFloor) {
    // Row 0: floor, two holes (one drawn as a space), floor to the row's end;
    // everything the picture does not reach is floor.
    EXPECT_EQ(encode("1~ E").terrain, "Ab" + std::string(13, 'Z') + "S");
}

TEST(LevelPicture, RefusesWhatNoLevelCanHold) {
    struct Case {
        std::string picture;
        const char* reason;
    } cases[] = {
        {std::string(21, '.'), "larger than the board"},
        {std::string(18, '/') + "1E", "larger than the board"},
        {"1aE/aa.", "not part of a rectangle"},
        {"1aaE/.ab.", "not part of a rectangle"},
        {"1|E", "no single pivot"},
        {"+./|./+.", "no single pivot"},
        {"1-+E", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        LevelLines lines;
        std::string error;
        bool ok =
            encode_level_picture(level_picture_rows(c.picture), WallRecords::kRuns, lines, error);
        if (std::string(c.reason).empty()) {
            EXPECT_TRUE(ok) << error;
        } else {
            EXPECT_FALSE(ok);
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}

TEST(LevelPicture, FileLinesFillEmptyListsWithTheFiller) {
    LevelLines lines = encode("#####/#1B.#/#..E#/#####");
    const std::vector<std::string> file = level_file_lines(encode("1E"));
    EXPECT_EQ(file, (std::vector<std::string>{".", ".", ".", "AAAAAAAABAAA", kAllFloor}));
    EXPECT_EQ(lines.blocks, "CBCB");
}

} // namespace
