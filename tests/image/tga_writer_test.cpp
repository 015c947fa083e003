// The writer: exact bytes, the division by alpha, failures that must not pass for success.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "image/tga.h"
#include "tga_files.h"
#include "tga_formulas.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kId = "written by tovrel tga";

std::string Saved(const std::string& name, int width, int height, const Bytes& data, int format) {
    const std::string path = Test_Folder() + name;
    EXPECT_EQ(tga_save_file(path.c_str(), width, height, data.data(), format), 1)
        << tga_error_message(tga_last_error());
    return Read_Whole_File(path);
}

Bytes Header_Of(const std::string& file) {
    return Bytes(file.begin(), file.begin() + 18);
}

}  // namespace

TEST(TgaWriter, TwoOpaquePixelsGiveTheExactFile) {
    const std::string file = Saved("two.tga", 2, 1, {10, 20, 30, 255, 200, 150, 100, 255}, 4);
    ASSERT_EQ(file.size(), 18u + 21u + 8u);
    EXPECT_EQ(Header_Of(file), Bytes({21, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 8}));
    EXPECT_EQ(file.substr(18, 21), kId);
    EXPECT_EQ(Bytes(file.begin() + 39, file.end()), Bytes({30, 20, 10, 255, 100, 150, 200, 255}));
}

TEST(TgaWriter, ThreeByteFormatStoresBgrWithoutAlpha) {
    // 300 x 2 checks the 16-bit width field (300 = 0x012C) and the bottom-up row order.
    Bytes data(300 * 2 * 3);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    const std::string file = Saved("rgb.tga", 300, 2, data, 3);
    ASSERT_EQ(file.size(), 18u + 21u + data.size());
    EXPECT_EQ(Header_Of(file), Bytes({21, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 1, 2, 0, 24, 0}));
    for (size_t i = 0; i < data.size(); i += 3) {
        ASSERT_EQ(static_cast<uint8_t>(file[39 + i]), data[i + 2]);
        ASSERT_EQ(static_cast<uint8_t>(file[39 + i + 1]), data[i + 1]);
        ASSERT_EQ(static_cast<uint8_t>(file[39 + i + 2]), data[i]);
    }
}

TEST(TgaWriter, ColoursAreDividedByAlpha) {
    const std::string file = Saved("half.tga", 1, 1, {100, 50, 0, 128}, 4);
    // 100 / 128 * 255 = 199.2, 50 / 128 * 255 = 99.6.
    EXPECT_EQ(Bytes(file.begin() + 39, file.end()), Bytes({0, 99, 199, 128}));
}

TEST(TgaWriter, EveryColourAndAlphaPairFollowsTheFormula) {
    Bytes data;
    for (int alpha = 0; alpha < 256; ++alpha) {
        for (int c = 0; c < 256; ++c) {
            data.insert(data.end(), {static_cast<uint8_t>(c), 0, 255, static_cast<uint8_t>(alpha)});
        }
    }
    const std::string file = Saved("all.tga", 256, 256, data, 4);
    int mismatches = 0;
    for (int alpha = 0; alpha < 256; ++alpha) {
        for (int c = 0; c < 256; ++c) {
            const size_t at = 39 + (static_cast<size_t>(alpha) * 256 + c) * 4;
            const Bytes stored(file.begin() + at, file.begin() + at + 4);
            const Bytes expected = {static_cast<uint8_t>(Stored_By_Formula(255, alpha)), 0,
                                    static_cast<uint8_t>(Stored_By_Formula(c, alpha)),
                                    static_cast<uint8_t>(alpha)};
            if (stored != expected && ++mismatches <= 10) {
                ADD_FAILURE() << "c " << c << " alpha " << alpha << " stored red " << +stored[2];
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(TgaWriter, ReadingBackWhatWasWritten) {
    // Premultiplied pixels (no colour above its alpha) come back within one step, exactly when
    // opaque; fully transparent ones come back black.
    Bytes data;
    for (int alpha = 0; alpha < 256; alpha += 5) {
        for (int c = 0; c <= alpha; c += 3) {
            data.insert(data.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(alpha - c),
                                     static_cast<uint8_t>(c / 2), static_cast<uint8_t>(alpha)});
        }
    }
    const int width = static_cast<int>(data.size() / 4);
    const std::string path = Test_Folder() + "round.tga";
    ASSERT_EQ(tga_save_file(path.c_str(), width, 1, data.data(), 4), 1);
    const Loaded back = Load_Tga(Read_Whole_File(path));
    ASSERT_TRUE(back.ok);
    ASSERT_EQ(back.pixels.size(), data.size());
    for (size_t i = 0; i < data.size(); ++i) {
        const int alpha = data[i | 3];
        const int slack = alpha == 255 || (i & 3) == 3 ? 0 : 1;
        ASSERT_LE(std::abs(back.pixels[i] - data[i]), slack) << "byte " << i << " alpha " << alpha;
    }
}

TEST(TgaWriter, BadArgumentsFailWithoutCreatingAFile) {
    const std::string path = Test_Folder() + "never.tga";
    std::remove(path.c_str());
    const Bytes pixel = {1, 2, 3, 4};
    const struct {
        int width, height, format;
        const uint8_t* data;
        int code;
    } cases[] = {
        {1, 1, 5, pixel.data(), kTgaBadFormat},
        {1, 1, 0, pixel.data(), kTgaBadFormat},
        {1, 1, 4, nullptr, kTgaNoData},
        {0, 1, 4, pixel.data(), kTgaZeroSize},
        {1, -3, 4, pixel.data(), kTgaZeroSize},
        {65536, 1, 4, pixel.data(), kTgaTooLarge},
        {1, 70000, 3, pixel.data(), kTgaTooLarge},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tga_save_file(path.c_str(), c.width, c.height, c.data, c.format), 0);
        EXPECT_EQ(tga_last_error(), c.code)
            << c.width << " x " << c.height << " format " << c.format;
        EXPECT_TRUE(Read_Whole_File(path).empty());
    }
    EXPECT_STREQ(tga_error_message(kTgaBadFormat), "bad format argument");
}

TEST(TgaWriter, MissingFolderCannotBeOpened) {
    const Bytes pixel = {1, 2, 3, 255};
    const std::string path = Test_Folder() + "no such folder/img00001.tga";
    EXPECT_EQ(tga_save_file(path.c_str(), 1, 1, pixel.data(), 4), 0);
    EXPECT_EQ(tga_last_error(), kTgaCannotOpen);
    EXPECT_EQ(tga_save_file(nullptr, 1, 1, pixel.data(), 4), 0);
    EXPECT_EQ(tga_last_error(), kTgaCannotOpen);
}

TEST(TgaWriter, FullDiskIsAFailure) {
    // /dev/full accepts the open and fails every write with "no space left on device", both a
    // write that fills the stream's buffer and the last flush on closing.
    for (int width : {1, 4000}) {
        const Bytes data(static_cast<size_t>(width) * 4, 9);
        EXPECT_EQ(tga_save_file("/dev/full", width, 1, data.data(), 4), 0) << "width " << width;
        EXPECT_EQ(tga_last_error(), kTgaCannotWrite);
        EXPECT_STREQ(tga_error_message(tga_last_error()), "cannot write to file");
    }
}
