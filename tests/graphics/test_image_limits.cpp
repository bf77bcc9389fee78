// Image headers that ask for more than any picture needs, or that disagree
// with the data behind them, are refused with a log entry before anything
// of their claimed size is allocated.
#include "gfx_support.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

void put_be32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void put_le(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put_chunk(std::string& out, const char* type, const std::string& body) {
    put_be32(out, static_cast<std::uint32_t>(body.size()));
    const std::string typed = type + body;
    out += typed;
    put_be32(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                   static_cast<uInt>(typed.size()))));
}

// An RGBA PNG header of the given size followed by a few bytes of image data.
std::string png_header(std::uint32_t w, std::uint32_t h) {
    std::string ihdr;
    put_be32(ihdr, w);
    put_be32(ihdr, h);
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);
    std::string out = "\x89PNG\r\n\x1a\n";
    put_chunk(out, "IHDR", ihdr);
    put_chunk(out, "IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    return out;
}

// A 24-bit BMP header with the given sizes and `data` bytes of pixels.
std::string bmp_header(std::int32_t w, std::int32_t h, std::size_t data) {
    std::string out = "BM";
    put_le(out, static_cast<std::uint32_t>(54 + data), 4);
    put_le(out, 0, 4);
    put_le(out, 54, 4);
    put_le(out, 40, 4);
    put_le(out, static_cast<std::uint32_t>(w), 4);
    put_le(out, static_cast<std::uint32_t>(h), 4);
    put_le(out, 1, 2);
    put_le(out, 24, 2);
    out += std::string(24, '\0');
    return out + std::string(data, '\x7f');
}

std::string log_text() {
    std::ifstream in(rt_log_path().str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct LimitCase {
    const char* name;
    std::string bytes;
    const char* logged;
};

TEST(ImageLimits, OversizedOrInconsistentHeadersAreRefusedAndLogged) {
    const LimitCase cases[] = {
        {"png_100000_square", png_header(100000, 100000), "PNG sizes out of range"},
        {"png_too_wide", png_header(16385, 1), "PNG sizes out of range"},
        {"png_too_many_pixels", png_header(5000, 5000), "PNG sizes out of range"},
        {"bmp_too_wide", bmp_header(20000, 1, 60000), "BMP sizes out of range"},
        {"bmp_too_many_pixels", bmp_header(8000, 8000, 16), "BMP sizes out of range"},
        {"bmp_short_data", bmp_header(4, 4, 47), "BMP sizes disagree with its data"},
        {"bmp_cut_header", bmp_header(4, 4, 48).substr(0, 30), "BMP header cut short"},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = gfx_temp_dir() + c.name + ".img";
        std::ofstream(path, std::ios::binary) << c.bytes;
        rt_delete_log();
        DecodedImage img;
        EXPECT_FALSE(DecodeImage(path.c_str(), kTransparencyKey, img));
        EXPECT_TRUE(img.pixels.empty());
        EXPECT_NE(log_text().find(c.logged), std::string::npos) << log_text();
    }
    // A device given as a picture is refused without reading it.
    DecodedImage none;
    EXPECT_FALSE(DecodeImage("/dev/zero", kTransparencyKey, none));
    // Just inside the limits and consistent: decoded.
    const std::string path = gfx_temp_dir() + "bmp_fits.img";
    std::ofstream(path, std::ios::binary) << bmp_header(4, 4, 48);
    DecodedImage img;
    EXPECT_TRUE(DecodeImage(path.c_str(), kTransparencyKey, img));
    EXPECT_EQ(img.width, 4);
}

} // namespace
