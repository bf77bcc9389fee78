// hud_test.cpp: the texts play writes over each board (level, name, moves,
// the key legend from the bindings) and the pixels they leave, and the
// closing screen's words.
#include "game_fixture.h"
#include "screen_test_support.h"

#include "game/screens/screens.h"
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace game_test;

// A board on a level of the given number whose moves are those of `keys`.
BoardState board_after(double level, std::initializer_list<int> keys) {
    BoardState board = board_from_picture("#######/#1B...#/#######");
    Player player(board);
    player.presses(keys);
    board.level_number = level;
    return board;
}

TEST(BoardInformation, LevelNumberNameAndMoves) {
    const LevelInfo info = info_from("[level3]\nname=Mind the gap\nmoves=9\n"
                                     "[level4]\nmoves=20\n[level5]\nname=Only a name\n");
    struct Case {
        double level;
        std::initializer_list<int> keys;
        const char* level_text;
        const char* moves_text;
    };
    const Case cases[] = {
        {3, {}, "3 Mind the gap", "Moves 0  Fewest 9"},
        {3, {kRight, kRight}, "3 Mind the gap", "Moves 2  Fewest 9"},
        {3, {kRight, kRight, kUndo}, "3 Mind the gap", "Moves 1  Fewest 9"},
        {4, {kRight}, "4", "Moves 1  Fewest 20"},
        {5, {}, "5 Only a name", "Moves 0"},
        {6, {}, "6", "Moves 0"},
    };
    for (const Case& c : cases) {
        BoardState board = board_after(c.level, c.keys);
        EXPECT_EQ(board_level_text(board, info, 40).str(), c.level_text);
        EXPECT_EQ(board_moves_text(board, info).str(), c.moves_text);
    }
    EXPECT_EQ(board_level_text(board_after(3, {}), info, 6).str(), "3 Mind") << "cut to fit";
}

PlayerControls controls(std::initializer_list<const char*> codes) {
    PlayerControls c;
    int i = 0;
    for (const char* code : codes)
        c.bindings[i++] = code;
    return c;
}

std::vector<std::string> lines_of(const RtArray<RtString>& lines) {
    std::vector<std::string> out;
    for (int i = 0; i < rt_bounds(lines, 0); ++i)
        out.push_back(rt_index(lines, i).str());
    return out;
}

TEST(KeyLegend, ShowsTheBindingsInForce) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* name;
        PlayerControls keys;
        const char* prefix;
        int columns;
        Lines expected;
    };
    const Case cases[] = {
        {"the arrows",
         controls({"K200", "K208", "K203", "K205", "K57", "K14", "K211"}),
         "",
         80,
         {"Arrows: walk  SPACE: next  BACK: undo  DELETE: restart  ESC: menu"}},
        {"letters, wrapped",
         controls({"K17", "K31", "K30", "K32", "K15", "K16", "K19"}),
         "P2",
         30,
         {"P2 WASD: walk  TAB: next", "Q: undo  R: restart  ESC: menu"}},
        {"one arrow redefined",
         controls({"K200", "K208", "K203", "K36", "K57", "K14", "K211"}),
         "",
         30,
         {"UP/LEFT/DOWN/J: walk", "SPACE: next  BACK: undo", "DELETE: restart  ESC: menu"}},
        {"the help keys after the others",
         controls({"K200", "K208", "K203", "K205", "K57", "K14", "K211", "K35", "K21"}),
         "",
         40,
         {"Arrows: walk  SPACE: next  BACK: undo", "DELETE: restart  H: hint  Y: redo",
          "ESC: menu"}},
        {"unbound commands left out",
         controls({"K200", "K208", "K203", "K205", "K", "", "J0-16"}),
         "Team 1",
         80,
         {"Team 1 Arrows: walk  J1,BUT_1: restart  ESC: menu"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lines_of(legend_lines(c.keys, c.prefix, c.columns)), c.expected) << c.name;
}

TEST(KeyLegend, PlayersAndTeamsAreNamedOnlyWithTwoBoards) {
    EXPECT_EQ(legend_prefix(0, 1, 1).str(), "");
    EXPECT_EQ(legend_prefix(1, 2, 2).str(), "P2");
    EXPECT_EQ(legend_prefix(0, 2, 4).str(), "Team 1");
    EXPECT_EQ(lines_of(closing_lines(0, 1, 1)),
              (std::vector<std::string>{"Every level is done!", "Thank you for playing."}));
    EXPECT_EQ(lines_of(closing_lines(1, 2, 2))[0], "Player 2: every level is done!");
    EXPECT_EQ(lines_of(closing_lines(1, 2, 4))[0], "Team 2: every level is done!");
}

// The legend stands on a fresh level, steps aside from the first move, and
// comes back only after the player has left the board alone for a while.
TEST(KeyLegend, StandsOnAFreshLevelAndWhenThePlayerPauses) {
    const struct {
        double moves, now_ms;
        bool shown;
        const char* what;
    } steps[] = {
        {0, 0, true, "a fresh level"},
        {0, 20000, true, "still no move"},
        {1, 20100, false, "the first move"},
        {3, 24000, false, "moves in quick succession"},
        {3, 24000 + kLegendIdleMs - 1, false, "not yet idle long enough"},
        {3, 24000 + kLegendIdleMs, true, "the player stopped to think"},
        {2, 40000, false, "an undo is a change too"},
        {0, 40100, true, "undone to the start, or a restart"},
        {1, 40200, false, "walking again"},
    };
    LegendTimer timer;
    for (const auto& s : steps)
        EXPECT_EQ(timer.shown(s.moves, s.now_ms), s.shown) << s.what;
}

// The pixels of the whole screen, as RGBA rows.
std::vector<unsigned char> screen_pixels() {
    DecodedImage image;
    EXPECT_TRUE(ReadScreenPixels(0, 0, 640, 480, image));
    return image.pixels;
}

// What the information draws equals its texts printed where they belong:
// the level at the top left, the moves at the top right, the legend lines
// at the bottom, all inside the frame.
TEST(BoardInformation, DrawnTextsAreTheOnesItShows) {
    screen_test::open_window(640, 480);
    LoadFont("", 0);
    GameValues& g = game_values();
    g.screen_width = 640;
    g.screen_height = 480;
    const LevelInfo info = info_from("[level3]\nname=Mind the gap\nmoves=9\n");
    BoardState board = board_after(3, {kRight, kRight});
    board.controls = controls({"K17", "K31", "K30", "K32", "K15", "K16", "K19"});
    const InfoArea area = info_area(1, 2);
    EXPECT_GT(area.top, 240) << "board 1 is the lower half";
    EXPECT_LT(area.bottom, 480);
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    ASSERT_GT(cw, 0);

    FillRect(0, 0, 640, 480, 0xFFFFFF);
    draw_board_info(board, info, area);
    draw_legend(board.controls, "P2", area);
    const std::vector<unsigned char> drawn = screen_pixels();

    FillRect(0, 0, 640, 480, 0xFFFFFF);
    const std::vector<unsigned char> blank = screen_pixels();
    Print("3 Mind the gap", area.left, area.top);
    Print("Moves 2  Fewest 9", area.right - 17 * cw, area.top);
    const int columns = static_cast<int>((area.right - area.left) / cw);
    const RtArray<RtString> legend = legend_lines(board.controls, "P2", columns);
    const int n = static_cast<int>(rt_bounds(legend, 0));
    for (int i = 0; i < n; ++i)
        Print(rt_index(legend, i), area.left, area.bottom - (n - i) * ch);
    const std::vector<unsigned char> expected = screen_pixels();
    EXPECT_NE(expected, blank);
    EXPECT_TRUE(drawn == expected) << "the information differs from its texts";
    ShowScreen();
}

} // namespace
