// graphics_local.h: helpers shared by the files of the graphics folder only.
#pragma once

#include "graphics/graphics.h"

#include <cstdint>
#include <string>

// The GL state every 2D frame starts from (texturing on, depth test off,
// back faces culled, alpha test > 0.15, flat shading, white colour...).
void graphics_default_2d_state();
// Runs the 3D layer's hook that leaves its stencil-shadow pass, if any.
void graphics_leave_shadow_pass();

// Smallest power of two >= n, but at least `minimum`.
int graphics_pow2_at_least(int n, int minimum);
// True when `slot` indexes the slot table.
inline bool graphics_valid_slot(int slot) {
    return slot >= 0 && slot < kSpriteSlotCount;
}

// The largest picture a file may ask for: far beyond any of the game's
// textures, and small enough that a damaged header cannot claim gigabytes.
inline constexpr std::int64_t kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 24;
inline bool graphics_image_size_ok(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}
// Reads a picture file whole: only a plain file of at most kMaxImageFileBytes
// (a device or pipe given as a picture would never end).
inline constexpr std::uintmax_t kMaxImageFileBytes = std::uintmax_t(128) << 20;
bool graphics_read_image_file(const RtString& file, std::string* bytes);
