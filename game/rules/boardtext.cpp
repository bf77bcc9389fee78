// boardtext.cpp: a board drawn as text, for the board-printing tool, level
// design and test failure messages.
#include "game/rules/board.h"

namespace {

using Picture = char[kBoardHeight][kBoardWidth];

// Movers may stand between cells; they are shown at the cell they are nearest
// to arriving at, as the rules round them.
int at(double position) {
    return static_cast<int>(position + 0.4);
}

void put(Picture& p, int x, int y, char c) {
    if (x >= 0 && x < kBoardWidth && y >= 0 && y < kBoardHeight) p[y][x] = c;
}

void put_box(Picture& p, const BoxRecord& box, char c) {
    for (int y = 0; y < static_cast<int>(box.depth); ++y)
        for (int x = 0; x < static_cast<int>(box.width); ++x)
            put(p, at(box.m.x) + x, at(box.m.y) + y, c);
}

void put_terrain(Picture& p, const BoardState& board) {
    bool known = rt_bounds(board.terrain, 0) == kBoardWidth;
    for (int y = 0; y < kBoardHeight; ++y)
        for (int x = 0; x < kBoardWidth; ++x)
            p[y][x] = known && rt_index(board.terrain, x, y) != 0 ? '~' : '.';
}

void put_blocks(Picture& p, const BoardState& board, bool sunk) {
    for (int i = 0; i < count(board.blocks); ++i) {
        const BoxRecord& b = rt_index(board.blocks, i);
        bool down = b.m.height != 0 || b.m.pending_height != 0;
        if (down == sunk) put_box(p, b, sunk ? '=' : 'B');
    }
}

void put_doors(Picture& p, const BoardState& board) {
    static constexpr int kDx[4] = {0, 1, 0, -1}, kDy[4] = {-1, 0, 1, 0};
    static constexpr char kArm[4] = {'|', '-', '|', '-'};
    for (int i = 0; i < count(board.doors); ++i) {
        const DoorRecord& d = rt_index(board.doors, i);
        int px = at(d.m.x), py = at(d.m.y);
        put(p, px, py, '+');
        for (int k = 0; k < 4; ++k)
            if (rt_index(d.arms, k) != 0) put(p, px + kDx[k], py + kDy[k], kArm[k]);
    }
}

} // namespace

std::string board_text(const BoardState& board) {
    Picture p;
    put_terrain(p, board);
    put_blocks(p, board, true);
    for (int i = 0; i < count(board.walls); ++i)
        put_box(p, rt_index(board.walls, i), '#');
    put_blocks(p, board, false);
    put_doors(p, board);
    put(p, at(board.exit.x), at(board.exit.y), 'E');
    int characters = count(board.characters);
    for (int i = 0; i < characters; ++i) {
        const Mover& m = rt_index(board.characters, i).m;
        put(p, at(m.x), at(m.y), i < 9 ? static_cast<char>('1' + i) : '*');
    }
    // Letters round the picture, as the level file writes coordinates.
    std::string text = "  ";
    for (int x = 0; x < kBoardWidth; ++x)
        text += static_cast<char>('A' + x);
    text += '\n';
    for (int y = 0; y < kBoardHeight; ++y) {
        text += static_cast<char>('A' + y);
        text += ' ';
        text.append(p[y], kBoardWidth);
        text += '\n';
    }
    text += "level " + RtString(board.level_number).str() + ", " + std::to_string(characters) +
            (characters == 1 ? " character" : " characters");
    if (characters > 0)
        text += ", playing " + std::to_string(static_cast<int>(board.current_character) + 1);
    text += '\n';
    return text;
}

std::string board_legend() {
    return "# wall  . floor  ~ hole  B block  = block sunk into a hole\n"
           "+ door pivot  | - door arms  E exit  1-9 characters in level order\n";
}
