#pragma once

#include <cstdint>

// The conversions between the values stored in a TGA file and the RGBA bytes of a pixel buffer.
// A stored value is the pixel's (or colour map entry's) bytes assembled little-endian.

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

// True-colour values of 15 or 16 bits (5 bits per channel, bit 15 an attribute bit that is not
// used), 24 bits (B, G, R from the lowest byte up) or 32 bits (B, G, R, A). A 32-bit value is
// opaque when the image declares no attribute bits, since its fourth byte then means nothing.
Rgba Rgba_From_Colour_Value(uint32_t value, int depth, int attribute_bits);

// Grey-scale values of 8 bits (opaque) or 16 bits (grey in the low byte, alpha in the high byte,
// opaque when the image declares no attribute bits).
Rgba Rgba_From_Grey_Value(uint32_t value, int depth, int attribute_bits);

// Each colour channel times alpha / 255, rounded down; alpha 255 keeps every colour.
Rgba Premultiplied(Rgba pixel);

// Undoes Premultiplied for storing: each colour times 255 / alpha, rounded down and at most 255.
// Alpha 0 keeps the colours as they are, alpha 255 keeps every colour.
Rgba Straight_From_Premultiplied(Rgba pixel);

inline bool Colour_Depth_Supported(int depth) {
    return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}
inline bool Grey_Depth_Supported(int depth) {
    return depth == 8 || depth == 16;
}
inline bool Index_Depth_Supported(int depth) {
    return depth == 8 || depth == 16;
}
