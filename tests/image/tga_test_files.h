#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/tga.h"

// TGA files built byte by byte without the module under test, in a folder of this process's own.

struct TgaPicture {
    int image_type = 2, pixel_depth = 24, descriptor = 0, width = 1, height = 1;
    std::string id;
    int map_type = 0, map_first = 0, map_entry_bits = 0;
    std::vector<uint32_t> map, pixels;  // stored values, little-endian, pixels in file order
};

inline void Put(std::string& out, uint64_t value, int bits) {
    for (int k = 0; k < (bits + 7) / 8 || k == 0; ++k) {
        out.push_back(static_cast<char>(value >> (8 * k)));
    }
}

// The whole file; run-length encoded types (9, 10, 11) store raw packets of up to 128 pixels.
inline std::string Tga_File(const TgaPicture& p) {
    std::string out{char(p.id.size()), char(p.map_type), char(p.image_type)};
    Put(out, p.map_first, 16), Put(out, p.map.size(), 16), Put(out, p.map_entry_bits, 8);
    Put(out, 0, 32), Put(out, p.width, 16), Put(out, p.height, 16);
    out += std::string{char(p.pixel_depth), char(p.descriptor)} + p.id;
    for (uint32_t entry : p.map) {
        Put(out, entry, p.map_entry_bits);
    }
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        if (p.image_type >= 9 && i % 128 == 0) {
            Put(out, std::min<size_t>(p.pixels.size() - i, 128) - 1, 8);
        }
        Put(out, p.pixels[i], p.pixel_depth);
    }
    return out;
}

inline std::string Test_Folder() {  // made on first use, removed when the process ends
    static const std::string* const folder = [] {  // never destroyed: the clean-up at exit reads it
        auto* path = new std::string(::testing::TempDir() + "tovrel-image-" +
                                     std::to_string(getpid()) + "/");
        std::filesystem::create_directories(*path);
        std::atexit([] { std::filesystem::remove_all(Test_Folder()); });
        return path;
    }();
    return *folder;
}

inline std::string Write_File(const std::string& name, const std::string& bytes) {
    std::ofstream(Test_Folder() + name, std::ios::binary) << bytes;
    return Test_Folder() + name;
}

inline std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What the reader made of a file, the same as of its bytes in memory; failures leave the size
// alone.
struct Loaded {
    bool ok = false;
    int error = 0, width = -7, height = -7;
    std::vector<uint8_t> pixels;  // bottom row first
};

inline Loaded Load_Tga(const std::string& bytes, int format = 4) {
    Loaded file, memory;
    const std::string path = Write_File("load.tga", bytes);
    for (Loaded* l : {&file, &memory}) {
        unsigned char* data =
            l == &file ? tga_load_file(path.c_str(), &l->width, &l->height, format)
                       : tga_load_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         bytes.size(), &l->width, &l->height, format);
        l->ok = data != nullptr, l->error = l->ok ? 0 : tga_last_error();
        l->pixels.assign(data, data + (l->ok ? size_t(l->width) * l->height * format : 0));
        std::free(data);
    }
    EXPECT_EQ(file.error, memory.error);
    EXPECT_EQ(file.width, memory.width);
    EXPECT_EQ(file.pixels, memory.pixels);
    EXPECT_TRUE(file.ok || file.width == -7) << "a failure changed the size";
    return file;
}

// The documented conversions (single-precision factors, double products) as expected values: a
// channel premultiplied by alpha, and a 5-bit channel widened.
inline int Premultiplied(int c, int alpha) {
    const double k = 1.0f / 255.0f;
    return static_cast<int>(c * k * (alpha * k) * 255.0);
}

inline int Widened(int five_bit) {
    return static_cast<int>(five_bit * 8.2258f);
}
