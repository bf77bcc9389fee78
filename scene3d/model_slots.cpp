// model_slots.cpp: the scene object, its model slots and LoadModel for mesh
// files and ";DDW" scene lists (a description file naming textures and meshes).
#include "graphics/gl_ext.h"
#include "runtime/rtini.h"
#include "scene3d/scene3d.h"

#include <cmath>
#include <cstring>
#include <string>

Dedazoza3Z::Dedazoza3Z() : renderer(&::renderer()), slots(kModelSlotCount) {
    // The frame step leaves a pending shadow pass before presenting, and
    // starts every frame without a shader program.
    SetLeaveShadowPassHook([] { ShadowPass(false); });
    SetFrameResetHook([] { UseShader(-1); });
}

Dedazoza3Z::~Dedazoza3Z() {
    SetLeaveShadowPassHook(nullptr);
    SetFrameResetHook(nullptr);
}

Dedazoza3Z& scene3d() {
    static Dedazoza3Z scene;
    return scene;
}

ModelSlot* Dedazoza3Z::Slot(double number) {
    if (!(number > -1 && number < kModelSlotCount)) return nullptr;
    return &slots[std::size_t(int(number))];
}

void Dedazoza3Z::EmptySlot(int slot) {
    ModelSlot& s = slots[std::size_t(slot)];
    if (building_slot == slot) building_slot = -1; // a model being built here is gone with the slot
    for (auto& mesh : s.meshes)
        mesh->Clear();
    s.meshes.clear();
    if (!s.textures.empty() && renderer->ready) {
        glDeleteTextures(GLsizei(s.textures.size()), s.textures.data());
    }
    s.textures.clear();
    s.loaded = false;
    s.scene_list = false;
}

namespace {

// Triangles and bounding spheres, built after every load.
void finish_mesh(MeshObject& mesh) {
    mesh.BuildTriangles();
    ComputeBoundingSpheres(mesh);
}

RtString directory_of(const RtString& file) {
    std::string name = file.str();
    const std::size_t cut = name.find_last_of("/\\");
    return RtString::from_std(cut == std::string::npos ? "" : name.substr(0, cut + 1));
}

// More textures or objects than any scene needs: each one is a file to
// read, so a damaged list asking for millions would keep the loader busy.
constexpr double kMaxListCount = 1024;

// A count read from the list; absurd counts are cut, with a log entry.
int list_count(const IniStore& ini, const char* section, const RtString& file) {
    const double n = rt_val(ini.get(RtString(section), RtString("count")));
    if (n > kMaxListCount)
        rt_log(RtString("scene3d: ") + file + ": " + section + " count cut to " +
               RtString(kMaxListCount));
    return n > 0 ? int(std::fmin(n, kMaxListCount)) : 0;
}

// "1ta" etc.: textures are counted from 1; 0 or a missing key selects the first.
std::int32_t texture_key(const IniStore& ini, int object, const char* suffix) {
    RtString key = RtString(object) + suffix;
    const double n = rt_val(ini.get(RtString("objects"), key));
    return n >= 1 && n < 2147483647.0 ? std::int32_t(n) - 1 : 0;
}

std::uint32_t load_list_texture(const RtString& file) {
    DecodedImage image;
    std::uint32_t name = 0;
    if (DecodeImage(file, kTransparencyKey, image) && image.width > 0 && image.height > 0)
        renderer().MakeTexture(image, 0, 0, 0, 0, &name, nullptr, false);
    return name;
}

double load_scene_list(ModelSlot& slot, const RtString& file) {
    slot.loaded = true;
    slot.scene_list = true;
    IniStore ini;
    ini.load(file);
    const RtString dir = directory_of(file);
    const int textures = list_count(ini, "textures", file);
    for (int i = 1; i <= textures; ++i)
        slot.textures.push_back(load_list_texture(dir + ini.get("textures", RtString(i))));
    const int objects = list_count(ini, "objects", file);
    for (int i = 1; i <= objects; ++i) {
        auto mesh = std::make_unique<MeshObjectX>();
        LoadMesh(*mesh, (dir + ini.get("objects", RtString(i))).c_str(), false);
        mesh->texture_a = texture_key(ini, i, "ta");
        mesh->texture_b = texture_key(ini, i, "tb");
        finish_mesh(*mesh);
        slot.meshes.push_back(std::move(mesh));
    }
    return 1;
}

} // namespace

double LoadModel(const RtString& file, double slot_number) {
    Dedazoza3Z& scene = scene3d();
    ModelSlot* slot = scene.Slot(slot_number);
    RtString name = file;
    rt_slashes(name);
    if (!slot) {
        rt_log(RtString("scene3d: model slot out of range for ") + name);
        return 0;
    }
    // Read through the runtime's guard, so that a pipe or a directory named
    // as a model is refused at once (with a log entry) instead of waited on.
    // A missing model is logged too: the walls or blocks it draws would
    // otherwise vanish without a word.
    std::string bytes;
    const char* why = nullptr;
    if (!rt_read_data_file(name, "scene3d", &bytes, 256ull << 20, &why)) {
        if (why != nullptr && std::string(why) == "no such file")
            rt_log(RtString("scene3d: cannot open ") + name + ": no such file");
        return 0;
    }
    scene.EmptySlot(int(slot_number));
    if (bytes.compare(0, 4, ";DDW") == 0) return load_scene_list(*slot, name);
    auto mesh = std::make_unique<MeshObjectX>();
    const bool ok = LoadMesh(*mesh, name.c_str(), false);
    const bool drawable = ok && !mesh->frames.empty() && !mesh->frames[0].packed.empty();
    if (drawable) finish_mesh(*mesh);
    slot->meshes.push_back(std::move(mesh));
    slot->loaded = drawable;
    return drawable ? 1 : 0;
}
