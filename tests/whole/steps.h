// steps.h: the steps the whole-program scripts are made of: key taps, waits,
// checks, the menu as the settings file lays it out, and levels played by
// the solver's moves.
#pragma once

#include "tests/whole/driver.h"

#include "input/scancodes.h"

#include <string>

namespace whole {

// ---------------------------------------------------------------- basic steps

// Down for one frame, up for the next.
Step tap(int scan_code);
Step wait_ms(double ms);
Step wait_frames(int frames);
Step until(std::function<bool(const FrameView&)> condition);
// Fails the run unless the condition holds for the frame.
Step expect(std::function<bool(const FrameView&)> condition, std::string what);
Step shot(const std::string& name);
Step say(const std::string& text);
// The last step: the program must end within the step's time.
Step program_ends();

// ---------------------------------------------------------------- the settings file

// The run's settings file, read the way the game reads it.
std::string setting(const std::string& section, const std::string& key);
// Index (from 0) of the first line of a menu page whose type and value match
// (value empty: any); fails the run when there is none.
int menu_line(const std::string& page, const std::string& type, const std::string& value);
// Number of lines of a menu page.
int menu_lines(const std::string& page);
// Index of the first "button" line whose value is 0 or less (Quit).
int quit_line();
// Scan code of a player's binding (1-based key order: up, down, left, right,
// next character, undo, restart); fails unless it is a key.
int binding_key(int player, int key);

// ---------------------------------------------------------------- screens

// Waits for the title screen's menu to take input: two seconds of title
// frames, then the page sliding in.
Script menu_ready();
// Moves the menu cursor from `cursor` to `line` and selects it with Return;
// afterwards the cursor is at `line` (pages left through "dir" reset it).
Script menu_choose(int& cursor, int line);
// Moves the cursor to the Quit line, selects it, and the program must end.
Script menu_quit(int& cursor);
// Left on page `page_left`: back to the root page with the cursor on the
// line that leads to the page left.
Script menu_back(int& cursor, const std::string& page_left);
// Waits until the frames are drawn by the title screen again after play.
Script back_at_title();

// ---------------------------------------------------------------- play

// The fewest moves that finish level `level` of the run's library.
std::string solution(int level);
// How many of those moves come before the first one that pushes a block or
// turns a door (one that undo takes back); fails when there is none.
int moves_before_first_undoable(int level);
// The name the run's level library gives a level ("" when none), read
// straight from its information file.
std::string level_name(int level);
// Board `board` (0 or 1) of a game with `boards` boards, at rest on `level`,
// is played by `moves` with the keys of player board + 1. With `iris_shot`,
// the iris closing after the last move is photographed half way.
Script play_moves(int boards, int board, int level, const std::string& moves,
                  const std::string& iris_shot = "");
// play_moves, and the fade must then lead to level + 1.
Script play_level(int boards, int board, int level, const std::string& moves,
                  const std::string& iris_shot = "");
// Waits until every board is on screen and at rest (iris open).
Script boards_at_rest(int boards);

} // namespace whole
