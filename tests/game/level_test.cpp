// level_test.cpp: level files decoded into boards, files that are refused,
// start_level's floor seam, and the text picture of a board.
#include "game_fixture.h"

#include <sstream>

using namespace game_test;

namespace {

// Walls round the cell (1, 1), so a character there is safely enclosed.
const std::string kRingWalls = "AACAACCCABABCBCB";

BoardState load_lines(const std::vector<std::string>& lines, BoardState board = {}) {
    board.level_number = next_level_number();
    write_level(board.level_number, lines);
    EXPECT_EQ(load_level(board, level_dir().c_str()), 1);
    return board;
}

std::vector<std::string> picture_rows(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> rows;
    std::getline(in, line); // column letters
    for (int y = 0; y < kBoardHeight && std::getline(in, line); ++y)
        rows.push_back(line.substr(2));
    return rows;
}

std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Level, CharactersAndAnAbsentExit) {
    BoardState before;
    before.exit.x = 7;
    before.exit.y = 9;
    BoardState board = load_lines({kRingWalls, "x", "x", "BBAAAAAAAAAA", "T"}, before);
    ASSERT_EQ(rt_bounds(board.characters, 0), 1);
    EXPECT_EQ(rt_index(board.characters, 0).m.x, 1);
    EXPECT_EQ(rt_index(board.characters, 0).m.y, 1);
    EXPECT_EQ(board.exit.x, 7) << "an absent exit keeps its cell";
    EXPECT_EQ(board.exit.y, 9);
    EXPECT_EQ(rt_bounds(board.blocks, 0), 0) << "a one-character line is an empty list";
    EXPECT_EQ(rt_bounds(board.doors, 0), 0);
    EXPECT_EQ(board.camera_follow[0], 10);
    EXPECT_EQ(board.camera_follow[2], 6);
    EXPECT_EQ(level_file_name("levlib", 10).str(), "levlib/QLEV10.CMD");
}

// The library's last level is the highest number by value; other names
// beside the levels do not count.
TEST(Level, LastLevelNumberIsTheHighestLevelFile) {
    const struct {
        const char* name;
        std::vector<std::string> files;
        double last;
    } cases[] = {
        {"numbers by value", {"QLEV1.CMD", "QLEV12.CMD", "QLEV3.CMD"}, 12},
        {"a gap below the last", {"QLEV1.CMD", "QLEV68.CMD"}, 68},
        {"other names",
         {"QLEV2.CMD", "QLEV99.BAK", "qlev50.cmd", "QLEV07.CMD", "QLEV.CMD", "QLEV5x.CMD",
          "QLEV-9.CMD", "QLEV12345678901.CMD"},
         2},
        {"no levels", {"levels.ini"}, 0},
    };
    const std::filesystem::path root = level_dir() / "last-level";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path dir = root / c.name;
        std::filesystem::create_directories(dir);
        for (const std::string& file : c.files)
            std::ofstream(dir / file) << "x\n";
        EXPECT_EQ(last_level_number(dir.c_str()), c.last);
    }
    EXPECT_EQ(last_level_number((root / "not there").c_str()), 0);
}

TEST(Level, TerrainRunsFillRowByRow) {
    const struct {
        std::string code;
        int holes_in_row0, holes_in_row1;
    } cases[] = {{"T", 0, 0}, {"t", 20, 0}, {"Ecz", 15, 14}, {"", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("terrain \"" + c.code + "\"");
        // An empty line reads "NO_DATA": floor only.
        BoardState board = load_lines({kRingWalls, "xxx", "xx", "BBAAAAAAAAAA", c.code});
        int rows[2] = {0, 0};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < kBoardWidth; ++x)
                rows[y] += rt_index(board.terrain, x, y) != 0;
        EXPECT_EQ(rows[0], c.holes_in_row0);
        EXPECT_EQ(rows[1], c.holes_in_row1);
    }
}

TEST(Level, RectanglesAndDoorsDecode) {
    BoardState board = load_lines({kRingWalls + "CDEH", "JJKK", "FFEIIO", "BBAAAAAAAAAA", "T"});
    const BoxRecord& wall = rt_index(board.walls, 4);
    EXPECT_EQ(wall.m.x, 2);
    EXPECT_EQ(wall.m.y, 3);
    EXPECT_EQ(wall.width, 3);
    EXPECT_EQ(wall.depth, 5);
    const BoxRecord& block = rt_index(board.blocks, 0);
    EXPECT_EQ(block.width * block.depth, 4);
    const std::vector<double> expected[2] = {{1, 0, 1, 0}, {1, 1, 1, 1}}; // "E", "O"
    for (int d = 0; d < 2; ++d)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(rt_index(rt_index(board.doors, d).arms, k), expected[d][k])
                << "door " << d << " arm " << k;
}

TEST(Level, BadFilesAreRefusedAndTheBoardKept) {
    const std::string walls = kRingWalls, people = "BBAAAAAAAAAA";
    const struct {
        const char* what;
        std::vector<std::string> lines;
    } cases[] = {
        {"wall line of 5", {walls + "A", "x", "x", people, "T"}},
        {"empty block line", {walls, "", "x", people, "T"}},
        {"door line of 4", {walls, "x", "FFEA", people, "T"}},
        {"wall beyond the grid", {walls + "AAUA", "x", "x", people, "T"}},
        {"wall corners reversed", {walls + "EAAA", "x", "x", people, "T"}},
        {"door arm beyond the grid", {walls, "x", "AFI", people, "T"}},
        {"no character", {walls, "x", "x", "AAAAAAAAAAAA", "T"}},
        {"character beyond the grid", {walls, "x", "x", "BZ", "T"}},
        {"exit beyond the grid", {walls, "x", "x", "BBAAAAAAZZ", "T"}},
        {"terrain past the last row", {walls, "x", "x", people, "zzzzzzzzzzzzzzzz"}},
        {"open to the edge", {"AACA", "x", "x", people, "T"}},
        {"block inside a wall", {walls, "ABAB", "x", people, "T"}},
        {"door turning off the grid", {"AAEAADEDEAEDABAB", "x", "ACB", people, "T"}},
    };
    BoardState good = board_from_picture("#####/#1B.#/#####");
    const std::string before = board_text(good);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        good.level_number = next_level_number();
        write_level(good.level_number, c.lines);
        EXPECT_EQ(load_level(good, level_dir().c_str()), 0);
        EXPECT_EQ(picture_rows(board_text(good)), picture_rows(before));
    }
}

// Once refused, played safely: an arm character above "O" counts by its low
// four bits, and an exit in the wall with floor beyond is never walked past.
TEST(Level, ArmCharactersAboveOAndExitsInWallsAreAccepted) {
    const std::string walls = kRingWalls, people = "BBAAAAAAAAAA";
    const std::vector<std::string> cases[] = {
        {walls, "x", "FFZ", people, "T"},
        {walls, "x", "x", "BBAAAAAACBAA", "T"},
    };
    for (const auto& lines : cases) {
        BoardState board;
        board.level_number = next_level_number();
        write_level(board.level_number, lines);
        EXPECT_EQ(load_level(board, level_dir().c_str()), 1) << lines[2] << " " << lines[3];
    }
}

TEST(Level, MissingFileIsReportedInTheLog) {
    BoardState board;
    RtString reason;
    auto file = level_dir() / "QLEV9999.CMD";
    EXPECT_EQ(load_level_file(board, file.c_str(), &reason), 0);
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(slurp(rt_log_path().str()).find("level: " + file.string()), std::string::npos);
}

namespace {
double g_floor_slot = -1;
int g_floor_holes = -1;
void record_floor(double slot, const RtArray<double>& terrain) {
    g_floor_slot = slot;
    g_floor_holes = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            g_floor_holes += rt_index(terrain, x, y) != 0;
}
} // namespace

TEST(Level, StartLevelBuildsTheGridsAndHandsOnTheFloor) {
    auto play_dir = level_dir() / "play";
    std::filesystem::create_directories(play_dir / "levlib");
    RtString old_dir = rt_get_current_dir();
    ASSERT_EQ(rt_set_current_dir(play_dir.c_str()), 1);
    {
        std::ofstream out(play_dir / "levlib" / "QLEV7.CMD");
        out << "AAEAAEEEAAAEEAEE\r\nCBCB\r\nx\r\nBBAAAAAADCAA\r\nZZJc\r\n";
    }
    set_floor_mesh_builder(record_floor);
    BoardState board;
    board.level_number = 7;
    board.floor_slot = 101;
    EXPECT_EQ(start_level(board), 1);
    EXPECT_EQ(g_floor_slot, 101);
    EXPECT_EQ(g_floor_holes, 3);
    EXPECT_EQ(rt_index(board.occupancy, 2, 1), 1);
    EXPECT_EQ(rt_index(board.occupancy, 3, 2), 4);
    // The level after the last one is refused; the board stays playable.
    g_floor_slot = -1;
    board.level_number = 8;
    EXPECT_EQ(start_level(board), 0);
    EXPECT_EQ(g_floor_slot, -1);
    EXPECT_EQ(rt_bounds(board.characters, 0), 1);
    set_floor_mesh_builder(nullptr);
    rt_set_current_dir(old_dir);
}

TEST(Level, PictureOfALoadedLevelMatchesItsDrawing) {
    const auto picture = rows("##########/#1..B..E.#/#.~~..|..#/#.~...+-.#/#2..B....#/##########");
    BoardState board = board_from_picture(picture);
    std::vector<std::string> rows = picture_rows(board_text(board));
    ASSERT_EQ(rows.size(), static_cast<size_t>(kBoardHeight));
    for (size_t y = 0; y < rows.size(); ++y) {
        std::string expected = y < picture.size() ? picture[y] : "";
        expected.resize(kBoardWidth, '.');
        EXPECT_EQ(rows[y], expected) << "row " << y << "\n" << board_text(board);
    }
}
