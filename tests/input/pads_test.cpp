// Game pads through SDL's virtual game controllers: controls by their place
// in the standard layout whatever a pad's own numbering, sticks and
// triggers by side, hot plugging out and in, and slots kept while others
// come and go.
#include "input/input_devices.h"
#include "input/scancodes.h"
#include "platform/platform.h"
#include "support/virtual_pad.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using test_pads::VirtualPad;

class Pads : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ASSERT_TRUE(plat_start());
        InputReset(input_devices());
        InputSetup(input_devices(), nullptr, nullptr, 0);
        plat_pump_events();
    }
    void TearDown() override { plat_pump_events(); }

    // Every control of the pad that reads non-zero.
    static std::vector<int> active(int pad) {
        std::vector<int> controls;
        for (int c = 0; c < kPadControlCount; ++c)
            if (PadControl(pad, c) != 0) controls.push_back(c);
        return controls;
    }
};

TEST_F(Pads, ButtonsReadByTheirPlaceWhateverThePadNumbersThem) {
    struct Case {
        VirtualPad::Kind kind;
        int raw;
        int control;
    } cases[] = {
        {VirtualPad::kFull, 0, kPadA},          {VirtualPad::kFull, 1, kPadB},
        {VirtualPad::kFull, 2, kPadX},          {VirtualPad::kFull, 6, kPadStart},
        {VirtualPad::kFull, 9, kPadLB},         {VirtualPad::kFull, 11, kPadDpadUp},
        {VirtualPad::kFull, 14, kPadDpadRight}, {VirtualPad::kSmall, 0, kPadA},
        {VirtualPad::kSmall, 1, kPadB},         {VirtualPad::kSmall, 2, kPadStart},
        {VirtualPad::kSmall, 3, kPadDpadUp},    {VirtualPad::kSmall, 4, kPadDpadDown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.kind == VirtualPad::kFull ? "full" : "small")
                                        << " pad, its button " << c.raw);
        VirtualPad pad(c.kind);
        ASSERT_EQ(PadAttached(0), 1);
        EXPECT_EQ(active(0), std::vector<int>{});
        pad.button(c.raw, true);
        EXPECT_EQ(active(0), std::vector<int>{c.control});
        pad.button(c.raw, false);
        EXPECT_EQ(active(0), std::vector<int>{});
    }
}

TEST_F(Pads, SticksReadBySideAndTriggersFromRest) {
    VirtualPad pad;
    EXPECT_EQ(active(0), std::vector<int>{}) << "sticks centred and triggers at rest";
    struct Case {
        int raw_axis;
        Sint16 value;
        int control;
        double expected;
        int other_side; // reads 0 meanwhile (-1: none)
    } cases[] = {
        {0, -32768, kPadLeftStickLeft, 1.0, kPadLeftStickRight},
        {0, 16384, kPadLeftStickRight, 16384 / 32767.0, kPadLeftStickLeft},
        {1, -32768, kPadLeftStickUp, 1.0, kPadLeftStickDown},
        {1, 32767, kPadLeftStickDown, 1.0, kPadLeftStickUp},
        {2, 32767, kPadRightStickRight, 1.0, kPadRightStickLeft},
        {3, -16384, kPadRightStickUp, 16384 / 32767.0, kPadRightStickDown},
        {4, 32767, kPadLT, 1.0, -1},
        {5, 32767, kPadRT, 1.0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "axis " << c.raw_axis << " at " << c.value);
        pad.axis(c.raw_axis, c.value);
        EXPECT_NEAR(PadControl(0, c.control), c.expected, 1e-4);
        if (c.other_side >= 0) {
            EXPECT_EQ(PadControl(0, c.other_side), 0);
        }
        pad.axis(c.raw_axis, c.raw_axis >= 4 ? -32768 : 0);
        EXPECT_EQ(active(0), std::vector<int>{}) << "back at rest";
    }
}

TEST_F(Pads, PulledOutReadsReleasedAndPluggedInAgainWorks) {
    VirtualPad pad;
    pad.button(0, true);
    ASSERT_EQ(PadControl(0, kPadA), 1);
    pad.unplug();
    EXPECT_EQ(PadAttached(0), 0);
    EXPECT_EQ(PadCount(), 0);
    EXPECT_EQ(active(0), std::vector<int>{}) << "a button held while pulled out is released";
    plat_pump_events();
    EXPECT_EQ(active(0), std::vector<int>{});
    pad.plug();
    EXPECT_EQ(PadAttached(0), 1);
    EXPECT_EQ(active(0), std::vector<int>{});
    pad.button(1, true);
    EXPECT_EQ(active(0), std::vector<int>{kPadB});
}

// The second pad keeps its number while the first is away; a pad plugged in
// takes the first free slot.
TEST_F(Pads, SlotsStayWhileOthersComeAndGo) {
    VirtualPad first, second;
    ASSERT_EQ(PadCount(), 2);
    first.unplug();
    EXPECT_EQ(PadAttached(0), 0);
    EXPECT_EQ(PadCount(), 2);
    second.button(6, true);
    EXPECT_EQ(PadControl(1, kPadStart), 1);
    first.plug();
    EXPECT_EQ(PadAttached(0), 1);
    first.button(0, true);
    EXPECT_EQ(active(0), std::vector<int>{kPadA});
    EXPECT_EQ(active(1), std::vector<int>{kPadStart});
}

// A tap between two frames is read once, then follows the pad again.
TEST_F(Pads, ATapBetweenTwoReadsIsReadOnce) {
    VirtualPad pad;
    pad.button(3, true);
    pad.button(3, false);
    EXPECT_EQ(PadControl(0, kPadY), 1);
    plat_pump_events();
    EXPECT_EQ(PadControl(0, kPadY), 0);
}

} // namespace
