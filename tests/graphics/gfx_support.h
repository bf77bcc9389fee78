// gfx_support.h: shared helpers of the graphics tests: one window per test
// process, image files written on the spot, pixels read back.
#pragma once

#include "graphics/graphics.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kTestScreenW = 96;
inline constexpr int kTestScreenH = 64;

// Opens (once) and clears the shared test window; resets the 2D state.
void gfx_fresh_frame();

struct Rgba {
    int r, g, b, a;
};
// Pixel of the back buffer, (x, y) from the top-left.
Rgba gfx_pixel(int x, int y);
bool gfx_is(Rgba p, int r, int g, int b);

// A fresh temporary directory for this test process.
std::string gfx_temp_dir();

// Writes a BMP of 8, 24 or 32 bits from RGB(A) pixels given top row first;
// for 8 bits, `rgba` holds palette indices in its first byte and `palette`
// RGB triples.
void gfx_write_bmp(const std::string& path, int w, int h, int bits,
                   const std::vector<std::uint8_t>& rgba,
                   const std::vector<std::uint8_t>& palette = {});
// Writes a PNG of any colour type and bit depth from packed rows (top row
// first), with an optional palette (RGB triples) and transparency chunk.
void gfx_write_png_raw(const std::string& path, int w, int h, int colour_type, int bit_depth,
                       const std::vector<std::vector<std::uint8_t>>& rows,
                       const std::vector<std::uint8_t>& palette = {},
                       const std::vector<std::uint8_t>& trns = {});
// Writes a PNG through libpng; `channels` 1 (grey), 3 (RGB) or 4 (RGBA),
// bit depth 8 or 16 (16 repeats each byte).
void gfx_write_png(const std::string& path, int w, int h, int channels,
                   const std::vector<std::uint8_t>& samples, int bit_depth = 8);
