#pragma once

#include <FL/Enumerations.H>
#include <FL/gl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "render/render_window.h"
#include "support/gl_window.h"

// The view with two probes: the frame it just drew, read back before the buffers are swapped,
// and arrow keys the test holds down instead of the keyboard.
class ProbedWindow : public RenderWindow {
public:
    using RenderWindow::RenderWindow;

    struct Pixel {
        int r, g, b;
    };

    // x from the left, y from the bottom, as OpenGL counts.
    Pixel At(int x, int y) const {
        const unsigned char* p = &pixels[4 * (static_cast<size_t>(y) * w() + x)];
        return {p[0], p[1], p[2]};
    }

    // Redraws and waits until the frame is drawn.
    ::testing::AssertionResult Draw_Frame() {
        const int before = Frame_Count();
        redraw();
        if (!Run_Until([&] { return Frame_Count() > before; })) {
            return ::testing::AssertionFailure() << "no frame was drawn";
        }
        return ::testing::AssertionSuccess();
    }

    void draw() override {
        RenderWindow::draw();
        pixels.resize(static_cast<size_t>(w()) * h() * 4);
        glReadPixels(0, 0, w(), h(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }

    bool left_down = false;
    bool right_down = false;
    std::vector<unsigned char> pixels;

protected:
    bool Is_Key_Down(int key) const override {
        return key == FL_Left ? left_down : key == FL_Right ? right_down : false;
    }
};

// A fresh empty working directory for the test's lifetime, for the files the view reads and
// writes relative to it.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name)
        : previous_(std::filesystem::current_path()),
          path_(std::filesystem::temp_directory_path() /
                (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~ScratchDirectory() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};
