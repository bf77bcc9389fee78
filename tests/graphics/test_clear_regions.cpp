// Sprites with fully transparent rectangles: which rectangles are found, which
// screen pixels a draw leaves out, and that the picture on the screen is the
// same, pixel for pixel, as when the whole quad is drawn.
#include "gfx_support.h"
#include "graphics/clear_regions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

DecodedImage transparent_image(int w, int h) {
    DecodedImage img;
    img.width = w;
    img.height = h;
    img.pixels.assign(static_cast<std::size_t>(w) * h * 4, 0);
    return img;
}

void paint(DecodedImage& img, const ClearRect& r, std::uint8_t red, std::uint8_t alpha) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            std::uint8_t* p = &img.pixels[(static_cast<std::size_t>(y) * img.width + x) * 4];
            p[0] = red;
            p[1] = static_cast<std::uint8_t>(x * 7);
            p[2] = static_cast<std::uint8_t>(y * 5);
            p[3] = alpha;
        }
}

// A border of the given widths (left, top, right, bottom) around a clear inside.
DecodedImage framed(int w, int h, int left, int top, int right, int bottom) {
    DecodedImage img = transparent_image(w, h);
    paint(img, {0, 0, w, top}, 200, 255);
    paint(img, {0, h - bottom, w, h}, 60, 255);
    paint(img, {0, 0, left, h}, 120, 90);
    paint(img, {w - right, 0, w, h}, 250, 40); // just over the alpha test
    return img;
}

bool same(const ClearRect& a, const ClearRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ClearRegions, FoundLargestFirstWithoutOverlap) {
    DecodedImage two = framed(100, 80, 4, 4, 4, 4);
    paint(two, {4, 40, 96, 42}, 10, 255); // a bar across the middle
    struct Case {
        const char* name;
        DecodedImage image;
        std::vector<ClearRect> expected;
    } cases[] = {
        {"frame", framed(100, 80, 3, 2, 5, 7), {{3, 2, 95, 73}}},
        {"two frames", two, {{4, 4, 96, 40}, {4, 42, 96, 76}}},
        {"opaque", framed(100, 80, 50, 40, 50, 40), {}},
        {"all clear", transparent_image(30, 20), {{0, 0, 30, 20}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ClearRect> found = find_clear_regions(c.image, 4, 100);
        ASSERT_EQ(found.size(), c.expected.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_TRUE(same(found[i], c.expected[i]))
                << found[i].left << "," << found[i].top << "," << found[i].right << ","
                << found[i].bottom;
    }
    // Clear patches smaller than asked for are not regions.
    EXPECT_TRUE(find_clear_regions(framed(100, 80, 45, 35, 45, 35), 4, 101).empty());
}

TEST(ClearRegions, SkippedPixelsSampleOnlyClearTexels) {
    const ClearRect clear{10, 6, 50, 30};
    // One to one: two texels of filter and rounding allowance at each edge.
    EXPECT_TRUE(same(skipped_pixels(clear, 64, 40, {5, 3, 69, 43}), {16, 10, 53, 31}));
    struct Mapping {
        ClearRect quad;
    } mappings[] = {{{0, 0, 640, 400}}, {{-7, 3, 20, 33}}, {{1, 1, 97, 61}}, {{0, 0, 64, 40}}};
    for (const Mapping& m : mappings) {
        const ClearRect skip = skipped_pixels(clear, 64, 40, m.quad);
        const int qw = m.quad.right - m.quad.left, qh = m.quad.bottom - m.quad.top;
        // Every skipped pixel's two filter texels, on both axes, are clear.
        for (int x = skip.left; x < skip.right; ++x) {
            const double s = (x - m.quad.left + 0.5) * 64 / qw - 0.5;
            EXPECT_GE(std::floor(s), clear.left) << x;
            EXPECT_LT(std::floor(s) + 1, clear.right) << x;
        }
        for (int y = skip.top; y < skip.bottom; ++y) {
            const double s = (y - m.quad.top + 0.5) * 40 / qh - 0.5;
            EXPECT_GE(std::floor(s), clear.top) << y;
            EXPECT_LT(std::floor(s) + 1, clear.bottom) << y;
        }
    }
    // Too narrow for any pixel to sample it alone.
    EXPECT_TRUE(skipped_pixels({10, 6, 13, 30}, 64, 40, {0, 0, 64, 40}).empty());
}

TEST(ClearRegions, SubtractedPartsCoverTheRestOnce) {
    const ClearRect whole{0, 0, 40, 30};
    const std::vector<ClearRect> holes = {{5, 5, 35, 12}, {5, 15, 35, 25}, {30, 0, 45, 3}, {}};
    std::vector<int> cover(40 * 30, 0);
    for (const ClearRect& p : subtract_rects(whole, holes))
        for (int y = p.top; y < p.bottom; ++y)
            for (int x = p.left; x < p.right; ++x)
                ++cover[static_cast<std::size_t>(y) * 40 + x];
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            bool in_hole = false;
            for (const ClearRect& h : holes)
                in_hole |= x >= h.left && x < h.right && y >= h.top && y < h.bottom;
            ASSERT_EQ(cover[static_cast<std::size_t>(y) * 40 + x], in_hole ? 0 : 1)
                << x << "," << y;
        }
}

// ---------------------------------------------------------------- on the screen

// Something under the sprite that blending shows through.
void background(int w, int h) {
    SetAlphaMode(0);
    for (int i = 0; i < 8; ++i)
        FillRect(i * w / 8, 0, (i + 1) * w / 8, h, 0x102030 + 0x1f1711 * i);
}

struct Draw {
    double x, y, w, h; // w 0: DrawSprite
};

std::vector<std::uint8_t> drawn(int slot, const Draw& d, double alpha, int w, int h) {
    ClearScreen();
    background(w, h);
    SetAlphaMode(alpha);
    if (d.w == 0)
        DrawSprite(slot, d.x, d.y);
    else
        StretchSprite(slot, d.x, d.y, d.w, d.h);
    SetAlphaMode(0);
    DecodedImage screen;
    EXPECT_TRUE(ReadScreenPixels(0, 0, w, h, screen));
    return screen.pixels;
}

// The slot as loaded against a copy of it with its regions forgotten.
void expect_same_picture(int slot, int reference, const std::vector<Draw>& draws, int w, int h) {
    ASSERT_FALSE(renderer().slots[reference].texture_width < 0);
    set_slot_clear_regions(reference, {});
    for (double alpha : {0.0, -0.6, 0.8})
        for (const Draw& d : draws) {
            SCOPED_TRACE(testing::Message() << "alpha " << alpha << " at " << d.x << "," << d.y
                                            << " size " << d.w << "x" << d.h);
            EXPECT_TRUE(drawn(slot, d, alpha, w, h) == drawn(reference, d, alpha, w, h));
        }
}

std::string write_picture(const DecodedImage& img, const std::string& name) {
    std::string path = gfx_temp_dir() + name;
    EXPECT_TRUE(WritePng(path.c_str(), img));
    return path;
}

TEST(ClearRegions, SpritesDrawTheSamePixelsWithoutTheirClearParts) {
    gfx_fresh_frame();
    DecodedImage img = framed(160, 120, 1, 3, 5, 7);
    paint(img, {80, 60, 81, 61}, 255, 255); // one dot splits the inside
    const std::string path = write_picture(img, "frame.png");
    ASSERT_EQ(LoadSprite(path.c_str(), 20), 1);
    ASSERT_EQ(LoadSprite(path.c_str(), 21), 1);
    ASSERT_GE(slot_clear_regions(20).size(), 2u);
    const std::vector<Draw> draws = {{0, 0, 96, 64}, {-10, -5, 150, 100}, {3.4, 7.8, 61, 37},
                                     {0, 0, 0, 0},   {-30, -20, 0, 0},    {20, 10, 240, 180},
                                     {5, 5, 11, 9},  {90, 60, 50, 50}};
    expect_same_picture(20, 21, draws, kTestScreenW, kTestScreenH);
    // Inside a viewport that does not start at the window's corner.
    SetViewport2D(7, 5, 70, 50);
    expect_same_picture(20, 21, draws, kTestScreenW, kTestScreenH);
}

TEST(ClearRegions, OpaqueAndSmallSpritesHaveNoRegions) {
    gfx_fresh_frame();
    const std::string opaque = write_picture(framed(100, 80, 50, 40, 50, 40), "opaque.png");
    const std::string small = write_picture(framed(40, 30, 2, 2, 2, 2), "small.png");
    ASSERT_EQ(LoadSprite(opaque.c_str(), 22), 1);
    ASSERT_EQ(LoadSprite(small.c_str(), 23), 1);
    EXPECT_TRUE(slot_clear_regions(22).empty());
    EXPECT_TRUE(slot_clear_regions(23).empty());
    // Reloading a slot with a clear picture, then with an opaque one, or
    // grabbing the screen into it, forgets the old regions.
    const std::string clear = write_picture(framed(100, 80, 2, 2, 2, 2), "clear.png");
    ASSERT_EQ(LoadSprite(clear.c_str(), 24), 1);
    EXPECT_FALSE(slot_clear_regions(24).empty());
    ASSERT_EQ(LoadSprite(opaque.c_str(), 24), 1);
    EXPECT_TRUE(slot_clear_regions(24).empty());
    ASSERT_EQ(LoadSprite(clear.c_str(), 24), 1);
    GrabSprite(24, 0, 0, 90, 60);
    EXPECT_TRUE(slot_clear_regions(24).empty());
}

// The game's own frame pictures stretched over the whole screen, as play
// draws them, at the sizes the game offers.
TEST(ClearRegions, GameFramesDrawTheSamePixelsAtEverySize) {
    const std::string dir = rt_program_dir().str();
    for (const char* file : {"bkgnd-1pl.png", "bkgnd-2pl.png", "bkgnd-4pl.png"})
        for (auto [w, h] : {std::pair{640, 480}, {800, 600}, {1024, 768}, {320, 240}}) {
            SCOPED_TRACE(testing::Message() << file << " at " << w << "x" << h);
            ASSERT_TRUE(OpenRenderWindow("clear regions test", w, h));
            SetViewport2D(0, 0, 0, 0);
            ASSERT_EQ(LoadSprite((dir + file).c_str(), 30), 1);
            ASSERT_EQ(LoadSprite((dir + file).c_str(), 31), 1);
            ASSERT_FALSE(slot_clear_regions(30).empty());
            expect_same_picture(30, 31, {{0, 0, double(w), double(h)}}, w, h);
        }
    // The other tests of this process draw into the usual test window.
    ASSERT_TRUE(OpenRenderWindow("graphics test", kTestScreenW, kTestScreenH));
}

} // namespace
