// Writes the seed corpus of the TGA reader's fuzz target into the folder given as the only
// argument: small valid files of every image type, pixel depth, colour map entry size and origin
// the reader takes, plain and run-length encoded.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tga_builder.h"

namespace {

// 4 x 3 pixels drawn from `values`, with runs for the packets to find.
std::vector<uint32_t> Pattern(const std::vector<uint32_t>& values) {
    const int picks[] = {0, 0, 0, 1, 2, 1, 1, 3, 3, 2, 0, 1};
    std::vector<uint32_t> pixels;
    for (int pick : picks) {
        pixels.push_back(values[pick % values.size()]);
    }
    return pixels;
}

struct Seeds {
    std::string folder;
    int count = 0;

    void Write(const std::string& name, TgaPicture picture) {
        picture.width = 4;
        picture.height = 3;
        picture.descriptor |= (count % 4) << 4;  // the four origins in turn
        ++count;
        std::ofstream(folder + "/" + name + ".tga", std::ios::binary) << Tga_File(picture);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    Seeds seeds{argv[1]};
    for (bool packed : {false, true}) {
        const std::string kind = packed ? "_rle" : "";
        TgaPicture picture;

        picture.image_type = packed ? 10 : 2;
        picture.pixel_depth = 15;
        picture.pixels = Pattern({0x7FFF, 0x001F, 0x03E0, 0x7C00});
        seeds.Write("true15" + kind, picture);
        picture.pixel_depth = 16;
        picture.descriptor = 1;
        picture.pixels = Pattern({0xFFFF, 0x801F, 0x03E0, 0x7C00});
        seeds.Write("true16" + kind, picture);
        picture.pixel_depth = 24;
        picture.descriptor = 0;
        picture.pixels = Pattern({0xFFFFFF, 0x0000FF, 0x00FF00, 0x123456});
        seeds.Write("true24" + kind, picture);
        picture.pixel_depth = 32;
        picture.descriptor = 8;
        picture.id = "seed";
        picture.pixels = Pattern({0xFFFFFFFF, 0x800000FF, 0x0000FF00, 0x40123456});
        seeds.Write("true32" + kind, picture);

        picture = TgaPicture();
        picture.image_type = packed ? 11 : 3;
        picture.pixel_depth = 8;
        picture.pixels = Pattern({0, 80, 160, 255});
        seeds.Write("grey8" + kind, picture);
        picture.pixel_depth = 16;
        picture.descriptor = 8;
        picture.pixels = Pattern({0xFF00, 0x80FF, 0x0040, 0x2020});
        seeds.Write("grey16" + kind, picture);

        picture = TgaPicture();
        picture.image_type = packed ? 9 : 1;
        picture.pixel_depth = 8;
        picture.map_type = 1;
        picture.pixels = Pattern({0, 1, 2, 3});
        const struct {
            int bits;
            std::vector<uint32_t> entries;
        } maps[] = {{15, {0x7FFF, 0x001F, 0x03E0, 0x7C00}},
                    {16, {0xFFFF, 0x801F, 0x03E0, 0x7C00}},
                    {24, {0xFFFFFF, 0x0000FF, 0x00FF00, 0x123456}},
                    {32, {0xFFFFFFFF, 0x800000FF, 0x0000FF00, 0x40123456}}};
        for (const auto& map : maps) {
            picture.map_entry_bits = map.bits;
            picture.map = map.entries;
            picture.descriptor = map.bits == 32 ? 8 : 0;
            seeds.Write("mapped" + std::to_string(map.bits) + kind, picture);
        }
        picture.map_entry_bits = 24;
        picture.map = maps[2].entries;
        picture.descriptor = 0;
        picture.pixel_depth = 16;
        picture.map_first = 300;
        picture.pixels = Pattern({300, 301, 302, 303});
        seeds.Write("mapped24_index16_first300" + kind, picture);
    }
    return 0;
}
