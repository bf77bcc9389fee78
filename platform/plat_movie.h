// plat_movie.h: the media player behind movie playback, on FFmpeg's libraries.
//
// A player opens one file, reports its picture size, start and length, and
// plays on its own clock (the platform's counter, so the test clock drives
// it): while it plays, its position runs from the start to the end and
// stops there. The caller asks for the picture at the current position
// (RGBA, top row first) and draws it itself; the sound is decoded along the
// way and mixed into the sound device's output while the device is open.
// Built without FFmpeg, every open fails.
#pragma once

#include <cstdint>

struct PlatMovie;

// False when the program was built without a movie decoder.
bool plat_movie_supported();

// Null when the file cannot be opened or holds neither a picture nor sound
// that can be decoded.
PlatMovie* plat_movie_open(const char* path);
// Stops the sound and frees the player (null is ignored).
void plat_movie_close(PlatMovie* movie);

// Picture size in pixels; 0 x 0 for a file with sound only.
int plat_movie_width(const PlatMovie* movie);
int plat_movie_height(const PlatMovie* movie);
// Start and length in milliseconds; the start is 0, the length 0 when the
// file does not say how long it is.
double plat_movie_start_ms(const PlatMovie* movie);
double plat_movie_length_ms(const PlatMovie* movie);

// Runs the clock from the current position and sends the sound to the
// device; false when the player is at its end (nothing left to play).
bool plat_movie_play(PlatMovie* movie);
// Holds the clock and silences the sound.
void plat_movie_stop(PlatMovie* movie);
// Current position in milliseconds, from the start up to the end.
double plat_movie_position_ms(const PlatMovie* movie);
// Back to the start (the player stops); false when the file cannot seek.
bool plat_movie_seek_start(PlatMovie* movie);

// Decodes up to the current position. Returns the latest picture due there
// when it differs from the one returned before (width x height x 4 bytes,
// valid until the next call), else null; `frame_ms` receives the picture's
// time. Sound due in the next moments is decoded and queued as well.
const std::uint8_t* plat_movie_frame(PlatMovie* movie, double* frame_ms);

// Sample frames of sound (at the device's rate) queued for the device since
// the player opened; for tests and tools.
std::uint64_t plat_movie_sound_frames_queued(const PlatMovie* movie);
