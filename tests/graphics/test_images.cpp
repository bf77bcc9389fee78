// Image decoding, texture sizes and sprite drawing through real files.
#include "gfx_support.h"
#include "graphics/gl_ext.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <fstream>

namespace {

std::vector<std::uint8_t> solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                std::uint8_t a = 255) {
    std::vector<std::uint8_t> px;
    for (int i = 0; i < w * h; ++i)
        px.insert(px.end(), {r, g, b, a});
    return px;
}

const std::uint8_t* texel(const DecodedImage& img, int x, int y) {
    return &img.pixels[(static_cast<std::size_t>(y) * img.width + x) * 4];
}

TEST(Images, BmpTransparencyKeyIsExact) {
    // Left pixel the key colour, right pixel one step off it.
    std::vector<std::uint8_t> px = {255, 0, 128, 255, 255, 0, 127, 255};
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        std::string path = gfx_temp_dir() + "key" + std::to_string(bits) + ".bmp";
        gfx_write_bmp(path, 2, 1, bits, px);
        DecodedImage img;
        ASSERT_TRUE(DecodeBmp(path.c_str(), kTransparencyKey, img));
        EXPECT_EQ(texel(img, 0, 0)[3], 0);
        EXPECT_EQ(texel(img, 0, 0)[0], 0);
        EXPECT_EQ(texel(img, 1, 0)[3], 255);
        EXPECT_EQ(texel(img, 1, 0)[2], 127);
    }
}

TEST(Images, BmpRowsTopFirstAndFileAlphaIgnored) {
    // Top row red with alpha 0 in the file, bottom row blue with alpha 7.
    std::vector<std::uint8_t> px = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 7, 0, 0, 255, 7};
    std::string path = gfx_temp_dir() + "alpha32.bmp";
    gfx_write_bmp(path, 2, 2, 32, px);
    DecodedImage img;
    ASSERT_TRUE(DecodeBmp(path.c_str(), kTransparencyKey, img));
    EXPECT_EQ(texel(img, 0, 0)[0], 255);
    EXPECT_EQ(texel(img, 0, 0)[3], 255);
    EXPECT_EQ(texel(img, 1, 1)[2], 255);
    EXPECT_EQ(texel(img, 1, 1)[3], 255);
}

TEST(Images, TopDownBmpIsNotFlipped) {
    std::vector<std::uint8_t> px = {255, 0, 0, 255, 0, 0, 255, 255}; // red above blue
    std::string path = gfx_temp_dir() + "topdown.bmp";
    gfx_write_bmp(path, 1, 2, 24, px);
    // Same file with the rows swapped and the height negated.
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::string rows = bytes.substr(54);
    bytes = bytes.substr(0, 54) + rows.substr(4, 4) + rows.substr(0, 4);
    std::int32_t negative = -2;
    std::memcpy(&bytes[22], &negative, 4);
    std::ofstream(path, std::ios::binary) << bytes;
    DecodedImage img;
    ASSERT_TRUE(DecodeBmp(path.c_str(), kTransparencyKey, img));
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(texel(img, 0, 0)[0], 255);
    EXPECT_EQ(texel(img, 0, 1)[2], 255);
}

TEST(Images, BmpPaletteAndRefusals) {
    std::vector<std::uint8_t> idx = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    std::vector<std::uint8_t> palette = {10, 20, 30, 255, 0, 128, 1, 2, 3};
    std::string path = gfx_temp_dir() + "pal.bmp";
    gfx_write_bmp(path, 3, 1, 8, idx, palette);
    DecodedImage img;
    ASSERT_TRUE(DecodeBmp(path.c_str(), kTransparencyKey, img));
    EXPECT_EQ(texel(img, 0, 0)[0], 10);
    EXPECT_EQ(texel(img, 0, 0)[2], 30);
    EXPECT_EQ(texel(img, 1, 0)[3], 0); // palette entry of the key colour
    EXPECT_EQ(texel(img, 2, 0)[1], 2);

    // Truncated pixel data and an unsupported depth fail the decode.
    std::string good = gfx_temp_dir() + "short.bmp";
    gfx_write_bmp(good, 4, 4, 24, solid(4, 4, 1, 2, 3));
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(good, std::ios::binary) << bytes.substr(0, bytes.size() - 5);
    EXPECT_FALSE(DecodeBmp(good.c_str(), kTransparencyKey, img));
    bytes[28] = 16;
    std::string deep = gfx_temp_dir() + "deep.bmp";
    std::ofstream(deep, std::ios::binary) << bytes;
    EXPECT_FALSE(DecodeBmp(deep.c_str(), kTransparencyKey, img));
}

struct PngCase {
    const char* name;
    int channels, depth;
    std::vector<std::uint8_t> samples; // one pixel
    std::uint8_t r, g, b, a;
};

TEST(Images, PngChannelsAndKey) {
    const PngCase cases[] = {
        {"rgba", 4, 8, {255, 0, 128, 77}, 255, 0, 128, 77}, // own alpha, no key test
        {"rgb_key", 3, 8, {255, 0, 128}, 0, 0, 0, 0},
        {"rgb", 3, 8, {255, 0, 127}, 255, 0, 127, 255},
        {"grey", 1, 8, {90}, 90, 90, 90, 255},
        {"rgb16", 3, 16, {40, 50, 60}, 40, 50, 60, 255}, // 16-bit samples stripped to 8
    };
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = gfx_temp_dir() + c.name + ".png";
        gfx_write_png(path, 1, 1, c.channels, c.samples, c.depth);
        DecodedImage img;
        ASSERT_TRUE(DecodeImage(path.c_str(), kTransparencyKey, img));
        ASSERT_EQ(img.width, 1);
        const std::uint8_t* p = texel(img, 0, 0);
        EXPECT_EQ(p[0], c.r);
        EXPECT_EQ(p[1], c.g);
        EXPECT_EQ(p[2], c.b);
        EXPECT_EQ(p[3], c.a);
    }
    std::string junk = gfx_temp_dir() + "junk.png";
    std::ofstream(junk) << "\x89PNG\r\n\x1a\n but then nothing useful";
    DecodedImage img;
    EXPECT_FALSE(DecodeImage(junk.c_str(), kTransparencyKey, img));
}

// Palette, low-depth grey and grey-with-alpha images are expanded to RGBA.
TEST(Images, PngExpandsPalettesAndLowDepths) {
    struct RawCase {
        const char* name;
        int type, depth;
        std::vector<std::uint8_t> row; // two pixels
        std::vector<std::uint8_t> palette, trns;
        std::uint8_t expected[2][4];
    };
    const RawCase cases[] = {
        {"palette_trns",
         PNG_COLOR_TYPE_PALETTE,
         8,
         {0, 1},
         {10, 20, 30, 255, 0, 128},
         {100},
         {{10, 20, 30, 100}, {255, 0, 128, 255}}},
        {"palette_2bit",
         PNG_COLOR_TYPE_PALETTE,
         2,
         {0x1 << 6 | 0x0 << 4},
         {10, 20, 30, 40, 50, 60},
         {},
         {{40, 50, 60, 255}, {10, 20, 30, 255}}},
        {"grey_1bit",
         PNG_COLOR_TYPE_GRAY,
         1,
         {0x80},
         {},
         {},
         {{255, 255, 255, 255}, {0, 0, 0, 255}}},
        {"grey_alpha",
         PNG_COLOR_TYPE_GRAY_ALPHA,
         8,
         {70, 0, 80, 200},
         {},
         {},
         {{70, 70, 70, 0}, {80, 80, 80, 200}}},
    };
    for (const RawCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = gfx_temp_dir() + c.name + ".png";
        gfx_write_png_raw(path, 2, 1, c.type, c.depth, {c.row}, c.palette, c.trns);
        DecodedImage img;
        ASSERT_TRUE(DecodePng(path.c_str(), kTransparencyKey, img));
        for (int x = 0; x < 2; ++x)
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(texel(img, x, 0)[k], c.expected[x][k]) << "pixel " << x << " byte " << k;
    }
}

struct SizeCase {
    int w, h, tw, th;
};

TEST(Images, TexturesArePowersOfTwoAtLeastTwo) {
    gfx_fresh_frame();
    const SizeCase cases[] = {{1, 1, 2, 2}, {33, 17, 64, 32}, {2, 3, 2, 4}, {64, 64, 64, 64}};
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        std::string path = gfx_temp_dir() + "size.png";
        gfx_write_png(path, c.w, c.h, 4, solid(c.w, c.h, 9, 9, 9));
        ASSERT_EQ(LoadSprite(path.c_str(), 7), 1);
        const SpriteSlot& s = renderer().slots[7];
        EXPECT_EQ(s.texture_width, c.tw);
        EXPECT_EQ(s.texture_height, c.th);
        EXPECT_EQ(s.image_width, c.w);
        EXPECT_EQ(s.image_height, c.h);
        ASSERT_NE(s.mip_texture, 0u);
        // The mip texture has its whole chain down to 1 x 1.
        glBindTexture(GL_TEXTURE_2D, s.mip_texture);
        int levels = 0;
        while ((c.tw >> levels) > 1 || (c.th >> levels) > 1)
            ++levels;
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, 1);
        EXPECT_EQ(h, 1);
    }
}

TEST(Images, BindSlotTexturesUsesBothUnits) {
    gfx_fresh_frame();
    std::string path = gfx_temp_dir() + "unit.png";
    gfx_write_png(path, 2, 2, 4, solid(2, 2, 1, 2, 3));
    ASSERT_EQ(LoadSprite(path.c_str(), 20), 1);
    ASSERT_EQ(LoadSprite(path.c_str(), 21), 1);
    ZiriZUDoriravu& r = renderer();
    ASSERT_TRUE(gl_ext().multitexture());
    auto bound = [](GLenum unit) {
        gl_ext().glActiveTextureARB(unit);
        GLint name = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        GLboolean on = glIsEnabled(GL_TEXTURE_2D);
        gl_ext().glActiveTextureARB(GL_TEXTURE0_ARB);
        return on ? static_cast<std::uint32_t>(name) : 0u;
    };
    // Two slots: the first on unit 1, the second on unit 0.
    r.BindSlotTextures(20, 21, 0);
    EXPECT_EQ(bound(GL_TEXTURE1_ARB), r.slots[20].texture);
    EXPECT_EQ(bound(GL_TEXTURE0_ARB), r.slots[21].texture);
    // One slot, mip texture: unit 1 off.
    r.BindSlotTextures(20, -1, 1);
    EXPECT_EQ(bound(GL_TEXTURE1_ARB), 0u);
    EXPECT_EQ(bound(GL_TEXTURE0_ARB), r.slots[20].mip_texture);
    // A name table maps slots to textures of its own.
    const std::uint32_t table[] = {r.slots[21].mip_texture, r.slots[20].texture};
    r.BindSlotTextures(0, 1, 0, table);
    EXPECT_EQ(bound(GL_TEXTURE1_ARB), table[0]);
    EXPECT_EQ(bound(GL_TEXTURE0_ARB), table[1]);
    r.BindSlotTextures(-1, 1, 0);
    EXPECT_EQ(bound(GL_TEXTURE0_ARB), 0u);
    EXPECT_EQ(bound(GL_TEXTURE1_ARB), 0u);
    r.BindSlotTextures(-1, -1, 0);
}

TEST(Images, FailedLoadLeavesTheSlotEmpty) {
    gfx_fresh_frame();
    std::string path = gfx_temp_dir() + "ok.png";
    gfx_write_png(path, 4, 4, 3, std::vector<std::uint8_t>(48, 200));
    ASSERT_EQ(LoadSprite(path.c_str(), 3), 1);
    std::string junk = gfx_temp_dir() + "junk.bmp";
    std::ofstream(junk) << "not an image";
    EXPECT_EQ(LoadSprite(junk.c_str(), 3), 0);
    EXPECT_EQ(renderer().slots[3].texture_width, -1);
    DrawSprite(3, 0, 0); // draws nothing
    EXPECT_TRUE(gfx_is(gfx_pixel(1, 1), 0, 0, 0));
    EXPECT_EQ(LoadSprite((gfx_temp_dir() + "missing.png").c_str(), 4), 0);
    EXPECT_EQ(LoadSprite(path.c_str(), 70000), 0);
}

// The picture's top row lands in texture row h - 1 and transparent texels
// take the colour of their opaque neighbours.
TEST(Images, MakeTextureFlipsRowsAndBleedsColour) {
    gfx_fresh_frame();
    std::vector<std::uint8_t> px = {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255};
    std::string path = gfx_temp_dir() + "bleed.png";
    gfx_write_png(path, 2, 2, 4, px);
    ASSERT_EQ(LoadSprite(path.c_str(), 9), 1);
    std::vector<std::uint8_t> tex(2 * 2 * 4);
    glBindTexture(GL_TEXTURE_2D, renderer().slots[9].texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
    // GL row 0 is the picture's bottom row: (transparent, blue).
    EXPECT_EQ(tex[4 + 2], 255);
    EXPECT_EQ(tex[0 + 3], 0);
    // Row 1 (the picture's top): red, then a transparent texel. In a 2x2
    // buffer every neighbour is on the outer rows, so nothing bleeds.
    EXPECT_EQ(tex[8], 255);
    EXPECT_EQ(tex[12 + 0], 0);

    // In a larger picture the transparent texel takes its neighbours' colour.
    std::vector<std::uint8_t> big = solid(4, 4, 0, 0, 0, 0);
    for (int i : {5, 6}) { // (1,1) green, (2,1) blue
        big[static_cast<std::size_t>(i) * 4 + (i == 5 ? 1 : 2)] = 200;
        big[static_cast<std::size_t>(i) * 4 + 3] = 255;
    }
    gfx_write_png(path, 4, 4, 4, big);
    ASSERT_EQ(LoadSprite(path.c_str(), 9), 1);
    std::vector<std::uint8_t> tex4(4 * 4 * 4);
    glBindTexture(GL_TEXTURE_2D, renderer().slots[9].texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex4.data());
    // Picture (1,2) is GL row 1, column 1: below the green and blue texels.
    const std::uint8_t* t = &tex4[(1 * 4 + 1) * 4];
    EXPECT_EQ(t[3], 0);
    EXPECT_EQ(t[1], 100);
    EXPECT_EQ(t[2], 100);
}

TEST(Images, SpritesDrawAtTheirPixelsWithKeyTransparent) {
    gfx_fresh_frame();
    // 3x2 sprite: top row red, key, green; bottom row blue, white, blue.
    std::vector<std::uint8_t> px = {255, 0, 0,   255, 255, 0,   128, 255, 0, 255, 0,   255,
                                    0,   0, 255, 255, 255, 255, 255, 255, 0, 0,   255, 255};
    std::string path = gfx_temp_dir() + "sprite.bmp";
    gfx_write_bmp(path, 3, 2, 24, px);
    ASSERT_EQ(LoadSprite(path.c_str(), 1), 1);
    FillRect(0, 0, 40, 40, 0x404040);
    DrawSprite(1, 10, 20);
    EXPECT_TRUE(gfx_is(gfx_pixel(10, 20), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(11, 20), 64, 64, 64)); // the key is see-through
    EXPECT_TRUE(gfx_is(gfx_pixel(12, 20), 0, 255, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(11, 21), 255, 255, 255));
    EXPECT_TRUE(gfx_is(gfx_pixel(13, 20), 64, 64, 64));
    EXPECT_TRUE(gfx_is(gfx_pixel(10, 22), 64, 64, 64));
    // Fractional positions are rounded up.
    ClearScreen();
    DrawSprite(1, 4.2, 6.7);
    EXPECT_TRUE(gfx_is(gfx_pixel(5, 7), 255, 0, 0));
}

TEST(Images, StretchSpriteCoversTheGivenSize) {
    gfx_fresh_frame();
    std::string path = gfx_temp_dir() + "blue.bmp";
    gfx_write_bmp(path, 2, 2, 24, solid(2, 2, 0, 0, 255));
    ASSERT_EQ(LoadSprite(path.c_str(), 2), 1);
    StretchSprite(2, 20, 20, 10, 6);
    EXPECT_TRUE(gfx_is(gfx_pixel(20, 20), 0, 0, 255));
    EXPECT_TRUE(gfx_is(gfx_pixel(29, 25), 0, 0, 255));
    EXPECT_TRUE(gfx_is(gfx_pixel(30, 25), 0, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(29, 26), 0, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(19, 19), 0, 0, 0));
}

TEST(Images, GrabSpriteCopiesTheScreen) {
    gfx_fresh_frame();
    FillRect(30, 10, 49, 29, 0x00ff00);
    FillRect(30, 10, 30, 10, 0x0000ff);
    GrabSprite(12, 30, 10, 20, 20);
    const SpriteSlot& s = renderer().slots[12];
    EXPECT_EQ(s.texture_width, 32);
    EXPECT_EQ(s.texture_height, 32);
    EXPECT_EQ(s.image_width, 20);
    EXPECT_EQ(s.mip_texture, 0u);
    ClearScreen();
    DrawSprite(12, 0, 0);
    EXPECT_TRUE(gfx_is(gfx_pixel(0, 0), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(19, 19), 0, 255, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(20, 20), 0, 0, 0));
}

} // namespace
