// textures.h: the character textures and the green area their stems and leaves use.
#pragma once

#include <string>

// A spot of plain leaf green in every character texture (bottom band).
constexpr double kGreenSwatchU = 0.25;
constexpr double kGreenSwatchV = 0.975;

// Texture size: a power of two, so texture coordinates map the whole picture.
constexpr int kTextureSize = 256;

bool write_textures(const std::string& dir);
