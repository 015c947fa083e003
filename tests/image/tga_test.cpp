// The TGA reader, writer and in-memory image against values worked out by hand, bad input by table.
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <tuple>

#include "image/image_buffer.h"
#include "image/tga.h"
#include "image/tga_header.h"
#include "image/tga_source.h"
#include "tga_test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Bgra(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0) {
    return b | g << 8 | r << 16 | a << 24;
}

// One row of pixels of the given kind, after a short image ID; with map entries, colour-mapped.
TgaPicture Picture(int type, int depth, int descriptor, std::vector<uint32_t> pixels,
                   int map_bits = 0, std::vector<uint32_t> map = {}, int map_first = 0) {
    TgaPicture p;
    p.image_type = type, p.pixel_depth = depth, p.descriptor = descriptor, p.id = "id";
    p.width = static_cast<int>(pixels.size()), p.pixels = pixels;
    p.map_type = map_bits != 0, p.map_entry_bits = map_bits, p.map = map, p.map_first = map_first;
    return p;
}

// The same file with one change.
template <class Change>
std::string Broken(const TgaPicture& picture, Change change) {
    TgaPicture p = picture;
    change(p);
    return Tga_File(p);
}

// A run-length encoded 24-bit image of the given size and packet bytes.
std::string Packets(int width, int height, const std::string& packets) {
    TgaPicture p;
    p.image_type = 10, p.width = width, p.height = height;
    return Tga_File(p) + packets;
}

}  // namespace

TEST(TgaReader, EachKindOfFileLoadsAsDocumentedOrFailsWithItsCode) {
    std::vector<uint32_t> long_map(300, Bgra(1, 1, 1));
    long_map[299] = Bgra(9, 8, 7);
    const TgaPicture small = Picture(2, 24, 0, {1, 2, 3, 4}),
                     mapped = Picture(1, 8, 0, {0, 4, 3, 1}, 24, {1, 2, 3, 4, 5});
    const std::string whole = Tga_File(small), map = Tga_File(mapped);
    const struct {
        const char* what;
        std::string file;
        int code;
        Bytes expected;
    } rows[] = {
        // clang-format off
        {"15 bits", Tga_File(Picture(2, 15, 0, {0x7FFF, 0x7C00, 0x03E0, 0x001F})), 0, {254, 254, 254, 255, 254, 0, 0, 255, 0, 254, 0, 255, 0, 0, 254, 255}},
        {"16 bits, 5-5-5", Tga_File(Picture(10, 16, 0, {0x7FFF, 0x83E0})), 0, {254, 254, 254, 255, 0, 254, 0, 255}},
        {"16 bits, 1 attribute bit", Tga_File(Picture(2, 16, 1, {0x7C00})), 0, {254, 0, 0, 255}},
        {"32 bits, alpha", Tga_File(Picture(2, 32, 8, {Bgra(90, 60, 30, 0), Bgra(255, 128, 1, 128)})), 0, {0, 0, 0, 0, 128, 64, 0, 128}},
        {"32 bits, no alpha", Tga_File(Picture(2, 32, 0, {Bgra(90, 60, 30, 0), Bgra(255, 128, 1, 128)})), 0, {90, 60, 30, 255, 255, 128, 1, 255}},
        {"grey 8", Tga_File(Picture(3, 8, 0, {0, 77, 255})), 0, {0, 0, 0, 255, 77, 77, 77, 255, 255, 255, 255, 255}},
        {"grey 8 packed", Tga_File(Picture(11, 8, 0, {77, 200})), 0, {77, 77, 77, 255, 200, 200, 200, 255}},
        {"grey 16, alpha", Tga_File(Picture(3, 16, 8, {200 | 51 << 8, 100 | 255 << 8})), 0, {40, 40, 40, 51, 100, 100, 100, 255}},
        {"grey 16, no alpha", Tga_File(Picture(3, 16, 0, {200 | 51 << 8})), 0, {200, 200, 200, 255}},
        {"map 15", Tga_File(Picture(1, 8, 0, {1, 0}, 15, {0x001F, 0x7C00})), 0, {254, 0, 0, 255, 0, 0, 254, 255}},
        {"map 16 packed", Tga_File(Picture(9, 8, 0, {1, 0}, 16, {0x801F, 0x03E0})), 0, {0, 254, 0, 255, 0, 0, 254, 255}},
        {"map 24", Tga_File(Picture(1, 8, 0, {1, 0}, 24, {Bgra(1, 2, 3), Bgra(40, 50, 60)})), 0, {40, 50, 60, 255, 1, 2, 3, 255}},
        {"map 32, alpha", Tga_File(Picture(9, 8, 8, {1, 0}, 32, {Bgra(255, 0, 0, 0), Bgra(200, 100, 50, 51)})), 0, {40, 20, 10, 51, 0, 0, 0, 0}},
        {"map 32, no alpha", Tga_File(Picture(1, 8, 0, {1}, 32, {0, Bgra(200, 100, 50, 51)})), 0, {200, 100, 50, 255}},
        {"16-bit indices", Tga_File(Picture(1, 16, 0, {299, 0}, 24, long_map)), 0, {9, 8, 7, 255, 1, 1, 1, 255}},
        {"map from entry 2", Tga_File(Picture(1, 8, 0, {3, 2}, 24, {Bgra(255, 0, 0), Bgra(0, 255, 0)}, 2)), 0, {0, 255, 0, 255, 255, 0, 0, 255}},
        {"unused map", Tga_File(Picture(2, 24, 0, {Bgra(1, 2, 3)}, 32, {1, 2, 3})), 0, {1, 2, 3, 255}},
        // 0x82: a run of three copies of the one pixel after it; 0x01: two stored pixels.
        {"run, then raw", Packets(5, 1, std::string("\x82\3\2\1\1\x10\x20\x30\x40\x50\x60", 11)), 0, {1, 2, 3, 255, 1, 2, 3, 255, 1, 2, 3, 255, 48, 32, 16, 255, 96, 80, 64, 255}},
        {"run across rows", Packets(2, 2, std::string("\x83\0\0\xFF", 4)), 0, {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255}},
        {"run of 128 for 2", Packets(2, 1, std::string("\xFF\1\2\3", 4)), 0, {3, 2, 1, 255, 3, 2, 1, 255}},
        {"raw packet of 5 for 2", Packets(2, 1, std::string("\4\1\1\1\4\0\0", 7)), 0, {1, 1, 1, 255, 0, 0, 4, 255}},

        {"empty file", "", kTgaBadHeader, {}},
        {"17 header bytes", whole.substr(0, 17), kTgaBadHeader, {}},
        {"height 0", Broken(small, [](TgaPicture& p) { p.height = 0; }), kTgaZeroSize, {}},
        {"image ID past the end", Broken(small, [](TgaPicture& p) { p.image_type = 0, p.id = "abcd"; }).substr(0, 21), kTgaUnexpectedEnd, {}},
        {"image type 0", Broken(small, [](TgaPicture& p) { p.image_type = 0; }), kTgaNoData, {}},
        {"image type 255", Broken(small, [](TgaPicture& p) { p.image_type = 255; }), kTgaUnknownType, {}},
        {"grey with a map", Broken(mapped, [](TgaPicture& p) { p.image_type = 11; }), kTgaGreyColormap, {}},
        {"33-bit map entries", Broken(mapped, [](TgaPicture& p) { p.map_entry_bits = 33; }), kTgaBadMapEntrySize, {}},
        {"map cut short", map.substr(0, 20 + 14), kTgaBadColormap, {}},
        {"mapped without a map", Broken(mapped, [](TgaPicture& p) { p.map_type = 0, p.map.clear(); }), kTgaBadColormap, {}},
        {"index past the map", Broken(mapped, [](TgaPicture& p) { p.image_type = 9, p.pixels[0] = 5; }), kTgaMapIndexRange, {}},
        {"index below the first", Broken(mapped, [](TgaPicture& p) { p.map_first = 1; }), kTgaMapIndexRange, {}},
        {"true colour of 8 bits", Broken(small, [](TgaPicture& p) { p.pixel_depth = 8; }), kTgaBadPixelDepth, {}},
        {"grey of 1 bit", Broken(small, [](TgaPicture& p) { p.image_type = 3, p.pixel_depth = 1; }), kTgaBadPixelDepth, {}},
        {"24-bit map indices", Broken(mapped, [](TgaPicture& p) { p.pixel_depth = 24; }), kTgaBadPixelDepth, {}},
        {"pixels cut short", whole.substr(0, whole.size() - 1), kTgaUnexpectedEnd, {}},
        {"packets cut short", Packets(2, 1, "\1\1\2\3\4\5"), kTgaUnexpectedEnd, {}},
        {"16384 x 16384 from a few bytes", Broken(small, [](TgaPicture& p) { p.width = p.height = 16384; }), kTgaUnexpectedEnd, {}},
        {"16384 x 16385 packed", Broken(small, [](TgaPicture& p) { p.image_type = 10, p.width = 16384, p.height = 16385; }), kTgaTooManyPixels, {}},
        // clang-format on
    };
    for (const auto& row : rows) {
        const Loaded image = Load_Tga(row.file);
        EXPECT_EQ(image.error, row.code) << row.what << ": " << tga_error_message(image.error);
        EXPECT_EQ(image.ok, row.code == 0) << row.what;
        EXPECT_EQ(image.pixels, row.expected) << row.what;
    }
    EXPECT_EQ(Load_Tga(whole, 3).pixels, Bytes({0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4})) << "RGB";
    EXPECT_EQ(Load_Tga(whole, 5).error, kTgaBadFormat);
    EXPECT_EQ(std::vector<int>({Widened(1), Widened(15), Premultiplied(200, 51)}),
              std::vector<int>({8, 123, 40}));
    // The format argument (before the file), files that cannot be opened or read, and a success
    // after a failure.
    const std::string path = Write_File("fine.tga", whole);
    for (const auto& [name, format, code] :
         {std::tuple(Test_Folder() + "none.tga", 5, kTgaBadFormat),
          std::tuple(Test_Folder() + "none.tga", 4, kTgaCannotOpen),
          std::tuple(Test_Folder(), 4, kTgaCannotRead)}) {
        EXPECT_EQ(tga_load_file(name.c_str(), nullptr, nullptr, format), nullptr) << name;
        EXPECT_EQ(tga_last_error(), code) << name << ", format " << format;
    }
    unsigned char* pixels = tga_load_file(path.c_str(), nullptr, nullptr, 4);
    EXPECT_NE(pixels, nullptr);
    EXPECT_EQ(tga_last_error(), kTgaCannotRead) << "the last error is kept";
    std::free(pixels);
}

TEST(TgaErrors, EveryCodeHasItsMessage) {
    std::string all;
    for (int code = -1; code <= 18; ++code) {
        all += std::string(tga_error_message(code)) + "; ";
    }
    EXPECT_EQ(all,
              "unknown error; no error; bad image header; cannot open file; bad format "
              "argument; unexpected end-of-file; image contains no data; found colormap for "
              "a grayscale image; unsupported colormap entry size; bad colormap; cannot read "
              "from file; unknown image type; image has size 0 width or height (or both); "
              "cannot write to file; colormap index out of range; unsupported pixel depth "
              "for the image type; image too large for a TGA file (width and height at most "
              "65535); out of memory; image has more than 16384 x 16384 pixels; unknown error; ");
}

TEST(TgaWriter, WritesTheHeaderTheIdAndBgrPixelsBottomRowFirst) {
    const std::string path = Test_Folder() + "written.tga";
    const Bytes rgba = {10, 20, 30, 255, 200, 150, 100, 255, 100, 50, 0, 128, 200, 50, 0, 100};
    ASSERT_EQ(tga_save_file(path.c_str(), 4, 1, rgba.data(), 4), 1);
    const std::string four = Read_File(path);
    EXPECT_EQ(four.substr(0, 18), std::string("\x15\0\2\0\0\0\0\0\0\0\0\0\4\0\1\0\x20\x08", 18));
    EXPECT_EQ(four.substr(18, 21), "written by tovrel tga");
    // Each header field has bytes of its own: a header read back writes the same bytes.
    uint8_t bytes[kTgaHeaderSize], again[kTgaHeaderSize] = {};
    std::iota(bytes, bytes + kTgaHeaderSize, 100);
    Format_Tga_Header(Parse_Tga_Header(bytes), again);
    EXPECT_EQ(Bytes(bytes, bytes + kTgaHeaderSize), Bytes(again, again + kTgaHeaderSize));
    // Divided by alpha: 100 / 128 * 255 = 199.2, 50 / 128 * 255 = 99.6, 200 / 100 over 1: 255.
    EXPECT_EQ(Bytes(four.begin() + 39, four.end()),
              Bytes({30, 20, 10, 255, 100, 150, 200, 255, 0, 99, 199, 128, 0, 127, 255, 100}));
    // Bad arguments, a missing folder and a full disk (a write that fills the stream's buffer, or
    // the last flush) fail with their codes and leave no file behind.
    const std::vector<uint8_t> many(65535 * 4, 9);
    EXPECT_EQ(tga_save_file(path.c_str(), 1, 65535, many.data(), 4), 1) << "the tallest image";
    for (const auto& [name, width, format, code] :
         {std::tuple(path + "x", 1, 5, kTgaBadFormat), std::tuple(path + "x", 0, 4, kTgaZeroSize),
          std::tuple(path + "x", 65536, 4, kTgaTooLarge),
          std::tuple(path + "/a.tga", 1, 4, kTgaCannotOpen),
          std::tuple(std::string("/dev/full"), 1, 4, kTgaCannotWrite),
          std::tuple(std::string("/dev/full"), 4000, 4, kTgaCannotWrite)}) {
        SCOPED_TRACE(name + ", " + std::to_string(width) + " wide, format " +
                     std::to_string(format));
        EXPECT_EQ(tga_save_file(name.c_str(), width, 1, many.data(), format), 0);
        EXPECT_EQ(tga_last_error(), code);
        EXPECT_EQ(Read_File(path + "x"), "") << "a file left behind";
    }
}

TEST(ImageBuffer, LoadsOnceCopiesFramesOpaqueAndSaysWhySavingFailed) {
    ImageBuffer image;  // blue, then red
    ASSERT_TRUE(image.Load_TGA(
        Write_File("two.tga", Tga_File(Picture(2, 24, 0, {0x0000FF, 0xFF0000}))).c_str()));
    EXPECT_FALSE(image.Load_TGA(Write_File("other.tga", Tga_File(TgaPicture())).c_str()));
    EXPECT_EQ(Bytes(image.Get_Data(), image.Get_Data() + 8),
              Bytes({0, 0, 255, 255, 255, 0, 0, 255}));
    const Bytes frame = {1, 2, 3, 0, 4, 5, 6, 77, 7, 8, 9, 255};
    image.Set_From_RGBA(frame.data(), 3, 1);
    EXPECT_EQ(Bytes(image.Get_Data(), image.Get_Data() + 12),
              Bytes({1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));
    EXPECT_TRUE(image.Save_TGA((Test_Folder() + "saved.tga").c_str()));
    const Bytes view(4 * 909 * 720, 9);  // a frame of the demo's view, every pixel kept
    image.Set_From_RGBA(view.data(), 909, 720);
    EXPECT_EQ(image.Get_Data()[view.size() - 2], 9);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Save_TGA("/dev/full"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Couldn't write TGA image: cannot write to file\n");
    image.Set_From_RGBA(frame.data(), 3, 0);  // a frame of no pixels leaves it empty
    EXPECT_EQ(image.Get_Data(), nullptr);
    EXPECT_EQ(image.Get_Width(), 0);
    EXPECT_FALSE(image.Save_TGA("unused.tga"));
}

// Where the reader takes its bytes from: what is left of a file is measured from where it stands,
// a pipe's is unknown, and running out is not a failure to read.
TEST(TgaSource, MeasuresWhatIsLeftAndTellsRunningOutFromAFailedRead) {
    const std::string path = Write_File("ten.bin", "0123456789");
    std::FILE* midway = std::fopen(path.c_str(), "rb");
    std::fseek(midway, 4, SEEK_SET);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "456789", 6), 6);
    close(ends[1]);
    const unsigned char block[] = "456789";
    std::FILE *start = std::fopen(path.c_str(), "rb"), *piped = fdopen(ends[0], "rb");
    TgaSource from_start(start), from_midway(midway), from_pipe(piped), from_memory(block, 6);
    for (const auto& [what, source, remaining, read_from] :
         {std::tuple("a file from its start", &from_start, 10ul, 4),
          {"a file midway", &from_midway, 6ul, 0},
          {"a pipe", &from_pipe, TgaSource::kUnknownLength, 0},
          {"memory", &from_memory, 6ul, 0}}) {
        EXPECT_EQ(source->Remaining(), remaining) << what;
        uint8_t bytes[7] = {};
        EXPECT_TRUE(source->Skip(read_from)) << what;
        EXPECT_TRUE(source->Read(bytes, 6)) << what;
        EXPECT_EQ(std::string(bytes, bytes + 6), "456789") << what;
        EXPECT_FALSE(source->Read(bytes, 1)) << what << ": past the end";
        EXPECT_TRUE(source->Read(bytes, 0)) << what << ": nothing is always there";
        EXPECT_FALSE(source->Read_Error()) << what;
    }
    for (std::FILE* file : {start, midway, piped}) {
        std::fclose(file);
    }
}
