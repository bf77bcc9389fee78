// title_escape_test.cpp: Escape on the real title screen while the menu is
// capturing a new key: the menu cancels the capture and keeps the binding,
// and the title screen goes on; a later Escape with nothing captured still
// leaves it. Keys are pressed by the frame step's reset hook, on the test
// clock.
#include "screen_test_support.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"
#include "scene3d/scene3d.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {


// Where the script has got to; each step waits for the menu to be ready.
enum Step { kOpenKeys, kChooseUp, kCancel, kHoldEscape, kWatch, kLeave, kDone };

struct Script {
    Step step = kOpenKeys;
    int wait = 0;
    int frames = 0;
    // What the menu showed a few frames after the cancelling Escape.
    double capture_after = -9;
    std::string binding_after;
};
Script g_script;

bool page_at_rest(const char* page) {
    const MenuState& m = menu_state();
    return m.page == page && m.slide == 0 && m.capture == 0;
}

void press(int key, Step next) {
    InputScriptKey(key, true);
    g_script.step = next;
}

void script_frame() {
    UseShader(-1); // the renderer's own reset
    Script& s = g_script;
    // A title that never ends is ended, and the checks below fail.
    if (++s.frames > 3000) InputScriptKey(kKeyEscape, true);
    switch (s.step) {
    case kOpenKeys:
        if (page_at_rest("root")) press(kKeyReturn, kChooseUp);
        break;
    case kChooseUp:
        InputScriptKey(kKeyReturn, false);
        if (page_at_rest("keyconfig1")) press(kKeyReturn, kCancel);
        break;
    case kCancel:
        InputScriptKey(kKeyReturn, false);
        if (menu_state().capture == 1) {
            press(kKeyEscape, kHoldEscape);
            s.wait = 6;
        }
        break;
    case kHoldEscape:
        if (--s.wait > 0) break;
        InputScriptKey(kKeyEscape, false);
        s.step = kWatch;
        s.wait = 10;
        break;
    case kWatch:
        if (--s.wait > 0) break;
        s.capture_after = menu_state().capture;
        s.binding_after = ini_get("keyconfig1", "1value").str();
        s.step = kLeave;
        break;
    case kLeave:
        press(kKeyEscape, kDone);
        break;
    case kDone:
        break;
    }
}

std::string file_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class TitleEscape : public ::testing::Test {
  protected:
    void SetUp() override {
        screen_test::open_window(640, 480);
        home_ = fs::current_path();
        dir_ = fs::path(screen_test::temp_dir()) / "title-escape";
        fs::create_directories(dir_);
        std::ofstream(dir_ / "cropstack.ini")
            << "[root]\n1name=Player 1 keys\n1type=dir\n1value=keyconfig1\n"
               "2name=Quit\n2type=button\n2value=-1\n"
               "[keyconfig1]\n1name=Up\n1type=key\n1value=K200\n"
               "2name=Down\n2type=key\n2value=K208\n";
        fs::current_path(dir_);
        InputScriptClear();
        g_script = Script();
        scene3d(); // made first: making it sets the renderer's own reset hook
        SetFrameResetHook(script_frame);
    }
    void TearDown() override {
        SetFrameResetHook([] { UseShader(-1); });
        InputScriptClear();
        // The store writes back under the relative name it was opened with:
        // let it do so here, then hold a file of no one else.
        ini_open((dir_ / "detached.ini").c_str());
        fs::current_path(home_);
    }
    fs::path home_, dir_;
};

} // namespace

TEST_F(TitleEscape, EscapeCancelsACaptureWithoutLeavingTheTitle) {
    screen_test::TestClock clock;
    EXPECT_EQ(title_screen(), -1);
    EXPECT_EQ(g_script.step, kDone) << "the title screen ended at step " << g_script.step;
    EXPECT_EQ(g_script.capture_after, 0) << "the capture was cancelled";
    EXPECT_EQ(g_script.binding_after, "K200");
    EXPECT_LT(g_script.frames, 3000);
    ini_open((dir_ / "detached.ini").c_str()); // writes back what changed
    const std::string saved = file_text(dir_ / "cropstack.ini");
    EXPECT_NE(saved.find("1value=K200"), std::string::npos) << saved;
}
