// scene_test_util.h: shared helpers of the 3D scene tests: scratch files,
// the error log, simple models built from code and pixel reads.
#pragma once

#include "scene3d/scene3d.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace scene_test {

// A fresh scratch directory per test process.
inline std::filesystem::path scratch_dir() {
    static std::filesystem::path dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("scene3d_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline std::string write_file(const std::string& name, const std::string& bytes) {
    const std::string path = (scratch_dir() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline std::string write_file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return write_file(name, std::string(bytes.begin(), bytes.end()));
}

inline std::string read_log() {
    std::ifstream in(rt_log_path().c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One face of a box as a strip: c + e1, c + e1 + e2, c, c + e2. Its front
// (clockwise when seen from outside) looks along e2 x e1.
inline void add_face(const float c[3], const float e1[3], const float e2[3], std::uint32_t colour) {
    const float corners[4][3] = {{c[0] + e1[0], c[1] + e1[1], c[2] + e1[2]},
                                 {c[0] + e1[0] + e2[0], c[1] + e1[1] + e2[1], c[2] + e1[2] + e2[2]},
                                 {c[0], c[1], c[2]},
                                 {c[0] + e2[0], c[1] + e2[1], c[2] + e2[2]}};
    for (const auto& p : corners)
        ObjAddVertex(p[0], p[1], p[2], 0, 0, colour);
    ObjNewStrip();
}

// A closed box from lo to hi, every face wound clockwise seen from outside
// (counter-clockwise when inside_out).
inline void build_box(int slot, const float lo[3], const float hi[3], std::uint32_t colour,
                      bool inside_out = false) {
    const float dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
    const float X[3] = {dx, 0, 0}, Y[3] = {0, dy, 0}, Z[3] = {0, 0, dz};
    const float top[3] = {lo[0], hi[1], lo[2]}, right[3] = {hi[0], lo[1], lo[2]};
    const float front[3] = {lo[0], lo[1], hi[2]};
    ObjStart(slot);
    inside_out ? add_face(top, Z, X, colour) : add_face(top, X, Z, colour);
    inside_out ? add_face(lo, X, Z, colour) : add_face(lo, Z, X, colour);
    inside_out ? add_face(right, Y, Z, colour) : add_face(right, Z, Y, colour);
    inside_out ? add_face(lo, Z, Y, colour) : add_face(lo, Y, Z, colour);
    inside_out ? add_face(front, X, Y, colour) : add_face(front, Y, X, colour);
    inside_out ? add_face(lo, Y, X, colour) : add_face(lo, X, Y, colour);
    ObjEnd();
}

// A flat rectangle in the plane z = 0 from (x0, y0) to (x1, y1), wound
// counter-clockwise seen from +z.
inline void build_quad(int slot, float x0, float y0, float x1, float y1, std::uint32_t colour) {
    ObjStart(slot);
    ObjAddVertex(x0, y0, 0, 0, 0, colour);
    ObjAddVertex(x1, y0, 0, 0, 0, colour);
    ObjAddVertex(x0, y1, 0, 0, 0, colour);
    ObjAddVertex(x1, y1, 0, 0, 0, colour);
    ObjEnd();
}

struct Rgb {
    int r, g, b;
};

} // namespace scene_test
