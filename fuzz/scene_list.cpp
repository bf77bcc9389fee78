// scene_list.cpp (fuzz): any file given to LoadModel: ";DDW" scene lists
// naming textures and meshes beside them, or a mesh file of either form.
#include "fuzz_support.h"
#include "scene3d/scene3d.h"

#include <cstring>

namespace {

// A mesh and two pictures in the scratch directory for lists to name.
void write_neighbours() {
    static const char kMesh[] =
        "DDDA 1.0\n0\n1\n255 0 0 3 0 0 1 0 2 0\n1\n3\n0 0 0\n1 0 0\n0 1 0\n";
    fuzz::write_input("a.ddd", reinterpret_cast<const std::uint8_t*>(kMesh), std::strlen(kMesh));
    DecodedImage image;
    image.width = image.height = 2;
    image.pixels.assign(16, 200);
    WritePng(RtString::from_std(fuzz::scratch_dir() + "b.png"), image);
    // A 1 x 1 BMP of 24 bits per pixel.
    std::uint8_t bmp[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0, 0, 0, 1,
                            0,   0,   0,  1, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  4, 0, 0, 0};
    bmp[54] = 10, bmp[55] = 20, bmp[56] = 30;
    fuzz::write_input("c.bmp", bmp, sizeof bmp);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (write_neighbours(), true);
    (void)ready;
    const std::string path = fuzz::write_input("list.ddw", data, size);
    LoadModel(RtString::from_std(path), 7);
    scene3d().EmptySlot(7);
    fuzz::trim_log();
    return 0;
}
