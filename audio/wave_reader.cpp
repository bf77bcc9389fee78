// wave_reader.cpp: the program's own WAV reader.
//
// It reads the chunks in a fixed order and does not check the RIFF and WAVE
// identifiers: 36 bytes of RIFF header, format chunk header and PCM format;
// 14 more bytes when the format chunk is not 16 bytes long (a 30-byte one);
// an optional "fact" chunk of at most 1024 bytes; then "data".
#include "audio/sound_local.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr long kMaxFactBody = 1024;
// Sound effects are short; this is ten minutes of CD-quality stereo. Larger
// data chunks are refused instead of read whole into memory.
constexpr std::uint32_t kMaxDataBytes = 100u << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

int le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

bool read_exact(std::FILE* file, void* out, std::size_t count) {
    return std::fread(out, 1, count, file) == count;
}

// Bytes left from the current position to the end of the file.
long remaining(std::FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end - here;
}

// The chunk header after the format chunk, past an optional "fact" chunk.
bool read_data_header(std::FILE* file, std::uint32_t* data_size) {
    std::uint8_t header[8];
    if (!read_exact(file, header, 8)) return false;
    if (std::memcmp(header, "fact", 4) == 0) {
        std::uint32_t body = le32(header + 4);
        if (body > kMaxFactBody) return false;
        if (std::fseek(file, static_cast<long>(body), SEEK_CUR) != 0) return false;
        if (!read_exact(file, header, 8)) return false;
    }
    if (std::memcmp(header, "data", 4) != 0) return false;
    *data_size = le32(header + 4);
    return true;
}

} // namespace

bool read_wave_file(const RtString& path, WaveData& wave) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    std::uint8_t head[36];
    if (!read_exact(file.get(), head, sizeof head)) return false;
    if (le32(head + 16) != 16 && std::fseek(file.get(), 14, SEEK_CUR) != 0) return false;
    std::uint32_t data_size = 0;
    if (!read_data_header(file.get(), &data_size)) return false;
    int channels = le16(head + 22);
    wave.channels = channels < 2 ? 1 : 2;
    wave.rate = static_cast<int>(le32(head + 24));
    wave.block_align = le16(head + 32);
    wave.bits = le16(head + 34);
    // A size beyond the file's end is a short read; checking first keeps a
    // lying header from allocating gigabytes.
    long left = remaining(file.get());
    if (left < 0 || data_size > static_cast<unsigned long>(left)) return false;
    if (data_size > kMaxDataBytes) {
        rt_log(RtString("sound: ") + path + ": sample data too large");
        return false;
    }
    wave.samples.resize(data_size);
    return data_size == 0 || read_exact(file.get(), wave.samples.data(), data_size);
}
