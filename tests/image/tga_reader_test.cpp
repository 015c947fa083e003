// How the reader turns every kind of stored pixel into bottom-row-first RGBA.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "image/tga.h"
#include "tga_builder.h"
#include "tga_files.h"
#include "tga_formulas.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Bgr(uint32_t r, uint32_t g, uint32_t b) {
    return b | g << 8 | r << 16;
}
uint32_t Bgra(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return Bgr(r, g, b) | a << 24;
}

// 3 x 2, top row first: red, green, blue over white, black, a dark blue-grey. Every row and
// column differs, so a flip or a channel swap shows.
const std::vector<uint32_t> kPicture = {Bgr(255, 0, 0),     Bgr(0, 255, 0), Bgr(0, 0, 255),
                                        Bgr(255, 255, 255), Bgr(0, 0, 0),   Bgr(10, 20, 30)};

TgaPicture Picture_File(int descriptor, int image_type = 2) {
    TgaPicture picture;
    picture.image_type = image_type;
    picture.width = 3;
    picture.height = 2;
    picture.descriptor = descriptor;
    picture.pixels = In_File_Order(kPicture, 3, 2, descriptor);
    return picture;
}

}  // namespace

TEST(TgaReader, TrueColour24WithBottomLeftOriginKeepsFileRowOrder) {
    const Loaded image = Load_Tga(Tga_File(Picture_File(0)));
    ASSERT_TRUE(image.ok) << tga_error_message(image.error);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    const Bytes expected = {255, 255, 255, 255, 0, 0,   0, 255, 10, 20, 30,  255,
                            255, 0,   0,   255, 0, 255, 0, 255, 0,  0,  255, 255};
    EXPECT_EQ(image.pixels, expected);
}

TEST(TgaReader, AllFourOriginsLoadToTheSameBuffer) {
    const Loaded reference = Load_Tga(Tga_File(Picture_File(0)));
    for (int origin : {0x10, 0x20, 0x30}) {
        for (int type : {2, 10}) {
            const Loaded image = Load_Tga(Tga_File(Picture_File(origin, type)));
            ASSERT_TRUE(image.ok) << "origin " << origin;
            EXPECT_EQ(image.pixels, reference.pixels) << "origin " << origin << " type " << type;
        }
    }
}

TEST(TgaReader, ThreeByteFormatDropsAlphaAfterPremultiplying) {
    TgaPicture picture;
    picture.pixel_depth = 32;
    picture.descriptor = 8;
    picture.width = 2;
    picture.pixels = {Bgra(200, 100, 50, 255), Bgra(200, 100, 50, 51)};
    const Loaded rgb = Load_Tga(Tga_File(picture), 3);
    ASSERT_TRUE(rgb.ok);
    // 200 * 51 / 255 = 40, 100 * 51 / 255 = 20, 50 * 51 / 255 = 10.
    EXPECT_EQ(rgb.pixels, Bytes({200, 100, 50, 40, 20, 10}));
}

TEST(TgaReader, FiveBitChannelsWidenByTheDocumentedFactor) {
    TgaPicture picture;
    picture.pixel_depth = 15;
    picture.width = 4;
    picture.pixels = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
    const Loaded image = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.pixels,
              Bytes({254, 254, 254, 255, 254, 0, 0, 255, 0, 254, 0, 255, 0, 0, 254, 255}));

    // Every 5-bit value, red channel: trunc(v * 8.2258); 1 -> 8, 5 -> 41, 15 -> 123, 30 -> 246.
    picture.width = 32;
    picture.pixels.clear();
    for (uint32_t v = 0; v < 32; ++v) {
        picture.pixels.push_back(v << 10);
    }
    const Loaded ramp = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(ramp.ok);
    for (int v = 0; v < 32; ++v) {
        EXPECT_EQ(ramp.At(v, 0)[0], Widened_By_Formula(v)) << "5-bit value " << v;
    }
    EXPECT_EQ(ramp.At(1, 0)[0], 8);
    EXPECT_EQ(ramp.At(5, 0)[0], 41);
    EXPECT_EQ(ramp.At(15, 0)[0], 123);
    EXPECT_EQ(ramp.At(30, 0)[0], 246);
}

TEST(TgaReader, SixteenBitPixelsAreFiveFiveFiveWhateverTheAttributeBits) {
    // 0x7FFF is white and 0x7C00 pure red in the format's 16-bit layout (an attribute bit over
    // three 5-bit channels), as ImageMagick writes opaque images with no attribute bits declared.
    for (int attribute_bits : {0, 1, 8}) {
        TgaPicture picture;
        picture.pixel_depth = 16;
        picture.descriptor = attribute_bits;
        picture.width = 3;
        picture.pixels = {0x7FFF, 0x7C00, 0x8000 | 0x03E0};
        const Loaded image = Load_Tga(Tga_File(picture));
        ASSERT_TRUE(image.ok);
        EXPECT_EQ(image.pixels, Bytes({254, 254, 254, 255, 254, 0, 0, 255, 0, 254, 0, 255}))
            << attribute_bits << " attribute bits";
    }
}

TEST(TgaReader, ThirtyTwoBitAlphaCountsOnlyWithAttributeBits) {
    TgaPicture picture;
    picture.pixel_depth = 32;
    picture.width = 2;
    picture.pixels = {Bgra(90, 60, 30, 0), Bgra(255, 128, 1, 128)};
    picture.descriptor = 8;
    const Loaded with_alpha = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(with_alpha.ok);
    // 255 * 128 / 255 = 128, 128 * 128 / 255 = 64.25, 1 * 128 / 255 = 0.5.
    EXPECT_EQ(with_alpha.pixels, Bytes({0, 0, 0, 0, 128, 64, 0, 128}));

    picture.descriptor = 0;
    const Loaded without = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(without.ok);
    EXPECT_EQ(without.pixels, Bytes({90, 60, 30, 255, 255, 128, 1, 255}));
}

TEST(TgaReader, PremultipliesEveryColourAndAlphaPairByTheFormula) {
    // Grey with alpha: value c in the low byte and alpha a in the high byte, every pair once.
    TgaPicture picture;
    picture.image_type = 3;
    picture.pixel_depth = 16;
    picture.descriptor = 8;
    picture.width = 256;
    picture.height = 256;
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t c = 0; c < 256; ++c) {
            picture.pixels.push_back(c | a << 8);
        }
    }
    const Loaded image = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(image.ok);
    int mismatches = 0;
    for (int a = 0; a < 256; ++a) {
        for (int c = 0; c < 256; ++c) {
            const Bytes p = image.At(c, a);
            const int expected = Premultiplied_By_Formula(c, a);
            if (p[0] != expected || p[1] != expected || p[2] != expected || p[3] != a) {
                ADD_FAILURE_AT(__FILE__, __LINE__) << "c " << c << " a " << a << " gave " << +p[0];
                if (++mismatches > 10) {
                    return;
                }
            }
        }
    }
    EXPECT_EQ(image.At(255, 255), Bytes({255, 255, 255, 255}));
    EXPECT_EQ(image.At(200, 0), Bytes({0, 0, 0, 0}));
}

TEST(TgaReader, GreyImagesLoadAsGrey) {
    TgaPicture grey;
    grey.image_type = 3;
    grey.pixel_depth = 8;
    grey.width = 3;
    grey.pixels = {0, 77, 255};
    const Loaded eight = Load_Tga(Tga_File(grey));
    ASSERT_TRUE(eight.ok);
    EXPECT_EQ(eight.pixels, Bytes({0, 0, 0, 255, 77, 77, 77, 255, 255, 255, 255, 255}));

    grey.image_type = 11;
    grey.pixels = {77, 77, 200};
    const Loaded packed = Load_Tga(Tga_File(grey));
    ASSERT_TRUE(packed.ok);
    EXPECT_EQ(packed.pixels, Bytes({77, 77, 77, 255, 77, 77, 77, 255, 200, 200, 200, 255}));

    // 16 bits: alpha in the high byte when attribute bits are declared, else opaque.
    grey.image_type = 3;
    grey.pixel_depth = 16;
    grey.width = 2;
    grey.pixels = {200 | 51 << 8, 100 | 255 << 8};
    grey.descriptor = 8;
    const Loaded with_alpha = Load_Tga(Tga_File(grey));
    ASSERT_TRUE(with_alpha.ok);
    EXPECT_EQ(with_alpha.pixels, Bytes({40, 40, 40, 51, 100, 100, 100, 255}));
    grey.descriptor = 0;
    const Loaded opaque = Load_Tga(Tga_File(grey));
    ASSERT_TRUE(opaque.ok);
    EXPECT_EQ(opaque.pixels, Bytes({200, 200, 200, 255, 100, 100, 100, 255}));
}

TEST(TgaReader, ColourMapsOfEveryEntrySize) {
    struct Case {
        int entry_bits;
        int descriptor;
        std::vector<uint32_t> entries;
        Bytes expected;  // entries 1 then 0
    };
    const Case cases[] = {
        {15, 0, {0x001F, 0x7C00}, {254, 0, 0, 255, 0, 0, 254, 255}},
        {16, 0, {0x801F, 0x03E0}, {0, 254, 0, 255, 0, 0, 254, 255}},
        {24, 0, {Bgr(1, 2, 3), Bgr(40, 50, 60)}, {40, 50, 60, 255, 1, 2, 3, 255}},
        {32, 8, {Bgra(255, 0, 0, 0), Bgra(200, 100, 50, 51)}, {40, 20, 10, 51, 0, 0, 0, 0}},
        {32, 0, {Bgra(255, 0, 0, 0), Bgra(200, 100, 50, 51)}, {200, 100, 50, 255, 255, 0, 0, 255}},
    };
    for (const Case& c : cases) {
        for (int type : {1, 9}) {
            TgaPicture picture;
            picture.image_type = type;
            picture.pixel_depth = 8;
            picture.descriptor = c.descriptor;
            picture.width = 2;
            picture.map_type = 1;
            picture.map_entry_bits = c.entry_bits;
            picture.map = c.entries;
            picture.pixels = {1, 0};
            const Loaded image = Load_Tga(Tga_File(picture));
            ASSERT_TRUE(image.ok) << c.entry_bits
                                  << "-bit entries: " << tga_error_message(image.error);
            EXPECT_EQ(image.pixels, c.expected) << c.entry_bits << "-bit entries, type " << type;
        }
    }
}

TEST(TgaReader, SixteenBitIndicesReachALongMap) {
    TgaPicture picture;
    picture.image_type = 1;
    picture.pixel_depth = 16;
    picture.width = 2;
    picture.map_type = 1;
    picture.map_entry_bits = 24;
    picture.map.assign(300, Bgr(1, 1, 1));
    picture.map[299] = Bgr(9, 8, 7);
    picture.pixels = {299, 0};
    const Loaded image = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.pixels, Bytes({9, 8, 7, 255, 1, 1, 1, 255}));
}

TEST(TgaReader, MapWithLaterFirstEntryIsOneTableStartingAtThatIndex) {
    // Entries stored for indices 2 and 3 only, one after the other.
    TgaPicture picture;
    picture.image_type = 1;
    picture.pixel_depth = 8;
    picture.width = 2;
    picture.map_type = 1;
    picture.map_first = 2;
    picture.map_entry_bits = 24;
    picture.map = {Bgr(255, 0, 0), Bgr(0, 255, 0)};
    picture.pixels = {3, 2};
    const Loaded image = Load_Tga(Tga_File(picture));
    ASSERT_TRUE(image.ok) << tga_error_message(image.error);
    EXPECT_EQ(image.pixels, Bytes({0, 255, 0, 255, 255, 0, 0, 255}));
}

TEST(TgaReader, TrueColourImageReadsPastAMapItDoesNotUse) {
    TgaPicture picture = Picture_File(0);
    picture.id = "id text";
    picture.map_type = 1;
    picture.map_entry_bits = 32;
    picture.map = {1, 2, 3};
    EXPECT_EQ(Load_Tga(Tga_File(picture)).pixels, Load_Tga(Tga_File(Picture_File(0))).pixels);
}

TEST(TgaReader, RunLengthPackets) {
    // 0x82: a run of three copies of the one pixel after it; 0x01: two stored pixels.
    TgaPicture picture;
    picture.image_type = 10;
    picture.width = 5;
    const std::string header = Tga_File(picture);
    std::string file = header;
    file += std::string("\x82\x03\x02\x01", 4) + std::string("\x01\x10\x20\x30\x40\x50\x60", 7);
    const Loaded image = Load_Tga(file);
    ASSERT_TRUE(image.ok) << tga_error_message(image.error);
    EXPECT_EQ(image.pixels,
              Bytes({1, 2, 3, 255, 1, 2, 3, 255, 1, 2, 3, 255, 48, 32, 16, 255, 96, 80, 64, 255}));

    // Packets run on across rows: one run of 6 fills a 3 x 2 image.
    picture.width = 3;
    picture.height = 2;
    file = Tga_File(picture) + std::string("\x85\x00\x00\xFF", 4);
    const Loaded two_rows = Load_Tga(file);
    ASSERT_TRUE(two_rows.ok);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(two_rows.At(i % 3, i / 3), Bytes({255, 0, 0, 255}));
    }
}

TEST(TgaReader, PacketsReachingPastTheLastPixelAreCut) {
    TgaPicture picture;
    picture.image_type = 10;
    picture.width = 2;
    picture.height = 2;
    // A run of 128 for four pixels, and nothing after it.
    const Loaded run = Load_Tga(Tga_File(picture) + std::string("\xFF\x01\x02\x03", 4));
    ASSERT_TRUE(run.ok) << tga_error_message(run.error);
    EXPECT_EQ(run.pixels, Bytes({3, 2, 1, 255, 3, 2, 1, 255, 3, 2, 1, 255, 3, 2, 1, 255}));

    // A raw packet of 5 whose last pixel lies past the image and past the end of the file.
    const Loaded raw =
        Load_Tga(Tga_File(picture) +
                 std::string("\x00\x01\x01\x01\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00", 14));
    ASSERT_TRUE(raw.ok) << tga_error_message(raw.error);
    EXPECT_EQ(raw.At(0, 0), Bytes({1, 1, 1, 255}));
    EXPECT_EQ(raw.At(1, 1), Bytes({0, 0, 0, 255}));
}

TEST(TgaReader, ImageIdIsSkipped) {
    TgaPicture picture = Picture_File(0x20);
    picture.id = std::string(255, 'x');
    EXPECT_EQ(Load_Tga(Tga_File(picture)).pixels, Load_Tga(Tga_File(Picture_File(0))).pixels);
}

TEST(TgaReader, FuzzSeedsAreValidFilesOfEveryKind) {
    std::set<std::tuple<int, int, int>> kinds;  // image type, pixel depth, map entry size
    std::set<int> origins;
    for (const auto& entry : std::filesystem::directory_iterator(TOVREL_TGA_SEEDS)) {
        if (entry.path().extension() != ".tga") {
            continue;
        }
        const std::string bytes = Read_Whole_File(entry.path().string());
        EXPECT_TRUE(Load_Tga(bytes).ok) << entry.path();
        const auto byte = [&](int at) { return static_cast<uint8_t>(bytes.at(at)); };
        kinds.insert({byte(2), byte(16), byte(1) != 0 ? byte(7) : 0});
        origins.insert(byte(17) >> 4 & 3);
    }
    for (int packed : {0, 8}) {
        for (int depth : {15, 16, 24, 32}) {
            EXPECT_EQ(kinds.count({2 + packed, depth, 0}), 1u) << "true-colour " << depth;
            EXPECT_EQ(kinds.count({1 + packed, 8, depth}), 1u) << depth << "-bit map entries";
        }
        EXPECT_EQ(kinds.count({1 + packed, 16, 24}), 1u) << "16-bit indices";
        EXPECT_EQ(kinds.count({3 + packed, 8, 0}), 1u) << "grey 8";
        EXPECT_EQ(kinds.count({3 + packed, 16, 0}), 1u) << "grey 16";
    }
    EXPECT_EQ(origins, std::set<int>({0, 1, 2, 3}));
}
