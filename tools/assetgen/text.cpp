// text.cpp: lettering with the 8 x 8 glyphs, scaled, with a gradient fill and an outline.
#include "glyphs.h"

#include <vector>

namespace {

// The scaled shape of one character, 8*sx x 8*sy; scales of 2 and more start
// from the smoothed double-size shape.
class GlyphMask {
  public:
    GlyphMask(unsigned char c, int sx, int sy) : w_(8 * sx), h_(8 * sy), bits_(w_ * h_) {
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                bits_[y * w_ + x] = sx >= 2 && sy >= 2
                                        ? glyph_pixel_smooth(c, x * 2 / sx, y * 2 / sy)
                                        : glyph_pixel(c, x / sx, y / sy);
    }
    bool covered(int x, int y) const {
        return x >= 0 && y >= 0 && x < w_ && y < h_ && bits_[y * w_ + x];
    }

  private:
    int w_, h_;
    std::vector<bool> bits_;
};

} // namespace

int text_width(const std::string& text, const TextStyle& style) {
    return static_cast<int>(text.size()) * style.advance * style.scale_x;
}

void draw_text(Image& img, int x, int y, const std::string& text, const TextStyle& s) {
    const int w = 8 * s.scale_x, h = 8 * s.scale_y, o = s.outline_width;
    const int step = s.advance * s.scale_x;
    std::vector<GlyphMask> masks;
    for (char c : text)
        masks.emplace_back(static_cast<unsigned char>(c), s.scale_x, s.scale_y);
    // Outline first, for every character, so a neighbour's outline never covers a glyph.
    for (size_t i = 0; i < text.size(); ++i) {
        const int cx = x + static_cast<int>(i) * step;
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                if (!masks[i].covered(px, py)) continue;
                for (int dy = -o; dy <= o; ++dy)
                    for (int dx = -o; dx <= o; ++dx)
                        if (dx * dx + dy * dy <= o * o + o)
                            img.set(cx + px + dx, y + py + dy, s.outline);
            }
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const int cx = x + static_cast<int>(i) * step;
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px)
                if (masks[i].covered(px, py))
                    img.set(cx + px, y + py, mix(s.fill, s.fill_bottom, (py + 0.5) / h));
    }
}
