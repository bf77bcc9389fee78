// shadow.cpp: stencil shadows. While the pass is on, shadow-casting models
// draw their shadow volumes (sides from the silhouette edges seen from the
// shadow light, capped at the model and at infinity) into the stencil
// buffer; leaving the pass darkens every pixel left inside a volume by half.
#include "scene3d/shadow.h"
#include "graphics/gl_ext.h"
#include "scene3d/mat4.h"
#include "scene3d/scene3d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
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
    for (int k = 0; k < 3; ++k) {
        volume.low[k] = std::numeric_limits<float>::infinity();
        volume.high[k] = -volume.low[k];
    }
    for (const ExpandedVertex& v : tri)
        for (int k = 0; k < 3; ++k) {
            volume.low[k] = std::min(volume.low[k], v.position[k]);
            volume.high[k] = std::max(volume.high[k], v.position[k]);
        }
}

// The window rectangle (GL pixels, x0 y0 inclusive, x1 y1 exclusive) the
// volumes of the current pass can have marked in the stencil buffer, so
// leaving the pass darkens only there.
struct MarkedArea {
    bool whole = false;         // some extent is unknown: the whole viewport
    bool other_drawing = false; // something besides volumes was drawn in the pass
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
MarkedArea g_marked;
// The context whose stencil buffer the last pass left clear: the buffer of
// a new context has not been seen clear yet, so its first pass darkens all.
const void* g_last_clear_context = nullptr;

// The window box of clip-space points. A point with w = 0 left inside the
// clip planes is a direction: the pictures run off to infinity along it
// from every other point, so the box opens on that side.
struct WindowBox {
    static constexpr double kInfinity = std::numeric_limits<double>::infinity();
    double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;
    bool any_point = false;
    // False for a point that has no picture (not finite).
    bool take(const double p[4], const ZiriZUDoriravu& r) {
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[3])) return false;
        if (!(std::fabs(p[3]) > 1e-9 * (std::fabs(p[0]) + std::fabs(p[1])))) {
            if (p[0] > 0) x1 = kInfinity;
            if (p[0] < 0) x0 = -kInfinity;
            if (p[1] > 0) y1 = kInfinity;
            if (p[1] < 0) y0 = -kInfinity;
            return true;
        }
        if (p[3] < 0) return false;            // behind the eye: the clip planes let none through
        const std::int32_t* v = r.gl_viewport; // drawable pixels
        const double x = v[0] + (p[0] / p[3] + 1) * 0.5 * v[2];
        const double y = v[1] + (p[1] / p[3] + 1) * 0.5 * v[3];
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
        any_point = true;
        return true;
    }
};

// The clip-space corners of the volume's bounding box and of those corners
// moved to infinity away from the light: every vertex of the volume is a
// non-negative combination of these sixteen.
void volume_hull(const float object[16], const MeshObject::ShadowVolume& v, const float light[4],
                 double out[16][4]) {
    float pc[16], pco[16];
    mat4::multiply(scene3d().projection_matrix, scene3d().camera_matrix, pc);
    mat4::multiply(pc, object, pco);
    for (int i = 0; i < 8; ++i) {
        const float c[3] = {(i & 1) ? v.high[0] : v.low[0], (i & 2) ? v.high[1] : v.low[1],
                            (i & 4) ? v.high[2] : v.low[2]};
        const float finite[4] = {c[0], c[1], c[2], 1};
        const float away[4] = {c[0] - light[0], c[1] - light[1], c[2] - light[2], 0};
        float a[4], b[4];
        mat4::transform(pco, finite, a);
        mat4::transform(pco, away, b);
        for (int k = 0; k < 4; ++k)
            out[i][k] = a[k], out[8 + i][k] = b[k];
    }
}

using ClipPoint = std::array<double, 4>;

// Distance inside the near (z + w >= 0) or far (w - z >= 0) clip plane.
double inside_near(const ClipPoint& p) {
    return p[2] + p[3];
}
double inside_far(const ClipPoint& p) {
    return p[3] - p[2];
}

// Calls `use` for the points whose non-negative combinations make the part
// of the cone of `in` inside the plane: the points inside it, and where the
// segment between each pair on opposite sides crosses it.
template <typename Inside, typename Use>
void clip_cone(const ClipPoint* in, int count, Inside inside, Use use) {
    for (int i = 0; i < count; ++i) {
        const double di = inside(in[i]);
        if (di >= 0) use(in[i]);
        for (int j = i + 1; j < count; ++j) {
            const double dj = inside(in[j]);
            if ((di < 0) == (dj < 0)) continue;
            const double t = di / (di - dj);
            ClipPoint p;
            for (int k = 0; k < 4; ++k)
                p[k] = in[i][k] + t * (in[j][k] - in[i][k]);
            use(p);
        }
    }
}

// Adds where the volume can reach on the screen: the volume lies in the
// cone of its hull's sixteen points, and what of it the clip planes let
// through pictures inside the pictures of that cone's generators once cut
// at the near and the far plane. Unknown (the whole viewport) when one of
// them lies in the eye's plane.
void mark_volume_area(const float object[16], const MeshObject::ShadowVolume& v,
                      const float light[4]) {
    if (g_marked.whole) return;
    const ZiriZUDoriravu& r = renderer();
    double hull[16][4];
    volume_hull(object, v, light, hull);
    ClipPoint corners[16];
    for (int i = 0; i < 16; ++i)
        corners[i] = {hull[i][0], hull[i][1], hull[i][2], hull[i][3]};
    // At most 16 inside and 8 x 8 crossings.
    ClipPoint near_cut[16 + 64];
    int near_count = 0;
    clip_cone(corners, 16, inside_near, [&](const ClipPoint& p) { near_cut[near_count++] = p; });
    WindowBox box;
    bool known = true;
    clip_cone(near_cut, near_count, inside_far,
              [&](const ClipPoint& p) { known = box.take(p.data(), r) && known; });
    if (!known) {
        g_marked.whole = true;
        return;
    }
    if (!box.any_point) return; // nothing inside the clip planes
    // A pixel of rounding on each side; nothing outside the viewport is drawn.
    const double vx = r.gl_viewport[0], vy = r.gl_viewport[1];
    auto in_x = [&](double x) { return int(std::clamp(x, vx, vx + r.gl_viewport[2])); };
    auto in_y = [&](double y) { return int(std::clamp(y, vy, vy + r.gl_viewport[3])); };
    const int x0 = in_x(std::floor(box.x0) - 1), x1 = in_x(std::ceil(box.x1) + 1);
    const int y0 = in_y(std::floor(box.y0) - 1), y1 = in_y(std::ceil(box.y1) + 1);
    if (x1 <= x0 || y1 <= y0) return;
    MarkedArea& m = g_marked;
    const bool first = m.x1 <= m.x0;
    m.x0 = first ? x0 : std::min(m.x0, x0), m.y0 = first ? y0 : std::min(m.y0, y0);
    m.x1 = first ? x1 : std::max(m.x1, x1), m.y1 = first ? y1 : std::max(m.y1, y1);
}

// The darkening of leaving the pass, limited to where volumes were drawn.
// There it also zeroes each marked pixel it darkens, and nothing outside
// was marked, so the stencil is left clear without a clear of its own (a
// stencil-only clear rewrites the whole depth buffer around it). True
// when the stencil still needs clearing.
bool darken_marked_pixels(ZiriZUDoriravu& r) {
    const bool limited = !g_marked.whole;
    if (limited) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(g_marked.x0, g_marked.y0, std::max(g_marked.x1 - g_marked.x0, 0),
                  std::max(g_marked.y1 - g_marked.y0, 0));
        glStencilOp(GL_KEEP, GL_KEEP, GL_ZERO);
    }
    r.FillRect(0, 0, 3000, 2000, 0);
    if (limited) {
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        glDisable(GL_SCISSOR_TEST);
    }
    return !limited;
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

// The highest reference the program gives the alpha test (the 2D state's).
constexpr float kHighestAlphaReference = 0.15f;

// Volumes draw untextured and unlit, with culling on and clockwise front
// faces, the winding their quads and caps are emitted in. The caller's
// enables and winding come back afterwards from the attribute stack, which
// reads nothing back from the GL.
//
// Their fragments carry the alpha the model is drawn with; above every
// reference the alpha test passes them all, so it is turned off: left on,
// it makes the rasteriser shade each fragment before testing depth and
// stencil. (After other drawing in the pass the current colour is not known.)
class VolumeState {
  public:
    VolumeState()
        : r_(renderer()), slot_(r_.bound_slot), second_(r_.bound_second_slot),
          mip_(r_.bound_use_mip), table_(r_.bound_name_table) {
        glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
        r_.BindSlotTextures(-1, -1, 0);
        glDisable(GL_LIGHTING);
        if (r_.current_alpha > kHighestAlphaReference && !g_marked.other_drawing)
            glDisable(GL_ALPHA_TEST);
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

void MarkWholeShadowViewport() {
    g_marked.whole = true;
    g_marked.other_drawing = true;
}

bool ShadowMarkedArea(int box[4]) {
    box[0] = g_marked.x0, box[1] = g_marked.y0;
    box[2] = std::max(g_marked.x1 - g_marked.x0, 0),
    box[3] = std::max(g_marked.y1 - g_marked.y0, 0);
    return !g_marked.whole;
}

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
    mark_volume_area(object, volume, light);
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
        const void* context = scene.renderer->context;
        g_marked = MarkedArea{};
        g_marked.whole = context == nullptr || context != g_last_clear_context;
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
    const bool clear_stencil = darken_marked_pixels(r);
    glDisable(GL_BLEND);
    r.current_alpha = 1.0f;
    glColor4f(1, 1, 1, 1);
    glShadeModel(GL_SMOOTH);
    glDepthFunc(GL_LESS);
    glDisable(GL_STENCIL_TEST);
    if (clear_stencil) glClear(GL_STENCIL_BUFFER_BIT);
    g_last_clear_context = r.context;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}
