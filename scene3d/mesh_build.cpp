// mesh_build.cpp: the drawable triangle lists and bounding spheres of a mesh,
// and releasing a mesh with its GL data.
#include "graphics/gl_ext.h"
#include "scene3d/mesh_object.h"

#include <algorithm>
#include <cmath>

void MeshObject::Clear() {
    if (vertex_buffer != 0 && gl_ext().glDeleteBuffersARB) {
        GLuint name = vertex_buffer;
        gl_ext().glDeleteBuffersARB(1, &name);
    }
    vertex_buffer = 0;
    frames.clear();
    u.clear();
    v.clear();
    palette.clear();
    edge_table.clear();
    shadow_volume = ShadowVolume{};
    buffered_frame = -1;
    normals_valid = false;
    triangles_built = false;
    texture_a = texture_b = 0;
}

void MeshObjectX::BuildTriangles() {
    for (MeshFrame& frame : frames) {
        frame.triangles.clear();
        WalkTriangles(*this, frame, [&](std::size_t a, std::size_t b, std::size_t c) {
            frame.triangles.push_back(ExpandVertex(*this, frame, a));
            frame.triangles.push_back(ExpandVertex(*this, frame, b));
            frame.triangles.push_back(ExpandVertex(*this, frame, c));
        });
    }
    edge_table.clear();
    shadow_volume = ShadowVolume{};
    buffered_frame = -1;
    triangles_built = true;
}

void ComputeBoundingSpheres(MeshObject& mesh) {
    for (MeshFrame& frame : mesh.frames) {
        double c[3] = {0, 0, 0};
        for (const ExpandedVertex& e : frame.triangles)
            for (int k = 0; k < 3; ++k)
                c[k] += e.position[k];
        const double count = double(std::max<std::size_t>(frame.triangles.size(), 1));
        for (int k = 0; k < 3; ++k)
            frame.centre[k] = float(c[k] / count);
        float r2 = 0;
        for (const ExpandedVertex& e : frame.triangles) {
            float d2 = 0;
            for (int k = 0; k < 3; ++k)
                d2 += (e.position[k] - frame.centre[k]) * (e.position[k] - frame.centre[k]);
            r2 = std::max(r2, d2);
        }
        frame.radius = std::sqrt(r2);
    }
}
