// sound_local.h: the audio layer's private records and helpers.
#pragma once

#include "audio/audio.h"

#include <cstdint>
#include <string>
#include <vector>

struct PlatSoundChunk;

inline constexpr int kSoundSlots = 128;
inline constexpr int kMaxCopies = 4;

struct SoundDevice {
    bool open = false; // the mixer device came up
};

// One effect: up to four copies sharing one converted chunk. Copy c of slot
// s plays on mixer channel kMaxCopies * s + c.
struct SoundSlot {
    std::int32_t buffer_count = 0; // loaded copies, 0 = empty
    std::int32_t current_buffer = 0;
    RtString file_name;
    SoundDevice* device = nullptr; // none after the data could not be converted
    PlatSoundChunk* chunk = nullptr;
};

SoundSlot& sound_slot(int slot);

// PCM data as a WAV file describes it.
struct WaveData {
    int channels = 0; // 1 or 2 for the buffer (a file saying 0 counts as 1)
    int rate = 0;
    int block_align = 0;
    int bits = 0;
    std::vector<std::uint8_t> samples;
};

// The WAV reader: the game's own fixed layout (RIFF header, a 16-byte format
// chunk or a 30-byte one, an optional "fact" chunk, "data") read as it always
// was, any other file by walking its chunks. PCM only (plain or extensible),
// 24 and 32 bits cut to 16. False on a refusal or a short file; path names
// the file in log entries.
bool parse_wave(const std::string& file, const RtString& path, WaveData& wave);
// The file read through the runtime's guard (plain files only), then parsed.
bool read_wave_file(const RtString& path, WaveData& wave);
bool LoadWaveIntoSlot(int slot);
// The mixer channel of the copy that plays next, or -1 (none free).
int PickBuffer(int slot);
int PlaySlot(int slot, int pan_units, int volume_percent, bool looping);

// Left and right amplitude for a pan and a volume in hundredths of a decibel
// (pan > 0 attenuates the left side); -10000 and below is silence.
void sound_gains(int pan_units, int volume_units, double* left, double* right);
