#include "image/image_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/tga.h"
#include "tga_builder.h"
#include "tga_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Data_Of(const ImageBuffer& image) {
    const size_t size = static_cast<size_t>(image.Get_Width()) * image.Get_Height() * 4;
    return image.Get_Data() == nullptr ? Bytes() : Bytes(image.Get_Data(), image.Get_Data() + size);
}

std::string Two_By_One_File() {
    TgaPicture picture;
    picture.width = 2;
    picture.pixels = {0x0000FF, 0xFF0000};  // blue, then red
    return Write_Temp_File("two_by_one.tga", Tga_File(picture));
}

}  // namespace

TEST(ImageBuffer, StartsEmpty) {
    ImageBuffer image;
    EXPECT_EQ(image.Get_Data(), nullptr);
    EXPECT_EQ(image.Get_Width(), 0);
    EXPECT_EQ(image.Get_Height(), 0);
    EXPECT_FALSE(image.Save_TGA((Test_Folder() + "empty.tga").c_str()));
    EXPECT_TRUE(Read_Whole_File(Test_Folder() + "empty.tga").empty());
}

TEST(ImageBuffer, LoadsAnImageOnlyOnce) {
    ImageBuffer image;
    ASSERT_TRUE(image.Load_TGA(Two_By_One_File().c_str()));
    EXPECT_EQ(image.Get_Width(), 2);
    EXPECT_EQ(image.Get_Height(), 1);
    EXPECT_EQ(Data_Of(image), Bytes({0, 0, 255, 255, 255, 0, 0, 255}));

    TgaPicture other;
    other.width = 3;
    other.height = 3;
    other.pixels.assign(9, 0x808080);
    EXPECT_FALSE(image.Load_TGA(Write_Temp_File("other.tga", Tga_File(other)).c_str()));
    EXPECT_EQ(image.Get_Width(), 2);
    EXPECT_EQ(Data_Of(image), Bytes({0, 0, 255, 255, 255, 0, 0, 255}));
}

TEST(ImageBuffer, FailedLoadLeavesItEmpty) {
    ImageBuffer image;
    EXPECT_FALSE(image.Load_TGA((Test_Folder() + "missing.tga").c_str()));
    EXPECT_EQ(tga_last_error(), kTgaCannotOpen);
    EXPECT_EQ(image.Get_Data(), nullptr);
    EXPECT_EQ(image.Get_Width(), 0);
    EXPECT_EQ(image.Get_Height(), 0);
    EXPECT_TRUE(image.Load_TGA(Two_By_One_File().c_str())) << "an empty image can load later";
}

TEST(ImageBuffer, SetFromRgbaCopiesColoursAndMakesEveryPixelOpaque) {
    const Bytes frame = {1, 2, 3, 0, 4, 5, 6, 77, 7, 8, 9, 255};
    ImageBuffer image;
    ASSERT_TRUE(image.Load_TGA(Two_By_One_File().c_str()));
    image.Set_From_RGBA(frame.data(), 3, 1);
    EXPECT_EQ(image.Get_Width(), 3);
    EXPECT_EQ(image.Get_Height(), 1);
    EXPECT_EQ(Data_Of(image), Bytes({1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));

    // So the file holds the colours unchanged, whatever alpha the source had.
    const std::string path = Test_Folder() + "frame.tga";
    ASSERT_TRUE(image.Save_TGA(path.c_str()));
    const std::string file = Read_Whole_File(path);
    EXPECT_EQ(Bytes(file.begin() + 39, file.end()),
              Bytes({3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255}));

    ImageBuffer reloaded;
    ASSERT_TRUE(reloaded.Load_TGA(path.c_str()));
    EXPECT_EQ(Data_Of(reloaded), Data_Of(image));
}

TEST(ImageBuffer, SetFromNothingEmptiesTheImage) {
    const Bytes frame(16, 1);
    ImageBuffer image;
    image.Set_From_RGBA(frame.data(), 2, 2);
    image.Set_From_RGBA(nullptr, 2, 2);
    EXPECT_EQ(image.Get_Data(), nullptr);
    EXPECT_EQ(image.Get_Width(), 0);
    image.Set_From_RGBA(frame.data(), 2, 2);
    image.Set_From_RGBA(frame.data(), 0, 5);
    EXPECT_EQ(image.Get_Data(), nullptr);
    EXPECT_EQ(image.Get_Height(), 0);
}

TEST(ImageBuffer, FailedSaveSaysWhy) {
    const Bytes frame(4, 200);
    ImageBuffer image;
    image.Set_From_RGBA(frame.data(), 1, 1);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Save_TGA((Test_Folder() + "no such folder/img00001.tga").c_str()));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Couldn't write TGA image: cannot open file\n");

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Save_TGA("/dev/full"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Couldn't write TGA image: cannot write to file\n");
}

TEST(ImageBuffer, CapturedViewSizeGivesTheExpectedFileSize) {
    const Bytes frame(909 * 720 * 4, 128);
    ImageBuffer image;
    image.Set_From_RGBA(frame.data(), 909, 720);
    const std::string path = Test_Folder() + "img00001.tga";
    ASSERT_TRUE(image.Save_TGA(path.c_str()));
    EXPECT_EQ(Read_Whole_File(path).size(), 18u + 21u + 909u * 720u * 4u);
}
