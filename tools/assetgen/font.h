// font.h: the large font image, 16 columns by 8 rows of characters 0..127.
#pragma once

#include <string>

constexpr int kFontCellWidth = 14;
constexpr int kFontCellHeight = 18;
// Where the doubled 16 x 16 glyph sits in its cell: its outline stays inside.
constexpr int kFontGlyphLeft = 0;
constexpr int kFontGlyphTop = 1;

bool write_font(const std::string& dir);
