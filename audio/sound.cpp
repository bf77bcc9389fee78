// sound.cpp: the sound device and the 128 sound-effect slots.
//
// Each copy of a slot plays on its own mixer channel, so copies overlap and
// each has its own volume and pan; all copies share the slot's one chunk of
// converted samples. Channel identifiers are copy + 256 * slot.
#include "audio/sound_local.h"

#include "platform/platform.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

SoundPlayObserver g_observer = nullptr;
bool g_end_hook_added = false;

int channel_of(int slot, int copy) {
    return slot * kMaxCopies + copy;
}

int trunc_int(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

void stop_copies(int slot_index) {
    for (int c = 0; c < kMaxCopies; ++c)
        plat_snd_stop(channel_of(slot_index, c));
}

void empty_slot(SoundSlot& slot, int slot_index) {
    stop_copies(slot_index);
    plat_snd_chunk_free(slot.chunk);
    slot.chunk = nullptr;
    slot.buffer_count = 0;
    slot.current_buffer = 0;
    slot.file_name = RtString();
}

// A sound effect plays for at most this long; at a low sample rate a small
// file could otherwise convert into gigabytes at the device's rate.
constexpr std::size_t kMaxSoundSeconds = 600;

// The formats a static buffer accepts: 8- or 16-bit PCM whose block is one
// sample of every channel, at 100 to 200000 samples per second.
bool buffer_format_ok(const WaveData& wave) {
    return (wave.bits == 8 || wave.bits == 16) &&
           wave.block_align == wave.channels * wave.bits / 8 && wave.rate >= 100 &&
           wave.rate <= 200000 &&
           wave.samples.size() >= static_cast<std::size_t>(wave.block_align) &&
           wave.samples.size() / static_cast<std::size_t>(wave.block_align) <=
               static_cast<std::size_t>(wave.rate) * kMaxSoundSeconds;
}

} // namespace

SoundDevice& sound_device() {
    static SoundDevice device;
    return device;
}

SoundSlot& sound_slot(int slot) {
    static SoundSlot slots[kSoundSlots];
    return slots[std::clamp(slot, 0, kSoundSlots - 1)];
}

int SoundInit(SoundDevice& device, void* /*window*/) {
    device.open = plat_snd_open(kSoundSlots * kMaxCopies);
    if (!g_end_hook_added) {
        rt_add_end_hook(kRtEndDevices, SoundRelease);
        g_end_hook_added = true;
    }
    return device.open ? 1 : 0;
}

void SoundRelease() {
    plat_music_stop();
    for (int s = kSoundSlots - 1; s >= 0; --s) {
        empty_slot(sound_slot(s), s);
        sound_slot(s).device = nullptr;
    }
    plat_snd_close();
    sound_device().open = false;
}

bool LoadWaveIntoSlot(int slot) {
    SoundSlot& target = sound_slot(slot);
    WaveData wave;
    if (!read_wave_file(target.file_name, wave)) return false;
    std::size_t whole = wave.samples.size();
    if (buffer_format_ok(wave)) whole -= whole % static_cast<std::size_t>(wave.block_align);
    PlatSoundChunk* chunk = buffer_format_ok(wave)
                                ? plat_snd_chunk_from_pcm(wave.samples.data(), whole, wave.channels,
                                                          wave.rate, wave.bits)
                                : nullptr;
    if (!chunk) {
        target.device = nullptr; // the buffer could not be made: plays refuse
        return false;
    }
    target.chunk = chunk;
    return true;
}

double LoadSound(const RtString& file, double slot, double copies) {
    RtString name;
    if (!rt_media_lookup(file, &name)) name = file;
    int s = std::min(trunc_int(slot), kSoundSlots - 1);
    if (s < 0) return 0;
    SoundSlot& target = sound_slot(s);
    empty_slot(target, s);
    target.device = &sound_device();
    int n = std::clamp(trunc_int(copies), 1, kMaxCopies);
    if (!sound_device().open) return 0; // no device: silently nothing
    target.buffer_count = n;
    target.file_name = name;
    if (!LoadWaveIntoSlot(s)) {
        rt_log(RtString("sound: cannot load ") + name);
        target.buffer_count = 0;
        target.file_name = RtString();
        return 0;
    }
    return 1;
}

int PickBuffer(int slot) {
    SoundSlot& target = sound_slot(slot);
    if (!plat_snd_playing(channel_of(slot, target.current_buffer))) return target.current_buffer;
    // The only copy still sounds: the play is refused.
    if (target.buffer_count < 2) return -1;
    target.current_buffer = (target.current_buffer + 1) % target.buffer_count;
    // Every copy busy: the oldest playback is cut off.
    plat_snd_stop(channel_of(slot, target.current_buffer));
    return target.current_buffer;
}

int PlaySlot(int slot, int pan_units, int volume_percent, bool looping) {
    SoundSlot& target = sound_slot(slot);
    if (!target.device || !target.device->open || target.buffer_count == 0 || !target.chunk) {
        return -1;
    }
    int copy = PickBuffer(slot);
    if (copy < 0) return -1;
    double left = 0, right = 0;
    sound_gains(pan_units, volume_percent * 100 - 10000, &left, &right);
    int channel = channel_of(slot, copy);
    plat_snd_set_gain(channel, left, right);
    return plat_snd_play(channel, target.chunk, looping) ? copy : -1;
}

void sound_gains(int pan_units, int volume_units, double* left, double* right) {
    auto amplitude = [](int units) {
        return units <= -10000 ? 0.0 : std::pow(10.0, units / 2000.0);
    };
    double volume = amplitude(std::min(volume_units, 0));
    *left = volume * amplitude(-std::max(pan_units, 0));
    *right = volume * amplitude(std::min(pan_units, 0));
}

// ---------------------------------------------------------------- built-ins

double PlaySound(double slot, double pan, double volume) {
    int s = std::min(trunc_int(slot), kSoundSlots - 1);
    double p = std::isnan(pan) ? 0.0 : std::clamp(pan, -1.0, 1.0);
    double v = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
    if (g_observer) g_observer(s, p, v);
    if (s < 0) return -1;
    int r = PlaySlot(s, trunc_int(p * 10000), trunc_int(v * 100), false);
    return r < 0 ? r : r + 256 * s;
}

double SoundPlaying(double channel) {
    int c = trunc_int(channel);
    if (c < 0) return 0;
    int s = c / 256, copy = c % 256;
    if (s >= kSoundSlots || copy >= sound_slot(s).buffer_count) return 0;
    return plat_snd_playing(channel_of(s, copy)) ? 1 : 0;
}

void StopAllSounds() {
    for (int s = 0; s < kSoundSlots; ++s)
        stop_copies(s);
}

void SoundSetPlayObserver(SoundPlayObserver observer) {
    g_observer = observer;
}
