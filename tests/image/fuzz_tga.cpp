// libFuzzer target for the TGA reader: any byte string must either load into a buffer of exactly
// the size reported or fail with one of the module's error codes, without crashing, leaking or
// touching memory outside its buffers.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = -1, height = -1;
    unsigned char* rgba = tga_load_memory(data, size, &width, &height, 4);
    if (rgba == nullptr) {
        const int error = tga_last_error();
        if (error < 1 || error > kTgaOutOfMemory || width != -1 || height != -1) {
            std::abort();
        }
        return 0;
    }
    if (width < 1 || width > 65535 || height < 1 || height > 65535) {
        std::abort();
    }
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    int rgb_width = -1, rgb_height = -1;
    unsigned char* rgb = tga_load_memory(data, size, &rgb_width, &rgb_height, 3);
    if (rgb == nullptr || rgb_width != width || rgb_height != height) {
        std::abort();
    }
    // Both formats carry the same premultiplied colours, none above its alpha. Reading every
    // byte lets the sanitizer see a buffer shorter than the size reported.
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char* p = rgba + 4 * i;
        if (std::memcmp(p, rgb + 3 * i, 3) != 0 || p[0] > p[3] || p[1] > p[3] || p[2] > p[3]) {
            std::abort();
        }
    }
    std::free(rgba);
    std::free(rgb);
    return 0;
}
