#pragma once

#include <cstdint>

// The 18-byte header that starts every TGA file; multi-byte fields are little-endian.
//
//   offset  size  field
//   0       1     image ID length (bytes of ID text right after the header)
//   1       1     colour map type (0 none, anything else present)
//   2       1     image type (TgaImageType)
//   3       2     colour map: index of the first stored entry
//   5       2     colour map: number of stored entries
//   7       1     colour map: entry size in bits
//   8       4     x and y origin of the picture on a screen (not used here)
//   12      2     width in pixels
//   14      2     height in pixels
//   16      1     pixel depth in bits
//   17      1     descriptor: bits 0-3 attribute (alpha) bits per pixel, bit 4 rows run right to
//                 left, bit 5 rows run top to bottom
constexpr int kTgaHeaderSize = 18;

enum TgaImageType {
    kTgaTypeNone = 0,
    kTgaTypeMapped = 1,
    kTgaTypeTrueColour = 2,
    kTgaTypeGrey = 3,
    kTgaTypeMappedRle = 9,
    kTgaTypeTrueColourRle = 10,
    kTgaTypeGreyRle = 11,
};

constexpr int kTgaRightToLeftBit = 0x10;
constexpr int kTgaTopToBottomBit = 0x20;
constexpr int kTgaAttributeBitsMask = 0x0F;

struct TgaHeader {
    int id_length = 0;
    int map_type = 0;
    int image_type = 0;
    int map_first = 0;
    int map_length = 0;
    int map_entry_bits = 0;
    int x_origin = 0;
    int y_origin = 0;
    int width = 0;
    int height = 0;
    int pixel_depth = 0;
    int descriptor = 0;

    bool Has_Map() const { return map_type != 0; }
    int Attribute_Bits() const { return descriptor & kTgaAttributeBitsMask; }
    bool Run_Length_Encoded() const { return image_type >= kTgaTypeMappedRle; }
};

TgaHeader Parse_Tga_Header(const uint8_t bytes[kTgaHeaderSize]);
void Format_Tga_Header(const TgaHeader& header, uint8_t bytes[kTgaHeaderSize]);

// Bytes that hold a value of `bits` bits: 15 and 16 take 2, 24 takes 3; never fewer than 1.
inline int Bytes_For_Bits(int bits) {
    return bits <= 8 ? 1 : (bits + 7) / 8;
}
