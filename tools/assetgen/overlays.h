// overlays.h: the 2D pictures: play frame overlays, the thumbnail lens, the title logo.
#pragma once

#include <string>

// Overlay size: the game stretches it over the whole screen; this is the
// 640 x 480 layout at one image pixel per screen pixel.
constexpr int kOverlayWidth = 640;
constexpr int kOverlayHeight = 480;
constexpr int kFrameWidth = 8; // border of each board area, in overlay pixels

bool write_overlays(const std::string& dir);
bool write_lens(const std::string& dir);
bool write_logo(const std::string& dir);
