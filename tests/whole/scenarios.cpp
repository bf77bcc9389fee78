// scenarios.cpp: the scripts a run's program plays, chosen by name through
// CROPSTACK_WHOLE_SCENARIO, and the test program's entry, which plays one
// when that variable is set (the parent test sets it for a run's copy).
#include "tests/whole/steps.h"

#include "support/exit_guard.h"
#include "support/virtual_pad.h"

#include "game/screens/screens.h"
#include "input/input.h"
#include "platform/plat_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

namespace whole {

// window_scenarios.cpp
Script full_screen_keys_and_resize();
Script wide_window();

namespace {

// A new key for the "Right" line of player 1: J (scan code 36), unbound by default.
constexpr int kNewRight = 36;

Script title_then_menu_shots() {
    Script s;
    s.then("the title screen", until([](const FrameView& v) { return !v.play; }));
    s.then("the title's first second", wait_ms(1000));
    s.then(shot("title"));
    s.then("the menu's two seconds", wait_ms(1100));
    s.then("the menu page sliding in", wait_frames(30));
    s.then(shot("menu"));
    return s;
}

Script quit_from_title() {
    int cursor = 0; // every title screen opens the menu afresh
    Script s;
    s.then(menu_ready());
    s.then(menu_quit(cursor));
    return s;
}

Script escape_to_title() {
    Script s;
    s.then("Escape in play", tap(kKeyEscape));
    s.then(expect(
        [](const FrameView& v) {
            if (!v.play || v.boards.empty()) return false;
            for (const BoardView& b : v.boards)
                if (!(b.fade > 0)) return false;
            return true;
        },
        "every board's iris closing after one Escape"));
    s.then(back_at_title());
    return s;
}

// Remembers where board `board`'s characters stand, to compare later.
struct Positions {
    std::vector<double> xs, ys;
};

Step remember(int board, std::shared_ptr<Positions> into) {
    return [board, into](const FrameView& v) {
        if (!v.play || static_cast<int>(v.boards.size()) <= board) fail("no board to look at");
        into->xs = v.boards[static_cast<std::size_t>(board)].xs;
        into->ys = v.boards[static_cast<std::size_t>(board)].ys;
        return Progress::kDone;
    };
}

Step unchanged(int board, std::shared_ptr<Positions> before, std::string what) {
    return expect(
        [board, before](const FrameView& v) {
            if (!v.play || static_cast<int>(v.boards.size()) <= board) return false;
            const BoardView& b = v.boards[static_cast<std::size_t>(board)];
            return b.xs == before->xs && b.ys == before->ys;
        },
        what);
}

Script one_player_five_levels() {
    int cursor = 0;
    Script s;
    s.then(title_then_menu_shots());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(expect([](const FrameView& v) { return v.boards[0].level == 1; }, "level 1 first"));
    s.then(shot("play-one"));
    for (int level = 1; level <= 5; ++level)
        s.then(play_level(1, 0, level, solution(level), level == 1 ? "iris" : ""));
    s.then(boards_at_rest(1));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

Script redefine_right_key() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "dir", "keyconfig1")));
    cursor = 0;
    s.then(menu_choose(cursor, menu_line("keyconfig1", "key", setting("keyconfig1", "4value"))));
    s.then("the new key", tap(kNewRight));
    s.then("the capture ending", wait_frames(5));
    s.then(menu_back(cursor, "keyconfig1"));
    s.then(menu_quit(cursor));
    return s;
}

Script play_with_new_key() {
    int cursor = 0;
    auto before = std::make_shared<Positions>();
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(expect(
        [](const FrameView& v) {
            return !v.boards[0].legend.empty() &&
                   v.boards[0].legend[0].rfind("UP/LEFT/DOWN/J: walk", 0) == 0;
        },
        "the legend to name the new Right key"));
    s.then(say("the legend shows the new key"));
    s.then(remember(0, before));
    s.then("the old Right key", tap(205));
    s.then("a step's time", wait_frames(6));
    s.then(unchanged(0, before, "the old Right key to move nobody"));
    // The solution walks right with the new key, read from the settings file.
    s.then(play_level(1, 0, 1, solution(1)));
    s.then(boards_at_rest(1));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

Script two_boards() {
    int cursor = 0;
    auto board1 = std::make_shared<Positions>();
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "2")));
    s.then(boards_at_rest(2));
    s.then(
        expect([](const FrameView& v) { return v.boards[0].level == 1 && v.boards[1].level == 5; },
               "board 0 on level 1 and board 1 on level 5"));
    s.then(shot("play-two"));
    s.then(remember(1, board1));
    s.then(play_level(2, 0, 1, solution(1)));
    s.then(
        expect([](const FrameView& v) { return v.boards[1].level == 5 && v.boards[1].fade == 0; },
               "board 1 still playing level 5"));
    s.then(unchanged(1, board1, "board 1's characters unmoved by player 1's keys"));
    s.then(play_level(2, 1, 5, solution(5)));
    s.then(expect([](const FrameView& v) { return v.boards[0].level == 2; },
                  "board 0 still on level 2"));
    s.then(boards_at_rest(2));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

Step log_mentions(const std::string& text) {
    return until([text](const FrameView&) {
        std::string log;
        plat_read_file(plat_temp_dir() + "ErrorLog.txt", &log);
        return log.find(text) != std::string::npos;
    });
}

// The run's library holds level 1, a broken level 2 and nothing else.
Script library_ends() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(play_moves(1, 0, 1, solution(1)));
    s.then(back_at_title());
    s.then("a log entry for level 2", log_mentions("QLEV2.CMD"), 1000);
    cursor = 0;
    s.then(menu_ready());
    // Board 1 would start on level 5, past the end of this library.
    s.then(menu_choose(cursor, menu_line("root", "button", "2")));
    s.then("a log entry for level 5", log_mentions("QLEV5.CMD"), 1000);
    s.then(say("two boards went back to the title"));
    s.then(quit_from_title());
    return s;
}

Step on_level(int level) {
    return expect([level](const FrameView& v) { return v.boards[0].level == level; },
                  "board 0 on level " + std::to_string(level));
}

// A game of one player that only looks at the level it starts on.
Script one_player_starts_on(int level) {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(on_level(level));
    s.then(say("one player starts on level " + std::to_string(level)));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

Script complete_level_one() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(play_level(1, 0, 1, solution(1)));
    s.then(boards_at_rest(1));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

Script one_player_continues() {
    return one_player_starts_on(2);
}

// Options: the first player's start line stepped once, from the furthest
// level to level 1.
Script choose_level_one() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "dir", "options")));
    cursor = 0;
    s.then(menu_choose(cursor, menu_line("options", "level:1", "")));
    s.then(menu_back(cursor, "options"));
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(on_level(1));
    s.then(say("the chosen level 1 is played"));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

Step texts_are(int moves, std::string what) {
    return expect(
        [moves](const FrameView& v) {
            const BoardView& b = v.boards[0];
            const std::string name = level_name(2);
            return b.moves == moves && b.level_text == (name.empty() ? "2" : "2 " + name) &&
                   b.moves_text.rfind("Moves " + std::to_string(moves), 0) == 0;
        },
        what);
}

// The run's record starts the player on level 2, which has a push to undo.
Script information() {
    int cursor = 0;
    const int walks = moves_before_first_undoable(2);
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(on_level(2));
    s.then(texts_are(0, "level 2 with its name and no moves yet"));
    s.then(shot("check-info-shown"));
    s.then(play_moves(1, 0, 2, solution(2).substr(0, static_cast<std::size_t>(walks) + 1)));
    s.then(boards_at_rest(1));
    s.then(texts_are(walks + 1, "every step counted, the push too"));
    s.then("undo", tap(binding_key(1, 6)));
    s.then(boards_at_rest(1));
    s.then(texts_are(walks, "the push taken back"));
    s.then(shot("info"));
    s.then(say("moves counted and taken back"));
    s.then(escape_to_title());
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "dir", "options")));
    cursor = 0;
    s.then(menu_choose(cursor, menu_line("options", "toggle:shown", "")));
    s.then(menu_back(cursor, "options"));
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(on_level(2));
    s.then(shot("check-info-hidden"));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

// The run's library holds level 1 only.
Script closing_screen() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(play_moves(1, 0, 1, solution(1)));
    s.then("the iris closing", until([](const FrameView& v) { return !v.play; }), 3000);
    s.then("the closing screen's first second", wait_ms(1000));
    s.then(shot("check-closing"));
    s.then("the closing screen still on", wait_ms(500));
    s.then("a key", tap(kKeyReturn));
    s.then(menu_ready());
    s.then(menu_quit(cursor));
    return s;
}

// Plays level 1 by asking for a hint before every move and pressing the key
// it names; it must take the fewest moves.
Step follow_hints(int fewest) {
    struct State {
        int phase = 0; // 0 ask, 1 release the hint key, 2 read the hint, 3 release the move
        int key = 0;
        int moves = 0;
        bool shot = false;
        int hold = 0; // frames to wait before the move
    };
    auto st = std::make_shared<State>();
    return [st, fewest](const FrameView& v) {
        if (!v.play || v.boards.size() != 1) fail("one board expected");
        const BoardView& b = v.boards[0];
        if (b.level == 2) {
            if (st->moves != fewest)
                fail("the hints took " + std::to_string(st->moves) + " moves, the fewest are " +
                     std::to_string(fewest));
            note("level 1 finished by following the hints in the fewest moves");
            return Progress::kDone;
        }
        if (st->phase == 0 && b.fade == 0 && !b.moving) {
            key_down(binding_key(1, 8));
            st->phase = 1;
        } else if (st->phase == 1) {
            key_up(binding_key(1, 8));
            st->phase = 2;
        } else if (st->phase == 2) {
            const std::map<std::string, int> keys = {{"Hint: up", 1},
                                                     {"Hint: down", 2},
                                                     {"Hint: left", 3},
                                                     {"Hint: right", 4},
                                                     {"Hint: next character", 5}};
            if (b.hint == "thinking..." || b.hint.empty()) return Progress::kWait;
            const auto found = keys.find(b.hint);
            if (found == keys.end()) fail("the hint said \"" + b.hint + "\"");
            if (!st->shot) {
                // The shot is of the frame after next: the move waits for it.
                screenshot("play-hint");
                st->shot = true;
                st->hold = 2;
            }
            if (st->hold > 0) {
                st->hold -= 1;
                return Progress::kWait;
            }
            st->key = binding_key(1, found->second);
            key_down(st->key);
            if (found->second != 5) st->moves += 1;
            st->phase = 3;
        } else if (st->phase == 3) {
            key_up(st->key);
            st->phase = 0;
        }
        return Progress::kWait;
    };
}

Script hints_finish_level_one() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    const std::string moves = solution(1);
    const int fewest = static_cast<int>(moves.size() - std::count(moves.begin(), moves.end(), 'N'));
    s.then("following the hints", follow_hints(fewest), 600000);
    s.then(boards_at_rest(1));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

// Walks every character of level 1 out through the exit by clicking on the
// exit alone; each walk counts its steps, and the level (which needs no push)
// takes the fewest moves there are.
Step click_exit_until_done(double fewest) {
    struct State {
        int phase = 0; // 0 point, 1 and 2 the click, 3 wait for the walk
        double characters = 0;
        double moves = 0;
        bool shot = false;
        int hold = 0;
    };
    auto st = std::make_shared<State>();
    return [st, fewest](const FrameView& v) {
        if (!v.play || v.boards.size() != 1) fail("one board expected");
        const BoardView& b = v.boards[0];
        if (b.level == 2) return Progress::kDone;
        const BoardCell exit{cell(b.exit_x), cell(b.exit_y)};
        if (st->phase == 0 && b.fade == 0 && !b.moving) {
            double x = 0, y = 0;
            if (!board_cell_on_screen(0, exit, &x, &y)) fail("the board was not drawn");
            pointer_to(x, y);
            st->phase = 1;
        } else if (st->phase == 1) {
            // The first time, the frame after next is photographed before the click.
            if (!st->shot) {
                screenshot("mouse-way");
                st->shot = true;
                st->hold = 2;
            }
            if (st->hold > 0) {
                st->hold -= 1;
                return Progress::kWait;
            }
            pointer_button(0, true);
            st->characters = static_cast<double>(b.xs.size());
            st->moves = b.moves;
            st->phase = 2;
        } else if (st->phase == 2) {
            pointer_button(0, false);
            if (!b.moving) fail("the click on the exit set nobody walking");
            st->phase = 3;
        } else if (st->phase == 3 && (b.fade > 0 || b.xs.size() < st->characters)) {
            if (b.moves <= st->moves + 1) fail("the walk out took no more than a step");
            note("a character walked out in " + std::to_string(b.moves - st->moves) + " steps");
            st->phase = b.fade > 0 ? 4 : 0;
            if (b.fade > 0 && b.moves != fewest)
                fail("the level took " + std::to_string(b.moves) + " moves, the fewest are " +
                     std::to_string(fewest));
        }
        return Progress::kWait;
    };
}

Script mouse_walks_out() {
    int cursor = 0;
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "1")));
    s.then(boards_at_rest(1));
    s.then(on_level(1));
    const std::string moves = solution(1);
    if (moves.find_first_not_of("LRUDlrud") != std::string::npos)
        fail("level 1 changes characters");
    s.then("level 1 walked out by clicks on the exit",
           click_exit_until_done(static_cast<double>(moves.size())), 60000);
    s.then(say("level 1 ended by the mouse alone"));
    s.then(boards_at_rest(1));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

// ---------------------------------------------------------------- a pad alone

// The run's one pad, plugged in by the script and kept to the end.
test_pads::VirtualPad* g_pad = nullptr;

// The pad's own button numbers, which are the standard layout's.
constexpr int kPadButtonA = 0, kPadButtonStart = 6;
constexpr int kPadButtonUp = 11, kPadButtonDown = 12, kPadButtonLeft = 13, kPadButtonRight = 14;

Step pad_tap(int button) {
    auto pressed = std::make_shared<bool>(false);
    return [button, pressed](const FrameView&) {
        g_pad->button(button, !*pressed);
        *pressed = !*pressed;
        return *pressed ? Progress::kWait : Progress::kDoneNextFrame;
    };
}

int pad_move(char move) {
    switch (move) {
    case 'U':
        return kPadButtonUp;
    case 'D':
        return kPadButtonDown;
    case 'L':
        return kPadButtonLeft;
    case 'R':
        return kPadButtonRight;
    case 'N':
        return kPadButtonA;
    default:
        fail(std::string("no pad button for the move ") + move);
    }
}

// No key at all: the pad chooses "1 Player", finishes level 1 on the D-pad
// (the legend naming it), leaves the game with Start and quits the program.
Script pad_alone() {
    Script s;
    s.then("a pad plugged in", [](const FrameView&) {
        g_pad = new test_pads::VirtualPad();
        if (PadAttached(0) == 0) fail("the pad was not seen");
        return Progress::kDoneNextFrame;
    });
    s.then(menu_ready());
    s.then("pad down", pad_tap(kPadButtonDown));
    s.then("pad up", pad_tap(kPadButtonUp));
    s.then("pad A on line " + std::to_string(menu_line("root", "button", "1")),
           pad_tap(kPadButtonA));
    s.then(boards_at_rest(1));
    s.then(expect(
        [](const FrameView& v) {
            return !v.boards[0].legend.empty() &&
                   v.boards[0].legend[0].rfind("D-pad: walk", 0) == 0;
        },
        "the legend naming the pad"));
    s.then(say("the legend names the pad"));
    auto at_rest = [](const FrameView& v) {
        return v.play && !v.boards.empty() && v.boards[0].level == 1 && v.boards[0].fade == 0 &&
               !v.boards[0].moving;
    };
    const std::string moves = solution(1);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const std::string move = "pad move " + std::to_string(i + 1) + " " + moves[i];
        s.then(move + " (waiting for rest)", until(at_rest), 5000);
        s.then(move + " (a frame at rest)", wait_frames(1));
        s.then(move, pad_tap(pad_move(moves[i])));
    }
    s.then("the fade to level 2", until([](const FrameView& v) {
               return v.play && !v.boards.empty() && v.boards[0].level == 2;
           }),
           5000);
    s.then(say("board 0 level 1 finished by the pad"));
    s.then(boards_at_rest(1));
    s.then("Start in play", pad_tap(kPadButtonStart));
    s.then(back_at_title());
    s.then(menu_ready());
    for (int i = 0; i < quit_line(); ++i)
        s.then("pad down", pad_tap(kPadButtonDown));
    s.then("pad A on Quit", pad_tap(kPadButtonA));
    s.then("the program's end after Quit", program_ends(), 3000);
    return s;
}

// On board `index` at the start of `level`: the reachable cell with the
// longest way from the current character whose middle, as the last frame
// drew it, is not hidden behind a block or a wall; and that way's length.
std::pair<BoardCell, int> farthest_visible_cell(int index, int level) {
    BoardState board;
    const std::string file = program_dir() + "levlib/QLEV" + std::to_string(level) + ".CMD";
    if (!solver::load_level_board(file, board)) fail("cannot load " + file);
    std::pair<BoardCell, int> best{{0, 0}, 0};
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            const int n = static_cast<int>(BoardWalk::way_to(board, x, y).size());
            double sx = 0, sy = 0;
            BoardCell seen{-1, -1};
            if (n <= best.second || !board_cell_on_screen(index, {x, y}, &sx, &sy) ||
                !board_cell_at(board, index, sx, sy, &seen) || !(seen == BoardCell{x, y}))
                continue;
            best = {{x, y}, n};
        }
    if (best.second < 4) fail("level " + std::to_string(level) + " has no long walk in view");
    return best;
}

// Two boards: a click on the lower board walks its character the whole way,
// although player 1 presses a key meanwhile; the upper board stays as it was.
Script mouse_on_the_lower_board() {
    int cursor = 0;
    auto target = std::make_shared<std::pair<BoardCell, int>>();
    Script s;
    s.then(menu_ready());
    s.then(menu_choose(cursor, menu_line("root", "button", "2")));
    s.then(boards_at_rest(2));
    s.then("the pointer over the lower board", [target](const FrameView& v) {
        if (v.boards[1].level != 5) fail("the lower board is not on level 5");
        *target = farthest_visible_cell(1, 5);
        double x = 0, y = 0;
        board_cell_on_screen(1, target->first, &x, &y);
        pointer_to(x, y);
        return Progress::kDoneNextFrame;
    });
    s.then("a click", [](const FrameView&) {
        pointer_button(0, true);
        return Progress::kDoneNextFrame;
    });
    s.then("the click released", [](const FrameView&) {
        pointer_button(0, false);
        return Progress::kDoneNextFrame;
    });
    s.then("the lower board's walk under way",
           until([](const FrameView& v) { return v.boards.size() == 2 && v.boards[1].moves >= 2; }),
           3000);
    s.then("player 1's next-character key", tap(binding_key(1, 5)));
    // The character rests for a moment on each cell of the way.
    s.then("the lower board's walk to its end", until([target](const FrameView& v) {
               return v.boards.size() == 2 && v.boards[1].moves >= target->second &&
                      !v.boards[1].moving;
           }),
           5000);
    s.then(boards_at_rest(2));
    s.then([target](const FrameView& v) {
        const BoardView& lower = v.boards[1];
        const BoardCell at = target->first;
        if (lower.moves != target->second || lower.xs[0] != at.x || lower.ys[0] != at.y ||
            v.boards[0].moves != 0)
            fail("the lower board took " + std::to_string(lower.moves) + " steps to (" +
                 std::to_string(lower.xs[0]) + ", " + std::to_string(lower.ys[0]) + "), not " +
                 std::to_string(target->second) + " to (" + std::to_string(at.x) + ", " +
                 std::to_string(at.y) + "); the upper board took " +
                 std::to_string(v.boards[0].moves));
        return Progress::kDone;
    });
    s.then(say("the lower board walked the whole way"));
    s.then(escape_to_title());
    s.then(quit_from_title());
    return s;
}

using ScriptMaker = Script (*)();
const std::map<std::string, ScriptMaker>& scenarios() {
    static const std::map<std::string, ScriptMaker> table = {
        {"one-player-five-levels", one_player_five_levels},
        {"full-screen-keys-and-resize", full_screen_keys_and_resize},
        {"wide-window", wide_window},
        {"redefine-right-key", redefine_right_key},
        {"play-with-new-key", play_with_new_key},
        {"two-boards", two_boards},
        {"library-ends", library_ends},
        {"hints-finish-level-one", hints_finish_level_one},
        {"complete-level-one", complete_level_one},
        {"one-player-continues", one_player_continues},
        {"choose-level-one", choose_level_one},
        {"information", information},
        {"closing-screen", closing_screen},
        {"mouse-walks-out", mouse_walks_out},
        {"mouse-on-the-lower-board", mouse_on_the_lower_board},
        {"pad-alone", pad_alone},
    };
    return table;
}

} // namespace
} // namespace whole

// The test program's own entry, in place of the shared one: a run's copy
// plays its scenario, anything else is the ordinary test program. Both run
// headless, as every test program does.
int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const char* name = std::getenv("CROPSTACK_WHOLE_SCENARIO");
    if (name == nullptr) {
        testing::InitGoogleTest(&argc, argv);
        install_exit_guard();
        return RUN_ALL_TESTS();
    }
    const auto& table = whole::scenarios();
    const auto found = table.find(name);
    if (found == table.end()) whole::fail(std::string("no scenario named ") + name);
    whole::Script script = found->second();
    whole::note("playing " + found->first + " in " + std::to_string(script.size()) + " steps");
    whole::run_program(script, argc, argv);
}
