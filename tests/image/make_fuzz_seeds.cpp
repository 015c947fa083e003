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

    void Write(const std::string& name, TgaSpec spec) {
        spec.width = 4;
        spec.height = 3;
        spec.descriptor |= (count % 4) << 4;  // the four origins in turn
        ++count;
        std::ofstream(folder + "/" + name + ".tga", std::ios::binary) << Tga_File(spec);
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
        TgaSpec spec;

        spec.image_type = packed ? 10 : 2;
        spec.pixel_depth = 15;
        spec.pixels = Pattern({0x7FFF, 0x001F, 0x03E0, 0x7C00});
        seeds.Write("true15" + kind, spec);
        spec.pixel_depth = 16;
        spec.descriptor = 1;
        spec.pixels = Pattern({0xFFFF, 0x801F, 0x03E0, 0x7C00});
        seeds.Write("true16" + kind, spec);
        spec.pixel_depth = 24;
        spec.descriptor = 0;
        spec.pixels = Pattern({0xFFFFFF, 0x0000FF, 0x00FF00, 0x123456});
        seeds.Write("true24" + kind, spec);
        spec.pixel_depth = 32;
        spec.descriptor = 8;
        spec.id = "seed";
        spec.pixels = Pattern({0xFFFFFFFF, 0x800000FF, 0x0000FF00, 0x40123456});
        seeds.Write("true32" + kind, spec);

        spec = TgaSpec();
        spec.image_type = packed ? 11 : 3;
        spec.pixel_depth = 8;
        spec.pixels = Pattern({0, 80, 160, 255});
        seeds.Write("grey8" + kind, spec);
        spec.pixel_depth = 16;
        spec.descriptor = 8;
        spec.pixels = Pattern({0xFF00, 0x80FF, 0x0040, 0x2020});
        seeds.Write("grey16" + kind, spec);

        spec = TgaSpec();
        spec.image_type = packed ? 9 : 1;
        spec.pixel_depth = 8;
        spec.map_type = 1;
        spec.pixels = Pattern({0, 1, 2, 3});
        const struct {
            int bits;
            std::vector<uint32_t> entries;
        } maps[] = {{15, {0x7FFF, 0x001F, 0x03E0, 0x7C00}},
                    {16, {0xFFFF, 0x801F, 0x03E0, 0x7C00}},
                    {24, {0xFFFFFF, 0x0000FF, 0x00FF00, 0x123456}},
                    {32, {0xFFFFFFFF, 0x800000FF, 0x0000FF00, 0x40123456}}};
        for (const auto& map : maps) {
            spec.map_entry_bits = map.bits;
            spec.map = map.entries;
            spec.descriptor = map.bits == 32 ? 8 : 0;
            seeds.Write("mapped" + std::to_string(map.bits) + kind, spec);
        }
        spec.map_entry_bits = 24;
        spec.map = maps[2].entries;
        spec.descriptor = 0;
        spec.pixel_depth = 16;
        spec.map_first = 300;
        spec.pixels = Pattern({300, 301, 302, 303});
        seeds.Write("mapped24_index16_first300" + kind, spec);
    }
    return 0;
}
