// meshpack: reads a mesh file in either form (a "DDDA" text mesh or a packed
// mesh) and writes it in the packed binary form the model loader reads.
//
// Usage: meshpack input.ddd output.bin
// Exit status 0 on success, 1 on a usage error, 2 when the input cannot be
// read, 3 when the output cannot be written.
#include "scene3d/scene3d.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: meshpack input.ddd output.bin\n");
        return 1;
    }
    MeshObjectX mesh;
    const char* reason = "";
    if (!LoadMesh(mesh, argv[1], false, &reason)) {
        std::fprintf(stderr, "meshpack: cannot read %s as a mesh: %s\n", argv[1], reason);
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (!WritePackedMesh(mesh, bytes)) {
        std::fprintf(stderr, "meshpack: %s has more than 256 colours\n", argv[1]);
        return 3;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "meshpack: cannot write %s\n", argv[2]);
        return 3;
    }
    std::size_t vertices = 0;
    for (const MeshFrame& f : mesh.frames)
        vertices += f.packed.size();
    std::printf("%s: %zu frames, %zu vertices, %zu palette entries, %zu bytes\n", argv[2],
                mesh.frames.size(), vertices, mesh.palette.size(), bytes.size());
    return 0;
}
