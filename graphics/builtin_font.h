// builtin_font.h: the font compiled into the program, used when no font
// file is present: 8 x 8 cells for the printable ASCII characters, drawn
// white with a dark one-pixel outline. Tools can build a font image from it.
#pragma once

#include "graphics/graphics.h"

#include <cstdint>

inline constexpr int kBuiltinGlyphFirst = 32; // space
inline constexpr int kBuiltinGlyphLast = 126; // tilde
inline constexpr int kBuiltinCellSize = 8;
inline constexpr std::uint8_t kBuiltinInk = 255;   // glyph pixels
inline constexpr std::uint8_t kBuiltinOutline = 8; // pixels next to a glyph pixel

// Row `row` (0 = top, 0..7) of the glyph for `code` as 8 bits, bit 7 the
// cell's leftmost pixel; 0 for codes without a glyph.
std::uint8_t builtin_glyph_row(int code, int row);

// The 128 x 64 RGBA font image (16 x 8 cells, characters 0..127): ink and
// outline pixels opaque with grey values kBuiltinInk and kBuiltinOutline,
// everything else transparent black. The outline stays inside each cell.
void builtin_font_image(DecodedImage& out);
