// screens.h: what the game draws and the screens it runs: the board in 3D,
// the iris wipe, the settings menu, the title screen, play and the program's
// entry. Everything here needs the engine (window, 2D layer, 3D renderer).
#pragma once

#include "game/rules/board.h"

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
// Connects the rules to the engine's keyboard, joysticks and sound slots.
void install_game_devices();

// The engine commands draw_board and draw_iris issue, each pointing at the
// command of the same name. Tests may point them at recorders that forward
// to the real commands; the game never changes them.
struct PresentationCalls {
    void (*FillRect)(double x1, double y1, double x2, double y2, double colour);
    void (*Make3D)(double near_plane, double far_plane, double fov);
    void (*SetCameraUp)(double x, double y, double z);
    void (*SetCamera)(double ex, double ey, double ez, double tx, double ty, double tz);
    void (*SetAmbient)(double index, double colour);
    void (*SetLight)(double index, double colour, double x, double y, double z, double dx,
                     double dy, double dz, double angle);
    void (*SetCulling)(double mode);
    void (*SetTexture3D)(double slot, double second_slot);
    void (*DrawModel)(double slot, double frame);
    void (*ObjPosition)(double x, double y, double z);
    void (*ObjRotate)(double angle, double x, double y, double z);
    void (*ObjScale)(double x, double y, double z);
    void (*ObjPush)();
    void (*ObjPop)();
    void (*PolyBegin)(double slot);
    void (*PolyVertex)(double x, double y, double tx, double ty, double colour);
    void (*PolyEnd)();
};
PresentationCalls& presentation_calls();
// The engine's own commands, to restore presentation_calls() from.
PresentationCalls engine_presentation_calls();

// ---------------------------------------------------------------- settings menu

// Opens the menu on the settings file; returns 0.
double MenuOpen(const RtString& settings_file);
// One frame of menu logic and drawing: 0, or the value of the chosen
// "button" line once its page has slid out.
double MenuFrame();
void MenuDraw(double slide, double cursor, const RtArray<RtString>& names,
              const RtArray<RtString>& display);

// The menu's state between frames.
struct MenuState {
    double back_flag = 0; // 1 while leaving a sub-page towards "root"
    // 0 normal; 1 waiting for a new input; -1 an input was stored, waiting
    // until no new input is active.
    double capture = 0;
    // 0 at rest; 0.0001 rising to 1 while a page slides in; -0.0001 falling
    // to -1 while it slides out.
    double slide = 0;
    double cursor = 0;
    RtString page;
    // The direction (1 up, 2 left, 3 down, 4 right, 5 return) acted on last,
    // ignored until a frame reads another one, so each press acts once.
    double held_direction = 0;
    // 1 from an Escape that cancelled a capture until that Escape is
    // released: the menu used it up, so the title screen must not end on it.
    double escape_taken = 0;
    // The lines and bracket texts of the last frame drawn.
    RtArray<RtString> names;
    RtArray<RtString> display;
};
MenuState& menu_state();

// ---------------------------------------------------------------- title, play, entry

// The title screen: the chosen player count, or -1 for Escape.
double title_screen();
// The title's animation phase (0 to 1000, one cycle in 15 seconds) after a
// frame of frame_time ms.
double title_phase_step(double phase, double frame_time);
// Plays with one or two boards until Escape; returns 0. A level that cannot
// be started (missing, invalid, past the end of the library) ends the game
// too, with a log entry.
double play_game(double player_count);
// Called by play_game once per frame, after drawing and before the frame is
// presented, with the boards; null removes it. Lets tests and tools script
// input and look at the frame.
using PlayFrameObserver = void (*)(const RtArray<BoardState>& boards);
void set_play_frame_observer(PlayFrameObserver observer);
// "cropstack.ini" beside the program, or the player's own copy in the
// configuration directory when the program's directory cannot be written.
const RtString& game_settings_file();
// The game's main program: settings, screen mode, assets, title/play loop.
[[noreturn]] void game_main();
// Every model, texture and sound of the game into its slot (a file that
// fails leaves its slot empty).
void load_game_assets();
// The frame drawn over the boards into sprite 100 for a player count of
// 1, 2 or 3 to 4; other counts keep what sprite 100 holds.
void load_frame_overlay(double player_count);
// The entry procedure: engine defaults, start-up, main program, end.
[[noreturn]] void game_entry(int argc, char** argv);
