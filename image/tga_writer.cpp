// Writing of bottom-row-first RGB or RGBA buffers as uncompressed true-colour TGA files.
#include <cstdio>
#include <vector>

#include "image/tga.h"
#include "image/tga_error.h"
#include "image/tga_header.h"
#include "image/tga_pixel.h"

namespace {

// Identifies our files to anyone reading them; stored without a terminating zero.
constexpr char kImageId[] = "written by tovrel tga";
constexpr int kImageIdLength = sizeof kImageId - 1;

// Width and height are 16-bit fields of the header.
constexpr int kLargestSide = 65535;

// An alpha channel of 8 attribute bits, rows bottom first and left to right.
constexpr int kDescriptorWithAlpha = 8;

int Fail(int code) {
    Record_Tga_Error(code);
    return 0;
}

bool Write(std::FILE* file, const void* bytes, size_t count) {
    return std::fwrite(bytes, 1, count, file) == count;
}

bool Write_Image(std::FILE* file, int width, int height, const unsigned char* data, int format) {
    TgaHeader header;
    header.id_length = kImageIdLength;
    header.image_type = kTgaTypeTrueColour;
    header.width = width;
    header.height = height;
    header.pixel_depth = format * 8;
    header.descriptor = format == 4 ? kDescriptorWithAlpha : 0;
    uint8_t raw[kTgaHeaderSize];
    Format_Tga_Header(header, raw);
    if (!Write(file, raw, kTgaHeaderSize) || !Write(file, kImageId, kImageIdLength)) {
        return false;
    }
    const size_t row_bytes = static_cast<size_t>(width) * format;
    std::vector<uint8_t> row(row_bytes);
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = data + y * row_bytes;
        for (size_t at = 0; at < row_bytes; at += format) {
            Rgba p{in[at], in[at + 1], in[at + 2], 255};
            if (format == 4) {
                p.a = in[at + 3];
                p = Straight_From_Premultiplied(p);
                row[at + 3] = p.a;
            }
            row[at] = p.b;
            row[at + 1] = p.g;
            row[at + 2] = p.r;
        }
        if (!Write(file, row.data(), row_bytes)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int tga_save_file(const char* path, int width, int height, const unsigned char* data, int format) {
    if (format != 3 && format != 4) {
        return Fail(kTgaBadFormat);
    }
    if (data == nullptr) {
        return Fail(kTgaNoData);
    }
    if (width <= 0 || height <= 0) {
        return Fail(kTgaZeroSize);
    }
    if (width > kLargestSide || height > kLargestSide) {
        return Fail(kTgaTooLarge);
    }
    std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
    if (file == nullptr) {
        return Fail(kTgaCannotOpen);
    }
    // Buffered bytes may only fail to reach the disk when the file is closed.
    const bool written = Write_Image(file, width, height, data, format);
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 1 : Fail(kTgaCannotWrite);
}
