#include "oracle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tga_formulas.h"

OracleImage Reference_Picture() {
    OracleImage picture;
    picture.width = 9;
    picture.height = 7;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool f = (x == 2 && y >= 1 && y <= 5) || (y == 1 && x >= 2 && x <= 6) ||
                           (y == 3 && x >= 2 && x <= 5);
            const uint8_t green = static_cast<uint8_t>(y * 20);
            const uint8_t alpha = x == 8 && y == 6 ? 0 : static_cast<uint8_t>(255 - x * 30);
            picture.rgba.insert(picture.rgba.end(), {static_cast<uint8_t>(f ? 255 : 0), green,
                                                     static_cast<uint8_t>(f ? 0 : 255), alpha});
        }
    }
    return picture;
}

std::string Fresh_Folder(const std::string& name) {
    const std::string folder = Test_Folder() + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

bool Run_Command(const std::string& command, std::string* output) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot start: " << command;
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, got);
    }
    const int status = pclose(pipe);
    if (output != nullptr) {
        *output = text;
    }
    if (status != 0) {
        ADD_FAILURE() << "failed (" << status << "): " << command << "\n" << text;
        return false;
    }
    return true;
}

std::string ImageMagick_Command() {
    return TOVREL_CONVERT;
}

std::string Pillow_Command() {
    return std::string(TOVREL_SYSTEM_PYTHON) + " " + TOVREL_PILLOW_ORACLE;
}

bool ImageMagick_Decode(const std::vector<std::string>& paths, const std::string& suffix) {
    // ImageMagick keeps a TGA file's rows in their stored order and records the origin as the
    // image's orientation; -auto-orient applies it, giving the picture as ImageMagick reads it.
    std::string command = ImageMagick_Command();
    for (const std::string& path : paths) {
        command += " \\( " + path + " -auto-orient -depth 8 -write rgba:" + path + suffix + " \\)";
    }
    return Run_Command(command + " null:");
}

bool Pillow_Decode(const std::vector<std::string>& paths) {
    std::string command = Pillow_Command() + " decode";
    for (const std::string& path : paths) {
        command += " " + path;
    }
    return Run_Command(command);
}

void Write_Rgba(const std::string& path, const OracleImage& image) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.rgba.data()),
               static_cast<std::streamsize>(image.rgba.size()));
}

OracleImage Read_Rgba(const std::string& path, int width, int height) {
    OracleImage image;
    image.width = width;
    image.height = height;
    const std::string bytes = Read_Whole_File(path);
    image.rgba.assign(bytes.begin(), bytes.end());
    EXPECT_EQ(image.rgba.size(), static_cast<size_t>(width) * height * 4) << path;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    return image;
}

TgaKind Kind_Of_File(const std::string& path) {
    const std::string bytes = Read_Whole_File(path);
    TgaKind kind;
    if (bytes.size() < 18) {
        ADD_FAILURE() << path << " has no header";
        return kind;
    }
    const auto byte = [&](int at) { return static_cast<uint8_t>(bytes[at]); };
    kind.image_type = byte(2);
    kind.map_entry_bits = byte(1) != 0 ? byte(7) : 0;
    kind.pixel_depth = byte(16);
    kind.attribute_bits = byte(17) & 0x0F;
    kind.origin = (byte(17) >> 4) & 3;
    return kind;
}

std::string Describe(const TgaKind& k) {
    return "type " + std::to_string(k.image_type) + ", " + std::to_string(k.pixel_depth) + " bits" +
           (k.map_entry_bits != 0 ? ", map of " + std::to_string(k.map_entry_bits) : "") + ", " +
           std::to_string(k.attribute_bits) + " attribute bits, origin " + std::to_string(k.origin);
}

void Expect_Same_Picture(const Loaded& ours, const OracleImage& theirs, Channels channels,
                         const std::string& what) {
    ASSERT_TRUE(ours.ok) << what << ": " << ours.error;
    ASSERT_EQ(ours.width, theirs.width) << what;
    ASSERT_EQ(ours.height, theirs.height) << what;
    int mismatches = 0;
    for (int y = 0; y < theirs.height; ++y) {
        for (int x = 0; x < theirs.width; ++x) {
            const uint8_t* t = theirs.At(x, y);
            int expected[4];
            if (channels == Channels::kExact) {
                for (int c = 0; c < 3; ++c) {
                    expected[c] = Premultiplied_By_Formula(t[c], t[3]);
                }
                expected[3] = t[3];
            } else {
                for (int c = 0; c < 3; ++c) {
                    expected[c] =
                        Widened_By_Formula(static_cast<int>(std::lround(t[c] * 31.0 / 255.0)));
                }
                expected[3] = 255;
            }
            const std::vector<uint8_t> got = ours.At(x, ours.height - 1 - y);
            for (int c = 0; c < 4; ++c) {
                if (got[c] != expected[c] && ++mismatches <= 5) {
                    ADD_FAILURE() << what << ": pixel (" << x << ", " << y
                                  << " from the top) channel " << c << " is " << +got[c]
                                  << ", the oracle says " << expected[c] << " (decoded " << +t[c]
                                  << ", alpha " << +t[3] << ")";
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << what;
}
