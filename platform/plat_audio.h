// plat_audio.h: the sound device, mixer channels and music on SDL2_mixer.
//
// Sample data is converted once to the device format into a chunk; any
// number of mixer channels may play the same chunk at once, each with its own
// left and right gain.
#pragma once

#include <cstddef>

// Opens the device (22050 Hz, 16-bit stereo, SDL converting to what the
// hardware takes) with the given number of mixer channels; false without one.
bool plat_snd_open(int channels);
void plat_snd_close();
bool plat_snd_is_open();

struct PlatSoundChunk; // converted sample data, owned by the caller

// Converts interleaved PCM (8-bit unsigned or 16-bit signed little-endian,
// one or two channels) to the device format; null when the format is not
// one of those or the device is closed.
PlatSoundChunk* plat_snd_chunk_from_pcm(const void* data, std::size_t bytes, int channels, int rate,
                                        int bits);
// Stops every channel still playing the chunk, then frees it.
void plat_snd_chunk_free(PlatSoundChunk* chunk);

bool plat_snd_play(int channel, PlatSoundChunk* chunk, bool loop);
bool plat_snd_playing(int channel);
void plat_snd_stop(int channel);
// Gains 0..1 (amplitude) for the channel's left and right output.
void plat_snd_set_gain(int channel, double left, double right);

// One music stream at a time (OGG, MP3, WAV, MIDI as SDL2_mixer reads them);
// false when the file cannot be opened or played.
bool plat_music_play(const char* path);
void plat_music_stop();
