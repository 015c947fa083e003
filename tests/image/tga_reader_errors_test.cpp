// Broken, hostile and unsupported files: each fails with its error code, never loads garbage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "image/tga.h"
#include "tga_builder.h"
#include "tga_files.h"

namespace {

TgaPicture Small_Image() {
    TgaPicture picture;
    picture.width = 2;
    picture.height = 2;
    picture.pixels = {1, 2, 3, 4};
    return picture;
}

TgaPicture Mapped_Image(int image_type) {
    TgaPicture picture = Small_Image();
    picture.image_type = image_type;
    picture.pixel_depth = 8;
    picture.map_type = 1;
    picture.map_entry_bits = 24;
    picture.map = {10, 20, 30, 40, 50};
    return picture;
}

void Expect_Error(const std::string& file, int code, const char* what) {
    const Loaded image = Load_Tga(file);
    EXPECT_FALSE(image.ok) << what << " loaded";
    EXPECT_EQ(image.error, code) << what << ": " << tga_error_message(image.error);
}

void Expect_Error(const TgaPicture& picture, int code, const char* what) {
    Expect_Error(Tga_File(picture), code, what);
}

}  // namespace

TEST(TgaReaderErrors, MessagesOfEveryCode) {
    const char* const expected[] = {
        "no error",
        "bad image header",
        "cannot open file",
        "bad format argument",
        "unexpected end-of-file",
        "image contains no data",
        "found colormap for a grayscale image",
        "unsupported colormap entry size",
        "bad colormap",
        "cannot read from file",
        "unknown image type",
        "image has size 0 width or height (or both)",
        "cannot write to file",
        "colormap index out of range",
        "unsupported pixel depth for the image type",
        "image too large for a TGA file (width and height at most 65535)",
        "out of memory",
    };
    for (int code = 0; code <= 16; ++code) {
        EXPECT_STREQ(tga_error_message(code), expected[code]) << "code " << code;
    }
    EXPECT_STREQ(tga_error_message(-1), "unknown error");
    EXPECT_STREQ(tga_error_message(17), "unknown error");
}

TEST(TgaReaderErrors, FormatOtherThanThreeOrFour) {
    const std::string path = Write_Temp_File("format.tga", Tga_File(Small_Image()));
    for (int format : {0, 1, 2, 5}) {
        EXPECT_EQ(tga_load_file(path.c_str(), nullptr, nullptr, format), nullptr);
        EXPECT_EQ(tga_last_error(), kTgaBadFormat);
        EXPECT_STREQ(tga_error_message(tga_last_error()), "bad format argument");
    }
}

TEST(TgaReaderErrors, FilesThatCannotBeOpenedOrRead) {
    EXPECT_EQ(tga_load_file((Test_Folder() + "no such file.tga").c_str(), nullptr, nullptr, 4),
              nullptr);
    EXPECT_EQ(tga_last_error(), kTgaCannotOpen);
    EXPECT_EQ(tga_load_file(nullptr, nullptr, nullptr, 4), nullptr);
    EXPECT_EQ(tga_last_error(), kTgaCannotOpen);
    // A folder opens but cannot be read.
    EXPECT_EQ(tga_load_file(Test_Folder().c_str(), nullptr, nullptr, 4), nullptr);
    EXPECT_EQ(tga_last_error(), kTgaCannotRead);
}

TEST(TgaReaderErrors, BrokenHeaders) {
    const std::string whole = Tga_File(Small_Image());
    Expect_Error("", kTgaBadHeader, "empty file");
    Expect_Error(whole.substr(0, 17), kTgaBadHeader, "17 header bytes");

    TgaPicture picture = Small_Image();
    picture.width = 0;
    Expect_Error(picture, kTgaZeroSize, "width 0");
    picture = Small_Image();
    picture.height = 0;
    Expect_Error(picture, kTgaZeroSize, "height 0");

    picture = Small_Image();
    picture.image_type = 0;
    Expect_Error(picture, kTgaNoData, "image type 0");
    for (int type : {4, 8, 12, 32, 255}) {
        picture.image_type = type;
        Expect_Error(picture, kTgaUnknownType, "unknown image type");
    }
}

TEST(TgaReaderErrors, ImageIdLongerThanTheFile) {
    TgaPicture picture = Small_Image();
    picture.id = "abc";
    std::string file = Tga_File(picture).substr(0, 18 + 2);
    Expect_Error(file, kTgaUnexpectedEnd, "cut image ID");
}

TEST(TgaReaderErrors, BrokenColourMaps) {
    TgaPicture picture = Mapped_Image(3);
    Expect_Error(picture, kTgaGreyColormap, "map with grey image");
    picture.image_type = 11;
    Expect_Error(picture, kTgaGreyColormap, "map with packed grey image");

    for (int bits : {0, 8, 17, 31, 33}) {
        picture = Mapped_Image(1);
        picture.map_entry_bits = bits;
        Expect_Error(picture, kTgaBadMapEntrySize, "odd entry size");
    }

    picture = Mapped_Image(1);
    const std::string whole = Tga_File(picture);
    Expect_Error(whole.substr(0, 18 + 5 * 3 - 1), kTgaBadColormap, "map cut short");

    picture = Mapped_Image(1);
    picture.map_type = 0;
    picture.map.clear();
    Expect_Error(picture, kTgaBadColormap, "colour-mapped image without a map");
}

TEST(TgaReaderErrors, IndicesOutsideTheMap) {
    for (int type : {1, 9}) {
        TgaPicture picture = Mapped_Image(type);
        picture.pixels = {0, 4, 5, 1};
        Expect_Error(picture, kTgaMapIndexRange, "index one past the map");
        picture.pixels = {255, 255, 255, 255};
        Expect_Error(picture, kTgaMapIndexRange, "index far past the map");
        picture.map_first = 3;
        picture.pixels = {3, 7, 2, 4};
        Expect_Error(picture, kTgaMapIndexRange, "index below the first entry");
        picture.pixels = {3, 7, 5, 4};
        EXPECT_TRUE(Load_Tga(Tga_File(picture)).ok) << "indices 3 to 7 with first entry 3";
        picture.map.clear();
        Expect_Error(picture, kTgaMapIndexRange, "empty map");
    }
}

TEST(TgaReaderErrors, DepthsTheImageTypeCannotHave) {
    const struct {
        int type, depth;
    } cases[] = {{2, 8}, {2, 1},  {2, 0},   {2, 31}, {10, 17},
                 {3, 1}, {3, 24}, {11, 32}, {1, 24}, {1, 4}};
    for (const auto& c : cases) {
        TgaPicture picture = c.type == 1 ? Mapped_Image(1) : Small_Image();
        picture.image_type = c.type;
        picture.pixel_depth = c.depth;
        Expect_Error(
            picture, kTgaBadPixelDepth,
            ("type " + std::to_string(c.type) + " depth " + std::to_string(c.depth)).c_str());
    }
}

TEST(TgaReaderErrors, PixelDataEndingBeforeTheLastPixel) {
    for (int type : {2, 10}) {
        TgaPicture picture = Small_Image();
        picture.image_type = type;
        picture.pixels = {1, 2, 3, 4};
        const std::string whole = Tga_File(picture);
        for (size_t cut = 18; cut < whole.size(); ++cut) {
            Expect_Error(whole.substr(0, cut), kTgaUnexpectedEnd, "cut pixel data");
        }
        EXPECT_TRUE(Load_Tga(whole).ok);
    }
    // A run's header byte present but its pixel value missing.
    TgaPicture picture = Small_Image();
    picture.image_type = 10;
    Expect_Error(Tga_File(picture).substr(0, 18) + "\x83", kTgaUnexpectedEnd, "run without value");
}

TEST(TgaReaderErrors, HugeClaimedSizeFailsWithoutAllocating) {
    // 65535 x 65535 pixels would need 16 GiB; the few bytes present cannot hold them even as runs.
    for (int type : {2, 10}) {
        TgaPicture picture = Small_Image();
        picture.image_type = type;
        picture.pixel_depth = 32;
        picture.width = 65535;
        picture.height = 65535;
        Expect_Error(picture, kTgaUnexpectedEnd, "65535 x 65535 from a few bytes");
    }
    // The largest run-length image a small file can hold still loads: one run per 128 pixels.
    TgaPicture picture;
    picture.image_type = 10;
    picture.width = 1024;
    picture.height = 1;
    std::string file = Tga_File(picture);
    for (int packet = 0; packet < 8; ++packet) {
        file += std::string("\xFF\x01\x02\x03", 4);
    }
    EXPECT_TRUE(Load_Tga(file).ok);
    EXPECT_FALSE(Load_Tga(file.substr(0, file.size() - 1)).ok);
}

TEST(TgaReaderErrors, SuccessDoesNotClearTheLastError) {
    EXPECT_EQ(tga_load_file(nullptr, nullptr, nullptr, 4), nullptr);
    const std::string path = Write_Temp_File("fine.tga", Tga_File(Small_Image()));
    unsigned char* pixels = tga_load_file(path.c_str(), nullptr, nullptr, 4);
    ASSERT_NE(pixels, nullptr);
    std::free(pixels);
    EXPECT_EQ(tga_last_error(), kTgaCannotOpen);
}
