// screens.h: what the game draws and the screens it runs: the board in 3D,
// the iris wipe, the settings menu, the title screen, play with its hints and
// the program's entry. Everything here needs the engine (window, 2D layer, 3D renderer).
#pragma once

#include "game/rules/board.h"
#include "game/solver/solver.h"

#include <functional>
#include <memory>
#include <vector>

// Colours the screens share, as the drawing calls take them (0xRRGGBB).
inline constexpr double kWhite = 0xFFFFFF;
inline constexpr double kBlack = 0;

// Sprite slots the screens share. Slot 100 holds the frame over the boards
// during a game and the first of the title's thumbnails between games; slot
// 99 holds the title's logo and slot 98 the lens the thumbnails are rendered
// through (both at once: the thumbnails are rendered while the logo shows).
inline constexpr double kPlayFrameSprite = 100;
inline constexpr double kFirstThumbnailSprite = 100;
inline constexpr double kLensSprite = 98;
inline constexpr double kLogoSprite = 99;

// ---------------------------------------------------------------- board presentation

// Draws one board into the current viewport (background, camera, doors,
// blocks, walls, characters, flag, floor, then the shadow pass; the caller's
// End3D leaves the shadow pass). In play a ring on the floor marks the
// current character.
void draw_board(BoardState& board, bool mark_current = false);
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

// First values of the menu's slide: a page starts sliding in or out.
inline constexpr double kSlideIn = 0.0001;
inline constexpr double kSlideOut = -0.0001;

// The menu's state between frames.
struct MenuState {
    double back_flag = 0; // 1 while leaving a sub-page towards "root"
    // 0 normal; 1 waiting for a new input; -1 an input was stored, waiting
    // until no new input is active.
    double capture = 0;
    // 0 at rest; kSlideIn rising to 1 while a page slides in; kSlideOut
    // falling to -1 while it slides out.
    double slide = 0;
    double cursor = 0;
    RtString page;
    // The direction (1 up, 2 left, 3 down, 4 right, 5 return) acted on last,
    // ignored until a frame reads another one, so each press acts once.
    double held_direction = 0;
    // 1 from an Escape that cancelled a capture until that Escape is
    // released: the menu used it up, so the title screen must not end on it.
    double escape_taken = 0;
    // Said under the lines until the next key: a new binding taken from
    // another line, which got the replaced one in exchange.
    RtString notice;
    // The lines and bracket texts of the last frame drawn.
    RtArray<RtString> names;
    RtArray<RtString> display;
};
MenuState& menu_state();

// The menu's direction from any game pad this frame (numbered as
// MenuState::held_direction; 0 none). A direction held long enough to
// repeat clears *held_direction, so the menu acts on it again.
double menu_pad_direction(double* held_direction);
// True while any pad's Start is down: in play it asks for the menu as
// Escape does.
bool pad_asks_for_menu();
// The bracket text of line `line` (from 1) of a keys page: its key, and its
// pad binding after a "/" when the line has one, as much of it as leaves the
// line's name readable in the menu box.
RtString key_line_text(const RtString& page, double line);

// ---------------------------------------------------------------- progress and level choice

// The furthest level each board has reached (board 0 and board 1), kept in
// "cropstack-progress.ini" beside the settings file: section "progress",
// keys "board1" and "board2".
struct ProgressRecord {
    double furthest[2] = {1, 5};
};
// Where board 0 and board 1 begin without a record: levels 1 and 5.
double first_level(int board);
// The record's file, beside the settings file the game uses.
RtString progress_file();
// 1 when the level directory holds a level of that number the loader takes.
bool playable_level(const RtString& level_dir, double level);
// The record in the file. A missing or damaged file, or an entry that is not
// the number of a level the directory can start from the board's first level
// on, gives the board's first level; reading never fails.
ProgressRecord read_progress(const RtString& file, const RtString& level_dir);
// Board `board` completed `level`: the record keeps the furthest of what it
// held and the next level (the level itself when no next one can start),
// written beside the old file and renamed over it. Returns the new record.
ProgressRecord record_completion(const RtString& file, const RtString& level_dir, int board,
                                 double level);
// Whether a board may start at a level: level 1 always, and the levels from
// the board's first level up to its furthest.
bool level_reached(const ProgressRecord& record, int board, double level);
// The level a board starts at: the chosen level when it is a reached one,
// else the furthest; a choice of 0 is the furthest.
double starting_level(const ProgressRecord& record, int board, double choice);

// Menu lines of type "level:<player>" choose where a player's board starts:
// value 0 the furthest level, n level n. The record and the level names are
// read again each time the menu opens.
void refresh_level_choices();
// The value after `value` for the line's player: 0, then the reached levels
// below the furthest in order, then 0 again.
double next_level_choice(const RtString& type, double value);
// The bracket text of such a line: "furthest: 12" or "3 Mind the gap", cut
// to `columns` characters.
RtString level_choice_label(const RtString& type, double value, int columns);

// ---------------------------------------------------------------- on-screen information

// The level line of a board: its number and, when the library names it, the
// name ("12 Mind the gap"), cut so that it leaves `columns` characters free.
RtString board_level_text(const BoardState& board, const LevelInfo& info, int columns);
// The moves of the attempt and the fewest known: "Moves 3  Fewest 12", or
// "Moves 3" when the library gives no count.
RtString board_moves_text(const BoardState& board, const LevelInfo& info);
// The key legend of a player from the bindings in force, with `prefix`
// ("P1", "Team 2" or nothing) first, wrapped into lines of `columns`.
RtArray<RtString> legend_lines(const PlayerControls& controls, const RtString& prefix, int columns);
// The rectangle of board `index` of `count` on the screen, inside its frame.
struct InfoArea {
    double left = 0, top = 0, right = 0, bottom = 0;
};
InfoArea info_area(int index, int count);
// Draws a board's level and moves along the top of its area.
void draw_board_info(const BoardState& board, const LevelInfo& info, const InfoArea& area);
// Draws a player's key legend along the bottom of its area.
void draw_legend(const PlayerControls& controls, const RtString& prefix, const InfoArea& area);
// "P1" / "P2" with two boards ("Team 1" / "Team 2" for four players), else
// nothing.
RtString legend_prefix(int index, int count, double player_count);
// When a board's key legend stands. It covers the bottom of the room, so it
// is there while the level is fresh (no move made yet) and comes back once
// the player has stopped to think for kLegendIdleMs; while they play it
// stays out of the way.
constexpr double kLegendIdleMs = 8000;
class LegendTimer {
  public:
    // Whether the legend stands at `now_ms` with the board at `moves`.
    bool shown(double moves, double now_ms);

  private:
    double moves_ = -1;     // the move count last seen
    double changed_ms_ = 0; // when it last changed
};

// The screen after a board has completed the library's last level: it says
// so for a few seconds or until a key is pressed.
void closing_screen(int index, int count, double player_count);
// Its lines of text.
RtArray<RtString> closing_lines(int index, int count, double player_count);

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
// The Screen option ("options" "2value") at start-up: picture size, window
// or full screen, then the window size the player last gave ("window"
// "width" and "height", 0 for none).
void apply_screen_choice();
// After apply_screen_choice: applies the Screen option again when it has
// changed since (the title screen asks every frame, so a choice in the menu
// takes effect at once); a new choice drops the player's window size. True
// when it applied one.
bool follow_screen_choice();
// Every model, texture and sound of the game into its slot (a file that
// fails leaves its slot empty).
void load_game_assets();
// Loads them once the main program has begun and asked for them, on the
// first call after; otherwise (a screen run on its own) it does nothing. The
// title calls it after its first frame, before the thumbnails need them.
void load_pending_game_assets();
// The frame drawn over the boards into kPlayFrameSprite for a player count
// of 1, 2 or 3 to 4; other counts keep what that slot holds.
void load_frame_overlay(double player_count);
// The entry procedure: engine defaults, start-up, main program, end.
[[noreturn]] void game_entry(int argc, char** argv);

// ---------------------------------------------------------------- hints

// What a board's hint says.
enum class HintState {
    kNone,         // nothing asked for this position
    kThinking,     // the search runs
    kMove,         // `character` takes the step (dx, dy) next
    kNoHint,       // the search reached its time or state limit undecided
    kCannotFinish, // no way to finish the level from this position
};
struct Hint {
    HintState state = HintState::kNone;
    int character = 0; // index in the board's characters
    double dx = 0, dy = 0;
};

// The search a hint runs (solver::solve_board in the game) and its limits.
using HintSearch =
    std::function<solver::SolveResult(const BoardState&, const solver::SolveLimits&)>;
solver::SolveLimits hint_limits();
// The hint a finished search gives, for a search started with
// `current_character` as the board's current character.
Hint hint_from_result(const solver::SolveResult& result, double current_character, int characters);
// The line shown for a hint on a board: "thinking...", "Hint: left", "Hint:
// next character" when another character moves first, ...; empty for none.
RtString hint_text(const Hint& hint, const BoardState& board);

// One board's hints. The search runs on a thread of its own, one at a time:
// a request while a search runs waits until it ends. A position change makes
// what was asked stale: its result, when it comes, is dropped.
class HintWorker {
  public:
    explicit HintWorker(HintSearch search = solver::solve_board,
                        solver::SolveLimits limits = hint_limits());
    // A search still under way finishes on its own thread and is dropped.
    ~HintWorker();
    HintWorker(const HintWorker&) = delete;
    HintWorker& operator=(const HintWorker&) = delete;

    // Asks for the next move from the board's position (moves still being
    // animated count as done). Nothing while the board's iris closes.
    void request(const BoardState& board);
    // Once per frame: drops what the board's position made stale, takes a
    // finished search, starts the one asked for. Never waits.
    const Hint& update(const BoardState& board);
    const Hint& hint() const { return hint_; }
    bool searching() const { return job_ != nullptr; }
    int searches_started() const { return started_; }
    // Blocks until the search under way, if any, has ended. For tests and
    // benchmarks; the game never waits.
    void wait() const;

  private:
    struct Job;
    void start(const BoardState& board);
    void take_finished();

    HintSearch search_;
    solver::SolveLimits limits_;
    std::shared_ptr<Job> job_; // the search under way
    bool asked_ = false;       // a hint is asked for the position asked_key_
    std::vector<double> asked_key_;
    Hint hint_;
    int started_ = 0;
};

// The hints of the boards of one game: the hint key of each board's player
// asks, and each board's hint line is drawn in its frame.
class PlayHints {
  public:
    PlayHints();
    // After the board's rules for the frame: reads the hint key.
    void step(BoardState& board, int index);
    // Over the frame overlay, in board `index`'s frame.
    void draw(const BoardState& board, int index);

  private:
    HintWorker workers_[2];
};
// Draws a hint line centred near the top of the current board frame, over
// a dark strip, broken at spaces into lines that fit the frame.
void draw_hint_line(const RtString& text);
// The hint line board `index` showed in the last play frame, empty for none.
RtString shown_hint(int index);

// ---------------------------------------------------------------- the mouse

// A cell of a board (x along a row, y down the rows).
struct BoardCell {
    int x = 0, y = 0;
    bool operator==(const BoardCell&) const = default;
};

// What a click on a cell of a board did.
enum class BoardClick {
    kNothing, // off the board, or on the current character
    kWalk,    // the current character sets off
    kSelect,  // another character became the current one
    kNoWay,   // the cell cannot be reached: nothing moves
};

// The current character walking to a cell the player clicked: a shortest way
// over free floor found by the runtime's path planner, walked one ordinary
// step after another through step_character, so every step counts and undo
// takes walks back as it does those of the keys.
class BoardWalk {
  public:
    // The cells the current character would step into to reach (x, y), the
    // cell itself last; empty when there is no way. A cell next to the
    // character is one step, whatever holds it (a block is pushed, an arm
    // turns its door, the exit is left through), as the arrow key would
    // take it; one further away is reached over free floor, the exit only as
    // the goal. Other characters stand in the way.
    static std::vector<BoardCell> way_to(const BoardState& board, int x, int y);
    // A click on cell (x, y): another character there becomes the current
    // one; otherwise the current character sets off along way_to. A cell
    // without a way changes nothing.
    BoardClick click(BoardState& board, int x, int y);
    // Once per frame, before the keys are read: the walk ends when a key was
    // pressed, the level is complete or the current character changed;
    // otherwise the next step is taken once the character rests.
    void step(BoardState& board, bool key_pressed);
    bool walking() const { return next_ < way_.size(); }
    void stop() { way_.clear(), next_ = 0; }

  private:
    std::vector<BoardCell> way_;
    std::size_t next_ = 0;
    double character_ = 0; // the character walking
};

// The pointer in one frame: where it is (the picture's coordinates), whether
// the player moved it since the previous frame (a window changing size under
// a resting pointer does not), the buttons pressed since then and the
// wheel's turn (1 away from the player, -1 towards, 0 none).
struct PointerFrame {
    double x = 0, y = 0;
    bool moved = false;
    bool left_click = false, right_click = false;
    int wheel = 0;
};
// Reads the pointer once a frame; a click counts in the frame its press is
// first seen. The first read only learns where the pointer is and which
// buttons are down, so the click that chose a screen does not act again on
// the next one.
class PointerReader {
  public:
    PointerFrame read();

  private:
    bool primed_ = false;
    bool left_ = false, right_ = false;
};

// How long the line saying a clicked cell cannot be reached stands.
inline constexpr double kNoWayMs = 2000;
inline constexpr const char* kNoWayText = "No way there.";

// The mouse in play. A click on a board (the one under the pointer) walks,
// pushes or selects (BoardWalk); a key of the board's player stops a walk.
// While the pointer is in use over a board the cell under it is marked and,
// when it can be reached, the way there; a cell without a way says so for
// kNoWayMs.
class PlayPointer {
  public:
    PlayPointer();
    // Once per frame before the boards: the pointer and the keys.
    void read(const RtArray<BoardState>& boards);
    // Before the board's own input: its click and its walk's next step.
    void step(BoardState& board, int index);
    // Right after draw_board: the view the board is drawn with.
    void remember_view(int index);
    // After the board's 3D scene, in its frame: the marked cell and the way.
    void draw_marks(const BoardState& board, int index);
    // Over the frame overlay, in the board's frame: the no-way line.
    void draw_message(int index);
    bool walking(int index) const { return boards_[index & 1].walk.walking(); }

  private:
    struct PerBoard {
        BoardWalk walk;
        bool controls_down = false; // a control of the board's player was active last frame
        double no_way_until = -1;   // ms
    };
    bool over(int index) const;
    bool cell_under(const BoardState& board, int index, BoardCell* at) const;

    PerBoard boards_[2];
    PointerReader reader_;
    PointerFrame pointer_;
    int count_ = 1;
    bool in_use_ = false; // moved since the last key press
    bool new_key_ = false;
    bool keys_down_[256] = {};
};
// Where the centre of a cell of board `index` appeared in the last play
// frame, in the picture's coordinates; false before the board was drawn.
bool board_cell_on_screen(int index, BoardCell at, double* x, double* y);
// The cell of board `index` drawn under picture point (x, y) in the last
// play frame: the top of a block, a wall or a character where the line of
// sight meets one, else the floor; false off the board.
bool board_cell_at(const BoardState& board, int index, double x, double y, BoardCell* at);

// The menu by mouse. Once per menu frame: the pointer moving over a line
// puts the cursor there, the wheel moves the cursor, a click on a line
// selects it as Return does and a right click goes back as Left does (or
// cancels a capture, as Escape does). Returns the direction the keys would
// give for it (MenuState::held_direction's numbers) or 0; nothing acts while
// a page slides.
int menu_pointer_direction(MenuState& m, int count);
// Forgets the pointer's buttons, so the click that opened the menu does not act in it.
void menu_pointer_open();
// Where MenuDraw puts line `line` of a page of `count` lines at rest.
struct MenuLineBox {
    double left = 0, top = 0, right = 0, bottom = 0;
};
MenuLineBox menu_line_box(int line, int count);
