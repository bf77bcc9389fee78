// level_info_test.cpp: the level library's names and fewest moves, as the
// level tool writes them and the game reads them back.
#include "game_fixture.h"

#include "game/rules/board.h"

#include <gtest/gtest.h>

namespace {

using game_test::info_from;

TEST(LevelInfoFile, WhatTheLevelToolWritesTheGameReads) {
    const std::vector<LevelInfoEntry> written = {
        {"First steps", 12},  {"", 7}, {"Nameless count", -1}, {"", -1}, {"Zero", 0},
        {"Doors = 2 arms", 3}};
    const LevelInfo info = info_from(level_info_text(written));
    for (std::size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(info.name(i + 1).str(), written[i].name);
        EXPECT_EQ(info.fewest(i + 1), written[i].fewest);
    }
    EXPECT_EQ(info.name(7).str(), "") << "a level without an entry";
    EXPECT_EQ(info.fewest(7), -1);
}

TEST(LevelInfoFile, CountsThatAreNotWholeNumbersAreUnknown) {
    const std::pair<const char*, double> cases[] = {
        {"12", 12},  {"0", 0},        {"-3", -1},      {"12.5", -1},
        {"1e3", -1}, {"7 moves", -1}, {"9999999", -1}, {"twelve", -1},
    };
    for (const auto& [moves, expected] : cases)
        EXPECT_EQ(info_from(std::string("[level1]\nmoves=") + moves + "\n").fewest(1), expected)
            << moves;
    EXPECT_EQ(info_from("").fewest(1), -1) << "no file";
}

} // namespace
