// glyphs.cpp: the character shapes come from the game's built-in font, so
// the lettering in the pictures and the large font match the small one.
#include "glyphs.h"

#include "graphics/builtin_font.h"

bool glyph_pixel(unsigned char c, int x, int y) {
    if (x < 0 || y < 0 || x >= 8 || y >= 8) return false;
    return (builtin_glyph_row(c, y) >> (7 - x)) & 1;
}

bool glyph_pixel_smooth(unsigned char c, int x, int y) {
    // Scale2x: a doubled pixel takes a neighbour's value where two
    // neighbours agree, which rounds off the staircase of diagonals.
    const int px = x / 2, py = y / 2;
    const bool p = glyph_pixel(c, px, py);
    const bool up = glyph_pixel(c, px, py - 1), down = glyph_pixel(c, px, py + 1);
    const bool left = glyph_pixel(c, px - 1, py), right = glyph_pixel(c, px + 1, py);
    const bool top = y % 2 == 0, west = x % 2 == 0;
    const bool vertical = top ? up : down, horizontal = west ? left : right;
    const bool across_v = top ? down : up, across_h = west ? right : left;
    if (vertical == horizontal && vertical != across_v && horizontal != across_h) return vertical;
    return p;
}
