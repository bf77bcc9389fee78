// title_images.cpp: the lens added over each title thumbnail and the title logo.
#include "glyphs.h"
#include "image.h"
#include "overlays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr Rgba kKey{255, 0, 128, 255}; // transparent in a loaded sprite

// The lens is added to the picture below it, so black leaves it unchanged
// and everything else brightens: a soft glint at the upper left and a rim.
Image lens() {
    constexpr int N = 256;
    Image img(N, N, {0, 0, 0, 255});
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            const double u = (x + 0.5) / N, v = (y + 0.5) / N;
            // A diagonal sheen fading out towards the middle.
            const double diag = u + v;
            double glow = diag < 0.9 ? 55 * std::pow(1 - diag / 0.9, 1.5) : 0;
            // A thin bright rim just inside the edge.
            const double edge = std::min({u, v, 1 - u, 1 - v}) * N;
            glow += edge < 3 ? 90 : edge < 6 ? 35 * (6 - edge) / 3 : 0;
            const auto g = static_cast<uint8_t>(std::min(255.0, glow));
            img.set(x, y, {g, g, static_cast<uint8_t>(std::min(255.0, glow * 1.1)), 255});
        }
    return img;
}

// Keeps only the clearly covered pixels and puts the transparency key everywhere
// else: a BMP has no alpha, and half-blended edges would show as pink fringes.
void flatten_on_key(Image& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            Rgba p = img.get(x, y);
            if (p.a < 128)
                p = kKey;
            else if (p.r == kKey.r && p.g == kKey.g && p.b == kKey.b)
                p.b = 127;
            p.a = 255;
            img.set(x, y, p);
        }
}

void draw_tomato(Image& img, double cx, double cy, double r) {
    img.fill_ellipse(cx, cy, r + 3, r * 0.85 + 3, {90, 10, 5, 255});
    img.fill_ellipse(cx, cy, r, r * 0.85, {230, 45, 30, 255});
    img.fill_ellipse(cx - r * 0.35, cy - r * 0.3, r * 0.25, r * 0.15, {255, 170, 150, 255});
    for (int i = 0; i < 5; ++i) {
        const double a = -1.5708 + i * 1.2566;
        img.fill_ellipse(cx + std::cos(a) * r * 0.25, cy - r * 0.8 + std::sin(a) * r * 0.12,
                         r * 0.22, r * 0.09, {40, 140, 30, 255});
    }
}

void draw_pepper(Image& img, double cx, double cy, double r) {
    img.fill_ellipse(cx, cy, r * 0.85 + 3, r + 3, {90, 10, 5, 255});
    for (double dx : {-0.35, 0.35})
        img.fill_ellipse(cx + dx * r, cy + 0.1 * r, r * 0.5, r * 0.9, {200, 25, 15, 255});
    img.fill_ellipse(cx, cy, r * 0.55, r, {215, 30, 20, 255});
    img.fill_ellipse(cx - r * 0.4, cy - r * 0.3, r * 0.12, r * 0.3, {255, 150, 130, 255});
    img.fill_rect(static_cast<int>(cx - r * 0.08), static_cast<int>(cy - r * 1.35),
                  static_cast<int>(cx + r * 0.08), static_cast<int>(cy - r * 0.8),
                  {40, 140, 30, 255});
    img.fill_ellipse(cx, cy - r * 0.85, r * 0.4, r * 0.12, {40, 140, 30, 255});
}

Image logo() {
    Image img(512, 192, {0, 0, 0, 0});
    TextStyle shadow;
    shadow.scale_x = 5;
    shadow.scale_y = 8;
    shadow.fill = shadow.fill_bottom = shadow.outline = {40, 60, 30, 255};
    shadow.outline_width = 4;
    TextStyle title = shadow;
    title.fill = {255, 230, 60, 255};
    title.fill_bottom = {240, 110, 20, 255};
    title.outline = {30, 90, 20, 255};
    const std::string text = "Cropstack";
    const int x = (img.width() - text_width(text, title)) / 2, y = 52;
    draw_text(img, x + 5, y + 6, text, shadow);
    draw_text(img, x, y, text, title);
    draw_tomato(img, 38, 124, 26);
    draw_pepper(img, 474, 118, 28);
    flatten_on_key(img);
    return img;
}

bool save_bmp(const Image& img, const std::string& dir, const char* file) {
    if (write_bmp(img, dir + "/" + file)) return true;
    std::fprintf(stderr, "assetgen: cannot write %s\n", file);
    return false;
}

} // namespace

bool write_lens(const std::string& dir) {
    return save_bmp(lens(), dir, "lens.bmp");
}

bool write_logo(const std::string& dir) {
    return save_bmp(logo(), dir, "logo.bmp");
}
