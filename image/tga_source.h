#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Where the reader takes a file's bytes from, front to back: a block in memory or an open file.
// One decoder serves both, so a file on disk and the same bytes in memory load alike.
class TgaSource {
public:
    TgaSource(const unsigned char* bytes, size_t size) : bytes_(bytes), remaining_(size) {}

    // The file stays open and owned by the caller. Its length is measured once here, when it can
    // seek; a pipe's is unknown.
    explicit TgaSource(std::FILE* file);

    // Copies the next `count` bytes to `out`; false when fewer remain or the system fails to read.
    bool Read(uint8_t* out, size_t count);
    bool Skip(size_t count);

    // Bytes not yet read, or kUnknownLength.
    uint64_t Remaining() const { return remaining_; }
    static constexpr uint64_t kUnknownLength = UINT64_MAX;

    // A read failed for another reason than reaching the end.
    bool Read_Error() const { return read_error_; }

private:
    const unsigned char* bytes_ = nullptr;
    std::FILE* file_ = nullptr;
    uint64_t remaining_ = kUnknownLength;
    bool read_error_ = false;
};
