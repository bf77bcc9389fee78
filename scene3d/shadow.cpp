// shadow.cpp: stencil shadows. While the pass is on, shadow-casting models
// draw their shadow volumes (sides from the silhouette edges seen from the
// shadow light, capped at the model and at infinity) into the stencil
// buffer; leaving the pass darkens every pixel left inside a volume by half.
#include "graphics/gl_ext.h"
#include "scene3d/mat4.h"
#include "scene3d/scene3d.h"

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

namespace {

using Corner = std::tuple<float, float, float>;

Corner corner_of(const ExpandedVertex& v) {
    return {v.position[0], v.position[1], v.position[2]};
}

// For each edge (a, b) of each triangle, the triangle holding the same edge
// the other way round (b, a), matched by end positions; -1 when none does.
void build_edge_table(MeshObject& mesh) {
    const auto& tri = mesh.frames[0].triangles;
    const std::size_t count = tri.size() / 3;
    std::map<std::pair<Corner, Corner>, std::int32_t> owner;
    for (std::size_t t = 0; t < count; ++t)
        for (int e = 0; e < 3; ++e)
            owner.emplace(
                std::make_pair(corner_of(tri[3 * t + e]), corner_of(tri[3 * t + (e + 1) % 3])),
                std::int32_t(t));
    mesh.edge_table.assign(3 * count, -1);
    for (std::size_t t = 0; t < count; ++t)
        for (int e = 0; e < 3; ++e) {
            auto found =
                owner.find({corner_of(tri[3 * t + (e + 1) % 3]), corner_of(tri[3 * t + e])});
            if (found != owner.end() && std::size_t(found->second) != t)
                mesh.edge_table[3 * t + std::size_t(e)] = found->second;
        }
}

// Faces the light when the light lies on the side its face normal points to.
bool faces_light(const ExpandedVertex* q, const float light[3]) {
    float a[3], b[3], l[3];
    for (int k = 0; k < 3; ++k) {
        a[k] = q[0].position[k] - q[1].position[k];
        b[k] = q[2].position[k] - q[1].position[k];
        l[k] = light[k] - q[1].position[k];
    }
    const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                        a[0] * b[1] - a[1] * b[0]};
    return l[0] * n[0] + l[1] * n[1] + l[2] * n[2] > 0;
}

void put(std::vector<float>& out, const float* p, float w) {
    out.insert(out.end(), {p[0], p[1], p[2], w});
}

// A point moved away from the light to infinity.
void put_at_infinity(std::vector<float>& out, const float* p, const float light[3]) {
    out.insert(out.end(), {p[0] - light[0], p[1] - light[1], p[2] - light[2], 0});
}

// Fills the volume's vertices: for each silhouette edge a to b of a
// light-facing triangle the quad b, a, a and b at infinity; then the cap at
// the model (every light-facing triangle), then the cap at infinity (every
// other triangle moved there).
void build_volume(const std::vector<ExpandedVertex>& tri, const std::vector<std::int32_t>& edges,
                  const float light[3], MeshObject::ShadowVolume& volume) {
    static std::vector<char> facing; // reused: no allocation per caster and frame
    const std::size_t count = tri.size() / 3;
    facing.resize(count);
    for (std::size_t t = 0; t < count; ++t)
        facing[t] = faces_light(&tri[3 * t], light);
    std::vector<float>& out = volume.vertices;
    out.clear();
    for (std::size_t t = 0; t < count; ++t) {
        if (!facing[t]) continue;
        for (std::size_t e = 0; e < 3; ++e) {
            const std::int32_t across = edges[3 * t + e];
            if (across >= 0 && facing[std::size_t(across)]) continue;
            const float* a = tri[3 * t + e].position;
            const float* b = tri[3 * t + (e + 1) % 3].position;
            put(out, b, 1);
            put(out, a, 1);
            put_at_infinity(out, a, light);
            put_at_infinity(out, b, light);
        }
    }
    volume.sides = std::uint32_t(out.size() / 4);
    for (std::size_t t = 0; t < count; ++t)
        if (facing[t])
            for (std::size_t k = 0; k < 3; ++k)
                put(out, tri[3 * t + k].position, 1);
    volume.near_cap = std::uint32_t(out.size() / 4) - volume.sides;
    for (std::size_t t = 0; t < count; ++t)
        if (!facing[t])
            for (std::size_t k = 0; k < 3; ++k)
                put_at_infinity(out, tri[3 * t + k].position, light);
    volume.far_cap = std::uint32_t(out.size() / 4) - volume.sides - volume.near_cap;
}

// Every vertex of the cap at infinity has w = 0, which a projection with a
// finite far plane clips away entirely, so it is drawn only without one.
bool far_cap_visible() {
    const Dedazoza3Z& scene = scene3d();
    return !(std::isfinite(scene.far_plane) && scene.far_plane > scene.near_plane);
}

void emit_volume(const MeshObject::ShadowVolume& volume) {
    glVertexPointer(4, GL_FLOAT, 0, volume.vertices.data());
    if (volume.sides > 0) glDrawArrays(GL_QUADS, 0, GLsizei(volume.sides));
    const std::uint32_t caps = volume.near_cap + (far_cap_visible() ? volume.far_cap : 0);
    if (caps > 0) glDrawArrays(GL_TRIANGLES, GLsizei(volume.sides), GLsizei(caps));
}

// The shadow light in the mesh's own coordinates; false when the object
// transform is flat and has no inverse.
bool light_in_object_space(const float object[16], float light[4]) {
    float inverse[16];
    if (!mat4::invert(object, inverse)) return false;
    const ShadowLight& shadow = scene3d().shadow;
    const float world[4] = {shadow.position[0], shadow.position[1], shadow.position[2], 1};
    mat4::transform(inverse, world, light);
    return true;
}

// Volumes draw untextured and unlit, with culling on and clockwise front
// faces, the winding their quads and caps are emitted in. The caller's
// enables and winding come back afterwards from the attribute stack, which
// reads nothing back from the GL.
class VolumeState {
  public:
    VolumeState()
        : r_(renderer()), slot_(r_.bound_slot), second_(r_.bound_second_slot),
          mip_(r_.bound_use_mip), table_(r_.bound_name_table) {
        glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
        r_.BindSlotTextures(-1, -1, 0);
        glDisable(GL_LIGHTING);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glStencilFunc(GL_ALWAYS, 0, ~0u);
    }
    ~VolumeState() {
        glPopAttrib();
        r_.BindSlotTextures(slot_, second_, mip_, table_);
    }

  private:
    ZiriZUDoriravu& r_;
    int slot_, second_, mip_;
    const std::uint32_t* table_;
};

} // namespace

void DrawShadowVolume(MeshObject& mesh, const MeshFrame& frame) {
    if (mesh.edge_table.size() != mesh.frames[0].triangles.size()) build_edge_table(mesh);
    const auto& tri = frame.triangles;
    if (tri.size() != mesh.frames[0].triangles.size() || tri.empty()) return;
    float object[16], light[4];
    ObjectTransform(object);
    if (!light_in_object_space(object, light)) return;
    MeshObject::ShadowVolume& volume = mesh.shadow_volume;
    const auto frame_index = std::int32_t(&frame - mesh.frames.data());
    if (volume.frame != frame_index || std::memcmp(volume.light, light, sizeof volume.light) != 0) {
        build_volume(tri, mesh.edge_table, light, volume);
        volume.frame = frame_index;
        std::memcpy(volume.light, light, sizeof volume.light);
    }
    renderer().matrices_2d = 0;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(scene3d().camera_matrix);
    glMultMatrixf(object);
    VolumeState state;
    glEnableClientState(GL_VERTEX_ARRAY);
    // Faces towards the viewer count up, faces away count down: pixels left
    // non-zero lie inside a volume.
    glCullFace(GL_BACK);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    emit_volume(volume);
    glCullFace(GL_FRONT);
    glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
    emit_volume(volume);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void ShadowPass(bool on) {
    Dedazoza3Z& scene = scene3d();
    if (scene.shadow_pass == on) return;
    scene.shadow_pass = on;
    if (on) {
        glShadeModel(GL_FLAT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glEnable(GL_STENCIL_TEST);
        glDepthMask(GL_FALSE);
        glStencilFunc(GL_ALWAYS, 0, ~0u);
        glStencilOp(GL_KEEP, GL_KEEP, GL_INVERT);
        return;
    }
    ZiriZUDoriravu& r = *scene.renderer;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    r.SetViewport2D(r.viewport_x, r.viewport_y, r.viewport_width, r.viewport_height);
    // Half-transparent black over every pixel a volume left marked.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    r.current_alpha = 0.5f;
    glEnable(GL_STENCIL_TEST); // the 2D reset above turned it off
    glStencilFunc(GL_NOTEQUAL, 0, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    r.FillRect(0, 0, 3000, 2000, 0);
    glDisable(GL_BLEND);
    r.current_alpha = 1.0f;
    glColor4f(1, 1, 1, 1);
    glShadeModel(GL_SMOOTH);
    glDepthFunc(GL_LESS);
    glDisable(GL_STENCIL_TEST);
    glClear(GL_STENCIL_BUFFER_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}
