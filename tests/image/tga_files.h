#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Test files on disk and what the reader makes of them.

// A folder of this test process's own, made on first use and removed when the process ends, so
// test cases running side by side never share a file.
std::string Test_Folder();

// Writes `bytes` to a file of that name in the test folder; returns its path.
std::string Write_Temp_File(const std::string& name, const std::string& bytes);

std::string Read_Whole_File(const std::string& path);

// What the reader made of a file.
struct Loaded {
    bool ok = false;
    int error = 0;  // tga_last_error() after a failure
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // bottom row first

    // The bytes of the pixel in column x of row y counted from the bottom.
    std::vector<uint8_t> At(int x, int y) const;
};

// Loads `bytes` through a temporary file and again from memory; both must agree, and a failure
// must leave the size untouched.
Loaded Load_Tga(const std::string& bytes, int format = 4);
