// movie_writer.h: short test movies made on the spot with FFmpeg's encoders:
// vertical colour bars (red, green, blue, white from left to right) above a
// grey strip along the bottom quarter, and optionally a 440 Hz tone.
#pragma once

#include <string>

struct TestMovieSpec {
    int width = 64;
    int height = 32;
    int frames = 5;
    int fps = 10;
    bool picture = true;
    bool sound = true;
};

// Writes MPEG-4 pictures (and 16-bit PCM sound) into the container the
// file name's extension names (".mkv", ".avi"). False on any failure.
bool write_test_movie(const std::string& path, const TestMovieSpec& params);
