// closing.cpp: the screen shown when a board has completed the last level of
// the library, before the game goes back to the title screen.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "input/input.h"

namespace {

constexpr double kShownMs = 5000;

void append(RtArray<RtString>& lines, const RtString& text) {
    const int n = static_cast<int>(rt_bounds(lines, 0));
    rt_redim(lines, n + 1);
    rt_index(lines, n) = text;
}

void draw_closing(const RtArray<RtString>& lines, double w, double h) {
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    FillRect(0, 0, w, h, kWhite);
    const int n = static_cast<int>(rt_bounds(lines, 0));
    const double top = (h - n * 2 * ch) / 2;
    for (int i = 0; i < n; ++i) {
        const RtString& line = rt_index(lines, i);
        Print(line, (w - line.length() * cw) / 2, top + i * 2 * ch);
    }
}

} // namespace

RtArray<RtString> closing_lines(int index, int count, double player_count) {
    RtArray<RtString> lines;
    if (count < 2) {
        append(lines, "Every level is done!");
    } else {
        const RtString who = player_count >= 3 ? "Team " : "Player ";
        append(lines, who + RtString(index + 1) + ": every level is done!");
    }
    append(lines, "Thank you for playing.");
    return lines;
}

void closing_screen(int index, int count, double player_count) {
    const RtArray<RtString> lines = closing_lines(index, count, player_count);
    double w = 0, h = 0;
    GetScreenSize(&w, &h);
    SetViewport2D(0, 0, 0, 0);
    // Only a key pressed while the screen shows ends it early: the one that
    // made the last step may still be held.
    InputSnapshot previous, now;
    TakeInputSnapshot(previous);
    const double end = TotalTime() + kShownMs;
    while (TotalTime() < end) {
        draw_closing(lines, w, h);
        ShowScreen();
        TakeInputSnapshot(now);
        if (!NewlyPressedBinding(now, previous).empty()) return;
        previous = now;
    }
}
