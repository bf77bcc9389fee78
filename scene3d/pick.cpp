// pick.cpp: the view a 3D frame was drawn with, and the two ways between the
// screen and the scene through it: a screen point onto a horizontal plane,
// and a scene point onto the screen. Everything that maps the pointer into
// a scene does it here, with the very matrices and viewport the renderer used.
#include "scene3d/mat4.h"
#include "scene3d/scene3d.h"

#include <cmath>
#include <cstring>

namespace {

// The projection times the camera: scene to clip coordinates.
void clip_matrix(const SceneView& view, float out[16]) {
    mat4::multiply(view.projection, view.camera, out);
}

} // namespace

SceneView CurrentSceneView() {
    const Dedazoza3Z& scene = scene3d();
    const ZiriZUDoriravu& r = *scene.renderer;
    SceneView view;
    std::memcpy(view.camera, scene.camera_matrix, sizeof view.camera);
    std::memcpy(view.projection, scene.projection_matrix, sizeof view.projection);
    view.left = r.viewport_x;
    view.top = r.viewport_y;
    view.width = r.viewport_width;
    view.height = r.viewport_height;
    return view;
}

bool ScreenToPlane(const SceneView& view, double x, double y, double plane_y, double* world_x,
                   double* world_z) {
    if (view.width <= 0 || view.height <= 0) return false;
    if (x < view.left || y < view.top || x >= view.left + view.width || y >= view.top + view.height)
        return false;
    float clip[16], inverse[16];
    clip_matrix(view, clip);
    if (!mat4::invert(clip, inverse)) return false;
    // The pixel's centre in normalised device coordinates, y pointing up.
    const float nx = float((x + 0.5 - view.left) / view.width * 2 - 1);
    const float ny = float(1 - (y + 0.5 - view.top) / view.height * 2);
    const float near_clip[4] = {nx, ny, -1, 1}, far_clip[4] = {nx, ny, 1, 1};
    float n[4], f[4];
    mat4::transform(inverse, near_clip, n);
    mat4::transform(inverse, far_clip, f);
    if (n[3] == 0 || f[3] == 0) return false;
    double a[3], d[3];
    for (int k = 0; k < 3; ++k) {
        a[k] = n[k] / n[3];
        d[k] = f[k] / f[3] - a[k];
    }
    if (std::fabs(d[1]) < 1e-9) return false;
    const double t = (plane_y - a[1]) / d[1];
    if (t < 0) return false;
    *world_x = a[0] + t * d[0];
    *world_z = a[2] + t * d[2];
    return true;
}

bool SceneToScreen(const SceneView& view, double x, double y, double z, double* screen_x,
                   double* screen_y) {
    float clip[16];
    clip_matrix(view, clip);
    const float point[4] = {float(x), float(y), float(z), 1};
    float c[4];
    mat4::transform(clip, point, c);
    if (c[3] <= 1e-6f) return false;
    *screen_x = view.left + (c[0] / c[3] + 1) * 0.5 * view.width;
    *screen_y = view.top + (1 - c[1] / c[3]) * 0.5 * view.height;
    return true;
}
