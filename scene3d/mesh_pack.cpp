// mesh_pack.cpp: packing expanded vertices into the shared mesh form and
// decoding them back; the nearest-normal search both directions use.
#include "scene3d/mesh_object.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

int NearestNormalIndex(const float n[3]) {
    int best = 0;
    float best_distance = INFINITY;
    for (int i = 0; i < kNormalCount; ++i) {
        const float* t = kNormalTable[i];
        const float d =
            std::fabs(n[0] * (n[0] - t[0]) + n[1] * (n[1] - t[1]) + n[2] * (n[2] - t[2]));
        if (d <= best_distance) {
            best_distance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

static void set_colour(ExpandedVertex& out, std::uint32_t value) {
    if (value > kLastColour) value = 0xFFFFFF;
    out.colour[0] = float(value & 0xFF) / 255.0f;
    out.colour[1] = float((value >> 8) & 0xFF) / 255.0f;
    out.colour[2] = float((value >> 16) & 0xFF) / 255.0f;
}

static void copy_normal(float out[3], int index) {
    const float* t = kNormalTable[index < kNormalCount ? index : 0];
    out[0] = t[0], out[1] = t[1], out[2] = t[2];
}

ExpandedVertex ExpandVertex(const MeshObject& mesh, const MeshFrame& frame, std::size_t i) {
    const PackedVertex& p = frame.packed[i];
    ExpandedVertex out;
    const std::uint8_t bytes[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k)
        out.position[k] = (float(bytes[k]) - frame.bias[k]) * frame.scale[k];
    copy_normal(out.normal, p.normal);
    copy_normal(out.direction[0], p.direction[0]);
    copy_normal(out.direction[1], p.direction[1]);
    set_colour(out, p.colour < mesh.palette.size() ? mesh.palette[p.colour] : 0xFFFFFFFFu);
    out.colour_index = p.colour;
    if (i < mesh.u.size()) {
        out.u = mesh.u[i];
        out.v = -mesh.v[i];
    }
    return out;
}

// Per-axis bias and scale so that the frame's non-marker positions span 0..255.
static void frame_range(MeshFrame& frame) {
    float lo[3] = {INFINITY, INFINITY, INFINITY};
    float hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const ExpandedVertex& e : frame.expanded) {
        if (e.colour_index >= kMarkerFan) continue;
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], e.position[k]);
            hi[k] = std::max(hi[k], e.position[k]);
        }
    }
    for (int k = 0; k < 3; ++k) {
        if (lo[k] > hi[k]) lo[k] = hi[k] = 0; // no drawable vertex in this frame
        float scale = (hi[k] - lo[k]) / 255.0f;
        if (scale == 0) scale = 1;
        frame.scale[k] = scale;
        frame.bias[k] = -lo[k] / scale;
    }
}

static std::uint8_t pack_coordinate(const MeshFrame& frame, int k, float value) {
    const float q = value / frame.scale[k] + frame.bias[k];
    return std::uint8_t(std::clamp(std::lround(q), 0L, 255L));
}

void PackMesh(MeshObject& mesh) {
    std::unordered_map<std::uint32_t, std::uint32_t> palette_index;
    mesh.palette.clear();
    auto colour_slot = [&](std::uint32_t value) {
        auto found = palette_index.find(value);
        if (found != palette_index.end()) return found->second;
        const auto index = std::uint32_t(mesh.palette.size());
        mesh.palette.push_back(value);
        palette_index.emplace(value, index);
        return index;
    };
    if (!mesh.frames.empty()) {
        const auto& first = mesh.frames[0].expanded;
        mesh.u.resize(first.size());
        mesh.v.resize(first.size());
        for (std::size_t i = 0; i < first.size(); ++i)
            mesh.u[i] = first[i].u, mesh.v[i] = first[i].v;
    }
    for (MeshFrame& frame : mesh.frames) {
        frame_range(frame);
        frame.packed.resize(frame.expanded.size());
        for (std::size_t i = 0; i < frame.expanded.size(); ++i) {
            const ExpandedVertex& e = frame.expanded[i];
            PackedVertex& p = frame.packed[i];
            const bool marker = e.colour_index >= kMarkerFan;
            p.x = marker ? 0 : pack_coordinate(frame, 0, e.position[0]);
            p.y = marker ? 0 : pack_coordinate(frame, 1, e.position[1]);
            p.z = marker ? 0 : pack_coordinate(frame, 2, e.position[2]);
            p.normal = std::uint8_t(NearestNormalIndex(e.normal));
            p.colour = colour_slot(e.colour_index);
        }
        frame.expanded.clear();
        frame.expanded.shrink_to_fit();
    }
    mesh.triangles_built = false;
}

void ComputeVertexNormals(MeshObject& mesh, int mode) {
    for (MeshFrame& frame : mesh.frames) {
        const std::size_t n = frame.packed.size();
        std::vector<std::size_t> slot(n);
        std::unordered_map<std::uint32_t, std::size_t> by_position;
        for (std::size_t i = 0; i < n; ++i) {
            const PackedVertex& p = frame.packed[i];
            const std::uint32_t key = p.x | (p.y << 8) | (p.z << 16);
            slot[i] = mode == 2 ? by_position.emplace(key, by_position.size()).first->second : i;
        }
        std::vector<float> sum(3 * n, 0.0f);
        // The walk already hands every second strip triangle over with its
        // first two corners swapped, so all faces of a strip point the same
        // way without negating any of them.
        WalkTriangles(mesh, frame, [&](std::size_t a, std::size_t b, std::size_t c) {
            const ExpandedVertex q0 = ExpandVertex(mesh, frame, a);
            const ExpandedVertex q1 = ExpandVertex(mesh, frame, b);
            const ExpandedVertex q2 = ExpandVertex(mesh, frame, c);
            float d[3], e[3];
            for (int k = 0; k < 3; ++k)
                d[k] = q2.position[k] - q1.position[k], e[k] = q1.position[k] - q0.position[k];
            const float face[3] = {d[1] * e[2] - d[2] * e[1], d[2] * e[0] - d[0] * e[2],
                                   d[0] * e[1] - d[1] * e[0]};
            for (std::size_t v : {a, b, c})
                for (int k = 0; k < 3; ++k)
                    sum[3 * slot[v] + k] += face[k];
        });
        for (std::size_t i = 0; i < n; ++i) {
            float* s = &sum[3 * slot[i]];
            const float len2 = s[0] * s[0] + s[1] * s[1] + s[2] * s[2];
            float unit[3] = {s[0], s[1], s[2]};
            if (len2 > 1e-7f) {
                const float len = std::sqrt(len2);
                unit[0] /= len, unit[1] /= len, unit[2] /= len;
            }
            frame.packed[i].normal = std::uint8_t(NearestNormalIndex(unit));
        }
    }
    mesh.normals_valid = true;
    mesh.triangles_built = false;
}
