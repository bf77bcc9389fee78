// The generated pictures decode through the game's own image readers with
// the sizes and transparency the game draws them with.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::uint32_t kKey = 0x8000ff;

struct Pixel {
    int r, g, b, a;
};

Pixel at(const DecodedImage& img, int x, int y) {
    const std::uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

DecodedImage decode(const std::string& file, std::uint32_t key = kKey) {
    DecodedImage img;
    EXPECT_TRUE(DecodeImage(RtString(file.c_str()), key, img)) << file;
    return img;
}

TEST(CharacterTextures, AreOpaquePowerOfTwoSquares) {
    for (const char* file : {"pepper.png", "tomato.png", "corn.png"}) {
        DecodedImage img = decode(file);
        EXPECT_EQ(img.width, 256) << file;
        EXPECT_EQ(img.height, 256) << file;
        int transparent = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                transparent += at(img, x, y).a == 0;
        EXPECT_EQ(transparent, 0) << file << ": the key colour slipped into a texture";
    }
}

struct OverlayCase {
    const char* file;
    int boards;
};

class Overlay : public ::testing::TestWithParam<OverlayCase> {};

// Drawn without blending over the whole screen: the boards must show through
// in the middle of each board area, the frame must cover the edges, and no
// pixel may be half transparent (it would show as opaque).
TEST_P(Overlay, FramesEachBoardAndLetsItShowThrough) {
    const OverlayCase c = GetParam();
    DecodedImage img = decode(c.file);
    ASSERT_EQ(img.width, 640);
    ASSERT_EQ(img.height, 480);
    const int h = 480 / c.boards;
    for (int b = 0; b < c.boards; ++b) {
        EXPECT_EQ(at(img, 320, b * h + h / 2).a, 0) << "middle of board " << b;
        EXPECT_EQ(at(img, 100, b * h + h / 3).a, 0) << "board " << b;
        EXPECT_EQ(at(img, 320, b * h + 1).a, 255) << "top edge of board " << b;
        EXPECT_EQ(at(img, 320, b * h + h - 2).a, 255) << "bottom edge of board " << b;
        EXPECT_EQ(at(img, 1, b * h + h / 2).a, 255) << "left edge of board " << b;
        EXPECT_EQ(at(img, 638, b * h + h / 2).a, 255) << "right edge of board " << b;
    }
    for (size_t i = 3; i < img.pixels.size(); i += 4)
        ASSERT_TRUE(img.pixels[i] == 0 || img.pixels[i] == 255) << "alpha " << int(img.pixels[i]);
}

INSTANTIATE_TEST_SUITE_P(PlayerCounts, Overlay,
                         ::testing::Values(OverlayCase{"bkgnd-1pl.png", 1},
                                           OverlayCase{"bkgnd-2pl.png", 2},
                                           OverlayCase{"bkgnd-4pl.png", 2}));

// The logo's background is the key colour, so it vanishes; the title stays.
TEST(Logo, IsDrawnOnTheTransparencyKey) {
    DecodedImage img = decode("logo.bmp");
    ASSERT_GT(img.width, img.height);
    EXPECT_EQ(at(img, 0, 0).a, 0);
    EXPECT_EQ(at(img, img.width - 1, img.height - 1).a, 0);
    int opaque = 0;
    for (size_t i = 3; i < img.pixels.size(); i += 4)
        opaque += img.pixels[i] == 255;
    const int total = img.width * img.height;
    EXPECT_GT(opaque, total / 10);
    EXPECT_LT(opaque, total * 2 / 3);
}

// The lens is added over the thumbnail: black leaves it as it is.
TEST(Lens, BrightensOnlyAtTheGlintAndRim) {
    DecodedImage img = decode("lens.bmp");
    ASSERT_EQ(img.width, 256);
    ASSERT_EQ(img.height, 256);
    const Pixel centre = at(img, 160, 160), glint = at(img, 40, 40), rim = at(img, 1, 128);
    EXPECT_EQ(centre.r + centre.g + centre.b, 0);
    EXPECT_GT(glint.r, 10);
    EXPECT_GT(rim.r, 60);
}

// The font image is read with black as the transparent colour, 16 characters
// a row; each glyph (with its outline) must stay inside its own cell.
TEST(Font, HoldsEveryPrintableCharacterInItsCell) {
    DecodedImage img;
    ASSERT_TRUE(DecodeBmp(RtString("smalfont.bmp"), 0, img));
    ASSERT_GE(img.width, img.height); // 16 x 8 cells, characters 0..127
    const int cw = img.width / 16, ch = img.height / 8;
    EXPECT_GE(cw, 12);
    EXPECT_GE(ch, 12);
    for (int c = 0; c < 128; ++c) {
        int ink = 0, outline = 0;
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                const Pixel p = at(img, c % 16 * cw + x, c / 16 * ch + y);
                if (p.a == 0) continue;
                (p.r > 128 ? ink : outline) += 1;
            }
        const bool printable = c > 32 && c < 127;
        EXPECT_EQ(ink > 0, printable) << "character " << c;
        EXPECT_EQ(outline > 0, printable) << "character " << c;
    }
}

} // namespace
