// overlays.cpp: the frame drawn over the boards in play, one picture per
// player count. Pixels are either fully opaque or fully transparent, because
// the overlay is drawn without blending and any alpha above 0 shows.
#include "overlays.h"
#include "glyphs.h"
#include "image.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Frame {
    Rgba dark, mid, light;
};

// A bevelled border around the rectangle (x0, y0)-(x1, y1), with rounded inner corners.
void draw_frame(Image& img, int x0, int y0, int x1, int y1, const Frame& f) {
    const int w = kFrameWidth, r = 14;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int d = std::min({x - x0, y - y0, x1 - 1 - x, y1 - 1 - y});
            // Distance into a rounded inner corner, if the pixel lies in one.
            const int cx = std::clamp(x, x0 + w + r, x1 - 1 - w - r);
            const int cy = std::clamp(y, y0 + w + r, y1 - 1 - w - r);
            const int dx = x - cx, dy = y - cy;
            const bool corner = dx != 0 && dy != 0 && dx * dx + dy * dy > r * r;
            if (d >= w && !corner) continue;
            Rgba c = f.mid;
            if (d < 2)
                c = f.dark;
            else if (d >= w - 2 && !corner)
                c = f.light;
            img.set(x, y, c);
        }
}

struct Legend {
    std::string left, right;
};

// One line of key help just inside the bottom of a board area.
void draw_legend(Image& img, int x0, int x1, int bottom, const Legend& legend) {
    TextStyle style;
    style.fill = {255, 255, 255, 255};
    style.fill_bottom = {220, 230, 255, 255};
    style.outline = {20, 30, 60, 255};
    const int y = bottom - kFrameWidth - 12;
    draw_text(img, x0 + kFrameWidth + 10, y, legend.left, style);
    draw_text(img, x1 - kFrameWidth - 10 - text_width(legend.right, style), y, legend.right, style);
}

Image overlay(int boards, const Frame& frame, const std::vector<Legend>& legends) {
    Image img(kOverlayWidth, kOverlayHeight, {0, 0, 0, 0});
    const int h = kOverlayHeight / boards;
    for (int b = 0; b < boards; ++b) {
        draw_frame(img, 0, b * h, kOverlayWidth, (b + 1) * h, frame);
        draw_legend(img, 0, kOverlayWidth, (b + 1) * h, legends[b]);
    }
    return img;
}

} // namespace

bool write_overlays(const std::string& dir) {
    const Frame green{{20, 60, 20, 255}, {60, 140, 50, 255}, {150, 210, 120, 255}};
    const Frame red{{70, 15, 10, 255}, {180, 50, 35, 255}, {245, 150, 120, 255}};
    const Frame gold{{80, 55, 10, 255}, {200, 150, 40, 255}, {250, 220, 130, 255}};
    struct Entry {
        const char* file;
        Image image;
    };
    const Entry entries[] = {
        {"bkgnd-1pl.png",
         overlay(1, green, {{"Arrows: walk  Space: next  Bksp: undo  Del: restart", "Esc: menu"}})},
        {"bkgnd-2pl.png",
         overlay(2, red,
                 {{"P1 Arrows  Space: next  Bksp: undo  Del: restart", "Esc: menu"},
                  {"P2 WASD  Tab: next  Q: undo  R: restart", "Esc: menu"}})},
        {"bkgnd-4pl.png", overlay(2, gold,
                                  {{"Team 1: Arrows  Space: next  Bksp: undo  Del: restart", "Esc"},
                                   {"Team 2: WASD  Tab: next  Q: undo  R: restart", "Esc"}})},
    };
    bool ok = true;
    for (const Entry& e : entries) {
        if (!write_png(e.image, dir + "/" + e.file, true)) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", e.file);
            ok = false;
        }
    }
    return ok;
}
