// plat_movie_sound.cpp: the movie player's sound queue, mixed into the
// device output by SDL2_mixer's post-mix callback.
//
// The callback runs on the audio thread, so the queue is guarded by a mutex
// held only for copying.
#include "platform/plat_movie_local.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

constexpr double kQueueSeconds = 1.0;

struct SoundQueue {
    std::mutex lock;
    std::vector<std::int16_t> ring; // interleaved samples
    std::size_t head = 0;           // index of the oldest sample
    std::size_t size = 0;           // samples held
    int channels = 2;
    bool connected = false;
};

SoundQueue& queue() {
    static SoundQueue q;
    return q;
}

// Adds the oldest queued samples to the mixed output, saturating.
void mix_queued(void* /*unused*/, Uint8* stream, int bytes) {
    SoundQueue& q = queue();
    std::lock_guard<std::mutex> hold(q.lock);
    auto* out = reinterpret_cast<std::int16_t*>(stream);
    std::size_t n = std::min(q.size, static_cast<std::size_t>(bytes) / 2);
    for (std::size_t i = 0; i < n; ++i) {
        int sum = out[i] + q.ring[(q.head + i) % q.ring.size()];
        out[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
    }
    q.head = q.ring.empty() ? 0 : (q.head + n) % q.ring.size();
    q.size -= n;
}

} // namespace

bool movie_sound_device_format(int* rate, int* channels) {
    Uint16 format = 0;
    if (Mix_QuerySpec(rate, &format, channels) == 0) return false;
    return format == AUDIO_S16SYS && *rate > 0 && *channels > 0;
}

void movie_sound_connect(bool on) {
    SoundQueue& q = queue();
    if (q.connected == on) return;
    int rate = 0, channels = 0;
    if (on && !movie_sound_device_format(&rate, &channels)) return;
    if (on) {
        std::lock_guard<std::mutex> hold(q.lock);
        std::size_t samples = static_cast<std::size_t>(rate * kQueueSeconds) * channels;
        if (q.ring.size() != samples || q.channels != channels) {
            q.ring.assign(samples, 0);
            q.head = q.size = 0;
            q.channels = channels;
        }
    }
    // Mix_SetPostMix takes the audio lock itself.
    Mix_SetPostMix(on ? mix_queued : nullptr, nullptr);
    q.connected = on;
}

std::size_t movie_sound_push(const std::int16_t* samples, std::size_t frames) {
    SoundQueue& q = queue();
    std::lock_guard<std::mutex> hold(q.lock);
    std::size_t cap = q.ring.size();
    if (cap == 0 || !q.connected) return 0;
    std::size_t count = frames * static_cast<std::size_t>(q.channels);
    if (count > cap) {
        samples += count - cap;
        count = cap;
    }
    if (q.size + count > cap) {
        std::size_t drop = q.size + count - cap;
        q.head = (q.head + drop) % cap;
        q.size -= drop;
    }
    std::size_t tail = (q.head + q.size) % cap;
    for (std::size_t i = 0; i < count; ++i)
        q.ring[(tail + i) % cap] = samples[i];
    q.size += count;
    return frames;
}

void movie_sound_clear() {
    SoundQueue& q = queue();
    std::lock_guard<std::mutex> hold(q.lock);
    q.head = q.size = 0;
}

std::size_t movie_sound_queued() {
    SoundQueue& q = queue();
    std::lock_guard<std::mutex> hold(q.lock);
    return q.channels > 0 ? q.size / static_cast<std::size_t>(q.channels) : 0;
}
