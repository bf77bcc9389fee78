// WAV files in the shapes sound editors write (extra chunks, odd sizes,
// the extensible format, 24 and 32 bits), files that are not PCM, names
// with "\" and names that are no plain file.
#include "audio/sound_local.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string le(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::string chunk(const std::string& id, const std::string& body) {
    std::string out = id + le(static_cast<std::uint32_t>(body.size()), 4) + body;
    if (body.size() % 2 == 1) out += '\0'; // the pad byte
    return out;
}

// A format chunk body: 16 bytes, or 40 with the extensible tail.
std::string format(int tag, int channels, int bits, int size = 16, std::uint16_t sub_format = 1) {
    const int align = channels * bits / 8;
    std::string body = le(static_cast<std::uint32_t>(tag), 2) + le(channels, 2) + le(8000, 4) +
                       le(8000u * align, 4) + le(align, 2) + le(bits, 2);
    if (size == 18) body += le(0, 2);
    if (size == 40) {
        body += le(22, 2) + le(bits, 2) + le(channels == 2 ? 3 : 4, 4) + le(sub_format, 2);
        body += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    return body;
}

std::string riff(const std::string& chunks) {
    return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

// Samples 0..n-1 of the given width, each sample's top byte its index.
std::string samples(int count, int width) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out.append(static_cast<std::size_t>(width - 1), '\x11');
        out += static_cast<char>(i);
    }
    return out;
}

std::string list_chunk() {
    return chunk("LIST", "INFOISFT" + le(14, 4) + "Lavf60.16.100" + std::string(1, '\0'));
}

class WaveFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SoundInit(sound_device(), nullptr), 1);
        char pattern[] = "/tmp/cropstack-wave-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        saved_tmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        setenv("TMPDIR", dir_.c_str(), 1); // the error log lands here
        rt_delete_log();
    }
    void TearDown() override {
        StopAllSounds();
        setenv("TMPDIR", saved_tmp_.c_str(), 1);
        fs::remove_all(dir_);
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::string log() const {
        std::ifstream in(dir_ / "ErrorLog.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path dir_;
    std::string saved_tmp_;
};

struct ShapeCase {
    const char* name;
    std::string file;
    bool loads;
    int bits;           // bits per sample after reading
    int channels;       // channels after reading
    const char* logged; // part of the log entry for a refusal, or ""
};

TEST_F(WaveFiles, ShapesThatEditorsWrite) {
    const std::string mono16 = samples(16, 2);
    const ShapeCase cases[] = {
        {"list_before_data",
         riff(chunk("fmt ", format(1, 1, 16)) + list_chunk() + chunk("data", mono16)), true, 16, 1,
         ""},
        {"odd_chunk_padded",
         riff(chunk("fmt ", format(1, 1, 16)) + chunk("junk", "abc") + chunk("data", mono16)), true,
         16, 1, ""},
        {"fmt18_fact_list",
         riff(chunk("fmt ", format(1, 2, 16, 18)) + chunk("fact", le(8, 4)) + list_chunk() +
              chunk("data", samples(16, 2))),
         true, 16, 2, ""},
        {"extensible_pcm",
         riff(chunk("fmt ", format(0xFFFE, 2, 16, 40)) + chunk("data", samples(16, 2))), true, 16,
         2, ""},
        {"extensible_8bit",
         riff(chunk("fmt ", format(0xFFFE, 1, 8, 40)) + chunk("data", std::string(16, '\x80'))),
         true, 8, 1, ""},
        {"bits24",
         riff(chunk("fmt ", format(1, 1, 24)) + list_chunk() + chunk("data", samples(16, 3))), true,
         16, 1, ""},
        {"extensible_32",
         riff(chunk("fmt ", format(0xFFFE, 2, 32, 40)) + chunk("data", samples(16, 4))), true, 16,
         2, ""},
        {"float", riff(chunk("fmt ", format(3, 1, 32, 18)) + chunk("data", samples(16, 4))), false,
         0, 0, "not PCM (format 3)"},
        {"extensible_float",
         riff(chunk("fmt ", format(0xFFFE, 1, 32, 40, 3)) + chunk("data", samples(16, 4))), false,
         0, 0, "not PCM (format 65534)"},
        {"mulaw_fixed_layout", riff(chunk("fmt ", format(7, 1, 8)) + chunk("data", mono16)), false,
         0, 0, "not PCM (format 7)"},
        {"data_before_fmt", riff(chunk("data", mono16) + chunk("fmt ", format(1, 1, 16))), false, 0,
         0, ""},
        {"chunk_past_end", riff(chunk("fmt ", format(1, 1, 16)) + "LIST" + le(5000, 4) + "xx"),
         false, 0, 0, ""},
    };
    for (const ShapeCase& c : cases) {
        rt_delete_log();
        WaveData wave;
        wave.bits = -1;
        const bool read = parse_wave(c.file, RtString(c.name), wave);
        const double loaded =
            LoadSound(RtString(write(std::string(c.name) + ".wav", c.file).c_str()), 20, 1);
        EXPECT_EQ(read, c.loads) << c.name;
        EXPECT_EQ(loaded, c.loads ? 1 : 0) << c.name;
        if (c.loads) {
            EXPECT_EQ(wave.bits, c.bits) << c.name;
            EXPECT_EQ(wave.channels, c.channels) << c.name;
            EXPECT_EQ(wave.block_align, c.channels * c.bits / 8) << c.name;
            EXPECT_EQ(wave.samples.size(), 16u * static_cast<unsigned>(c.bits / 8)) << c.name;
        }
        EXPECT_NE(log().find(c.logged), std::string::npos) << c.name << ": " << log();
    }
}

// Wide samples keep their top two bytes, in order.
TEST_F(WaveFiles, WideSamplesAreCutTo16Bits) {
    for (int width : {3, 4}) {
        WaveData wave;
        const std::string file =
            riff(chunk("fmt ", format(1, 1, width * 8)) + chunk("data", samples(5, width)));
        ASSERT_TRUE(parse_wave(file, RtString("wide"), wave)) << width;
        ASSERT_EQ(wave.samples.size(), 10u) << width;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(wave.samples[2 * i], 0x11) << width << " sample " << i;
            EXPECT_EQ(wave.samples[2 * i + 1], i) << width << " sample " << i;
        }
    }
}

// The game's own layout reads as it always did, data bytes and all.
TEST_F(WaveFiles, FixedLayoutReadsTheSameBytes) {
    const std::string data = samples(8, 2);
    WaveData wave;
    ASSERT_TRUE(parse_wave(riff(chunk("fmt ", format(1, 1, 16)) + chunk("data", data)),
                           RtString("fixed"), wave));
    EXPECT_EQ(std::string(wave.samples.begin(), wave.samples.end()), data);
}

TEST_F(WaveFiles, BackslashNamesReachTheFile) {
    write("sfx/block.wav", riff(chunk("fmt ", format(1, 1, 16)) + chunk("data", samples(8, 2))));
    const std::string name = dir_.string() + "\\sfx\\block.wav";
    EXPECT_EQ(LoadSound(RtString(name.c_str()), 21, 1), 1);
    EXPECT_EQ(PlayMusic(RtString(name.c_str())), 0);
    StopMusic();
}

// A pipe or a directory named as a sound is refused at once and logged;
// without the guard the pipe would block the load for good.
TEST_F(WaveFiles, PipesAndDirectoriesAreRefusedAndLogged) {
    const fs::path pipe = dir_ / "block.wav";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.wav");
    for (const fs::path& path : {pipe, dir_ / "folder.wav"}) {
        rt_delete_log();
        const RtString name(path.c_str());
        EXPECT_EQ(LoadSound(name, 22, 1), 0) << path;
        EXPECT_EQ(PlayMusic(name), -1) << path;
        EXPECT_EQ(PlayMovie(name, 0), 3) << path;
        EXPECT_NE(log().find("sound: cannot read " + path.string() + ": not a plain file"),
                  std::string::npos)
            << log();
        EXPECT_NE(log().find("movie: cannot read " + path.string() + ": not a plain file"),
                  std::string::npos)
            << log();
    }
}

} // namespace
