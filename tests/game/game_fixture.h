// game_fixture.h: helpers shared by the game tests: level files written from
// small pictures, a board driven frame by frame through the real rules with
// scripted keys, and a record of the sounds played.
#pragma once

#include "game/rules/board.h"

#include "audio/audio.h"
#include "input/input.h"
#include "input/scancodes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace game_test {

// The keys the test players' seven actions are bound to (Player).
inline constexpr int kUp = kKeyUp, kDown = kKeyDown, kLeft = kKeyLeft, kRight = kKeyRight;
inline constexpr int kNext = kKeyN, kUndo = kKeyU, kRestart = kKeyR;
inline constexpr int kHint = kKeyH, kRedo = kKeyY;

// A directory of its own for each test program run, removed at exit. Every
// level file gets a new number: the line-file cache keeps the last file it
// read by name.
const std::filesystem::path& level_dir();
double next_level_number();

// Writes the five lines as level `number` of level_dir().
inline void write_level(double number, const std::vector<std::string>& lines) {
    std::ofstream out(level_file_name(level_dir().c_str(), number).str(), std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

// The five level lines for a picture (encode_level_picture, walls as runs);
// wider blocks are given as extra rectangles in the file's own letters
// ("CBDB"), listed before the picture's. Fails the test on a bad picture.
std::vector<std::string> level_lines(const std::vector<std::string>& picture,
                                     const std::string& extra_blocks = "");

// The library information read from a level directory of its own that holds
// only a levels.ini with this text (no file at all for an empty text).
LevelInfo info_from(const std::string& text);

// Picture rows from one text with the rows separated by '/'.
std::vector<std::string> rows(const std::string& picture);

// A board loaded through load_level from the lines, with its occupancy grid
// built, as start_level leaves it. Fails the test when the level is refused.
BoardState load_board(const std::vector<std::string>& lines);
inline BoardState board_from_picture(const std::vector<std::string>& picture,
                                     const std::string& extra_blocks = "") {
    return load_board(level_lines(picture, extra_blocks));
}
inline BoardState board_from_picture(const std::string& picture,
                                     const std::string& extra_blocks = "") {
    return board_from_picture(rows(picture), extra_blocks);
}

// Every PlaySound slot since the recorder was made.
class SoundRecorder {
  public:
    SoundRecorder();
    ~SoundRecorder();
    std::vector<int> slots;
};

// A player on a board: the board's bindings are the test keys; frames run the
// rules as the play loop does (input, animation, buttons).
class Player {
  public:
    explicit Player(BoardState& board, double repeat = 0);
    ~Player();
    // One frame with the keys held (they are released afterwards).
    void frame(std::vector<int> keys = {}, double step = 0.25);
    // Presses and releases a key, then runs frames until everything rests.
    void press(int key);
    void presses(std::initializer_list<int> keys) {
        for (int key : keys)
            press(key);
    }
    void settle();

  private:
    BoardState& board_;
};

// The cell a character rests on, for messages.
inline std::pair<double, double> position(const BoardState& board, int character) {
    const Mover& m = rt_index(board.characters, character).m;
    return {m.x, m.y};
}

} // namespace game_test
