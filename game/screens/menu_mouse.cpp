// menu_mouse.cpp: the settings menu by mouse: lines under the pointer, the
// wheel, clicks and the right button, turned into what the keys would do.
#include "game/screens/screens.h"

#include "graphics/graphics.h"

#include <cmath>

namespace {

// The directions as MenuFrame reads them from the keys.
constexpr int kNone = 0, kBack = 2, kSelect = 5;

PointerReader& reader() {
    static PointerReader r;
    return r;
}

// The line of `count` under picture point (x, y), or -1.
int line_under(double x, double y, int count) {
    for (int i = 0; i < count; ++i) {
        const MenuLineBox box = menu_line_box(i, count);
        if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) return i;
    }
    return -1;
}

} // namespace

// The same box MenuDraw draws: 0.75 of the screen wide, centred, the lines
// from the third text row down.
MenuLineBox menu_line_box(int line, int count) {
    double w = 0, h = 0, cw = 0, ch = 0;
    GetScreenSize(&w, &h);
    GetFontSize(&cw, &ch);
    const double bw = std::trunc(0.75 * w), bh = (count + 4) * ch;
    MenuLineBox box;
    box.left = (w - bw) / 2;
    box.right = box.left + bw;
    box.top = (h - bh) / 2 + (line + 2) * ch;
    box.bottom = box.top + ch;
    return box;
}

void menu_pointer_open() {
    reader() = PointerReader{};
}

int menu_pointer_direction(MenuState& m, int count) {
    const PointerFrame p = reader().read();
    if (m.slide != 0) return kNone;
    if (m.capture != 0) {
        if (p.right_click) m.capture = 0;
        return kNone;
    }
    if (p.right_click) return kBack;
    // The wheel turned away from the player scrolls up the page.
    m.cursor -= p.wheel;
    const int line = line_under(p.x, p.y, count);
    if (line < 0) return kNone;
    if (p.moved || p.left_click) m.cursor = line;
    return p.left_click ? kSelect : kNone;
}
