// menu_mouse_test.cpp: the settings menu by mouse, frame by frame on the test
// clock with a scripted pointer: lines under the pointer, the wheel, clicks
// on every kind of line, the right button, and the bar drawn where the
// pointer selects.
#include "screen_test_support.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/input.h"

#include <gtest/gtest.h>

#include <ostream>

#include <fstream>
#include <string>

namespace {

constexpr const char* kMenu = "[root]\n"
                              "1name=Play\n1type=button\n1value=3\n"
                              "2name=Options\n2type=dir\n2value=options\n"
                              "3name=Keys\n3type=dir\n3value=keys\n"
                              "[options]\n"
                              "1name=Sound\n1type=Toggle:Off,On\n1value=1\n"
                              "2name=Camera\n2type=toggle:near,far,top\n2value=2\n"
                              "[keys]\n"
                              "1name=Up\n1type=key\n1value=K200\n"
                              "2name=Fire\n2type=key\n2value=K57\n";

// What the pointer does: moves over a line, clicks one, clicks the right
// button, turns the wheel (1 away from the player), or a key is pressed.
enum class Do { kMove, kClick, kClickOutside, kRight, kWheel, kKey };
struct Act {
    Do what;
    int arg = 0;
};

struct Case {
    const char* name;
    std::vector<Act> acts;
    const char* page;
    double cursor;
    double returned = 0;        // what MenuFrame returned, 0 for nothing
    double capture = 0;         // capturing afterwards
    const char* value_key = ""; // "page/line" whose value is checked
    const char* value = "";
};

const Case kCases[] = {
    {"pointer over a line moves the cursor", {{Do::kMove, 2}}, "root", 2},
    {"the wheel towards the player moves down", {{Do::kWheel, -1}}, "root", 1},
    {"the wheel away from the player wraps up", {{Do::kWheel, 1}}, "root", 2},
    {"a resting pointer leaves the keys alone", {{Do::kMove, 1}, {Do::kKey, kKeyDown}}, "root", 2},
    {"a click on a dir line opens its page", {{Do::kClick, 1}}, "options", 0},
    {"a right click goes back to root, onto the line it came by",
     {{Do::kClick, 2}, {Do::kRight}},
     "root",
     2},
    {"a right click on root does nothing", {{Do::kMove, 1}, {Do::kRight}}, "root", 1},
    {"a click on a toggle steps it",
     {{Do::kClick, 1}, {Do::kClick, 1}},
     "options",
     1,
     0,
     0,
     "options/2",
     "0"},
    {"a click on a button line returns its value", {{Do::kClick, 0}}, "root", 0, 3},
    {"a click outside the box does nothing", {{Do::kClickOutside}}, "root", 0},
    {"a click on a key line captures", {{Do::kClick, 2}, {Do::kClick, 1}}, "keys", 1, 0, 1},
    {"a right click cancels the capture",
     {{Do::kClick, 2}, {Do::kClick, 1}, {Do::kRight}},
     "keys",
     1,
     0,
     0,
     "keys/2",
     "K57"},
};

// Failures name the case.
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class MenuMouse : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        screen_test::open_window(320, 240);
        LoadFont("", 0);
        static int files = 0;
        settings_ = screen_test::temp_dir() + "/mouse" + std::to_string(++files) + ".ini";
        std::ofstream(settings_) << kMenu;
        InputScriptClear();
        // The game's own pointer: the visible system pointer, as at start-up.
        SetSystemPointer(1);
        InputScriptMouseMove(1, 1);
        MenuOpen(settings_.c_str());
        settle();
    }
    void TearDown() override { InputScriptClear(); }

    void frame() {
        const double result = MenuFrame();
        if (result != 0) returned_ = result;
        ShowScreen();
    }
    void settle() {
        for (int i = 0; i < 200 && menu_state().slide != 0; ++i)
            frame();
        frame();
    }
    void point_at(int line) {
        const int lines = static_cast<int>(rt_bounds(menu_state().names, 0));
        const MenuLineBox box = menu_line_box(line, lines);
        InputScriptMouseMove(static_cast<int>((box.left + box.right) / 2),
                             static_cast<int>((box.top + box.bottom) / 2));
        frame();
    }
    void click(int button) {
        InputScriptMouseButton(button, true);
        frame();
        InputScriptMouseButton(button, false);
        frame();
        settle();
    }
    void act(const Act& a) {
        switch (a.what) {
        case Do::kMove:
            point_at(a.arg);
            break;
        case Do::kClick:
            point_at(a.arg);
            click(0);
            break;
        case Do::kClickOutside:
            InputScriptMouseMove(2, 2);
            frame();
            click(0);
            break;
        case Do::kRight:
            click(1);
            break;
        case Do::kWheel:
            InputScriptMouseWheel(a.arg);
            frame();
            settle();
            break;
        case Do::kKey:
            InputScriptKey(a.arg, true);
            frame();
            InputScriptKey(a.arg, false);
            frame();
            settle();
            break;
        }
    }

    screen_test::TestClock clock_;
    std::string settings_;
    double returned_ = 0;
};

} // namespace

TEST_P(MenuMouse, Acts) {
    const Case& c = GetParam();
    for (const Act& a : c.acts)
        act(a);
    EXPECT_EQ(menu_state().page.str(), c.page);
    EXPECT_EQ(menu_state().cursor, c.cursor);
    EXPECT_EQ(returned_, c.returned);
    EXPECT_EQ(menu_state().capture, c.capture);
    const std::string key = c.value_key;
    if (!key.empty()) {
        const std::size_t slash = key.find('/');
        EXPECT_EQ(ini_get(RtString(key.substr(0, slash).c_str()),
                          RtString((key.substr(slash + 1) + "value").c_str()))
                      .str(),
                  c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(Pointer, MenuMouse, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// The line the pointer selects is the one the bar is drawn on.
TEST_F(MenuMouse, BarDrawnUnderThePointer) {
    point_at(2);
    ASSERT_EQ(menu_state().cursor, 2);
    const MenuLineBox box = menu_line_box(2, 3);
    const MenuLineBox above = menu_line_box(1, 3);
    FillRect(0, 0, 320, 240, kWhite);
    MenuDraw(0, menu_state().cursor, menu_state().names, menu_state().display);
    const int x = static_cast<int>(box.left + 3 * (box.right - box.left) / 4);
    const double bar = 255 * 0.7 * 0.7 + 255 * 0.5 * (1 - 0.7);
    EXPECT_NEAR(screen_test::grey(x, static_cast<int>((box.top + box.bottom) / 2)), bar, 6);
    EXPECT_NEAR(screen_test::grey(x, static_cast<int>((above.top + above.bottom) / 2)), 127, 6);
    ShowScreen();
}

// A window that grows under a resting pointer shows the picture lower down,
// so the pointer lies over another line; the player did not move it, and
// the cursor stays where the keys put it.
TEST_F(MenuMouse, AWindowResizedUnderARestingPointerMovesNoCursor) {
    point_at(2);
    act({Do::kKey, kKeyDown});
    ASSERT_EQ(menu_state().cursor, 0);
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    SetWindowSize(320, 240 + 2 * ch); // the picture one line lower, between bars
    for (int i = 0; i < 5; ++i)
        frame();
    // The pointer does lie over line 1 now.
    double x = 0, y = 0, left = 0, right = 0;
    MouseState(&x, &y, &left, &right);
    const MenuLineBox line = menu_line_box(1, 3);
    EXPECT_TRUE(y >= line.top && y < line.bottom) << y << " beside " << line.top;
    EXPECT_EQ(menu_state().cursor, 0);
    SetWindowSize(320, 240);
    frame();
}
