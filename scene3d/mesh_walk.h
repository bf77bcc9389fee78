// mesh_walk.h: walks a frame's packed vertices as primitives (separate
// triangles, strips and fans) and reports each triangle it forms.
#pragma once

#include <cstddef>

template <class Visit>
void WalkTriangles(const MeshObject& mesh, const MeshFrame& frame, Visit visit) {
    std::uint32_t kind = kMarkerList; // vertices before any marker are separate triangles
    std::size_t corner[3] = {0, 0, 0};
    int count = 0;
    int parity = 0;
    for (std::size_t i = 0; i < frame.packed.size(); ++i) {
        const std::uint32_t c = frame.packed[i].colour;
        const std::uint32_t value = c < mesh.palette.size() ? mesh.palette[c] : 0;
        if (value >= kMarkerFan) {
            kind = value;
            count = 0;
            parity = 0;
            continue;
        }
        corner[count++] = i;
        if (count < 3) continue;
        visit(corner[0], corner[1], corner[2]);
        if (kind == kMarkerFan) {
            corner[1] = corner[2]; // the first vertex stays the hub
            count = 2;
        } else if (kind == kMarkerStrip) {
            // Alternating which corner is replaced keeps every triangle of
            // the strip wound the same way as the first.
            parity ^= 1;
            corner[parity ? 0 : 1] = corner[2];
            count = 2;
        } else {
            count = 0;
        }
    }
}
