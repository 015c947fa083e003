// Decoding of TGA files into bottom-row-first RGB or RGBA buffers. The same routine reads from a
// file and from memory; it checks every size against the bytes actually present before trusting
// it, so a broken or hostile file fails with an error code and never reads or writes out of
// bounds.
#include <cstdlib>
#include <vector>

#include "image/tga.h"
#include "image/tga_error.h"
#include "image/tga_header.h"
#include "image/tga_pixel.h"
#include "image/tga_source.h"

namespace {

// A run-length packet covers at most this many pixels (its count is 7 bits, plus one).
constexpr uint64_t kMostPixelsPerPacket = 128;

enum class PixelKind { kMapIndex, kColour, kGrey };

// How the stored pixels of one image turn into RGBA.
struct PixelLayout {
    PixelKind kind = PixelKind::kColour;
    int bytes = 1;  // stored bytes per pixel
    int depth = 0;
    int attribute_bits = 0;
    int map_first = 0;
    std::vector<Rgba> map;  // converted and premultiplied entries, the first being map_first
};

unsigned char* Fail(int code) {
    Record_Tga_Error(code);
    return nullptr;
}

int End_Error(const TgaSource& in) {
    return in.Read_Error() ? kTgaCannotRead : kTgaUnexpectedEnd;
}

uint32_t Little_Endian(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int k = count - 1; k >= 0; --k) {
        value = (value << 8) | bytes[k];
    }
    return value;
}

bool Is_Mapped(int image_type) {
    return image_type == kTgaTypeMapped || image_type == kTgaTypeMappedRle;
}

bool Is_Grey(int image_type) {
    return image_type == kTgaTypeGrey || image_type == kTgaTypeGreyRle;
}

// Reads the colour map that follows the image ID. Only colour-mapped images use it; for the
// others it is read past, as the format allows a map there for the display hardware's sake.
int Read_Colour_Map(TgaSource& in, const TgaHeader& h, PixelLayout* layout) {
    if (!h.Has_Map()) {
        return kTgaNoError;
    }
    if (Is_Grey(h.image_type)) {
        return kTgaGreyColormap;
    }
    if (!Colour_Depth_Supported(h.map_entry_bits)) {
        return kTgaBadMapEntrySize;
    }
    const int entry_bytes = Bytes_For_Bits(h.map_entry_bits);
    const bool used = Is_Mapped(h.image_type);
    for (int e = 0; e < h.map_length; ++e) {
        uint8_t bytes[4];
        if (!in.Read(bytes, entry_bytes)) {
            return in.Read_Error() ? kTgaCannotRead : kTgaBadColormap;
        }
        if (used) {
            const uint32_t value = Little_Endian(bytes, entry_bytes);
            layout->map.push_back(
                Premultiplied(Rgba_From_Colour_Value(value, h.map_entry_bits, h.Attribute_Bits())));
        }
    }
    layout->map_first = h.map_first;
    return kTgaNoError;
}

int Plan_Layout(const TgaHeader& h, PixelLayout* layout) {
    bool depth_supported = false;
    switch (h.image_type) {
        case kTgaTypeMapped:
        case kTgaTypeMappedRle:
            if (!h.Has_Map()) {
                return kTgaBadColormap;
            }
            layout->kind = PixelKind::kMapIndex;
            depth_supported = Index_Depth_Supported(h.pixel_depth);
            break;
        case kTgaTypeTrueColour:
        case kTgaTypeTrueColourRle:
            layout->kind = PixelKind::kColour;
            depth_supported = Colour_Depth_Supported(h.pixel_depth);
            break;
        case kTgaTypeGrey:
        case kTgaTypeGreyRle:
            layout->kind = PixelKind::kGrey;
            depth_supported = Grey_Depth_Supported(h.pixel_depth);
            break;
        default:
            return kTgaUnknownType;
    }
    if (!depth_supported) {
        return kTgaBadPixelDepth;
    }
    layout->bytes = Bytes_For_Bits(h.pixel_depth);
    layout->depth = h.pixel_depth;
    layout->attribute_bits = h.Attribute_Bits();
    return kTgaNoError;
}

// The fewest bytes that can hold `count` pixels: every one stored, or packets of the longest run.
uint64_t Least_Pixel_Bytes(bool run_length, int pixel_bytes, uint64_t count) {
    if (!run_length) {
        return count * pixel_bytes;
    }
    const uint64_t packets = (count + kMostPixelsPerPacket - 1) / kMostPixelsPerPacket;
    return packets * (1 + pixel_bytes);
}

int Read_Pixel(TgaSource& in, const PixelLayout& layout, Rgba* out) {
    uint8_t bytes[4];
    if (!in.Read(bytes, layout.bytes)) {
        return End_Error(in);
    }
    const uint32_t value = Little_Endian(bytes, layout.bytes);
    switch (layout.kind) {
        case PixelKind::kMapIndex: {
            const uint32_t first = static_cast<uint32_t>(layout.map_first);
            if (value < first || value - first >= layout.map.size()) {
                return kTgaMapIndexRange;
            }
            *out = layout.map[value - first];
            break;
        }
        case PixelKind::kColour:
            *out =
                Premultiplied(Rgba_From_Colour_Value(value, layout.depth, layout.attribute_bits));
            break;
        case PixelKind::kGrey:
            *out = Premultiplied(Rgba_From_Grey_Value(value, layout.depth, layout.attribute_bits));
            break;
    }
    return kTgaNoError;
}

// Puts pixels, numbered in file order, where they belong in a bottom-row-first buffer.
class PixelPlacer {
public:
    PixelPlacer(unsigned char* out, const TgaHeader& h, int format)
        : out_(out),
          width_(static_cast<uint64_t>(h.width)),
          height_(static_cast<uint64_t>(h.height)),
          format_(format),
          right_to_left_((h.descriptor & kTgaRightToLeftBit) != 0),
          top_to_bottom_((h.descriptor & kTgaTopToBottomBit) != 0) {}

    void Place(uint64_t i, Rgba p) const {
        uint64_t column = i % width_;
        uint64_t row = i / width_;
        if (right_to_left_) {
            column = width_ - 1 - column;
        }
        if (top_to_bottom_) {
            row = height_ - 1 - row;
        }
        unsigned char* at = out_ + (row * width_ + column) * format_;
        at[0] = p.r;
        at[1] = p.g;
        at[2] = p.b;
        if (format_ == 4) {
            at[3] = p.a;
        }
    }

private:
    unsigned char* out_;
    uint64_t width_, height_;
    int format_;
    bool right_to_left_, top_to_bottom_;
};

int Decode_Plain(TgaSource& in, const PixelLayout& layout, const PixelPlacer& placer,
                 uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        Rgba p;
        if (const int error = Read_Pixel(in, layout, &p)) {
            return error;
        }
        placer.Place(i, p);
    }
    return kTgaNoError;
}

// Packets: a header byte whose low 7 bits are the pixel count minus one and whose top bit marks a
// run (one pixel repeated) rather than that many stored pixels. A packet may continue past the end
// of a row; one that reaches past the last pixel is cut there.
int Decode_Runs(TgaSource& in, const PixelLayout& layout, const PixelPlacer& placer,
                uint64_t count) {
    uint64_t i = 0;
    while (i < count) {
        uint8_t packet;
        if (!in.Read(&packet, 1)) {
            return End_Error(in);
        }
        uint64_t length = (packet & 0x7Fu) + 1;
        if (length > count - i) {
            length = count - i;
        }
        const bool repeated = (packet & 0x80u) != 0;
        Rgba p;
        for (uint64_t k = 0; k < length; ++k) {
            if (k == 0 || !repeated) {
                if (const int error = Read_Pixel(in, layout, &p)) {
                    return error;
                }
            }
            placer.Place(i + k, p);
        }
        i += length;
    }
    return kTgaNoError;
}

unsigned char* Decode(TgaSource& in, int* width, int* height, int format) {
    if (format != 3 && format != 4) {
        return Fail(kTgaBadFormat);
    }
    uint8_t raw[kTgaHeaderSize];
    if (!in.Read(raw, kTgaHeaderSize)) {
        return Fail(in.Read_Error() ? kTgaCannotRead : kTgaBadHeader);
    }
    const TgaHeader header = Parse_Tga_Header(raw);
    const uint64_t pixel_count = static_cast<uint64_t>(header.width) * header.height;
    if (pixel_count == 0) {
        return Fail(kTgaZeroSize);
    }
    if (pixel_count > kTgaMostPixels) {
        return Fail(kTgaTooManyPixels);
    }
    if (!in.Skip(header.id_length)) {
        return Fail(End_Error(in));
    }
    if (header.image_type == kTgaTypeNone) {
        return Fail(kTgaNoData);
    }
    PixelLayout layout;
    if (const int error = Read_Colour_Map(in, header, &layout)) {
        return Fail(error);
    }
    if (const int error = Plan_Layout(header, &layout)) {
        return Fail(error);
    }
    // Refuse before allocating when the rest of the file could not hold the pixels even at the
    // best compression.
    const bool run_length = header.Run_Length_Encoded();
    if (in.Remaining() < Least_Pixel_Bytes(run_length, layout.bytes, pixel_count)) {
        return Fail(kTgaUnexpectedEnd);
    }
    auto* pixels = static_cast<unsigned char*>(std::malloc(pixel_count * format));
    if (pixels == nullptr) {
        return Fail(kTgaOutOfMemory);
    }
    const PixelPlacer placer(pixels, header, format);
    const int error = run_length ? Decode_Runs(in, layout, placer, pixel_count)
                                 : Decode_Plain(in, layout, placer, pixel_count);
    if (error != kTgaNoError) {
        std::free(pixels);
        return Fail(error);
    }
    if (width != nullptr) {
        *width = header.width;
    }
    if (height != nullptr) {
        *height = header.height;
    }
    return pixels;
}

}  // namespace

unsigned char* tga_load_file(const char* path, int* width, int* height, int format) {
    if (format != 3 && format != 4) {
        return Fail(kTgaBadFormat);
    }
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return Fail(kTgaCannotOpen);
    }
    TgaSource source(file);
    unsigned char* pixels = Decode(source, width, height, format);
    std::fclose(file);
    return pixels;
}

unsigned char* tga_load_memory(const unsigned char* bytes, size_t size, int* width, int* height,
                               int format) {
    TgaSource source(bytes, bytes != nullptr ? size : 0);
    return Decode(source, width, height, format);
}
