// rules_test.cpp: the puzzle played through the real rules: scripted keys
// read by input_step and button_step, animations finished by advance_mover.
#include "game_fixture.h"

using namespace game_test;

namespace {

using Picture = std::vector<std::string>;

const BoxRecord& block(const BoardState& board, int i) {
    return rt_index(board.blocks, i);
}

std::vector<double> arms(const BoardState& board, int door) {
    const DoorRecord& d = rt_index(board.doors, door);
    return {rt_index(d.arms, 0), rt_index(d.arms, 1), rt_index(d.arms, 2), rt_index(d.arms, 3)};
}

double terrain(const BoardState& board, int x, int y) {
    return rt_index(board.terrain, x, y);
}
double occupancy(const BoardState& board, int x, int y) {
    return rt_index(board.occupancy, x, y);
}

using Cell = std::pair<double, double>;

} // namespace

TEST(Rules, BlockPushedIntoHoleFallsAndBecomesFloor) {
    BoardState board = board_from_picture({"#######", "#1B~..#", "#######"});
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (std::vector<int>{0, 2})) << board_text(board);
    EXPECT_EQ(block(board, 0).m.x, 3);
    EXPECT_EQ(block(board, 0).m.height, -1);
    EXPECT_EQ(terrain(board, 3, 1), 0);
    EXPECT_EQ(occupancy(board, 3, 1), 0) << "a fallen block is floor, not an obstacle";
    player.presses({kRight, kRight});
    EXPECT_EQ(position(board, 0), Cell(4, 1)) << board_text(board);
}

TEST(Rules, WideBlockFallsOnlyOnceItCoversHolesAlone) {
    BoardState board = board_from_picture({"#########", "#1..~~..#", "#########"}, "CBDB");
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (std::vector<int>{0})) << board_text(board);
    EXPECT_EQ(block(board, 0).m.height, 0);
    EXPECT_EQ(terrain(board, 4, 1), 1);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (std::vector<int>{0, 0, 2})) << board_text(board);
    EXPECT_EQ(block(board, 0).m.x, 4);
    EXPECT_EQ(block(board, 0).m.height, -1);
    EXPECT_EQ(terrain(board, 4, 1) + terrain(board, 5, 1), 0);
}

TEST(Rules, AnythingInTheEntryStripStopsBlockAndCharacter) {
    struct Case {
        const char* what;
        const char* row1;
        const char* row2;
    };
    const Case cases[] = {
        {"another block", "#1BB..#", "#.....#"}, {"a wall", "#1B#..#", "#.....#"},
        {"a door pivot", "#1B+..#", "#.....#"},  {"a door arm", "#1B|..#", "#..+..#"},
        {"the exit", "#1BE..#", "#.....#"},      {"a character", "#1B2..#", "#.....#"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardState board = board_from_picture({"#######", c.row1, c.row2, "#.....#", "#######"});
        SoundRecorder sounds;
        Player player(board);
        player.press(kRight);
        EXPECT_TRUE(sounds.slots.empty());
        EXPECT_EQ(position(board, 0), Cell(1, 1)) << board_text(board);
        EXPECT_EQ(block(board, 0).m.x, 2);
    }
}

TEST(Rules, EntryStripSpansTheWholeSideOfAWideBlock) {
    // A 2 x 2 block; the obstacle touches only the far half of the side it moves to.
    struct Case {
        int key, cx, cy, ox, oy, dx, dy;
    };
    const Case cases[] = {
        {kRight, 2, 3, 5, 4, 1, 0},
        {kLeft, 5, 4, 2, 3, -1, 0},
        {kDown, 3, 2, 4, 5, 0, 1},
        {kUp, 4, 5, 3, 2, 0, -1},
    };
    for (const Case& c : cases) {
        for (bool obstacle : {true, false}) {
            SCOPED_TRACE("key " + std::to_string(c.key) + (obstacle ? " with" : " without") +
                         " obstacle");
            Picture picture = {"#########", "#.......#", "#.......#", "#.......#", "#.......#",
                               "#.......#", "#.......#", "#.......#", "#########"};
            picture[c.cy][c.cx] = '1';
            if (obstacle) picture[c.oy][c.ox] = '#';
            BoardState board = board_from_picture(picture, "DDEE");
            Player player(board);
            player.press(c.key);
            bool moved = !obstacle;
            EXPECT_EQ(block(board, 0).m.x, 3 + (moved ? c.dx : 0)) << board_text(board);
            EXPECT_EQ(block(board, 0).m.y, 3 + (moved ? c.dy : 0)) << board_text(board);
        }
    }
}

TEST(Rules, CharacterNeverEntersAHole) {
    BoardState board = board_from_picture({"#####", "#1~.#", "#####"});
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(position(board, 0), Cell(1, 1));
    // Nor pushes a block that stands over the hole it would step into.
    BoardState over = board_from_picture({"######", "#1~..#", "######"}, "CBDB");
    Player pusher(over);
    pusher.press(kRight);
    EXPECT_EQ(position(over, 0), Cell(1, 1));
    EXPECT_EQ(block(over, 0).m.x, 2);
}

TEST(Rules, DoorArmPushedAlongItsAxisStaysPut) {
    BoardState board = board_from_picture({"#######", "#.....#", "#1-+..#", "#.....#", "#######"});
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_TRUE(sounds.slots.empty());
    EXPECT_EQ(arms(board, 0), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(position(board, 0), Cell(1, 2));
}

TEST(Rules, SingleArmTurnsAQuarterAndTheCharacterStepsOneCell) {
    BoardState board = board_from_picture({"#######", "#1|...#", "#.+...#", "#.....#", "#######"});
    SoundRecorder sounds;
    Player player(board);
    player.frame({kRight});
    // The flags change at once and the drawn arm swings over from the old place.
    EXPECT_EQ(occupancy(board, 3, 2), 3);
    EXPECT_EQ(occupancy(board, 2, 1), 0);
    EXPECT_LT(rt_index(board.doors, 0).m.angle, -45);
    player.settle();
    EXPECT_EQ(sounds.slots, (std::vector<int>{1}));
    EXPECT_EQ(arms(board, 0), (std::vector<double>{0, 1, 0, 0}));
    EXPECT_EQ(position(board, 0), Cell(2, 1)) << board_text(board);
    EXPECT_EQ(rt_index(board.doors, 0).m.angle, 0);
}

TEST(Rules, TurnSenseFollowsThePush) {
    struct Case {
        const char* what;
        Picture picture;
        int key;
        std::vector<double> arms;
    };
    const Case cases[] = {
        {"arm above pushed right",
         {"#######", "#.1|..#", "#..+..#", "#.....#", "#######"},
         kRight,
         {0, 1, 0, 0}},
        {"arm above pushed left",
         {"#######", "#..|1.#", "#..+..#", "#.....#", "#######"},
         kLeft,
         {0, 0, 0, 1}},
        {"arm right pushed up",
         {"#######", "#.....#", "#..+-.#", "#...1.#", "#######"},
         kUp,
         {1, 0, 0, 0}},
        {"arm right pushed down",
         {"#######", "#...1.#", "#..+-.#", "#.....#", "#######"},
         kDown,
         {0, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardState board = board_from_picture(c.picture);
        Player player(board);
        player.press(c.key);
        EXPECT_EQ(arms(board, 0), c.arms) << board_text(board);
    }
}

TEST(Rules, ArmSwingingIntoTheVacatedCellMakesTheCharacterPassTwoCells) {
    const Picture picture = {"########", "#......#", "#..1|..#",
                             "#..-+..#", "#......#", "########"};
    BoardState board = board_from_picture(picture);
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (std::vector<int>{1}));
    EXPECT_EQ(position(board, 0), Cell(5, 2)) << board_text(board);
    EXPECT_EQ(arms(board, 0), (std::vector<double>{1, 1, 0, 0}));
}

TEST(Rules, TwoCellPassIsRefusedWhenTheSecondCellIsTaken) {
    // A character there is refused too: walking into it would put two
    // characters on one cell.
    for (char taken : {'~', '#', 'B', '2'}) {
        SCOPED_TRACE(std::string("second cell ") + taken);
        Picture picture = {"########", "#......#", "#..1|..#", "#..-+..#", "#......#", "########"};
        picture[2][5] = taken;
        BoardState board = board_from_picture(picture);
        SoundRecorder sounds;
        Player player(board);
        player.press(kRight);
        EXPECT_TRUE(sounds.slots.empty());
        EXPECT_EQ(position(board, 0), Cell(3, 2)) << board_text(board);
        EXPECT_EQ(arms(board, 0), (std::vector<double>{1, 0, 0, 1}));
        EXPECT_EQ(occupancy(board, 4, 2), 3) << "the refused turn restores the old arm cells";
    }
}

TEST(Rules, ArmCannotSweepThroughAnOccupiedCorner) {
    // Clockwise the arm above sweeps the corner above right of the pivot;
    // counter-clockwise the corner above left.
    struct Case {
        const char* what;
        Picture picture;
        int key;
    };
    const Case cases[] = {
        {"clockwise", {"#######", "#.1|#.#", "#..+..#", "#.....#", "#######"}, kRight},
        {"counter-clockwise", {"#######", "#.#|1.#", "#..+..#", "#.....#", "#######"}, kLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardState board = board_from_picture(c.picture);
        SoundRecorder sounds;
        Player player(board);
        player.press(c.key);
        EXPECT_TRUE(sounds.slots.empty());
        EXPECT_EQ(arms(board, 0), (std::vector<double>{1, 0, 0, 0})) << board_text(board);
    }
}

TEST(Rules, TwoCharactersLeaveOneAfterTheOther) {
    BoardState board = board_from_picture({"#######", "#12E..#", "#######"});
    SoundRecorder sounds;
    Player player(board);
    player.press(kNext);
    EXPECT_EQ(board.current_character, 1);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (std::vector<int>{3}));
    ASSERT_EQ(rt_bounds(board.characters, 0), 1);
    EXPECT_EQ(board.current_character, 0);
    EXPECT_EQ(board.fade_timer, 0) << "the level goes on while a character remains";
    player.presses({kRight, kRight});
    EXPECT_EQ(sounds.slots, (std::vector<int>{3, 3}));
    EXPECT_GT(board.fade_timer, 0) << "the last character completes the level";
    EXPECT_EQ(position(board, 0), Cell(3, 1));
    EXPECT_EQ(board.exit.x, 4) << "the flag moves on by one cell";
    EXPECT_EQ(board.exit.angle, 360);
}

TEST(Rules, RestartOnlyWhileThePlayIsOn) {
    const struct {
        double fade;
        double level_change;
    } cases[] = {{0, -1}, {0.5, 0}, {-0.5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("fade " + std::to_string(c.fade));
        BoardState board = board_from_picture({"######", "#1B..#", "######"});
        double level = board.level_number;
        board.fade_timer = c.fade;
        Player player(board);
        player.press(kRestart);
        EXPECT_EQ(board.level_number, level + c.level_change);
        EXPECT_EQ(board.fade_timer, c.fade == 0 ? 0.00001 : c.fade);
    }
}

TEST(Rules, UndoAndNextCharacterWorkDuringAFade) {
    BoardState board = board_from_picture({"#######", "#1B.2.#", "#######"});
    Player player(board);
    player.press(kRight);
    board.fade_timer = 0.5;
    player.presses({kUndo, kNext});
    EXPECT_EQ(block(board, 0).m.x, 2);
    EXPECT_EQ(board.current_character, 1);
}

TEST(Rules, UndoTakesBackAPush) {
    BoardState board = board_from_picture({"#######", "#1B...#", "#######"});
    Player player(board);
    player.presses({kRight, kRight, kUndo});
    EXPECT_EQ(block(board, 0).m.x, 3) << board_text(board);
    EXPECT_EQ(position(board, 0), Cell(2, 1));
    player.press(kUndo);
    EXPECT_EQ(block(board, 0).m.x, 2) << board_text(board);
    EXPECT_EQ(position(board, 0), Cell(1, 1));
    EXPECT_EQ(occupancy(board, 2, 1), 1);
    EXPECT_EQ(occupancy(board, 3, 1), 0);
    EXPECT_EQ(rt_bounds(board.undo_stack, 0), 0);
}

TEST(Rules, UndoTakesBackADoorTurn) {
    BoardState board = board_from_picture({"#######", "#1|...#", "#.+...#", "#.....#", "#######"});
    Player player(board);
    player.presses({kRight, kUndo});
    EXPECT_EQ(arms(board, 0), (std::vector<double>{1, 0, 0, 0}));
    EXPECT_EQ(position(board, 0), Cell(1, 1));
    EXPECT_EQ(occupancy(board, 2, 1), 3);
    EXPECT_EQ(occupancy(board, 3, 2), 0);
}

TEST(Rules, UndoOfAFallLiftsTheBlockAndReopensTheHole) {
    BoardState board = board_from_picture({"#######", "#1B~..#", "#######"});
    SoundRecorder sounds;
    Player player(board);
    player.presses({kRight, kRight, kUndo});
    EXPECT_EQ(position(board, 0), Cell(1, 1)) << board_text(board);
    EXPECT_EQ(block(board, 0).m.x, 2);
    EXPECT_EQ(block(board, 0).m.height, 0);
    EXPECT_EQ(block(board, 0).m.pending_height, 0);
    EXPECT_EQ(terrain(board, 3, 1), 1);
    EXPECT_EQ(occupancy(board, 2, 1), 1);
    // And the same push drops it again.
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (std::vector<int>{0, 2, 0, 2}));
    EXPECT_EQ(block(board, 0).m.height, -1);
}

TEST(Rules, DirectionsCanBeGivenWithoutKeys) {
    BoardState board = board_from_picture({"#######", "#1B~..#", "#######"});
    BoardState copy = board;
    EXPECT_EQ(step_character(board, -1, 0), 0) << "into a wall";
    EXPECT_EQ(step_character(board, 1, 0), 1);
    finish_animations(board);
    EXPECT_EQ(board_moving(board), 0);
    EXPECT_EQ(position(board, 0), Cell(2, 1));
    EXPECT_EQ(block(board, 0).m.height, -1);
    // The copy is a board of its own.
    EXPECT_EQ(position(copy, 0), Cell(1, 1));
    EXPECT_EQ(rt_index(copy.terrain, 3, 1), 1);
    // Without undo records the rules keep no history.
    copy.record_undo = 0;
    EXPECT_EQ(step_character(copy, 1, 0), 1);
    EXPECT_EQ(rt_bounds(copy.undo_stack, 0), 0);
}
