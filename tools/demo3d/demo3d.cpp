// demo3d: a showcase of the 3D scene in a real window. A textured model (two
// stacked crates written as a text mesh and loaded like any model file)
// turns above a tiled floor built from code, lit by a directional light and
// a dim viewer light, and casts a stencil shadow from the shadow light.
//
// Usage: demo3d [seconds [screenshot.png [model [texture]]]]
//   seconds: run time, 0 or missing = until Escape or the window is closed;
//   screenshot.png: saves the last frame before ending;
//   model, texture: draw this model file with this image instead.
#include "scene3d/scene3d.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr int kModelSlot = 1;
constexpr int kFloorSlot = 2;
constexpr int kTextureSlot = 1;

// A box as six textured, lit quads of a text mesh (corners clockwise seen from outside).
void add_box(std::ostringstream& polys, std::ostringstream& verts, int& next, const float lo[3],
             const float hi[3], int red, int green, int blue) {
    const float size[3] = {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
    // Per face: corner, first and second edge axes; the outside is along e2 x e1.
    const int faces[6][3] = {{1, 0, 2}, {0, 2, 0}, {0, 2, 1}, {0, 1, 2}, {2, 1, 0}, {0, 0, 1}};
    const bool at_high[6] = {true, false, true, false, true, false};
    const int normal_axis[6] = {1, 1, 0, 0, 2, 2};
    for (int f = 0; f < 6; ++f) {
        float c[3] = {lo[0], lo[1], lo[2]};
        if (at_high[f]) c[normal_axis[f]] = hi[normal_axis[f]];
        const int a1 = faces[f][1], a2 = faces[f][2];
        float n[3] = {0, 0, 0};
        n[normal_axis[f]] = at_high[f] ? 1.0f : -1.0f;
        // Fan order c + e1, c + e1 + e2, c + e2, c.
        const int steps[4][2] = {{1, 0}, {1, 1}, {0, 1}, {0, 0}};
        polys << red << ' ' << green << ' ' << blue << " 4";
        for (int k = 0; k < 4; ++k) {
            float p[3] = {c[0], c[1], c[2]};
            p[a1] += steps[k][0] * size[a1];
            p[a2] += steps[k][1] * size[a2];
            verts << p[0] << ' ' << p[1] << ' ' << p[2] << ' ' << n[0] << ' ' << n[1] << ' ' << n[2]
                  << '\n';
            polys << "  " << next++ << ' ' << k;
        }
        polys << '\n';
    }
}

RtString write_crates() {
    std::ostringstream polys, verts;
    int next = 0;
    const float lo1[3] = {-1, 0, -1}, hi1[3] = {1, 1.4f, 1};
    const float lo2[3] = {-0.6f, 1.4f, -0.6f}, hi2[3] = {0.6f, 2.4f, 0.6f};
    add_box(polys, verts, next, lo1, hi1, 255, 230, 200);
    add_box(polys, verts, next, lo2, hi2, 200, 230, 255);
    std::ostringstream text;
    text << "DDDA 1.1\n# two stacked crates\n4  0 0  1 0  1 1  0 1\n12\n"
         << polys.str() << "1\n"
         << next << '\n'
         << verts.str();
    RtString path = rt_temp_dir() + "demo3d_crates.ddd";
    std::ofstream(path.c_str()) << text.str();
    return path;
}

// Planks with a dark border, as a PNG loaded into a sprite slot.
RtString write_crate_texture() {
    DecodedImage image;
    image.width = image.height = 64;
    image.pixels.resize(64 * 64 * 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* p = &image.pixels[std::size_t(y * 64 + x) * 4];
            const bool border = x < 5 || y < 5 || x > 58 || y > 58 || std::abs(x - y) < 4;
            const int grain = (y / 11) % 2 ? 20 : 0;
            p[0] = std::uint8_t(border ? 90 : 190 - grain);
            p[1] = std::uint8_t(border ? 55 : 140 - grain);
            p[2] = std::uint8_t(border ? 25 : 80 - grain);
            p[3] = 255;
        }
    RtString path = rt_temp_dir() + "demo3d_crate.png";
    WritePng(path, image);
    return path;
}

// A chequered floor of 16 x 16 tiles, one strip each, with computed normals.
void build_floor() {
    SetNormalMode(1);
    ObjStart(kFloorSlot);
    for (int z = -8; z < 8; ++z)
        for (int x = -8; x < 8; ++x) {
            const double colour = (x + z) % 2 ? 0x70a070 : 0x90c890;
            ObjAddVertex(x + 1, 0, z, 0, 0, colour);
            ObjAddVertex(x + 1, 0, z + 1, 0, 0, colour);
            ObjAddVertex(x, 0, z, 0, 0, colour);
            ObjAddVertex(x, 0, z + 1, 0, 0, colour);
            ObjNewStrip();
        }
    ObjEnd();
}

void draw_model(double t) {
    ObjPosition(0, 0.3 + 0.3 * std::sin(t / 700), 0);
    ObjRotate(t / 40, 0, 1, 0);
    SetTexture3D(kTextureSlot, -1);
    DrawModel(kModelSlot, 0);
    SetTexture3D(-1, -1);
}

void draw_frame(double t) {
    Make3D(1, 100, 45);
    SetCamera(7 * std::sin(t / 5000), 6, 7 * std::cos(t / 5000), 0, 0.8, 0);
    SetLight(0, 0xf0f0f0, 0, 0, 0, -0.5, -1, -0.3, 180);
    SetLight(1, 0x303030, 0, 0, 0, 0, 0, 0, 180); // fill light at the viewer
    SetCulling(1);
    ObjPosition(0, 0, 0);
    DrawModel(kFloorSlot, 0);
    draw_model(t);
    SetLight(-3, 0, 500, 1000, 300, 0, -1, 0, 360); // enters the shadow pass
    draw_model(t);
    End3D();
    Print("Cropstack 3D demo: lights, textures and stencil shadows. Escape ends.", 10, 10);
}

} // namespace

int main(int argc, char** argv) {
    rt_set_command_line(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0;
    const std::string screenshot = argc > 2 ? argv[2] : "";
    EngineInit(nullptr, "Cropstack demo3d");
    if (!RenderWindowOpen()) return 1;
    const RtString model = argc > 3 ? RtString(argv[3]) : write_crates();
    const RtString texture = argc > 4 ? RtString(argv[4]) : write_crate_texture();
    if (LoadModel(model, kModelSlot) == 0) rt_log(RtString("demo3d: cannot load ") + model);
    LoadSprite(texture, kTextureSlot);
    build_floor();
    while (seconds <= 0 || TotalTime() < seconds * 1000) {
        draw_frame(TotalTime());
        if (!screenshot.empty() && seconds > 0 && TotalTime() + 40 >= seconds * 1000) break;
        ShowScreen();
    }
    if (!screenshot.empty()) SaveScreenshot(screenshot.c_str());
    rt_end_statement();
}
