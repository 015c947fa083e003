#pragma once

#include <cstddef>

// Truevision TGA image files, read into and written from tightly packed pixel buffers.
//
// A pixel buffer holds width x height pixels of `format` bytes each, 3 (R, G, B) or 4 (R, G, B, A),
// row 0 being the bottom row of the picture and every row running left to right: the layout of
// glTexImage2D and glReadPixels. Colours the reader returns are premultiplied by alpha (a 3-byte
// buffer then drops the alpha); the writer of 4-byte buffers divides them back out.
//
// The reader takes colour-mapped, true-colour and grey-scale images, plain or run-length encoded,
// with any of the four origins:
//   true-colour 15 and 16 bits  5 bits per channel, scaled by 8.2258 (31 becomes 254); the
//                               attribute bit is ignored and the pixel is opaque
//   true-colour 24 and 32 bits  B, G, R (, A); a 32-bit pixel is opaque when the descriptor
//                               declares no attribute bits
//   colour-mapped, 8 or 16-bit indices into a map of 15, 16, 24 or 32-bit entries (converted as
//                               above); the first stored entry has the header's first entry index
//   grey-scale 8 bits           grey, opaque
//   grey-scale 16 bits          grey in the low byte, alpha in the high byte (opaque when the
//                               descriptor declares no attribute bits)
// The writer stores uncompressed true-colour images of 24 or 32 bits, bottom row first, with the
// image ID "written by tovrel tga" and no footer.
//
// Every failure returns null (reader) or 0 (writer) and records one of the codes below as the
// module's last error, which only the next failure replaces. The module holds that one value for
// the whole process: use it from one thread.

enum TgaError {
    kTgaNoError = 0,
    kTgaBadHeader = 1,        // fewer than 18 header bytes
    kTgaCannotOpen = 2,       // the file cannot be opened
    kTgaBadFormat = 3,        // a format other than 3 or 4
    kTgaUnexpectedEnd = 4,    // the image ID or the pixel data ends early
    kTgaNoData = 5,           // image type 0, or nothing to write
    kTgaGreyColormap = 6,     // a colour map with a grey-scale image
    kTgaBadMapEntrySize = 7,  // colour map entries other than 15, 16, 24 or 32 bits
    kTgaBadColormap = 8,      // the colour map is cut short, or a colour-mapped image has none
    kTgaCannotRead = 9,       // the system failed to read the file
    kTgaUnknownType = 10,     // an image type other than 0, 1, 2, 3, 9, 10, 11
    kTgaZeroSize = 11,        // width or height 0
    kTgaCannotWrite = 12,     // the system failed to write the whole file (a full disk)
    kTgaMapIndexRange = 13,   // a pixel's colour map index lies outside the map
    kTgaBadPixelDepth = 14,   // a pixel depth the image type cannot have
    kTgaTooLarge = 15,        // width or height above 65535, which the header cannot hold
    kTgaOutOfMemory = 16,     // no memory for the pixel buffer
    kTgaTooManyPixels = 17,   // more pixels than kTgaMostPixels
};

// The most pixels the reader takes: 1 GiB as RGBA. A header may claim four billion pixels while a
// run-length encoded file of a few tens of megabytes still seems to hold them all, so the claim is
// refused before any memory is reserved for it.
constexpr unsigned long long kTgaMostPixels = 16384ull * 16384ull;

// Reads the image at `path` into a new buffer of `format` bytes per pixel and stores its size in
// `*width` and `*height` (when not null). The caller owns the buffer and releases it with
// std::free(). Returns null on failure, leaving the size untouched.
unsigned char* tga_load_file(const char* path, int* width, int* height, int format);

// The same from a whole file already in memory.
unsigned char* tga_load_memory(const unsigned char* bytes, size_t size, int* width, int* height,
                               int format);

// Writes width x height pixels of `format` bytes from `data` to `path`. Returns 1 on success and
// 0 on failure; a file that failed part-way may remain on disk, cut short.
int tga_save_file(const char* path, int width, int height, const unsigned char* data, int format);

int tga_last_error();

// The text of an error code; "unknown error" for a code the module never sets.
const char* tga_error_message(int code);
