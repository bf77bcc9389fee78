// redo_test.cpp: redo steps forward again along undone moves, through the
// real rules and scripted keys, until a new move ends it.
#include "game_fixture.h"

#include <sstream>

using namespace game_test;

namespace {

// The whole position: the picture, the move count and every mover exactly,
// so that a block left half-way or a character mid-hop shows.
std::string position_of(const BoardState& board) {
    std::ostringstream out;
    out << board_text(board) << "moves " << board.moves << '\n';
    auto mover = [&out](const char* what, const Mover& m) {
        out << what << ' ' << m.x << ',' << m.y << ' ' << m.height << ' ' << m.angle << ' '
            << m.pending_dx << ',' << m.pending_dy << ',' << m.pending_height << '\n';
    };
    for (int i = 0; i < rt_bounds(board.blocks, 0); ++i)
        mover("block", rt_index(board.blocks, i).m);
    for (int i = 0; i < rt_bounds(board.characters, 0); ++i)
        mover("character", rt_index(board.characters, i).m);
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            out << rt_index(board.occupancy, x, y);
    return out.str();
}

const char* const kCorridor = "#########/#1B.....#/#########";
const char* const kHole = "#######/#1B~..#/#######";
const char* const kTwoOfUs = "#########/#1B.....#/#2B.....#/#########";
const char* const kSingleArm = "#######/#1|...#/#.+...#/#.....#/#######";

struct RedoCase {
    const char* what;
    const char* picture;
    std::vector<int> keys;      // played on one board
    std::vector<int> reference; // played on another: the same position must result
};

void PrintTo(const RedoCase& c, std::ostream* os) {
    *os << c.what;
}

class RedoPlays : public ::testing::TestWithParam<RedoCase> {};

TEST_P(RedoPlays, EndsInThePositionOfTheMovesItRedid) {
    const RedoCase& c = GetParam();
    BoardState board = board_from_picture(c.picture);
    BoardState reference = board_from_picture(c.picture);
    {
        Player player(board);
        for (int key : c.keys)
            player.press(key);
    }
    {
        Player player(reference);
        for (int key : c.reference)
            player.press(key);
    }
    reference.level_number = board.level_number; // each picture is a level of its own
    EXPECT_EQ(position_of(board), position_of(reference)) << c.what;
    EXPECT_EQ(board.current_character, reference.current_character) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Redo, RedoPlays,
    ::testing::Values(
        RedoCase{"a push undone and redone", kCorridor, {kRight, kUndo, kRedo}, {kRight}},
        RedoCase{"two undone, two redone",
                 kCorridor,
                 {kRight, kRight, kRight, kUndo, kUndo, kRedo, kRedo},
                 {kRight, kRight, kRight}},
        RedoCase{
            "two undone, one redone", kCorridor, {kRight, kRight, kUndo, kUndo, kRedo}, {kRight}},
        RedoCase{"more redos than undos",
                 kCorridor,
                 {kRight, kRight, kUndo, kRedo, kRedo},
                 {kRight, kRight}},
        RedoCase{"nothing undone: redo does nothing", kCorridor, {kRight, kRedo}, {kRight}},
        RedoCase{"a walk after undo is a new move and ends redo",
                 kCorridor,
                 {kRight, kRight, kUndo, kLeft, kRedo},
                 {kRight, kLeft}},
        RedoCase{"a refused step is no move", kCorridor, {kRight, kUndo, kLeft, kRedo}, {kRight}},
        RedoCase{
            "next character is no move", kTwoOfUs, {kRight, kUndo, kNext, kRedo}, {kRight, kNext}},
        RedoCase{"the block falls again and the hole stays filled",
                 kHole,
                 {kRight, kRight, kUndo, kRedo},
                 {kRight, kRight}},
        RedoCase{"a door turn redone", kSingleArm, {kRight, kUndo, kRedo}, {kRight}},
        RedoCase{"undo after redo", kCorridor, {kRight, kRight, kUndo, kRedo, kUndo}, {kRight}}),
    [](const testing::TestParamInfo<RedoCase>& info) {
        return "case" + std::to_string(info.index);
    });

// Undo pressed while a push still slides: redo brings the push back finished,
// not frozen half-way.
TEST(Redo, UndoDuringASlideRedoesThePushAtRest) {
    BoardState board = board_from_picture(kCorridor);
    BoardState reference = board_from_picture(kCorridor);
    Player player(board);
    player.frame({kRight});
    player.frame();
    ASSERT_NE(board_moving(board), 0) << "the push is still under way";
    player.press(kUndo);
    player.press(kRedo);
    EXPECT_EQ(board_moving(board), 0);
    Player other(reference);
    other.press(kRight);
    reference.level_number = board.level_number;
    EXPECT_EQ(position_of(board), position_of(reference));
}

// Each redo gives back the move its undo took, walks before the push
// included.
TEST(Redo, CountsTheMovesItGivesBack) {
    BoardState board = board_from_picture("#########/#1B.....#/#.......#/#########");
    Player player(board);
    // Two pushes, then three walks round under the block.
    player.presses({kRight, kRight, kDown, kLeft, kUp});
    ASSERT_EQ(board.moves, 5) << board_text(board);
    const struct {
        int key;
        double moves;
    } steps[] = {{kUndo, 1}, {kUndo, 0}, {kUndo, 0}, {kRedo, 1}, {kRedo, 5}, {kRedo, 5}};
    for (const auto& s : steps) {
        player.press(s.key);
        EXPECT_EQ(board.moves, s.moves) << (s.key == kUndo ? "undo" : "redo");
    }
}

TEST(Redo, HeldRedoKeyStepsOnce) {
    BoardState board = board_from_picture(kCorridor);
    Player player(board);
    player.presses({kRight, kRight, kUndo, kUndo});
    for (int i = 0; i < 5; ++i)
        player.frame({kRedo});
    player.settle();
    EXPECT_EQ(rt_bounds(board.redo_stack, 0), 1) << board_text(board);
    EXPECT_EQ(position(board, 0), std::make_pair(2.0, 1.0));
}

// A restart loads the level afresh: nothing is left to redo.
TEST(Redo, LoadingTheLevelAgainForgetsTheUndoneMoves) {
    const double number = next_level_number();
    write_level(number, level_lines(rows(kCorridor)));
    BoardState board;
    board.level_number = number;
    ASSERT_EQ(load_level(board, level_dir().c_str()), 1);
    rebuild_occupancy(board);
    Player player(board);
    player.presses({kRight, kUndo});
    ASSERT_EQ(rt_bounds(board.redo_stack, 0), 1);
    ASSERT_EQ(load_level(board, level_dir().c_str()), 1);
    rebuild_occupancy(board);
    player.press(kRedo);
    EXPECT_EQ(position(board, 0), std::make_pair(1.0, 1.0));
}

} // namespace
