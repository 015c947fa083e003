#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds TGA files byte by byte for the tests, from the header fields and the stored values,
// without going through the module under test. Values are written little-endian in as many bytes
// as their depth needs.
struct TgaPicture {
    int image_type = 2;
    int pixel_depth = 24;
    int descriptor = 0;  // attribute bits | 0x10 right to left | 0x20 top to bottom
    int width = 1;
    int height = 1;
    std::string id;
    int map_type = 0;
    int map_first = 0;
    int map_length = -1;  // -1: the number of entries in `map`
    int map_entry_bits = 0;
    std::vector<uint32_t> map;
    std::vector<uint32_t> pixels;  // stored values (colours or map indices) in file order
};

// The whole file. Run-length encoded image types (9, 10, 11) get packets: a repeated packet for
// every run of two or more equal values, raw packets between them, at most 128 pixels each.
std::string Tga_File(const TgaPicture& picture);

// The values of a picture given top row first, left to right, in the order a file with origin
// bits `descriptor` (0x10, 0x20) stores them.
std::vector<uint32_t> In_File_Order(const std::vector<uint32_t>& top_first, int width, int height,
                                    int descriptor);
