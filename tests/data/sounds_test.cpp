// The generated sound effects pass the game's WAV reader and are short,
// audible and free of clicks at their ends.
#include "audio/sound_local.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct SoundCase {
    const char* file;
    double min_seconds, max_seconds;
};

class SoundFile : public ::testing::TestWithParam<SoundCase> {};

int sample(const WaveData& w, size_t i) {
    return static_cast<std::int16_t>(w.samples[2 * i] | (w.samples[2 * i + 1] << 8));
}

TEST_P(SoundFile, ReadsAsShortMono16BitPcm) {
    const SoundCase c = GetParam();
    WaveData w;
    ASSERT_TRUE(read_wave_file(RtString(c.file), w)) << c.file;
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 22050);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.block_align, 2);
    const size_t n = w.samples.size() / 2;
    const double seconds = static_cast<double>(n) / w.rate;
    EXPECT_GE(seconds, c.min_seconds) << c.file;
    EXPECT_LE(seconds, c.max_seconds) << c.file;
    int peak = 0;
    for (size_t i = 0; i < n; ++i)
        peak = std::max(peak, std::abs(sample(w, i)));
    EXPECT_GT(peak, 16000) << c.file << " is too quiet";
    EXPECT_LT(std::abs(sample(w, 0)), 200) << c.file << " starts with a click";
    EXPECT_LT(std::abs(sample(w, n - 1)), 200) << c.file << " ends with a click";
}

INSTANTIATE_TEST_SUITE_P(Effects, SoundFile,
                         ::testing::Values(SoundCase{"block.wav", 0.1, 0.5},
                                           SoundCase{"door.wav", 0.2, 0.8},
                                           SoundCase{"fall.wav", 0.3, 1.0},
                                           SoundCase{"done.wav", 0.5, 1.5}));

} // namespace
