// image.h: an RGBA picture with the few drawing operations the generator
// needs, and writers for PNG (through libpng) and 24-bit BMP.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

class Image {
  public:
    Image(int width, int height, Rgba fill = {});
    int width() const { return width_; }
    int height() const { return height_; }
    Rgba get(int x, int y) const;
    void set(int x, int y, Rgba c);
    // Mixes `c` over the pixel by coverage 0..1 (alpha included).
    void blend(int x, int y, Rgba c, double coverage);
    void fill_rect(int x0, int y0, int x1, int y1, Rgba c); // x1, y1 exclusive
    // Anti-aliased disc and ellipse, by coverage of the edge pixel.
    void fill_ellipse(double cx, double cy, double rx, double ry, Rgba c);
    // Anti-aliased thick arc of an ellipse from angle a0 to a1 (radians, 0 = right, clockwise on
    // screen).
    void stroke_arc(double cx, double cy, double rx, double ry, double a0, double a1, double width,
                    Rgba c);

  private:
    int width_, height_;
    std::vector<Rgba> pixels_;
};

Rgba mix(Rgba a, Rgba b, double t);

// PNG with (alpha) or without an alpha channel.
bool write_png(const Image& image, const std::string& path, bool alpha);
// 24-bit BMP, rows bottom-up; alpha is dropped.
bool write_bmp(const Image& image, const std::string& path);
