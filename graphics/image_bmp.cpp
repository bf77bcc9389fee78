// image_bmp.cpp: BMP decoding (8, 24 and 32 bits per pixel) with the
// transparency key.
#include "graphics/graphics_local.h"
#include "platform/plat_files.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::uint32_t read_u32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t read_u16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

void put_pixel(std::uint8_t* out, std::uint8_t r, std::uint8_t g, std::uint8_t b,
               std::uint32_t key) {
    std::uint32_t colour = r | g << 8 | static_cast<std::uint32_t>(b) << 16;
    if (colour == key) {
        out[0] = out[1] = out[2] = out[3] = 0;
        return;
    }
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = 255;
}

struct BmpLayout {
    std::int64_t width = 0, height = 0;
    bool top_down = false; // negative height: rows stored top row first
    int bits = 0;
    std::size_t pixel_offset = 0, palette_offset = 0, stride = 0;
};

// Only a file that starts like a BMP gets a log entry when refused: the PNG
// decoder is tried next on everything else.
bool refuse(const RtString& file, const char* reason) {
    rt_log(RtString("graphics: ") + file + ": " + reason);
    return false;
}

bool read_layout(const RtString& file, const std::string& bytes, BmpLayout& l) {
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    if (bytes.size() < 14 + 40) return refuse(file, "BMP header cut short");
    l.pixel_offset = read_u32(bytes, 10);
    std::uint32_t info_size = read_u32(bytes, 14);
    l.width = static_cast<std::int32_t>(read_u32(bytes, 18));
    std::int32_t stored_height = static_cast<std::int32_t>(read_u32(bytes, 22));
    l.top_down = stored_height < 0;
    l.height = std::llabs(static_cast<std::int64_t>(stored_height));
    l.bits = read_u16(bytes, 28);
    if (l.bits != 8 && l.bits != 24 && l.bits != 32)
        return refuse(file, "BMP of an unsupported bit depth");
    if (!graphics_image_size_ok(l.width, l.height)) return refuse(file, "BMP sizes out of range");
    // The palette follows the info header, whatever its version's size.
    l.palette_offset = 14 + static_cast<std::size_t>(info_size >= 40 ? info_size : 40);
    l.stride = static_cast<std::size_t>((l.bits * l.width + 31) / 32 * 4);
    std::size_t needed = l.pixel_offset + l.stride * static_cast<std::size_t>(l.height);
    if (l.pixel_offset < 14 + 40 || needed > bytes.size())
        return refuse(file, "BMP sizes disagree with its data");
    return true;
}

} // namespace

bool graphics_read_image_file(const RtString& file, std::string* bytes) {
    std::error_code error;
    RtString name = file;
    rt_slashes(name); // names may use either separator, like every file name here
    const std::filesystem::path path(name.str());
    if (!std::filesystem::is_regular_file(path, error)) return false;
    if (std::filesystem::file_size(path, error) > kMaxImageFileBytes) {
        rt_log(RtString("graphics: ") + file + ": picture file too large");
        return false;
    }
    return plat_read_file(file.str(), bytes);
}

bool DecodeBmp(const RtString& file, std::uint32_t key, DecodedImage& out) {
    std::string bytes;
    if (!graphics_read_image_file(file, &bytes)) return false;
    BmpLayout l;
    if (!read_layout(file, bytes, l)) return false;
    out.width = static_cast<std::int32_t>(l.width);
    out.height = static_cast<std::int32_t>(l.height);
    out.pixels.assign(static_cast<std::size_t>(l.width * l.height * 4), 0);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t palette_entries =
        l.pixel_offset > l.palette_offset ? (l.pixel_offset - l.palette_offset) / 4 : 0;
    for (std::int64_t row = 0; row < l.height; ++row) {
        // Usually stored bottom row first; the decoded image starts with the top row.
        const std::uint8_t* src = data + l.pixel_offset + static_cast<std::size_t>(row) * l.stride;
        std::uint8_t* dst = &out.pixels[static_cast<std::size_t>(
            (l.top_down ? row : l.height - 1 - row) * l.width * 4)];
        for (std::int64_t x = 0; x < l.width; ++x, dst += 4) {
            if (l.bits == 8) {
                std::size_t index = src[x];
                if (index >= palette_entries) {
                    put_pixel(dst, 0, 0, 0, key);
                    continue;
                }
                const std::uint8_t* p = data + l.palette_offset + index * 4;
                put_pixel(dst, p[2], p[1], p[0], key);
            } else {
                const std::uint8_t* p = src + x * (l.bits / 8);
                put_pixel(dst, p[2], p[1], p[0], key);
            }
        }
    }
    return true;
}

bool DecodeImage(const RtString& file, std::uint32_t key, DecodedImage& out) {
    out = DecodedImage{};
    if (DecodeBmp(file, key, out)) return true;
    out = DecodedImage{};
    return DecodePng(file, key, out);
}
