// plat_audio.cpp: the sound device, mixer channels and music on SDL2_mixer.
#include "platform/plat_audio.h"

#include "platform/plat_events.h"
#include "platform/plat_files.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

struct PlatSoundChunk {
    Mix_Chunk* chunk = nullptr;
};

namespace {

bool g_open = false;
Mix_Music* g_music = nullptr;

SDL_AudioFormat source_format(int bits) {
    if (bits == 8) return AUDIO_U8;
    if (bits == 16) return AUDIO_S16LSB;
    return 0;
}

} // namespace

bool plat_snd_open(int channels) {
    if (g_open) return true;
    plat_start();
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) return false;
    // Effects are mixed at 22050 Hz, 16-bit stereo; SDL converts to the
    // hardware's own format.
    if (Mix_OpenAudioDevice(22050, AUDIO_S16SYS, 2, 1024, nullptr, 0) != 0) {
        std::fprintf(stderr, "sound: no device: %s\n", Mix_GetError());
        return false;
    }
    Mix_AllocateChannels(channels);
    g_open = true;
    return true;
}

void plat_snd_close() {
    if (!g_open) return;
    plat_music_stop();
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    g_open = false;
}

bool plat_snd_is_open() {
    return g_open;
}

PlatSoundChunk* plat_snd_chunk_from_pcm(const void* data, std::size_t bytes, int channels, int rate,
                                        int bits) {
    int device_rate = 0, device_channels = 0;
    Uint16 device_format = 0;
    SDL_AudioFormat format = source_format(bits);
    if (!g_open || format == 0 || channels < 1 || channels > 2 || rate <= 0 || bytes == 0 ||
        bytes > 0x7FFFFFFF / 16 || !Mix_QuerySpec(&device_rate, &device_format, &device_channels)) {
        return nullptr;
    }
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, format, static_cast<Uint8>(channels), rate, device_format,
                          static_cast<Uint8>(device_channels), device_rate) < 0) {
        return nullptr;
    }
    cvt.len = static_cast<int>(bytes);
    cvt.buf = static_cast<Uint8*>(SDL_malloc(bytes * static_cast<std::size_t>(cvt.len_mult)));
    if (!cvt.buf) return nullptr;
    SDL_memcpy(cvt.buf, data, bytes);
    Mix_Chunk* chunk = nullptr;
    if (SDL_ConvertAudio(&cvt) == 0 && cvt.len_cvt > 0) {
        chunk = Mix_QuickLoad_RAW(cvt.buf, static_cast<Uint32>(cvt.len_cvt));
    }
    if (!chunk) {
        SDL_free(cvt.buf);
        return nullptr;
    }
    chunk->allocated = 1; // Mix_FreeChunk frees the converted samples too
    return new PlatSoundChunk{chunk};
}

void plat_snd_chunk_free(PlatSoundChunk* chunk) {
    if (!chunk) return;
    // Mix_FreeChunk halts the channels playing it and frees the samples.
    Mix_FreeChunk(chunk->chunk);
    delete chunk;
}

bool plat_snd_play(int channel, PlatSoundChunk* chunk, bool loop) {
    if (!g_open || !chunk) return false;
    return Mix_PlayChannel(channel, chunk->chunk, loop ? -1 : 0) == channel;
}

bool plat_snd_playing(int channel) {
    return g_open && Mix_Playing(channel) != 0;
}

void plat_snd_stop(int channel) {
    if (g_open) Mix_HaltChannel(channel);
}

// The channel volume has only 128 steps, too coarse for quiet levels (-50 dB
// is 0.4 of a step); the panning gains (255 steps each) carry the rest, so
// their product reaches the level closely.
void plat_snd_set_gain(int channel, double left, double right) {
    if (!g_open) return;
    left = std::clamp(left, 0.0, 1.0);
    right = std::clamp(right, 0.0, 1.0);
    double loudest = std::max(left, right);
    int volume = std::clamp(static_cast<int>(std::ceil(loudest * MIX_MAX_VOLUME)), 0, 128);
    Mix_Volume(channel, volume);
    if (volume == 0) {
        Mix_SetPanning(channel, 255, 255);
        return;
    }
    double scale = 255.0 * MIX_MAX_VOLUME / volume;
    auto gain = [scale](double g) {
        return static_cast<Uint8>(std::clamp(std::lround(g * scale), 0L, 255L));
    };
    Mix_SetPanning(channel, gain(left), gain(right));
}

bool plat_music_play(const char* path) {
    plat_music_stop();
    // SDL_mixer opens the file itself; checked through the same guard right
    // before, so that a pipe or a directory never reaches it.
    if (!g_open || plat_check_file(path, UINT64_MAX) != PlatFileCheck::kOk) return false;
    g_music = Mix_LoadMUS(plat_native_name(path).c_str());
    if (!g_music) return false;
    if (Mix_PlayMusic(g_music, 0) != 0) {
        plat_music_stop();
        return false;
    }
    return true;
}

void plat_music_stop() {
    if (!g_music) return;
    Mix_HaltMusic();
    Mix_FreeMusic(g_music);
    g_music = nullptr;
}
