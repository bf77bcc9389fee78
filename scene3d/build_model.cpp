// build_model.cpp: models built from code, vertex by vertex, as triangle
// strips (ObjStart, ObjAddVertex, ObjNewStrip, ObjEnd), with optional
// computed vertex normals.
#include "scene3d/scene3d.h"

#include <cmath>

namespace {

ExpandedVertex strip_marker() {
    ExpandedVertex marker;
    marker.colour_index = kMarkerStrip;
    return marker;
}

MeshObjectX* building_mesh() {
    Dedazoza3Z& scene = scene3d();
    if (scene.building_slot < 0) return nullptr;
    ModelSlot& slot = scene.slots[std::size_t(scene.building_slot)];
    return slot.meshes.empty() ? nullptr : slot.meshes[0].get();
}

} // namespace

void ObjStart(double slot_number) {
    Dedazoza3Z& scene = scene3d();
    ModelSlot* slot = scene.Slot(slot_number);
    scene.building_slot = -1;
    if (!slot) {
        rt_log(RtString("scene3d: model slot out of range: ") + RtString(slot_number));
        return;
    }
    scene.EmptySlot(int(slot_number));
    auto mesh = std::make_unique<MeshObjectX>();
    mesh->frames.emplace_back();
    mesh->frames[0].expanded.push_back(strip_marker());
    slot->meshes.push_back(std::move(mesh));
    scene.building_slot = int(slot_number);
}

void ObjAddVertex(double x, double y, double z, double tx, double ty, double colour) {
    MeshObjectX* mesh = building_mesh();
    if (!mesh) return;
    ExpandedVertex e;
    e.position[0] = float(x), e.position[1] = float(y), e.position[2] = float(z);
    e.u = float(tx), e.v = float(ty);
    auto value = std::uint32_t(std::int64_t(colour));
    // Values above the colour range are no colour; keeping them would turn
    // the vertex into a primitive marker.
    if (value > kLastColour) value = 0xFFFFFF;
    for (int k = 0; k < 3; ++k)
        e.colour[k] = float((value >> (8 * k)) & 0xFF) / 255.0f;
    e.colour_index = value;
    mesh->frames[0].expanded.push_back(e);
}

void ObjNewStrip() {
    if (MeshObjectX* mesh = building_mesh()) mesh->frames[0].expanded.push_back(strip_marker());
}

void ObjEnd() {
    Dedazoza3Z& scene = scene3d();
    MeshObjectX* mesh = building_mesh();
    if (!mesh) return;
    scene.slots[std::size_t(scene.building_slot)].loaded = true;
    scene.building_slot = -1;
    std::size_t vertices = 0;
    for (const ExpandedVertex& e : mesh->frames[0].expanded)
        vertices += e.colour_index < kMarkerFan ? 1 : 0;
    if (vertices < 3) {
        mesh->Clear();
        return;
    }
    PackMesh(*mesh);
    if ((scene.normal_mode == 1 || scene.normal_mode == 2) && !mesh->normals_valid)
        ComputeVertexNormals(*mesh, scene.normal_mode);
    mesh->BuildTriangles();
    ComputeBoundingSpheres(*mesh);
}

void SetNormalMode(double mode) {
    // Truncated, then the remainder with the argument's sign: negative
    // arguments give a mode that computes no normals.
    scene3d().normal_mode = std::isfinite(mode) ? int(std::fmod(std::trunc(mode), 3.0)) : 0;
}
