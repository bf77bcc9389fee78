// A window opened again at another size draws into a drawable of that size,
// also under the offscreen driver, which cannot resize a window in place.
#include "gfx_support.h"
#include "graphics/graphics.h"

#include <gtest/gtest.h>

namespace {

// Whether a full-screen white fill reaches both far corners of w x h.
bool corners_white(int w, int h) {
    SetViewport2D(0, 0, 0, 0);
    SetAlphaMode(0);
    FillRect(0, 0, w, h, 16777215);
    return gfx_is(gfx_pixel(0, 0), 255, 255, 255) && gfx_is(gfx_pixel(w - 1, h - 1), 255, 255, 255);
}

TEST(WindowSize, ReopeningAtAnotherSizeGivesThatDrawable) {
    ASSERT_TRUE(OpenRenderWindow("size test", 160, 120));
    EXPECT_TRUE(corners_white(160, 120));
    ASSERT_TRUE(OpenRenderWindow("size test", 640, 480));
    EXPECT_TRUE(corners_white(640, 480));
    ASSERT_TRUE(OpenRenderWindow("size test", 320, 240));
    EXPECT_TRUE(corners_white(320, 240));
}

TEST(WindowSize, TexturesSurviveTheNewSize) {
    ASSERT_TRUE(OpenRenderWindow("size test", 200, 100));
    FillRect(0, 0, 20, 20, 255); // red
    GrabSprite(7, 0, 0, 20, 20);
    ASSERT_TRUE(OpenRenderWindow("size test", 400, 300));
    ClearScreen();
    DrawSprite(7, 100, 100);
    EXPECT_TRUE(gfx_is(gfx_pixel(110, 110), 255, 0, 0));
}

} // namespace
