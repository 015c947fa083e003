#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The demo program run as a user runs it, for the end-to-end tests: its own process, working in a
// fresh folder that holds the data it reads and an empty "images" folder, showing its window on
// the test display, with its output kept in files. Waits are polls with generous limits, so the
// tests hold on a slow or busy machine.
class RunningDemo {
public:
    struct Setting {
        bool mesh = true;     // the folder has "objects" with the ball's mesh
        bool display = true;  // DISPLAY names the test display; otherwise it is not set
    };

    explicit RunningDemo(const std::vector<std::string>& arguments)
        : RunningDemo(arguments, Setting()) {}
    RunningDemo(const std::vector<std::string>& arguments, Setting setting);
    ~RunningDemo();  // ends the program if it still runs, and removes the folder

    RunningDemo(const RunningDemo&) = delete;
    RunningDemo& operator=(const RunningDemo&) = delete;

    ::testing::AssertionResult Started() const;

    // Waits up to `seconds` for the program to end: its exit status, 128 + the signal that ended
    // it, or -1 when it still runs (it is then left running).
    int Wait_For_Exit(double seconds);

    std::string Output() const;  // standard output so far
    std::string Errors() const;  // standard error so far
    const std::filesystem::path& Directory() const { return directory_; }

    // The frame numbers of the files in "images", in order.
    std::vector<int> Captured_Frames() const;

private:
    std::filesystem::path directory_;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string error_;
};

// An RGB picture of a window as it is on the screen, rows from the top.
struct Picture {
    struct Pixel {
        int r, g, b;
    };

    Pixel At(int x, int y) const {
        const unsigned char* p = &rgb[3 * (static_cast<size_t>(y) * width + x)];
        return {p[0], p[1], p[2]};
    }
    // How many pixels of the rectangle differ from `other`'s.
    int Differences(const Picture& other, int x, int y, int w, int h) const;

    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Runs xdotool (real X events through the XTEST extension); its output goes to `output`.
::testing::AssertionResult Xdotool(const std::string& arguments, std::string* output = nullptr);

// Waits until a window titled exactly `title` is mapped, and gives its X id.
::testing::AssertionResult Wait_For_Window(const std::string& title, std::string& id);

// The window's contents as they are on the screen now.
::testing::AssertionResult Grab(const std::string& id, Picture& picture);

// Polls `done` every tenth of a second for up to `seconds`.
bool Poll(const std::function<bool()>& done, double seconds = 30.0);
