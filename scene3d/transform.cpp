// transform.cpp: the object transform stack and the view-cone test.
//
// Each level holds a translation, up to 16 rotations and a scale; on the
// object the scale acts first, then the rotations in the order they were
// added, then the translation, and deeper levels act inside outer ones.
#include "scene3d/mat4.h"
#include "scene3d/scene3d.h"

#include <algorithm>
#include <cmath>

void ObjPush() {
    Dedazoza3Z& scene = scene3d();
    if (scene.pushed + 1 >= kTransformLevels)
        return; // deeper nesting than any model needs; the extra push is ignored
    ++scene.pushed;
    scene.current_level() = TransformLevel{};
}

void ObjPop() {
    Dedazoza3Z& scene = scene3d();
    if (scene.pushed > 0) --scene.pushed;
}

void ObjPosition(double x, double y, double z) {
    TransformLevel& level = scene3d().current_level();
    level.translation[0] = float(x), level.translation[1] = float(y),
    level.translation[2] = float(z);
    level.rotation_count = 0;
}

void ObjScale(double x, double y, double z) {
    TransformLevel& level = scene3d().current_level();
    level.scale[0] = float(x), level.scale[1] = float(y), level.scale[2] = float(z);
    level.rotation_count = 0;
}

void ObjRotate(double angle, double x, double y, double z) {
    TransformLevel& level = scene3d().current_level();
    if (level.rotation_count >= kMaxRotations) return;
    float* r = level.rotation[level.rotation_count++];
    r[0] = float(angle), r[1] = float(x), r[2] = float(y), r[3] = float(z);
}

void ObjectTransform(float out[16]) {
    const Dedazoza3Z& scene = scene3d();
    mat4::identity(out);
    for (int i = 0; i <= scene.pushed; ++i) {
        const TransformLevel& level = scene.levels[i];
        mat4::translate(out, level.translation[0], level.translation[1], level.translation[2]);
        for (int k = level.rotation_count - 1; k >= 0; --k) {
            const float* r = level.rotation[k];
            mat4::rotate(out, r[0], r[1], r[2], r[3]);
        }
        mat4::scale(out, level.scale[0], level.scale[1], level.scale[2]);
    }
}

bool SphereInView(const float centre[3], float radius) {
    const Dedazoza3Z& scene = scene3d();
    float d[3], p[3];
    for (int k = 0; k < 3; ++k)
        d[k] = scene.target[k] - scene.eye[k], p[k] = centre[k] - scene.eye[k];
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len > 0) d[0] /= len, d[1] /= len, d[2] /= len;
    const float t = d[0] * p[0] + d[1] * p[1] + d[2] * p[2];
    float off2 = 0, p2 = 0;
    for (int k = 0; k < 3; ++k) {
        off2 += (p[k] - t * d[k]) * (p[k] - t * d[k]);
        p2 += p[k] * p[k];
    }
    if (t >= 0) {
        const float cone = 1.05f * scene.view_cone * t;
        return off2 < cone * cone + radius * radius;
    }
    return p2 <= radius * radius;
}
