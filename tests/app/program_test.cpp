// The demo program as a user runs it: on the test display, played, steered and ended with real
// key events (xdotool) and judged by the frames it captures, its output and its exit status; and
// its command line, bad values and all.
#include <gtest/gtest.h>
// After the test framework: the X headers define None, a name the framework uses itself.
#include <FL/x.H>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "image/image_buffer.h"
#include "support/gl_window.h"

namespace {

namespace fs = std::filesystem;

// Polls `done` every tenth of a second for up to a minute, enough for the sanitizer build on a
// loaded machine.
bool Poll(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

std::string Read(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

int Xdotool(const std::string& events) {
    return std::system(("timeout 60 xdotool " + events).c_str());
}

// The program started in the background in a fresh folder holding the data it reads (the mesh
// only if `mesh`) and an empty "images". It writes "out", "err" and at its end "status" there,
// and is killed should it run for two minutes.
class Demo {
public:
    Demo(const std::string& arguments, bool mesh = true, const std::string& environment = "") {
        const fs::path data = fs::path(TOVREL_SOURCE_DIR) / "data";
        fs::create_directories(dir / "images");
        fs::create_directory_symlink(data / "textures", dir / "textures");
        if (mesh) {
            fs::create_directory_symlink(data / "objects", dir / "objects");
        }
        // Else the leak checker of the sanitizer build lists on standard error what it suppressed.
        const std::string leaks = "LSAN_OPTIONS=$LSAN_OPTIONS:print_suppressions=0 ";
        std::system(("cd " + dir.string() + " && (" + leaks + "timeout -s KILL 120 env " +
                     environment + " " TOVREL_DEMO_PROGRAM " " + arguments +
                     " >out 2>err; echo $? >status) >/dev/null 2>&1 &")
                        .c_str());
    }
    ~Demo() { fs::remove_all(dir); }

    // The exit status, once the program has ended; -1 if it runs on after a minute.
    int Exit_Status() const {
        return Poll([&] { return !Read(dir / "status").empty(); }) ? std::stoi(Read(dir / "status"))
                                                                   : -1;
    }
    std::string Printed() const { return Read(dir / "out") + Read(dir / "err"); }
    std::string Errors() const { return Read(dir / "err"); }
    // The newest captured frame but one, written whole since the program has begun the next.
    fs::path Complete_Frame() const {
        std::vector<fs::path> frames(fs::directory_iterator(dir / "images"), {});
        std::sort(frames.begin(), frames.end());
        return frames.size() < 2 ? fs::path() : frames[frames.size() - 2];
    }
    const fs::path dir = mkdtemp(&(fs::temp_directory_path() / "tovrel-demo-XXXXXX").string()[0]);
};

// Along x, the middle of the blue paddle in a captured frame of the view (909 x 720, rows from
// the bottom): its front face spans rows 164 to 183.
double Paddle_X(const fs::path& frame) {
    ImageBuffer image;
    image.Load_TGA(frame.c_str());
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < 40 * image.Get_Width(); ++i) {
        const unsigned char* p = image.Get_Data() + 4 * (154 * image.Get_Width() + i);
        if (p[2] > 150 && p[0] < 60 && p[1] < 60) {
            sum += i % image.Get_Width();
            ++count;
        }
    }
    return count > 100 ? sum / count : -1.0;
}

}  // namespace

TEST(DemoProgram, PlaysCapturesEveryTenthFrameIsSteeredRightAndEndsOnQ) {
    ASSERT_TRUE(Test_Display_Is_Up());
    Demo demo("--capture=10");
    ASSERT_EQ(
        Xdotool("search --sync --onlyvisible --name '^Tovrel Demo$' windowfocus --sync key p"), 0);
    ASSERT_TRUE(Poll([&] { return fs::exists(demo.dir / "images" / "img00030.tga"); }))
        << demo.Errors();
    EXPECT_EQ(fs::file_size(demo.dir / "images" / "img00010.tga"), 18u + 21u + 909u * 720u * 4u);
    EXPECT_FALSE(fs::exists(demo.dir / "images" / "img00011.tga"));
    EXPECT_NE(demo.Printed().find("Writing frame #20 to file images/img00020.tga...\n"),
              std::string::npos);
    EXPECT_NEAR(Paddle_X(demo.dir / "images" / "img00010.tga"), 454.0, 3.0);
    // Held Right, the paddle goes right; q ends the program, the Play button having the focus.
    ASSERT_EQ(Xdotool("keydown Right"), 0);
    double x = -1.0;
    EXPECT_TRUE(Poll([&] { return (x = Paddle_X(demo.Complete_Frame())) > 454.0 + 40; })) << x;
    ASSERT_EQ(Xdotool("keyup Right key q"), 0);
    EXPECT_EQ(demo.Exit_Status(), 0);
    EXPECT_EQ(demo.Errors(), "");
}

TEST(DemoProgram, TakesItsOptionsAndRefusesEveryBadValueNamingIt) {
    ASSERT_TRUE(Test_Display_Is_Up());
    fl_open_display();  // a client of our own keeps the display up between the runs
    const std::string seconds = " is not a number of seconds (more than 0, at most 1e9)\n";
    const std::string skipping = " is not a frame skipping from 0 to 60\n";
    const std::string no_mesh = "PolyObject::PolyObject: Cannot open file: objects/sphere.poly: ";
    const struct {
        std::string arguments;
        int status;
        std::string printed;  // after "tovrel-demo: " when it fails
        bool mesh = true;
        std::string environment = "";
    } cases[] = {
        {"--help", 0, "--capture[=N]         image capture on from the start"},
        {"-h", 0, "-g[eometry] WxH+X+Y"},
        {"--play --capture=60 --quit-after 0.5", 0, ""},
        {"--headless=60 --autopilot", 0, "headless: 3600 ticks, 60.000 s simulated in "},
        {"--quit-after soon", 2, "--quit-after: \"soon\"" + seconds},
        {"--quit-after 0", 2, "--quit-after: \"0\"" + seconds},
        {"--quit-after=-3", 2, "--quit-after: \"-3\"" + seconds},
        {"--headless nan", 2, "--headless: \"nan\"" + seconds},
        {"--headless inf", 2, "--headless: \"inf\"" + seconds},
        {"--headless 1e300", 2, "--headless: \"1e300\"" + seconds},
        {"--headless 12s", 2, "--headless: \"12s\"" + seconds},
        {"--headless=", 2, "--headless: \"\"" + seconds},
        {"--quit-after", 2, "--quit-after needs a number of seconds\n"},
        {"--headless", 2, "--headless needs a number of seconds\n"},
        {"--capture=61", 2, "--capture: \"61\"" + skipping},
        {"--capture=-1", 2, "--capture: \"-1\"" + skipping},
        {"--capture=two", 2, "--capture: \"two\"" + skipping},
        {"--capture=99999999999999999999", 2, "--capture: \"99999999999999999999\"" + skipping},
        {"--play=yes", 2, "--play takes no value, but was given \"yes\"\n"},
        {"--autopilot=1", 2, "--autopilot takes no value, but was given \"1\"\n"},
        {"--bounce", 2, "\"--bounce\" is neither an option of ours nor of the toolkit"},
        {"-geometry huge", 2, "\"-geometry\" is neither an option of ours nor of the toolkit"},
        {"--headless 5 --capture", 2, "--headless runs without a window, so --capture and"},
        {"--headless 5 --quit-after 9", 2, "--headless runs without a window, so --capture and"},
        {"", 1, no_mesh, false},
        {"--headless 1", 1, no_mesh, false},
        {"", 1, "no display to open a window on (DISPLAY is not set)", true, "DISPLAY="},
    };
    for (const auto& c : cases) {
        const Demo demo(c.arguments, c.mesh, c.environment);
        EXPECT_EQ(demo.Exit_Status(), c.status) << c.arguments;
        EXPECT_NE(demo.Printed().find((c.status > 0 ? "tovrel-demo: " : "") + c.printed),
                  std::string::npos)
            << c.arguments << " printed " << demo.Printed();
    }
}
