// game_fixture.cpp: level pictures to level files, scripted players and the
// sound recorder shared by the game tests.
#include "game_fixture.h"

#include <random>

namespace game_test {

namespace {

std::vector<int>* g_sounds = nullptr;

void record_sound(int slot, double, double) {
    if (g_sounds) g_sounds->push_back(slot);
}

} // namespace

const std::filesystem::path& level_dir() {
    struct TempDir {
        std::filesystem::path path;
        TempDir() {
            std::random_device random;
            path = std::filesystem::temp_directory_path() /
                   ("cropstack-game-test-" + std::to_string(random()) + std::to_string(random()));
            std::filesystem::create_directories(path);
        }
        ~TempDir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const TempDir dir;
    return dir.path;
}

LevelInfo info_from(const std::string& text) {
    static int dirs = 0;
    const std::filesystem::path dir = level_dir() / ("info" + std::to_string(++dirs));
    std::filesystem::create_directories(dir);
    if (!text.empty()) std::ofstream(dir / "levels.ini", std::ios::binary) << text;
    LevelInfo info;
    info.load(RtString(dir.c_str()));
    return info;
}

double next_level_number() {
    static double n = 100;
    return ++n;
}

std::vector<std::string> rows(const std::string& picture) {
    return level_picture_rows(picture);
}

std::vector<std::string> level_lines(const std::vector<std::string>& picture,
                                     const std::string& extra_blocks) {
    LevelLines lines;
    std::string error;
    EXPECT_TRUE(encode_level_picture(picture, WallRecords::kRuns, lines, error)) << error;
    lines.blocks = extra_blocks + lines.blocks;
    return level_file_lines(lines);
}

BoardState load_board(const std::vector<std::string>& lines) {
    BoardState board;
    board.level_number = next_level_number();
    write_level(board.level_number, lines);
    EXPECT_EQ(load_level(board, level_dir().c_str()), 1) << "level refused: " << lines[0];
    rt_dim(board.occupancy, kBoardWidth, kBoardHeight);
    rebuild_occupancy(board);
    return board;
}

SoundRecorder::SoundRecorder() {
    g_sounds = &slots;
    SoundSetPlayObserver(record_sound);
}

SoundRecorder::~SoundRecorder() {
    SoundSetPlayObserver(nullptr);
    g_sounds = nullptr;
}

Player::Player(BoardState& board, double repeat) : board_(board) {
    static const char* kCodes[kBindingCount] = {"K200", "K208", "K203", "K205", "K49",
                                                "K22",  "K19",  "K35",  "K21"};
    for (int i = 0; i < kBindingCount; ++i)
        board.controls.bindings[i] = kCodes[i];
    board.controls.last_action = kNoAction;
    game_values().option_repeat = repeat;
    InputScriptClear();
}

Player::~Player() {
    InputScriptClear();
    game_values().option_repeat = 0;
}

void Player::frame(std::vector<int> keys, double step) {
    for (int key : keys)
        InputScriptKey(key, true);
    if (board_.fade_timer <= 0) input_step(board_);
    advance_board(board_, step);
    button_step(board_);
    for (int key : keys)
        InputScriptKey(key, false);
}

void Player::press(int key) {
    frame({key});
    settle();
}

void Player::settle() {
    for (int i = 0; i < 100 && board_moving(board_) != 0; ++i)
        frame();
    // One more frame sees the keys released.
    frame();
}

} // namespace game_test
