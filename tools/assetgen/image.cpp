// image.cpp: pixel drawing and the PNG and BMP writers.
#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

Image::Image(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

Rgba Image::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Image::set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

Rgba mix(Rgba a, Rgba b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](uint8_t p, uint8_t q) {
        return static_cast<uint8_t>(std::lround(p + (q - p) * t));
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

void Image::blend(int x, int y, Rgba c, double coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
    Rgba& dst = pixels_[static_cast<size_t>(y) * width_ + x];
    const double k = std::min(coverage, 1.0) * c.a / 255.0;
    Rgba src = c;
    src.a = 255;
    Rgba out = mix(dst, src, k);
    out.a = static_cast<uint8_t>(std::lround(dst.a + (255 - dst.a) * k));
    dst = out;
}

void Image::fill_rect(int x0, int y0, int x1, int y1, Rgba c) {
    for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width_, x1); ++x)
            set(x, y, c);
}

void Image::fill_ellipse(double cx, double cy, double rx, double ry, Rgba c) {
    for (int y = static_cast<int>(cy - ry) - 1; y <= static_cast<int>(cy + ry) + 1; ++y) {
        for (int x = static_cast<int>(cx - rx) - 1; x <= static_cast<int>(cx + rx) + 1; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            // Signed distance in pixels, roughly, from the edge.
            const double d = (std::sqrt(dx * dx + dy * dy) - 1) * std::min(rx, ry);
            blend(x, y, c, 0.5 - d);
        }
    }
}

void Image::stroke_arc(double cx, double cy, double rx, double ry, double a0, double a1,
                       double width, Rgba c) {
    const int steps = std::max(8, static_cast<int>(std::fabs(a1 - a0) * std::max(rx, ry)));
    for (int i = 0; i <= steps; ++i) {
        const double a = a0 + (a1 - a0) * i / steps;
        fill_ellipse(cx + rx * std::cos(a), cy + ry * std::sin(a), width / 2, width / 2, c);
    }
}

bool write_png(const Image& image, const std::string& path, bool alpha) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    const int channels = alpha ? 4 : 3;
    png_set_IHDR(png, info, image.width(), image.height(), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(image.width()) * channels);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba p = image.get(x, y);
            png_byte* out = &row[static_cast<size_t>(x) * channels];
            out[0] = p.r, out[1] = p.g, out[2] = p.b;
            if (alpha) out[3] = p.a;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

namespace {

void put_le(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

bool write_bmp(const Image& image, const std::string& path) {
    const uint32_t stride = (image.width() * 3 + 3) / 4 * 4;
    const uint32_t data_size = stride * image.height();
    std::vector<uint8_t> out;
    out.push_back('B'), out.push_back('M');
    put_le(out, 54 + data_size, 4);
    put_le(out, 0, 4);
    put_le(out, 54, 4); // pixel data offset
    put_le(out, 40, 4); // info header size
    put_le(out, image.width(), 4);
    put_le(out, image.height(), 4); // positive: rows stored bottom-up
    put_le(out, 1, 2);
    put_le(out, 24, 2);
    put_le(out, 0, 4); // no compression
    put_le(out, data_size, 4);
    put_le(out, 2835, 4), put_le(out, 2835, 4); // 72 dpi
    put_le(out, 0, 4), put_le(out, 0, 4);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba p = image.get(x, y);
            out.push_back(p.b), out.push_back(p.g), out.push_back(p.r);
        }
        for (uint32_t pad = image.width() * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}
