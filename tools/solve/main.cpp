// cropstack-solve: finds the fewest moves that finish a level file, or shows
// that it cannot be finished; replays a line of moves on a level.
//
//   cropstack-solve [options] LEVELFILE
//   cropstack-solve --replay [--print] LEVELFILE MOVES
//
// Exit status: 0 solved (or the replay finished the level), 1 the level
// cannot be finished (or the replay did not finish it), 2 bad arguments or an
// unreadable level, 3 a limit was reached before the search was decided.
#include "game/solver/solver.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kExitSolved = 0, kExitUnsolved = 1, kExitUsage = 2, kExitUndecided = 3;

struct Options {
    solver::SolveLimits limits;
    bool print = false;
    bool quiet = false;
    bool replay = false;
    std::vector<std::string> operands;
};

void usage() {
    std::fprintf(stderr,
                 "usage: cropstack-solve [options] LEVELFILE\n"
                 "       cropstack-solve --replay [--print] LEVELFILE MOVES\n"
                 "  --max-states N    give up after N distinct positions (default 10000000)\n"
                 "  --time-limit S    give up after S seconds\n"
                 "  --print           print the board after every move of the solution\n"
                 "  --quiet           one line on stdout: outcome moves solution states "
                 "seconds\n"
                 "  --replay          play MOVES (letters L R U D N) and say whether the level "
                 "is finished\n");
}

bool number_after(int argc, char** argv, int& i, double& value) {
    if (i + 1 >= argc) return false;
    char* end = nullptr;
    value = std::strtod(argv[++i], &end);
    return end != argv[i] && *end == '\0' && value >= 0;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        double value = 0;
        if (arg == "--print") {
            options.print = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--replay") {
            options.replay = true;
        } else if (arg == "--max-states") {
            if (!number_after(argc, argv, i, value) || value < 1) return false;
            options.limits.max_states = static_cast<std::uint64_t>(value);
        } else if (arg == "--time-limit") {
            if (!number_after(argc, argv, i, value)) return false;
            options.limits.max_seconds = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else {
            options.operands.push_back(arg);
        }
    }
    return options.operands.size() == (options.replay ? 2u : 1u);
}

void print_board(const BoardState& board, const std::string& title) {
    std::printf("%s\n%s\n", title.c_str(), board_text(board).c_str());
}

// Replays moves on a fresh copy of the level, printing each position.
solver::ReplayResult replay_printing(const BoardState& start, const std::string& moves) {
    BoardState board = start;
    print_board(board, "start");
    int move = 0;
    return solver::replay_moves(board, moves, [&](const BoardState& b, char letter) {
        print_board(b, "move " + std::to_string(++move) + ": " + letter);
    });
}

int run_replay(const Options& options, const BoardState& start) {
    const std::string& moves = options.operands[1];
    BoardState board = start;
    solver::ReplayResult r =
        options.print ? replay_printing(start, moves) : solver::replay_moves(board, moves);
    if (r.bad_letter >= 0) {
        std::fprintf(stderr, "cropstack-solve: '%c' at position %d is not one of L R U D N\n",
                     moves[r.bad_letter], r.bad_letter + 1);
        return kExitUsage;
    }
    if (options.quiet)
        std::printf("%s %d %d\n", r.complete ? "complete" : "incomplete", r.moves, r.refused);
    else
        std::printf("%s after %d moves (%d refused steps)\n",
                    r.complete ? "level complete" : "level not complete", r.moves, r.refused);
    return r.complete ? kExitSolved : kExitUnsolved;
}

void report_speed(const solver::SolveResult& r) {
    double rate = r.seconds > 0 ? r.states / r.seconds : 0;
    std::fprintf(stderr,
                 "cropstack-solve: %llu states (%llu expanded) in %.3f s, %.0f states/s, "
                 "depth %d\n",
                 static_cast<unsigned long long>(r.states),
                 static_cast<unsigned long long>(r.expanded), r.seconds, rate, r.depth);
}

int report(const Options& options, const BoardState& start, const solver::SolveResult& r) {
    using solver::SolveOutcome;
    if (options.quiet) {
        bool solved = r.outcome == SolveOutcome::kSolved;
        std::printf("%s %s %s %llu %.3f\n", solver::outcome_name(r.outcome),
                    solved ? std::to_string(r.moves).c_str() : "-",
                    solved ? r.solution.c_str() : "-", static_cast<unsigned long long>(r.states),
                    r.seconds);
    } else {
        report_speed(r);
        switch (r.outcome) {
        case SolveOutcome::kSolved:
            std::printf("%d moves\n%s\n", r.moves, r.solution.c_str());
            if (options.print) replay_printing(start, r.solution);
            break;
        case SolveOutcome::kImpossible:
            std::printf("cannot be finished: all %llu reachable positions were tried\n",
                        static_cast<unsigned long long>(r.states));
            break;
        case SolveOutcome::kStateLimit:
        case SolveOutcome::kTimeLimit:
            std::printf("undecided: the %s limit was reached after %llu positions, none "
                        "finishing in fewer than %d moves\n",
                        r.outcome == SolveOutcome::kStateLimit ? "state" : "time",
                        static_cast<unsigned long long>(r.states), r.depth);
            break;
        }
    }
    switch (r.outcome) {
    case SolveOutcome::kSolved:
        return kExitSolved;
    case SolveOutcome::kImpossible:
        return kExitUnsolved;
    default:
        return kExitUndecided;
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return kExitUsage;
    }
    BoardState start;
    std::string reason;
    if (!solver::load_level_board(options.operands[0], start, &reason)) {
        std::fprintf(stderr, "cropstack-solve: %s: %s\n", options.operands[0].c_str(),
                     reason.c_str());
        return kExitUsage;
    }
    if (options.replay) return run_replay(options, start);
    return report(options, start, solver::solve_board(start, options.limits));
}
