// text.cpp: lettering with the 8 x 8 glyphs, scaled, with a gradient fill and an outline.
#include "glyphs.h"

#include <cmath>

namespace {

// Whether the scaled glyph covers pixel (px, py) of its 8*sx x 8*sy cell;
// scales of 2 and more start from the smoothed double-size shape.
bool covered(unsigned char c, int px, int py, int sx, int sy) {
    if (px < 0 || py < 0 || px >= 8 * sx || py >= 8 * sy) return false;
    if (sx >= 2 && sy >= 2) return glyph_pixel_smooth(c, px * 2 / sx, py * 2 / sy);
    return glyph_pixel(c, px / sx, py / sy);
}

} // namespace

int text_width(const std::string& text, const TextStyle& style) {
    return static_cast<int>(text.size()) * style.advance * style.scale_x;
}

void draw_text(Image& img, int x, int y, const std::string& text, const TextStyle& s) {
    const int w = 8 * s.scale_x, h = 8 * s.scale_y, o = s.outline_width;
    const int step = s.advance * s.scale_x;
    // Outline first, for every character, so a neighbour's outline never covers a glyph.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            const int cx = x + static_cast<int>(i) * step;
            for (int py = -o; py < h + o; ++py)
                for (int px = -o; px < w + o; ++px) {
                    if (pass == 1) {
                        if (covered(c, px, py, s.scale_x, s.scale_y))
                            img.set(cx + px, y + py, mix(s.fill, s.fill_bottom, (py + 0.5) / h));
                        continue;
                    }
                    bool near = false;
                    for (int dy = -o; dy <= o && !near; ++dy)
                        for (int dx = -o; dx <= o && !near; ++dx)
                            near = dx * dx + dy * dy <= o * o + o &&
                                   covered(c, px + dx, py + dy, s.scale_x, s.scale_y);
                    if (near) img.set(cx + px, y + py, s.outline);
                }
        }
    }
}
