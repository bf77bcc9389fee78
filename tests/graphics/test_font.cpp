// Fonts: slot clamping, the built-in font, glyph placement and font files.
#include "gfx_support.h"
#include "graphics/builtin_font.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

const SpriteSlot& font_slot(int n) {
    return renderer().slots[kFontSlotBase + n];
}

TEST(Font, LoadFontClampsTheSlotNumber) {
    gfx_fresh_frame();
    const struct {
        double n;
        int font;
    } cases[] = {{20, 15}, {-1, 0}, {2.6, 2}, {15.9, 15}, {0, 0}, {-0.5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        engine().current_font = 7;
        renderer().ReleaseSlot(kFontSlotBase + c.font);
        LoadFont("", c.n);
        EXPECT_EQ(engine().current_font, c.font);
        EXPECT_EQ(font_slot(c.font).texture_width, 128);
        EXPECT_EQ(font_slot(c.font).image_height, 64);
    }
}

TEST(Font, BuiltinGlyphsAreDrawnWhereAsked) {
    gfx_fresh_frame();
    LoadFont((gfx_temp_dir() + "missing.bmp").c_str(), 1);
    DecodedImage font;
    builtin_font_image(font);
    const char text[] = "Ag~";
    Print(text, 8, 16);
    for (int i = 0; i < 3; ++i) {
        int code = static_cast<unsigned char>(text[i]);
        int cx = (code % 16) * 8, cy = (code / 16) * 8;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const std::uint8_t* want = &font.pixels[((cy + y) * 128 + cx + x) * 4];
                Rgba got = gfx_pixel(8 + i * 8 + x, 16 + y);
                ASSERT_TRUE(gfx_is(got, want[0], want[0], want[0]))
                    << "char " << text[i] << " at " << x << "," << y << ": " << got.r;
            }
    }
    double w = 0, h = 0;
    GetFontSize(&w, &h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
}

TEST(Font, BuiltinTableCoversPrintableAscii) {
    for (int code = kBuiltinGlyphFirst + 1; code <= kBuiltinGlyphLast; ++code) {
        int ink = 0;
        for (int row = 0; row < 8; ++row) {
            std::uint8_t bits = builtin_glyph_row(code, row);
            EXPECT_EQ(bits & 0x81, 0) << "glyph " << code << " leaves no room for its outline";
            ink += bits != 0;
        }
        EXPECT_GT(ink, 0) << "glyph " << code << " is empty";
    }
    EXPECT_EQ(builtin_glyph_row(' ', 3), 0);
    EXPECT_EQ(builtin_glyph_row(127, 3), 0);
}

// A font image whose cell for code c is filled with red c + 1 (black would
// be transparent), to see which cell each character draws.
std::string write_cell_font(int w, int h) {
    int rows = w >= h ? 8 : 16, gw = w / 16, gh = h / rows;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[(static_cast<std::size_t>(y) * w + x) * 4] =
                static_cast<std::uint8_t>((y / gh) * 16 + x / gw + 1);
    std::string path =
        gfx_temp_dir() + "cells" + std::to_string(w) + "x" + std::to_string(h) + ".bmp";
    gfx_write_bmp(path, w, h, 24, px);
    return path;
}

TEST(Font, FontImageLayouts) {
    const struct {
        int w, h, gw, gh, code, reported_h;
    } cases[] = {{256, 128, 16, 16, 'Q', 16}, {128, 256, 8, 16, 200, 32}, {128, 64, 8, 8, 127, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        gfx_fresh_frame();
        LoadFont(write_cell_font(c.w, c.h).c_str(), 4);
        const char text[] = {static_cast<char>(c.code), static_cast<char>(c.code), 0};
        Print(text, 3, 5);
        // Both glyphs span exactly gw x gh, side by side.
        EXPECT_EQ(gfx_pixel(3, 5).r, c.code + 1);
        EXPECT_EQ(gfx_pixel(3 + 2 * c.gw - 1, 5 + c.gh - 1).r, c.code + 1);
        EXPECT_EQ(gfx_pixel(3 + 2 * c.gw, 5).r, 0);
        EXPECT_EQ(gfx_pixel(3, 5 + c.gh).r, 0);
        double w = 0, h = 0;
        GetFontSize(&w, &h);
        EXPECT_EQ(w, c.gw);
        EXPECT_EQ(h, c.reported_h); // always image height / 8
    }
}

TEST(Font, BlackIsTransparentInFontFiles) {
    gfx_fresh_frame();
    // Cell 'A' (column 1, row 4): left pixel black, right pixel (1, 1, 1).
    std::vector<std::uint8_t> px(128 * 64 * 4, 0);
    px[(32 * 128 + 8) * 4] = 0;
    for (int c = 0; c < 3; ++c)
        px[(32 * 128 + 9) * 4 + c] = 1;
    std::string path = gfx_temp_dir() + "dark.bmp";
    gfx_write_bmp(path, 128, 64, 24, px);
    LoadFont(path.c_str(), 0);
    FillRect(0, 0, 20, 20, 0xffffff);
    Print("A", 0, 0);
    EXPECT_TRUE(gfx_is(gfx_pixel(0, 0), 255, 255, 255));
    EXPECT_TRUE(gfx_is(gfx_pixel(1, 0), 1, 1, 1));
    // Nothing is drawn for an empty text.
    Print("", 10, 10);
    EXPECT_TRUE(gfx_is(gfx_pixel(10, 10), 255, 255, 255));
}

// A font file that is there but cannot be decoded leaves the built-in font
// in its slot and a log entry naming the file; the program goes on.
TEST(Font, UnreadableFontFileFallsBackToTheBuiltInFont) {
    gfx_fresh_frame();
    std::string path = gfx_temp_dir() + "broken.bmp";
    std::ofstream(path) << "BM but not really";
    renderer().ReleaseSlot(kFontSlotBase + 3);
    LoadFont(path.c_str(), 3);
    EXPECT_EQ(engine().current_font, 3);
    EXPECT_EQ(font_slot(3).texture_width, 128);
    EXPECT_EQ(font_slot(3).image_height, 64);
    std::ifstream log(rt_log_path().c_str());
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("font: cannot load " + path), std::string::npos) << text;
}

} // namespace
