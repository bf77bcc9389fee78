// level.cpp (fuzz): level files through the decoder and its checks; a level
// that is accepted is then played, since the checks promise that no move of
// any character can reach outside the grid.
#include "fuzz_support.h"
#include "game/rules/board.h"

namespace {

// Steps, pushes, door turns, undo and character changes chosen by the input's bytes.
void play_level(BoardState& board, const std::uint8_t* data, std::size_t size) {
    static constexpr int kDx[4] = {1, -1, 0, 0}, kDy[4] = {0, 0, 1, -1};
    rt_dim(board.occupancy, kBoardWidth, kBoardHeight);
    rebuild_occupancy(board);
    for (std::size_t i = 0; i < 96 && size > 0; ++i) {
        const int move = (data[(i * 7) % size] + static_cast<int>(i)) % 7;
        if (move < 4) {
            step_character(board, kDx[move], kDy[move]);
        } else if (move == 4) {
            undo_last(board);
        } else if (move == 5) {
            const double n = rt_bounds(board.characters, 0);
            if (n > 0)
                board.current_character =
                    static_cast<int>(board.current_character + 1) % static_cast<int>(n);
        }
        advance_board(board, 0.5);
        finish_animations(board);
        if (rt_bounds(board.characters, 0) == 0) break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The line-file cache keeps the file it read last, so names alternate.
    static unsigned run = 0;
    const std::string name = (++run % 2 != 0) ? "QLEV1.CMD" : "QLEV2.CMD";
    const std::string path = fuzz::write_input(name, data, size);
    BoardState board;
    if (load_level_file(board, RtString::from_std(path)) != 0) play_level(board, data, size);
    fuzz::trim_log();
    return 0;
}
