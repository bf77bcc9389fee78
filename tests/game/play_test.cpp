// play_test.cpp: whole games of play_game on the test clock, with keys
// pressed on chosen frames and every frame's boards recorded: levels
// completed and restarted through the fades, Escape, two boards side by
// side, and levels that cannot be started.
#include "game_fixture.h"
#include "screen_test_support.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "platform/plat_video.h"
#include "scene3d/scene3d.h"
#include "support/virtual_pad.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr double kFrameMs = 50;
constexpr int kFrameLimit = 400;

// One board as seen at the end of a frame.
struct Seen {
    double level, fade, characters, x;
    double floor_slot;
};

// A key held from frame `down` and released at frame `up`.
struct KeyPress {
    int key, down, up;
};

struct GameRun {
    std::vector<KeyPress> keys;
    std::vector<std::vector<Seen>> frames; // [frame][board]
    bool hit_limit = false;
};
GameRun* g_run = nullptr;

// After drawing, before the present: record the boards, move the clock on
// one frame and set the keys for the next frame.
void observe(const RtArray<BoardState>& boards) {
    GameRun& run = *g_run;
    std::vector<Seen> seen;
    for (int i = 0; i < rt_bounds(boards, 0); ++i) {
        const BoardState& b = rt_index(boards, i);
        double n = rt_bounds(b.characters, 0);
        seen.push_back({b.level_number, b.fade_timer, n, n > 0 ? rt_index(b.characters, 0).m.x : -1,
                        b.floor_slot});
    }
    run.frames.push_back(seen);
    int frame = static_cast<int>(run.frames.size());
    plat_test_clock_advance(kFrameMs);
    for (const KeyPress& k : run.keys) {
        if (frame == k.down) InputScriptKey(k.key, true);
        if (frame == k.up) InputScriptKey(k.key, false);
    }
    // A game that does not end by itself is ended, and the test fails.
    if (frame >= kFrameLimit) {
        run.hit_limit = true;
        InputScriptKey(kKeyEscape, true);
    }
}

// The level: character 1 at (3, 2), two cells left of the exit, walled in.
const std::vector<std::string> kLevel = {"", "  #####", "  #1.E#", "  #####"};

class Play : public ::testing::Test {
  protected:
    void SetUp() override {
        screen_test::open_window(320, 240);
        GameValues& g = game_values();
        g.screen_width = 320;
        g.screen_height = 240;
        install_presentation();
        home_ = rt_get_current_dir();
        InputScriptClear();
    }
    void TearDown() override {
        // Settings opened by a relative name must not be written back elsewhere.
        ini_open((screen_test::temp_dir() + "/detached.ini").c_str());
        rt_set_current_dir(home_);
        InputScriptClear();
        set_play_frame_observer(nullptr);
        g_run = nullptr;
    }

    // A game directory of its own: the settings and the given levels
    // (an empty picture writes a file that is not a level).
    void make_game_dir(const std::string& name,
                       const std::vector<std::pair<int, std::vector<std::string>>>& levels) {
        fs::path dir = fs::path(screen_test::temp_dir()) / name;
        fs::create_directories(dir / "levlib");
        std::ofstream(dir / "cropstack.ini")
            << "[options]\n3value=0\n4value=0\n"
               "[keyconfig1]\n1value=K200\n2value=K208\n3value=K203\n4value=K205\n"
               "5value=K49\n6value=K22\n7value=K19\n"
               "[keyconfig2]\n1value=K17\n2value=K31\n3value=K30\n4value=K32\n"
               "5value=K15\n6value=K16\n7value=K20\n";
        for (const auto& [number, picture] : levels) {
            std::ofstream out(dir / ("levlib/QLEV" + std::to_string(number) + ".CMD"));
            if (picture.empty()) out << "not a level\r\n";
            for (const std::string& line : game_test::level_lines(picture))
                if (!picture.empty()) out << line << "\r\n";
        }
        // The line-file cache knows files by name only: have it hold another one.
        std::ofstream(dir / "other.txt") << "x\r\n";
        lf_get_text((dir / "other.txt").c_str(), 0);
        // The settings store writes back changes under the name it was opened
        // with, which may be relative: let it do so before the directory changes.
        ini_open((dir / "other.ini").c_str());
        ASSERT_EQ(rt_set_current_dir(dir.c_str()), 1);
    }

    double play(double players, std::vector<KeyPress> keys) {
        run_.keys = std::move(keys);
        g_run = &run_;
        set_play_frame_observer(observe);
        double result = play_game(players);
        EXPECT_FALSE(run_.hit_limit) << "the game did not end";
        return result;
    }

    // The frames, from the first, of board `b` for which pred holds.
    template <class Pred> int count_frames(int b, Pred pred) const {
        int n = 0;
        for (const auto& f : run_.frames)
            if (pred(f[b])) ++n;
        return n;
    }
    std::vector<double> levels_seen(int b) const {
        std::vector<double> levels;
        for (const auto& f : run_.frames)
            if (levels.empty() || levels.back() != f[b].level) levels.push_back(f[b].level);
        return levels;
    }

    screen_test::TestClock clock_;
    RtString home_;
    GameRun run_;
};

std::string log_text() {
    std::ifstream in(rt_log_path().str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(Play, CompletedLevelFadesToTheNextLevel) {
    make_game_dir("complete", {{1, kLevel}, {2, kLevel}});
    EXPECT_EQ(play(1, {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}, {kKeyEscape, 70, 71}}), 0);
    EXPECT_EQ(levels_seen(0), (std::vector<double>{1, 2}));
    // The iris closes over a second, the next level is loaded closed, and
    // it opens over a second.
    size_t next = 0;
    while (next < run_.frames.size() && run_.frames[next][0].level == 1)
        ++next;
    ASSERT_LT(next, run_.frames.size());
    EXPECT_GT(run_.frames[next - 1][0].fade, 0.9);
    EXPECT_LT(run_.frames[next][0].fade, 0);
    EXPECT_EQ(run_.frames[next][0].characters, 1);
    EXPECT_EQ(run_.frames[next][0].x, 3) << "the new level starts from its own start";
    int closing = 0, opening = 0;
    for (size_t i = 0; i < 70; ++i) {
        double fade = run_.frames[i][0].fade;
        closing += fade > 0 ? 1 : 0;
        opening += fade < 0 ? 1 : 0;
    }
    EXPECT_NEAR(closing, 1000 / kFrameMs, 2);
    EXPECT_NEAR(opening, 1000 / kFrameMs, 2);
    EXPECT_EQ(run_.frames[69][0].fade, 0) << "playable again";
}

TEST_F(Play, RestartReloadsTheSameLevel) {
    make_game_dir("restart", {{1, kLevel}, {2, kLevel}});
    play(1, {{kKeyRight, 2, 3}, {kKeyR, 8, 9}, {kKeyEscape, 70, 71}});
    // Restart lowers the number while the iris closes; the fade adds it back.
    EXPECT_EQ(levels_seen(0), (std::vector<double>{1, 0, 1}));
    EXPECT_EQ(run_.frames[7][0].x, 4) << "moved before the restart";
    EXPECT_GT(count_frames(0, [](const Seen& s) { return s.fade < 0; }), 10);
    EXPECT_EQ(run_.frames[69][0].x, 3) << "back at the start";
    EXPECT_EQ(run_.frames[69][0].fade, 0);
}

TEST_F(Play, EscapeClosesEveryBoardAndEndsTheGame) {
    make_game_dir("escape", {{1, kLevel}, {5, kLevel}});
    struct Case {
        double players;
        size_t boards;
    };
    for (Case c : {Case{1, 1}, Case{2, 2}, Case{4, 2}}) {
        SCOPED_TRACE(c.players);
        run_ = GameRun();
        EXPECT_EQ(play(c.players, {{kKeyEscape, 3, 4}}), 0);
        ASSERT_FALSE(run_.frames.empty());
        EXPECT_EQ(run_.frames[0].size(), c.boards);
        const std::vector<Seen>& last = run_.frames.back();
        for (const Seen& s : last)
            EXPECT_GT(s.fade, 0.9) << "every iris closes";
        EXPECT_NEAR(run_.frames.size(), 3 + 1000 / kFrameMs, 2);
        InputScriptClear();
    }
}

// Two pads and no key: each board walks by its own pad's D-pad, as the
// settings give pad 1 to board 1 and pad 2 to board 2, and Start on a pad
// leaves the game as Escape does.
struct PadPress {
    int pad, button, down, up;
};
std::vector<PadPress> g_pad_presses;
test_pads::VirtualPad* g_pads[2] = {nullptr, nullptr};

void observe_with_pads(const RtArray<BoardState>& boards) {
    observe(boards);
    const int frame = static_cast<int>(g_run->frames.size());
    for (const PadPress& p : g_pad_presses) {
        if (frame == p.down) g_pads[p.pad]->button(p.button, true);
        if (frame == p.up) g_pads[p.pad]->button(p.button, false);
    }
}

TEST_F(Play, EachBoardWalksByItsOwnPadAndStartLeaves) {
    make_game_dir("pads", {{1, kLevel}, {2, kLevel}, {5, kLevel}});
    std::ofstream("cropstack.ini") << "[options]\n3value=0\n4value=0\n"
                                      "[keyconfig1]\n4value=K205\n4pad=P0-14\n"
                                      "[keyconfig2]\n4value=K32\n4pad=P1-14\n";
    test_pads::VirtualPad first, second;
    g_pads[0] = &first;
    g_pads[1] = &second;
    constexpr int kRight = 14, kStart = 6;
    g_pad_presses = {{0, kRight, 2, 3}, {0, kRight, 8, 9}, {1, kRight, 4, 5}, {1, kStart, 70, 71}};
    run_.keys = {};
    g_run = &run_;
    set_play_frame_observer(observe_with_pads);
    EXPECT_EQ(play_game(2), 0);
    EXPECT_FALSE(run_.hit_limit) << "Start did not end the game";
    g_pad_presses.clear();
    g_pads[0] = g_pads[1] = nullptr;
    EXPECT_EQ(levels_seen(0), (std::vector<double>{1, 2})) << "pad 1 finished board 1's level";
    EXPECT_EQ(levels_seen(1), (std::vector<double>{5}));
    EXPECT_EQ(run_.frames[20][1].x, 4) << "pad 2 moved board 2 once";
    EXPECT_NEAR(run_.frames.size(), 70 + 1000 / kFrameMs, 2) << "Start closed the boards";
}

TEST_F(Play, TwoBoardsRunIndependently) {
    make_game_dir("two", {{1, kLevel}, {5, kLevel}, {6, kLevel}});
    play(2, {{kKeyD, 2, 3}, {kKeyD, 8, 9}, {kKeyEscape, 70, 71}});
    EXPECT_EQ(levels_seen(0), (std::vector<double>{1}));
    EXPECT_EQ(levels_seen(1), (std::vector<double>{5, 6}));
    EXPECT_EQ(count_frames(0, [](const Seen& s) { return s.fade != 0; }),
              count_frames(0, [](const Seen& s) { return s.fade > 0; }));
    EXPECT_EQ(run_.frames[60][0].x, 3) << "board 0 did not move";
    EXPECT_EQ(run_.frames[0][0].floor_slot, 0);
    EXPECT_EQ(run_.frames[0][1].floor_slot, 101);
}

// Only a level completed counts: a restart or Escape leaves the record as it
// was, and the next game starts each board at its furthest level.
TEST_F(Play, CompletedLevelsAreRecordedAndTheNextGameStartsThere) {
    struct Case {
        const char* dir;
        double players;
        std::vector<KeyPress> keys;
        std::vector<double> next_start; // per board
    };
    const Case cases[] = {
        {"record-complete", 1, {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}, {kKeyEscape, 70, 71}}, {2}},
        {"record-restart", 1, {{kKeyRight, 2, 3}, {kKeyR, 8, 9}, {kKeyEscape, 70, 71}}, {1}},
        {"record-escape", 1, {{kKeyRight, 2, 3}, {kKeyEscape, 8, 9}}, {1}},
        {"record-board1", 2, {{kKeyD, 2, 3}, {kKeyD, 8, 9}, {kKeyEscape, 70, 71}}, {1, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        run_ = GameRun();
        make_game_dir(c.dir, {{1, kLevel}, {2, kLevel}, {5, kLevel}, {6, kLevel}});
        play(c.players, c.keys);
        InputScriptClear();
        run_ = GameRun();
        play(c.players, {{kKeyEscape, 3, 4}});
        ASSERT_FALSE(run_.frames.empty());
        for (std::size_t b = 0; b < c.next_start.size(); ++b)
            EXPECT_EQ(run_.frames[0][b].level, c.next_start[b]) << "board " << b;
        rt_set_current_dir(home_);
        InputScriptClear();
    }
}

// One cell takes 150 ms of the clock: three frames of 50 ms, the first two
// part of the way, the third arriving.
TEST_F(Play, OneCellTakesAHundredAndFiftyMilliseconds) {
    make_game_dir("pace", {{1, kLevel}});
    play(1, {{kKeyRight, 2, 3}, {kKeyEscape, 10, 11}});
    ASSERT_GE(run_.frames.size(), 6u);
    EXPECT_EQ(run_.frames[1][0].x, 3) << "not moved before the key";
    EXPECT_NEAR(run_.frames[2][0].x, 3 + 1 / 3.0, 0.01);
    EXPECT_NEAR(run_.frames[3][0].x, 3 + 2 / 3.0, 0.01);
    EXPECT_EQ(run_.frames[4][0].x, 4);
    EXPECT_EQ(run_.frames[5][0].x, 4);
}

// Where each board's 3D scene is set up: (viewport top, viewport height).
std::vector<std::pair<int, int>> g_scene_viewports;
void record_make3d(double near_plane, double far_plane, double fov) {
    g_scene_viewports.push_back({renderer().viewport_y, renderer().viewport_height});
    engine_presentation_calls().Make3D(near_plane, far_plane, fov);
}

TEST_F(Play, BoardsAreDrawnInTheirPartOfTheScreen) {
    make_game_dir("halves", {{1, kLevel}, {5, kLevel}});
    struct Case {
        double players;
        std::vector<std::pair<int, int>> viewports; // of the first frame
    };
    const Case cases[] = {{1, {{0, 240}}}, {2, {{0, 120}, {120, 120}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.players);
        run_ = GameRun();
        g_scene_viewports.clear();
        presentation_calls().Make3D = record_make3d;
        play(c.players, {{kKeyEscape, 1, 2}});
        presentation_calls() = engine_presentation_calls();
        ASSERT_GE(g_scene_viewports.size(), c.viewports.size());
        g_scene_viewports.resize(c.viewports.size());
        EXPECT_EQ(g_scene_viewports, c.viewports);
        InputScriptClear();
    }
}

TEST_F(Play, LevelThatCannotBeStartedReturnsWithALogEntry) {
    struct Case {
        const char* dir;
        std::vector<std::pair<int, std::vector<std::string>>> levels;
        double players;
        std::vector<KeyPress> keys;
        const char* logged;
        const char* planted = nullptr; // "pipe" or "empty" as level 2
        const char* not_logged = "cannot";
    };
    const Case cases[] = {
        // The end of the library is no error; boards count from 1, as in the
        // progress file.
        {"end",
         {{1, kLevel}},
         1,
         {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}},
         "game: board 1 finished level 1, the last of the level library\r\n"},
        {"gap",
         {{1, kLevel}, {3, kLevel}},
         1,
         {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}},
         "game: board 1 cannot start level 2: levlib/QLEV2.CMD is missing (a gap in the level "
         "library: later levels are there)",
         nullptr,
         "finished"},
        {"invalid",
         {{1, kLevel}, {2, {}}},
         1,
         {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}},
         "game: board 1 cannot start level 2: levlib/QLEV2.CMD is not a valid level",
         nullptr,
         "finished"},
        {"second",
         {{1, kLevel}},
         2,
         {},
         "game: board 2 cannot start level 5: levlib/QLEV5.CMD is missing (the level library "
         "ends at level 1)",
         nullptr,
         "board 1"},
        // Neither is the end of the library, and each log says what is wrong.
        {"pipe",
         {{1, kLevel}},
         1,
         {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}},
         "game: board 1 cannot start level 2: levlib/QLEV2.CMD cannot be read: not a plain file",
         "pipe",
         "finished"},
        {"empty",
         {{1, kLevel}},
         1,
         {{kKeyRight, 2, 3}, {kKeyRight, 8, 9}},
         "level: levlib/QLEV2.CMD: the level file is empty",
         "empty",
         "finished"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        run_ = GameRun();
        make_game_dir(c.dir, c.levels);
        if (c.planted != nullptr && std::string(c.planted) == "pipe") {
            ASSERT_EQ(mkfifo("levlib/QLEV2.CMD", 0600), 0);
        }
        if (c.planted != nullptr && std::string(c.planted) == "empty")
            std::ofstream("levlib/QLEV2.CMD").flush();
        size_t before = log_text().size();
        EXPECT_EQ(play(c.players, c.keys), 0);
        EXPECT_NE(log_text().find(c.logged, before), std::string::npos) << log_text();
        EXPECT_EQ(log_text().find(c.not_logged, before), std::string::npos) << log_text();
        rt_set_current_dir(home_);
        InputScriptClear();
    }
}

// Frames of the closing screen, counted by the frame step's reset hook; Return
// goes down on frame g_closing_key_frame (0: never).
int g_closing_frames = 0, g_closing_key_frame = 0;
void closing_frame() {
    UseShader(-1); // the renderer's own reset
    ++g_closing_frames;
    if (g_closing_frames == g_closing_key_frame) InputScriptKey(kKeyReturn, true);
}
void renderer_reset() {
    UseShader(-1);
}

TEST_F(Play, ClosingScreenLastsAFewSecondsOrUntilAKeyIsPressed) {
    struct Case {
        const char* name;
        bool held_before; // Return already down when the screen opens
        int key_frame;
        int min_frames, max_frames;
    };
    // Five seconds at sixty frames a second are 300 frames.
    const Case cases[] = {
        {"no key", false, 0, 290, 310},
        {"a key on frame 10", false, 10, 10, 11},
        {"the key of the last step, still held", true, 0, 290, 310},
    };
    scene3d(); // made now, so that the hooks it installs do not replace ours
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InputScriptClear();
        if (c.held_before) InputScriptKey(kKeyReturn, true);
        g_closing_frames = 0;
        g_closing_key_frame = c.key_frame;
        SetFrameResetHook(closing_frame);
        closing_screen(0, 1, 1);
        SetFrameResetHook(renderer_reset);
        EXPECT_GE(g_closing_frames, c.min_frames);
        EXPECT_LE(g_closing_frames, c.max_frames);
    }
}

// ---------------------------------------------------------------- the current character's ring

// Per frame and board: the current character, and for each character the
// blue pixels (the ring's) on a short row through its cell's centre.
struct RingFrame {
    double current[2];
    int blue[2][2];
};
std::vector<RingFrame> g_rings;

int blue_pixels_around(int board, const Mover& m) {
    double x = 0, y = 0;
    if (!board_cell_on_screen(board, {cell(m.x + 0.5), cell(m.y + 0.5)}, &x, &y)) return -1;
    DecodedImage p;
    if (!ReadScreenPixels(static_cast<int>(x) - 12, static_cast<int>(y), 25, 1, p)) return -1;
    int n = 0;
    for (int i = 0; i < 25; ++i) {
        const unsigned char* px = &p.pixels[i * 4];
        n += px[2] > 150 && px[2] > px[0] + 60 && px[2] > px[1] + 40;
    }
    return n;
}

void observe_rings(const RtArray<BoardState>& boards) {
    RingFrame f{};
    for (int b = 0; b < 2; ++b) {
        const BoardState& board = rt_index(boards, b);
        f.current[b] = board.current_character;
        for (int k = 0; k < 2; ++k)
            f.blue[b][k] = blue_pixels_around(b, rt_index(board.characters, k).m);
    }
    g_rings.push_back(f);
    observe(boards);
}

// Two boards, each with two characters; both players press next character
// on frame 4. In every camera mode, every frame shows the ring under the
// current character only, so the frame the choice changes shows it moved.
TEST_F(Play, RingFollowsTheCurrentCharacterOnEachBoard) {
    const std::vector<std::string> level = {
        "", "  #########", "  #1.....2#", "  #.......#", "  #......E#", "  #########"};
    for (const char* mode : {"0", "1", "2"}) {
        SCOPED_TRACE(mode);
        make_game_dir(std::string("rings") + mode, {{1, level}, {5, level}});
        std::ifstream in("cropstack.ini", std::ios::binary);
        std::stringstream settings;
        settings << in.rdbuf();
        in.close();
        std::string text = settings.str();
        text.replace(text.find("4value=0"), 8, std::string("4value=") + mode);
        std::ofstream("cropstack.ini", std::ios::binary) << text;
        run_ = GameRun();
        run_.keys = {{kKeyN, 4, 5}, {kKeyTab, 4, 5}, {kKeyEscape, 10, 11}};
        g_run = &run_;
        g_rings.clear();
        set_play_frame_observer(observe_rings);
        play_game(2);
        ASSERT_GE(g_rings.size(), 8u);
        for (int b = 0; b < 2; ++b) {
            SCOPED_TRACE(b);
            EXPECT_EQ(g_rings[2].current[b], 0);
            EXPECT_EQ(g_rings[7].current[b], 1) << "next character was pressed";
            // From the third frame: the first is still behind the opening iris.
            for (std::size_t i = 2; i < 8; ++i) {
                const int mine = static_cast<int>(g_rings[i].current[b]);
                EXPECT_GT(g_rings[i].blue[b][mine], 0) << "frame " << i;
                EXPECT_EQ(g_rings[i].blue[b][1 - mine], 0) << "frame " << i;
            }
        }
        InputScriptClear();
    }
}

// ---------------------------------------------------------------- main program

// Run in a child process: the main program in `dir`, with keys pressed on
// chosen title frames by the frame step's reset hook. The first title frame
// writes the screen size to standard error.
std::vector<KeyPress> g_title_keys;
int g_frames_seen = 0;

void scripted_title_frame() {
    UseShader(-1);                                 // the renderer's own reset
    if (engine().escape_ends_program != 0) return; // not the title yet
    ++g_frames_seen;
    if (g_frames_seen == 1)
        std::fprintf(stderr, "screen %dx%d\n", engine().screen_width, engine().screen_height);
    for (const KeyPress& k : g_title_keys) {
        if (g_frames_seen == k.down) InputScriptKey(k.key, true);
        if (g_frames_seen == k.up) InputScriptKey(k.key, false);
    }
}

[[noreturn]] void run_main_program(const std::string& dir, std::vector<KeyPress> keys) {
    plat_test_clock_enable(true, 1000);
    EngineInit(nullptr, "Cropstack test");
    rt_set_current_dir(dir.c_str());
    g_title_keys = std::move(keys);
    scene3d();
    SetFrameResetHook(scripted_title_frame);
    game_main();
}

class MainProgram : public ::testing::Test {
  protected:
    std::string game_dir(const std::string& name, const std::string& screen_mode) {
        fs::path dir = fs::path(screen_test::temp_dir()) / name;
        fs::create_directories(dir);
        std::ofstream(dir / "cropstack.ini") << "[options]\n2value=" << screen_mode
                                             << "\n[root]\n1name=Play\n1type=button\n1value=1\n"
                                                "2name=Quit\n2type=button\n2value=-1\n";
        return dir.string();
    }
};

TEST_F(MainProgram, ScreenModeFromTheSettings) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* mode;
        const char* screen;
    };
    const Case cases[] = {{"1", "screen 800x600"},    {"2", "screen 1024x768"},
                          {"6", "screen 640x480"},    {"-1", "screen 640x480"},
                          {"wide", "screen 640x480"}, {"1.5", "screen 640x480"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        std::string dir = game_dir(std::string("mode") + c.mode, c.mode);
        EXPECT_EXIT(run_main_program(dir, {{kKeyEscape, 2, 3}}), ::testing::ExitedWithCode(0),
                    c.screen);
    }
}

TEST_F(MainProgram, QuitAndEscapeOnTheTitleEndTheProgramNormally) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string dir = game_dir("quit", "0");
    // The menu takes input two seconds (120 frames) after the title opens.
    EXPECT_EXIT(run_main_program(dir, {{kKeyUp, 160, 161}, {kKeyReturn, 163, 164}}),
                ::testing::ExitedWithCode(0), "screen 640x480");
    EXPECT_EXIT(run_main_program(dir, {{kKeyEscape, 2, 3}}), ::testing::ExitedWithCode(0), "");
}

} // namespace
