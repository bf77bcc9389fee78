// level_shapes_test.cpp: levels a level author may write that the game plays
// safely, accepted by the level checker and played through the rules; and
// their near relatives that could lead a move off the grid, still refused.
#include "game_fixture.h"

using namespace game_test;

namespace {

using Cell = std::pair<double, double>;

bool loads(const std::vector<std::string>& lines) {
    BoardState board;
    board.level_number = next_level_number();
    write_level(board.level_number, lines);
    return load_level(board, level_dir().c_str()) == 1;
}

// An island in a moat of holes that runs to the grid's edge: no character
// can ever cross it, so the edge is never reached.
TEST(LevelShapes, MoatToTheEdgeIsPlayable) {
    BoardState board = board_from_picture("~~~~~~/~1..E~/~....~/~~~~~~");
    Player player(board);
    player.press(kUp); // into the moat: refused
    EXPECT_EQ(position(board, 0), Cell(1, 1));
    player.presses({kRight, kRight, kRight});
    EXPECT_GT(board.fade_timer, 0) << "the level is completed";
}

// The exit set into a wall with floor beyond it that runs to the edge: a
// character leaves the board at the exit and never walks on.
TEST(LevelShapes, ExitInAWallWithFloorBeyondIsPlayable) {
    BoardState board = board_from_picture("####./#1.E./####.");
    Player player(board);
    player.presses({kRight, kRight});
    EXPECT_GT(board.fade_timer, 0) << "the level is completed";
}

// A door's arm character counts by its four low bits only.
TEST(LevelShapes, DoorArmCharactersCountByTheirFlagBits) {
    const std::vector<std::string> picture =
        rows("#########/#.......#/#1..-+..#/#.......#/#########");
    struct Case {
        char arm;
        std::vector<double> arms; // above, right, below, left
    };
    const Case cases[] = {
        {'H', {0, 0, 0, 1}}, {'X', {0, 0, 0, 1}}, {'h', {0, 0, 0, 1}},
        {'8', {0, 0, 0, 1}}, {'P', {0, 0, 0, 0}}, {'_', {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = level_lines(picture);
        ASSERT_EQ(lines[2], "FCH");
        lines[2][2] = c.arm;
        BoardState board = load_board(lines);
        std::vector<double> arms;
        for (int k = 0; k < 4; ++k)
            arms.push_back(rt_index(rt_index(board.doors, 0).arms, k));
        EXPECT_EQ(arms, c.arms) << c.arm;
    }
    // And it turns as a door with that arm does.
    std::vector<std::string> lines = level_lines(picture);
    lines[2][2] = 'X';
    BoardState board = load_board(lines);
    Player player(board);
    player.presses({kDown, kRight, kRight, kRight, kUp});
    EXPECT_EQ(rt_index(rt_index(board.doors, 0).arms, 3), 0) << "the arm turned away";
}

// What could still lead a move off the grid stays refused.
TEST(LevelShapes, MovesThatCouldLeaveTheGridAreStillRefused) {
    auto picture = [](const char* text) { return level_lines(rows(text)); };
    const struct {
        const char* what;
        std::vector<std::string> lines;
        bool accepted;
    } cases[] = {
        {"island", picture("~~~~~~/~1..E~/~....~/~~~~~~"), true},
        // A block on the island can be pushed into the moat, fill it, and
        // be pushed on towards the edge.
        {"block into the moat", picture("~~~~~~/~1B.E~/~....~/~~~~~~"), false},
        {"block filling a walled moat", picture("#########/#1B~~~~E#/#########"), true},
        {"exit on the edge", picture("#E#/#1#/###"), false},
        // A character that starts on the exit may walk away from it, here
        // over open floor to the edge.
        {"character starting on the exit", {"AAAB", ".", ".", "AANNAAAANNAA", "T"}, false},
        {"floor past the moat reached", picture("~~~~~~/~1...../~....~/~~~~~~"), false},
        {"door arm over a hole", picture("~~~~~~/~1.-+~/~~~~~~"), true},
        {"door on the edge", picture("~+-~/~1.~/~~~~"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loads(c.lines), c.accepted) << c.what;
}

} // namespace
