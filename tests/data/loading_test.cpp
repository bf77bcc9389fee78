// The game's start-up table, file by file: every generated file loads into
// its slot through the engine's own loaders, and the characters show their
// faces the way they walk.
#include "audio/audio.h"
#include "scene3d/scene3d.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Loading : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(OpenRenderWindow("data test", 640, 480));
    }
};

TEST_F(Loading, ModelsFillTheirSlots) {
    const std::pair<const char*, int> models[] = {
        {"ground.ddd", 0},    {"block.ddd", 1},   {"door.ddd", 2},
        {"doorswing.ddd", 3}, {"wall.ddd", 4},    {"flag.ddd", 5},
        {"pepper.ddd", 10},   {"tomato.ddd", 11}, {"corn.ddd", 12}};
    for (const auto& [file, slot] : models) {
        EXPECT_EQ(LoadModel(RtString(file), slot), 1.0) << file;
        ModelSlot* s = scene3d().Slot(slot);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->meshes.size(), 1u) << file;
        EXPECT_FALSE(s->meshes[0]->frames.at(0).triangles.empty()) << file;
    }
}

TEST_F(Loading, PicturesAndFontFillTheirSlots) {
    const std::pair<const char*, int> sprites[] = {
        {"pepper.png", 10}, {"tomato.png", 11},     {"corn.png", 12},       {"lens.bmp", 99},
        {"logo.bmp", 98},   {"bkgnd-1pl.png", 100}, {"bkgnd-2pl.png", 101}, {"bkgnd-4pl.png", 102}};
    for (const auto& [file, slot] : sprites) {
        EXPECT_EQ(LoadSprite(RtString(file), slot), 1.0) << file;
        EXPECT_GT(renderer().slots[slot].texture_width, 0) << file;
    }
    LoadFont(RtString("smalfont.bmp"), 1);
    double w = 0, h = 0;
    GetFontSize(&w, &h);
    EXPECT_EQ(w, 14);
    EXPECT_EQ(h, 18);
    LoadFont(RtString(""), 0);
}

TEST_F(Loading, SoundsFillTheirSlots) {
    ASSERT_EQ(SoundInit(sound_device(), nullptr), 1);
    const struct {
        const char* file;
        int slot, copies;
    } sounds[] = {{"block.wav", 0, 2}, {"door.wav", 1, 2}, {"fall.wav", 2, 1}, {"done.wav", 3, 1}};
    for (const auto& s : sounds)
        EXPECT_EQ(LoadSound(RtString(s.file), s.slot, s.copies), 1.0) << s.file;
}

// A character faces +x when its angle is 0: seen from there, on black, the
// white of its eyes shows; seen from behind it does not.
TEST_F(Loading, CharactersLookAlongPlusX) {
    for (const auto& [file, slot] : {std::pair{"pepper", 10}, std::pair{"tomato", 11}}) {
        ASSERT_EQ(LoadModel(RtString((std::string(file) + ".ddd").c_str()), slot), 1.0);
        ASSERT_EQ(LoadSprite(RtString((std::string(file) + ".png").c_str()), slot), 1.0);
        auto white_pixels = [slot = slot](double eye_x) {
            renderer().SetViewport2D(0, 0, 0, 0);
            FillRect(0, 0, 640, 480, 0);
            Make3D(0.5, 100, 30);
            ClearDepth();
            SetCamera(eye_x, 0.55, 0, 0, 0.5, 0);
            SetAmbient(0, 0xffffff);
            SetTexture3D(slot, -1);
            DrawModel(slot, 0);
            SetTexture3D(-1, -1);
            End3D();
            DecodedImage shot;
            EXPECT_TRUE(ReadScreenPixels(0, 0, 640, 480, shot));
            int white = 0;
            for (size_t i = 0; i + 3 < shot.pixels.size(); i += 4)
                white +=
                    shot.pixels[i] > 200 && shot.pixels[i + 1] > 200 && shot.pixels[i + 2] > 200;
            return white;
        };
        EXPECT_GT(white_pixels(3), 200) << file << " from the front";
        EXPECT_EQ(white_pixels(-3), 0) << file << " from behind";
    }
}

} // namespace
