// Sound slots on the dummy audio device: the WAV reader's accept and refuse
// cases, channel identifiers, slot clamping, playing status, levels, and the
// silent behaviour without a device.
#include "audio/sound_local.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Describes a WAV file to write; the defaults give a valid 16-bit stereo one.
struct WaveSpec {
    std::uint32_t fmt_size = 16;
    int channels = 2;
    int rate = 22050;
    int bits = 16;
    int block_align = -1; // -1: channels * bits / 8
    int fact_size = -1;   // -1: no "fact" chunk
    const char* data_id = "data";
    std::uint32_t frames = 64;
    long declared_extra = 0; // added to the data chunk's size field
    long cut = 0;            // bytes dropped from the end of the file
};

void put16(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<int>(v & 0xFFFF));
    put16(out, static_cast<int>(v >> 16));
}

std::string make_wave(const WaveSpec& wave) {
    int align = wave.block_align >= 0 ? wave.block_align : wave.channels * wave.bits / 8;
    std::uint32_t data_size = wave.frames * static_cast<std::uint32_t>(std::max(align, 1));
    std::string out = "RIFF";
    put32(out, 0); // the reader does not look at the RIFF size
    out += "WAVEfmt ";
    put32(out, wave.fmt_size);
    put16(out, 1);
    put16(out, wave.channels);
    put32(out, static_cast<std::uint32_t>(wave.rate));
    put32(out, static_cast<std::uint32_t>(wave.rate * align));
    put16(out, align);
    put16(out, wave.bits);
    out.append(wave.fmt_size > 16 ? wave.fmt_size - 16 : 0, '\0');
    if (wave.fact_size >= 0) {
        out += "fact";
        put32(out, static_cast<std::uint32_t>(wave.fact_size));
        out.append(static_cast<std::size_t>(wave.fact_size), '\0');
    }
    out += wave.data_id;
    put32(out, data_size + static_cast<std::uint32_t>(wave.declared_extra));
    for (std::uint32_t i = 0; i < data_size; ++i)
        out += static_cast<char>(i * 7);
    out.resize(out.size() - static_cast<std::size_t>(wave.cut));
    return out;
}

class Sound : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SoundInit(sound_device(), nullptr), 1);
        SoundSetPlayObserver(nullptr);
    }
    void TearDown() override {
        StopAllSounds();
        SoundSetPlayObserver(nullptr);
        for (const std::string& path : written_)
            std::remove(path.c_str());
    }

    std::string write(const std::string& name, const std::string& bytes) {
        // Tests run in parallel processes: each writes files of its own.
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string path = plat_temp_dir() + "cropstack_sound_" + test + "_" + name + ".wav";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        written_.push_back(path);
        return path;
    }
    // A sound long enough to be still playing while a test looks at it.
    std::string long_sound() {
        WaveSpec wave;
        wave.channels = 1;
        wave.bits = 8;
        wave.rate = 8000;
        wave.frames = 8000 * 20;
        return write("long", make_wave(wave));
    }
    double load(const std::string& path, double slot, double copies) {
        return LoadSound(RtString(path.c_str()), slot, copies);
    }

    std::vector<std::string> written_;
};

TEST_F(Sound, WaveReaderAcceptsAndRefuses) {
    struct Case {
        const char* name;
        WaveSpec wave;
        double expected;
    };
    auto with = [](auto change) {
        WaveSpec wave;
        change(wave);
        return wave;
    };
    const Case cases[] = {
        {"plain", WaveSpec{}, 1},
        {"mono8", with([](WaveSpec& s) { s.channels = 1, s.bits = 8, s.rate = 11025; }), 1},
        {"fmt30", with([](WaveSpec& s) { s.fmt_size = 30; }), 1},
        {"fact", with([](WaveSpec& s) { s.fact_size = 4; }), 1},
        {"fact1024", with([](WaveSpec& s) { s.fact_size = 1024; }), 1},
        // An 18-byte format chunk is read by walking the chunks.
        {"fmt18", with([](WaveSpec& s) { s.fmt_size = 18; }), 1},
        {"fact1025", with([](WaveSpec& s) { s.fact_size = 1025; }), 0},
        {"list", with([](WaveSpec& s) { s.data_id = "LIST"; }), 0},
        {"short_data", with([](WaveSpec& s) { s.declared_extra = 1000; }), 0},
        {"huge_data", with([](WaveSpec& s) { s.declared_extra = 0x7FFFFFF0; }), 0},
        {"no_data", with([](WaveSpec& s) { s.frames = 0; }), 0},
        // 24-bit samples are cut to 16 bits.
        {"bits24", with([](WaveSpec& s) { s.bits = 24; }), 1},
        {"bits12", with([](WaveSpec& s) { s.bits = 12; }), 0},
        {"four_channels", with([](WaveSpec& s) { s.channels = 4; }), 0},
        {"bad_align", with([](WaveSpec& s) { s.block_align = 3; }), 0},
        // Just over ten minutes at 100 samples per second: gigabytes at the device's rate.
        {"too_long",
         with([](WaveSpec& s) { s.channels = 1, s.bits = 8, s.rate = 100, s.frames = 60001; }), 0},
    };
    for (const Case& c : cases) {
        std::string path = write(c.name, make_wave(c.wave));
        EXPECT_EQ(load(path, 10, 1), c.expected) << c.name;
        EXPECT_EQ(sound_slot(10).buffer_count, c.expected == 1 ? 1 : 0) << c.name;
    }
    // Fewer than 36 bytes, and a file that is not there.
    std::string cut = make_wave(WaveSpec{});
    EXPECT_EQ(load(write("header_only", cut.substr(0, 35)), 10, 1), 0);
    EXPECT_EQ(load(plat_temp_dir() + "cropstack_sound_missing.wav", 10, 1), 0);
}

TEST_F(Sound, TwoCopiesGiveAlternatingChannelsAndCutTheOldest) {
    ASSERT_EQ(load(long_sound(), 5, 2), 1);
    EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 0);
    EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 1);
    EXPECT_EQ(PlaySound(5, 0, 1), 5 * 256 + 0);
    EXPECT_EQ(SoundPlaying(5 * 256 + 0), 1);
    EXPECT_EQ(SoundPlaying(5 * 256 + 1), 1);
    EXPECT_EQ(SoundPlaying(5 * 256 + 2), 0); // no third copy
}

TEST_F(Sound, OneCopyRefusesASecondPlayWhileSounding) {
    ASSERT_EQ(load(long_sound(), 6, 1), 1);
    EXPECT_EQ(PlaySound(6, 0, 1), 6 * 256);
    EXPECT_EQ(PlaySound(6, 0, 1), -1);
    EXPECT_EQ(SoundPlaying(6 * 256), 1);
    StopAllSounds();
    EXPECT_EQ(SoundPlaying(6 * 256), 0);
    EXPECT_EQ(PlaySound(6, 0, 1), 6 * 256);
}

TEST_F(Sound, CopiesAreClampedToOneToFour) {
    std::string path = long_sound();
    struct Case {
        double copies;
        int expected;
    } cases[] = {{0, 1}, {-3, 1}, {3, 3}, {4, 4}, {9, 4}};
    for (const Case& c : cases) {
        ASSERT_EQ(load(path, 7, c.copies), 1);
        EXPECT_EQ(sound_slot(7).buffer_count, c.expected) << c.copies;
    }
}

int g_observed_slot = -1000;
void observe(int slot, double, double) {
    g_observed_slot = slot;
}

TEST_F(Sound, SlotsAbove127PlaySlot127) {
    ASSERT_EQ(load(long_sound(), 127, 1), 1);
    SoundSetPlayObserver(observe);
    EXPECT_EQ(PlaySound(200, 0, 1), 127 * 256);
    EXPECT_EQ(g_observed_slot, 127);
    EXPECT_EQ(PlaySound(-1, 0, 1), -1);
    EXPECT_EQ(PlaySound(50, 0, 1), -1); // never loaded
    EXPECT_EQ(load(long_sound(), -1, 1), 0);
}

TEST_F(Sound, PlayingStatusOfBadAndFinishedChannels) {
    EXPECT_EQ(SoundPlaying(-1), 0);
    EXPECT_EQ(SoundPlaying(128 * 256), 0);
    WaveSpec wave;
    wave.frames = 100; // a few milliseconds
    ASSERT_EQ(load(write("short", make_wave(wave)), 8, 1), 1);
    double channel = PlaySound(8, 0, 1);
    ASSERT_EQ(channel, 8 * 256);
    // The dummy device plays in real time; give it ample time to finish.
    for (int i = 0; i < 400 && SoundPlaying(channel) != 0; ++i)
        SDL_Delay(5);
    EXPECT_EQ(SoundPlaying(channel), 0);
    EXPECT_EQ(PlaySound(8, 0, 1), 8 * 256); // a finished copy plays again
}

// Volume falls linearly in decibels: 50 % is -50 dB, not half amplitude.
TEST_F(Sound, LevelsInHundredthsOfADecibel) {
    struct Case {
        int pan, volume;
        double left, right;
    } cases[] = {
        {0, 0, 1, 1},
        {0, -5000, 0.0031623, 0.0031623},
        {0, -10000, 0, 0},
        {10000, 0, 0, 1},
        {-10000, 0, 1, 0},
        {2000, 0, 0.1, 1},
        {-2000, -2000, 0.1, 0.01},
    };
    for (const Case& c : cases) {
        double left = -1, right = -1;
        sound_gains(c.pan, c.volume, &left, &right);
        EXPECT_NEAR(left, c.left, 1e-6) << c.pan << " " << c.volume;
        EXPECT_NEAR(right, c.right, 1e-6) << c.pan << " " << c.volume;
    }
}

TEST_F(Sound, WithoutADeviceLoadsGiveZeroAndPlaysMinusOne) {
    std::string path = long_sound();
    SoundRelease();
    SoundSetPlayObserver(observe);
    g_observed_slot = -1000;
    EXPECT_EQ(load(path, 3, 1), 0);
    EXPECT_EQ(PlaySound(3, 0, 1), -1);
    EXPECT_EQ(g_observed_slot, 3); // observers still see the play
    EXPECT_EQ(SoundPlaying(3 * 256), 0);
    EXPECT_EQ(PlayMusic(RtString(path.c_str())), -1);
    ASSERT_EQ(SoundInit(sound_device(), nullptr), 1);
    EXPECT_EQ(load(path, 3, 1), 1);
}

TEST_F(Sound, MusicAndMovies) {
    std::string path = long_sound();
    EXPECT_EQ(PlayMusic(RtString(path.c_str())), 0);
    EXPECT_EQ(PlayMusic(RtString(path.c_str())), 0); // replaces the first
    StopMusic();
    EXPECT_EQ(PlayMusic("cropstack_no_such_music.ogg"), -1);
    EXPECT_EQ(PlayMovie(RtString(path.c_str()), 0), 3);
    EXPECT_EQ(PlayMovie("cropstack_no_such_movie.avi", 0), 3);
}

} // namespace
