// mesh_common.h: what a model load does with a mesh after reading it, for
// the mesh fuzz programs.
#pragma once

#include "scene3d/mesh_object.h"

namespace fuzz {

// Triangles, bounding spheres and computed normals, as loading a model and
// building one from code make them.
inline void finish_mesh(MeshObjectX& mesh) {
    mesh.BuildTriangles();
    ComputeBoundingSpheres(mesh);
    if (!mesh.frames.empty() && mesh.frames.size() < 4) {
        MeshObjectX copy;
        copy.frames = mesh.frames;
        copy.palette = mesh.palette;
        copy.u = mesh.u;
        copy.v = mesh.v;
        ComputeVertexNormals(copy, 2);
        copy.BuildTriangles();
    }
}

} // namespace fuzz
