// packed_mesh.cpp (fuzz): packed binary meshes; one that loads is written
// back out and must read back to the same vertices.
#include "fuzz_support.h"
#include "mesh_common.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    MeshObjectX mesh;
    const char* error = nullptr;
    if (!ReadPackedMesh(mesh, bytes, size % 2 != 0, &error)) {
        if (error == nullptr) __builtin_trap();
        return 0;
    }
    std::vector<std::uint8_t> written;
    if (WritePackedMesh(mesh, written)) {
        MeshObjectX again;
        if (!ReadPackedMesh(again, written, false, &error)) __builtin_trap();
        if (again.frames.size() != mesh.frames.size()) __builtin_trap();
    }
    fuzz::finish_mesh(mesh);
    return 0;
}
