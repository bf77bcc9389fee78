// mesh_write.cpp: the packed binary form of a mesh, as the loader reads it.
#include "scene3d/mesh_object.h"

#include <cstring>

namespace {

template <class T> void put(std::vector<std::uint8_t>& out, T value) {
    // Little-endian machines only, like the reader.
    const std::size_t at = out.size();
    out.resize(at + sizeof(T));
    std::memcpy(out.data() + at, &value, sizeof(T));
}

} // namespace

bool WritePackedMesh(const MeshObject& mesh, std::vector<std::uint8_t>& bytes) {
    // The file form gives a colour index one byte.
    if (mesh.palette.size() > 256) return false;
    bytes.clear();
    put(bytes, kPackedMagic);
    put(bytes, kPackedVersion);
    put(bytes, std::int32_t(mesh.frames.size()));
    put(bytes, std::int32_t(mesh.palette.size()));
    put(bytes, std::int32_t(mesh.u.size()));
    for (std::uint32_t c : mesh.palette)
        put(bytes, c);
    for (std::size_t i = 0; i < mesh.u.size(); ++i)
        put(bytes, mesh.u[i]), put(bytes, mesh.v[i]);
    for (const MeshFrame& frame : mesh.frames) {
        put(bytes, std::int32_t(frame.packed.size()));
        for (float f : frame.bias)
            put(bytes, f);
        for (float f : frame.scale)
            put(bytes, f);
        for (const PackedVertex& p : frame.packed) {
            for (std::uint8_t b : {p.x, p.y, p.z, p.normal, std::uint8_t(p.colour)})
                bytes.push_back(b);
        }
    }
    return true;
}
