// plat_movie_local.h: the movie player's sound queue, shared by the
// player's files in this folder only.
//
// Decoded sound waits here in the device's own sample format (16-bit,
// interleaved) and is added to the device's output after the effect
// channels and the music have been mixed, so a movie never takes a channel
// or the music stream away from the game.
#pragma once

#include <cstddef>
#include <cstdint>

// The device's rate and channel count; false when the device is closed or
// does not mix 16-bit samples.
bool movie_sound_device_format(int* rate, int* channels);
// Connects the queue to the device output (or disconnects it; the queued
// sound waits).
void movie_sound_connect(bool on);
// Appends interleaved samples; when the queue is full the oldest sound is
// dropped, since it is late anyway. Returns the frames taken: 0 while the
// queue is not connected.
std::size_t movie_sound_push(const std::int16_t* samples, std::size_t frames);
void movie_sound_clear();
// Sample frames waiting in the queue.
std::size_t movie_sound_queued();
