// mesh_object.h: the in-memory form of a 3D model mesh.
//
// A mesh has key frames that share one topology, one set of texture
// coordinates and one colour palette. Each frame stores its vertices packed
// (position bytes decoded by a per-axis bias and scale, an index into the
// normal table and an index into the palette) and, once built, the drawable
// triangles as expanded vertices. Palette entries above kLastColour are not
// colours: the three highest mark the start of a primitive.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int kNormalCount = 162;
// The shared table of unit vertex normals that packed normal indices select.
extern const float kNormalTable[kNormalCount][3];

// Palette markers: a vertex whose colour selects one of these starts a new
// primitive of that kind and is not drawn.
inline constexpr std::uint32_t kMarkerFan = 0xFFFFFFFDu;   // polygon, drawn as a fan
inline constexpr std::uint32_t kMarkerStrip = 0xFFFFFFFEu; // triangle strip
inline constexpr std::uint32_t kMarkerList = 0xFFFFFFFFu;  // separate triangles
// Palette values above this read as "no colour" (white).
inline constexpr std::uint32_t kLastColour = 0xFFFFFFFBu;

struct PackedVertex {
    std::uint8_t x = 0, y = 0, z = 0;
    std::uint8_t normal = 0;        // index into kNormalTable
    std::uint32_t colour = 0;       // index into the mesh's palette
    std::uint8_t direction[2] = {}; // two further normal-table indices (files leave them 0)
};

// A vertex as the meshes keep it; drawing copies the attributes it hands to
// GL into a smaller layout of its own.
struct ExpandedVertex {
    float u = 0, v = 0;
    float position[3] = {};
    float normal[3] = {};
    float direction[2][3] = {};
    float colour[3] = {1, 1, 1};
    std::uint32_t colour_index = 0;
};

struct MeshFrame {
    std::vector<PackedVertex> packed;
    float bias[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
    // Vertices waiting to be packed (text meshes, models built from code) or
    // decoded at load time; carries the colour value in colour_index.
    std::vector<ExpandedVertex> expanded;
    // Drawable triangle list built from the packed vertices.
    std::vector<ExpandedVertex> triangles;
    float centre[3] = {0, 0, 0};
    float radius = 0;
};

class MeshObject {
  public:
    virtual ~MeshObject() = default;
    // Turns the packed frames into drawable triangle lists; the base has none.
    virtual void BuildTriangles() {}

    std::vector<MeshFrame> frames;
    std::vector<float> u, v; // one per vertex of a frame, shared by all frames
    std::vector<std::uint32_t> palette;
    bool normals_valid = false;
    bool triangles_built = false;
    std::int32_t texture_a = 0, texture_b = 0; // into the slot's texture table
    // Shadow-volume helper: per triangle of frame 0, the triangle across each
    // of its three edges (-1 for none); built on first use.
    std::vector<std::int32_t> edge_table;
    std::uint32_t vertex_buffer = 0; // GL buffer for streaming, 0 when none
    // The frame whose triangles the vertex buffer holds as they are stored
    // (drawn again without uploading); -1 for blended, streamed data or none.
    std::int32_t buffered_frame = -1;
    // The last shadow volume built (x, y, z, w per vertex: side quads, then
    // the cap at the model, then the cap at infinity) for the frame and the
    // light position in mesh coordinates it was built for; a caster that did
    // not move against the light draws it again as it is. Dropped whenever
    // the triangles are built again.
    struct ShadowVolume {
        std::vector<float> vertices;
        std::int32_t frame = -1;
        float light[3] = {0, 0, 0};
        std::uint32_t sides = 0, near_cap = 0, far_cap = 0; // vertex counts
        float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};      // the frame's bounding box
    } shadow_volume;

    // Drops every frame and all GL data.
    void Clear();
};

class MeshObjectX : public MeshObject {
  public:
    void BuildTriangles() override;
};

// ---------------------------------------------------------------- mesh operations

// Index of the table normal closest in direction to n (ties go to the later
// entry; an exact match ends the search).
int NearestNormalIndex(const float n[3]);
// Decodes packed vertex i of a frame (position, normals, colour, texture coordinate).
ExpandedVertex ExpandVertex(const MeshObject& mesh, const MeshFrame& frame, std::size_t i);
// Packs every frame's expanded vertices: per-axis bias and scale, palette of
// distinct colour values, nearest table normals; u/v come from frame 0.
void PackMesh(MeshObject& mesh);
// Calls visit(a, b, c) with packed-vertex indices for every triangle of a
// frame, in the winding the drawable triangles get.
template <class Visit>
void WalkTriangles(const MeshObject& mesh, const MeshFrame& frame, Visit visit);
// Vertex normals for built models: mode 1 per vertex, mode 2 shared by all
// vertices at the same packed position.
void ComputeVertexNormals(MeshObject& mesh, int mode);
// Centre and radius of each frame's drawable triangles.
void ComputeBoundingSpheres(MeshObject& mesh);

// Reads a packed or text mesh into `mesh` (emptied first). On failure the
// error log gets "# read error" (or "# malloc error") and the file name, and
// the mesh is left empty; `reason`, when given, receives a short description.
bool LoadMesh(MeshObject& mesh, const char* file, bool decode_now, const char** reason = nullptr);
// Parsers on bytes in memory; `error` receives a short reason on failure.
bool ReadPackedMesh(MeshObject& mesh, const std::vector<std::uint8_t>& bytes, bool decode_now,
                    const char** error);
bool ReadTextMesh(MeshObject& mesh, const std::vector<std::uint8_t>& bytes, const char** error);
// The packed file form of a mesh; false when it cannot be expressed (a
// palette of more than 256 entries).
bool WritePackedMesh(const MeshObject& mesh, std::vector<std::uint8_t>& bytes);

inline constexpr std::uint32_t kPackedMagic = 0x00C6B317u;
inline constexpr double kPackedVersion = 1.02;

#include "scene3d/mesh_walk.h"
