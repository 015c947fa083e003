// The demo program as a user runs it, on the test display with real key events (xdotool), judged
// by the frames it captures, its output and its exit status; and its command line.
#include <gtest/gtest.h>
// After the test framework: the X headers define None, a name the framework uses itself.
#include <FL/x.H>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/image_buffer.h"
#include "support/gl_window.h"

namespace {

namespace fs = std::filesystem;

// Polls `done` for a minute, long enough for the sanitizer build on a loaded machine.
bool Poll(const std::function<bool()>& done) {
    bool held = false;
    for (int i = 0; i < 600 && !(held = done()); ++i) {
        usleep(100000);
    }
    return held;
}

std::string Read(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

// A shell command line run in the background in a fresh folder holding the data the program
// reads and an empty "images"; $DEMO in it runs the program, which is killed after two minutes.
// Its output goes to "out" and "err" there, and its exit status at its end to "status".
struct Demo {
    explicit Demo(const std::string& command) {
        for (const char* data : {"objects", "textures"}) {
            fs::create_directory_symlink(fs::path(TOVREL_SOURCE_DIR) / "data" / data, dir / data);
        }
        fs::create_directory(dir / "images");
        // Else the sanitizer build's leak checker lists on standard error what it suppressed.
        std::system(("cd " + dir.string() + " && (export LSAN_OPTIONS=$LSAN_OPTIONS:print_" +
                     "suppressions=0 DEMO='timeout -s KILL 120 " TOVREL_DEMO_PROGRAM "'; " +
                     command + " >out 2>err; echo $? >status) >/dev/null 2>&1 &")
                        .c_str());
    }
    ~Demo() { fs::remove_all(dir); }
    // Once the program has ended; -1 if it runs on after a minute.
    int Exit_Status() const {
        return Poll([&] { return !Read(dir / "status").empty(); }) ? std::stoi(Read(dir / "status"))
                                                                   : -1;
    }
    fs::path Frame(int n) const {
        return dir / "images" / ("img" + std::to_string(100000 + n).substr(1) + ".tga");
    }
    const fs::path dir = mkdtemp(&(fs::temp_directory_path() / "tovrel-demo-XXXXXX").string()[0]);
};

// Along x, the middle of the blue paddle in a captured frame of the view (909 x 720, rows from
// the bottom), whose front face spans rows 164 to 183.
double Paddle_X(const fs::path& frame) {
    ImageBuffer image;
    image.Load_TGA(frame.c_str());
    double sum = 0.0, count = 0.0;
    for (int i = 0; i < 40 * image.Get_Width(); ++i) {
        const unsigned char* p = image.Get_Data() + 4 * (154 * image.Get_Width() + i);
        const bool blue = p[2] > 150 && p[0] < 60 && p[1] < 60;
        sum += blue * (i % image.Get_Width());
        count += blue;
    }
    return count > 100 ? sum / count : -1.0;
}

}  // namespace

TEST(DemoProgram, PlaysCapturesEveryTenthFrameIsSteeredRightAndEndsOnQ) {
    ASSERT_TRUE(Test_Display_Is_Up());
    const Demo demo("$DEMO --capture=10");
    ASSERT_EQ(std::system("timeout 60 xdotool search --sync --onlyvisible --name '^Tovrel Demo$' "
                          "windowfocus --sync key p"),
              0);
    ASSERT_TRUE(Poll([&] { return fs::exists(demo.Frame(30)); })) << Read(demo.dir / "err");
    EXPECT_FALSE(fs::exists(demo.Frame(11)) || fs::exists(demo.Frame(29)));  // every tenth only
    EXPECT_NE(Read(demo.dir / "out").find("Writing frame #20 to file images/img00020.tga"),
              std::string::npos);
    EXPECT_NEAR(Paddle_X(demo.Frame(10)), 454.0, 3.0);
    // Held Right, the paddle goes right (a frame is whole once the next is begun); q ends the
    // program though the Play button has the keyboard focus.
    ASSERT_EQ(std::system("timeout 60 xdotool keydown Right"), 0);
    int frame = 20;
    EXPECT_TRUE(Poll([&] {
        return fs::exists(demo.Frame(frame + 20)) && Paddle_X(demo.Frame(frame += 10)) > 494.0;
    })) << "the paddle was at "
        << Paddle_X(demo.Frame(frame)) << " in frame " << frame;
    ASSERT_EQ(std::system("timeout 60 xdotool keyup Right key q"), 0);
    EXPECT_EQ(demo.Exit_Status(), 0);
    EXPECT_EQ(Read(demo.dir / "err"), "");
}

TEST(DemoProgram, TakesItsOptionsAndRefusesEveryBadValueNamingIt) {
    ASSERT_TRUE(Test_Display_Is_Up());
    fl_open_display();  // a client of our own keeps the display up between the runs
    const std::string seconds = " is not a number of seconds (more than 0, at most 1e9)\n";
    const std::string skipping = " is not a frame skipping from 0 to 60\n";
    const struct {
        std::string command;
        int status;
        std::string printed;  // after "tovrel-demo: " when it fails
    } cases[] = {
        {"$DEMO --help", 0, "--capture[=N]         image capture on from the start"},
        {"$DEMO --play --capture=60 --quit-after 0.5", 0, ""},
        {"$DEMO --headless=60 --autopilot", 0, "headless: 3600 ticks, 60.000 s simulated in "},
        {"$DEMO --quit-after=0", 2, "--quit-after: \"0\"" + seconds},
        {"$DEMO --headless nan", 2, "--headless: \"nan\"" + seconds},
        {"$DEMO --headless 1e300", 2, "--headless: \"1e300\"" + seconds},
        {"$DEMO --headless 12s", 2, "--headless: \"12s\"" + seconds},
        {"$DEMO --headless=", 2, "--headless: \"\"" + seconds},
        {"$DEMO --headless", 2, "--headless needs a number of seconds\n"},
        {"$DEMO --capture=61", 2, "--capture: \"61\"" + skipping},
        {"$DEMO --capture=two", 2, "--capture: \"two\"" + skipping},
        {"$DEMO --capture=99999999999999999999", 2,
         "--capture: \"99999999999999999999\"" + skipping},
        {"$DEMO --play=yes", 2, "--play takes no value, but was given \"yes\"\n"},
        {"$DEMO --bounce", 2, "\"--bounce\" is neither an option of ours nor of the toolkit"},
        {"$DEMO -geometry huge", 2,
         "\"-geometry\" is neither an option of ours nor of the toolkit"},
        {"$DEMO --headless 5 --capture", 2, "--headless runs without a window, so --capture and"},
        {"rm objects; $DEMO", 1, "PolyObject::PolyObject: Cannot open file: objects/sphere.poly: "},
        {"DISPLAY= $DEMO", 1, "no display to open a window on (DISPLAY is not set)"},
    };
    for (const auto& c : cases) {
        const Demo demo(c.command);
        EXPECT_EQ(demo.Exit_Status(), c.status) << c.command;
        const std::string printed = Read(demo.dir / "out") + Read(demo.dir / "err");
        EXPECT_NE(printed.find((c.status > 0 ? "tovrel-demo: " : "") + c.printed),
                  std::string::npos)
            << c.command << " printed " << printed;
    }
}
