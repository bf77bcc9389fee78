// Rectangles, lines, the viewport and alpha modes, checked on real pixels.
#include "gfx_support.h"

#include <gtest/gtest.h>

namespace {

constexpr double kRed = 0x0000ff;
constexpr double kWhite = 0xffffff;

// Counts lit pixels and checks they form exactly the rectangle given.
void expect_only_rect(int left, int top, int right, int bottom) {
    DecodedImage screen;
    ASSERT_TRUE(ReadScreenPixels(0, 0, kTestScreenW, kTestScreenH, screen));
    for (int y = 0; y < kTestScreenH; ++y)
        for (int x = 0; x < kTestScreenW; ++x) {
            bool lit = screen.pixels[(static_cast<std::size_t>(y) * kTestScreenW + x) * 4] > 128;
            bool inside = x >= left && x <= right && y >= top && y <= bottom;
            ASSERT_EQ(lit, inside) << "pixel " << x << "," << y;
        }
}

struct RectCase {
    int x1, y1, x2, y2;
};

TEST(Draw2D, FillRectIncludesBothCornersInAnyOrder) {
    const RectCase cases[] = {{5, 5, 10, 10}, {10, 10, 5, 5}, {10, 5, 5, 10}, {5, 10, 10, 5}};
    for (const RectCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2);
        gfx_fresh_frame();
        FillRect(c.x1, c.y1, c.x2, c.y2, kRed);
        expect_only_rect(5, 5, 10, 10);
    }
}

TEST(Draw2D, FillRectSinglePixelAndScreenEdges) {
    gfx_fresh_frame();
    FillRect(0, 0, 0, 0, kRed);
    expect_only_rect(0, 0, 0, 0);
    gfx_fresh_frame();
    FillRect(kTestScreenW - 1, kTestScreenH - 1, kTestScreenW - 1, kTestScreenH - 1, kRed);
    expect_only_rect(kTestScreenW - 1, kTestScreenH - 1, kTestScreenW - 1, kTestScreenH - 1);
}

TEST(Draw2D, LinesIncludeTheirEndPixel) {
    const RectCase cases[] = {{3, 4, 20, 4}, {20, 4, 3, 4}, {7, 2, 7, 30}, {7, 30, 7, 2}};
    for (const RectCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2);
        gfx_fresh_frame();
        DrawLine(c.x1, c.y1, c.x2, c.y2, kRed);
        expect_only_rect(std::min(c.x1, c.x2), std::min(c.y1, c.y2), std::max(c.x1, c.x2),
                         std::max(c.y1, c.y2));
    }
    gfx_fresh_frame();
    DrawLine(2, 2, 12, 12, kRed);
    EXPECT_TRUE(gfx_is(gfx_pixel(2, 2), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(12, 12), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(13, 13), 0, 0, 0));
}

TEST(Draw2D, ViewportCountsYFromTheTop) {
    gfx_fresh_frame();
    SetViewport2D(10, 20, 30, 30);
    FillRect(0, 0, 0, 0, kRed);
    expect_only_rect(10, 20, 10, 20);
    gfx_fresh_frame();
    // A width below 1 means the whole screen.
    SetViewport2D(0, 0, -5, 10);
    FillRect(kTestScreenW - 1, kTestScreenH - 1, kTestScreenW - 1, kTestScreenH - 1, kRed);
    expect_only_rect(kTestScreenW - 1, kTestScreenH - 1, kTestScreenW - 1, kTestScreenH - 1);
    double w = 0, h = 0;
    GetScreenSize(&w, &h);
    EXPECT_EQ(w, kTestScreenW);
    EXPECT_EQ(h, kTestScreenH);
}

struct AlphaCase {
    double mode;
    int expected_red, expected_green;
};

TEST(Draw2D, AlphaModesBlendRectangles) {
    // A red rectangle over a green background. The colour is scaled by the
    // strength and then blended by it, so half-transparent red keeps a quarter.
    const AlphaCase cases[] = {
        {0, 255, 0},     // opaque
        {-0.5, 64, 128}, // half-transparent normal blending
        {-1, 255, 0},    // normal blending at full opacity
        {2, 255, 255},   // additive, capped at full strength
        {0.5, 128, 255}, // additive at half strength: colour scaled by 0.5
    };
    for (const AlphaCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        gfx_fresh_frame();
        FillRect(0, 0, 20, 20, 0x00ff00);
        SetAlphaMode(c.mode);
        FillRect(5, 5, 10, 10, kRed);
        Rgba p = gfx_pixel(7, 7);
        EXPECT_NEAR(p.r, c.expected_red, 2);
        EXPECT_NEAR(p.g, c.expected_green, 2);
    }
}

TEST(Draw2D, KeyColourDrawsTransparentWhenBlending) {
    gfx_fresh_frame();
    FillRect(0, 0, 20, 20, kWhite);
    SetAlphaMode(-1);
    FillRect(5, 5, 10, 10, kTransparencyKey);
    EXPECT_TRUE(gfx_is(gfx_pixel(7, 7), 255, 255, 255));
}

TEST(Draw2D, PolygonFanWithVertexColours) {
    gfx_fresh_frame();
    PolyBegin(-1);
    PolyVertex(10, 10, 0, 0, kRed);
    PolyVertex(10, 40, 0, 0, kRed);
    PolyVertex(40, 40, 0, 0, kRed);
    PolyVertex(40, 10, 0, 0, kRed);
    PolyEnd();
    EXPECT_TRUE(gfx_is(gfx_pixel(25, 25), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(5, 5), 0, 0, 0));
    // Drawing afterwards is textured and flat again: a rectangle still works.
    FillRect(50, 5, 52, 7, 0x00ff00);
    EXPECT_TRUE(gfx_is(gfx_pixel(51, 6), 0, 255, 0));
}

TEST(Draw2D, ScreenshotSavesTheBackBuffer) {
    gfx_fresh_frame();
    FillRect(1, 2, 3, 4, kRed);
    std::string path = gfx_temp_dir() + "shot.png";
    ASSERT_TRUE(SaveScreenshot(path.c_str()));
    DecodedImage shot;
    ASSERT_TRUE(DecodePng(path.c_str(), kTransparencyKey, shot));
    ASSERT_EQ(shot.width, kTestScreenW);
    ASSERT_EQ(shot.height, kTestScreenH);
    auto at = [&](int x, int y) {
        return &shot.pixels[(static_cast<std::size_t>(y) * shot.width + x) * 4];
    };
    EXPECT_EQ(at(1, 2)[0], 255);
    EXPECT_EQ(at(3, 4)[0], 255);
    EXPECT_EQ(at(4, 4)[0], 0);
    EXPECT_EQ(at(1, 5)[0], 0);
    EXPECT_EQ(at(0, 0)[3], 255);
}

} // namespace
