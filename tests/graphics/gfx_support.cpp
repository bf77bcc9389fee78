// gfx_support.cpp: window, file and pixel helpers of the graphics tests.
#include "gfx_support.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

void gfx_fresh_frame() {
    if (!RenderWindowOpen()) {
        // The error log goes to this process's own directory, so tests that
        // run in parallel neither see nor delete each other's entries.
        setenv("TMPDIR", gfx_temp_dir().c_str(), 1);
        ASSERT_TRUE(OpenRenderWindow("graphics test", kTestScreenW, kTestScreenH));
    }
    ZiriZUDoriravu& r = renderer();
    r.SetAlphaMode(0);
    r.SetViewport2D(0, 0, 0, 0);
    r.ClearScreen();
}

Rgba gfx_pixel(int x, int y) {
    DecodedImage one;
    if (!ReadScreenPixels(x, y, 1, 1, one)) return {-1, -1, -1, -1};
    return {one.pixels[0], one.pixels[1], one.pixels[2], one.pixels[3]};
}

bool gfx_is(Rgba p, int r, int g, int b) {
    return std::abs(p.r - r) <= 2 && std::abs(p.g - g) <= 2 && std::abs(p.b - b) <= 2;
}

std::string gfx_temp_dir() {
    static std::string dir;
    if (dir.empty()) {
        dir =
            (std::filesystem::temp_directory_path() / ("cropstack_gfx_" + std::to_string(getpid())))
                .string();
        std::filesystem::create_directories(dir);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
    }
    return dir + "/";
}

namespace {

void put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xff);
}
void put16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>(v >> 8);
}

} // namespace

void gfx_write_bmp(const std::string& path, int w, int h, int bits,
                   const std::vector<std::uint8_t>& rgba,
                   const std::vector<std::uint8_t>& palette) {
    int stride = (bits * w + 31) / 32 * 4;
    int palette_bytes = bits == 8 ? static_cast<int>(palette.size() / 3) * 4 : 0;
    std::string f = "BM";
    put32(f, 54 + palette_bytes + stride * h);
    put32(f, 0);
    put32(f, 54 + palette_bytes);
    put32(f, 40);
    put32(f, static_cast<std::uint32_t>(w));
    put32(f, static_cast<std::uint32_t>(h));
    put16(f, 1);
    put16(f, static_cast<std::uint16_t>(bits));
    for (int i = 0; i < 6; ++i)
        put32(f, 0);
    for (std::size_t i = 0; i + 2 < palette.size() && bits == 8; i += 3)
        f += {static_cast<char>(palette[i + 2]), static_cast<char>(palette[i + 1]),
              static_cast<char>(palette[i]), 0};
    for (int row = h - 1; row >= 0; --row) {
        std::string line;
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(row) * w + x) * 4];
            if (bits == 8)
                line += static_cast<char>(p[0]);
            else
                line += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
            if (bits == 32) line += static_cast<char>(p[3]);
        }
        line.resize(static_cast<std::size_t>(stride), '\0');
        f += line;
    }
    std::ofstream(path, std::ios::binary) << f;
}

// Packs the samples into rows (16-bit samples repeat each byte) for the raw writer.
void gfx_write_png(const std::string& path, int w, int h, int channels,
                   const std::vector<std::uint8_t>& samples, int bit_depth) {
    int type = channels == 1   ? PNG_COLOR_TYPE_GRAY
               : channels == 3 ? PNG_COLOR_TYPE_RGB
                               : PNG_COLOR_TYPE_RGB_ALPHA;
    int bytes = bit_depth / 8;
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * channels; ++i)
            rows[static_cast<std::size_t>(y)].insert(
                rows[static_cast<std::size_t>(y)].end(), static_cast<std::size_t>(bytes),
                samples[static_cast<std::size_t>(y * w * channels + i)]);
    gfx_write_png_raw(path, w, h, type, bit_depth, rows);
}

void gfx_write_png_raw(const std::string& path, int w, int h, int colour_type, int bit_depth,
                       const std::vector<std::vector<std::uint8_t>>& rows,
                       const std::vector<std::uint8_t>& palette,
                       const std::vector<std::uint8_t>& trns) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), bit_depth,
                 colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colours;
    for (std::size_t i = 0; i + 2 < palette.size(); i += 3)
        colours.push_back({palette[i], palette[i + 1], palette[i + 2]});
    if (!colours.empty()) png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    for (const auto& row : rows)
        png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}
