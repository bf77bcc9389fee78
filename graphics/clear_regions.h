// clear_regions.h: the large fully transparent rectangles of a sprite, found
// when it is loaded, and the screen pixels a stretched draw may leave out.
#pragma once

#include "graphics/graphics.h"

#include <vector>

// A rectangle from (left, top) up to but not including (right, bottom).
struct ClearRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

// Up to `max_regions` non-overlapping rectangles of pixels with alpha 0, the
// largest first, each at least `min_area` pixels (picture coordinates, top
// row 0). Nothing for a picture without such a rectangle.
std::vector<ClearRect> find_clear_regions(const DecodedImage& image, int max_regions, int min_area);

// Where a picture of image_w x image_h stretched over `quad` (pixels, top row
// 0) samples only texels inside `clear`: the pixel rectangle whose every
// linear-filter footprint, widened by one texel against rounding, lies in it.
ClearRect skipped_pixels(const ClearRect& clear, int image_w, int image_h, const ClearRect& quad);

// `whole` without the `holes`: non-overlapping rectangles covering the rest.
std::vector<ClearRect> subtract_rects(const ClearRect& whole, const std::vector<ClearRect>& holes);

// The clear regions recorded for a sprite slot (none for an unknown slot).
const std::vector<ClearRect>& slot_clear_regions(int slot);
void set_slot_clear_regions(int slot, std::vector<ClearRect> regions);
