// sounds.cpp: synthesis of the block scrape, the door swing, the fall with
// its thud and the exit chime, and the WAV writer.
#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed-seed generator keeps every build's sounds identical.
class Noise {
  public:
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / (1u << 23) - 1.0;
    }

  private:
    uint32_t state_ = 12345u;
};

// Renders `seconds` of a signal given as a function of time, normalised to `peak`.
std::vector<int16_t> render(double seconds, double peak, const std::function<double(double)>& f) {
    const size_t n = static_cast<size_t>(seconds * kSampleRate);
    std::vector<double> raw(n);
    double top = 1e-9;
    for (size_t i = 0; i < n; ++i) {
        raw[i] = f(static_cast<double>(i) / kSampleRate);
        top = std::max(top, std::fabs(raw[i]));
    }
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i) {
        // A 5 ms fade at both ends avoids clicks.
        const double t = static_cast<double>(i) / kSampleRate, rest = seconds - t;
        const double fade = std::min({1.0, t / 0.005, rest / 0.005});
        out[i] = static_cast<int16_t>(std::lround(raw[i] / top * peak * fade * 32767));
    }
    return out;
}

std::vector<int16_t> scrape() {
    Noise noise;
    double low = 0, band = 0;
    return render(0.28, 0.7, [&](double t) {
        // Low-passed noise, chopped by a grainy 40 Hz roughness: wood dragged on grass.
        low += 0.25 * (noise.next() - low);
        band += 0.08 * (low - band);
        const double grain = 0.6 + 0.4 * std::sin(2 * kPi * 40 * t + 3 * std::sin(2 * kPi * 7 * t));
        const double env = std::min(1.0, t / 0.02) * std::exp(-t * 6);
        return (low - band) * grain * env;
    });
}

std::vector<int16_t> swing() {
    Noise noise;
    double low = 0;
    double phase = 0;
    return render(0.45, 0.6, [&](double t) {
        // A whoosh of air rising and falling, and a faint hinge creak.
        low += 0.05 * (noise.next() - low);
        const double whoosh = low * std::sin(kPi * t / 0.45);
        phase += 2 * kPi * (420 + 140 * std::sin(2 * kPi * 3 * t)) / kSampleRate;
        const double creak = 0.08 * std::sin(phase) * std::sin(2 * kPi * 31 * t) * std::exp(-t * 4);
        return whoosh * 4 + creak;
    });
}

std::vector<int16_t> fall() {
    Noise noise;
    double low = 0, phase = 0, thud_phase = 0;
    constexpr double kImpact = 0.22;
    return render(0.7, 0.9, [&](double t) {
        // A short falling whistle, then the block landing: a low sine knock with some dirt noise.
        double s = 0;
        if (t < kImpact) {
            phase += 2 * kPi * (900 - 2500 * t) / kSampleRate;
            s += 0.25 * std::sin(phase) * (t / kImpact);
        } else {
            const double d = t - kImpact;
            thud_phase += 2 * kPi * (70 - 25 * std::min(d, 0.2) / 0.2) / kSampleRate;
            low += 0.1 * (noise.next() - low);
            s += std::sin(thud_phase) * std::exp(-d * 9) + 1.5 * low * std::exp(-d * 25);
        }
        return s;
    });
}

std::vector<int16_t> chime() {
    // A rising major arpeggio of bell-like tones (C6, E6, G6, C7).
    const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};
    return render(1.1, 0.8, [&](double t) {
        double s = 0;
        for (int i = 0; i < 4; ++i) {
            const double d = t - i * 0.08;
            if (d < 0) continue;
            const double f = notes[i], env = std::exp(-d * 4.5) * std::min(1.0, d / 0.003);
            s += env * (std::sin(2 * kPi * f * d) + 0.3 * std::sin(2 * kPi * f * 2.01 * d) +
                        0.12 * std::sin(2 * kPi * f * 3.98 * d));
        }
        return s;
    });
}

void put_le(std::FILE* f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((v >> (8 * i)) & 0xff), f);
}

} // namespace

bool write_wav(const std::vector<int16_t>& samples, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
    std::fputs("RIFF", f);
    put_le(f, 36 + data_bytes, 4);
    std::fputs("WAVEfmt ", f);
    put_le(f, 16, 4);              // format chunk size
    put_le(f, 1, 2);               // PCM
    put_le(f, 1, 2);               // mono
    put_le(f, kSampleRate, 4);     // samples per second
    put_le(f, kSampleRate * 2, 4); // bytes per second
    put_le(f, 2, 2);               // block align
    put_le(f, 16, 2);              // bits per sample
    std::fputs("data", f);
    put_le(f, data_bytes, 4);
    for (int16_t s : samples)
        put_le(f, static_cast<uint16_t>(s), 2);
    return std::fclose(f) == 0;
}

bool write_sounds(const std::string& dir) {
    struct Entry {
        const char* file;
        std::vector<int16_t> (*make)();
    };
    bool ok = true;
    for (const Entry& e : {Entry{"block.wav", scrape}, Entry{"door.wav", swing},
                           Entry{"fall.wav", fall}, Entry{"done.wav", chime}}) {
        if (!write_wav(e.make(), dir + "/" + e.file)) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", e.file);
            ok = false;
        }
    }
    return ok;
}
