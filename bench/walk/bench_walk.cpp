// bench_walk: the time BoardWalk::way_to takes from the start of a shipped
// level to its farthest reachable cell. The play loop plans that way every
// frame while the pointer rests over a board, so it must stay a small part
// of a 16 ms frame (the aim: under 0.2 ms).
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
        std::fprintf(stderr, "bench_walk: %s: %s\n", file.c_str(), reason.c_str());
    return board;
}

// The reachable cell with the longest way.
BoardCell farthest(const BoardState& board, std::size_t* steps) {
    BoardCell best;
    *steps = 0;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x) {
            const std::size_t n = BoardWalk::way_to(board, x, y).size();
            if (n > *steps) *steps = n, best = {x, y};
        }
    return best;
}

void BM_WayToTheFarthestCell(benchmark::State& state) {
    const BoardState board = load(static_cast<int>(state.range(0)));
    std::size_t steps = 0;
    const BoardCell goal = farthest(board, &steps);
    for (auto _ : state)
        benchmark::DoNotOptimize(BoardWalk::way_to(board, goal.x, goal.y));
    state.SetLabel(std::to_string(steps) + " steps");
}

} // namespace

BENCHMARK(BM_WayToTheFarthestCell)->Arg(1)->Arg(30)->Arg(64)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
