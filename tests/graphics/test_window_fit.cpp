// The picture in the window it really has: the fit itself, a window resized
// after it was opened, a centred window, full screen switched by the keys,
// and the pointer mapped back into the picture.
#include "gfx_support.h"
#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

struct FitCase {
    int pw, ph, dw, dh;
    double scale;
    int left, top, width, height;
};

TEST(PictureFit, ScaledWholeCentredNeverCropped) {
    const FitCase cases[] = {
        {640, 480, 640, 480, 1, 0, 0, 640, 480},       // the window asked for
        {640, 480, 1280, 960, 2, 0, 0, 1280, 960},     // twice as large
        {640, 480, 1920, 1080, 2, 320, 60, 1280, 960}, // whole scale fills nearly all
        {640, 480, 1280, 720, 1.5, 160, 0, 960, 720},  // wide: fractional, pillarboxed
        {1024, 768, 1920, 1080, 1.40625, 240, 0, 1440, 1080},
        {640, 480, 1000, 500, 1, 180, 10, 640, 480}, // whole scale 1 is close enough
        {640, 480, 640, 960, 1, 0, 240, 640, 480},   // tall: letterboxed
        {640, 480, 320, 240, 0.5, 0, 0, 320, 240},   // smaller than the picture
        {640, 480, 0, 0, 1, 0, 0, 640, 480},         // minimised: nothing to fit
    };
    for (const FitCase& c : cases) {
        const PlatPictureFit f = plat_fit_picture(c.pw, c.ph, c.dw, c.dh);
        SCOPED_TRACE(std::to_string(c.pw) + "x" + std::to_string(c.ph) + " in " +
                     std::to_string(c.dw) + "x" + std::to_string(c.dh));
        EXPECT_DOUBLE_EQ(f.scale, c.scale);
        EXPECT_EQ(f.left, c.left);
        EXPECT_EQ(f.top, c.top);
        EXPECT_EQ(f.width, c.width);
        EXPECT_EQ(f.height, c.height);
    }
}

TEST(PictureFit, PicturePixelsAndDrawablePixelsMapBothWays) {
    const PlatPictureFit f = plat_fit_picture(640, 480, 1280, 720); // scale 1.5, left 160
    const PlatDrawableRect whole = plat_fit_to_drawable(f, 0, 0, 640, 480);
    EXPECT_EQ(whole.x, 160);
    EXPECT_EQ(whole.y, 0);
    EXPECT_EQ(whole.width, 960);
    EXPECT_EQ(whole.height, 720);
    // Rectangles that touch in the picture touch in the drawable.
    const PlatDrawableRect a = plat_fit_to_drawable(f, 0, 0, 3, 1);
    const PlatDrawableRect b = plat_fit_to_drawable(f, 3, 0, 3, 1);
    EXPECT_EQ(a.x + a.width, b.x);
    const struct {
        double x, y;
        int px, py;
    } points[] = {{160, 0, 0, 0},       {160.5, 0.5, 0, 0},    {1119.9, 719.9, 639, 479},
                  {0, 0, 0, 0},         {1279, 719, 639, 479}, // outside: clamped
                  {640, 360, 320, 240}, {161.6, 1.6, 1, 1}};
    for (const auto& p : points) {
        int px = -1, py = -1;
        plat_fit_to_picture(f, p.x, p.y, &px, &py);
        EXPECT_EQ(px, p.px) << "at " << p.x << "," << p.y;
        EXPECT_EQ(py, p.py) << "at " << p.x << "," << p.y;
    }
}

constexpr std::uint32_t kRed = 255, kWhite = 16777215;

// A 640 x 480 picture: white with a 4-pixel red border.
void draw_bordered_picture() {
    SetViewport2D(0, 0, 0, 0);
    SetAlphaMode(0);
    ClearScreen();
    FillRect(0, 0, 639, 479, kRed);
    FillRect(4, 4, 635, 475, kWhite);
}

bool is_rgb(const DecodedImage& image, int x, int y, int r, int g, int b) {
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return gfx_is({p[0], p[1], p[2], p[3]}, r, g, b);
}

class WindowFit : public ::testing::Test {
  protected:
    void SetUp() override {
        gfx_fresh_frame(); // the shared window, its log in this test's directory
        ASSERT_TRUE(OpenRenderWindow("fit test", 640, 480));
    }
    void TearDown() override {
        if (IsFullScreen() != 0) ToggleFullScreen();
        OpenRenderWindow("graphics test", kTestScreenW, kTestScreenH);
    }
};

TEST_F(WindowFit, AWindowResizedAfterOpeningShowsTheWholePicture) {
    SetWindowSize(1280, 600); // the picture stays 640 x 480: scaled by 1.25, pillarboxed
    int dw = 0, dh = 0;
    plat_video_client_size(&dw, &dh);
    ASSERT_EQ(dw, 1280);
    ASSERT_EQ(dh, 600);
    double w = 0, h = 0;
    GetScreenSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    draw_bordered_picture();
    DecodedImage shown;
    ASSERT_TRUE(ReadWindowPixels(shown));
    ASSERT_EQ(shown.width, 1280);
    // The picture spans x 240..1039 and all 600 rows: the four borders are
    // on the window's pixels, the inside is white, the bars beside it black.
    EXPECT_TRUE(is_rgb(shown, 241, 300, 255, 0, 0)) << "left border";
    EXPECT_TRUE(is_rgb(shown, 1038, 300, 255, 0, 0)) << "right border";
    EXPECT_TRUE(is_rgb(shown, 640, 1, 255, 0, 0)) << "top border";
    EXPECT_TRUE(is_rgb(shown, 640, 598, 255, 0, 0)) << "bottom border";
    EXPECT_TRUE(is_rgb(shown, 640, 300, 255, 255, 255)) << "inside";
    EXPECT_TRUE(is_rgb(shown, 230, 300, 0, 0, 0)) << "left bar";
    EXPECT_TRUE(is_rgb(shown, 1050, 300, 0, 0, 0)) << "right bar";
    // Read in picture pixels, the picture is what was drawn.
    EXPECT_TRUE(gfx_is(gfx_pixel(0, 0), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(639, 479), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(320, 240), 255, 255, 255));
}

TEST_F(WindowFit, AGrabbedSpriteKeepsTheShownPicture) {
    SetWindowSize(1280, 960); // scale 2
    draw_bordered_picture();
    GrabSprite(30, 0, 0, 16, 16); // the corner: red border, white inside
    ClearScreen();
    DrawSprite(30, 100, 100);
    EXPECT_TRUE(gfx_is(gfx_pixel(101, 101), 255, 0, 0));
    EXPECT_TRUE(gfx_is(gfx_pixel(110, 110), 255, 255, 255));
    EXPECT_TRUE(gfx_is(gfx_pixel(120, 120), 0, 0, 0)); // beyond the sprite
}

TEST_F(WindowFit, TheWindowIsCentredOnItsDisplay) {
    SetWindowSize(800, 600);
    auto* window = static_cast<SDL_Window*>(plat_video_window());
    ASSERT_NE(window, nullptr);
    SDL_Rect bounds{};
    ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds), 0);
    int x = 0, y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(x, bounds.x + (bounds.w - 800) / 2);
    EXPECT_EQ(y, bounds.y + (bounds.h - 600) / 2);
}

void push_key(SDL_Scancode code, bool down, Uint16 mod) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = code;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
}

TEST_F(WindowFit, AltEnterAndF11SwitchFullScreenAndAreNoKeys) {
    struct {
        SDL_Scancode key;
        Uint16 mod;
        int scan_code;
    } presses[] = {{SDL_SCANCODE_RETURN, KMOD_LALT, kKeyReturn},
                   {SDL_SCANCODE_KP_ENTER, KMOD_RALT, 156},
                   {SDL_SCANCODE_F11, KMOD_NONE, 87}};
    for (const auto& p : presses) {
        SCOPED_TRACE(SDL_GetScancodeName(p.key));
        const double before = IsFullScreen();
        push_key(p.key, true, p.mod);
        PumpMessages();
        EXPECT_NE(IsFullScreen(), before);
        EXPECT_EQ(KeyDown(p.scan_code), 0) << "the switch reached the keys";
        push_key(p.key, false, p.mod);
        PumpMessages();
        const bool full = (SDL_GetWindowFlags(static_cast<SDL_Window*>(plat_video_window())) &
                           SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
        EXPECT_EQ(full, IsFullScreen() != 0);
    }
    // Three switches leave it full screen: the desktop's size, the whole
    // picture scaled into it.
    ASSERT_EQ(IsFullScreen(), 1);
    int dw = 0, dh = 0, desktop_w = 0, desktop_h = 0, bits = 0;
    plat_video_client_size(&dw, &dh);
    plat_video_desktop_mode(&desktop_w, &desktop_h, &bits);
    EXPECT_EQ(dw, desktop_w);
    EXPECT_EQ(dh, desktop_h);
    draw_bordered_picture();
    const PlatPictureFit fit = plat_fit_picture(640, 480, dw, dh);
    DecodedImage shown;
    ASSERT_TRUE(ReadWindowPixels(shown));
    const int right = fit.left + fit.width - 2, bottom = fit.top + fit.height - 2;
    for (const auto& corner : {std::pair{fit.left + 1, fit.top + 1}, std::pair{right, fit.top + 1},
                               std::pair{fit.left + 1, bottom}, std::pair{right, bottom}})
        EXPECT_TRUE(is_rgb(shown, corner.first, corner.second, 255, 0, 0))
            << "corner " << corner.first << "," << corner.second;
    // Return without Alt is a key as ever.
    push_key(SDL_SCANCODE_RETURN, true, KMOD_NONE);
    PumpMessages();
    EXPECT_EQ(KeyDown(kKeyReturn), 1);
    push_key(SDL_SCANCODE_RETURN, false, KMOD_NONE);
    PumpMessages();
}

TEST_F(WindowFit, ThePointerIsReadInPicturePixels) {
    InputSetup(input_devices(), plat_video_window(), nullptr, 0); // the visible pointer
    SetWindowSize(1280, 600);                                     // scale 1.25, picture from x 240
    const struct {
        int wx, wy;
        double px, py;
    } moves[] = {{240, 0, 0, 0},
                 {640, 300, 320, 240},
                 {1039, 599, 639, 479},
                 {10, 300, 0, 240},
                 {1270, 5, 639, 4}};
    for (const auto& m : moves) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = m.wx;
        event.motion.y = m.wy;
        SDL_PushEvent(&event);
        ShowScreen();
        double x = -1, y = -1, b1 = 0, b2 = 0;
        MouseState(&x, &y, &b1, &b2);
        EXPECT_EQ(x, m.px) << "window " << m.wx << "," << m.wy;
        EXPECT_EQ(y, m.py) << "window " << m.wx << "," << m.wy;
    }
}

} // namespace
