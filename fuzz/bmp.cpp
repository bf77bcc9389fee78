// bmp.cpp (fuzz): the BMP decoder on any file.
#include "fuzz_support.h"
#include "graphics/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::write_input("image.bmp", data, size);
    DecodedImage image;
    if (DecodeBmp(RtString::from_std(path), 0xFF00FF, image) &&
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        __builtin_trap();
    fuzz::trim_log();
    return 0;
}
