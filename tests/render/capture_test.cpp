// Frame capture in a real window: numbered TGA files of the frames drawn, read back with the
// project's own reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "bodies/cube.h"
#include "image/image_buffer.h"
#include "probed_window.h"

namespace {

namespace fs = std::filesystem;

// The demo's own view size.
constexpr int kWidth = 909;
constexpr int kHeight = 720;
// Header, the 21 bytes of the image ID, then four bytes per pixel.
constexpr uintmax_t kFileSize = 18 + 21 + kWidth * kHeight * 4;

class Capture : public ::testing::Test {
protected:
    void Start(bool with_directory) {
        if (with_directory) {
            fs::create_directory("images");
        }
        ASSERT_TRUE(Show_And_Wait(view_));
        ASSERT_TRUE(Run_Until([&] { return view_.Frame_Count() > 0; }));
    }

    void Draw_Until_Frame(int frame) {
        while (view_.Frame_Count() < frame) {
            ASSERT_TRUE(view_.Draw_Frame());
        }
    }

    std::vector<int> Captured_Frames() const {
        std::vector<int> frames;
        for (int frame = 1; frame <= view_.Frame_Count(); ++frame) {
            if (fs::exists(File(frame))) {
                frames.push_back(frame);
            }
        }
        return frames;
    }

    static fs::path File(int frame) {
        char name[32];
        std::snprintf(name, sizeof name, "img%05d.tga", frame);
        return fs::path("images") / name;
    }

    ScratchDirectory directory_{"tovrel-capture"};
    ProbedWindow view_{0, 0, kWidth, kHeight, "capture"};
};

}  // namespace

TEST_F(Capture, OnFromTheStartWritesEveryFrameAsAFullSizeTgaFile) {
    view_.Set_Capture(true);
    Start(true);
    Draw_Until_Frame(3);
    EXPECT_EQ(Captured_Frames(), (std::vector<int>{1, 2, 3}));
    for (int frame = 1; frame <= 3; ++frame) {
        EXPECT_EQ(fs::file_size(File(frame)), kFileSize) << File(frame);
    }
}

TEST_F(Capture, SkippingCapturesEveryNthFrameAndOneLikeNone) {
    view_.Set_Capture(true);
    view_.Set_Frame_Skip(3);
    Start(true);
    Draw_Until_Frame(10);
    EXPECT_EQ(Captured_Frames(), (std::vector<int>{3, 6, 9}));
    view_.Set_Frame_Skip(1);
    Draw_Until_Frame(12);
    EXPECT_EQ(Captured_Frames(), (std::vector<int>{3, 6, 9, 11, 12}));  // 10 was drawn under skip 3
}

TEST_F(Capture, SwitchedOnLaterTakesTheVeryNextFrame) {
    view_.Set_Frame_Skip(5);
    Start(true);
    Draw_Until_Frame(7);
    EXPECT_TRUE(Captured_Frames().empty());
    view_.Set_Capture(true);
    Draw_Until_Frame(13);
    EXPECT_EQ(Captured_Frames(), (std::vector<int>{8, 13}));
}

TEST_F(Capture, TellsWhichFileEachFrameGoesTo) {
    view_.Set_Capture(true);
    Start(true);
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(view_.Draw_Frame());
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string file = File(2).string();
    EXPECT_EQ(out, "Writing frame #2 to file " + file + "...\n");
}

TEST_F(Capture, WithoutTheDirectoryEachDueFrameIsReportedAndSkipped) {
    Start(false);
    view_.Set_Capture(true);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(view_.Draw_Frame());
    ASSERT_TRUE(view_.Draw_Frame());
    const std::string err = ::testing::internal::GetCapturedStderr();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Writing frame #2 to file " + File(2).string() + "...\n" +
                       "Writing frame #3 to file " + File(3).string() + "...\n");
    EXPECT_EQ(err,
              "Couldn't write TGA image: cannot open file\n"
              "Couldn't write TGA image: cannot open file\n");
    EXPECT_FALSE(fs::exists("images"));
    EXPECT_EQ(view_.Frame_Count(), 3);
}

TEST_F(Capture, OurReaderLoadsBackExactlyTheFrameDrawn) {
    // A red box high up on the right, so that a flipped or mirrored file would show.
    Cube box("Box");
    box.state.position = Vector3d(3, 0, 9);
    box.Set_Color(1, 0, 0);
    view_.Add_Render_Object(&box);
    Start(true);
    view_.Set_Capture(true);
    ASSERT_TRUE(view_.Draw_Frame());
    const int frame = view_.Frame_Count();
    ImageBuffer image;
    ASSERT_TRUE(image.Load_TGA(File(frame).c_str()));
    ASSERT_EQ(image.Get_Width(), kWidth);
    ASSERT_EQ(image.Get_Height(), kHeight);
    // Both bottom row first; the drawn frame is opaque, so the reader's colours are unchanged.
    const unsigned char* loaded = image.Get_Data();
    int differing = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        for (int c = 0; c < 3; ++c) {
            differing += loaded[4 * i + c] != view_.pixels[4 * i + c];
        }
        differing += loaded[4 * i + 3] != 255;
    }
    EXPECT_EQ(differing, 0);
    // Bottom row first: the box's red is in the upper right quarter and nowhere else.
    int red_above = 0, red_elsewhere = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* p = loaded + 4 * (y * kWidth + x);
            if (p[0] > 40 && p[1] == 0) {
                (y > kHeight / 2 && x > kWidth / 2 ? red_above : red_elsewhere) += 1;
            }
        }
    }
    EXPECT_GT(red_above, 100);
    EXPECT_EQ(red_elsewhere, 0);
}
