// bench_hint: the time from asking for a hint to its answer, on the shipped
// levels with the largest searches (63 stores the most positions, 62 takes
// about as long), from their start, through the worker and its thread as the
// game asks. Wall-clock time: the player waits for it. The aim is under one
// second; the game gives up at hint_limits().
#include "game/screens/screens.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

BoardState load(int level) {
    BoardState board;
    std::string reason;
    std::string file = std::string(CROPSTACK_LEVEL_DIR) + "/QLEV" + std::to_string(level) + ".CMD";
    if (!solver::load_level_board(file, board, &reason))
        std::fprintf(stderr, "bench_hint: %s: %s\n", file.c_str(), reason.c_str());
    return board;
}

void BM_HintFromTheStart(benchmark::State& state) {
    const BoardState board = load(static_cast<int>(state.range(0)));
    HintState answer = HintState::kNone;
    for (auto _ : state) {
        HintWorker worker;
        worker.request(board);
        worker.wait();
        answer = worker.update(board).state;
    }
    state.SetLabel(answer == HintState::kMove ? "a move" : "no move");
}

} // namespace

BENCHMARK(BM_HintFromTheStart)
    ->Arg(63)
    ->Arg(62)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK_MAIN();
