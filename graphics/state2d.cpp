// state2d.cpp: the 2D default GL state, texture binding and alpha modes.
#include "graphics/gl_ext.h"
#include "graphics/graphics.h"
#include "graphics/graphics_local.h"

void graphics_default_2d_state() {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.15f);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glShadeModel(GL_FLAT);
    const GLenum off[] = {GL_DITHER,
                          GL_FOG,
                          GL_LINE_SMOOTH,
                          GL_POINT_SMOOTH,
                          GL_POLYGON_SMOOTH,
                          GL_STENCIL_TEST,
                          GL_POLYGON_OFFSET_POINT,
                          GL_COLOR_MATERIAL,
                          GL_AUTO_NORMAL,
                          GL_RESCALE_NORMAL,
                          GL_LIGHTING};
    for (GLenum cap : off)
        glDisable(cap);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
}

int graphics_pow2_at_least(int n, int minimum) {
    int size = minimum;
    while (size < n && size < (1 << 30))
        size <<= 1;
    return size;
}

namespace {

GLuint slot_texture_name(const ZiriZUDoriravu& r, int slot, int use_mip,
                         const std::uint32_t* table) {
    if (table) return table[slot];
    if (!graphics_valid_slot(slot)) return 0;
    return use_mip ? r.slots[slot].mip_texture : r.slots[slot].texture;
}

} // namespace

void ZiriZUDoriravu::BindSlotTextures(int slot, int second_slot, int use_mip,
                                      const std::uint32_t* name_table) {
    bound_slot = slot;
    bound_second_slot = second_slot;
    bound_use_mip = use_mip;
    bound_name_table = name_table;
    GlExtensions& ext = gl_ext();
    if (!ext.multitexture()) {
        if (slot < 0) {
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_COLOR_MATERIAL);
        } else {
            glBindTexture(GL_TEXTURE_2D, slot_texture_name(*this, slot, use_mip, name_table));
            glEnable(GL_TEXTURE_2D);
        }
        return;
    }
    ext.glActiveTextureARB(GL_TEXTURE1_ARB);
    if (slot >= 0 && second_slot >= 0) {
        glBindTexture(GL_TEXTURE_2D, slot_texture_name(*this, slot, use_mip, name_table));
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    ext.glActiveTextureARB(GL_TEXTURE0_ARB);
    if (slot < 0) {
        glDisable(GL_TEXTURE_2D);
        return;
    }
    int unit0 = second_slot >= 0 ? second_slot : slot;
    glBindTexture(GL_TEXTURE_2D, slot_texture_name(*this, unit0, use_mip, name_table));
    glEnable(GL_TEXTURE_2D);
}

// Mode 0: opaque. Positive: additive at strength `mode`. Negative: normal
// blending at opacity -mode. The strength is capped at 1 and also scales
// the colour, so additive sprites are darkened as well as faded.
void ZiriZUDoriravu::SetAlphaMode(float mode) {
    glEnable(GL_BLEND);
    float alpha = 1.0f;
    if (mode == 0) {
        glDisable(GL_BLEND);
    } else if (mode > 0) {
        glBlendFunc(GL_ONE, GL_ONE);
        alpha = mode;
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        alpha = -mode;
    }
    if (!(alpha <= 1.0f)) alpha = 1.0f;
    current_alpha = alpha;
    glColor4f(alpha, alpha, alpha, alpha);
}
