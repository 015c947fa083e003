// Frame capture: the frame just drawn, read back from the back buffer before the toolkit swaps
// it, written as a numbered TGA file, for turning a run into a film.
#include <FL/gl.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "image/image_buffer.h"
#include "render/render_window.h"

namespace {

// Relative to the working directory, and not created by the program: without it, capture reports
// each due frame as unwritten and the run goes on.
constexpr char kCaptureDirectory[] = "images";

// "img" and the frame number with at least five digits, in the capture directory, joined with the
// platform's separator.
std::string Capture_File_Name(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "img%05d.tga", frame);
    return (std::filesystem::path(kCaptureDirectory) / name).string();
}

}  // namespace

void RenderWindow::Capture_Frame() {
    const std::string file = Capture_File_Name(m_nFrame);
    std::printf("Writing frame #%i to file %s...\n", m_nFrame, file.c_str());
    const int width = pixel_w();
    const int height = pixel_h();
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    // Rows come bottom first, the order the TGA file keeps them in.
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    ImageBuffer image;
    image.Set_From_RGBA(pixels.data(), width, height);
    image.Save_TGA(file.c_str());  // reports a failed write itself
    m_nLastCapture = m_nFrame;
}
