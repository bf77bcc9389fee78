// level_choice.cpp: the menu lines that choose where a player's board starts,
// from the levels the record says that board has reached.
#include "game/screens/screens.h"

#include <algorithm>

namespace {

struct LevelChoices {
    ProgressRecord record;
    LevelInfo info;
};

LevelChoices& choices() {
    static LevelChoices c;
    return c;
}

// The board a "level:<player>" type speaks for: player 2 is board 1, any
// other player board 0.
int board_of(const RtString& type) {
    RtArray<RtString> parts;
    if (rt_split(type, parts, " ,:") < 2) return 0;
    return rt_val(rt_index(parts, 1)) == 2 ? 1 : 0;
}

// A stored value that is not a reached level reads as the furthest (0).
double reached_choice(int board, double value) {
    return level_reached(choices().record, board, value) ? value : 0;
}

RtString cut(const RtString& text, int columns) {
    const int n = std::max(columns, 0);
    return static_cast<int>(text.length()) > n ? rt_mid(text, 0, n) : text;
}

} // namespace

void refresh_level_choices() {
    LevelChoices& c = choices();
    c.record = read_progress(progress_file(), "levlib");
    c.info.load("levlib");
}

double next_level_choice(const RtString& type, double value) {
    const int board = board_of(type);
    const double furthest = choices().record.furthest[board];
    for (double level = reached_choice(board, value) + 1; level < furthest; ++level)
        if (level_reached(choices().record, board, level)) return level;
    return 0;
}

RtString level_choice_label(const RtString& type, double value, int columns) {
    const LevelChoices& c = choices();
    const int board = board_of(type);
    const double furthest = c.record.furthest[board];
    const double level = reached_choice(board, value);
    if (level == 0)
        return cut(RtString("furthest: ") + RtString(static_cast<int>(furthest)), columns);
    RtString text = RtString(static_cast<int>(level));
    const RtString name = c.info.name(level);
    if (!name.empty()) text = text + " " + name;
    return cut(text, columns);
}
