// screens.h: what the game draws and the screens it runs: the board in 3D,
// the iris wipe, the settings menu, the title screen, play and the program's
// entry. Everything here needs the engine (window, 2D layer, 3D renderer).
#pragma once

#include "game/board.h"

// ---------------------------------------------------------------- board presentation

// Draws one board into the current viewport (background, camera, doors,
// blocks, walls, characters, flag, floor, then the shadow pass; the caller's
// End3D leaves the shadow pass).
void draw_board(BoardState& board);
// Builds a floor model from a 20 x 18 terrain grid into a model slot.
void build_floor_mesh(double slot, const RtArray<double>& terrain);
// The iris wipe over the current viewport: openness 0 closed (white) to 1 open.
void draw_iris(double openness);
// Installs build_floor_mesh as start_level's floor builder.
void install_presentation();

// ---------------------------------------------------------------- settings menu

// Opens the menu on the settings file; returns 0.
double MenuOpen(const RtString& settings_file);
// One frame of menu logic and drawing: 0, or the value of the chosen
// "button" line once its page has slid out.
double MenuFrame();
void MenuDraw(double slide, double cursor, const RtArray<RtString>& names,
              const RtArray<RtString>& display);

// ---------------------------------------------------------------- title, play, entry

// The title screen: the chosen player count, or -1 for Escape.
double title_screen();
// Plays with one or two boards until Escape; returns 0.
double play_game(double player_count);
// The game's main program: settings, screen mode, assets, title/play loop.
[[noreturn]] void game_main();
// The entry procedure: engine defaults, start-up, main program, end.
[[noreturn]] void game_entry(int argc, char** argv);
