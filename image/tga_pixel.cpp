#include "image/tga_pixel.h"

namespace {

// Widens a 5-bit channel to 8 bits. The factor is a little under 255 / 31, so a full channel
// becomes 254 rather than 255; files written by older versions of this program were read that way.
constexpr float kFiveBitScale = 8.2258f;

uint8_t Widen_5(uint32_t value) {
    return static_cast<uint8_t>(static_cast<float>(value & 31u) * kFiveBitScale);
}

uint8_t Byte(uint32_t value, int index) {
    return static_cast<uint8_t>(value >> (8 * index));
}

}  // namespace

Rgba Rgba_From_Colour_Value(uint32_t value, int depth, int attribute_bits) {
    Rgba p;
    if (depth == 15 || depth == 16) {
        p.r = Widen_5(value >> 10);
        p.g = Widen_5(value >> 5);
        p.b = Widen_5(value);
        p.a = 255;
    } else {
        p.b = Byte(value, 0);
        p.g = Byte(value, 1);
        p.r = Byte(value, 2);
        p.a = depth == 32 && attribute_bits != 0 ? Byte(value, 3) : 255;
    }
    return p;
}

Rgba Rgba_From_Grey_Value(uint32_t value, int depth, int attribute_bits) {
    Rgba p;
    p.r = p.g = p.b = Byte(value, 0);
    p.a = depth == 16 && attribute_bits != 0 ? Byte(value, 1) : 255;
    return p;
}

Rgba Premultiplied(Rgba p) {
    const auto scale = [&](uint8_t c) { return static_cast<uint8_t>(c * p.a / 255); };
    return {scale(p.r), scale(p.g), scale(p.b), p.a};
}

Rgba Straight_From_Premultiplied(Rgba p) {
    if (p.a == 0) {
        return p;
    }
    const auto scale = [&](uint8_t c) {
        const int straight = c * 255 / p.a;
        return static_cast<uint8_t>(straight > 255 ? 255 : straight);
    };
    return {scale(p.r), scale(p.g), scale(p.b), p.a};
}
