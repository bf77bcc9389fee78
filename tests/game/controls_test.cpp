// controls_test.cpp: binding codes against scripted keys and joysticks, the
// once-per-press rule, and the snapshots that learn a new binding.
#include "game_fixture.h"

using namespace game_test;

namespace {

class Controls : public ::testing::Test {
  protected:
    void SetUp() override { InputScriptClear(); }
    void TearDown() override {
        InputScriptClear();
        game_values().option_repeat = 0;
    }
};

DIJOYSTATE centred() {
    return DIJOYSTATE{};
}

std::vector<double> queries(PlayerControls& controls, Action action, int times) {
    std::vector<double> results;
    for (int i = 0; i < times; ++i)
        results.push_back(ActionPressed(controls, action));
    return results;
}

// Player controls with the right action (4value) and undo (6value) bound.
PlayerControls controls_with(const char* right, const char* undo) {
    PlayerControls controls;
    controls.bindings[3] = right;
    controls.bindings[5] = undo;
    return controls;
}

} // namespace

TEST_F(Controls, BindingCodesReadTheirInput) {
    InputScriptKey(kKeyUp, true);
    DIJOYSTATE pad0 = centred();
    pad0.rgdwPOV[0] = 27000; // hat towards negative x
    InputScriptJoystick(0, pad0);
    DIJOYSTATE pad1 = centred();
    pad1.rgbButtons[1] = 128;
    InputScriptJoystick(1, pad1);
    const struct {
        const char* code;
        double value;
    } cases[] = {
        {"K200", 1},  {"K201", 0},  {"K", 0},     {"k200", 0},    {"NO_DATA", 0},
        {"", 0},      {"J1-17", 1}, {"J1-16", 0}, {"J1-17-2", 0}, {"J1", 0},
        {"J0-12", 1}, {"J0-13", 0}, {"J2-17", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EvalBinding(c.code), c.value) << c.code;
    pad0.rgdwPOV[0] = 9000;
    InputScriptJoystick(0, pad0);
    EXPECT_EQ(EvalBinding("J0-12"), 0);
    EXPECT_EQ(EvalBinding("J0-13"), 1);
}

TEST_F(Controls, HeldActionFiresOncePerPressWithoutRepeat) {
    PlayerControls controls = controls_with("K205", "K22");
    InputScriptKey(kKeyRight, true);
    EXPECT_EQ(queries(controls, kActionRight, 4), (std::vector<double>{1, 0, 0, 0}));
    InputScriptKey(kKeyRight, false);
    EXPECT_EQ(ActionPressed(controls, kActionRight), 0);
    InputScriptKey(kKeyRight, true);
    EXPECT_EQ(ActionPressed(controls, kActionRight), 1) << "a new press fires again";
}

TEST_F(Controls, RepeatFiresEveryQueryUnlessACommandIsHeld) {
    game_values().option_repeat = 1;
    PlayerControls controls = controls_with("K205", "K22");
    InputScriptKey(kKeyRight, true);
    EXPECT_EQ(queries(controls, kActionRight, 3), (std::vector<double>{1, 1, 1}));
    InputScriptKey(kKeyU, true);
    PlayerControls fresh = controls_with("K205", "K22");
    EXPECT_EQ(queries(fresh, kActionRight, 3), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(queries(fresh, kActionUndo, 2), (std::vector<double>{1, 0}))
        << "undo fires once per press";
}

TEST_F(Controls, AxisAtPointFourFiresCommandsButDoesNotMove) {
    DIJOYSTATE pad = centred();
    pad.lX = static_cast<std::int32_t>(0.4 * 32767);
    InputScriptJoystick(0, pad);
    EXPECT_NEAR(JoyControlValue(0, 1, 0), 0.4, 0.001);
    EXPECT_EQ(JoyControlValue(0, 0, 0), 0) << "the other side of the axis";
    EXPECT_EQ(JoyControlValue(0, 1, 0.4), 0) << "inside the snapshot's dead zone";
    PlayerControls controls = controls_with("J0-1", "J0-1");
    EXPECT_EQ(ActionPressed(controls, kActionRight), 0);
    EXPECT_EQ(ActionPressed(controls, kActionUndo), 1);
    pad.lX = static_cast<std::int32_t>(0.6 * 32767);
    InputScriptJoystick(0, pad);
    PlayerControls moving = controls_with("J0-1", "");
    EXPECT_EQ(ActionPressed(moving, kActionRight), 1);
}

TEST_F(Controls, NewlyPressedBindingNamesTheFirstNewInput) {
    InputScriptKey(kKeyA, true);
    TakeInputSnapshot(reference_snapshot());
    InputSnapshot now;
    TakeInputSnapshot(now);
    EXPECT_EQ(NewlyPressedBinding(now, reference_snapshot()).str(), "") << "held all along";
    InputScriptKey(kKeyZ, true);
    InputScriptKey(kKeyQ, true);
    TakeInputSnapshot(now);
    EXPECT_EQ(NewlyPressedBinding(now, reference_snapshot()).str(), "K16");

    InputScriptClear();
    DIJOYSTATE pad = centred();
    InputScriptJoystick(1, pad);
    InputSnapshot before;
    TakeInputSnapshot(before);
    pad.rgbButtons[2] = 128;
    pad.lY = -32767;
    InputScriptJoystick(1, pad);
    TakeInputSnapshot(now);
    EXPECT_EQ(NewlyPressedBinding(now, before).str(), "J1-2") << "NEG_Y comes before BUT_3";
    InputScriptKey(kKeyEscape, true);
    TakeInputSnapshot(now);
    EXPECT_EQ(NewlyPressedBinding(now, before).str(), "K1") << "keys come first";
}

TEST_F(Controls, PlayerControlsComeFromTheirSettingsSection) {
    auto file = level_dir() / "controls.ini";
    std::ofstream(file) << "[keyconfig2]\r\n1value=K200\r\n4value=J0-13\r\n7value=K19\r\n";
    ini_open(file.c_str());
    PlayerControls controls;
    controls.last_action = kActionUp;
    LoadPlayerControls(controls, 2);
    const char* expected[7] = {"K200", "NO_DATA", "NO_DATA", "J0-13", "NO_DATA", "NO_DATA", "K19"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(controls.bindings[i].str(), expected[i]) << i + 1 << "value";
    EXPECT_EQ(controls.last_action, kNoAction);
}

// Hint and redo read the eighth and ninth bindings and fire once per press
// like the other commands, even with the repeat option on.
TEST_F(Controls, HelpActionsReadTheLastTwoBindings) {
    game_values().option_repeat = 1;
    PlayerControls controls;
    controls.bindings[7] = "K35";
    controls.bindings[8] = "K21";
    InputScriptKey(35, true);
    EXPECT_EQ(queries(controls, kActionHint, 3), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(ActionPressed(controls, kActionRedo), 0);
    InputScriptKey(35, false);
    InputScriptKey(21, true);
    EXPECT_EQ(queries(controls, kActionRedo, 3), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(ActionPressed(controls, kActionHint), 0);
    // A held help key is a held command: walking keeps to once per press.
    controls.bindings[3] = "K205";
    InputScriptKey(205, true);
    EXPECT_EQ(queries(controls, kActionRight, 3), (std::vector<double>{1, 0, 0}));

    auto file = level_dir() / "help.ini";
    std::ofstream(file) << "[keyconfig1]\r\n8value=K35\r\n9value=J0-20\r\n";
    ini_open(file.c_str());
    LoadPlayerControls(controls, 1);
    EXPECT_EQ(controls.bindings[7].str(), "K35");
    EXPECT_EQ(controls.bindings[8].str(), "J0-20");
    EXPECT_EQ(controls.bindings[6].str(), "NO_DATA");
}
