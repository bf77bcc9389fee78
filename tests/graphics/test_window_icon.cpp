// The window shows the game's own icon, the desktop icon's picture, from the
// moment it is made and after a new size makes a new window.
#include "gfx_support.h"
#include "graphics/graphics.h"
#include "platform/plat_video.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowIcon, EveryWindowShowsTheGamesIcon) {
    DecodedImage picture;
    ASSERT_TRUE(DecodePng(rt_program_dir() + kWindowIconFile, 0xFF000000u, picture));
    // The same picture the desktop entry shows.
    DecodedImage desktop;
    ASSERT_TRUE(DecodePng(rt_program_dir() + "../icons/64/cropstack.png", 0xFF000000u, desktop));
    EXPECT_EQ(picture.pixels, desktop.pixels);
    for (int size : {160, 320, 200}) {
        ASSERT_TRUE(OpenRenderWindow("icon test", size, size * 3 / 4));
        int width = 0, height = 0;
        ASSERT_TRUE(plat_video_window_icon(&width, &height)) << size;
        EXPECT_EQ(width, picture.width);
        EXPECT_EQ(height, picture.height);
    }
    // Cleared, a window made afterwards has none.
    plat_video_set_icon(nullptr, 0, 0);
    int width = -1, height = -1;
    EXPECT_FALSE(plat_video_window_icon(&width, &height));
    plat_video_set_icon(picture.pixels.data(), picture.width, picture.height);
    EXPECT_TRUE(plat_video_window_icon(&width, &height));
}

} // namespace
