#include "tga_builder.h"

namespace {

void Put(std::string& out, uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) {
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
    }
}

int Bytes_Of(int bits) {
    return bits <= 8 ? 1 : (bits + 7) / 8;
}

void Put_Packets(std::string& out, const std::vector<uint32_t>& values, int bytes) {
    size_t i = 0;
    while (i < values.size()) {
        size_t run = 1;
        while (i + run < values.size() && run < 128 && values[i + run] == values[i]) {
            ++run;
        }
        if (run >= 2) {
            out.push_back(static_cast<char>(0x80 | (run - 1)));
            Put(out, values[i], bytes);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < values.size() && raw < 128 &&
               !(i + raw + 1 < values.size() && values[i + raw + 1] == values[i + raw])) {
            ++raw;
        }
        out.push_back(static_cast<char>(raw - 1));
        for (size_t k = 0; k < raw; ++k) {
            Put(out, values[i + k], bytes);
        }
        i += raw;
    }
}

}  // namespace

std::string Tga_File(const TgaPicture& s) {
    std::string out;
    const int map_length = s.map_length >= 0 ? s.map_length : static_cast<int>(s.map.size());
    out.push_back(static_cast<char>(s.id.size()));
    out.push_back(static_cast<char>(s.map_type));
    out.push_back(static_cast<char>(s.image_type));
    Put(out, s.map_first, 2);
    Put(out, map_length, 2);
    out.push_back(static_cast<char>(s.map_entry_bits));
    Put(out, 0, 4);
    Put(out, s.width, 2);
    Put(out, s.height, 2);
    out.push_back(static_cast<char>(s.pixel_depth));
    out.push_back(static_cast<char>(s.descriptor));
    out += s.id;
    for (uint32_t entry : s.map) {
        Put(out, entry, Bytes_Of(s.map_entry_bits));
    }
    if (s.image_type >= 9) {
        Put_Packets(out, s.pixels, Bytes_Of(s.pixel_depth));
    } else {
        for (uint32_t value : s.pixels) {
            Put(out, value, Bytes_Of(s.pixel_depth));
        }
    }
    return out;
}

std::vector<uint32_t> In_File_Order(const std::vector<uint32_t>& top_first, int width, int height,
                                    int descriptor) {
    std::vector<uint32_t> order;
    for (int file_row = 0; file_row < height; ++file_row) {
        const int y = (descriptor & 0x20) != 0 ? file_row : height - 1 - file_row;
        for (int file_column = 0; file_column < width; ++file_column) {
            const int x = (descriptor & 0x10) != 0 ? width - 1 - file_column : file_column;
            order.push_back(top_first[y * width + x]);
        }
    }
    return order;
}
