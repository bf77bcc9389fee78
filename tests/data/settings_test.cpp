// The shipped settings file defines the menu the game needs: player counts
// and quit on the start page, the three options, and seven key bindings for
// each of two players sharing one keyboard, with a pad control beside each.
#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string name, type, value;
};

std::string get(const std::string& section, const std::string& key) {
    return ini_get(RtString(section.c_str()), RtString(key.c_str())).c_str();
}

std::vector<Entry> page(const std::string& section) {
    std::vector<Entry> entries;
    for (int i = 1;; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = get(section, n + "name");
        if (name == "NO_DATA") break;
        entries.push_back({name, get(section, n + "type"), get(section, n + "value")});
    }
    return entries;
}

std::vector<std::string> toggle_choices(const std::string& type) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : type + ",") {
        if (c == ' ' || c == ',' || c == ':') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!parts.empty()) parts.erase(parts.begin()); // the word "toggle"
    return parts;
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { ini_open(RtString("cropstack.ini")); }
};

TEST_F(Settings, StartPageOffersPlayerCountsQuitAndSubPages) {
    const std::vector<Entry> root = page("root");
    std::set<int> counts;
    std::set<std::string> pages;
    bool quit = false;
    for (const Entry& e : root) {
        if (e.type == "button") {
            const int v = std::stoi(e.value);
            if (v <= 0)
                quit = true;
            else
                counts.insert(v);
        } else if (e.type == "dir") {
            pages.insert(e.value);
        }
    }
    EXPECT_EQ(counts, (std::set<int>{1, 2, 4}));
    EXPECT_TRUE(quit);
    EXPECT_EQ(pages, (std::set<std::string>{"options", "keyconfig1", "keyconfig2"}));
    for (const std::string& p : pages)
        EXPECT_FALSE(page(p).empty()) << p;
}

// The quit line must make the title screen end: a button value of 0 is
// indistinguishable from "nothing chosen yet", so quit has to be negative.
TEST_F(Settings, QuitButtonIsNegative) {
    for (const Entry& e : page("root")) {
        if (e.name == "Quit") {
            EXPECT_LT(std::stoi(e.value), 0);
        }
    }
}

TEST_F(Settings, OptionsAreTogglesWithTheirChoices) {
    const std::vector<Entry> opts = page("options");
    ASSERT_GE(opts.size(), 4u);
    const size_t expected[] = {6, 2, 3}; // screen modes, repeat off/on, camera modes
    for (int i = 0; i < 3; ++i) {
        const Entry& e = opts[i + 1];
        EXPECT_EQ(e.type.rfind("toggle", 0), 0u) << e.name;
        const auto choices = toggle_choices(e.type);
        EXPECT_EQ(choices.size(), expected[i]) << e.name;
        EXPECT_EQ(e.value, "0") << e.name;
        // The menu box holds at least 30 characters at 640 pixels: the name, the
        // longest choice in brackets and the borders must fit.
        for (const std::string& c : choices)
            EXPECT_LE(e.name.size() + c.size() + 5, 30u) << e.name << " [" << c << "]";
    }
}

// Both players' keys are keyboard keys other than Escape (which cannot be
// bound) and no key serves two actions.
TEST_F(Settings, KeyPagesBindSevenDistinctKeys) {
    std::set<std::string> used;
    for (const char* section : {"keyconfig1", "keyconfig2"}) {
        const std::vector<Entry> keys = page(section);
        ASSERT_GE(keys.size(), 7u) << section;
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(keys[i].type, "key") << section << " " << i + 1;
            ASSERT_EQ(keys[i].value[0], 'K') << section << " " << i + 1;
            const int code = std::stoi(keys[i].value.substr(1));
            EXPECT_GT(code, 1) << section;
            EXPECT_LT(code, 256) << section;
            EXPECT_TRUE(used.insert(keys[i].value).second) << keys[i].value << " bound twice";
        }
    }
    // Player 1 walks with the arrow keys: up, down, left, right.
    const std::vector<Entry> p1 = page("keyconfig1");
    EXPECT_EQ(p1[0].value, "K200");
    EXPECT_EQ(p1[1].value, "K208");
    EXPECT_EQ(p1[2].value, "K203");
    EXPECT_EQ(p1[3].value, "K205");
}

// Lines 8 and 9 are the help keys, bound to keys no other action of either
// player uses, and the page still ends with the way back.
TEST_F(Settings, KeyPagesEndWithHintRedoAndBack) {
    std::set<std::string> used;
    for (const char* section : {"keyconfig1", "keyconfig2"}) {
        for (const Entry& e : page(section)) {
            if (e.type != "key") continue;
            EXPECT_TRUE(used.insert(e.value).second) << e.value << " bound twice";
        }
    }
    const struct {
        const char* section;
        const char* hint;
        const char* redo;
    } pages[] = {{"keyconfig1", "K35", "K21"}, {"keyconfig2", "K33", "K34"}};
    for (const auto& p : pages) {
        const std::vector<Entry> keys = page(p.section);
        ASSERT_EQ(keys.size(), 10u) << p.section;
        EXPECT_EQ(keys[7].name, "Hint");
        EXPECT_EQ(keys[7].type, "key");
        EXPECT_EQ(keys[7].value, p.hint) << p.section;
        EXPECT_EQ(keys[8].name, "Redo");
        EXPECT_EQ(keys[8].type, "key");
        EXPECT_EQ(keys[8].value, p.redo) << p.section;
        EXPECT_EQ(keys[9].type, "dir") << p.section;
        EXPECT_EQ(keys[9].value, "root") << p.section;
    }
}

// Beside each key, player 1's first pad and player 2's second: every action
// on a control of its own, walking on the D-pad (up, down, left, right:
// controls 11 to 14), and Start (6) left free, as it leaves a game.
TEST_F(Settings, KeyPagesBindEachPlayersOwnPad) {
    const struct {
        const char* section;
        const char* pad;
    } pages[] = {{"keyconfig1", "P0-"}, {"keyconfig2", "P1-"}};
    for (const auto& p : pages) {
        std::set<int> used;
        for (int i = 1; i <= 9; ++i) {
            const std::string code = get(p.section, std::to_string(i) + "pad");
            ASSERT_EQ(code.rfind(p.pad, 0), 0u) << p.section << " " << i << ": " << code;
            const int control = std::stoi(code.substr(3));
            EXPECT_GE(control, 0) << code;
            EXPECT_LT(control, 25) << code;
            EXPECT_NE(control, 6) << p.section << " " << i << " takes Start";
            EXPECT_TRUE(used.insert(control).second) << code << " bound twice";
            if (i <= 4) {
                EXPECT_EQ(control, 10 + i) << p.section << " walks on the D-pad";
            }
        }
    }
}

} // namespace
