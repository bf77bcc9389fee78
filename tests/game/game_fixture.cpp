// game_fixture.cpp: level pictures to level files, scripted players and the
// sound recorder shared by the game tests.
#include "game_fixture.h"

#include <random>

namespace game_test {

namespace {

char letter(int n) {
    return static_cast<char>('A' + n);
}

std::string rect(int x1, int y1, int x2, int y2) {
    return {letter(x1), letter(y1), letter(x2), letter(y2)};
}

char at(const std::vector<std::string>& picture, int x, int y) {
    if (y < 0 || y >= static_cast<int>(picture.size())) return '.';
    if (x < 0 || x >= static_cast<int>(picture[y].size())) return '.';
    return picture[y][x];
}

// Runs of equal cells over the whole grid, row by row; trailing floor is left out.
std::string terrain_line(const std::vector<std::string>& picture) {
    std::string line;
    int n = kBoardWidth * kBoardHeight, i = 0;
    while (i < n) {
        bool hole = at(picture, i % kBoardWidth, i / kBoardWidth) == '~';
        int run = 1;
        while (i + run < n && run < 26 &&
               (at(picture, (i + run) % kBoardWidth, (i + run) / kBoardWidth) == '~') == hole)
            ++run;
        line += static_cast<char>((hole ? 'a' : 'A') + run - 1);
        i += run;
    }
    while (!line.empty() && line.back() >= 'A' && line.back() <= 'Z')
        line.pop_back();
    return line.empty() ? "T" : line;
}

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

double next_level_number() {
    static double n = 100;
    return ++n;
}

std::vector<std::string> rows(const std::string& picture) {
    std::vector<std::string> result(1);
    for (char c : picture) {
        if (c == '/')
            result.emplace_back();
        else
            result.back() += c;
    }
    return result;
}

std::vector<std::string> level_lines(const std::vector<std::string>& picture,
                                     const std::string& extra_blocks) {
    std::string walls, blocks = extra_blocks, doors;
    std::string people(12, 'A');
    static constexpr int kPair[5] = {0, 1, 2, 3, 5}; // characters 1..5; pair 4 is the exit
    for (int y = 0; y < static_cast<int>(picture.size()); ++y) {
        for (int x = 0; x < static_cast<int>(picture[y].size()); ++x) {
            char c = picture[y][x];
            if (c == '#') {
                int x2 = x;
                while (at(picture, x2 + 1, y) == '#')
                    ++x2;
                walls += rect(x, y, x2, y);
                x = x2;
            } else if (c == 'B') {
                blocks += rect(x, y, x, y);
            } else if (c == '+') {
                int mask = (at(picture, x, y - 1) == '|' ? 1 : 0) +
                           (at(picture, x + 1, y) == '-' ? 2 : 0) +
                           (at(picture, x, y + 1) == '|' ? 4 : 0) +
                           (at(picture, x - 1, y) == '-' ? 8 : 0);
                doors += {letter(x), letter(y), static_cast<char>(64 + mask)};
            } else if (c == 'E' || (c >= '1' && c <= '5')) {
                int pair = c == 'E' ? 4 : kPair[c - '1'];
                people[2 * pair] = letter(x);
                people[2 * pair + 1] = letter(y);
            }
        }
    }
    // An empty list is written as a single filler character.
    return {walls.empty() ? "." : walls, blocks.empty() ? "." : blocks, doors.empty() ? "." : doors,
            people, terrain_line(picture)};
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
    board.controls.last_action = 0;
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
