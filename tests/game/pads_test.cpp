// pads_test.cpp: a game pad alone in the settings menu (moving with the
// D-pad or the stick, repeating while held, selecting, going back, binding
// pad controls beside the keys) and naming itself in the key legend.
#include "screen_test_support.h"
#include "support/virtual_pad.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace {

using test_pads::VirtualPad;

// The full pad's own numbers: buttons as the standard layout, axis 1 the
// left stick's y, axis 5 the right trigger.
constexpr int kA = 0, kB = 1, kDpadUp = 11, kDpadDown = 12;
constexpr int kLeftStickY = 1, kRightTrigger = 5;

constexpr const char* kMenu = "[root]\n"
                              "1name=Play\n1type=button\n1value=3\n"
                              "2name=Keys\n2type=dir\n2value=keys\n"
                              "3name=Three\n3type=dir\n3value=keys\n"
                              "4name=Four\n4type=dir\n4value=keys\n"
                              "5name=Five\n5type=dir\n5value=keys\n"
                              "6name=Six\n6type=dir\n6value=keys\n"
                              "7name=Seven\n7type=dir\n7value=keys\n"
                              "8name=Quit\n8type=button\n8value=-1\n"
                              "[keys]\n"
                              "1name=Up\n1type=key\n1value=K200\n1pad=P0-11\n"
                              "2name=Fire\n2type=key\n2value=K57\n"
                              "3name=A long line name\n3type=key\n3value=K57\n"
                              "3pad=P1-14\n";

class PadMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        screen_test::open_window(320, 240);
        static int files = 0;
        settings_ = screen_test::temp_dir() + "/padmenu" + std::to_string(++files) + ".ini";
        std::ofstream(settings_) << kMenu;
        InputScriptClear();
        MenuOpen(settings_.c_str());
        settle();
        // Plugged in after the menu opened: its controls must still be
        // captured although the menu's first look at the inputs lacked it.
        pad_.emplace();
    }
    void TearDown() override {
        pad_.reset();
        InputScriptClear();
    }

    double frame() {
        const double result = MenuFrame();
        ShowScreen();
        return result;
    }
    void settle() {
        for (int i = 0; i < 200 && menu_state().slide != 0; ++i)
            frame();
    }
    // A pad button down for one frame, up for the next; then the page rests.
    void tap(int button) {
        pad_->button(button, true);
        frame();
        pad_->button(button, false);
        frame();
        settle();
    }
    void push_stick(Sint16 y) {
        pad_->axis(kLeftStickY, y);
        frame();
        pad_->axis(kLeftStickY, 0);
        frame();
    }
    std::string display(int line) const { return rt_index(menu_state().display, line).str(); }
    std::string get(const char* key) const { return ini_get("keys", key).str(); }

    screen_test::TestClock clock_;
    std::string settings_;
    std::optional<VirtualPad> pad_;
};

TEST_F(PadMenu, DpadAndStickMoveASelectsBGoesBack) {
    tap(kDpadDown);
    EXPECT_EQ(menu_state().cursor, 1);
    push_stick(32767);
    EXPECT_EQ(menu_state().cursor, 2) << "the stick pushed down";
    push_stick(10000);
    EXPECT_EQ(menu_state().cursor, 2) << "a stick a little off centre moves nothing";
    push_stick(-20000);
    EXPECT_EQ(menu_state().cursor, 1) << "the stick pushed up";
    tap(kA);
    EXPECT_EQ(menu_state().page.str(), "keys");
    tap(kB);
    EXPECT_EQ(menu_state().page.str(), "root");
    EXPECT_EQ(menu_state().cursor, 1) << "back marks the line that led to the page left";
    tap(kDpadUp);
    pad_->button(kA, true);
    double chosen = 0;
    for (int i = 0; i < 100 && chosen == 0; ++i)
        chosen = frame();
    EXPECT_EQ(chosen, 3) << "A on a button line chooses it";
}

// Held, the D-pad moves once, then again after 400 ms and every 150 ms.
TEST_F(PadMenu, AHeldDirectionRepeats) {
    pad_->button(kDpadDown, true);
    for (int i = 0; i < 50; ++i) // about 820 ms: moves at 0, 400, 550 and 700 ms
        frame();
    pad_->button(kDpadDown, false);
    frame();
    EXPECT_EQ(menu_state().cursor, 4);
}

// A pad control chosen for a key line goes beside its key; a key pressed
// there replaces the key and keeps the pad's.
TEST_F(PadMenu, RedefiningTakesPadButtonsTriggersAndSticksBesideTheKey) {
    tap(kDpadDown);
    tap(kA);
    ASSERT_EQ(menu_state().page.str(), "keys");
    EXPECT_EQ(display(0), "UP / D-pad up");
    EXPECT_EQ(display(1), "SPACE") << "a line without a pad binding names only its key";
    struct Case {
        int line;
        std::function<void(bool)> press;
        const char *value, *pad, *shown;
    } cases[] = {
        {0, [&](bool down) { pad_->button(kB, down); }, "K200", "P0-1", "UP / Pad B"},
        {1, [&](bool down) { pad_->axis(kRightTrigger, down ? 32767 : -32768); }, "K57", "P0-24",
         "SPACE / Pad RT"},
        {0, [&](bool down) { pad_->axis(kLeftStickY, down ? -32768 : 0); }, "K200", "P0-17",
         "UP / L stick up"},
        {0, [&](bool down) { InputScriptKey(kKeyJ, down); }, "K36", "P0-17", "J / L stick up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        while (menu_state().cursor != c.line)
            tap(kDpadDown);
        tap(kA);
        ASSERT_EQ(menu_state().capture, 1);
        c.press(true);
        frame();
        EXPECT_EQ(menu_state().capture, -1);
        c.press(false);
        frame();
        frame();
        EXPECT_EQ(menu_state().capture, 0);
        const std::string n = std::to_string(c.line + 1);
        EXPECT_EQ(get((n + "value").c_str()), c.value);
        EXPECT_EQ(get((n + "pad").c_str()), c.pad);
        EXPECT_EQ(display(c.line), c.shown);
    }
}

// A key and a pad control too long to fit beside a long name are cut, so
// the name stays readable: at least a gap between name and bracket.
TEST_F(PadMenu, LongLabelsLeaveTheLineNameReadable) {
    LoadFont("", 0);
    tap(kDpadDown);
    tap(kA);
    ASSERT_EQ(menu_state().page.str(), "keys");
    double w = 0, h = 0, cw = 0, ch = 0;
    GetScreenSize(&w, &h);
    GetFontSize(&cw, &ch);
    const int columns = static_cast<int>(std::trunc(0.75 * w) / cw);
    const std::string name = "A long line name";
    EXPECT_LE(name.size() + display(2).size() + 5, static_cast<size_t>(columns)) << display(2);
    EXPECT_EQ(display(2).rfind("SPACE/Pad", 0), 0u) << display(2);
}

PlayerControls controls(const char* pad) {
    const char* keys[] = {"K200", "K208", "K203", "K205", "K57", "K14", "K211"};
    const int controls[] = {kPadDpadUp, kPadDpadDown, kPadDpadLeft, kPadDpadRight,
                            kPadA,      kPadB,        kPadBack};
    PlayerControls c;
    for (int i = 0; i < 7; ++i) {
        c.bindings[i] = keys[i];
        c.pads[i] = RtString(pad) + "-" + RtString(controls[i]);
    }
    return c;
}

// The legend names the pad's controls while the player's pad is plugged
// in, and the keys otherwise.
TEST(PadLegend, NamesThePadWhileItIsPluggedIn) {
    screen_test::open_window(320, 240);
    const std::string keys = "Arrows: walk  SPACE: next  BACK: undo  DELETE: restart  ESC: menu";
    PlayerControls stick = controls("P0");
    stick.pads[0] = "P0-17", stick.pads[1] = "P0-18", stick.pads[2] = "P0-15";
    stick.pads[3] = "P0-16", stick.pads[5] = "";
    struct Case {
        int pads_plugged;
        PlayerControls controls;
        std::string expected;
    } cases[] = {
        {0, controls("P0"), keys},
        {1, controls("P0"),
         "D-pad: walk  Pad A: next  Pad B: undo  Pad Back: restart  Pad Start: menu"},
        {1, controls("P1"), keys},
        {2, controls("P1"),
         "Pad2 D-pad: walk  Pad2 A: next  Pad2 B: undo  Pad2 Back: restart  Pad2 Start: menu"},
        {1, stick, "L stick: walk  Pad A: next  BACK: undo  Pad Back: restart  Pad Start: menu"},
    };
    for (const Case& c : cases) {
        std::optional<VirtualPad> first, second;
        if (c.pads_plugged >= 1) first.emplace();
        if (c.pads_plugged >= 2) second.emplace();
        const RtArray<RtString> lines = legend_lines(c.controls, "", 200);
        ASSERT_EQ(rt_bounds(lines, 0), 1);
        EXPECT_EQ(rt_index(lines, 0).str(), c.expected) << c.pads_plugged << " pads plugged in";
    }
}

} // namespace
