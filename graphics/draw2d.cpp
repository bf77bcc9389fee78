// draw2d.cpp: immediate-mode 2D drawing: sprites, lines, rectangles and
// vertex-coloured polygons. A 2D point (x, y) is drawn at GL (x, -y).
#include "graphics/clear_regions.h"
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"

#include <algorithm>
#include <cmath>

namespace {

bool slot_loaded(const ZiriZUDoriravu& r, int slot) {
    return graphics_valid_slot(slot) && r.slots[slot].texture_width > 0;
}

void textured_quad(float x, float y, float w, float h, float u, float v) {
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0, 0);
    glVertex2f(x, -y - h);
    glTexCoord2f(u, 0);
    glVertex2f(x + w, -y - h);
    glTexCoord2f(u, v);
    glVertex2f(x + w, -y);
    glTexCoord2f(0, v);
    glVertex2f(x, -y);
    glEnd();
}

// The parts of the viewport a quad of `slot` at whole pixels (x, y, w, h)
// must still touch: the visible quad without the pixels that sample only
// the slot's clear regions. False when nothing can be left out.
bool parts_to_draw(const ZiriZUDoriravu& r, int slot, float x, float y, float w, float h,
                   std::vector<ClearRect>& parts) {
    const std::vector<ClearRect>& clear = slot_clear_regions(slot);
    constexpr float kLimit = 1 << 20; // keeps every edge an int
    if (clear.empty() || !r.matrices_2d || !(w > 0 && h > 0)) return false;
    if (!(std::fabs(x) < kLimit && std::fabs(y) < kLimit && w < kLimit && h < kLimit)) return false;
    const ClearRect quad{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
                         static_cast<int>(y + h)};
    const ClearRect visible{std::max(quad.left, 0), std::max(quad.top, 0),
                            std::min(quad.right, static_cast<int>(r.viewport_width)),
                            std::min(quad.bottom, static_cast<int>(r.viewport_height))};
    const SpriteSlot& s = r.slots[slot];
    std::vector<ClearRect> skipped;
    for (const ClearRect& c : clear)
        skipped.push_back(skipped_pixels(c, s.image_width, s.image_height, quad));
    parts = subtract_rects(visible, skipped);
    return true;
}

// Draws the slot's quad; where the slot has clear regions, the same quad is
// drawn once per part through a scissor box instead, so every pixel drawn
// samples exactly as in one draw and the fully transparent pixels, which
// the alpha test would discard, are never filled at all.
void slot_quad(const ZiriZUDoriravu& r, int slot, float x, float y, float w, float h, float u,
               float v) {
    std::vector<ClearRect> parts;
    if (!parts_to_draw(r, slot, x, y, w, h, parts)) {
        textured_quad(x, y, w, h, u, v);
        return;
    }
    glEnable(GL_SCISSOR_TEST);
    for (const ClearRect& p : parts) {
        int box[4];
        r.PictureToDrawable(r.viewport_x + p.left, r.viewport_y + p.top, p.right - p.left,
                            p.bottom - p.top, box);
        glScissor(box[0], box[1], box[2], box[3]);
        textured_quad(x, y, w, h, u, v);
    }
    glDisable(GL_SCISSOR_TEST);
}

// Sets up flat-coloured, untextured drawing for lines and rectangles, with
// the projection nudged by 3/8 of a drawable pixel so edges rasterise
// pixel-exactly at any scale of the picture.
void begin_flat(ZiriZUDoriravu& r, std::uint32_t colour, int saved[3],
                const std::uint32_t** saved_table) {
    glDisable(GL_ALPHA_TEST);
    float a = r.current_alpha;
    GLubyte alpha = colour == kTransparencyKey ? 0 : static_cast<GLubyte>(a * 255);
    glColor4ub(static_cast<GLubyte>((colour & 0xff) * a),
               static_cast<GLubyte>(((colour >> 8) & 0xff) * a),
               static_cast<GLubyte>(((colour >> 16) & 0xff) * a), alpha);
    saved[0] = r.bound_slot;
    saved[1] = r.bound_second_slot;
    saved[2] = r.bound_use_mip;
    *saved_table = r.bound_name_table;
    r.BindSlotTextures(-1, -1, 0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    const float nudge = static_cast<float>(0.375 / r.picture_scale);
    glTranslatef(nudge, nudge, 0);
    glMatrixMode(GL_MODELVIEW);
}

void end_flat(ZiriZUDoriravu& r, const int saved[3], const std::uint32_t* saved_table) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    float a = r.current_alpha;
    glColor4f(a, a, a, a);
    r.BindSlotTextures(saved[0], saved[1], saved[2], saved_table);
    glEnable(GL_ALPHA_TEST);
}

} // namespace

void ZiriZUDoriravu::DrawSprite(int slot, float x, float y) {
    if (!slot_loaded(*this, slot)) return;
    const SpriteSlot& s = slots[slot];
    BindSlotTextures(slot, -1, 0);
    float w = static_cast<float>(s.image_width), h = static_cast<float>(s.image_height);
    slot_quad(*this, slot, std::ceil(x), std::ceil(y), w, h, w * s.texel_scale / s.texture_width,
              h * s.texel_scale / s.texture_height);
}

void ZiriZUDoriravu::StretchSprite(int slot, float x, float y, float w, float h) {
    if (!slot_loaded(*this, slot)) return;
    const SpriteSlot& s = slots[slot];
    BindSlotTextures(slot, -1, 0);
    slot_quad(*this, slot, std::ceil(x), std::ceil(y), std::ceil(w), std::ceil(h),
              s.image_width * s.texel_scale / s.texture_width,
              s.image_height * s.texel_scale / s.texture_height);
}

void ZiriZUDoriravu::DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    int saved[3];
    const std::uint32_t* table = nullptr;
    begin_flat(*this, colour, saved, &table);
    float ex = static_cast<float>(x2), ey = -static_cast<float>(y2 + 1);
    // A line stays one picture pixel wide when the picture is scaled up.
    const float thickness = static_cast<float>(std::max(1.0, std::round(picture_scale)));
    glLineWidth(thickness);
    glPointSize(thickness);
    glBegin(GL_LINES);
    glVertex2f(static_cast<float>(x1), -static_cast<float>(y1 + 1));
    glVertex2f(ex, ey);
    glEnd();
    // Lines leave out their last pixel; the point puts it in.
    glBegin(GL_POINTS);
    glVertex2f(ex, ey);
    glEnd();
    glLineWidth(1);
    glPointSize(1);
    end_flat(*this, saved, table);
}

// Both corners are included whatever order they come in: the coordinates
// are sorted first, so the quad always faces the viewer and is not culled.
void ZiriZUDoriravu::FillRect(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    int left = std::min(x1, x2), right = std::max(x1, x2) + 1;
    int top = std::min(y1, y2), bottom = std::max(y1, y2) + 1;
    int saved[3];
    const std::uint32_t* table = nullptr;
    begin_flat(*this, colour, saved, &table);
    glBegin(GL_QUADS);
    glVertex2f(static_cast<float>(left), -static_cast<float>(bottom));
    glVertex2f(static_cast<float>(right), -static_cast<float>(bottom));
    glVertex2f(static_cast<float>(right), -static_cast<float>(top));
    glVertex2f(static_cast<float>(left), -static_cast<float>(top));
    glEnd();
    end_flat(*this, saved, table);
}

void ZiriZUDoriravu::PolyBegin(int slot) {
    poly_slot = slot;
    if (poly_vertices.size() < 8) poly_vertices.resize(8);
    poly_count = 0;
}

void ZiriZUDoriravu::PolyVertex(float x, float y, float tx, float ty, std::uint32_t colour) {
    if (poly_count >= poly_vertices.size())
        poly_vertices.resize(poly_vertices.empty() ? 512 : poly_vertices.size() + 128);
    PolyVertexData& v = poly_vertices[poly_count++];
    v.x = x;
    v.y = -y;
    v.u = v.v = 0;
    if (poly_slot >= 0 && slot_loaded(*this, poly_slot)) {
        const SpriteSlot& s = slots[poly_slot];
        v.u = tx * s.texel_scale / s.texture_width;
        v.v = (s.image_height - ty) * s.texel_scale / s.texture_height;
    }
    float a = current_alpha;
    v.r = (colour & 0xff) / 255.0f * a;
    v.g = ((colour >> 8) & 0xff) / 255.0f * a;
    v.b = ((colour >> 16) & 0xff) / 255.0f * a;
    v.a = colour == kTransparencyKey ? 0.0f : 1.0f;
}

void ZiriZUDoriravu::PolyEnd() {
    BindSlotTextures(poly_slot, -1, 0);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    if (poly_count > 0) {
        const PolyVertexData* base = poly_vertices.data();
        GLsizei stride = sizeof(PolyVertexData);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, stride, &base->x);
        if (poly_slot >= 0) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, stride, &base->u);
        }
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, stride, &base->r);
        glDrawArrays(GL_TRIANGLE_FAN, 0, static_cast<GLsizei>(poly_count));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    float a = current_alpha;
    glColor4f(a, a, a, a);
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_MATERIAL);
}
