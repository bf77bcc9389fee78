// font.cpp: bitmap fonts in the 16 font slots and fixed-width text output.
//
// A font image holds 16 glyph columns: 8 rows (characters 0..127) when it is
// at least as wide as high, else 16 rows (characters 0..255).
#include "graphics/builtin_font.h"
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"

#include <cmath>

namespace {

void make_builtin_font(ZiriZUDoriravu& r, int slot) {
    r.ReleaseSlot(slot);
    DecodedImage image;
    builtin_font_image(image);
    SpriteSlot& s = r.slots[slot];
    if (!r.MakeTexture(image, 0, 0, 0, 0, &s.texture, nullptr, true)) return;
    s.texture_width = image.width;
    s.texture_height = image.height;
    s.image_width = image.width;
    s.image_height = image.height;
}

int font_number(double n) {
    if (!(n > 0)) return 0; // negative numbers and NaN
    return n >= kFontSlotCount - 1 ? kFontSlotCount - 1 : static_cast<int>(n);
}

} // namespace

void LoadFont(const RtString& file, double n) {
    int font = font_number(n);
    engine().current_font = font;
    int slot = kFontSlotBase + font;
    ZiriZUDoriravu& r = renderer();
    if (file.empty() || !rt_file_exists(file)) {
        make_builtin_font(r, slot);
        return;
    }
    // Black is the transparent colour of font files. A damaged file is no
    // reason to end the game: text stays readable in the built-in font.
    if (!r.LoadSprite(file, slot, 0)) {
        rt_log(RtString("font: cannot load ") + file + ", the built-in font is used");
        make_builtin_font(r, slot);
    }
}

void ZiriZUDoriravu::PrintText(const RtString& text, float x, float y, float z) {
    int slot = kFontSlotBase + engine().current_font;
    const SpriteSlot& s = slots[slot];
    if (s.texture_width <= 0 || text.empty()) return;
    int w = s.image_width, h = s.image_height;
    int rows = w >= h ? 8 : 16;
    float gw = static_cast<float>(w / 16), gh = static_cast<float>(h / rows);
    float du = static_cast<float>(w) / s.texture_width / 16;
    float dv = static_cast<float>(h) / s.texture_height / rows;
    int count = 16 * rows;
    x = std::ceil(x);
    y = std::ceil(y);
    BindSlotTextures(slot, -1, 0);
    glBegin(GL_QUADS);
    for (std::uint32_t i = 0; i < text.length(); ++i, x += gw) {
        int code = static_cast<unsigned char>(text.c_str()[i]) % count;
        float us = du * (code % 16), vs = dv * (rows - 1 - code / 16);
        glTexCoord2f(us, vs);
        glVertex3f(x, -y - gh, z);
        glTexCoord2f(us + du, vs);
        glVertex3f(x + gw, -y - gh, z);
        glTexCoord2f(us + du, vs + dv);
        glVertex3f(x + gw, -y, z);
        glTexCoord2f(us, vs + dv);
        glVertex3f(x, -y, z);
    }
    glEnd();
}

void Print(const RtString& text, double x, double y) {
    renderer().PrintText(text, static_cast<float>(x), static_cast<float>(y), 0);
}

// The height is always image height / 8, also for 16-row fonts.
void GetFontSize(double* width, double* height) {
    const SpriteSlot& s = renderer().slots[kFontSlotBase + engine().current_font];
    *width = s.texture_width > 0 ? s.image_width / 16 : 0;
    *height = s.texture_width > 0 ? s.image_height / 8 : 0;
}
