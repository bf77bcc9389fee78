// mesh_files_test.cpp: the model file readers on good and damaged files,
// packing, the normal table, and LoadModel with scene lists.
#include "scene_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace scene_test;

namespace {

std::vector<std::uint8_t> bytes_of(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A triangle and a quad, texture coordinates, two key frames.
const char* kTextMesh10 = "DDDA 1.0   # a comment with DDDA 2.0 in it\n"
                          "4  0 0  1 0  1 1  0 1\n"
                          "2\n"
                          "255 0 0  3  0 0  1 1  2 2\n"
                          "0 255 0  4  0 0  1 1  2 2  3 3\n"
                          "2\n"
                          "4  0 0 0  2 0 0  2 2 0  0 2 0\n"
                          "4  0 0 1  4 0 1  4 4 1  0 4 1\n";

const char* kTextMesh11 = "DDDA 1.1\n"
                          "0\n"
                          "1  0 0 255  3  0 0  1 0  2 0\n"
                          "1\n"
                          "3  0 0 0  0 0 1   1 0 0  0 0 1   0 1 0  0 0 1\n";

TEST(TextMesh, ReadsVersion10WithoutNormalsAndVersion11WithThem) {
    MeshObjectX mesh;
    const char* error = nullptr;
    ASSERT_TRUE(ReadTextMesh(mesh, bytes_of(kTextMesh10), &error)) << error;
    ASSERT_EQ(mesh.frames.size(), 2u);
    // Per polygon a fan marker and its corners.
    EXPECT_EQ(mesh.frames[0].packed.size(), 1u + 3 + 1 + 4);
    mesh.BuildTriangles();
    ASSERT_EQ(mesh.frames[0].triangles.size(), 3u * (1 + 2));
    const ExpandedVertex& v = mesh.frames[1].triangles[2]; // third corner of frame 1
    EXPECT_NEAR(v.position[0], 4, 0.02);
    EXPECT_NEAR(v.position[1], 4, 0.02);
    EXPECT_NEAR(v.position[2], 1, 0.02);
    EXPECT_FLOAT_EQ(v.u, 1);
    EXPECT_FLOAT_EQ(v.v, -1);
    EXPECT_FLOAT_EQ(v.colour[0], 1);
    EXPECT_FLOAT_EQ(mesh.frames[0].triangles[3].colour[1], 1); // the green quad

    MeshObjectX lit;
    ASSERT_TRUE(ReadTextMesh(lit, bytes_of(kTextMesh11), &error)) << error;
    lit.BuildTriangles();
    ASSERT_EQ(lit.frames[0].triangles.size(), 3u);
    EXPECT_FLOAT_EQ(lit.frames[0].triangles[0].normal[2], 1); // (0, 0, 1) is a table entry
    EXPECT_FLOAT_EQ(lit.frames[0].triangles[0].colour[2], 1);
}

// Normals of any length pick the table entry of their direction; a zero
// normal stays entry 0.
TEST(TextMesh, NormalsAreMatchedByDirectionWhateverTheirLength) {
    struct Case {
        const char* normal;
        float expected[3];
    };
    const float zero[3] = {0, 0, 0};
    const int zero_entry = NearestNormalIndex(zero);
    const Case cases[] = {
        {"0 0 0.5", {0, 0, 1}},
        {"0 3 0", {0, 1, 0}},
        {"-0.001 0 0", {-1, 0, 0}},
        {"0 0 -40", {0, 0, -1}},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("DDDA 1.1 0 1  0 0 255  3  0 0  1 0  2 0  1  3 ") +
                                 "0 0 0 " + c.normal + "  1 0 0 " + c.normal + "  0 1 0 " +
                                 c.normal + "\n";
        MeshObjectX mesh;
        const char* error = nullptr;
        ASSERT_TRUE(ReadTextMesh(mesh, bytes_of(text), &error)) << error;
        EXPECT_EQ(mesh.frames[0].packed[1].normal, NearestNormalIndex(c.expected)) << c.normal;
    }
    MeshObjectX flat;
    const char* error = nullptr;
    ASSERT_TRUE(ReadTextMesh(
        flat,
        bytes_of("DDDA 1.1 0 1 0 0 255 3 0 0 1 0 2 0 1 3 0 0 0 0 0 0 1 0 0 0 0 0 0 1 0 0 0 0\n"),
        &error));
    EXPECT_EQ(flat.frames[0].packed[1].normal, zero_entry);
}

TEST(TextMesh, RefusesDamagedFiles) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"version above 1.1", "DDDA 1.2 0 0 0"},
        {"wrong magic", "DDDB 1.0 0 0 0"},
        {"empty", ""},
        {"version 1.1 vertices without normals",
         "DDDA 1.1 0 1 1 1 1 3 0 0 1 0 2 0 1 3 0 0 0 1 0 0 0 1 0"},
        {"vertex index past the frame", "DDDA 1.0 0 1 9 9 9 3 0 0 1 0 7 0 1 3 0 0 0 1 0 0 0 1 0"},
        {"texture index past the list",
         "DDDA 1.0 1 0 0 1 9 9 9 3 0 0 0 0 0 5 1 3 0 0 0 1 0 0 0 1 0"},
        {"counts exceed the file", "DDDA 1.0 0 1 9 9 9 3 0 0 1 0 2 0 99999999 3 0 0 0"},
        {"negative count", "DDDA 1.0 -1"},
        {"not a number", "DDDA 1.0 0 1 9 9 9 3 0 0 1 0 2 0 1 3 0 0 0 1 0 0 zero 1 0"},
    };
    for (const auto& c : cases) {
        MeshObjectX mesh;
        EXPECT_FALSE(ReadTextMesh(mesh, bytes_of(c.text), nullptr)) << c.name;
    }
    // Two million frames of one triangle are refused before any is stored.
    MeshObjectX mesh;
    const char* error = "";
    EXPECT_FALSE(
        ReadTextMesh(mesh, bytes_of("DDDA 1.0 0 1 9 9 9 3 0 0 0 0 0 0 2000000 1 0 0 0"), &error));
    EXPECT_STREQ(error, "mesh too large");
}

// Colour components far outside 0..255 (one came from a damaged block
// model) are clamped like small overshoots, not converted to int first.
TEST(TextMesh, ClampsHugeColourComponents) {
    MeshObjectX mesh;
    const char* error = "";
    ASSERT_TRUE(ReadTextMesh(
        mesh,
        bytes_of("DDDA 1.1 0 1 2e137 -1e300 300 3 0 0 1 0 2 0 1 3 0 0 0 0 0 1 1 0 0 0 0 1 "
                 "0 1 0 0 0 1"),
        &error))
        << error;
    EXPECT_NE(std::find(mesh.palette.begin(), mesh.palette.end(), 0xFF00FFu), mesh.palette.end());
}

TEST(Packing, AxisWithEqualCoordinatesGetsScaleOne) {
    MeshObjectX mesh;
    ASSERT_TRUE(ReadTextMesh(mesh, bytes_of(kTextMesh10), nullptr));
    const MeshFrame& f = mesh.frames[0]; // z is 0 everywhere, x and y span 0..2
    EXPECT_FLOAT_EQ(f.scale[2], 1);
    EXPECT_FLOAT_EQ(f.bias[2], 0);
    EXPECT_FLOAT_EQ(f.scale[0], 2.0f / 255);
    EXPECT_NEAR(mesh.frames[1].bias[2], -1, 1e-6); // z = 1 everywhere: scale 1, bias -1
    // Markers and colours share one palette of distinct values.
    EXPECT_EQ(mesh.palette.size(), 3u);
    EXPECT_NE(std::find(mesh.palette.begin(), mesh.palette.end(), kMarkerFan), mesh.palette.end());
}

TEST(NormalTable, HoldsDistinctUnitVectorsClosedUnderNegation) {
    for (int i = 0; i < kNormalCount; ++i) {
        const float* a = kNormalTable[i];
        EXPECT_NEAR(std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]), 1, 1e-5) << i;
        int opposite = 0;
        for (int j = 0; j < kNormalCount; ++j) {
            const float* b = kNormalTable[j];
            const float dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
            if (j != i) {
                EXPECT_LT(dot, 0.97f) << i << " and " << j << " are not distinct";
            }
            opposite += dot < -0.99999f;
        }
        EXPECT_EQ(opposite, 1) << i;
        EXPECT_EQ(NearestNormalIndex(a), i);
    }
}

std::vector<std::uint8_t> packed_of(const char* text) {
    MeshObjectX mesh;
    EXPECT_TRUE(ReadTextMesh(mesh, bytes_of(text), nullptr));
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(WritePackedMesh(mesh, bytes));
    return bytes;
}

TEST(PackedMesh, RoundTripsThroughTheWriter) {
    MeshObjectX text, packed;
    ASSERT_TRUE(ReadTextMesh(text, bytes_of(kTextMesh10), nullptr));
    ASSERT_TRUE(ReadPackedMesh(packed, packed_of(kTextMesh10), true, nullptr));
    ASSERT_EQ(packed.frames.size(), 2u);
    EXPECT_TRUE(packed.normals_valid);
    EXPECT_EQ(packed.frames[1].expanded.size(), packed.frames[1].packed.size()); // decoded now
    text.BuildTriangles();
    packed.BuildTriangles();
    ASSERT_EQ(packed.frames[1].triangles.size(), text.frames[1].triangles.size());
    for (std::size_t i = 0; i < text.frames[1].triangles.size(); ++i)
        EXPECT_EQ(std::memcmp(&packed.frames[1].triangles[i], &text.frames[1].triangles[i],
                              sizeof(ExpandedVertex)),
                  0)
            << i;
}

TEST(PackedMesh, RefusesShortOrDamagedFiles) {
    const std::vector<std::uint8_t> good = packed_of(kTextMesh10);
    const std::size_t palette_at = 24, first_vertex = 24 + 3 * 4 + 9 * 8 + 28;
    auto damaged = [&](std::size_t at, std::uint8_t value) {
        auto b = good;
        b[at] = value;
        return b;
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 20)},
        {"version one step above 1.02", damaged(4, std::uint8_t(good[4] + 1))},
        {"frame count past the file", damaged(13, 0x40)},
        {"palette count past the file", damaged(17, 0x40)},
        {"normal index past the table", damaged(first_vertex + 5 + 3, 200)},
        {"colour index past the palette", damaged(first_vertex + 5 + 4, 3)},
        {"more vertices than texture coordinates", damaged(palette_at + 12 + 72, 10)},
    };
    EXPECT_TRUE(ReadPackedMesh(*std::make_unique<MeshObjectX>(), good, false, nullptr));
    for (const auto& c : cases) {
        MeshObjectX mesh;
        EXPECT_FALSE(ReadPackedMesh(mesh, c.bytes, false, nullptr)) << c.name;
    }
}

TEST(LoadModel, LogsAndEmptiesTheSlotOnAReadError) {
    const std::string path = write_file("broken.ddd", "DDDA 1.5 0 0 0");
    const std::string good = write_file("good.ddd", kTextMesh10);
    ASSERT_EQ(LoadModel(good.c_str(), 40), 1);
    EXPECT_EQ(LoadModel(write_file("none.ddd", "").c_str(), 40), 0);
    rt_delete_log();
    EXPECT_EQ(LoadModel(path.c_str(), 40), 0);
    EXPECT_FALSE(scene3d().slots[40].loaded);
    EXPECT_NE(read_log().find("# read error\r\n" + path + "\r\n"), std::string::npos) << read_log();
}

// A missing model leaves its slot as it was and a log entry naming it, so
// walls that are not drawn can be traced to their file.
TEST(LoadModel, MissingFileIsLogged) {
    ASSERT_EQ(LoadModel(write_file("kept.ddd", kTextMesh11).c_str(), 41), 1);
    rt_delete_log();
    const std::string path = (scratch_dir() / "wall-gone.ddd").string();
    EXPECT_EQ(LoadModel(path.c_str(), 41), 0);
    EXPECT_TRUE(scene3d().slots[41].loaded);
    EXPECT_NE(read_log().find("scene3d: cannot open " + path + ": no such file"), std::string::npos)
        << read_log();
}

// A device named as a model never ends; it is refused before any read.
TEST(LoadModel, EndlessFileIsRefusedAsTooLarge) {
    MeshObjectX mesh;
    const char* reason = "";
    EXPECT_FALSE(LoadMesh(mesh, "/dev/zero", false, &reason));
    EXPECT_STREQ(reason, "not a plain file");
    EXPECT_TRUE(mesh.frames.empty());
}

// A pipe or a directory named as a model is refused at once with a log entry
// (a blocking open would hang the load, and meshpack with it), and the slot
// keeps what it had.
TEST(LoadModel, PipesAndDirectoriesAreRefusedAtOnce) {
    const std::string pipe = (scratch_dir() / "wall.ddd").string();
    std::filesystem::remove(pipe);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string folder = (scratch_dir() / "folder.ddd").string();
    std::filesystem::create_directories(folder);
    const std::string meshpack =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "meshpack").string();
    for (const std::string& path : {pipe, folder}) {
        ASSERT_EQ(LoadModel(write_file("kept.ddd", kTextMesh11).c_str(), 42), 1);
        rt_delete_log();
        MeshObjectX mesh;
        const char* reason = "";
        EXPECT_FALSE(LoadMesh(mesh, path.c_str(), false, &reason)) << path;
        EXPECT_STREQ(reason, "not a plain file");
        EXPECT_EQ(LoadModel(path.c_str(), 42), 0) << path;
        EXPECT_TRUE(scene3d().slots[42].loaded) << path;
        EXPECT_NE(read_log().find("scene3d: cannot read " + path + ": not a plain file"),
                  std::string::npos)
            << read_log();
        const std::string out = (scratch_dir() / "out.bin").string();
        EXPECT_EQ(std::system((meshpack + " " + path + " " + out + " 2>/dev/null").c_str()), 2 << 8)
            << path;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    std::filesystem::remove(pipe);
}

TEST(LoadModel, BackslashNamesReachAModelInASubfolder) {
    std::filesystem::create_directories(scratch_dir() / "models");
    write_file("models/cube.ddd", kTextMesh11);
    const std::string name = scratch_dir().string() + "\\models\\cube.ddd";
    EXPECT_EQ(LoadModel(name.c_str(), 43), 1);
    MeshObjectX mesh;
    EXPECT_TRUE(LoadMesh(mesh, name.c_str(), false));
}

TEST(LoadModel, MissingFileKeepsTheSlot) {
    ASSERT_EQ(LoadModel(write_file("keep.ddd", kTextMesh11).c_str(), 41), 1);
    EXPECT_EQ(LoadModel((scratch_dir() / "missing.ddd").string().c_str(), 41), 0);
    EXPECT_TRUE(scene3d().slots[41].loaded);
    EXPECT_EQ(LoadModel(write_file("x.ddd", kTextMesh11).c_str(), kModelSlotCount), 0);
    EXPECT_EQ(LoadModel(write_file("y.ddd", kTextMesh11).c_str(), -3), 0);
}

TEST(LoadModel, LoadsAPackedFileAndComputesTheBoundingSphere) {
    const std::string path = write_file("mesh.bin", packed_of(kTextMesh11));
    ASSERT_EQ(LoadModel(path.c_str(), 42.9), 1); // the slot number is truncated
    const ModelSlot& slot = scene3d().slots[42];
    ASSERT_TRUE(slot.loaded);
    EXPECT_FALSE(slot.scene_list);
    const MeshFrame& f = slot.meshes[0]->frames[0];
    EXPECT_NEAR(f.centre[0], 1.0 / 3, 0.01);
    EXPECT_NEAR(f.centre[1], 1.0 / 3, 0.01);
    EXPECT_NEAR(f.radius, std::sqrt(4.0 / 9 + 1.0 / 9), 0.01);
}

TEST(SceneList, ZeroObjectsSucceedsWithAnEmptySlot) {
    const std::string path = write_file("empty.ddw", ";DDW scene\n[objects]\ncount=0\n");
    ASSERT_EQ(LoadModel(path.c_str(), 43), 1);
    const ModelSlot& slot = scene3d().slots[43];
    EXPECT_TRUE(slot.loaded);
    EXPECT_TRUE(slot.scene_list);
    EXPECT_TRUE(slot.meshes.empty());
}

TEST(SceneList, AbsurdCountIsCutAndLogged) {
    const std::string path = write_file("huge.ddw", ";DDW\n[objects]\ncount=1e9\n");
    rt_delete_log();
    ASSERT_EQ(LoadModel(path.c_str(), 46), 1);
    EXPECT_EQ(scene3d().slots[46].meshes.size(), 1024u);
    EXPECT_NE(read_log().find("objects count cut to 1024"), std::string::npos);
    scene3d().EmptySlot(46);
}

TEST(SceneList, TextureKeysCountFromOneAndDefaultToTheFirst) {
    write_file("a.ddd", kTextMesh11);
    const std::string path = write_file(
        "list.ddw", ";DDW\n[textures]\ncount=3\n1=missing.bmp\n[objects]\ncount=4\n"
                    "1=a.ddd\n1ta=0\n1tb=3\n2=a.ddd\n2ta=1\n3=a.ddd\n4=nothing.ddd\n4ta=2\n");
    ASSERT_EQ(LoadModel(path.c_str(), 44), 1);
    const ModelSlot& slot = scene3d().slots[44];
    ASSERT_EQ(slot.meshes.size(), 4u);
    ASSERT_EQ(slot.textures.size(), 3u);
    EXPECT_EQ(slot.textures[0], 0u); // failed texture: empty entry
    const int expect_a[] = {0, 0, 0, 1}, expect_b[] = {2, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(slot.meshes[std::size_t(i)]->texture_a, expect_a[i]) << "object " << i + 1;
        EXPECT_EQ(slot.meshes[std::size_t(i)]->texture_b, expect_b[i]) << "object " << i + 1;
    }
    EXPECT_EQ(slot.meshes[0]->frames[0].triangles.size(), 3u); // built from the relative name
    EXPECT_TRUE(slot.meshes[3]->frames.empty());               // a missing mesh stays empty
}

} // namespace
