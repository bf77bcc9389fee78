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
        // Pads by the names of the standard layout; the D-pad and the sticks
        // need no "Pad" for the first pad.
        {"P0-0", "Pad A"},
        {"P0-1", "Pad B"},
        {"P0-6", "Pad Start"},
        {"P0-9", "Pad LB"},
        {"P0-11", "D-pad up"},
        {"P0-14", "D-pad right"},
        {"P0-15", "L stick left"},
        {"P0-22", "R stick down"},
        {"P0-24", "Pad RT"},
        {"P1-0", "Pad2 A"},
        {"P1-11", "Pad2 D-pad up"},
        {"P9-23", "Pad10 LT"},
        {"P0-25", "*NONE*"},
        {"P0-0.5", "*NONE*"},
        {"P0", "*NONE*"},
        {"P0-1-2", "*NONE*"},
        {"p0-0", "*NONE*"},
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
