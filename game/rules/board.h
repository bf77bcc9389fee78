// board.h: the game's contract for everything outside this folder.
//
// Control mapping (binding codes, actions, input snapshots), the board model
// (movers, boxes, doors, characters, the two grids, the undo stack), the move
// rules, the level library, the key and control names, and a text picture of
// a board for tools and test messages. Everything here works on a BoardState
// in memory; nothing here draws.
#pragma once

#include "runtime/rtini.h"
#include "runtime/runtime.h"

#include <string>
#include <vector>

// Entries of a list: the first dimension of an array.
inline int count(const auto& list) {
    return static_cast<int>(rt_bounds(list, 0));
}
// The whole cell (or list index) a position held as a number stands for,
// truncated toward zero.
inline int cell(double position) {
    return static_cast<int>(position);
}

// ---------------------------------------------------------------- devices

// What the rules take from the machine: the input state the controls read and
// the sound effects the moves play. The screens install the engine's devices
// at start-up (install_game_devices); until then every control reads 0 and
// the moves are silent, which is what the command-line tools want.
struct RulesDevices {
    double (*key_down)(double scan_code);
    double (*joy_count)();
    // Axis 0..5: X, Y, Z, RX, RY, RZ, each -1..1.
    double (*joy_axis)(double joystick, int axis);
    double (*joy_hat_x)(double joystick);
    double (*joy_hat_y)(double joystick);
    double (*joy_button)(double joystick, double button);
    void (*play_sound)(double slot);
    // Game pads in the standard layout: one past the highest pad in use, and
    // a control's value 0..1 (controls as in input/scancodes.h).
    double (*pad_count)();
    double (*pad_control)(double pad, double control);
};
// The devices in force; never null.
const RulesDevices& rules_devices();
// Installs devices; a null member keeps reading 0 (or stays silent).
void set_rules_devices(const RulesDevices& devices);
// From now on this thread reads every control as 0 and plays nothing: for a
// helper thread that runs the rules on a copy of a board while the main
// thread owns the devices.
void quiet_rules_devices_on_this_thread();

// ---------------------------------------------------------------- control mapping

// The player actions: the seven of play, then the two help commands. Their
// numbers are the ones the settings and the once-per-press rule use;
// kNoAction is "none fired yet".
enum Action : int {
    kNoAction = 0,
    kActionLeft = 1,
    kActionRight = 2,
    kActionUp = 3,
    kActionDown = 4,
    kActionUndo = 5,
    kActionNextCharacter = 6,
    kActionRestart = 7,
    kActionHint = 8,
    kActionRedo = 9,
};

// A player's binding codes (keys "1value" to "9value" of the player's
// "keyconfig" section: up, down, left, right, next character, undo, restart,
// hint, redo), the pad binding beside each (keys "1pad" to "9pad"; either
// fires the action) and the action that fired last for this player.
inline constexpr int kBindingCount = 9;
struct PlayerControls {
    RtString bindings[kBindingCount];
    RtString pads[kBindingCount];
    Action last_action = kNoAction;
};

// Every key (index 1..255; 0 stays 0), every joystick control (joysticks x
// 48) and every pad control (pads x kPadControlCount), with dead zone 0.4,
// at one moment.
struct InputSnapshot {
    RtArray<double> keys;
    RtArray<double> joystick_controls;
    RtArray<double> pad_controls;
};

// The reference snapshot the settings menu compares against.
InputSnapshot& reference_snapshot();

// Current value of a binding code: "K<scan code>", "J<digit>-<control>" or
// "P<digit>-<pad control>"; any other code is unbound and reads 0.
double EvalBinding(const RtString& code);
// A pad control's value beyond the dead zone, else 0.
double PadControlValue(double pad, double control, double dead_zone);
// The field of a keys-page line that holds a binding code: "pad" for a pad
// code, "value" for keys and joysticks.
RtString binding_field(const RtString& code);
// Control 0..11 axes (by side, beyond the dead zone), 12..15 hat sides,
// 16.. buttons 0.. of the joystick.
double JoyControlValue(double joystick, double control, double dead_zone);
// 1 when the action fires for these controls, with the repeat option and the
// once-per-press rule; updates controls.last_action.
double ActionPressed(PlayerControls& controls, Action action);
// Reads the nine bindings of player p (1, 2, ...) from section "keyconfig<p>"
// of the open settings store; last action starts at 0.
void LoadPlayerControls(PlayerControls& controls, double player);
void TakeInputSnapshot(InputSnapshot& snapshot);
// The first binding active in current but not in previous (keys, then pads,
// then joysticks, lower numbers first), or the empty text. A pad the
// previous snapshot did not have counts as released there, so a pad
// plugged in since can be bound.
RtString NewlyPressedBinding(const InputSnapshot& current, const InputSnapshot& previous);

// ---------------------------------------------------------------- board model

inline constexpr int kBoardWidth = 20;
inline constexpr int kBoardHeight = 18;

// Occupancy codes.
inline constexpr double kCellFree = 0;
inline constexpr double kCellBlock = 1; // a block resting on the floor
inline constexpr double kCellWall = 2;  // a wall or a door pivot
inline constexpr double kCellArm = 3;   // a door arm
inline constexpr double kCellExit = 4;

// First values of a board's fade timer: the iris starts closing after a
// level was completed or restarted, closes a little later after Escape (so
// the play loop can tell the two apart), and starts opening on a new level.
inline constexpr double kFadeClosing = 0.00001;
inline constexpr double kFadeClosingToQuit = 0.000001;
inline constexpr double kFadeOpening = -0.00001;

// Sound slots the rules play.
inline constexpr double kSoundBlock = 0; // "block.wav"
inline constexpr double kSoundDoor = 1;  // "door.wav"
inline constexpr double kSoundFall = 2;  // "fall.wav"
inline constexpr double kSoundDone = 3;  // "done.wav"

// The animated placement shared by everything that moves.
struct Mover {
    double x = 0, y = 0;
    double height = 0;
    double angle = 0;
    double pending_dx = 0, pending_dy = 0;
    double pending_height = 0;
    double pending_angle = 0;
};

// A wall or a block: width along x, depth along y, placed at its cell with the
// smallest x and y.
struct BoxRecord {
    double width = 0, depth = 0;
    Mover m;
};

// A revolving door: arm flags [0] above, [1] right, [2] below, [3] left of the
// pivot at (m.x, m.y). The flags always hold four entries.
struct DoorRecord {
    DoorRecord() { rt_dim(arms, 4); }
    RtArray<double> arms;
    Mover m;
};

struct CharacterRecord {
    Mover m;
};

// What undo restores. The terrain is kept too, so that undoing a push that
// dropped a block into holes opens the holes again.
struct BoardSnapshot {
    RtArray<BoxRecord> blocks;
    RtArray<DoorRecord> doors;
    RtArray<CharacterRecord> characters;
    RtArray<double> terrain;
    double moves = 0; // the board's move count when the snapshot was taken
};

// One player's board. Copyable: a copy is a deep, independent board.
struct BoardState {
    PlayerControls controls;
    RtArray<BoxRecord> blocks;
    RtArray<BoxRecord> walls;
    RtArray<DoorRecord> doors;
    RtArray<CharacterRecord> characters; // in level order, still on the board
    Mover exit;
    RtArray<double> occupancy; // 20 x 18 occupancy codes, derived
    RtArray<double> terrain;   // 20 x 18: 0 floor, non-zero hole
    double fade_timer = 0;     // 0 playable, > 0 iris closing, < 0 opening
    double floor_slot = 0;     // model slot of this board's floor
    // The point camera mode 1 glides towards the current character, one per
    // board so that two boards' views never pull at each other; set when a
    // level starts.
    double camera_follow[3] = {0, 0, 0};
    double current_character = 0;
    double level_number = 0;
    double moves = 0; // accepted steps in this attempt: undo takes one back, redo gives it again
    RtArray<BoardSnapshot> undo_stack;
    // The positions undo stepped back from, newest last, at rest; redo steps
    // forward along them until a new move clears them.
    RtArray<BoardSnapshot> redo_stack;
    // 0 makes the rules skip undo snapshots (search tools that keep their own
    // history); the game leaves it at 1.
    double record_undo = 1;
};

// Values shared by the whole game; the main flow sets them.
struct GameValues {
    double screen_width = 0, screen_height = 0;
    double frame_width = 0, frame_height = 0;
    double player_count = 0;
    double option_repeat = 0; // non-zero: held direction actions repeat
    double option_camera = 0;
};
GameValues& game_values();

// Recomputes the occupancy grid from the blocks, walls, doors and exit.
void rebuild_occupancy(BoardState& board);
// Moves the mover toward its pending amounts by at most step cells (45 x step
// degrees); the vertical move waits for the horizontal one. Never overshoots:
// any step at least as large as what is pending lands exactly.
void advance_mover(Mover& mover, double step);
// Index of the first block at height 0 covering cell (x, y), else 0.
double find_block(const BoardState& board, double x, double y);
void push_snapshot(BoardState& board);
// Back to the newest undo snapshot; the position left behind goes onto the
// redo stack.
void undo_last(BoardState& board);
// Forward to the newest redo position, keeping the one left behind on the
// undo stack as a move would; nothing when there is none.
void redo_last(BoardState& board);
// Puts every block, door and character where its pending movement ends, at
// rest, without playing the sounds the animation would.
void settle_board(BoardState& board);

// Makes `to` the same position as `from`: everything the rules change (lists,
// grids, exit, fade timer, current character, level number), but neither the
// controls nor the undo stack. Reuses the storage `to` already has, so
// search tools can copy positions without allocating.
void copy_board_position(BoardState& to, const BoardState& from);

// One frame's animation of a board: doors, blocks, characters (with their
// hop) and the exit, each by step cells (step = frame time / 150 ms).
void advance_board(BoardState& board, double step);
// 1 while any door, block, character or the exit still has movement pending.
double board_moving(const BoardState& board);
// Completes every pending movement at once, with the sounds it brings.
void finish_animations(BoardState& board);

// ---------------------------------------------------------------- move rules

// Reads the four direction actions (right, left, down, up) and performs at
// most one step of the current character.
void input_step(BoardState& board);
// The step itself for a direction given directly (dx, dy each -1, 0 or 1;
// horizontal wins). Returns 1 when the board changed (something started to
// move or a character left through the exit), else 0; each such step counts
// one in board.moves. A board whose fade timer is positive (level complete or
// restarting) takes no steps. An accepted step is a new move: it clears the
// redo stack.
double step_character(BoardState& board, double dx, double dy);
// 1 if the block starts to move one cell by (dx, dy), else 0.
double try_push_block(BoardState& board, double block, double dx, double dy);
// The character at (fx, fy) walks into the door arm at (ax, ay).
void try_turn_door(BoardState& board, double ax, double ay, double fx, double fy);
// Control passes to the next character, wrapping round (nothing without characters).
void next_character(BoardState& board);
// Next character, undo, restart and redo, in that order.
void button_step(BoardState& board);

// ---------------------------------------------------------------- level library

// dir + "/QLEV" + level + ".CMD"
RtString level_file_name(const RtString& dir, double level);
// Why a level file cannot be read ("no such file", "not a plain file", "file
// too large"), or an empty text when it can: only a missing file is the end
// of the library.
RtString level_file_problem(const RtString& file);
// The highest level number with a file in dir (the library's last level), or
// 0 when dir holds none: a missing level below it is a gap, not the end.
double last_level_number(const RtString& dir);
// Reads and checks the level file of board.level_number in dir and fills the
// board with it. Returns 1 on success; on a missing or malformed file it logs
// the reason, leaves the board as it was and returns 0.
double load_level(BoardState& board, const RtString& dir);
// The same for a file named directly; the reason for a failure also goes to
// *reason when given.
double load_level_file(BoardState& board, const RtString& file, RtString* reason = nullptr);
// load_level from "levlib", then the occupancy grid and the floor model.
// Returns 1 on success, 0 when the level could not be loaded (board unchanged).
double start_level(BoardState& board);

// Builds a board's floor model from its terrain grid into a model slot. The
// presentation installs it; without one, start_level builds no floor model.
using FloorMeshBuilder = void (*)(double slot, const RtArray<double>& terrain);
void set_floor_mesh_builder(FloorMeshBuilder builder);

// What the library says of its levels beyond the level files: each level's
// name and fewest moves, kept in one settings-format file beside the level
// files (section "level<n>", keys "name" and "moves"), which the level tool
// writes. A level without an entry has neither.
struct LevelInfoEntry {
    std::string name; // empty: none
    int fewest = -1;  // -1: unknown
};
// dir + "/levels.ini"
RtString level_info_file_name(const RtString& dir);
// The file's text for levels 1, 2, ... in order.
std::string level_info_text(const std::vector<LevelInfoEntry>& levels);

class LevelInfo {
  public:
    // Reads the information file of a level directory; a missing or
    // unreadable file leaves no entries.
    void load(const RtString& dir);
    // The level's name, or the empty text.
    RtString name(double level) const;
    // The level's fewest moves: a whole number, or -1 when unknown (no entry,
    // or a value that is not a whole number of moves).
    double fewest(double level) const;

  private:
    IniStore store_;
};

// ---------------------------------------------------------------- level pictures

// A level drawn as text, one character per cell, row 0 at the top:
//   #  wall            .  floor          ~  hole           (space) a hole
//   +  door pivot      |  arm above or below a pivot       -  arm left or right of one
//   E  exit            1..5  characters, in list order
//   B  a 1 x 1 block (each B its own block)
//   a..z  blocks: each group of touching cells of one letter is one block and
//         must fill a rectangle; neighbouring blocks take different letters.
// Cells the picture does not reach are floor.
struct LevelLines {
    std::string walls, blocks, doors, people, terrain; // lists empty when there is nothing
};
// How the walls become records: one per horizontal run, or as few rectangles.
enum class WallRecords { kRuns, kRectangles };
// The lines of the level file for a picture, or false with the reason (a
// picture larger than the board, a block letter that is no rectangle, an arm
// without a single pivot beside it). Characters and exit are not checked.
bool encode_level_picture(const std::vector<std::string>& rows, WallRecords walls,
                          LevelLines& lines, std::string& error);
// The five lines as the file holds them: an empty list becomes the filler ".".
std::vector<std::string> level_file_lines(const LevelLines& lines);
// Picture rows from one text with the rows separated by '/'.
std::vector<std::string> level_picture_rows(const std::string& picture);

// ---------------------------------------------------------------- key and control names

// Sizes the table to 256 entries and stores the named scan codes.
void BuildKeyNameTable(RtArray<RtString>& table);
RtString KeyName(double code);
RtString ControlName(double control);
// A pad control's name ("A", "LB", "D-pad up", "L stick left"), empty for a
// number that is no control.
RtString PadControlName(double control);
// The readable label of a binding code, e.g. "UP", "J1,POS_Y", "Pad A",
// "D-pad up", "Pad2 LB", "*NONE*".
RtString BindingLabel(const RtString& code);

// ---------------------------------------------------------------- text picture

// The board as 18 lines of 20 cells with letter coordinates round it (the
// level file's coordinates), then a line naming the level, the characters and
// the current one.
std::string board_text(const BoardState& board);
// What each cell character of board_text means.
std::string board_legend();
