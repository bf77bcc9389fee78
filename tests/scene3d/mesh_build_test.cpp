// mesh_build_test.cpp: drawable triangles for each primitive kind and the
// vertex normals of models built from code.
#include "scene_test_util.h"

#include <gtest/gtest.h>

using namespace scene_test;

namespace {

// A frame whose vertex i sits at x = i, so triangles can be read back as
// vertex numbers; "L", "S" and "F" are markers, digits are vertices.
MeshObjectX mesh_from(const std::string& layout) {
    MeshObjectX mesh;
    mesh.palette = {0x0000FF, kMarkerList, kMarkerStrip, kMarkerFan};
    mesh.frames.emplace_back();
    std::uint8_t next = 0;
    for (char c : layout) {
        PackedVertex p;
        p.colour = c == 'L' ? 1 : c == 'S' ? 2 : c == 'F' ? 3 : 0;
        if (p.colour == 0) p.x = next++;
        mesh.frames[0].packed.push_back(p);
    }
    return mesh;
}

std::string triangles_of(const std::string& layout) {
    MeshObjectX mesh = mesh_from(layout);
    mesh.BuildTriangles();
    std::string out;
    const auto& t = mesh.frames[0].triangles;
    for (std::size_t i = 0; i < t.size(); ++i)
        out += std::to_string(int(t[i].position[0])) + (i % 3 == 2 ? " " : "");
    return out;
}

TEST(TriangleBuild, FollowsEachPrimitiveKind) {
    const struct {
        const char* layout;
        const char* triangles;
    } cases[] = {
        {"012345", "012 345 "},           // no marker: separate triangles
        {"L01234", "012 "},               // an incomplete last triangle is dropped
        {"S012345", "012 213 234 435 "},  // strip: every triangle wound like the first
        {"F01234", "012 023 034 "},       // fan around the first vertex
        {"F012S345L678", "012 345 678 "}, // a marker starts a new primitive
        {"S01S234", "234 "},              // two vertices make nothing
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(triangles_of(c.layout), c.triangles) << c.layout;
}

TEST(TriangleBuild, ExpandsColourAndFlipsTextureV) {
    MeshObjectX mesh = mesh_from("L012");
    mesh.u = {0, 0, 0, 0.25f};
    mesh.v = {0, 0, 0, 0.75f};
    mesh.palette[0] = 0x336699;
    mesh.BuildTriangles();
    const ExpandedVertex& e = mesh.frames[0].triangles[2];
    EXPECT_FLOAT_EQ(e.u, 0.25f);
    EXPECT_FLOAT_EQ(e.v, -0.75f);
    EXPECT_FLOAT_EQ(e.colour[0], 0x99 / 255.0f);
    EXPECT_FLOAT_EQ(e.colour[2], 0x33 / 255.0f);
    EXPECT_EQ(e.colour_index, 0u);
}

// Normals of a flat floor strip built the way the board builds its floor.
void build_floor(int mode) {
    SetNormalMode(mode);
    ObjStart(50);
    for (float x : {0.0f, 1.0f}) {
        ObjAddVertex(x + 1, 0, 0, 0, 0, 51200);
        ObjAddVertex(x + 1, 0, 1, 0, 0, 51200);
        ObjAddVertex(x, 0, 0, 0, 0, 51200);
        ObjAddVertex(x, 0, 1, 0, 0, 51200);
        ObjNewStrip();
    }
    ObjEnd();
}

TEST(BuiltModel, NormalModesGiveUpwardNormalsOnAFlatStrip) {
    for (int mode : {1, 2, 4}) {
        build_floor(mode);
        const MeshObjectX& mesh = *scene3d().slots[50].meshes[0];
        EXPECT_TRUE(mesh.normals_valid);
        ASSERT_EQ(mesh.frames[0].triangles.size(), 12u);
        for (const ExpandedVertex& e : mesh.frames[0].triangles)
            EXPECT_FLOAT_EQ(e.normal[1], 1) << "mode " << mode;
    }
    SetNormalMode(-1); // negative: no normals
    EXPECT_EQ(scene3d().normal_mode, -1);
    build_floor(-1);
    EXPECT_FALSE(scene3d().slots[50].meshes[0]->normals_valid);
}

TEST(BuiltModel, KeepsVertexDataAndDropsTooSmallModels) {
    SetNormalMode(0);
    ObjStart(51);
    ObjAddVertex(0, 0, 0, 0.5, 0.25, 0xFFFFFFFF); // above the colour range: white
    ObjAddVertex(2, 0, 0, 0, 0, 0x00FF00);
    ObjAddVertex(0, 4, 0, 0, 0, 0x00FF00);
    ObjEnd();
    const ModelSlot& slot = scene3d().slots[51];
    ASSERT_TRUE(slot.loaded);
    const auto& t = slot.meshes[0]->frames[0].triangles;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_FLOAT_EQ(t[0].colour[2], 1);
    EXPECT_FLOAT_EQ(t[0].u, 0.5f);
    EXPECT_FLOAT_EQ(t[0].v, -0.25f);
    EXPECT_NEAR(t[2].position[1], 4, 1e-5);
    EXPECT_EQ(scene3d().building_slot, -1);
    ObjAddVertex(9, 9, 9, 0, 0, 0); // ignored: nothing is being built
    EXPECT_EQ(t.size(), 3u);

    ObjStart(51);
    ObjAddVertex(0, 0, 0, 0, 0, 0);
    ObjAddVertex(1, 0, 0, 0, 0, 0);
    ObjEnd();
    EXPECT_TRUE(slot.loaded);
    EXPECT_TRUE(slot.meshes[0]->frames.empty());
}

} // namespace
