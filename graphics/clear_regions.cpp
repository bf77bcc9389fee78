// clear_regions.cpp: finding the large fully transparent rectangles of a
// picture, mapping them to the screen pixels a stretched draw may leave out,
// and the table of them by sprite slot.
#include "graphics/clear_regions.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// The largest rectangle of unblocked cells (blocked: w x h, row by row),
// by the histogram of unblocked run lengths ending at each row.
ClearRect largest_unblocked(const std::vector<char>& blocked, int w, int h) {
    std::vector<int> run(static_cast<std::size_t>(w) + 1, 0); // run[w] = 0 empties the stack
    std::vector<int> stack;
    ClearRect best;
    long long best_area = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            run[x] = blocked[static_cast<std::size_t>(y) * w + x] ? 0 : run[x] + 1;
        stack.clear();
        for (int x = 0; x <= w; ++x) {
            while (!stack.empty() && run[stack.back()] >= run[x]) {
                const int height = run[stack.back()];
                stack.pop_back();
                const int left = stack.empty() ? 0 : stack.back() + 1;
                if (static_cast<long long>(height) * (x - left) > best_area) {
                    best_area = static_cast<long long>(height) * (x - left);
                    best = {left, y - height + 1, x, y + 1};
                }
            }
            stack.push_back(x);
        }
    }
    return best;
}

long long area_of(const ClearRect& r) {
    return r.empty() ? 0 : static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
}

ClearRect intersect(const ClearRect& a, const ClearRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Whether the pixel p of a quad starting at q, n pixels long over `size`
// texels, samples only texels in [lo, hi): linear filtering reads the texel
// under the sample point and its neighbour, one more on each side allows
// for the rasteriser's rounding of the coordinate.
bool footprint_inside(long long p, long long q, long long n, int size, int lo, int hi) {
    const double s = (static_cast<double>(p - q) + 0.5) * size / static_cast<double>(n) - 0.5;
    const double f = std::floor(s);
    return f - 1 >= lo && f + 2 < hi;
}

// The pixels [begin, end) of one axis whose footprints lie in [lo, hi): an
// estimate from the mapping, then trimmed by the exact test, so rounding in
// the estimate can only leave out less.
std::pair<int, int> skipped_span(int lo, int hi, int size, int q, int n) {
    if (n <= 0 || size <= 0 || hi - lo < 4) return {0, 0};
    const double scale = static_cast<double>(n) / size;
    long long first = static_cast<long long>(std::floor(q - 0.5 + (lo + 1.5) * scale)) - 1;
    long long last = static_cast<long long>(std::ceil(q - 0.5 + (hi - 1.5) * scale)) + 1;
    first = std::max<long long>(first, q);
    last = std::min<long long>(last, static_cast<long long>(q) + n);
    while (first < last && !footprint_inside(first, q, n, size, lo, hi))
        ++first;
    while (last > first && !footprint_inside(last - 1, q, n, size, lo, hi))
        --last;
    if (first >= last) return {0, 0};
    return {static_cast<int>(first), static_cast<int>(last)};
}

std::unordered_map<int, std::vector<ClearRect>>& slot_table() {
    static std::unordered_map<int, std::vector<ClearRect>> table;
    return table;
}

} // namespace

std::vector<ClearRect> find_clear_regions(const DecodedImage& image, int max_regions,
                                          int min_area) {
    std::vector<ClearRect> found;
    const int w = image.width, h = image.height;
    if (w < 1 || h < 1 || image.pixels.size() < static_cast<std::size_t>(w) * h * 4) return found;
    std::vector<char> blocked(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < blocked.size(); ++i)
        blocked[i] = image.pixels[i * 4 + 3] != 0;
    while (static_cast<int>(found.size()) < max_regions) {
        const ClearRect r = largest_unblocked(blocked, w, h);
        if (area_of(r) < std::max(min_area, 1)) break;
        found.push_back(r);
        // Later regions do not overlap earlier ones.
        for (int y = r.top; y < r.bottom; ++y)
            std::fill_n(blocked.begin() + static_cast<std::ptrdiff_t>(y) * w + r.left,
                        r.right - r.left, 1);
    }
    return found;
}

ClearRect skipped_pixels(const ClearRect& clear, int image_w, int image_h, const ClearRect& quad) {
    const auto columns =
        skipped_span(clear.left, clear.right, image_w, quad.left, quad.right - quad.left);
    const auto rows =
        skipped_span(clear.top, clear.bottom, image_h, quad.top, quad.bottom - quad.top);
    ClearRect out{columns.first, rows.first, columns.second, rows.second};
    return out.empty() ? ClearRect{} : out;
}

std::vector<ClearRect> subtract_rects(const ClearRect& whole, const std::vector<ClearRect>& holes) {
    std::vector<ClearRect> parts;
    if (!whole.empty()) parts.push_back(whole);
    for (const ClearRect& hole : holes) {
        std::vector<ClearRect> next;
        for (const ClearRect& r : parts) {
            const ClearRect i = intersect(r, hole);
            if (i.empty()) {
                next.push_back(r);
                continue;
            }
            for (const ClearRect& piece : {ClearRect{r.left, r.top, r.right, i.top},
                                           ClearRect{r.left, i.bottom, r.right, r.bottom},
                                           ClearRect{r.left, i.top, i.left, i.bottom},
                                           ClearRect{i.right, i.top, r.right, i.bottom}})
                if (!piece.empty()) next.push_back(piece);
        }
        parts = std::move(next);
    }
    return parts;
}

const std::vector<ClearRect>& slot_clear_regions(int slot) {
    static const std::vector<ClearRect> none;
    const auto& table = slot_table();
    auto found = table.find(slot);
    return found == table.end() ? none : found->second;
}

void set_slot_clear_regions(int slot, std::vector<ClearRect> regions) {
    if (regions.empty())
        slot_table().erase(slot);
    else
        slot_table()[slot] = std::move(regions);
}
