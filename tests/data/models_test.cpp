// Every generated model loads through the game's own mesh reader and has the
// shape the board drawing expects: sizes, resting heights, outward faces.
#include "scene3d/mesh_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

namespace {

struct Bounds {
    float lo[3] = {1e9f, 1e9f, 1e9f};
    float hi[3] = {-1e9f, -1e9f, -1e9f};
};

struct Loaded {
    MeshObjectX mesh;
    bool ok = false;
};

Loaded load(const std::string& file) {
    Loaded l;
    l.ok = LoadMesh(l.mesh, file.c_str(), false);
    if (l.ok) l.mesh.BuildTriangles();
    return l;
}

Bounds bounds_of(const MeshFrame& frame) {
    Bounds b;
    for (const ExpandedVertex& v : frame.triangles)
        for (int k = 0; k < 3; ++k) {
            b.lo[k] = std::min(b.lo[k], v.position[k]);
            b.hi[k] = std::max(b.hi[k], v.position[k]);
        }
    return b;
}

void sub(const float a[3], const float b[3], float out[3]) {
    for (int k = 0; k < 3; ++k)
        out[k] = a[k] - b[k];
}

// The renderer's face normal of a triangle: (q2 - q1) x (q1 - q0).
void face_normal(const ExpandedVertex* t, float n[3]) {
    float a[3], b[3];
    sub(t[2].position, t[1].position, a);
    sub(t[1].position, t[0].position, b);
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
}

// Positions are stored as bytes, so a model spanning d units is exact to d / 255.
constexpr float kTol = 0.01f;

struct Shape {
    const char* file;
    float lo[3];
    float hi[3];
    bool textured;
    bool casts_shadow; // drawn again in the shadow pass: must be closed
    int max_triangles;
};

// Sizes the board drawing relies on (model units, before its scaling).
const Shape kShapes[] = {
    // The floor's top is at 0: it is drawn half a cell down, and holes reach -1.
    {"ground.ddd", {0, -1, 0}, {20, 0, 18}, false, false, 200},
    // A unit cube on its centre: resting on the floor at height 0, level
    // with the floor when fallen to -1.
    {"block.ddd", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, false, false, 200},
    // Drawn at 0.8 of its height, so its foot must be at -0.5 / 0.8.
    {"wall.ddd", {-0.5f, -0.625f, -0.5f}, {0.5f, 0.375f, 0.5f}, false, false, 200},
    {"door.ddd", {-0.2f, -0.5f, -0.2f}, {0.2f, 0.65f, 0.2f}, false, false, 1000},
    // An arm, drawn at the neighbouring cell; reaches back to the pivot at -1.
    {"doorswing.ddd", {-0.84f, -0.45f, -0.07f}, {0.45f, 0.3f, 0.07f}, false, false, 200},
    {"flag.ddd", {-0.26f, 0, -0.26f}, {0.88f, 1.43f, 0.26f}, false, true, 2000},
};

class ModelShape : public ::testing::TestWithParam<Shape> {};

TEST_P(ModelShape, LoadsWithTheExpectedExtent) {
    const Shape& s = GetParam();
    Loaded l = load(s.file);
    ASSERT_TRUE(l.ok) << s.file;
    ASSERT_EQ(l.mesh.frames.size(), 1u);
    const MeshFrame& f = l.mesh.frames[0];
    ASSERT_GE(f.triangles.size(), 36u) << s.file;
    EXPECT_LE(f.triangles.size() / 3, static_cast<size_t>(s.max_triangles)) << s.file;
    const Bounds b = bounds_of(f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(b.lo[k], s.lo[k], kTol) << s.file << " axis " << k;
        EXPECT_NEAR(b.hi[k], s.hi[k], kTol) << s.file << " axis " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Board, ModelShape, ::testing::ValuesIn(kShapes), [](const auto& info) {
    std::string name = info.param.file;
    return name.substr(0, name.find('.'));
});

const char* const kAllModels[] = {"ground.ddd",    "block.ddd",  "door.ddd",
                                  "doorswing.ddd", "wall.ddd",   "flag.ddd",
                                  "pepper.ddd",    "tomato.ddd", "corn.ddd"};

class EveryModel : public ::testing::TestWithParam<const char*> {};

// With back faces culled, only faces wound clockwise seen from outside show;
// their normals must agree with the face, or lighting comes out black.
TEST_P(EveryModel, FacesPointTheSameWayAsTheirNormals) {
    Loaded l = load(GetParam());
    ASSERT_TRUE(l.ok);
    const auto& tris = l.mesh.frames[0].triangles;
    int disagreeing = 0;
    for (size_t i = 0; i + 2 < tris.size(); i += 3) {
        float n[3];
        face_normal(&tris[i], n);
        const float area = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (area < 1e-5f) continue;
        float d = 0;
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                d += n[k] * tris[i + c].normal[k];
        if (d <= 0) ++disagreeing;
    }
    EXPECT_EQ(disagreeing, 0) << GetParam() << " of " << tris.size() / 3 << " triangles";
}

TEST_P(EveryModel, NormalsAreUnitLength) {
    Loaded l = load(GetParam());
    ASSERT_TRUE(l.ok);
    for (const ExpandedVertex& v : l.mesh.frames[0].triangles) {
        const float len = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                    v.normal[2] * v.normal[2]);
        ASSERT_NEAR(len, 1.0f, 1e-3f) << GetParam();
    }
}

// The packed form holds colours as byte indices.
TEST_P(EveryModel, FitsThePackedForm) {
    Loaded l = load(GetParam());
    ASSERT_TRUE(l.ok);
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(WritePackedMesh(l.mesh, bytes))
        << GetParam() << " palette " << l.mesh.palette.size();
}

INSTANTIATE_TEST_SUITE_P(Files, EveryModel, ::testing::ValuesIn(kAllModels), [](const auto& info) {
    std::string name = info.param;
    return name.substr(0, name.find('.'));
});

using Point = std::tuple<long, long, long>;
Point key(const float p[3]) {
    return {std::lround(p[0] * 1000), std::lround(p[1] * 1000), std::lround(p[2] * 1000)};
}

// Shadow volumes are built from silhouette edges: a caster must be closed,
// every edge met once in each direction by its two triangles.
void expect_closed(const char* file) {
    Loaded l = load(file);
    ASSERT_TRUE(l.ok);
    std::map<std::pair<Point, Point>, int> edges;
    const auto& t = l.mesh.frames[0].triangles;
    for (size_t i = 0; i + 2 < t.size(); i += 3)
        for (int e = 0; e < 3; ++e) {
            const Point a = key(t[i + e].position), b = key(t[i + (e + 1) % 3].position);
            if (a != b) ++edges[{a, b}];
        }
    int open = 0;
    for (const auto& [edge, count] : edges)
        if (edges.count({edge.second, edge.first}) == 0) ++open;
    EXPECT_EQ(open, 0) << file << ": edges without a partner";
}

TEST(ShadowCasters, AreClosed) {
    for (const char* file : {"flag.ddd", "pepper.ddd", "tomato.ddd", "corn.ddd"})
        expect_closed(file);
}

// Characters stand on their origin inside their cell, a good deal taller
// than a hop, and take every texture coordinate from inside the picture: u
// wraps round the body, but v = 0 or 1 would sample the far edge as well.
TEST(Characters, StandInTheirCellAndAreTextured) {
    for (const char* file : {"pepper.ddd", "tomato.ddd", "corn.ddd"}) {
        Loaded l = load(file);
        ASSERT_TRUE(l.ok) << file;
        const MeshFrame& f = l.mesh.frames[0];
        const Bounds b = bounds_of(f);
        EXPECT_NEAR(b.lo[1], 0.0f, kTol) << file;
        EXPECT_GT(b.hi[1], 0.6f) << file;
        EXPECT_LT(b.hi[1], 1.2f) << file;
        for (int k : {0, 2}) {
            EXPECT_GE(b.lo[k], -0.5f) << file;
            EXPECT_LE(b.hi[k], 0.5f) << file;
        }
        const size_t tris = f.triangles.size() / 3;
        EXPECT_GE(tris, 200u) << file;
        EXPECT_LE(tris, 3000u) << file;
        for (const ExpandedVertex& v : f.triangles) {
            // Drawing flips v; the file's coordinates must stay inside (0, 1).
            ASSERT_GE(v.u, 0.0f) << file;
            ASSERT_LE(v.u, 1.0f) << file;
            ASSERT_GT(-v.v, 0.0f) << file;
            ASSERT_LT(-v.v, 1.0f) << file;
        }
    }
}

// The texture's top rows (v near 0, where the stem and leaves sit) must be
// wrapped round the top of the body, or the character stands on its head.
TEST(Characters, WearTheirTextureTheRightWayUp) {
    for (const char* file : {"pepper.ddd", "tomato.ddd", "corn.ddd"}) {
        Loaded l = load(file);
        ASSERT_TRUE(l.ok) << file;
        double top_y = 0, low_y = 0;
        int top_n = 0, low_n = 0;
        for (const ExpandedVertex& v : l.mesh.frames[0].triangles) {
            const float row = -v.v; // the file's v, 0 at the picture's top
            if (row < 0.2f) top_y += v.position[1], ++top_n;
            if (row > 0.6f && row < 0.85f) low_y += v.position[1], ++low_n;
        }
        ASSERT_GT(top_n, 0) << file;
        ASSERT_GT(low_n, 0) << file;
        EXPECT_GT(top_y / top_n, low_y / low_n + 0.2) << file;
    }
}

} // namespace
