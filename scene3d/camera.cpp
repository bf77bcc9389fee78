// camera.cpp: starting and leaving a 3D frame, the projection, the camera,
// face culling, texture binding, depth clearing and the shader in use.
#include "graphics/gl_ext.h"
#include "scene3d/mat4.h"
#include "scene3d/scene3d.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kDegree = M_PI / 180.0;
constexpr double kWidestCone = 1.553343; // 89 degrees in radians

// The matrices glFrustum and glOrtho multiply in, for a box symmetric about
// the view axis (half width w, half height h).
void frustum_matrix(double w, double h, double n, double f, float m[16]) {
    mat4::identity(m);
    m[0] = float(n / w), m[5] = float(n / h);
    m[10] = float(-(f + n) / (f - n)), m[11] = -1;
    m[14] = float(-2 * f * n / (f - n)), m[15] = 0;
}

void ortho_matrix(double w, double h, double n, double f, float m[16]) {
    mat4::identity(m);
    m[0] = float(1 / w), m[5] = float(1 / h);
    m[10] = float(-2 / (f - n)), m[14] = float(-(f + n) / (f - n));
}

void set_projection(double near_plane, double far_plane, double fov, double aspect) {
    renderer().matrices_2d = 0;
    float* kept = scene3d().projection_matrix;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (fov > 0) {
        const double h = std::tan(fov / 2 * kDegree) * near_plane;
        glFrustum(-h * aspect, h * aspect, -h, h, near_plane, far_plane);
        frustum_matrix(h * aspect, h, near_plane, far_plane, kept);
    } else {
        const double h = std::tan(-fov / 2 * kDegree) * near_plane * 100;
        glOrtho(-h * aspect, h * aspect, -h, h, near_plane, far_plane);
        ortho_matrix(h * aspect, h, near_plane, far_plane, kept);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void set_default_3d_state() {
    renderer().BindSlotTextures(-1, -1, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    for (GLenum cap : {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH, GL_STENCIL_TEST,
                       GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE, GL_POLYGON_OFFSET_POINT,
                       GL_AUTO_NORMAL, GL_RESCALE_NORMAL, GL_LIGHTING})
        glDisable(cap);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
}

void normalise(float v[3]) {
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0) v[0] /= len, v[1] /= len, v[2] /= len;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

void Make3D(double near_plane, double far_plane, double fov) {
    Dedazoza3Z& scene = scene3d();
    ZiriZUDoriravu& r = *scene.renderer;
    ShadowPass(false);
    scene.view_cone = float(fov + 5 <= 89 ? std::tan((fov + 5) * kDegree) : std::tan(kWidestCone));
    scene.up[0] = 0, scene.up[1] = 1, scene.up[2] = 0;
    scene.near_plane = float(near_plane);
    scene.far_plane = float(far_plane);
    const int vw = r.viewport_width, vh = r.viewport_height;
    glViewport(r.gl_viewport[0], r.gl_viewport[1], r.gl_viewport[2], r.gl_viewport[3]);
    const double aspect = vh > 0 ? double(vw) / vh : 1.0;
    set_projection(near_plane, far_plane, fov, aspect);
    if (fov <= 0) scene.view_cone = float(std::tan(kWidestCone));
    set_default_3d_state();
    // set_projection left the model-view matrix at identity.
    mat4::identity(scene.camera_matrix);
    scene.culling = 0;
    glDisable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    scene.shadow.enabled = false;
    scene.pushed = 0;
}

void End3D() {
    ShadowPass(false);
    renderer().SetViewport2D(0, 0, 0, 0);
}

void SetCameraUp(double x, double y, double z) {
    Dedazoza3Z& scene = scene3d();
    scene.up[0] = float(x), scene.up[1] = float(y), scene.up[2] = float(z);
}

void SetCamera(double ex, double ey, double ez, double tx, double ty, double tz) {
    Dedazoza3Z& scene = scene3d();
    const float eye[3] = {float(ex), float(ey), float(ez)};
    const float target[3] = {float(tx), float(ty), float(tz)};
    float f[3] = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    normalise(f);
    float s[3], u[3];
    cross(scene.up, f, s);
    normalise(s);
    cross(f, s, u);
    normalise(u);
    // Rows s, u, f: the camera looks along -f with u pointing up.
    const float look[16] = {s[0], u[0], f[0], 0, s[1], u[1], f[1], 0,
                            s[2], u[2], f[2], 0, 0,    0,    0,    1};
    // Built here and loaded, so the scene knows its camera without reading
    // it back from GL (a read-back waits for the pipeline).
    std::memcpy(scene.camera_matrix, look, sizeof look);
    mat4::translate(scene.camera_matrix, -eye[0], -eye[1], -eye[2]);
    renderer().matrices_2d = 0;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(scene.camera_matrix);
    for (int k = 0; k < 3; ++k)
        scene.eye[k] = eye[k], scene.target[k] = target[k];
    scene.pushed = 0;
    scene.levels[0] = TransformLevel{};
}

void SetCulling(double mode) {
    Dedazoza3Z& scene = scene3d();
    scene.culling = std::int8_t(mode > 0 ? 1 : mode < 0 ? -1 : 0);
    if (scene.culling == 0) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glFrontFace(scene.culling < 0 ? GL_CCW : GL_CW);
}

void SetTexture3D(double slot, double second_slot) {
    renderer().BindSlotTextures(int(slot), int(second_slot), engine().use_mip_3d);
}

void ClearDepth() {
    glClear(GL_DEPTH_BUFFER_BIT);
}

void UseShader(double index) {
    if (!gl_ext().shaders()) return;
    Dedazoza3Z& scene = scene3d();
    scene.shader_index = int(index);
    // Only table entries are programs; anything else (the frame step's -1
    // included) means fixed-function drawing.
    const bool stored = index >= 0 && index < kShaderTableSize - 1;
    gl_ext().glUseProgramObjectARB(stored ? scene.shaders[int(index)] : 0);
}
