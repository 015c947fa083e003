#include "image/tga_error.h"

#include "image/tga.h"

namespace {

int g_nLastError = kTgaNoError;

const char* const kMessages[] = {
    "no error",
    "bad image header",
    "cannot open file",
    "bad format argument",
    "unexpected end-of-file",
    "image contains no data",
    "found colormap for a grayscale image",
    "unsupported colormap entry size",
    "bad colormap",
    "cannot read from file",
    "unknown image type",
    "image has size 0 width or height (or both)",
    "cannot write to file",
    "colormap index out of range",
    "unsupported pixel depth for the image type",
    "image too large for a TGA file (width and height at most 65535)",
    "out of memory",
    "image has more than 16384 x 16384 pixels",
};
constexpr int kMessageCount = sizeof kMessages / sizeof kMessages[0];
static_assert(kMessageCount == kTgaTooManyPixels + 1, "every error code needs its text");

}  // namespace

void Record_Tga_Error(int code) {
    g_nLastError = code;
}

int tga_last_error() {
    return g_nLastError;
}

const char* tga_error_message(int code) {
    return code >= 0 && code < kMessageCount ? kMessages[code] : "unknown error";
}
