#include "image/tga_header.h"

namespace {

int Read_16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}

void Write_16(uint8_t* p, int value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

TgaHeader Parse_Tga_Header(const uint8_t bytes[kTgaHeaderSize]) {
    TgaHeader h;
    h.id_length = bytes[0];
    h.map_type = bytes[1];
    h.image_type = bytes[2];
    h.map_first = Read_16(bytes + 3);
    h.map_length = Read_16(bytes + 5);
    h.map_entry_bits = bytes[7];
    h.x_origin = Read_16(bytes + 8);
    h.y_origin = Read_16(bytes + 10);
    h.width = Read_16(bytes + 12);
    h.height = Read_16(bytes + 14);
    h.pixel_depth = bytes[16];
    h.descriptor = bytes[17];
    return h;
}

void Format_Tga_Header(const TgaHeader& h, uint8_t bytes[kTgaHeaderSize]) {
    bytes[0] = static_cast<uint8_t>(h.id_length);
    bytes[1] = static_cast<uint8_t>(h.map_type);
    bytes[2] = static_cast<uint8_t>(h.image_type);
    Write_16(bytes + 3, h.map_first);
    Write_16(bytes + 5, h.map_length);
    bytes[7] = static_cast<uint8_t>(h.map_entry_bits);
    Write_16(bytes + 8, h.x_origin);
    Write_16(bytes + 10, h.y_origin);
    Write_16(bytes + 12, h.width);
    Write_16(bytes + 14, h.height);
    bytes[16] = static_cast<uint8_t>(h.pixel_depth);
    bytes[17] = static_cast<uint8_t>(h.descriptor);
}
