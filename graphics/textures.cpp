// textures.cpp: sprite slots: loading images into power-of-two textures
// (with colour bleeding and an optional mipmap chain), grabbing the screen
// into a slot, releasing slots.
#include "graphics/clear_regions.h"
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"

#include <algorithm>
#include <vector>

namespace {

// Gives each transparent texel the average colour of its opaque neighbours,
// so linear filtering at picture edges does not pull in dark fringes. The
// buffer's outer rows and columns are never used as neighbours.
void bleed_colour(std::vector<std::uint8_t>& buf, int tw, int th) {
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            std::uint8_t* texel = &buf[(static_cast<std::size_t>(y) * tw + x) * 4];
            if (texel[3] != 0) continue;
            int sum[3] = {0, 0, 0};
            int count = 0;
            for (int ny = std::max(y - 1, 1); ny <= std::min(y + 1, th - 2); ++ny) {
                for (int nx = std::max(x - 1, 1); nx <= std::min(x + 1, tw - 2); ++nx) {
                    const std::uint8_t* n = &buf[(static_cast<std::size_t>(ny) * tw + nx) * 4];
                    if ((nx == x && ny == y) || n[3] == 0) continue;
                    sum[0] += n[0];
                    sum[1] += n[1];
                    sum[2] += n[2];
                    ++count;
                }
            }
            for (int c = 0; c < 3; ++c)
                texel[c] = static_cast<std::uint8_t>(count ? sum[c] / count : 0);
        }
    }
}

void upload_texture(GLuint* name, int tw, int th, const std::uint8_t* pixels, bool nearest) {
    if (*name) glDeleteTextures(1, name);
    glGenTextures(1, name);
    glBindTexture(GL_TEXTURE_2D, *name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

// Halves a level: each texel averages the up to four texels it covers.
std::vector<std::uint8_t> half_level(const std::vector<std::uint8_t>& src, int w, int h, int nw,
                                     int nh) {
    std::vector<std::uint8_t> dst(static_cast<std::size_t>(nw) * nh * 4);
    for (int y = 0; y < nh; ++y) {
        for (int x = 0; x < nw; ++x) {
            int sum[4] = {0, 0, 0, 0}, count = 0;
            for (int sy = y * 2; sy < std::min(y * 2 + 2, h); ++sy)
                for (int sx = x * 2; sx < std::min(x * 2 + 2, w); ++sx, ++count)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += src[(static_cast<std::size_t>(sy) * w + sx) * 4 + c];
            for (int c = 0; c < 4; ++c)
                dst[(static_cast<std::size_t>(y) * nw + x) * 4 + c] =
                    static_cast<std::uint8_t>(sum[c] / count);
        }
    }
    return dst;
}

void upload_mip_texture(GLuint* name, int tw, int th, std::vector<std::uint8_t> level) {
    if (*name) glDeleteTextures(1, name);
    glGenTextures(1, name);
    glBindTexture(GL_TEXTURE_2D, *name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    int w = tw, h = th, index = 0;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
    while (w > 1 || h > 1) {
        int nw = std::max(w / 2, 1), nh = std::max(h / 2, 1);
        level = half_level(level, w, h, nw, nh);
        w = nw;
        h = nh;
        glTexImage2D(GL_TEXTURE_2D, ++index, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     level.data());
    }
}

void delete_texture(std::uint32_t& name) {
    if (name) {
        GLuint n = name;
        glDeleteTextures(1, &n);
    }
    name = 0;
}

// Pictures large enough to be worth it (a full-screen frame, a logo) have
// their big fully transparent rectangles noted, so stretching them draws
// only the rest. Smaller clear patches are not worth the extra draws.
void record_clear_regions(int slot, const DecodedImage& image) {
    constexpr int kMinPixels = 64 * 64, kMaxRegions = 4;
    const int area = image.width * image.height;
    if (area < kMinPixels) return;
    set_slot_clear_regions(slot,
                           find_clear_regions(image, kMaxRegions, std::max(kMinPixels, area / 16)));
}

} // namespace

bool ZiriZUDoriravu::MakeTexture(const DecodedImage& image, int x, int y, int w, int h,
                                 std::uint32_t* texture, std::uint32_t* mip_texture, bool font) {
    if (!ready) return false; // no GL context to hold the texture
    if (w == 0) w = image.width - x;
    if (h == 0) h = image.height - y;
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
    w = std::min(w, static_cast<int>(max_size));
    h = std::min(h, static_cast<int>(max_size));
    if (w < 1 || h < 1) return false;
    int tw = graphics_pow2_at_least(w, 2), th = graphics_pow2_at_least(h, 2);
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(tw) * th * 4, 0);
    // The picture's top row goes to buffer row h - 1, so texture coordinate
    // (0, 0) is its bottom-left corner. Only pixels inside the image are read.
    for (int r = 0; r < h; ++r) {
        int sy = y + r;
        if (sy < 0 || sy >= image.height) continue;
        for (int c = 0; c < w; ++c) {
            int sx = x + c;
            if (sx < 0 || sx >= image.width) continue;
            const std::uint8_t* src =
                &image.pixels[(static_cast<std::size_t>(sy) * image.width + sx) * 4];
            std::copy(src, src + 4, &buf[(static_cast<std::size_t>(h - 1 - r) * tw + c) * 4]);
        }
    }
    if (!font) bleed_colour(buf, tw, th);
    GLuint name = *texture;
    upload_texture(&name, tw, th, buf.data(), font);
    *texture = name;
    if (mip_texture) {
        GLuint mip = *mip_texture;
        upload_mip_texture(&mip, tw, th, std::move(buf));
        *mip_texture = mip;
    }
    return true;
}

void ZiriZUDoriravu::ReleaseSlot(int slot) {
    if (!graphics_valid_slot(slot)) return;
    SpriteSlot& s = slots[slot];
    if (ready) {
        delete_texture(s.texture);
        delete_texture(s.mip_texture);
    }
    s.texture_width = -1;
    s.texture_height = -1;
    s.texel_scale = 1;
    set_slot_clear_regions(slot, {});
}

bool ZiriZUDoriravu::LoadSprite(const RtString& file, int slot, std::uint32_t key) {
    if (!graphics_valid_slot(slot) || !rt_file_exists(file)) return false;
    ReleaseSlot(slot);
    DecodedImage image;
    if (!DecodeImage(file, key, image) || image.width < 1 || image.height < 1) {
        rt_log(RtString("graphics: cannot decode ") + file);
        return false;
    }
    SpriteSlot& s = slots[slot];
    bool font = slot >= kFontSlotBase;
    if (!MakeTexture(image, 0, 0, 0, 0, &s.texture, font ? nullptr : &s.mip_texture, font))
        return false;
    s.texture_width = graphics_pow2_at_least(image.width, 2);
    s.texture_height = graphics_pow2_at_least(image.height, 2);
    s.image_width = image.width;
    s.image_height = image.height;
    if (!font) record_clear_regions(slot, image);
    return true;
}

// The grab takes the drawable pixels the picture rectangle covers, so a
// picture shown scaled up keeps its detail in the sprite.
void ZiriZUDoriravu::GrabSprite(int slot, int x, int y, int w, int h) {
    if (!ready || !graphics_valid_slot(slot) || w < 1 || h < 1) return;
    int box[4];
    PictureToDrawable(x, y, w, h, box);
    if (box[2] < 1 || box[3] < 1) return;
    SpriteSlot& s = slots[slot];
    int tw = graphics_pow2_at_least(box[2], 32), th = graphics_pow2_at_least(box[3], 32);
    if (s.texture == 0 || s.texture_width != tw || s.texture_height != th) {
        delete_texture(s.texture);
        delete_texture(s.mip_texture);
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        s.texture = name;
    }
    delete_texture(s.mip_texture);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, box[0], box[1], box[2], box[3]);
    s.texture_width = tw;
    s.texture_height = th;
    s.image_width = w;
    s.image_height = h;
    s.texel_scale = static_cast<float>(box[2]) / static_cast<float>(w);
    set_slot_clear_regions(slot, {}); // nothing is known of the screen's pixels
}

void ZiriZUDoriravu::ReleaseAllTextures() {
    for (int slot = 0; slot < kSpriteSlotCount; ++slot)
        if (slots[slot].texture || slots[slot].mip_texture) ReleaseSlot(slot);
}
