// The demo program end to end: started as a user starts it on the test display, driven with
// real X key and pointer events (xdotool), and judged by what its window shows, the files it
// writes, its output and its exit status.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "running_demo.h"

namespace {

// The view's place in the main window, and the camera's projection: from (0, -30, 5) looking
// along +y with a horizontal field of view of 45 degrees.
constexpr int kViewX = 5;
constexpr int kViewY = 5;
constexpr int kViewWidth = 909;
constexpr int kViewHeight = 720;
const double kFocalPixels = (kViewWidth / 2.0) / std::tan(22.5 * M_PI / 180.0);

struct Spot {
    int x, y;
};

// Where the world point (x, y, z) shows in the main window.
Spot On_Screen(double x, double y, double z) {
    const double depth = y + 30.0;
    return {static_cast<int>(std::lround(kViewX + kViewWidth / 2.0 + kFocalPixels * x / depth)),
            static_cast<int>(
                std::lround(kViewY + kViewHeight / 2.0 - kFocalPixels * (z - 5.0) / depth))};
}

bool Is_Yellow(Picture::Pixel p) {
    return p.r > 180 && p.g > 180 && p.b < 100;
}

int Count_In(const Picture& picture, int x, int y, int w, int h,
             const std::function<bool(Picture::Pixel)>& which) {
    int count = 0;
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) {
            count += which(picture.At(column, row));
        }
    }
    return count;
}

// The middle, along x, of the yellow knob of a slider drawn at (x, y, w, h).
double Knob_Centre(const Picture& picture, int x, int y, int w, int h) {
    double sum = 0.0;
    int count = 0;
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) {
            if (Is_Yellow(picture.At(column, row))) {
                sum += column;
                ++count;
            }
        }
    }
    return count > 0 ? sum / count : -1.0;
}

// The middle, along x, of the blue paddle, at the bottom of the room.
double Paddle_Centre(const Picture& picture) {
    const Spot top = On_Screen(0, -1.2, 0.5);
    const Spot bottom = On_Screen(0, -1.2, -0.2);
    double sum = 0.0;
    int count = 0;
    for (int row = top.y; row <= bottom.y; ++row) {
        for (int column = kViewX; column < kViewX + kViewWidth; ++column) {
            const Picture::Pixel p = picture.At(column, row);
            if (p.b > 150 && p.r < 60 && p.g < 60) {
                sum += column;
                ++count;
            }
        }
    }
    return count > 100 ? sum / count : -1.0;
}

int View_Differences(const Picture& a, const Picture& b) {
    return a.Differences(b, kViewX, kViewY, kViewWidth, kViewHeight);
}

class Demo : public ::testing::Test {
protected:
    // Starts the program and waits until its window shows the room.
    void Start(const std::vector<std::string>& arguments = {}) {
        demo_ = std::make_unique<RunningDemo>(arguments);
        ASSERT_TRUE(demo_->Started());
        ASSERT_TRUE(Wait_For_Window("Tovrel Demo", window_)) << demo_->Errors();
        // The back wall, dark green, in the middle of the view once the first frame is up.
        const Spot middle = On_Screen(0, 1.0, 3.0);
        ASSERT_TRUE(Poll([&] {
            Picture p;
            if (!Grab(window_, p)) {
                return false;
            }
            const Picture::Pixel wall = p.At(middle.x, middle.y);
            return wall.g > 40 && wall.r < 20 && wall.b < 20;
        })) << "the room was never drawn";
        ASSERT_TRUE(Xdotool("windowfocus --sync " + window_));
    }

    void Key(const std::string& keys) {
        ASSERT_TRUE(Xdotool("windowfocus --sync " + window_));
        ASSERT_TRUE(Xdotool("key --delay 50 " + keys));
    }

    Picture Now() {
        Picture picture;
        EXPECT_TRUE(Grab(window_, picture));
        return picture;
    }

    // Steps once with t and keeps the picture of that first step in `one_step`, then steps twice
    // more, so that the scene is somewhere else when a test goes back to its start.
    void Step_Once_Then_Twice(Picture& one_step) {
        const Picture start = Now();
        Key("t");
        ASSERT_TRUE(Wait_For_Change(start));
        ASSERT_TRUE(Wait_Until_Still(one_step));
        Key("t t");
        ASSERT_TRUE(Wait_For_Change(one_step));
    }

    // Waits until the view shows something other than `before`.
    ::testing::AssertionResult Wait_For_Change(const Picture& before) {
        if (!Poll([&] { return View_Differences(Now(), before) > 0; })) {
            return ::testing::AssertionFailure() << "the view never changed";
        }
        return ::testing::AssertionSuccess();
    }

    // Waits until the view stands still, and gives it.
    ::testing::AssertionResult Wait_Until_Still(Picture& still) {
        Picture previous = Now();
        const bool settled = Poll([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            Picture next = Now();
            const bool same = View_Differences(next, previous) == 0;
            previous = std::move(next);
            return same;
        });
        still = previous;
        if (!settled) {
            return ::testing::AssertionFailure() << "the view never stood still";
        }
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<RunningDemo> demo_;
    std::string window_;
};

struct ExpectedRow {
    float color[3];
    bool standing[5];
};

}  // namespace

TEST_F(Demo, OpensOnTheFirstLayoutOfSeed1234WithEveryControlAtItsFirstValue) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Picture p = Now();
    ASSERT_EQ(p.width, 1024);
    ASSERT_EQ(p.height, 800);

    // The layout by the C library's drand48, the same generator: per row three colour draws onto
    // [1/3, 1), then one draw per block, below one half for a standing block. Each standing block
    // shows its row's colour (lit, so darker, but in the same proportions) on its front face;
    // where none stands the green back wall shows.
    srand48(1234);
    int standing = 0;
    for (int row = 0; row < 5; ++row) {
        ExpectedRow expected;
        for (float& component : expected.color) {
            component = static_cast<float>((40.0 + 80.0 * drand48()) / 120.0);
        }
        const float sum = expected.color[0] + expected.color[1] + expected.color[2];
        for (int column = 0; column < 5; ++column) {
            const bool stands = drand48() < 0.5;
            standing += stands;
            const double x = (column - 2) * 1.8;
            const double z = 8.0 - (row - 2) * 0.7733333;
            const Spot face = On_Screen(x, -1.2, z);
            const Picture::Pixel seen = p.At(face.x, face.y);
            SCOPED_TRACE("row " + std::to_string(row) + ", column " + std::to_string(column) +
                         " at " + std::to_string(face.x) + ", " + std::to_string(face.y) + ": " +
                         std::to_string(seen.r) + " " + std::to_string(seen.g) + " " +
                         std::to_string(seen.b));
            if (!stands) {
                EXPECT_TRUE(seen.r < 10 && seen.b < 10 && seen.g > 30);
                continue;
            }
            const double seen_sum = seen.r + seen.g + seen.b;
            ASSERT_GT(seen_sum, 60.0);
            EXPECT_NEAR(seen.r / seen_sum, expected.color[0] / sum, 0.03);
            EXPECT_NEAR(seen.g / seen_sum, expected.color[1] / sum, 0.03);
            EXPECT_NEAR(seen.b / seen_sum, expected.color[2] / sum, 0.03);
        }
    }
    EXPECT_GT(standing, 0);

    // Gravity on, capture off: the lights of the two toggle buttons.
    EXPECT_GT(Count_In(p, 920, 500, 24, 22, Is_Yellow), 10);
    EXPECT_EQ(Count_In(p, 425, 740, 24, 22, Is_Yellow), 0);
    // Time scale 1 of 0.01 ... 2: the knob halfway along the track right of the value box;
    // frame skipping 0: the knob at the track's left end.
    EXPECT_NEAR(Knob_Centre(p, 50, 770, 265, 18), 50 + 265 * (1.0 - 0.01) / (2.0 - 0.01), 8.0);
    EXPECT_NEAR(Knob_Centre(p, 460, 770, 165, 18), 466.0, 8.0);
    // "Ball", the one entry of the list, in dark letters on its first line.
    EXPECT_GT(Count_In(p, 921, 7, 50, 16, [](Picture::Pixel q) { return q.r + q.g + q.b < 200; }),
              20);
    // The paddle, in the middle.
    EXPECT_NEAR(Paddle_Centre(p), kViewX + kViewWidth / 2.0, 3.0);
}

TEST_F(Demo, PlayStopStepAndResetAnswerToTheirKeys) {
    ASSERT_NO_FATAL_FAILURE(Start());

    // t: one tick's step, and nothing more.
    Picture one_step;
    ASSERT_NO_FATAL_FAILURE(Step_Once_Then_Twice(one_step));
    Picture three_steps;
    ASSERT_TRUE(Wait_Until_Still(three_steps));

    // r, then t: back to the start and one step on, exactly as the first step showed it.
    Key("r t");
    EXPECT_TRUE(Poll([&] { return View_Differences(Now(), one_step) == 0; }))
        << "reset and one step did not show the first step again";

    // p: it plays on by itself; s: it stops.
    Key("p");
    ASSERT_TRUE(Wait_For_Change(one_step));
    const Picture playing = Now();
    ASSERT_TRUE(Wait_For_Change(playing));
    Key("s");
    Picture stopped;
    ASSERT_TRUE(Wait_Until_Still(stopped));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(View_Differences(Now(), stopped), 0) << "still moving after Stop";
    EXPECT_EQ(demo_->Errors(), "");
}

TEST_F(Demo, ArrowKeysSteerThePaddleWhilePlaying) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const double middle = Paddle_Centre(Now());
    ASSERT_GT(middle, 0.0);
    Key("p");
    ASSERT_TRUE(Xdotool("keydown Right"));
    double right = middle;
    EXPECT_TRUE(Poll([&] {
        right = Paddle_Centre(Now());
        return right > middle + 40;
    })) << "the paddle did not go right: "
        << right;
    ASSERT_TRUE(Xdotool("keyup Right"));
    ASSERT_TRUE(Xdotool("keydown Left"));
    double left = right;
    EXPECT_TRUE(Poll([&] {
        left = Paddle_Centre(Now());
        return left > 0 && left < right - 40;
    })) << "the paddle did not come back left: "
        << left;
    ASSERT_TRUE(Xdotool("keyup Left"));
    Key("s");
}

TEST_F(Demo, ImageCaptureAndGravityToggleByTheirKeys) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Key("p i g");
    // Capture on: the frames drawn while playing land in images/; gravity off.
    EXPECT_TRUE(Poll([&] { return demo_->Captured_Frames().size() >= 3; }));
    Picture p;
    EXPECT_TRUE(Poll([&] {
        p = Now();
        return Count_In(p, 920, 500, 24, 22, Is_Yellow) == 0 &&
               Count_In(p, 425, 740, 24, 22, Is_Yellow) > 10;
    })) << "the toggles' lights did not turn";
    EXPECT_NE(demo_->Output().find("Writing frame #"), std::string::npos);

    // Capture off again: no more files, though it still plays.
    Key("i");
    EXPECT_TRUE(Poll([&] { return Count_In(Now(), 425, 740, 24, 22, Is_Yellow) == 0; }));
    const size_t files = demo_->Captured_Frames().size();
    const Picture before = Now();
    ASSERT_TRUE(Wait_For_Change(before));
    EXPECT_EQ(demo_->Captured_Frames().size(), files);
    Key("g s");
    EXPECT_TRUE(Poll([&] { return Count_In(Now(), 920, 500, 24, 22, Is_Yellow) > 10; }));
}

TEST_F(Demo, QEndsTheProgramWithStatusZeroAlsoAfterAButtonTookTheFocus) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Picture start = Now();
    Key("p");  // the Play button now has the keyboard focus
    ASSERT_TRUE(Wait_For_Change(start));
    Key("q");
    EXPECT_EQ(demo_->Wait_For_Exit(30), 0) << demo_->Errors();
}

TEST_F(Demo, TheBallInTheListOpensItsParameterWindowWhoseSlidersStartTheSceneOver) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(Xdotool("mousemove --window " + window_ + " 950 14 click 1"));
    std::string ball;
    ASSERT_TRUE(Wait_For_Window("Ball", ball));
    std::string geometry;
    ASSERT_TRUE(Xdotool("getwindowgeometry " + ball, &geometry));
    EXPECT_NE(geometry.find("Geometry: 200x185"), std::string::npos) << geometry;
    ASSERT_TRUE(Xdotool("windowmove --sync " + ball + " 1070 300"));  // clear of the view

    Picture one_step;
    ASSERT_NO_FATAL_FAILURE(Step_Once_Then_Twice(one_step));

    // Restitution to its left end: the body takes it and the scene starts over (without a redraw
    // of its own); the next step shows the first step again, as restitution plays no part in it.
    ASSERT_TRUE(Xdotool("mousemove --window " + ball + " 46 150 click 1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Key("t");
    EXPECT_TRUE(Poll([&] { return View_Differences(Now(), one_step) == 0; }))
        << "the slider did not start the scene over";
}

TEST(DemoOptions, CaptureWritesEveryNthFrameAndQuitAfterEndsTheProgramCleanly) {
    RunningDemo demo({"--play", "--capture=3", "--quit-after", "4"});
    ASSERT_TRUE(demo.Started());
    ASSERT_EQ(demo.Wait_For_Exit(90), 0) << demo.Errors();
    const std::vector<int> frames = demo.Captured_Frames();
    ASSERT_FALSE(frames.empty());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i], 3 * static_cast<int>(i + 1));
    }
    // Each one the whole view: header, image ID, four bytes a pixel.
    EXPECT_EQ(std::filesystem::file_size(demo.Directory() / "images" / "img00003.tga"),
              18u + 21u + 909u * 720u * 4u);
    EXPECT_NE(demo.Output().find("Writing frame #3 to file images/img00003.tga...\n"),
              std::string::npos);
    EXPECT_EQ(demo.Errors(), "");
}

TEST(DemoOptions, HelpListsOurOptionsAndTheToolkitsOwn) {
    RunningDemo demo({"--help"});
    ASSERT_TRUE(demo.Started());
    ASSERT_EQ(demo.Wait_For_Exit(30), 0);
    const std::string help = demo.Output();
    for (const char* option : {"--play", "--capture[=N]", "--quit-after SECONDS", "--autopilot",
                               "--headless SECONDS", "The toolkit's standard options still work",
                               "-g[eometry] WxH+X+Y", "-di[splay] host:n.n"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(DemoOptions, ABadValueOrAnUnknownOptionIsNamedAndRefused) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--quit-after", "soon"}, "tovrel-demo: --quit-after: \"soon\" is not a number"},
        {{"--capture=61"}, "tovrel-demo: --capture: \"61\" is not a frame skipping from 0 to 60"},
        {{"--headless"}, "tovrel-demo: --headless needs a number of seconds"},
        {{"--bounce"}, "tovrel-demo: \"--bounce\" is neither an option of ours nor of the toolkit"},
        {{"-geometry", "huge"}, "tovrel-demo: \"-geometry\" is neither an option of ours"},
        {{"--headless", "5", "--capture"}, "tovrel-demo: --headless runs without a window"},
    };
    for (const Case& c : cases) {
        RunningDemo demo(c.arguments);
        ASSERT_TRUE(demo.Started());
        EXPECT_EQ(demo.Wait_For_Exit(30), 2) << c.arguments[0];
        EXPECT_EQ(demo.Errors().rfind(c.message, 0), 0u) << demo.Errors();
    }
}

TEST(DemoOptions, AMissingMeshEndsTheProgramWithAMessageNamingTheFile) {
    RunningDemo::Setting without_mesh;
    without_mesh.mesh = false;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"--headless", "1"}}) {
        RunningDemo demo(arguments, without_mesh);
        ASSERT_TRUE(demo.Started());
        EXPECT_EQ(demo.Wait_For_Exit(60), 1);
        EXPECT_NE(demo.Errors().find(
                      "tovrel-demo: PolyObject::PolyObject: Cannot open file: objects/sphere.poly"),
                  std::string::npos)
            << demo.Errors();
    }
}

TEST(DemoOptions, WithoutADisplayItSaysSoAndPointsToTheRunWithoutAWindow) {
    RunningDemo::Setting no_display;
    no_display.display = false;
    RunningDemo demo({}, no_display);
    ASSERT_TRUE(demo.Started());
    EXPECT_EQ(demo.Wait_For_Exit(30), 1);
    EXPECT_NE(demo.Errors().find("no display"), std::string::npos) << demo.Errors();
    EXPECT_NE(demo.Errors().find("--headless"), std::string::npos) << demo.Errors();
}

TEST(DemoOptions, HeadlessPrintsTheGamesEventsAndASummary) {
    RunningDemo::Setting no_display;
    no_display.display = false;
    RunningDemo demo({"--headless", "30", "--autopilot"}, no_display);
    ASSERT_TRUE(demo.Started());
    ASSERT_EQ(demo.Wait_For_Exit(120), 0) << demo.Errors();
    const std::string out = demo.Output();
    EXPECT_EQ(out.rfind("     0.000 s  tick       0  new layout of ", 0), 0u) << out;
    EXPECT_NE(out.find(" hit (row "), std::string::npos);
    EXPECT_NE(out.find("headless: 1800 ticks, 30.000 s simulated in "), std::string::npos) << out;
    EXPECT_NE(out.find(", 0 balls lost outside the room\n"), std::string::npos);
    EXPECT_EQ(demo.Errors(), "");
}
