// textures.cpp: pepper, tomato and corn skins with their faces.
//
// The models wrap u once around the body with the face at u = 0.5 and run v
// from the top (0) to the bottom (1). A texel is much wider on the model than
// it is tall, so faces are drawn as tall ellipses to look round.
#include "textures.h"
#include "image.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int N = kTextureSize;
constexpr Rgba kLeaf{40, 140, 30, 255};
constexpr Rgba kBlack{20, 15, 15, 255};
constexpr Rgba kWhite{250, 250, 250, 255};

// Eyes and a smile centred on column N/2 at row `row`; `aspect` is how much
// taller than wide a texel's footprint must be drawn to look round.
void draw_face(Image& img, double row, double aspect, double size, Rgba cheeks) {
    const double cx = N / 2.0, gap = 9 * size, rx = 5 * size, ry = rx * aspect;
    for (double side : {-1.0, 1.0}) {
        img.fill_ellipse(cx + side * gap, row, rx + 1.2, ry + 1.2 * aspect, kBlack);
        img.fill_ellipse(cx + side * gap, row, rx, ry, kWhite);
        img.fill_ellipse(cx + side * gap + 0.8 * size, row + 0.25 * ry, rx * 0.55, ry * 0.55,
                         kBlack);
        img.fill_ellipse(cx + side * gap + 1.6 * size, row, rx * 0.2, ry * 0.2, kWhite);
        if (cheeks.a)
            img.fill_ellipse(cx + side * gap * 1.9, row + 1.3 * ry, rx * 0.9, ry * 0.5, cheeks);
    }
    img.stroke_arc(cx, row + 1.1 * ry, 8 * size, 6 * size * aspect / 2, 0.25 * kPi, 0.75 * kPi,
                   1.6 * size, kBlack);
}

// Vertical shading of lobes or ribs: darker furrows every 1/lobes of the way round.
double furrow(double u, int lobes, double phase) {
    return 0.5 + 0.5 * std::cos(2 * kPi * lobes * u + phase);
}

void paint_green_band(Image& img) {
    img.fill_rect(0, static_cast<int>(N * 0.95), N, N, kLeaf);
}

// The transparency key must never appear in a texture by accident.
void avoid_key(Image& img) {
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            Rgba p = img.get(x, y);
            if (p.r == 255 && p.g == 0 && p.b == 128) img.set(x, y, {254, 0, 128, 255});
        }
}

Image pepper() {
    Image img(N, N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const double u = (x + 0.5) / N, v = (y + 0.5) / N;
            const double shade = 0.75 + 0.25 * furrow(u, 4, kPi / 4) + 0.1 * std::sin(v * kPi);
            Rgba red{static_cast<uint8_t>(std::fmin(255, 205 * shade)),
                     static_cast<uint8_t>(22 * shade), static_cast<uint8_t>(14 * shade), 255};
            // The green cap round the stem, with a ragged lower edge.
            const double edge = 0.09 + 0.02 * std::sin(2 * kPi * 10 * u);
            img.set(x, y, v < edge ? mix(kLeaf, red, (v - edge + 0.02) / 0.02) : red);
        }
    draw_face(img, N * 0.32, 2.6, 1.6, {0, 0, 0, 0});
    paint_green_band(img);
    return img;
}

Image tomato() {
    Image img(N, N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const double u = (x + 0.5) / N, v = (y + 0.5) / N;
            const double shade = 0.85 + 0.15 * furrow(u, 6, 0) * std::sin(v * kPi);
            Rgba red{static_cast<uint8_t>(std::fmin(255, 235 * shade)),
                     static_cast<uint8_t>(50 * shade), static_cast<uint8_t>(30 * shade), 255};
            // A paler, yellowish ring where the calyx sat.
            img.set(x, y, v < 0.1 ? mix({230, 150, 40, 255}, red, v / 0.1) : red);
        }
    draw_face(img, N * 0.36, 3.4, 1.5, {255, 120, 120, 200});
    paint_green_band(img);
    return img;
}

Image corn() {
    Image img(N, N, {190, 140, 30, 255});
    constexpr int kColumns = 14, kRows = 20;
    const double cw = static_cast<double>(N) / kColumns, rh = N * 0.88 / kRows;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            // Alternate rows are offset by half a kernel, as on a real cob.
            const double cx = (c + 0.5 + (r % 2) * 0.5) * cw, cy = N * 0.02 + (r + 0.5) * rh;
            const Rgba kernel =
                mix({255, 225, 80, 255}, {245, 190, 40, 255}, (r * 7 + c * 3) % 5 / 4.0);
            for (double wrap : {0.0, -static_cast<double>(N)})
                img.fill_ellipse(cx + wrap, cy, cw * 0.42, rh * 0.45, kernel);
        }
    draw_face(img, N * 0.42, 2.0, 1.2, {0, 0, 0, 0});
    img.fill_rect(0, static_cast<int>(N * 0.9), N, N, kLeaf);
    return img;
}

} // namespace

bool write_textures(const std::string& dir) {
    struct Entry {
        const char* file;
        Image (*paint)();
    };
    bool ok = true;
    for (const Entry& e :
         {Entry{"pepper.png", pepper}, Entry{"tomato.png", tomato}, Entry{"corn.png", corn}}) {
        Image img = e.paint();
        avoid_key(img);
        if (!write_png(img, dir + "/" + e.file, false)) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", e.file);
            ok = false;
        }
    }
    return ok;
}
