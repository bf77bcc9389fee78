// glyphs.h: the 8 x 8 character shapes used to letter the logo, the play
// overlays and the large font, and text drawing with them.
#pragma once

#include "image.h"

#include <string>

// True where character `c` has a pixel at column x, row y (0..7, row 0 at the top).
bool glyph_pixel(unsigned char c, int x, int y);
// The same shape doubled to 16 x 16 with its diagonals smoothed.
bool glyph_pixel_smooth(unsigned char c, int x, int y);

struct TextStyle {
    int scale_x = 1, scale_y = 1; // each glyph pixel becomes scale_x x scale_y pixels
    Rgba fill{255, 255, 255, 255};
    Rgba fill_bottom{255, 255, 255, 255}; // vertical gradient towards this colour
    Rgba outline{0, 0, 0, 255};
    int outline_width = 1; // pixels around the glyph; 0 for none
    int advance = 8;       // glyph columns from one character to the next
};

// Draws `text` with its top-left at (x, y); each character advances advance * scale_x.
void draw_text(Image& img, int x, int y, const std::string& text, const TextStyle& style);
int text_width(const std::string& text, const TextStyle& style);
