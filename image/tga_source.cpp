#include "image/tga_source.h"

#include <cstring>

TgaSource::TgaSource(std::FILE* file) : file_(file) {
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        return;
    }
    const long end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) {
        read_error_ = true;
        return;
    }
    if (end >= start) {
        remaining_ = static_cast<uint64_t>(end - start);
    }
}

bool TgaSource::Read(uint8_t* out, size_t count) {
    if (count == 0) {
        return true;
    }
    if (remaining_ != kUnknownLength && count > remaining_) {
        return false;
    }
    if (file_ == nullptr) {
        std::memcpy(out, bytes_, count);
        bytes_ += count;
    } else if (std::fread(out, 1, count, file_) != count) {
        read_error_ = std::ferror(file_) != 0;
        return false;
    }
    if (remaining_ != kUnknownLength) {
        remaining_ -= count;
    }
    return true;
}

bool TgaSource::Skip(size_t count) {
    uint8_t scratch[256];
    while (count > 0) {
        const size_t part = count < sizeof scratch ? count : sizeof scratch;
        if (!Read(scratch, part)) {
            return false;
        }
        count -= part;
    }
    return true;
}
