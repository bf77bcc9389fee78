// cropstack-icongen: draws the game's desktop icon, a tomato sitting on a
// pushable block on a patch of floor, at every size asked for.
//
//   cropstack-icongen <directory> <size>...   writes <directory>/<size>/cropstack.png
#include "image.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr Rgba kFloor{118, 178, 72, 255};
constexpr Rgba kFloorEdge{78, 128, 48, 255};
constexpr Rgba kBlockTop{226, 168, 92, 255};
constexpr Rgba kBlockSide{176, 116, 58, 255};
constexpr Rgba kTomato{222, 44, 36, 255};
constexpr Rgba kShine{255, 170, 150, 255};
constexpr Rgba kLeaf{40, 140, 30, 255};

// Everything is laid out on a 64-unit grid and scaled, so every size shows
// the same picture rather than a resampled one.
Image draw_icon(int size) {
    const double u = size / 64.0;
    Image img(size, size, Rgba{0, 0, 0, 0});
    auto rect = [&](double x0, double y0, double x1, double y1, Rgba c) {
        img.fill_rect(int(x0 * u), int(y0 * u), int(x1 * u), int(y1 * u), c);
    };
    rect(4, 40, 60, 60, kFloorEdge); // the floor patch, seen from slightly above
    rect(4, 38, 60, 56, kFloor);
    rect(14, 30, 50, 50, kBlockSide); // the block's front face
    rect(14, 24, 50, 32, kBlockTop);
    img.fill_ellipse(32 * u, 17 * u, 14 * u, 12 * u, kTomato);
    img.fill_ellipse(27 * u, 13 * u, 4 * u, 3 * u, kShine);
    img.fill_ellipse(29 * u, 5 * u, 5 * u, 2 * u, kLeaf);
    img.fill_ellipse(36 * u, 5 * u, 5 * u, 2 * u, kLeaf);
    img.stroke_arc(32 * u, 9 * u, 3 * u, 6 * u, -2.6, -1.6, 2 * u, kLeaf); // the stem
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: cropstack-icongen <directory> <size>...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "cropstack-icongen: size %s is not 16 to 1024\n", argv[i]);
            return 2;
        }
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / std::to_string(size);
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        const std::string file = (dir / "cropstack.png").string();
        if (!write_png(draw_icon(size), file, true)) {
            std::fprintf(stderr, "cropstack-icongen: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
