// Cross-checks against ImageMagick and Pillow: their files load with the pixels they decode from
// them, and our files decode in them to the pixels we wrote.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "image/tga.h"
#include "oracle.h"
#include "tga_builder.h"
#include "tga_files.h"
#include "tga_formulas.h"

namespace {

// Our buffer layout (bottom row first, premultiplied) of an oracle-style picture.
std::vector<uint8_t> Premultiplied_Bottom_First(const OracleImage& picture) {
    std::vector<uint8_t> data;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, y);
            for (int c = 0; c < 3; ++c) {
                data.push_back(static_cast<uint8_t>(Premultiplied_By_Formula(p[c], p[3])));
            }
            data.push_back(p[3]);
        }
    }
    return data;
}

struct OracleFile {
    std::string path;
    Channels channels;
};

// Type, pixel depth and map entry size of every file, and the origins seen.
struct Coverage {
    std::set<std::tuple<int, int, int>> kinds;
    std::set<int> origins;
    std::set<int> sixteen_bit_attribute_bits;

    void Add(const TgaKind& k) {
        kinds.insert({k.image_type, k.pixel_depth, k.map_entry_bits});
        origins.insert(k.origin);
        if (k.pixel_depth == 16 || k.map_entry_bits == 16) {
            sixteen_bit_attribute_bits.insert(k.attribute_bits);
        }
    }
    void Expect_Kinds(const std::set<std::tuple<int, int, int>>& expected,
                      const char* oracle) const {
        for (const auto& k : expected) {
            EXPECT_EQ(kinds.count(k), 1u)
                << oracle << " wrote no file of type " << std::get<0>(k) << ", " << std::get<1>(k)
                << " bits, map entries " << std::get<2>(k);
        }
    }
};

void Load_And_Compare(const std::vector<OracleFile>& files, const OracleImage& reference,
                      Coverage* coverage) {
    for (const OracleFile& file : files) {
        const TgaKind kind = Kind_Of_File(file.path);
        coverage->Add(kind);
        const Loaded ours = Load_Tga(Read_Whole_File(file.path));
        const OracleImage theirs =
            Read_Rgba(file.path + ".rgba", reference.width, reference.height);
        Expect_Same_Picture(ours, theirs, file.channels, file.path + " (" + Describe(kind) + ")");
    }
}

}  // namespace

TEST(TgaOracle, ImageMagickFilesLoadAsImageMagickDecodesThem) {
    const std::string folder = Fresh_Folder("imagemagick/");
    const OracleImage reference = Reference_Picture();
    Write_Rgba(folder + "reference.rgba", reference);

    const struct {
        const char* name;
        const char* options;
        Channels channels;
    } kinds[] = {
        {"truecolour", "-type TrueColor -depth 8", Channels::kExact},
        {"truecolour_alpha", "-type TrueColorAlpha -depth 8", Channels::kExact},
        {"palette", "-type Palette -depth 8", Channels::kExact},
        {"palette_16", "-type Palette -depth 5", Channels::kFiveBitOpaque},
        {"grey", "-type Grayscale -depth 8", Channels::kExact},
        {"sixteen_alpha", "-type TrueColorAlpha -depth 5", Channels::kFiveBitOpaque},
        {"sixteen", "-alpha off -type TrueColor -depth 5", Channels::kFiveBitOpaque},
    };
    // One run writes every kind, plain and packed, with each of the four origins; a second run
    // decodes them all.
    std::ostringstream write;
    write << ImageMagick_Command() << " -size 9x7 -depth 8 rgba:" << folder << "reference.rgba";
    std::vector<OracleFile> files;
    std::vector<std::string> paths;
    for (const auto& kind : kinds) {
        for (const char* compression : {"None", "RLE"}) {
            for (const char* origin : {"BottomLeft", "BottomRight", "TopLeft", "TopRight"}) {
                const std::string path =
                    folder + kind.name + "_" + compression + "_" + origin + ".tga";
                write << " \\( +clone " << kind.options << " -compress " << compression
                      << " -orient " << origin << " -write " << path << " +delete \\)";
                files.push_back({path, kind.channels});
                paths.push_back(path);
            }
        }
    }
    write << " null:";
    ASSERT_TRUE(Run_Command(write.str()));
    ASSERT_TRUE(ImageMagick_Decode(paths, ".rgba"));

    Coverage coverage;
    Load_And_Compare(files, reference, &coverage);
    coverage.Expect_Kinds({{1, 8, 24},
                           {9, 8, 24},
                           {1, 8, 16},
                           {9, 8, 16},
                           {2, 24, 0},
                           {10, 24, 0},
                           {2, 32, 0},
                           {10, 32, 0},
                           {2, 16, 0},
                           {10, 16, 0},
                           {3, 8, 0},
                           {11, 8, 0}},
                          "ImageMagick");
    EXPECT_EQ(coverage.origins, std::set<int>({0, 1, 2, 3}));
    EXPECT_EQ(coverage.sixteen_bit_attribute_bits, std::set<int>({0, 1}));
}

TEST(TgaOracle, PillowFilesLoadAsPillowDecodesThem) {
    const std::string folder = Fresh_Folder("pillow/");
    const OracleImage reference = Reference_Picture();
    Write_Rgba(folder + "reference.rgba", reference);
    std::string listing;
    ASSERT_TRUE(Run_Command(Pillow_Command() + " write " + folder + "reference.rgba 9 7 " + folder,
                            &listing));

    std::vector<OracleFile> files;
    std::vector<std::string> one_bit;
    std::istringstream lines(listing);
    for (std::string path; std::getline(lines, path);) {
        if (Kind_Of_File(path).pixel_depth == 1) {
            one_bit.push_back(path);
        } else {
            files.push_back({path, Channels::kExact});
        }
    }
    Coverage coverage;
    Load_And_Compare(files, reference, &coverage);
    coverage.Expect_Kinds({{1, 8, 24},
                           {9, 8, 24},
                           {2, 24, 0},
                           {10, 24, 0},
                           {2, 32, 0},
                           {10, 32, 0},
                           {3, 8, 0},
                           {11, 8, 0},
                           {3, 16, 0},
                           {11, 16, 0}},
                          "Pillow");
    EXPECT_EQ(coverage.origins, std::set<int>({0, 2}));

    // Pillow's one-bit grey files pack eight pixels a byte, a layout the format does not define;
    // they are refused rather than misread.
    ASSERT_EQ(one_bit.size(), 4u);
    for (const std::string& path : one_bit) {
        const Loaded ours = Load_Tga(Read_Whole_File(path));
        EXPECT_FALSE(ours.ok) << path;
        EXPECT_EQ(ours.error, kTgaBadPixelDepth) << path;
    }
}

TEST(TgaOracle, OraclesDecodeOurFilesToThePixelsWeWrote) {
    const std::string folder = Fresh_Folder("ours/");
    const OracleImage reference = Reference_Picture();
    const std::vector<uint8_t> rgba = Premultiplied_Bottom_First(reference);
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    }
    const std::string path4 = folder + "ours4.tga";
    const std::string path3 = folder + "ours3.tga";
    ASSERT_EQ(tga_save_file(path4.c_str(), 9, 7, rgba.data(), 4), 1);
    ASSERT_EQ(tga_save_file(path3.c_str(), 9, 7, rgb.data(), 3), 1);

    const std::string decoded_by[] = {"imagemagick", "pillow"};
    ASSERT_TRUE(ImageMagick_Decode({path4, path3}, ".imagemagick"));
    ASSERT_TRUE(Pillow_Decode({path4, path3}));
    for (const std::string& oracle : decoded_by) {
        const std::string suffix = oracle == "pillow" ? ".rgba" : ".imagemagick";
        const OracleImage four = Read_Rgba(path4 + suffix, 9, 7);
        const OracleImage three = Read_Rgba(path3 + suffix, 9, 7);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                const uint8_t* in = &rgba[((6 - y) * 9 + x) * 4];
                const uint8_t* four_pixel = four.At(x, y);
                const uint8_t* three_pixel = three.At(x, y);
                for (int c = 0; c < 3; ++c) {
                    EXPECT_EQ(four_pixel[c], Stored_By_Formula(in[c], in[3]))
                        << oracle << ", 32 bits, pixel (" << x << ", " << y << ") channel " << c;
                    EXPECT_EQ(three_pixel[c], in[c])
                        << oracle << ", 24 bits, pixel (" << x << ", " << y << ") channel " << c;
                }
                EXPECT_EQ(four_pixel[3], in[3]) << oracle << " alpha at (" << x << ", " << y << ")";
                EXPECT_EQ(three_pixel[3], 255) << oracle;
            }
        }
    }
}

TEST(TgaOracle, OraclesDecodeKindsTheyDoNotWriteAsWeDo) {
    // Files built byte by byte from the reference picture: 15-bit and 16-bit pixels, colour maps
    // of 15 and 32-bit entries, and a map whose first entry is 5. ImageMagick decodes them all;
    // Pillow the ones it supports.
    const std::string folder = Fresh_Folder("crafted/");
    const OracleImage reference = Reference_Picture();
    std::vector<uint32_t> five_bit, bgra;
    std::map<uint32_t, uint32_t> palette;
    for (size_t i = 0; i < reference.rgba.size(); i += 4) {
        const uint8_t* p = &reference.rgba[i];
        five_bit.push_back(0x8000u | (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3);
        bgra.push_back(p[2] | p[1] << 8 | p[0] << 16 | static_cast<uint32_t>(p[3]) << 24);
        palette.emplace(bgra.back(), static_cast<uint32_t>(palette.size()));
    }
    std::vector<uint32_t> entries(palette.size()), indices;
    for (const auto& [colour, index] : palette) {
        entries[index] = colour;
    }
    for (uint32_t colour : bgra) {
        indices.push_back(palette[colour]);
    }

    const auto file_of = [&](TgaPicture picture, const std::vector<uint32_t>& top_first) {
        picture.width = 9;
        picture.height = 7;
        picture.pixels = In_File_Order(top_first, 9, 7, picture.descriptor);
        return Tga_File(picture);
    };
    struct Crafted {
        std::string name;
        std::string bytes;
        Channels channels;
        bool pillow;
    };
    std::vector<Crafted> crafted;
    TgaPicture picture;
    picture.pixel_depth = 15;
    crafted.push_back({"fifteen", file_of(picture, five_bit), Channels::kFiveBitOpaque, false});
    picture.pixel_depth = 16;
    picture.descriptor = 0x21;
    picture.image_type = 10;
    crafted.push_back({"sixteen", file_of(picture, five_bit), Channels::kFiveBitOpaque, true});

    TgaPicture mapped;
    mapped.image_type = 1;
    mapped.pixel_depth = 8;
    mapped.map_type = 1;
    mapped.map_entry_bits = 32;
    mapped.descriptor = 0x08;
    mapped.map = entries;
    crafted.push_back({"map32", file_of(mapped, indices), Channels::kExact, false});
    mapped.map_entry_bits = 15;
    mapped.descriptor = 0x30;
    mapped.map.clear();
    for (uint32_t colour : entries) {
        mapped.map.push_back((colour >> 19 & 31) << 10 | (colour >> 11 & 31) << 5 |
                             (colour >> 3 & 31));
    }
    crafted.push_back({"map15", file_of(mapped, indices), Channels::kFiveBitOpaque, false});
    mapped.map_entry_bits = 24;
    mapped.descriptor = 0x00;
    mapped.image_type = 9;
    mapped.map_first = 5;
    mapped.map = entries;
    for (uint32_t& entry : mapped.map) {
        entry &= 0xFFFFFF;
    }
    std::vector<uint32_t> shifted = indices;
    for (uint32_t& index : shifted) {
        index += 5;
    }
    crafted.push_back({"map_from_5", file_of(mapped, shifted), Channels::kExact, true});

    std::vector<std::string> all, for_pillow;
    for (const Crafted& c : crafted) {
        all.push_back(Write_Temp_File("crafted/" + c.name + ".tga", c.bytes));
        if (c.pillow) {
            for_pillow.push_back(all.back());
        }
    }
    ASSERT_TRUE(ImageMagick_Decode(all, ".imagemagick"));
    ASSERT_TRUE(Pillow_Decode(for_pillow));
    for (const Crafted& c : crafted) {
        const std::string path = folder + c.name + ".tga";
        const Loaded ours = Load_Tga(c.bytes);
        Expect_Same_Picture(ours, Read_Rgba(path + ".imagemagick", 9, 7), c.channels,
                            c.name + " by ImageMagick");
        if (c.pillow) {
            Expect_Same_Picture(ours, Read_Rgba(path + ".rgba", 9, 7), c.channels,
                                c.name + " by Pillow");
        }
    }
}
