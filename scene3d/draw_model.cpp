// draw_model.cpp: drawing a model slot at a key frame: view-cone culling by
// the bounding sphere, per-mesh texture binding for scene lists, and the
// triangle list sent from vertex arrays (streamed through a vertex buffer
// when the driver has them).
#include "graphics/gl_ext.h"
#include "scene3d/mat4.h"
#include "scene3d/scene3d.h"
#include "scene3d/shadow.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// A vertex as GL draws it: only the attributes the arrays hand over, so a
// draw moves 44 bytes a vertex instead of the stored vertex's 72.
struct DrawVertex {
    float u, v;
    float position[3];
    float normal[3];
    float colour[3];
};

// Vertices in the drawn layout, blended or copied; reused between draws.
std::vector<DrawVertex>& draw_buffer() {
    static std::vector<DrawVertex> buffer;
    return buffer;
}

DrawVertex drawn(const ExpandedVertex& e) {
    DrawVertex d{e.u, e.v, {}, {}, {}};
    std::memcpy(d.position, e.position, sizeof d.position);
    std::memcpy(d.normal, e.normal, sizeof d.normal);
    std::memcpy(d.colour, e.colour, sizeof d.colour);
    return d;
}

// Frame b as stored (t == 0), or a blend of frames a and b by t.
const std::vector<DrawVertex>& draw_vertices(const std::vector<ExpandedVertex>& va,
                                             const std::vector<ExpandedVertex>& vb, bool blend,
                                             float t) {
    auto& out = draw_buffer();
    out.resize(vb.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = drawn(blend ? va[i] : vb[i]);
    if (!blend) return out;
    for (std::size_t i = 0; i < out.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            out[i].position[k] += (vb[i].position[k] - va[i].position[k]) * t;
            out[i].normal[k] += (vb[i].normal[k] - va[i].normal[k]) * t;
            out[i].colour[k] += (vb[i].colour[k] - va[i].colour[k]) * t;
        }
    return out;
}

// Fills the vertex buffer with `size` bytes: mapped and copied when the
// driver can, else in one upload.
void stream(const void* data, GLsizeiptrARB size) {
    const GlExtensions& ext = gl_ext();
    if (ext.glMapBufferARB && ext.glUnmapBufferARB) {
        ext.glBufferDataARB(GL_ARRAY_BUFFER_ARB, size, nullptr, GL_STREAM_DRAW_ARB);
        if (void* target = ext.glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB)) {
            std::memcpy(target, data, std::size_t(size));
            if (ext.glUnmapBufferARB(GL_ARRAY_BUFFER_ARB)) return;
        }
    }
    ext.glBufferDataARB(GL_ARRAY_BUFFER_ARB, size, data, GL_STREAM_DRAW_ARB);
}

// Hands frame b (or the blend of a and b by t) to GL and returns the base
// the array pointers are relative to: a vertex buffer when available, else
// client memory. A key frame drawn as stored is uploaded once and drawn from
// the buffer until another frame or a blend takes its place; blends stream.
const char* upload(MeshObject& mesh, int a, int b, float t) {
    const GlExtensions& ext = gl_ext();
    const auto& va = mesh.frames[std::size_t(a)].triangles;
    const auto& vb = mesh.frames[std::size_t(b)].triangles;
    const bool blend = !(t == 0 || a == b || va.size() != vb.size());
    const bool buffers = ext.glGenBuffersARB && ext.glBindBufferARB && ext.glBufferDataARB;
    if (!buffers) return reinterpret_cast<const char*>(draw_vertices(va, vb, blend, t).data());
    if (mesh.vertex_buffer == 0) {
        GLuint name = 0;
        ext.glGenBuffersARB(1, &name);
        mesh.vertex_buffer = name;
        mesh.buffered_frame = -1;
    }
    ext.glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh.vertex_buffer);
    const int frame = blend ? -1 : b;
    if (frame >= 0 && mesh.buffered_frame == frame) return nullptr;
    const std::vector<DrawVertex>& verts = draw_vertices(va, vb, blend, t);
    const auto size = GLsizeiptrARB(verts.size() * sizeof(DrawVertex));
    mesh.buffered_frame = frame;
    if (frame >= 0)
        ext.glBufferDataARB(GL_ARRAY_BUFFER_ARB, size, verts.data(), GL_STATIC_DRAW_ARB);
    else
        stream(verts.data(), size);
    return nullptr;
}

void set_texcoords(const char* base, bool both_units) {
    const GlExtensions& ext = gl_ext();
    const GLsizei stride = sizeof(DrawVertex);
    const int units = both_units && ext.glClientActiveTextureARB ? 2 : 1;
    for (int unit = units - 1; unit >= 0; --unit) {
        if (ext.glClientActiveTextureARB)
            ext.glClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(DrawVertex, u));
    }
}

void draw_triangles(MeshObject& mesh, int a, int b, float t) {
    const GLsizei count = GLsizei(mesh.frames[std::size_t(b)].triangles.size());
    if (count == 0) return;
    const GlExtensions& ext = gl_ext();
    const char* base = upload(mesh, a, b, t);
    const GLsizei stride = sizeof(DrawVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, base + offsetof(DrawVertex, position));
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(3, GL_FLOAT, stride, base + offsetof(DrawVertex, colour));
    set_texcoords(base, ext.multitexture());
    const bool lit = scene3d().light_mask != 0;
    if (lit) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, base + offsetof(DrawVertex, normal));
    }
    glDrawArrays(GL_TRIANGLES, 0, count);
    if (ext.glClientActiveTextureARB) {
        ext.glClientActiveTextureARB(GL_TEXTURE1_ARB);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        ext.glClientActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (ext.glBindBufferARB) ext.glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

// The view test uses the outermost transform level only.
bool mesh_in_view(const MeshFrame& frame) {
    const TransformLevel& level = scene3d().levels[0];
    float centre[3];
    for (int k = 0; k < 3; ++k)
        centre[k] = frame.centre[k] + level.translation[k];
    const float largest =
        std::max({std::fabs(level.scale[0]), std::fabs(level.scale[1]), std::fabs(level.scale[2])});
    return SphereInView(centre, frame.radius * largest);
}

void load_model_matrix() {
    float object[16];
    ObjectTransform(object);
    renderer().matrices_2d = 0;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(scene3d().camera_matrix);
    glMultMatrixf(object);
}

// Binds a scene-list mesh's own textures; indices outside the table draw untextured.
void bind_mesh_textures(const ModelSlot& slot, const MeshObject& mesh) {
    const auto count = std::int32_t(slot.textures.size());
    const int a = mesh.texture_a >= 0 && mesh.texture_a < count ? mesh.texture_a : -1;
    const int b = mesh.texture_b >= 0 && mesh.texture_b < count ? mesh.texture_b : -1;
    if (slot.textures.empty())
        renderer().BindSlotTextures(-1, -1, 0);
    else
        renderer().BindSlotTextures(a, b, engine().use_mip_3d, slot.textures.data());
}

void draw_mesh(const ModelSlot& slot, MeshObject& mesh, int a, int b, float t) {
    if (!mesh.triangles_built) {
        mesh.BuildTriangles();
        ComputeBoundingSpheres(mesh);
    }
    const int last = int(mesh.frames.size()) - 1;
    if (last < 0) return;
    a = std::clamp(a, 0, last);
    b = std::clamp(b, 0, last);
    if (!mesh_in_view(mesh.frames[std::size_t(b)])) return;
    const Dedazoza3Z& scene = scene3d();
    if (scene.shadow_pass && scene.shadow.mode == 3) {
        DrawShadowVolume(mesh, mesh.frames[std::size_t(b)]);
        return;
    }
    // A model drawn whole while the pass is on marks the stencil too.
    if (scene.shadow_pass) MarkWholeShadowViewport();
    load_model_matrix();
    if (slot.scene_list) bind_mesh_textures(slot, mesh);
    draw_triangles(mesh, a, b, t);
}

} // namespace

void DrawModelFrames(int slot_number, int frame_a, int frame_b, float t) {
    ModelSlot* slot = scene3d().Slot(slot_number);
    if (!slot || !slot->loaded) return;
    if (t != 0 && (t < 0 || t > 1)) t = std::fabs(std::fmod(t, 1.0f));
    ZiriZUDoriravu& r = renderer();
    const float alpha = r.current_alpha;
    glColor4f(alpha, alpha, alpha, alpha);
    const int saved_slot = r.bound_slot, saved_second = r.bound_second_slot;
    const int saved_mip = r.bound_use_mip;
    const std::uint32_t* saved_table = r.bound_name_table;
    for (auto& mesh : slot->meshes)
        draw_mesh(*slot, *mesh, frame_a, frame_b, t);
    if (slot->scene_list) r.BindSlotTextures(saved_slot, saved_second, saved_mip, saved_table);
    glColor4f(alpha, alpha, alpha, alpha);
}

void DrawModel(double slot, double frame) {
    if (!(frame > -2147483648.0 && frame < 2147483647.0)) frame = 0;
    DrawModelFrames(int(std::fmax(-1, std::fmin(slot, kModelSlotCount))), int(frame), int(frame),
                    0);
}
