#include "tga_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "image/tga.h"

std::string Test_Folder() {
    // Never destroyed, so the clean-up at exit can still read it.
    static const std::string* const folder = [] {
        const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) /
                                           ("tovrel-image-" + std::to_string(getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        std::atexit([] { std::filesystem::remove_all(Test_Folder()); });
        return new std::string(path.string() + "/");
    }();
    return *folder;
}

std::string Write_Temp_File(const std::string& name, const std::string& bytes) {
    const std::string path = Test_Folder() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string Read_Whole_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<uint8_t> Loaded::At(int x, int y) const {
    const size_t format = pixels.size() / (static_cast<size_t>(width) * height);
    const auto at = pixels.begin() + (static_cast<size_t>(y) * width + x) * format;
    return std::vector<uint8_t>(at, at + format);
}

Loaded Load_Tga(const std::string& bytes, int format) {
    const std::string path = Write_Temp_File("load.tga", bytes);
    Loaded result;
    int width = -7, height = -7;
    unsigned char* pixels = tga_load_file(path.c_str(), &width, &height, format);
    result.ok = pixels != nullptr;
    if (!result.ok) {
        result.error = tga_last_error();
        EXPECT_EQ(width, -7);
        EXPECT_EQ(height, -7);
    } else {
        result.width = width;
        result.height = height;
        result.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * format);
    }
    std::free(pixels);

    int memory_width = -7, memory_height = -7;
    unsigned char* from_memory =
        tga_load_memory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                        &memory_width, &memory_height, format);
    EXPECT_EQ(from_memory != nullptr, result.ok) << "file and memory disagree";
    if (from_memory != nullptr && result.ok) {
        EXPECT_EQ(memory_width, width);
        EXPECT_EQ(memory_height, height);
        EXPECT_TRUE(std::equal(result.pixels.begin(), result.pixels.end(), from_memory));
    } else if (from_memory == nullptr) {
        EXPECT_EQ(tga_last_error(), result.error);
    }
    std::free(from_memory);
    return result;
}
