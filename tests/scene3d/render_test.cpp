// render_test.cpp: the renderer seen through real drawing: models are drawn
// into an offscreen GL context and pixels are read back.
#include "graphics/gl_ext.h"
#include "scene3d/shadow.h"
#include "scene_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace scene_test;

namespace {

constexpr int kSize = 64;
constexpr std::uint32_t kRed = 0x0000FF, kGrey = 0xC0C0C0;
// Pixels per world unit at distance 10 with a 45 degree field of view.
const double kPixelsPerUnit = (kSize / 2) / (10 * std::tan(22.5 * M_PI / 180));

class SceneRender : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(OpenRenderWindow("scene3d test", kSize, kSize)); }

    // A cleared frame looking at the origin from (0, 0, 10), y up.
    void SetUp() override {
        renderer().SetViewport2D(0, 0, 0, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        Make3D(1, 100, 45);
        SetCamera(0, 0, 10, 0, 0, 0);
    }

    static Rgb pixel(int x, int y) {
        DecodedImage image;
        EXPECT_TRUE(ReadScreenPixels(x, y, 1, 1, image));
        return {image.pixels[0], image.pixels[1], image.pixels[2]};
    }
    // The pixel where world point (x, y, 0) lands under the default camera.
    static Rgb world_pixel(double x, double y) {
        return pixel(int(kSize / 2 + x * kPixelsPerUnit), int(kSize / 2 - y * kPixelsPerUnit));
    }
    static bool is_red(Rgb c) { return c.r > 200 && c.g < 50 && c.b < 50; }
};

TEST_F(SceneRender, ModelLandsWhereTheCameraSays) {
    build_quad(60, -0.5f, -0.5f, 0.5f, 0.5f, kRed);
    DrawModel(60, 0);
    EXPECT_TRUE(is_red(world_pixel(0, 0)));
    EXPECT_FALSE(is_red(world_pixel(2, 0)));

    // Camera moved 2 units right: the model appears 2 units left of centre.
    SetCamera(2, 0, 10, 2, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawModel(60, 0);
    EXPECT_TRUE(is_red(world_pixel(-2, 0)));
    EXPECT_FALSE(is_red(world_pixel(0, 0)));

    // Up vector along -x turns the picture: world +y now points right on screen.
    SetCameraUp(-1, 0, 0);
    SetCamera(0, 0, 10, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ObjPosition(0, 2, 0);
    DrawModel(60, 0);
    EXPECT_TRUE(is_red(world_pixel(2, 0)));
    EXPECT_FALSE(is_red(world_pixel(0, 2)));
}

// The camera the scene keeps for itself (lights, shadows and models load
// it) takes the eye to the origin, the target onto the -z axis and the up
// vector into the upper half of the y axis; Make3D starts from no camera.
TEST_F(SceneRender, KeptCameraMatrixLooksFromTheEyeAtTheTarget) {
    const struct {
        float eye[3], target[3], up[3];
    } cases[] = {
        {{0, 0, 10}, {0, 0, 0}, {0, 1, 0}},
        {{3, -2, 7}, {1, 4, -5}, {0, 1, 0}},
        {{0, 12, 0.5f}, {0, 0, 0}, {0, 1, 0}}, // looking almost straight down
        {{-4, 1, 2}, {2, 1, 2}, {-1, 0, 1}},
    };
    for (const auto& c : cases) {
        SetCameraUp(c.up[0], c.up[1], c.up[2]);
        SetCamera(c.eye[0], c.eye[1], c.eye[2], c.target[0], c.target[1], c.target[2]);
        const float* m = scene3d().camera_matrix;
        float gl_matrix[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, gl_matrix);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(m[i], gl_matrix[i]) << "element " << i;
        auto apply = [m](const float p[3], float w, int row) {
            return m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * w;
        };
        float d = 0;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(apply(c.eye, 1, k), 0, 1e-4);
            d += (c.target[k] - c.eye[k]) * (c.target[k] - c.eye[k]);
        }
        EXPECT_NEAR(apply(c.target, 1, 0), 0, 1e-4);
        EXPECT_NEAR(apply(c.target, 1, 1), 0, 1e-4);
        EXPECT_NEAR(apply(c.target, 1, 2), -std::sqrt(d), 1e-4);
        EXPECT_GT(apply(c.up, 0, 1), 0);
    }
    SetCameraUp(0, 1, 0);
    Make3D(1, 100, 45);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(scene3d().camera_matrix[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
}

TEST_F(SceneRender, Make3DDrawsIntoTheCurrentViewport) {
    renderer().SetViewport2D(kSize / 2, 0, kSize / 2, kSize / 2); // top-right quarter
    Make3D(1, 100, 45);
    SetCamera(0, 0, 10, 0, 0, 0);
    build_quad(60, -0.5f, -0.5f, 0.5f, 0.5f, kRed);
    DrawModel(60, 0);
    EXPECT_TRUE(is_red(pixel(kSize * 3 / 4, kSize / 4)));
    EXPECT_FALSE(is_red(pixel(kSize / 2, kSize / 2)));
    End3D();
    EXPECT_EQ(renderer().viewport_width, kSize); // back to the whole screen
}

TEST_F(SceneRender, TransformsActScaleThenRotationsInOrderThenTranslation) {
    const float lo[3] = {0, -0.2f, -0.2f}, hi[3] = {1, 0.2f, 0.2f};
    build_box(61, lo, hi, kRed); // a bar along +x
    const struct {
        const char* name;
        void (*place)();
        double hit[2];
        double miss[2];
    } cases[] = {
        {"scale before rotation",
         [] {
             ObjScale(3, 1, 1);
             ObjPosition(-2, -1, 0);
             ObjRotate(90, 0, 0, 1); // the bar is 3 long and now points up from (-2, -1)
         },
         {-2, 1.5},
         {-2.5, -0.5}},
        {"rotations in the order added",
         [] {
             ObjScale(3, 1, 1);
             ObjRotate(90, 0, 0, 1); // along +y ...
             ObjRotate(90, 0, 1, 0); // ... which a turn about y leaves pointing up
         },
         {0, 2},
         {2, 0}},
        {"inner level acts inside the outer",
         [] {
             ObjRotate(90, 0, 0, 1);
             ObjPush();
             ObjPosition(2, 0, 0); // moved along the outer level's turned x axis
             ObjScale(0.5, 1, 1);
         },
         {0, 2.25},
         {2.25, 0}},
    };
    for (const auto& c : cases) {
        SetUp();
        c.place();
        DrawModel(61, 0);
        EXPECT_TRUE(is_red(world_pixel(c.hit[0], c.hit[1]))) << c.name;
        EXPECT_FALSE(is_red(world_pixel(c.miss[0], c.miss[1]))) << c.name;
        ObjPop();
    }
    // Rotations beyond 16 on a level are dropped.
    SetUp();
    for (int i = 0; i < 17; ++i)
        ObjRotate(90, 0, 0, 1); // 16 quarter turns bring the bar back along +x
    EXPECT_EQ(scene3d().current_level().rotation_count, kMaxRotations);
    ObjScale(1, 1, 1);
    EXPECT_EQ(scene3d().current_level().rotation_count, 0); // scale and position clear them
}

TEST_F(SceneRender, CullingModesChooseTheFrontWinding) {
    build_quad(62, -1, -1, 1, 1, kRed); // counter-clockwise as seen by the camera
    const struct {
        double mode;
        bool visible;
    } cases[] = {{0, true}, {-1, true}, {1, false}, {-0.5, true}, {7, false}};
    for (const auto& c : cases) {
        SetUp();
        SetCulling(c.mode);
        DrawModel(62, 0);
        EXPECT_EQ(is_red(world_pixel(0, 0)), c.visible) << "mode " << c.mode;
    }
}

TEST_F(SceneRender, ViewConeSkipsModelsOutsideIt) {
    // The bounding sphere of a unit quad at the origin, moved about by level 0.
    const struct {
        double x, y, z;
        bool drawn;
    } cases[] = {
        {0, 0, 0, true},    {3.5, 0, 0, true}, // near the edge of the picture
        {40, 0, 0, false},  {0, 0, 30, false}, // far off the axis; behind the eye
        {0, 0, 10.5, true},                    // the eye inside the sphere
    };
    build_quad(63, -1, -1, 1, 1, kRed);
    const MeshFrame& frame = scene3d().slots[63].meshes[0]->frames[0];
    for (const auto& c : cases) {
        const float centre[3] = {float(c.x), float(c.y), float(c.z)};
        EXPECT_EQ(SphereInView(centre, frame.radius), c.drawn) << c.x << " " << c.z;
    }
    // Drawing checks the outermost level only: a model moved out of view there
    // stays skipped even when an inner level moves it back.
    ObjPosition(3.5, 0, 0);
    DrawModel(63, 0);
    EXPECT_TRUE(is_red(world_pixel(3.5, 0)));
    SetUp();
    ObjPosition(40, 0, 0);
    ObjPush();
    ObjPosition(-40, 0, 0);
    DrawModel(63, 0);
    EXPECT_FALSE(is_red(world_pixel(0, 0)));
}

TEST_F(SceneRender, Make3DProjections) {
    float m[16];
    Make3D(1, 100, 85);
    EXPECT_NEAR(scene3d().view_cone, std::tan(89 * M_PI / 180), 1e-3);
    Make3D(1, 100, 45);
    EXPECT_FLOAT_EQ(scene3d().view_cone, float(std::tan(50 * M_PI / 180)));
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], 1 / std::tan(22.5 * M_PI / 180), 1e-4); // perspective
    EXPECT_FLOAT_EQ(m[11], -1);

    Make3D(0.1, 100, -45);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double half_height = 100 * 0.1 * std::tan(22.5 * M_PI / 180);
    EXPECT_NEAR(m[5], 1 / half_height, 1e-5); // orthographic
    EXPECT_FLOAT_EQ(m[11], 0);
    EXPECT_NEAR(scene3d().view_cone, std::tan(89 * M_PI / 180), 1e-3);
    // In the orthographic view the quad keeps its size at any distance.
    SetCamera(0, 0, 50, 0, 0, 0);
    build_quad(64, -1, -1, 1, 1, kRed);
    DrawModel(64, 0);
    const double pixels_per_unit = (kSize / 2) / half_height;
    EXPECT_TRUE(is_red(pixel(int(kSize / 2 + 0.9 * pixels_per_unit), kSize / 2)));
    EXPECT_FALSE(is_red(pixel(int(kSize / 2 + 1.2 * pixels_per_unit), kSize / 2)));
}

TEST_F(SceneRender, LightsTurnLightingOnAndOff) {
    SetLight(0, 0xFFFFFF, 0, 0, 0, 0, -1, 0, 180);
    SetAmbient(9, 0x808080); // light 1
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(scene3d().light_mask, 0b11);
    SetLight(-1, 0xFFFFFF, 5, 5, 5, 0, -1, 0, 180); // only the shadow light changes
    EXPECT_EQ(scene3d().light_mask, 0b11);
    EXPECT_EQ(scene3d().shadow.mode, 1);
    EXPECT_FALSE(scene3d().shadow_pass);
    SetLight(0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    SetLight(1, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(scene3d().light_mask, 0);

    // A white light from above lights a floor facing up and leaves one facing down dark.
    SetCameraUp(0, 0, -1);
    SetCamera(0, 10, 0, 0, 0, 0);
    SetLight(2, 0xFFFFFF, 0, 0, 0, 0, -1, 0, 180);
    SetNormalMode(1);
    ObjStart(65);
    const float c[3] = {-2, 0, -2}, e1[3] = {4, 0, 0}, e2[3] = {0, 0, 4};
    add_face(c, e1, e2, 0xFFFFFF);
    ObjEnd();
    ObjStart(66);
    add_face(c, e2, e1, 0xFFFFFF);
    ObjEnd();
    DrawModel(65, 0);
    const Rgb up = pixel(kSize / 2, kSize / 2);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawModel(66, 0);
    const Rgb down = pixel(kSize / 2, kSize / 2);
    SetLight(2, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_GT(up.r, 200);
    EXPECT_LT(down.r, 60);
}

// Colours and indices that are not numbers, or far outside any range, are
// converted with range checks: NaN names light 0 and the colour black, a
// huge colour is held at the int range.
TEST_F(SceneRender, LightArgumentsOutsideTheirRangesAreConverted) {
    struct Case {
        double index, colour;
        GLenum light;
        float red, blue;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {nan, 0xFF, GL_LIGHT0, 1, 0}, {3, nan, GL_LIGHT3, 0, 0},    {1e300, 0xFF, GL_LIGHT0, 1, 0},
        {5, 1e300, GL_LIGHT5, 1, 1},  {4, -1e300, GL_LIGHT4, 0, 0}, {6, 0xFF0000, GL_LIGHT6, 0, 1},
    };
    for (const Case& c : cases) {
        SetLight(c.index, c.colour, 0, 0, 0, 0, -1, 0, 180);
        float diffuse[4] = {-1, -1, -1, -1};
        glGetLightfv(c.light, GL_DIFFUSE, diffuse);
        EXPECT_FLOAT_EQ(diffuse[0], c.red) << c.index << " " << c.colour;
        EXPECT_FLOAT_EQ(diffuse[2], c.blue) << c.index << " " << c.colour;
        EXPECT_TRUE(glIsEnabled(c.light)) << c.index << " " << c.colour;
        SetLight(c.light - GL_LIGHT0, 0, 0, 0, 0, 0, 0, 0, 0);
    }
}

// A box floating above a floor, lit from the upper right by the shadow light,
// seen from straight above.
class StencilShadow : public SceneRender {
  protected:
    void draw_scene(bool with_shadow) {
        SetUp();
        SetCameraUp(0, 0, -1);
        SetCamera(0, 10, 0, 0, 0, 0);
        SetCulling(1);
        DrawModel(67, 0);
        DrawModel(68, 0);
        if (!with_shadow) return;
        SetLight(-3, 0, 1000, 1000, 0, 0, -1, 0, 360);
        EXPECT_TRUE(scene3d().shadow_pass);
        DrawModel(68, 0);
        End3D();
        EXPECT_FALSE(scene3d().shadow_pass);
    }
    // Darkens the floor behind the box only.
    void check_volume(bool inside_out);
    // Pixel of floor point (x, 0, z).
    static Rgb floor_pixel(double x, double z) {
        return pixel(int(kSize / 2 + x * kPixelsPerUnit), int(kSize / 2 + z * kPixelsPerUnit));
    }
};

TEST_F(StencilShadow, VolumeDarkensTheFloorBehindTheModelOnly) {
    check_volume(false);
}

// A model wound the other way round still casts its shadow.
TEST_F(StencilShadow, InsideOutModelCastsTheSameShadow) {
    check_volume(true);
}

void StencilShadow::check_volume(bool inside_out) {
    const float floor_lo[3] = {-5, -1, -5}, floor_hi[3] = {5, 0, 5};
    const float box_lo[3] = {-0.5f, 1, -0.5f}, box_hi[3] = {0.5f, 2, 0.5f};
    build_box(67, floor_lo, floor_hi, kGrey);
    build_box(68, box_lo, box_hi, kRed, inside_out);

    draw_scene(false);
    const Rgb lit_floor = floor_pixel(2, 0), box = floor_pixel(0, 0);
    const Rgb before_shadow = floor_pixel(-1.5, 0), side = floor_pixel(-1.5, -1.5);
    ASSERT_EQ(before_shadow.r, 0xC0);
    ASSERT_TRUE(is_red(box));

    draw_scene(true);
    const Rgb shadowed = floor_pixel(-1.5, 0);
    EXPECT_NEAR(shadowed.r, 0xC0 / 2, 2);
    EXPECT_NEAR(shadowed.g, 0xC0 / 2, 2);
    for (auto [x, z, before] : {std::tuple{2.0, 0.0, lit_floor}, std::tuple{0.0, 0.0, box},
                                std::tuple{-1.5, -1.5, side}}) {
        const Rgb now = floor_pixel(x, z);
        EXPECT_EQ(now.r, before.r) << x << " " << z;
        EXPECT_EQ(now.g, before.g) << x << " " << z;
    }
    // The pass leaves the stencil clear and the shadow light's model state alone.
    GLint stencil = -1;
    glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_STENCIL_INDEX, GL_INT, &stencil);
    EXPECT_EQ(stencil, 0);
}

// A light just above a box that sits away from its model's origin: only the
// faces that really look at the light outline the volume, so the shadow
// reaches out to where the light grazes the top edges.
TEST_F(StencilShadow, NearLightShadowFollowsTheFacesThatSeeIt) {
    const float floor_lo[3] = {-5, -1, -5}, floor_hi[3] = {15, 0, 5};
    const float box_lo[3] = {2, 1, -0.5f}, box_hi[3] = {3, 2, 0.5f};
    build_box(67, floor_lo, floor_hi, kGrey);
    build_box(68, box_lo, box_hi, kRed);
    SetCameraUp(0, 0, -1);
    SetCamera(6, 10, 0, 6, 0, 0);
    SetCulling(1);
    DrawModel(67, 0);
    DrawModel(68, 0);
    SetLight(-3, 0, 2.5, 2.5, 0, 0, -1, 0, 360);
    DrawModel(68, 0);
    End3D();
    // The top edge at x = 3 throws its shadow to x = 5 on the floor.
    const Rgb inside = floor_pixel(4.2 - 6, 0), outside = floor_pixel(5.8 - 6, 0);
    EXPECT_NEAR(inside.r, 0xC0 / 2, 2);
    EXPECT_EQ(outside.r, 0xC0);
}

// The volumes wind the way they need whatever culling the scene chose, and
// the scene gets its front winding back after each one.
TEST_F(StencilShadow, ShadowFallsWhateverTheFrontWinding) {
    struct Case {
        const char* what;
        std::vector<double> culling; // SetCulling calls before the shadow light, in order
        GLint front;                 // the scene's front winding around the pass
    };
    const Case cases[] = {
        {"clockwise", {1}, GL_CW},
        {"counter-clockwise", {1, -1}, GL_CCW},
        {"never set", {}, GL_CCW},
        {"switched off after counter-clockwise", {1, -1, 0}, GL_CCW},
    };
    const float floor_lo[3] = {-5, -1, -5}, floor_hi[3] = {5, 0, 5};
    const float box_lo[3] = {-0.5f, 1, -0.5f}, box_hi[3] = {0.5f, 2, 0.5f};
    build_box(67, floor_lo, floor_hi, kGrey);
    build_box(68, box_lo, box_hi, kRed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        SetCameraUp(0, 0, -1);
        SetCamera(0, 10, 0, 0, 0, 0);
        if (!c.culling.empty()) SetCulling(c.culling[0]);
        DrawModel(67, 0);
        DrawModel(68, 0);
        for (std::size_t i = 1; i < c.culling.size(); ++i)
            SetCulling(c.culling[i]);
        SetLight(-3, 0, 1000, 1000, 0, 0, -1, 0, 360);
        DrawModel(68, 0);
        GLint front = 0;
        glGetIntegerv(GL_FRONT_FACE, &front);
        EXPECT_EQ(front, c.front) << "winding not given back after the volume";
        End3D();
        const Rgb shadowed = floor_pixel(-1.5, 0), lit = floor_pixel(2, 0);
        EXPECT_NEAR(shadowed.r, 0xC0 / 2, 2);
        EXPECT_EQ(lit.r, 0xC0);
    }
}

// Leaving the pass darkens only a rectangle around the volumes: every pixel
// they marked in the stencil lies inside it, from far and near lights, from
// volumes running past the eye and inside a viewport of half the window.
TEST_F(StencilShadow, DarkenedAreaHoldsEveryMarkedPixel) {
    struct Case {
        const char* what;
        int viewport_top, viewport_height; // 0 height: the whole window
        float eye[3], light[3];
    };
    const Case cases[] = {
        {"light far above", 0, 0, {0, 10, 0.01f}, {0, 1000, 1000}},
        {"light near the box", 0, 0, {0, 10, 0.01f}, {0.5f, 2.5f, 0.5f}},
        {"seen from the side", 0, 0, {8, 3, 6}, {-3, 6, 2}},
        {"volume through the near plane", 0, 0, {0.3f, 2.5f, 9}, {0, 3, -6}},
        {"lower half of the window", 32, 32, {6, 6, 6}, {4, 1000, -900}},
    };
    const float floor_lo[3] = {-5, -1, -5}, floor_hi[3] = {5, 0, 5};
    const float box_lo[3] = {-0.5f, 1, -0.5f}, box_hi[3] = {0.5f, 2, 0.5f};
    build_box(67, floor_lo, floor_hi, kGrey);
    build_box(68, box_lo, box_hi, kRed);
    // Until a pass has left this context's stencil clear, the whole viewport
    // is darkened.
    SetLight(-3, 0, 0, 1000, 0, 0, -1, 0, 360);
    End3D();
    int small_boxes = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.viewport_height > 0) {
            renderer().SetViewport2D(0, c.viewport_top, kSize, c.viewport_height);
            Make3D(1, 100, 45);
        }
        SetCamera(c.eye[0], c.eye[1], c.eye[2], 0, 0, 0);
        SetCulling(1);
        DrawModel(67, 0);
        SetLight(-3, 0, c.light[0], c.light[1], c.light[2], 0, -1, 0, 360);
        DrawModel(68, 0);
        int box[4];
        ASSERT_TRUE(ShadowMarkedArea(box));
        std::vector<std::uint8_t> stencil(kSize * kSize);
        glReadPixels(0, 0, kSize, kSize, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
        int marked = 0, outside = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                if (stencil[std::size_t(y * kSize + x)] == 0) continue;
                ++marked;
                outside += x < box[0] || x >= box[0] + box[2] || y < box[1] || y >= box[1] + box[3];
            }
        EXPECT_GT(marked, 0);
        small_boxes += box[2] * box[3] < kSize * kSize / 2;
        EXPECT_EQ(outside, 0) << "box " << box[0] << "," << box[1] << " " << box[2] << "x"
                              << box[3];
        End3D();
        // Darkening zeroed every marked pixel: the next pass starts clear.
        glReadPixels(0, 0, kSize, kSize, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
        EXPECT_EQ(std::count(stencil.begin(), stencil.end(), 0), kSize * kSize);
    }
    // Most volumes cover much less than the window.
    EXPECT_GE(small_boxes, 3);
}

TEST_F(StencilShadow, FrameStepLeavesAPendingPass) {
    SetLight(-3, 0, 0, 1000, 0, 0, -1, 0, 360);
    ASSERT_TRUE(scene3d().shadow_pass);
    ShowScreen();
    EXPECT_FALSE(scene3d().shadow_pass);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0]);
}

} // namespace

namespace {

void write_solid_png(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    DecodedImage image;
    image.width = image.height = 4;
    for (int i = 0; i < 16; ++i)
        image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    ASSERT_TRUE(WritePng((scratch_dir() / name).string().c_str(), image));
}

// A white textured quad from (x0, -1) to (x0 + 2, 1).
std::string textured_quad(const std::string& name, int x0) {
    std::string text = "DDDA 1.0\n4 0 0 1 0 1 1 0 1\n1\n255 255 255 4 0 0 1 1 2 2 3 3\n1\n4\n";
    for (auto [x, y] :
         {std::pair{x0, -1}, std::pair{x0 + 2, -1}, std::pair{x0 + 2, 1}, std::pair{x0, 1}})
        text += std::to_string(x) + " " + std::to_string(y) + " 0\n";
    return write_file(name, text);
}

TEST_F(SceneRender, SceneListDrawsEachMeshWithItsOwnTextures) {
    write_solid_png("red.png", 255, 0, 0);
    write_solid_png("blue.png", 0, 0, 255);
    textured_quad("left.ddd", -3);
    textured_quad("right.ddd", 1);
    const std::string list = write_file(
        "two.ddw", ";DDW\n[textures]\ncount=2\n1=red.png\n2=blue.png\n[objects]\ncount=2\n"
                   "1=left.ddd\n1ta=1\n1tb=1\n2=right.ddd\n2ta=2\n2tb=2\n");
    ASSERT_EQ(LoadModel(list.c_str(), 69), 1);
    ASSERT_NE(scene3d().slots[69].textures[1], 0u);
    SetUp();
    SetTexture3D(-1, -1);
    DrawModel(69, 0);
    const Rgb left = world_pixel(-2, 0), right = world_pixel(2, 0);
    EXPECT_TRUE(left.r > 200 && left.b < 50) << left.r << " " << left.g << " " << left.b;
    EXPECT_TRUE(right.b > 200 && right.r < 50) << right.r << " " << right.g << " " << right.b;
    EXPECT_EQ(renderer().bound_slot, -1); // the caller's binding is restored
}

} // namespace

namespace {

// Two key frames of a red quad: at x = -3 in frame 0 and at x = +1 in frame 1.
void load_two_frame_quad(int slot) {
    std::string text = "DDDA 1.0\n0\n1\n255 0 0 4 0 0 1 0 2 0 3 0\n2\n";
    for (int x0 : {-3, 1}) {
        text += "4\n";
        for (auto [x, y] :
             {std::pair{x0, -1}, std::pair{x0 + 2, -1}, std::pair{x0 + 2, 1}, std::pair{x0, 1}})
            text += std::to_string(x) + " " + std::to_string(y) + " 0\n";
    }
    ASSERT_EQ(LoadModel(write_file("frames.ddd", text).c_str(), slot), 1);
}

TEST_F(SceneRender, KeyFramesAreClampedAndBlended) {
    load_two_frame_quad(70);
    const struct {
        int a, b;
        float t;
        double x; // centre of the quad drawn
    } cases[] = {
        {0, 0, 0, -2},
        {1, 1, 0, 2},
        {9, 9, 0, 2},
        {-4, -4, 0, -2}, // clamped to the range
        {0, 1, 0.5f, 0},
        {0, 1, 1.5f, 0},
        {0, 1, -0.25f, -1}, // |t mod 1|
        // A stored frame drawn again after a blend went through the same
        // vertex buffer, and after the other stored frame.
        {0, 0, 0, -2},
        {1, 1, 0, 2},
        {0, 0, 0, -2},
    };
    for (const auto& c : cases) {
        SetUp();
        DrawModelFrames(70, c.a, c.b, c.t);
        EXPECT_TRUE(is_red(world_pixel(c.x, 0))) << c.a << " " << c.b << " " << c.t;
        EXPECT_FALSE(is_red(world_pixel(c.x + 2, 0))) << c.a << " " << c.b << " " << c.t;
    }
}

// The same picture whether vertices stream through a mapped buffer, a buffer
// filled in one upload, or plain client memory, for a stored frame and a blend.
TEST_F(SceneRender, EveryVertexPathDrawsTheSamePicture) {
    GlExtensions& ext = gl_ext();
    const GlExtensions saved = ext;
    build_quad(71, -1, -1, 1, 1, kRed);
    load_two_frame_quad(72);
    for (int path = 0; path < 3; ++path) {
        ext = saved;
        if (path >= 1) ext.glMapBufferARB = nullptr;
        if (path == 2) ext.glGenBuffersARB = nullptr;
        SetUp();
        DrawModel(71, 0);
        EXPECT_TRUE(is_red(world_pixel(0, 0))) << "path " << path;
        EXPECT_FALSE(is_red(world_pixel(2, 0))) << "path " << path;
        SetUp();
        DrawModelFrames(72, 0, 1, 0.75f); // the quad's centre at x = 1
        EXPECT_TRUE(is_red(world_pixel(1, 0))) << "path " << path;
        EXPECT_FALSE(is_red(world_pixel(-1.5, 0))) << "path " << path;
        EXPECT_FALSE(is_red(world_pixel(2.5, 0))) << "path " << path;
    }
    ext = saved;
}

} // namespace
