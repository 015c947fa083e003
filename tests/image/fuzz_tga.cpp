// libFuzzer target for the TGA reader: any bytes load alike in both formats into buffers of the
// size reported, or fail with a code, the size untouched; never a crash, leak or stray memory
// access.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = -1, height = -1, rgb_width = -1, rgb_height = -1;
    unsigned char* rgba = tga_load_memory(data, size, &width, &height, 4);
    unsigned char* rgb = tga_load_memory(data, size, &rgb_width, &rgb_height, 3);
    const int error = tga_last_error();
    if ((rgba == nullptr) != (rgb == nullptr) || width != rgb_width || height != rgb_height ||
        (rgba == nullptr && (error < 1 || error > kTgaTooManyPixels || width != -1))) {
        std::abort();
    }
    for (size_t i = 0; rgba != nullptr && i < size_t(width) * size_t(height); ++i) {
        const unsigned char* p = rgba + 4 * i;
        if (std::memcmp(p, rgb + 3 * i, 3) != 0 || p[0] > p[3] || p[1] > p[3] || p[2] > p[3]) {
            std::abort();
        }
    }
    std::free(rgba);
    std::free(rgb);
    return 0;
}
