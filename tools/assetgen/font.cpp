// font.cpp: "smalfont.bmp", the game's large font: the built-in glyphs
// doubled and smoothed, white fading to light grey, with a dark outline, on
// black, which the font loader treats as transparent.
#include "font.h"
#include "glyphs.h"
#include "image.h"

#include <algorithm>
#include <cstdio>

namespace {

// The doubled glyph's pixel at (x, y) of a cell, or false outside it.
bool ink(unsigned char c, int x, int y) {
    const int gx = x - kFontGlyphLeft, gy = y - kFontGlyphTop;
    if (gx < 0 || gy < 0 || gx >= 16 || gy >= 16) return false;
    return glyph_pixel_smooth(c, gx, gy);
}

void draw_cell(Image& img, unsigned char c) {
    const int x0 = c % 16 * kFontCellWidth, y0 = c / 16 * kFontCellHeight;
    constexpr Rgba kTop{255, 255, 255, 255}, kBottom{200, 210, 225, 255}, kOutline{24, 24, 32, 255};
    for (int y = 0; y < kFontCellHeight; ++y)
        for (int x = 0; x < kFontCellWidth; ++x) {
            if (ink(c, x, y)) {
                img.set(x0 + x, y0 + y,
                        mix(kTop, kBottom, static_cast<double>(y) / kFontCellHeight));
                continue;
            }
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near = near || ink(c, x + dx, y + dy);
            if (near) img.set(x0 + x, y0 + y, kOutline);
        }
}

} // namespace

bool write_font(const std::string& dir) {
    Image img(16 * kFontCellWidth, 8 * kFontCellHeight, {0, 0, 0, 255});
    for (int c = 0; c < 128; ++c)
        draw_cell(img, static_cast<unsigned char>(c));
    if (write_bmp(img, dir + "/smalfont.bmp")) return true;
    std::fprintf(stderr, "assetgen: cannot write smalfont.bmp\n");
    return false;
}
