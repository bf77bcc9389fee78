// sounds.h: the four sound effects, synthesised and written as 16-bit PCM WAV files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSampleRate = 22050;

// Mono 16-bit PCM with the plain 44-byte header (16-byte format chunk, then data).
bool write_wav(const std::vector<int16_t>& samples, const std::string& path);

bool write_sounds(const std::string& dir);
