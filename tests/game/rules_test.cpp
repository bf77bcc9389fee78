// rules_test.cpp: the puzzle played through the real rules: scripted keys
// read by input_step and button_step, animations finished by advance_mover.
// Pictures are rows separated by '/', in board_text's cell characters.
#include "game_fixture.h"

using namespace game_test;

namespace {

using Cell = std::pair<double, double>;
using Sounds = std::vector<int>;

const Mover& block(const BoardState& board, int i) {
    return rt_index(board.blocks, i).m;
}

std::vector<double> arms(const BoardState& board) {
    const DoorRecord& d = rt_index(board.doors, 0);
    return {rt_index(d.arms, 0), rt_index(d.arms, 1), rt_index(d.arms, 2), rt_index(d.arms, 3)};
}

double terrain(const BoardState& board, int x, int y) {
    return rt_index(board.terrain, x, y);
}
double occupancy(const BoardState& board, int x, int y) {
    return rt_index(board.occupancy, x, y);
}

// A door with one arm above its pivot at (2, 2); the character left of the arm.
const char* const kSingleArm = "#######/#1|...#/#.+...#/#.....#/#######";
// A door with arms above and left of its pivot at (4, 3).
const char* const kTwoArms = "########/#......#/#..1|..#/#..-+..#/#......#/########";

} // namespace

TEST(Rules, BlockPushedIntoHoleFallsAndBecomesFloor) {
    BoardState board = board_from_picture("#######/#1B~..#/#######");
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (Sounds{0, 2})) << board_text(board);
    EXPECT_EQ(block(board, 0).x, 3);
    EXPECT_EQ(block(board, 0).height, -1);
    EXPECT_EQ(terrain(board, 3, 1), 0);
    EXPECT_EQ(occupancy(board, 3, 1), 0) << "a fallen block is floor, not an obstacle";
    player.presses({kRight, kRight});
    EXPECT_EQ(position(board, 0), Cell(4, 1)) << board_text(board);
}

TEST(Rules, WideBlockFallsOnlyOnceItCoversHolesAlone) {
    BoardState board = board_from_picture("#########/#1..~~..#/#########", "CBDB");
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (Sounds{0})) << board_text(board);
    EXPECT_EQ(terrain(board, 4, 1), 1);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (Sounds{0, 0, 2})) << board_text(board);
    EXPECT_EQ(block(board, 0).height, -1);
    EXPECT_EQ(terrain(board, 4, 1) + terrain(board, 5, 1), 0);
}

TEST(Rules, AnythingInTheEntryStripStopsBlockAndCharacter) {
    for (const char* row : {"#1BB..#/#.....#", "#1B#..#/#.....#", "#1B+..#/#.....#",
                            "#1B|..#/#..+..#", "#1BE..#/#.....#", "#1B2..#/#.....#"}) {
        SCOPED_TRACE(row);
        BoardState board = board_from_picture("#######/" + std::string(row) + "/#.....#/#######");
        SoundRecorder sounds;
        Player player(board);
        player.press(kRight);
        EXPECT_TRUE(sounds.slots.empty());
        EXPECT_EQ(position(board, 0), Cell(1, 1)) << board_text(board);
        EXPECT_EQ(block(board, 0).x, 2);
    }
}

TEST(Rules, EntryStripSpansTheWholeSideOfAWideBlock) {
    // A 2 x 2 block at (3, 3); the obstacle touches only the far half of the
    // side the block moves to.
    const struct {
        int key, cx, cy, ox, oy, dx, dy;
    } cases[] = {
        {kRight, 2, 3, 5, 4, 1, 0},
        {kLeft, 5, 4, 2, 3, -1, 0},
        {kDown, 3, 2, 4, 5, 0, 1},
        {kUp, 4, 5, 3, 2, 0, -1},
    };
    for (const auto& c : cases) {
        for (bool obstacle : {true, false}) {
            SCOPED_TRACE("key " + std::to_string(c.key) + (obstacle ? " blocked" : " free"));
            auto picture = rows("#########/#.......#/#.......#/#.......#/#.......#/#.......#/"
                                "#.......#/#.......#/#########");
            picture[c.cy][c.cx] = '1';
            if (obstacle) picture[c.oy][c.ox] = '#';
            BoardState board = board_from_picture(picture, "DDEE");
            Player player(board);
            player.press(c.key);
            EXPECT_EQ(block(board, 0).x, 3 + (obstacle ? 0 : c.dx)) << board_text(board);
            EXPECT_EQ(block(board, 0).y, 3 + (obstacle ? 0 : c.dy));
        }
    }
}

TEST(Rules, CharacterNeverEntersAHole) {
    BoardState board = board_from_picture("#####/#1~.#/#####");
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(position(board, 0), Cell(1, 1));
    // Nor pushes a block that stands over the hole it would step into.
    BoardState over = board_from_picture("######/#1~..#/######", "CBDB");
    Player pusher(over);
    pusher.press(kRight);
    EXPECT_EQ(position(over, 0), Cell(1, 1));
    EXPECT_EQ(block(over, 0).x, 2);
}

TEST(Rules, DoorArmPushedAlongItsAxisStaysPut) {
    BoardState board = board_from_picture("#######/#.....#/#1-+..#/#.....#/#######");
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_TRUE(sounds.slots.empty());
    EXPECT_EQ(arms(board), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(position(board, 0), Cell(1, 2));
}

TEST(Rules, SingleArmTurnsAQuarterAndTheCharacterStepsOneCell) {
    BoardState board = board_from_picture(kSingleArm);
    SoundRecorder sounds;
    Player player(board);
    player.frame({kRight});
    // The flags change at once and the drawn arm swings over from the old place.
    EXPECT_EQ(occupancy(board, 3, 2), 3);
    EXPECT_EQ(occupancy(board, 2, 1), 0);
    EXPECT_LT(rt_index(board.doors, 0).m.angle, -45);
    player.settle();
    EXPECT_EQ(sounds.slots, (Sounds{1}));
    EXPECT_EQ(arms(board), (std::vector<double>{0, 1, 0, 0}));
    EXPECT_EQ(position(board, 0), Cell(2, 1)) << board_text(board);
    EXPECT_EQ(rt_index(board.doors, 0).m.angle, 0);
}

TEST(Rules, TurnSenseFollowsThePush) {
    const struct {
        const char* picture;
        int key;
        std::vector<double> arms;
        double facing;
    } cases[] = {
        {"#######/#.1|..#/#..+..#/#.....#/#######", kRight, {0, 1, 0, 0}, 0},
        {"#######/#..|1.#/#..+..#/#.....#/#######", kLeft, {0, 0, 0, 1}, 180},
        {"#######/#.....#/#..+-.#/#...1.#/#######", kUp, {1, 0, 0, 0}, -90},
        {"#######/#...1.#/#..+-.#/#.....#/#######", kDown, {0, 0, 1, 0}, 90},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        BoardState board = board_from_picture(c.picture);
        Player player(board);
        player.press(c.key);
        EXPECT_EQ(arms(board), c.arms) << board_text(board);
        EXPECT_NEAR(rt_index(board.characters, 0).m.angle, c.facing, 1e-4);
    }
}

TEST(Rules, ArmSwingingIntoTheVacatedCellMakesTheCharacterPassTwoCells) {
    BoardState board = board_from_picture(kTwoArms);
    SoundRecorder sounds;
    Player player(board);
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (Sounds{1}));
    EXPECT_EQ(position(board, 0), Cell(5, 2)) << board_text(board);
    EXPECT_EQ(arms(board), (std::vector<double>{1, 1, 0, 0}));
}

TEST(Rules, TwoCellPassIsRefusedWhenTheSecondCellIsTaken) {
    // A character there is refused too: passing on would put two characters
    // on one cell.
    for (char taken : {'~', '#', 'B', '2'}) {
        SCOPED_TRACE(std::string("second cell ") + taken);
        auto picture = rows(kTwoArms);
        picture[2][5] = taken;
        BoardState board = board_from_picture(picture);
        SoundRecorder sounds;
        Player player(board);
        player.press(kRight);
        EXPECT_TRUE(sounds.slots.empty());
        EXPECT_EQ(position(board, 0), Cell(3, 2)) << board_text(board);
        EXPECT_EQ(arms(board), (std::vector<double>{1, 0, 0, 1}));
        EXPECT_EQ(occupancy(board, 4, 2), 3) << "the refused turn restores the old arm cells";
    }
}

TEST(Rules, ArmCannotSweepThroughAnOccupiedCorner) {
    // Clockwise the arm above sweeps the corner above right of the pivot;
    // counter-clockwise the corner above left.
    const struct {
        const char* picture;
        int key;
    } cases[] = {{"#######/#.1|#.#/#..+..#/#.....#/#######", kRight},
                 {"#######/#.#|1.#/#..+..#/#.....#/#######", kLeft}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        BoardState board = board_from_picture(c.picture);
        SoundRecorder sounds;
        Player player(board);
        player.press(c.key);
        EXPECT_TRUE(sounds.slots.empty());
        EXPECT_EQ(arms(board), (std::vector<double>{1, 0, 0, 0})) << board_text(board);
    }
}

TEST(Rules, TwoCharactersLeaveOneAfterTheOther) {
    BoardState board = board_from_picture("#######/#12E..#/#######");
    SoundRecorder sounds;
    Player player(board);
    player.presses({kNext, kRight});
    EXPECT_EQ(sounds.slots, (Sounds{3}));
    ASSERT_EQ(rt_bounds(board.characters, 0), 1);
    EXPECT_EQ(board.current_character, 0);
    EXPECT_EQ(board.fade_timer, 0) << "the level goes on while a character remains";
    player.presses({kRight, kRight});
    EXPECT_EQ(sounds.slots, (Sounds{3, 3}));
    EXPECT_GT(board.fade_timer, 0) << "the last character completes the level";
    EXPECT_EQ(position(board, 0), Cell(3, 1));
    EXPECT_EQ(board.exit.x, 4) << "the flag moves on by one cell";
    EXPECT_EQ(board.exit.angle, 360);
}

TEST(Rules, ReachingTheExitWhileTheIrisOpensCompletesTheLevel) {
    BoardState board = board_from_picture("#####/#1E.#/#####");
    board.fade_timer = -0.5;
    Player player(board);
    player.press(kRight);
    EXPECT_GT(board.fade_timer, 0);
    // The finished level takes no more steps, so the flag cannot be chased on.
    EXPECT_EQ(step_character(board, 1, 0), 0);
    EXPECT_EQ(board.exit.x, 3);
}

TEST(Rules, RestartOnlyWhileThePlayIsOnButUndoAndNextAlways) {
    for (double fade : {0.0, 0.5, -0.5}) {
        SCOPED_TRACE("fade " + std::to_string(fade));
        BoardState board = board_from_picture("#######/#1B.2.#/#######");
        double level = board.level_number;
        Player player(board);
        player.press(kRight);
        board.fade_timer = fade;
        player.presses({kRestart, kUndo, kNext});
        EXPECT_EQ(board.level_number, fade == 0 ? level - 1 : level);
        EXPECT_EQ(board.fade_timer, fade == 0 ? kFadeClosing : fade);
        EXPECT_EQ(block(board, 0).x, 2);
        EXPECT_EQ(board.current_character, 1);
    }
}

TEST(Rules, UndoTakesBackPushesAndTurnsOneAtATime) {
    BoardState board = board_from_picture("#######/#1B...#/#######");
    Player player(board);
    player.presses({kRight, kRight, kUndo});
    EXPECT_EQ(block(board, 0).x, 3) << board_text(board);
    EXPECT_EQ(position(board, 0), Cell(2, 1));
    player.press(kUndo);
    EXPECT_EQ(block(board, 0).x, 2) << board_text(board);
    EXPECT_EQ(position(board, 0), Cell(1, 1));
    EXPECT_EQ(occupancy(board, 2, 1) * 10 + occupancy(board, 3, 1), 10);
    EXPECT_EQ(rt_bounds(board.undo_stack, 0), 0);

    BoardState door = board_from_picture(kSingleArm);
    Player turner(door);
    turner.presses({kRight, kUndo});
    EXPECT_EQ(arms(door), (std::vector<double>{1, 0, 0, 0}));
    EXPECT_EQ(position(door, 0), Cell(1, 1));
    EXPECT_EQ(occupancy(door, 2, 1) * 10 + occupancy(door, 3, 2), 30);
}

TEST(Rules, UndoOfAFallLiftsTheBlockAndReopensTheHole) {
    BoardState board = board_from_picture("#######/#1B~..#/#######");
    SoundRecorder sounds;
    Player player(board);
    player.presses({kRight, kRight, kUndo});
    EXPECT_EQ(position(board, 0), Cell(1, 1)) << board_text(board);
    EXPECT_EQ(block(board, 0).x, 2);
    EXPECT_EQ(block(board, 0).height, 0);
    EXPECT_EQ(block(board, 0).pending_height, 0);
    EXPECT_EQ(terrain(board, 3, 1), 1);
    EXPECT_EQ(occupancy(board, 2, 1), 1);
    // And the same push drops it again.
    player.press(kRight);
    EXPECT_EQ(sounds.slots, (Sounds{0, 2, 0, 2}));
    EXPECT_EQ(block(board, 0).height, -1);
}

TEST(Rules, DirectionsCanBeGivenWithoutKeys) {
    BoardState board = board_from_picture("#######/#1B~..#/#######");
    BoardState copy = board;
    EXPECT_EQ(step_character(board, -1, 0), 0) << "into a wall";
    EXPECT_EQ(step_character(board, 1, 0), 1);
    finish_animations(board);
    EXPECT_EQ(board_moving(board), 0);
    EXPECT_EQ(position(board, 0), Cell(2, 1));
    EXPECT_EQ(block(board, 0).height, -1);
    // The copy is a board of its own, and a position can be copied back in.
    EXPECT_EQ(position(copy, 0), Cell(1, 1));
    EXPECT_EQ(terrain(copy, 3, 1), 1);
    BoardState replay = copy;
    copy_board_position(replay, board);
    EXPECT_EQ(board_text(replay), board_text(board));
    EXPECT_EQ(occupancy(replay, 3, 1), 0);
    // Without undo records the rules keep no history.
    copy.record_undo = 0;
    EXPECT_EQ(step_character(copy, 1, 0), 1);
    EXPECT_EQ(rt_bounds(copy.undo_stack, 0), 0);
}

// The move count: one for every step the rules accept, as the solver counts
// them; undo goes back to the count before the step it takes back.
TEST(Rules, MovesCountAcceptedStepsAndUndoTakesThemBack) {
    struct Case {
        const char* name;
        const char* picture;
        std::vector<int> keys;
        double moves;
    };
    const Case cases[] = {
        {"a walk", "#######/#1....#/#######", {kRight}, 1},
        {"into a wall", "#######/#1....#/#######", {kLeft, kUp}, 0},
        {"a push", "#######/#1B...#/#######", {kRight, kRight}, 2},
        {"a refused push", "#######/#.1B#.#/#######", {kRight}, 0},
        {"onto a hole", "#######/#1~...#/#######", {kRight}, 0},
        {"a block into a hole, then over it", "#######/#1B~..#/#######", {kRight, kRight}, 2},
        {"a door turn", kSingleArm, {kRight}, 1},
        {"next character is no move", "#######/#1.2..#/#######", {kNext, kNext, kRight}, 1},
        {"onto the exit", "#######/#1E2..#/#######", {kRight, kRight}, 2},
        {"undo after a push", "#######/#1B...#/#######", {kRight, kRight, kUndo}, 1},
        {"undo of a door turn", kSingleArm, {kRight, kUndo}, 0},
        {"undo takes the later walks too",
         "#######/#1B...#/#######",
         {kRight, kLeft, kLeft, kUndo},
         0},
        {"undo with nothing to undo", "#######/#1....#/#######", {kRight, kUndo}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoardState board = board_from_picture(c.picture);
        Player player(board);
        for (int key : c.keys)
            player.press(key);
        EXPECT_EQ(board.moves, c.moves) << board_text(board);
    }
}

TEST(Rules, MovesStartAtZeroWithEveryLevelLoaded) {
    std::vector<std::string> lines = level_lines(rows("#######/#1....#/#######"));
    BoardState board = load_board(lines);
    Player player(board);
    player.presses({kRight, kRight});
    ASSERT_EQ(board.moves, 2);
    double number = next_level_number();
    write_level(number, lines);
    board.level_number = number;
    ASSERT_EQ(load_level(board, level_dir().c_str()), 1);
    EXPECT_EQ(board.moves, 0) << "a restart or the next level counts from zero";
}
