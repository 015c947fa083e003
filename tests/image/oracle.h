#pragma once

#include <string>
#include <vector>

#include "tga_files.h"

// ImageMagick and Pillow as independent TGA oracles: they write files of every kind they can
// produce, and decode files to straight (not premultiplied) RGBA, top row first.

struct OracleImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // straight colours, top row first

    const uint8_t* At(int x, int y_from_top) const { return &rgba[(y_from_top * width + x) * 4]; }
};

// 9 x 7, top row first: a red "F" on blue, green rising by row, alpha falling by column from 255
// to 15, and one fully transparent corner. Asymmetric, so flips and channel swaps show.
OracleImage Reference_Picture();

// A new empty folder for one test's files, inside Test_Folder().
std::string Fresh_Folder(const std::string& name);

// Runs `command` through the shell; returns false (and a failure with the output) when it fails.
bool Run_Command(const std::string& command, std::string* output = nullptr);

// The command lines that start the oracles.
std::string ImageMagick_Command();
std::string Pillow_Command();

// Has ImageMagick decode every file at `paths` in one run, into `path + suffix` as RGBA.
bool ImageMagick_Decode(const std::vector<std::string>& paths, const std::string& suffix);

// Has Pillow decode every file at `paths` in one run, into `path + ".rgba"`.
bool Pillow_Decode(const std::vector<std::string>& paths);

void Write_Rgba(const std::string& path, const OracleImage& image);
OracleImage Read_Rgba(const std::string& path, int width, int height);

// The header fields that tell the kind of a TGA file.
struct TgaKind {
    int image_type = 0;
    int pixel_depth = 0;
    int map_entry_bits = 0;
    int attribute_bits = 0;
    int origin = 0;  // descriptor bits 4 and 5, as 0 to 3
};
TgaKind Kind_Of_File(const std::string& path);
std::string Describe(const TgaKind& kind);

enum class Channels {
    kExact,          // every channel as decoded, then premultiplied as documented
    kFiveBitOpaque,  // colours from 5-bit channels, widened as documented; alpha ignored (opaque)
};

// Compares what our reader made of a file with what an oracle decoded from the same file.
void Expect_Same_Picture(const Loaded& ours, const OracleImage& theirs, Channels channels,
                         const std::string& what);
