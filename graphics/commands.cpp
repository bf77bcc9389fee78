// commands.cpp: the game's drawing commands (numbers in, converted and passed
// to the renderer) and screen capture.
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"
#include "platform/plat_video.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Truncates toward zero, saturating at the int range; NaN gives 0.
int to_int(double v) {
    if (!(v == v)) return 0;
    if (v >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// Slot numbers outside the table name no slot (-1 draws nothing).
int to_slot(double v) {
    int slot = to_int(v);
    return graphics_valid_slot(slot) ? slot : -1;
}

std::uint32_t to_colour(double v) {
    if (!(v >= 0) || v > 4294967295.0) return static_cast<std::uint32_t>(to_int(v));
    return static_cast<std::uint32_t>(v);
}

} // namespace

double LoadSprite(const RtString& file, double slot) {
    int s = to_slot(slot);
    return s >= 0 && renderer().LoadSprite(file, s) ? 1 : 0;
}

void DrawSprite(double slot, double x, double y) {
    renderer().DrawSprite(to_slot(slot), static_cast<float>(x), static_cast<float>(y));
}

void StretchSprite(double slot, double x, double y, double width, double height) {
    renderer().StretchSprite(to_slot(slot), static_cast<float>(x), static_cast<float>(y),
                             static_cast<float>(width), static_cast<float>(height));
}

void GrabSprite(double slot, double x, double y, double width, double height) {
    int s = to_slot(slot);
    if (s >= 0) renderer().GrabSprite(s, to_int(x), to_int(y), to_int(width), to_int(height));
}

void DrawLine(double x1, double y1, double x2, double y2, double colour) {
    renderer().DrawLine(to_int(x1), to_int(y1), to_int(x2), to_int(y2), to_colour(colour));
}

void FillRect(double x1, double y1, double x2, double y2, double colour) {
    renderer().FillRect(to_int(x1), to_int(y1), to_int(x2), to_int(y2), to_colour(colour));
}

void SetAlphaMode(double mode) {
    renderer().SetAlphaMode(static_cast<float>(mode));
}
void ClearScreen() {
    renderer().ClearScreen();
}

void SetViewport(double x, double y, double width, double height) {
    renderer().SetViewport(to_int(x), to_int(y), to_int(width), to_int(height));
}

void GetScreenSize(double* width, double* height) {
    int w = 0, h = 0;
    renderer().GetScreenSize(&w, &h);
    *width = w;
    *height = h;
}

void PolyBegin(double slot) {
    int s = to_int(slot);
    renderer().PolyBegin(s < 0 ? -1 : to_slot(slot));
}

void PolyVertex(double x, double y, double tx, double ty, double colour) {
    renderer().PolyVertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(tx),
                          static_cast<float>(ty), to_colour(colour));
}

void PolyEnd() {
    renderer().PolyEnd();
}

namespace {

// Reads drawable pixels (GL's lower-left x, y) as RGBA, first row = top.
void read_drawable(int x, int y, int width, int height, std::vector<std::uint8_t>& out) {
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    out.resize(raw.size());
    // GL rows run bottom-up; the image starts with the top row.
    std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
    for (int row = 0; row < height; ++row)
        std::copy_n(&raw[(static_cast<std::size_t>(height - 1 - row)) * row_bytes], row_bytes,
                    &out[static_cast<std::size_t>(row) * row_bytes]);
}

} // namespace

bool ReadScreenPixels(int x, int y, int width, int height, DecodedImage& out) {
    const ZiriZUDoriravu& r = renderer();
    if (!r.ready || width < 1 || height < 1) return false;
    int box[4];
    r.PictureToDrawable(x, y, width, height, box);
    out.width = width;
    out.height = height;
    if (box[2] == width && box[3] == height) {
        read_drawable(box[0], box[1], width, height, out.pixels);
        return true;
    }
    // Scaled: each picture pixel reads the drawable pixel at its centre.
    std::vector<std::uint8_t> shown;
    const int bw = std::max(box[2], 1), bh = std::max(box[3], 1);
    read_drawable(box[0], box[1], bw, bh, shown);
    out.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    for (int row = 0; row < height; ++row) {
        const int sy = std::min(static_cast<int>((row + 0.5) * bh / height), bh - 1);
        for (int col = 0; col < width; ++col) {
            const int sx = std::min(static_cast<int>((col + 0.5) * bw / width), bw - 1);
            std::copy_n(&shown[(static_cast<std::size_t>(sy) * bw + sx) * 4], 4,
                        &out.pixels[(static_cast<std::size_t>(row) * width + col) * 4]);
        }
    }
    return true;
}

bool ReadWindowPixels(DecodedImage& out) {
    const ZiriZUDoriravu& r = renderer();
    int w = 0, h = 0;
    plat_video_client_size(&w, &h);
    if (!r.ready || w < 1 || h < 1) return false;
    out.width = w;
    out.height = h;
    read_drawable(0, 0, w, h, out.pixels);
    return true;
}

bool SaveScreenshot(const RtString& png_path) {
    DecodedImage image;
    if (!ReadWindowPixels(image)) return false;
    // The frame is opaque; the back buffer's alpha is whatever blending left.
    for (std::size_t i = 3; i < image.pixels.size(); i += 4)
        image.pixels[i] = 255;
    return WritePng(png_path, image);
}
