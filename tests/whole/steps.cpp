// steps.cpp: key taps, waits, checks, menu navigation and solved levels for
// the whole-program scripts.
#include "tests/whole/steps.h"

#include "game/solver/solver.h"
#include "runtime/rtini.h"

#include <cctype>
#include <cstdlib>
#include <memory>

namespace whole {
namespace {

const IniStore& settings() {
    static IniStore store;
    static bool loaded = false;
    if (!loaded) {
        const std::string file = program_dir() + "cropstack.ini";
        if (!store.load(RtString(file.c_str()))) fail("cannot read " + file);
        loaded = true;
    }
    return store;
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string board_name(int board, int level) {
    return "board " + std::to_string(board) + " level " + std::to_string(level);
}

const BoardView* board_in(const FrameView& v, int boards, int board) {
    if (!v.play || static_cast<int>(v.boards.size()) != boards) return nullptr;
    return &v.boards[static_cast<std::size_t>(board)];
}

int move_key(int player, char move) {
    switch (move) {
    case 'U':
        return binding_key(player, 1);
    case 'D':
        return binding_key(player, 2);
    case 'L':
        return binding_key(player, 3);
    case 'R':
        return binding_key(player, 4);
    case 'N':
        return binding_key(player, 5);
    default:
        fail(std::string("no key for the move ") + move);
    }
}

} // namespace

// ---------------------------------------------------------------- basic steps

Step tap(int scan_code) {
    auto pressed = std::make_shared<bool>(false);
    return [scan_code, pressed](const FrameView&) {
        if (!*pressed) {
            key_down(scan_code);
            *pressed = true;
            return Progress::kWait;
        }
        key_up(scan_code);
        *pressed = false;
        return Progress::kDoneNextFrame;
    };
}

Step wait_ms(double ms) {
    auto start = std::make_shared<double>(-1);
    return [ms, start](const FrameView& v) {
        if (*start < 0) *start = v.time_ms;
        if (v.time_ms - *start < ms) return Progress::kWait;
        *start = -1;
        return Progress::kDone;
    };
}

Step wait_frames(int frames) {
    auto left = std::make_shared<int>(-1);
    return [frames, left](const FrameView&) {
        if (*left < 0) *left = frames;
        if (*left > 0) {
            *left -= 1;
            return Progress::kWait;
        }
        *left = -1;
        return Progress::kDone;
    };
}

Step until(std::function<bool(const FrameView&)> condition) {
    return [condition](const FrameView& v) {
        return condition(v) ? Progress::kDone : Progress::kWait;
    };
}

Step expect(std::function<bool(const FrameView&)> condition, std::string what) {
    return [condition, what](const FrameView& v) {
        if (!condition(v)) fail("expected " + what);
        return Progress::kDone;
    };
}

Step shot(const std::string& name) {
    return [name](const FrameView&) {
        screenshot(name);
        return Progress::kDoneNextFrame;
    };
}

Step say(const std::string& text) {
    return [text](const FrameView&) {
        note(text);
        return Progress::kDone;
    };
}

Step program_ends() {
    return [](const FrameView&) { return Progress::kWait; };
}

// ---------------------------------------------------------------- the settings file

std::string setting(const std::string& section, const std::string& key) {
    return settings().get(RtString(section.c_str()), RtString(key.c_str())).str();
}

int menu_line(const std::string& page, const std::string& type, const std::string& value) {
    for (int i = 1;; ++i) {
        const std::string n = std::to_string(i);
        if (setting(page, n + "name") == "NO_DATA") break;
        if (lower(setting(page, n + "type")).rfind(type, 0) != 0) continue;
        if (value.empty() || setting(page, n + "value") == value) return i - 1;
    }
    fail("no " + type + " line with value '" + value + "' on the menu page " + page);
}

int menu_lines(const std::string& page) {
    int n = 0;
    while (setting(page, std::to_string(n + 1) + "name") != "NO_DATA")
        ++n;
    return n;
}

int quit_line() {
    for (int i = 1;; ++i) {
        const std::string n = std::to_string(i);
        if (setting("root", n + "name") == "NO_DATA") break;
        if (lower(setting("root", n + "type")) == "button" &&
            std::atof(setting("root", n + "value").c_str()) <= 0)
            return i - 1;
    }
    fail("no line on the root page ends the program");
}

int binding_key(int player, int key) {
    const std::string code =
        setting("keyconfig" + std::to_string(player), std::to_string(key) + "value");
    if (code.size() < 2 || code[0] != 'K') fail("binding " + code + " is not a key");
    return std::atoi(code.c_str() + 1);
}

// ---------------------------------------------------------------- screens

Script menu_ready() {
    Script s;
    s.then("the title screen", until([](const FrameView& v) { return !v.play; }));
    s.then("the menu's two seconds", wait_ms(2100));
    s.then("the menu page sliding in", wait_frames(30));
    return s;
}

namespace {

Script menu_select(int& cursor, int line) {
    Script s;
    for (; cursor < line; ++cursor)
        s.then("menu Down", tap(kKeyDown));
    for (; cursor > line; --cursor)
        s.then("menu Up", tap(kKeyUp));
    s.then("menu Return on line " + std::to_string(line), tap(kKeyReturn));
    return s;
}

} // namespace

Script menu_choose(int& cursor, int line) {
    Script s = menu_select(cursor, line);
    s.then("the menu page sliding", wait_frames(60));
    return s;
}

Script menu_quit(int& cursor) {
    Script s = menu_select(cursor, quit_line());
    s.then("the program's end after Quit", program_ends(), 3000);
    return s;
}

Script menu_back(int& cursor, const std::string& page_left) {
    cursor = menu_line("root", "dir", page_left);
    Script s;
    s.then("menu Left", tap(kKeyLeft));
    s.then("the menu page sliding", wait_frames(60));
    return s;
}

Script back_at_title() {
    Script s;
    s.then("back at the title screen",
           until([](const FrameView& v) { return !v.play && v.screen_frames >= 3; }), 5000);
    s.then(say("back at the title screen"));
    return s;
}

// ---------------------------------------------------------------- play

std::string solution(int level) {
    const std::string file = program_dir() + "levlib/QLEV" + std::to_string(level) + ".CMD";
    BoardState board;
    std::string reason;
    if (!solver::load_level_board(file, board, &reason)) fail(file + ": " + reason);
    solver::SolveLimits limits;
    limits.max_states = 3'000'000;
    limits.max_seconds = 60;
    const solver::SolveResult r = solver::solve_board(board, limits);
    if (r.outcome != solver::SolveOutcome::kSolved)
        fail(file + ": no solution (" + solver::outcome_name(r.outcome) + ")");
    return r.solution;
}

int moves_before_first_undoable(int level) {
    const std::string moves = solution(level);
    BoardState board;
    solver::load_level_board(program_dir() + "levlib/QLEV" + std::to_string(level) + ".CMD", board);
    static const std::string kDirections = "LRUD";
    static const int kDx[4] = {-1, 1, 0, 0}, kDy[4] = {0, 0, -1, 1};
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const std::size_t d = kDirections.find(static_cast<char>(std::toupper(moves[i])));
        if (d == std::string::npos) {
            next_character(board);
            continue;
        }
        const double before = rt_bounds(board.undo_stack, 0);
        step_character(board, kDx[d], kDy[d]);
        finish_animations(board);
        if (rt_bounds(board.undo_stack, 0) > before) return static_cast<int>(i);
    }
    fail("level " + std::to_string(level) + " is solved without a push or a turn");
}

std::string level_name(int level) {
    IniStore store;
    store.load(RtString((program_dir() + "levlib/levels.ini").c_str()));
    const std::string name =
        store.get(RtString(("level" + std::to_string(level)).c_str()), "name").str();
    return name == "NO_DATA" ? std::string() : name;
}

Script boards_at_rest(int boards) {
    Script s;
    s.then(std::to_string(boards) + " board(s) at rest", until([boards](const FrameView& v) {
               if (!v.play || static_cast<int>(v.boards.size()) != boards) return false;
               for (const BoardView& b : v.boards)
                   if (b.fade != 0 || b.moving) return false;
               return true;
           }),
           10000);
    return s;
}

Script play_moves(int boards, int board, int level, const std::string& moves,
                  const std::string& iris_shot) {
    const std::string name = board_name(board, level);
    auto at_rest = [=](const FrameView& v) {
        const BoardView* b = board_in(v, boards, board);
        return b != nullptr && b->level == level && b->fade == 0 && !b->moving;
    };
    Script s;
    s.then(name + " at rest", until(at_rest), 10000);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const std::string move = name + " move " + std::to_string(i + 1) + " " + moves[i];
        s.then(move + " (waiting for rest)", until(at_rest), 5000);
        // The game asks for moves only at rest; it has to see the previous
        // key released once before the same key counts as a new press.
        s.then(move + " (a frame at rest)", wait_frames(1));
        s.then(move, tap(move_key(board + 1, moves[i])));
    }
    if (!iris_shot.empty()) {
        s.then(name + " iris half closed", until([=](const FrameView& v) {
                   const BoardView* b = board_in(v, boards, board);
                   return b != nullptr && b->level == level && b->fade >= 0.45;
               }),
               3000);
        s.then(shot(iris_shot));
    }
    return s;
}

Script play_level(int boards, int board, int level, const std::string& moves,
                  const std::string& iris_shot) {
    const std::string name = board_name(board, level);
    Script s = play_moves(boards, board, level, moves, iris_shot);
    s.then(name + " fading to the next level", until([=](const FrameView& v) {
               const BoardView* b = board_in(v, boards, board);
               return b != nullptr && b->level == level + 1;
           }),
           5000);
    s.then(say(name + " finished; the fade led to level " + std::to_string(level + 1)));
    return s;
}

} // namespace whole
