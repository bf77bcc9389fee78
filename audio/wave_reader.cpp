// wave_reader.cpp: the program's own WAV reader.
//
// The file is read whole through the runtime's guard. Files in the game's
// own fixed layout (RIFF header, a 16- or 30-byte format chunk, an optional
// "fact" chunk of at most 1024 bytes, then "data") are read exactly that way,
// without looking at the RIFF and WAVE identifiers. Anything else is read by
// walking the chunks, as sound editors write them: "LIST" and other chunks
// skipped, odd sizes padded, and the 40-byte extensible format taken when
// its sub-format is PCM. 24- and 32-bit samples are cut to 16 bits.
#include "audio/sound_local.h"

#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kMaxFactBody = 1024;
// Sound effects are short; this is ten minutes of CD-quality stereo. Larger
// data chunks are refused instead of read whole into memory.
constexpr std::uint32_t kMaxDataBytes = 100u << 20;
// Room for the chunks beside the sample data.
constexpr std::uint64_t kMaxFileBytes = 2ull * kMaxDataBytes;

constexpr int kFormatPcm = 1;
constexpr int kFormatExtensible = 0xFFFE;
// The rest of the PCM sub-format identifier after its first two bytes.
constexpr unsigned char kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

int le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

// Where a file's pieces lie, before anything is copied.
struct WaveLayout {
    std::size_t format = 0; // offset of the format chunk's body
    std::uint32_t format_size = 0;
    std::size_t data = 0; // offset of the sample data
    std::uint32_t data_size = 0;
};

// The fixed layout: format body at 20, then (after 14 more bytes when the
// format chunk is not 16 long) an optional "fact" and the "data" header.
bool find_fixed(const std::string& file, WaveLayout* out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    if (file.size() < 36) return false;
    std::size_t at = le32(bytes + 16) == 16 ? 36 : 50;
    if (file.size() < at + 8) return false;
    if (std::memcmp(bytes + at, "fact", 4) == 0) {
        const std::uint32_t body = le32(bytes + at + 4);
        if (body > kMaxFactBody || file.size() < at + 16 + body) return false;
        at += 8 + body;
    }
    if (std::memcmp(bytes + at, "data", 4) != 0) return false;
    out->format = 20;
    out->format_size = 16;
    out->data = at + 8;
    out->data_size = le32(bytes + at + 4);
    return true;
}

// The chunks one after another from offset 12: the first "fmt " and the
// first "data" after it; every other chunk skipped with its pad byte.
bool find_chunks(const std::string& file, WaveLayout* out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    if (file.size() < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
        std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;
    bool have_format = false;
    for (std::size_t at = 12; file.size() - at >= 8;) {
        const std::uint32_t size = le32(bytes + at + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(bytes + at, "data", 4) == 0 && have_format) {
            out->data = body;
            out->data_size = size;
            return true;
        }
        if (std::memcmp(bytes + at, "fmt ", 4) == 0 && !have_format) {
            if (size < 16 || file.size() - body < size) return false;
            out->format = body;
            out->format_size = size;
            have_format = true;
        }
        const std::uint64_t next = static_cast<std::uint64_t>(body) + size + (size & 1u);
        if (next > file.size()) return false;
        at = static_cast<std::size_t>(next);
    }
    return false;
}

// PCM itself, or the extensible format whose sub-format is PCM.
bool is_pcm(const std::uint8_t* format, std::uint32_t size) {
    const int tag = le16(format);
    if (tag == kFormatPcm) return true;
    return tag == kFormatExtensible && size >= 40 && le16(format + 16) >= 22 &&
           le16(format + 24) == kFormatPcm &&
           std::memcmp(format + 26, kPcmGuidTail, sizeof kPcmGuidTail) == 0;
}

// 24- and 32-bit little-endian samples keep their top two bytes.
void cut_to_16_bits(WaveData& wave) {
    const std::size_t width = static_cast<std::size_t>(wave.bits / 8);
    const std::size_t count = wave.samples.size() / width;
    for (std::size_t i = 0; i < count; ++i) {
        wave.samples[2 * i] = wave.samples[i * width + width - 2];
        wave.samples[2 * i + 1] = wave.samples[i * width + width - 1];
    }
    wave.samples.resize(2 * count);
    wave.block_align = wave.block_align / static_cast<int>(width) * 2;
    wave.bits = 16;
}

bool fill_wave(const std::string& file, const WaveLayout& layout, const RtString& path,
               WaveData& wave) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const std::uint8_t* format = bytes + layout.format;
    wave.channels = le16(format + 2) < 2 ? 1 : 2;
    wave.rate = static_cast<int>(le32(format + 4));
    wave.block_align = le16(format + 12);
    wave.bits = le16(format + 14);
    // A size beyond the file's end is a short read.
    if (layout.data_size > file.size() - layout.data) return false;
    if (layout.data_size > kMaxDataBytes) {
        rt_log(RtString("sound: ") + path + ": sample data too large");
        return false;
    }
    wave.samples.assign(bytes + layout.data, bytes + layout.data + layout.data_size);
    return true;
}

} // namespace

bool parse_wave(const std::string& file, const RtString& path, WaveData& wave) {
    WaveLayout layout;
    const bool fixed = find_fixed(file, &layout);
    if (!fixed && !find_chunks(file, &layout)) return false;
    // Compressed or floating-point samples read as PCM would only be noise.
    const auto* format = reinterpret_cast<const std::uint8_t*>(file.data()) + layout.format;
    if (!is_pcm(format, layout.format_size)) {
        rt_log(RtString("sound: ") + path + ": not PCM (format " + RtString(le16(format)) + ")");
        return false;
    }
    if (!fill_wave(file, layout, path, wave)) return false;
    const int channels = le16(format + 2);
    if ((wave.bits == 24 || wave.bits == 32) && channels >= 1 &&
        wave.block_align == channels * wave.bits / 8)
        cut_to_16_bits(wave);
    return true;
}

bool read_wave_file(const RtString& path, WaveData& wave) {
    std::string file;
    if (!rt_read_data_file(path, "sound", &file, kMaxFileBytes)) return false;
    return parse_wave(file, path, wave);
}
