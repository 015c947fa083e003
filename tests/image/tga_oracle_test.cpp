// Cross-checks: files of every kind ImageMagick and Pillow write load with the pixels they decode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "image/tga.h"
#include "tga_test_files.h"

namespace {

// 9 x 7, straight RGBA, top row first: a red "F" on blue, green rising by row, alpha falling by
// column from 255 to 15 and one fully transparent corner, so flips and channel swaps show at once.
std::string Reference() {
    std::string s;
    for (int i = 0; i < 63; ++i) {
        const int x = i % 9, y = i / 9;
        const bool f = (x == 2 && y >= 1 && y <= 5) || (y == 1 && x >= 2 && x <= 6) ||
                       (y == 3 && x >= 2 && x <= 5);
        s += {char(f ? 255 : 0), char(y * 20), char(f ? 0 : 255), char(i == 62 ? 0 : 255 - x * 30)};
    }
    return s;
}

std::string Run_Command(const std::string& command) {  // the output; a failure fails the test
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out(1 << 16, '\0');
    out.resize(pipe != nullptr ? std::fread(&out[0], 1, out.size(), pipe) : 0);
    EXPECT_EQ(pipe != nullptr ? pclose(pipe) : -1, 0) << command << "\n" << out;
    return out;
}

}  // namespace

TEST(TgaOracle, FilesOfEveryKindTheOraclesWriteLoadAsTheyDecodeThem) {
    const std::string reference = Write_File("reference.rgba", Reference());
    // clang-format off
    const char* const kinds[] = {"-type TrueColor -depth 8", "-type TrueColorAlpha -depth 8", "-type Palette -depth 8",
                                 "-type Grayscale -depth 8", "-type Palette -depth 5", "-type TrueColorAlpha -depth 5",
                                 "-alpha off -type TrueColor -depth 5"};  // the last three with 5-bit channels
    // clang-format on
    // One run writes every kind, plain and packed, with each of the four origins.
    std::string write = std::string(TOVREL_CONVERT) + " -size 9x7 -depth 8 rgba:" + reference;
    std::vector<std::string> files;
    for (const char* kind : kinds) {
        for (const char* packing : {" -compress None", " -compress RLE"}) {
            for (const char* origin : {"BottomLeft", "BottomRight", "TopLeft", "TopRight"}) {
                files.push_back(Test_Folder() + "im" + std::to_string(files.size()) + ".tga");
                // Written, then read back and decoded: ImageMagick keeps a file's rows in their
                // stored order and records the origin as the orientation, which -auto-orient
                // applies.
                write += std::string(" \\( +clone ") + kind + packing + " -orient " + origin +
                         " -write " + files.back() + " +delete \\) \\( " + files.back() +
                         " -auto-orient -depth 8 -write rgba:" + files.back() + ".rgba +delete \\)";
            }
        }
    }
    Run_Command(write + " null:");
    std::istringstream listing(Run_Command(std::string(TOVREL_SYSTEM_PYTHON) + " " +
                                           TOVREL_PILLOW_ORACLE + " " + reference + " 9 7 " +
                                           Test_Folder()));
    for (std::string path; std::getline(listing, path);) {
        files.push_back(path);
    }
    ASSERT_EQ(files.size(), 56u + 20u);  // every ImageMagick kind, packing and origin; Pillow's
    for (size_t f = 0; f < files.size(); ++f) {
        // Ours are premultiplied and bottom row first. 5-bit channels the oracle widened its way
        // are taken back to 5 bits and widened ours, and opaque.
        const bool five_bit = f < 56 && f >= 32;
        const std::string theirs = Read_File(files[f] + ".rgba");
        std::vector<uint8_t> expected(252);
        for (int i = 0; i < 252 && theirs.size() == 252; ++i) {
            const int c = uint8_t(theirs[i]), alpha = uint8_t(theirs[i | 3]);
            expected[(6 - i / 36) * 36 + i % 36] =
                uint8_t(i % 4 == 3 ? (five_bit ? 255 : c)
                        : five_bit ? Widened(std::lround(c * 31 / 255.0))
                                   : Premultiplied(c, alpha));
        }
        EXPECT_EQ(Load_Tga(Read_File(files[f])).pixels, expected) << files[f];
    }
}
