// play.cpp: the play loop. One board fills the screen, two boards share it
// in halves; each board takes input, animates, draws and fades from level to
// level on its own, and Escape closes every board and ends the game.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"
#include "scene3d/scene3d.h"

namespace {

constexpr double kMsPerCell = 150;
constexpr double kFadeMs = 1000;

PlayFrameObserver g_observer = nullptr;

// Frame size and viewport of board `index` of `count`: the whole screen for
// one board, the upper or lower half for two.
void enter_board_frame(int count, int index) {
    GameValues& g = game_values();
    g.frame_width = g.screen_width;
    g.frame_height = g.screen_height;
    if (count == 1) {
        SetViewport2D(0, 0, 0, 0);
        return;
    }
    g.frame_height = g.screen_height * 0.5;
    SetViewport2D(0, index == 0 ? 0 : g.screen_height * 0.5, g.screen_width, g.screen_height * 0.5);
}

// Boards are numbered from 1 in the log, as in the progress file.
RtString board_name(int index) {
    return RtString("board ") + RtString(index + 1);
}

// Starts the board's current level; on failure says which board, which
// level and why in the log (the level reader has logged the details).
bool start_board_level(BoardState& board, int index) {
    if (start_level(board) != 0) return true;
    RtString file = level_file_name("levlib", board.level_number);
    const RtString problem = level_file_problem(file);
    RtString why;
    if (problem.empty()) {
        why = file + " is not a valid level";
    } else if (problem != "no such file") {
        why = file + " cannot be read: " + problem;
    } else {
        const int last = static_cast<int>(last_level_number("levlib"));
        why = file + " is missing" +
              (last == 0 ? RtString(" (the level library holds no levels)")
               : board.level_number <= last
                   ? RtString(" (a gap in the level library: later levels are there)")
                   : RtString(" (the level library ends at level ") + RtString(last) + ")");
    }
    rt_log(RtString("game: ") + board_name(index) + " cannot start level " +
           RtString(static_cast<int>(board.level_number)) + ": " + why +
           "; back to the title screen");
    return false;
}

struct PlayState {
    RtArray<BoardState> boards;
    int count = 0;
    double previous_ms = 0;
    bool quit = false;
    bool show_info = true; // the level and moves over each board
    LevelInfo info;        // the library's names and fewest moves
    PlayHints hints;
    LegendTimer legends[2];
    PlayPointer pointer;
};

enum class FadeResult { kPlaying, kEnd };

// A completed level without a next one and none after it: the library is
// done for this board. (A restart loads the level being played again, which
// is there; a missing level with others after it, a next level that is there
// but broken, or no plain file, only goes back to the title with an error.)
bool library_done(const BoardState& board) {
    return level_file_problem(level_file_name("levlib", board.level_number)) == "no such file" &&
           board.level_number > last_level_number("levlib");
}

// The iris over a board that is closing or opening; a closed iris either
// ends the game (Escape, or a level that cannot be started) or loads the
// next level number.
FadeResult fade_step(PlayState& play, BoardState& board, int index, double dt) {
    if (board.fade_timer > 0) {
        draw_iris(1 - board.fade_timer);
        board.fade_timer += dt / kFadeMs;
        if (board.fade_timer >= 1.0) {
            if (play.quit) return FadeResult::kEnd;
            board.level_number += 1;
            if (library_done(board)) {
                rt_log(RtString("game: ") + board_name(index) + " finished level " +
                       RtString(static_cast<int>(board.level_number) - 1) +
                       ", the last of the level library");
                closing_screen(index, play.count, game_values().player_count);
                return FadeResult::kEnd;
            }
            if (!start_board_level(board, index)) return FadeResult::kEnd;
            board.current_character = 0;
            board.fade_timer = kFadeOpening;
        }
    }
    if (board.fade_timer < 0) {
        draw_iris(-board.fade_timer);
        board.fade_timer -= dt / kFadeMs;
        if (board.fade_timer <= -1.0) board.fade_timer = 0;
    }
    return FadeResult::kPlaying;
}

FadeResult board_frame(PlayState& play, int index, double dt) {
    BoardState& board = rt_index(play.boards, index);
    enter_board_frame(play.count, index);
    const bool playing = board.fade_timer <= 0;
    play.pointer.step(board, index);
    if (playing) input_step(board);
    // Only the last character reaching the exit starts the iris from a step.
    if (playing && board.fade_timer > 0)
        record_completion(progress_file(), "levlib", index, board.level_number);
    advance_board(board, dt / kMsPerCell);
    button_step(board);
    play.hints.step(board, index);
    if ((KeyDown(kKeyEscape) != 0 || pad_asks_for_menu()) && board.fade_timer <= 0) {
        play.quit = true;
        board.fade_timer = kFadeClosingToQuit;
    }
    draw_board(board, true);
    play.pointer.remember_view(index);
    End3D();
    enter_board_frame(play.count, index);
    play.pointer.draw_marks(board, index);
    return fade_step(play, board, index, dt);
}

// Each board's hint line over the frame overlay, in the board's frame.
void draw_hints(PlayState& play) {
    for (int i = 0; i < play.count; ++i) {
        enter_board_frame(play.count, i);
        play.hints.draw(rt_index(play.boards, i), i);
        play.pointer.draw_message(i);
    }
    SetViewport2D(0, 0, 0, 0);
}

// Each board starts at the furthest level it has reached (board 0 from
// level 1 and board 1 from level 5 without a record) or at the lower one the
// player chose, board 0 with floor model 0 and board 1 with 101; each reads
// its own bindings.
bool create_boards(PlayState& play, double player_count) {
    play.count = player_count == 1 ? 1 : 2;
    rt_dim(play.boards, play.count);
    static const char* const kChoiceKey[2] = {"6value", "7value"};
    static const double kFloorSlot[2] = {0, 101};
    const ProgressRecord record = read_progress(progress_file(), "levlib");
    for (int i = 0; i < play.count; ++i) {
        BoardState& board = rt_index(play.boards, i);
        board.level_number = starting_level(record, i, rt_val(ini_get("options", kChoiceKey[i])));
        board.floor_slot = kFloorSlot[i];
        if (!start_board_level(board, i)) return false;
    }
    for (int i = 0; i < play.count; ++i)
        LoadPlayerControls(rt_index(play.boards, i).controls, i + 1);
    return true;
}

// The level, name and moves of each board (unless switched off) and, while
// it stands, each player's key legend, over the frame overlay.
void draw_information(PlayState& play, double now_ms) {
    for (int i = 0; i < play.count; ++i) {
        const BoardState& board = rt_index(play.boards, i);
        const InfoArea area = info_area(i, play.count);
        if (play.show_info) draw_board_info(board, play.info, area);
        if (play.legends[i].shown(board.moves, now_ms))
            draw_legend(board.controls, legend_prefix(i, play.count, game_values().player_count),
                        area);
    }
}

} // namespace

void set_play_frame_observer(PlayFrameObserver observer) {
    g_observer = observer;
}

double play_game(double player_count) {
    GameValues& g = game_values();
    ini_open(game_settings_file());
    g.option_repeat = rt_val(ini_get("options", "3value"));
    g.option_camera = rt_val(ini_get("options", "4value"));
    PlayState play;
    play.show_info = rt_val(ini_get("options", "5value")) == 0;
    play.info.load("levlib");
    if (!create_boards(play, player_count)) return 0;
    for (;;) {
        double now = TotalTime();
        double dt = now - play.previous_ms;
        play.previous_ms = now;
        play.pointer.read(play.boards);
        for (int i = 0; i < play.count; ++i)
            if (board_frame(play, i, dt) == FadeResult::kEnd) return 0;
        End3D();
        StretchSprite(kPlayFrameSprite, 0, 0, g.screen_width, g.screen_height);
        draw_information(play, now);
        draw_hints(play);
        if (g_observer) g_observer(play.boards);
        ShowScreen();
    }
}
