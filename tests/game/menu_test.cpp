// menu_test.cpp: the settings menu driven frame by frame on the test clock
// with scripted keys and a scripted joystick: cursor wrap, toggles written
// back, binding labels and capture, leaving pages, "button" lines, and the
// box as it appears on screen.
#include "screen_test_support.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/input.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const char* kMenu = "[root]\n"
                              "1name=Play\n1type=button\n1value=3\n"
                              "2name=Options\n2type=DIR\n2value=options\n"
                              "3name=Keys\n3type=dir\n3value=keys\n"
                              "[options]\n"
                              "1name=Sound\n1type=Toggle:Off,On\n1value=1\n"
                              "2name=Camera\n2type=toggle: near, far ,top\n2value=2\n"
                              "3name=Nowhere\n3type=dir\n3value=empty\n"
                              "4name=Lost\n4type=dir\n"
                              "[keys]\n"
                              "1name=Up\n1type=key\n1value=K200\n"
                              "2name=Fire\n2type=key\n2value=K\n"
                              "3name=Jump\n3type=key\n3value=K57\n";

class Menu : public ::testing::Test {
  protected:
    void SetUp() override {
        screen_test::open_window(320, 240);
        // A file of its own: opening a settings file writes back what the
        // previous test changed in its own.
        static int files = 0;
        settings_ = screen_test::temp_dir() + "/menu" + std::to_string(++files) + ".ini";
        std::ofstream(settings_) << kMenu;
        InputScriptClear();
        DIJOYSTATE resting;
        InputScriptJoystick(0, resting);
        MenuOpen(settings_.c_str());
        settle();
    }
    void TearDown() override { InputScriptClear(); }

    double frame() {
        double result = MenuFrame();
        ShowScreen();
        return result;
    }
    // Frames until no page is moving.
    void settle() {
        for (int i = 0; i < 200 && menu_state().slide != 0; ++i)
            frame();
    }
    // A key pressed for one frame, released in the next; then the page rests.
    void press(int key) {
        InputScriptKey(key, true);
        frame();
        InputScriptKey(key, false);
        frame();
        settle();
    }
    // Moves the cursor down to `line` of the root page and opens it.
    void open_root_line(int line) {
        for (int i = 0; i < line; ++i)
            press(kKeyDown);
        press(kKeyRight);
        settle();
    }
    std::string display(int line) const { return rt_index(menu_state().display, line).str(); }
    std::string value(const char* page, int line) const {
        return ini_get(page, RtString(line) + "value").str();
    }

    screen_test::TestClock clock_;
    std::string settings_;
};

TEST_F(Menu, CursorWrapsAtBothEnds) {
    struct Case {
        int start, key, expected;
    };
    const Case cases[] = {{0, kKeyUp, 2}, {2, kKeyDown, 0}, {1, kKeyUp, 0}, {1, kKeyDown, 2}};
    for (const Case& c : cases) {
        menu_state().cursor = c.start;
        press(c.key);
        EXPECT_EQ(menu_state().cursor, c.expected) << "from line " << c.start;
    }
}

TEST_F(Menu, HeldKeyMovesTheCursorOnce) {
    InputScriptKey(kKeyDown, true);
    for (int i = 0; i < 5; ++i)
        frame();
    InputScriptKey(kKeyDown, false);
    frame();
    EXPECT_EQ(menu_state().cursor, 1);
}

TEST_F(Menu, TogglesStepThroughTheirChoicesAndAreWrittenBack) {
    open_root_line(1);
    ASSERT_EQ(menu_state().page.str(), "options");
    EXPECT_EQ(display(0), "On");
    press(kKeyRight);
    EXPECT_EQ(value("options", 1), "0");
    EXPECT_EQ(display(0), "Off");
    press(kKeyReturn);
    EXPECT_EQ(display(0), "On") << "Return selects like Right";
    // Three choices with spaces round them: the last wraps to the first.
    press(kKeyDown);
    EXPECT_EQ(display(1), "Top");
    press(kKeyRight);
    EXPECT_EQ(value("options", 2), "0");
    EXPECT_EQ(display(1), "Near");
    // Opening the menu again writes the store back to the file.
    MenuOpen(settings_.c_str());
    std::ifstream in(settings_);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("1value=1"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("2value=0"), std::string::npos) << text.str();
}

// A stored index outside the choices says so, and one press brings it to
// the first choice (a screen value of 99 must not land on a full screen).
TEST_F(Menu, ToggleOutsideItsChoicesSaysSoAndStepsToTheFirst) {
    ini_put("options", "1value", "7");
    ini_put("options", "2value", "-6");
    open_root_line(1);
    EXPECT_EQ(display(0), "*INVALID*");
    EXPECT_EQ(display(1), "*INVALID*");
    press(kKeyRight);
    EXPECT_EQ(value("options", 1), "0");
    EXPECT_EQ(display(0), "Off");
    press(kKeyDown);
    press(kKeyRight);
    EXPECT_EQ(value("options", 2), "0") << "a negative index comes back at the first";
    ini_put("options", "2value", "4");
    MenuFrame();
    press(kKeyRight);
    EXPECT_EQ(value("options", 2), "0") << "not (3 + 4 + 1) mod 3";
}

TEST_F(Menu, KeyLinesShowTheBindingName) {
    open_root_line(2);
    ASSERT_EQ(menu_state().page.str(), "keys");
    EXPECT_EQ(display(0), "UP");
    EXPECT_EQ(display(1), "*NONE*");
    EXPECT_EQ(display(2), "SPACE");
}

TEST_F(Menu, CapturingAJoystickButtonStoresItsCode) {
    open_root_line(2);
    InputScriptKey(kKeyReturn, true);
    frame();
    EXPECT_EQ(menu_state().capture, 1);
    // Return is still held: it must not become the binding.
    frame();
    frame();
    EXPECT_EQ(menu_state().capture, 1);
    EXPECT_EQ(value("keys", 1), "K200");
    InputScriptKey(kKeyReturn, false);
    frame();
    DIJOYSTATE pressed;
    pressed.rgbButtons[0] = 0x80;
    InputScriptJoystick(0, pressed);
    frame();
    EXPECT_EQ(menu_state().capture, -1);
    EXPECT_EQ(value("keys", 1), "J0-16");
    InputScriptJoystick(0, DIJOYSTATE());
    frame();
    EXPECT_EQ(menu_state().capture, 0);
    EXPECT_EQ(display(0), BindingLabel("J0-16").str());
}

TEST_F(Menu, EscapeCancelsACaptureAndKeepsTheBinding) {
    open_root_line(2);
    press(kKeyDown);
    press(kKeyDown);
    press(kKeyReturn);
    ASSERT_EQ(menu_state().capture, 1);
    InputScriptKey(kKeyEscape, true);
    frame();
    EXPECT_EQ(menu_state().capture, 0);
    frame();
    InputScriptKey(kKeyEscape, false);
    frame();
    EXPECT_EQ(value("keys", 3), "K57");
    EXPECT_EQ(menu_state().capture, 0);
}

TEST_F(Menu, LeftDoesNothingOnRootAndLeavesOtherPagesForRoot) {
    press(kKeyDown);
    press(kKeyLeft);
    EXPECT_EQ(menu_state().page.str(), "root");
    EXPECT_EQ(menu_state().slide, 0);
    EXPECT_EQ(menu_state().cursor, 1);
    press(kKeyRight); // "options", 4 lines
    press(kKeyUp);
    ASSERT_EQ(menu_state().cursor, 3);
    press(kKeyUp);
    press(kKeyLeft);
    EXPECT_EQ(menu_state().page.str(), "root");
    EXPECT_EQ(menu_state().cursor, 1) << "on the line that led to the page left";
}

// Going back marks the line that leads to the page just left, so Return
// there does not start something the player never chose; any other page
// opens at its first line.
TEST_F(Menu, PagesOpenAtTheLineLeadingBackOrAtTheFirst) {
    struct Case {
        const char* keys; // d down, u up, l left, r right
        const char* page;
        int cursor;
    };
    const Case cases[] = {
        {"drddl", "root", 1},  // Options, cursor on its third line, Left
        {"ddrdl", "root", 2},  // Keys, cursor on its second line, Left
        {"ddrl", "root", 2},   // Keys at once, Left
        {"dr", "options", 0},  // a fresh page: first line
        {"drdddr", "root", 1}, // "Lost" leads to the start page: back onto Options
        {"drddr", "empty", 0},  {"drddrl", "root", 0}, // no line of the start page leads to "empty"
        {"drlr", "options", 0}, // back on Options, and in again at its first line
    };
    for (const Case& c : cases) {
        MenuOpen(settings_.c_str());
        settle();
        for (const char* k = c.keys; *k != 0; ++k)
            press(*k == 'd' ? kKeyDown : *k == 'u' ? kKeyUp : *k == 'l' ? kKeyLeft : kKeyRight);
        EXPECT_EQ(menu_state().page.str(), c.page) << c.keys;
        EXPECT_EQ(menu_state().cursor, c.cursor) << c.keys;
    }
}

TEST_F(Menu, AKeyHeldBeforeThePageAppearsDoesNotMoveTheCursor) {
    for (int key : {kKeyDown, kKeyUp}) {
        InputScriptKey(key, true);
        MenuOpen(settings_.c_str());
        settle();
        frame();
        InputScriptKey(key, false);
        frame();
        EXPECT_EQ(menu_state().cursor, 0) << key;
        press(kKeyDown);
        EXPECT_EQ(menu_state().cursor, 1) << "a fresh press acts";
    }
}

TEST_F(Menu, DirLinesWithoutASectionOrValue) {
    // "empty" has no lines: nothing is drawn and only Left leads out.
    open_root_line(1);
    press(kKeyDown);
    press(kKeyDown);
    press(kKeyRight);
    ASSERT_EQ(menu_state().page.str(), "empty");
    EXPECT_EQ(rt_bounds(menu_state().names, 0), 0);
    press(kKeyRight);
    press(kKeyReturn);
    press(kKeyDown);
    EXPECT_EQ(menu_state().page.str(), "empty");
    press(kKeyLeft);
    EXPECT_EQ(menu_state().page.str(), "root");
    // A "dir" line without a value leads to the start page.
    open_root_line(1);
    for (int i = 0; i < 3; ++i)
        press(kKeyDown);
    press(kKeyRight);
    EXPECT_EQ(menu_state().page.str(), "root");
}

TEST_F(Menu, ButtonReturnsItsValueOnlyAfterTheSlideOut) {
    InputScriptKey(kKeyRight, true);
    int zero_frames = 0;
    double result = 0;
    for (int i = 0; i < 100 && result == 0; ++i) {
        result = frame();
        if (result == 0) ++zero_frames;
    }
    EXPECT_EQ(result, 3);
    // 500 ms at no more than 20 ms a frame.
    EXPECT_GE(zero_frames, 25);
    EXPECT_EQ(menu_state().slide, 0);
}

TEST_F(Menu, SlideStepIsCappedAtTwentyMilliseconds) {
    MenuOpen(settings_.c_str());
    // One long frame (a second) moves the page by 20 ms only.
    engine().previous_frame_time_stamp = 0;
    engine().frame_time_stamp = 1000;
    MenuFrame();
    EXPECT_NEAR(menu_state().slide, kSlideIn + 20.0 / 500, 1e-9);
}

// The box on a white screen at rest: half-dark box, the cursor bar lighter,
// the screen outside untouched; half-way through a slide the box sits half
// a screen to the right.
TEST_F(Menu, BoxAndCursorBarOnScreen) {
    LoadFont("", 0);
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    ASSERT_GT(ch, 0);
    RtArray<RtString> names, display;
    rt_dim(names, 3);
    rt_dim(display, 3);
    rt_index(names, 0) = "A";
    const int w = 320, h = 240, bw = 240;
    const int top = static_cast<int>((h - 7 * ch) / 2);
    struct Case {
        double slide;
        int left;
    };
    for (Case c : {Case{0, (w - bw) / 2}, Case{0.75, (w - bw) / 2 + w / 4}}) {
        SCOPED_TRACE(c.slide);
        FillRect(0, 0, w, h, kWhite);
        MenuDraw(c.slide, 1, names, display);
        const int mid = c.left + bw / 2;
        const int cursor_y = static_cast<int>(top + 3 * ch + ch / 2);
        const int line_y = static_cast<int>(top + 2 * ch + ch / 2);
        // Translucent rectangles have their colour scaled by their opacity too.
        const double box = 255 * (1 - 0.5);
        const double bar = 255 * 0.7 * 0.7 + box * (1 - 0.7);
        EXPECT_NEAR(screen_test::grey(mid, line_y), box, 6);
        EXPECT_NEAR(screen_test::grey(mid, cursor_y), bar, 6);
        EXPECT_EQ(screen_test::grey(c.left - 4, line_y), 255);
        EXPECT_EQ(screen_test::grey(mid, top - 4), 255);
        ShowScreen();
    }
}

} // namespace

// A key chosen for one line that another line of this player or of the
// other player's board already has: the two lines swap, and the page says so.
TEST_F(Menu, AKeyAlreadyBoundSwapsWithTheLineThatHadIt) {
    struct Case {
        int key;
        const char* p1; // keyconfig1 lines 1..3 after, then keyconfig2 lines 1..2
        const char* notice;
    };
    const Case cases[] = {
        {kKeyRight, "K200 K35 K205 | K17 K36", "Was on Right: swapped"},
        {kKeyW, "K200 K205 K17 | K35 K36", "Was on Up (other player): swapped"},
        {kKeyH, "K200 K205 K35 | K17 K36", ""}, // its own key again
        {kKeyQ, "K200 K205 K16 | K17 K36", ""}, // a free key
        {kKeyJ, "K200 K205 K36 | K17 K35", "Was on Hint (other player): swapped"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file = settings_ + ".swap" + std::to_string(++n);
        std::ofstream(file) << "[root]\n1name=P1\n1type=dir\n1value=keyconfig1\n"
                               "[keyconfig1]\n1name=Up\n1type=key\n1value=K200\n"
                               "2name=Right\n2type=key\n2value=K205\n"
                               "3name=Hint\n3type=key\n3value=K35\n"
                               "[keyconfig2]\n1name=Up\n1type=key\n1value=K17\n"
                               "2name=Hint\n2type=key\n2value=K36\n";
        MenuOpen(file.c_str());
        settle();
        press(kKeyRight);
        press(kKeyDown);
        press(kKeyDown);
        press(kKeyReturn);
        ASSERT_EQ(menu_state().capture, 1);
        press(c.key);
        EXPECT_EQ(menu_state().capture, 0);
        std::string got;
        for (int i = 1; i <= 3; ++i)
            got += value("keyconfig1", i) + " ";
        got += "|";
        for (int i = 1; i <= 2; ++i)
            got += " " + value("keyconfig2", i);
        EXPECT_EQ(got, c.p1) << c.key;
        EXPECT_EQ(menu_state().notice.str(), c.notice) << c.key;
        press(kKeyDown);
        EXPECT_EQ(menu_state().notice.str(), "") << "gone at the next key";
    }
}

// While a line waits for its new key, the box says what to press and that
// Escape cancels: text on the two rows under the heading.
TEST_F(Menu, RedefiningSaysWhatToPress) {
    LoadFont("", 0);
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    RtArray<RtString> names, display;
    rt_dim(names, 3);
    rt_dim(display, 3);
    const int w = 320, h = 240, bw = 240, left = (w - bw) / 2;
    const int top = static_cast<int>((h - 7 * ch) / 2);
    menu_state().capture = 1;
    FillRect(0, 0, w, h, kWhite);
    MenuDraw(0, 0, names, display);
    menu_state().capture = 0;
    for (int row : {3, 4}) {
        int lit = 0;
        for (int x = left; x < left + bw; ++x)
            for (int y = static_cast<int>(top + row * ch); y < top + (row + 1) * ch; ++y)
                lit += screen_test::grey(x, y) > 200 ? 1 : 0;
        EXPECT_GT(lit, 20) << "row " << row;
    }
    ShowScreen();
}

// Choices are shown as words, whatever token the file keeps for them.
TEST_F(Menu, ChoicesAreShownAsWords) {
    const std::string file = settings_ + ".words";
    std::ofstream(file) << "[root]\n1name=Screen\n1type=toggle:640x480,800x600,full640x480,"
                           "full1024x768,fullx,board,9x9x9\n1value=0\n";
    MenuOpen(file.c_str());
    settle();
    const char* expected[] = {"Window 640 x 480",
                              "Window 800 x 600",
                              "Full screen 640 x 480",
                              "Full screen 1024 x 768",
                              "Fullx",
                              "Board",
                              "9x9x9",
                              "Window 640 x 480"};
    for (const char* e : expected) {
        EXPECT_EQ(display(0), e);
        press(kKeyRight);
    }
}

// A settings file as a player may keep it: comments, a blank line, CR LF.
static const std::string kCommentedSettings =
    "; my settings\r\n[root]\r\n1name=Play\r\n1type=button\r\n"
    "1value=3\r\n\r\n2name=Options\r\n2type=dir\r\n2value=options\r\n"
    "[options]\r\n; sound\r\n1name=Sound\r\n1type=toggle:off,on\r\n"
    "1value=1\r\n";

static std::string file_bytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A game chosen with nothing changed leaves the settings file as it was,
// byte for byte: its comments, blank lines and line ends stay, and the
// menu's own bookkeeping never reaches it.
TEST_F(Menu, ChoosingAGameLeavesAnUnchangedFileAsItWas) {
    const std::string file = settings_ + ".same";
    const std::string text = kCommentedSettings;
    std::ofstream(file, std::ios::binary) << text;
    MenuOpen(file.c_str());
    settle();
    press(kKeyDown);
    press(kKeyRight);
    press(kKeyLeft);
    press(kKeyUp);
    double chosen = 0;
    InputScriptKey(kKeyReturn, true);
    for (int i = 0; i < 100 && chosen == 0; ++i)
        chosen = frame();
    InputScriptKey(kKeyReturn, false);
    ASSERT_EQ(chosen, 3);
    ini_open((file + ".other").c_str()); // the store writes back what it changed
    EXPECT_EQ(file_bytes(file), text);
}

// A choice the player changes is set on its own line; the comments, blank
// lines and line ends around it stay.
TEST_F(Menu, ChangingAChoiceEditsOnlyItsLine) {
    const std::string file = settings_ + ".edit";
    const std::string before = kCommentedSettings;
    std::ofstream(file, std::ios::binary) << before;
    MenuOpen(file.c_str());
    settle();
    press(kKeyDown);
    press(kKeyRight);
    ASSERT_EQ(menu_state().page.str(), "options");
    press(kKeyRight);
    ini_open((file + ".other").c_str());
    std::string after = before;
    after.replace(after.rfind("1value=1"), 8, "1value=0");
    EXPECT_EQ(file_bytes(file), after);
}
