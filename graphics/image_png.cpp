// image_png.cpp: PNG decoding and writing through libpng.
//
// libpng reports errors by longjmp; the functions below keep every C++
// object they own declared before setjmp, so a jump back only returns.
#include "graphics/graphics_local.h"
#include "platform/plat_files.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct MemoryReader {
    const std::string* bytes;
    std::size_t at;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->at + count > reader->bytes->size()) png_error(png, "read past the end of the file");
    std::memcpy(out, reader->bytes->data() + reader->at, count);
    reader->at += count;
}

void quiet_warning(png_structp, png_const_charp) {}
void quiet_error(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Asks for 8-bit samples with palette and transparency expanded.
void request_transformations(png_structp png, png_infop info) {
    int colour_type = png_get_color_type(png, info);
    int depth = png_get_bit_depth(png, info);
    if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour_type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (depth < 8) png_set_packing(png);
    png_read_update_info(png, info);
}

// Checks the transformed format; prints the reason for refusing it.
bool accepted_format(png_structp png, png_infop info, const RtString& file) {
    int channels = png_get_channels(png, info);
    int depth = png_get_bit_depth(png, info);
    int colour_type = png_get_color_type(png, info);
    if (depth != 8) {
        std::printf("File %s has bit depth %d.\n", file.c_str(), depth);
        std::printf("Only bit depth of 8 is supported.\n");
        return false;
    }
    bool known = (channels == 1 && colour_type == PNG_COLOR_TYPE_GRAY) ||
                 (channels == 2 && colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) ||
                 (channels == 3 && colour_type == PNG_COLOR_TYPE_RGB) ||
                 (channels == 4 && colour_type == PNG_COLOR_TYPE_RGB_ALPHA);
    if (!known) {
        std::printf("File %s has unsupported color type.\n", file.c_str());
        std::printf("Types GRAY, RGB and RGB_ALPHA are supported.\n");
    }
    return known;
}

void convert_row(const png_byte* src, std::uint8_t* dst, int width, int channels,
                 std::uint32_t key) {
    for (int x = 0; x < width; ++x, src += channels, dst += 4) {
        switch (channels) {
        case 4:
            std::memcpy(dst, src, 4);
            break;
        case 3: {
            std::uint32_t colour = src[0] | src[1] << 8 | static_cast<std::uint32_t>(src[2]) << 16;
            bool transparent = colour == key;
            dst[0] = transparent ? 0 : src[0];
            dst[1] = transparent ? 0 : src[1];
            dst[2] = transparent ? 0 : src[2];
            dst[3] = transparent ? 0 : 255;
            break;
        }
        case 2: // grey with its alpha
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = src[1];
            break;
        default:
            dst[0] = dst[1] = dst[2] = src[0];
            dst[3] = 255;
        }
    }
}

} // namespace

bool DecodePng(const RtString& file, std::uint32_t key, DecodedImage& out) {
    std::string bytes;
    if (!graphics_read_image_file(file, &bytes) || bytes.size() < 8 ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
        return false;
    MemoryReader reader{&bytes, 0};
    std::vector<png_bytep> rows;
    std::vector<png_byte> raw;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, quiet_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, read_from_memory);
    png_read_info(png, info);
    // Checked before any row is allocated: the header alone may claim gigabytes.
    if (!graphics_image_size_ok(png_get_image_width(png, info), png_get_image_height(png, info))) {
        rt_log(RtString("graphics: ") + file + ": PNG sizes out of range");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    request_transformations(png, info);
    if (!accepted_format(png, info, file)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    int width = static_cast<int>(png_get_image_width(png, info));
    int height = static_cast<int>(png_get_image_height(png, info));
    int channels = png_get_channels(png, info);
    std::size_t row_bytes = png_get_rowbytes(png, info);
    raw.resize(row_bytes * static_cast<std::size_t>(height));
    rows.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = raw.data() + row_bytes * static_cast<std::size_t>(y);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y)
        convert_row(rows[static_cast<std::size_t>(y)],
                    &out.pixels[static_cast<std::size_t>(y) * width * 4], width, channels, key);
    return true;
}

bool WritePng(const RtString& file, const DecodedImage& image) {
    if (image.width < 1 || image.height < 1 ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * image.height * 4)
        return false;
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) {
        rt_log(RtString("graphics: cannot write ") + file);
        return false;
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, quiet_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, const_cast<png_bytep>(
                               &image.pixels[static_cast<std::size_t>(y) * image.width * 4]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}
