// overlays.cpp: the frame drawn over the boards in play, one picture per
// player count. Pixels are either fully opaque or fully transparent, because
// the overlay is drawn without blending and any alpha above 0 shows.
#include "overlays.h"
#include "image.h"

#include <algorithm>
#include <cstdio>
#include <string>

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

// Only the frames: the game writes the key legend itself, from the keys the
// players have chosen.
Image overlay(int boards, const Frame& frame) {
    Image img(kOverlayWidth, kOverlayHeight, {0, 0, 0, 0});
    const int h = kOverlayHeight / boards;
    for (int b = 0; b < boards; ++b)
        draw_frame(img, 0, b * h, kOverlayWidth, (b + 1) * h, frame);
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
        {"bkgnd-1pl.png", overlay(1, green)},
        {"bkgnd-2pl.png", overlay(2, red)},
        {"bkgnd-4pl.png", overlay(2, gold)},
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
