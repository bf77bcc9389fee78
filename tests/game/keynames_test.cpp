// keynames_test.cpp: the labels the settings menu shows for binding codes.
#include "game/rules/board.h"

#include <gtest/gtest.h>

TEST(KeyNames, BindingLabels) {
    const struct {
        const char* code;
        const char* label;
    } cases[] = {
        {"K200", "UP"},
        {"K57", "SPACE"},
        {"K2", "1"},
        {"K11", "0"},
        {"K237", "MEDIASELECT"},
        {"K", "*NONE*"},
        {"K0", ""},
        {"K84", ""},
        {"K300", ""},
        {"K-1", ""},
        {"k200", "*NONE*"},
        {"", "*NONE*"},
        {"NO_DATA", "*NONE*"},
        {"J0-3", "J1,POS_Y"},
        {"J1-16", "J2,BUT_1"},
        {"J0-47", "J1,BUT_32"},
        {"J0-48", "J1,BUT_33"},
        {"J9-15", "J10,POS_POVY"},
        {"J0", "0"},
        {"J0-1-2", "0"},
        // Hand-edited numbers far outside the int range are held at its ends.
        {"J0-99999999999", "J1,BUT_2147483647"},
        {"J0-1e300", "J1,BUT_2147483647"},
        {"J0-0.5", "J1,BUT_-14"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BindingLabel(c.code).str(), c.label) << c.code;
}

TEST(KeyNames, TableNamesExactlyTheKnownCodes) {
    RtArray<RtString> table;
    BuildKeyNameTable(table);
    ASSERT_EQ(rt_bounds(table, 0), 256);
    int named = 0;
    for (int code = 0; code < 256; ++code)
        named += !rt_index(table, code).empty();
    EXPECT_EQ(named, 144);
    EXPECT_EQ(KeyName(1).str(), "ESC");
    EXPECT_EQ(KeyName(256).str(), "");
    EXPECT_EQ(ControlName(13).str(), "POS_POVX");
    EXPECT_EQ(ControlName(16).str(), "BUT_1");
}
