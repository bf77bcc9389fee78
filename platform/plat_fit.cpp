// plat_fit.cpp: the game's picture placed in the window's drawable, and the
// conversions between picture pixels and drawable pixels that every viewport,
// scissor box, read-back and pointer position goes through.
#include "platform/plat_video.h"

#include <algorithm>
#include <cmath>

namespace {

// A whole-number scale is kept when it covers at least this share of what
// the exact fit covers: sharper text for a slightly smaller picture, but not
// a small picture in a large black screen.
constexpr double kWholeScaleShare = 0.85;

int round_to_int(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

PlatPictureFit plat_fit_picture(int picture_width, int picture_height, int drawable_width,
                                int drawable_height) {
    PlatPictureFit fit;
    fit.picture_width = picture_width;
    fit.picture_height = picture_height;
    fit.drawable_width = drawable_width;
    fit.drawable_height = drawable_height;
    fit.width = picture_width;
    fit.height = picture_height;
    if (picture_width <= 0 || picture_height <= 0 || drawable_width <= 0 || drawable_height <= 0)
        return fit;
    const double exact = std::min(static_cast<double>(drawable_width) / picture_width,
                                  static_cast<double>(drawable_height) / picture_height);
    const double whole = std::floor(exact);
    fit.scale = whole >= 1 && whole >= exact * kWholeScaleShare ? whole : exact;
    fit.width = std::min(round_to_int(picture_width * fit.scale), drawable_width);
    fit.height = std::min(round_to_int(picture_height * fit.scale), drawable_height);
    fit.left = (drawable_width - fit.width) / 2;
    fit.top = (drawable_height - fit.height) / 2;
    return fit;
}

PlatDrawableRect plat_fit_to_drawable(const PlatPictureFit& fit, double x, double y, double width,
                                      double height) {
    const int left = fit.left + round_to_int(x * fit.scale);
    const int right = fit.left + round_to_int((x + width) * fit.scale);
    const int top = fit.top + round_to_int(y * fit.scale);
    const int bottom = fit.top + round_to_int((y + height) * fit.scale);
    PlatDrawableRect r;
    r.x = left;
    r.y = fit.drawable_height - bottom;
    r.width = right - left;
    r.height = bottom - top;
    return r;
}

void plat_fit_to_picture(const PlatPictureFit& fit, double x, double y, int* picture_x,
                         int* picture_y) {
    double px = std::floor((x - fit.left) / fit.scale);
    double py = std::floor((y - fit.top) / fit.scale);
    if (!(px == px)) px = 0; // NaN
    if (!(py == py)) py = 0;
    *picture_x = static_cast<int>(std::clamp(px, 0.0, std::max(fit.picture_width - 1.0, 0.0)));
    *picture_y = static_cast<int>(std::clamp(py, 0.0, std::max(fit.picture_height - 1.0, 0.0)));
}
