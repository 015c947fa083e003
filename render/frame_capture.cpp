// Frame capture: the frame just drawn, read back from the back buffer before the toolkit swaps
// it, written as a numbered TGA file, for turning a run into a film.
#include <FL/gl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "image/image_buffer.h"
#include "image/tga.h"
#include "render/render_window.h"

namespace fs = std::filesystem;

namespace {

// Relative to the working directory; made when missing.
constexpr char kCaptureDirectory[] = "images";
constexpr char kPrefix[] = "img";
constexpr char kSuffix[] = ".tga";
constexpr size_t kPrefixLength = sizeof kPrefix - 1;
constexpr size_t kSuffixLength = sizeof kSuffix - 1;
// Longer numbers are no frame file of ours: no run gets that far.
constexpr size_t kMostDigits = 15;

// "img" and the number with at least five digits, in the capture directory, joined with the
// platform's separator.
std::string Capture_File_Name(long long number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%05lld%s", kPrefix, number, kSuffix);
    return (fs::path(kCaptureDirectory) / name).string();
}

// The number in a frame file's name, or 0 for any other name.
long long Frame_File_Number(const std::string& name) {
    if (name.size() <= kPrefixLength + kSuffixLength ||
        name.size() > kPrefixLength + kMostDigits + kSuffixLength ||
        name.compare(0, kPrefixLength, kPrefix) != 0 ||
        name.compare(name.size() - kSuffixLength, kSuffixLength, kSuffix) != 0) {
        return 0;
    }
    long long number = 0;
    for (size_t i = kPrefixLength; i < name.size() - kSuffixLength; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return 0;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// Makes the capture directory when it is missing and finds the highest number of the frame files
// already there (0 for none): a run numbers its frames above it, so that it never replaces the
// frames of an earlier one. Returns why that failed, or nothing.
std::string Prepare_Capture_Directory(long long* highest) {
    std::error_code error;
    fs::create_directories(kCaptureDirectory, error);
    *highest = 0;
    for (fs::directory_iterator entry(kCaptureDirectory, error), end; !error && entry != end;
         entry.increment(error)) {
        *highest = std::max(*highest, Frame_File_Number(entry->path().filename().string()));
    }
    return error ? error.message() : std::string();
}

// Writes the image to a temporary file beside `file` and renames it once complete, so that a
// write failing part-way (a full disk) or a run killed while writing leaves no cut-short frame
// among the others. Returns why the write failed, or nothing.
std::string Write_Frame(const ImageBuffer& image, const std::string& file) {
    const std::string part = file + ".part";
    std::error_code ignored;
    errno = 0;
    if (tga_save_file(part.c_str(), image.Get_Width(), image.Get_Height(), image.Get_Data(), 4) ==
        0) {
        // The system's reason (no space, no permission) says more than the module's code.
        const std::string reason =
            errno != 0 ? std::strerror(errno) : tga_error_message(tga_last_error());
        fs::remove(part, ignored);
        return reason;
    }
    std::error_code error;
    fs::rename(part, file, error);
    if (error) {
        fs::remove(part, ignored);
        return error.message();
    }
    return {};
}

}  // namespace

void RenderWindow::Set_Capture_Stopped_Callback(CaptureStopped callback, void* user) {
    m_pCaptureStopped = callback;
    m_pCaptureStoppedUser = user;
}

void RenderWindow::Capture_Frame() {
    m_nLastCapture = m_nFrame;
    std::string failure;
    if (m_nFileNumberBase < 0) {
        long long highest = 0;
        failure = Prepare_Capture_Directory(&highest);
        if (failure.empty()) {
            m_nFileNumberBase = highest;
        }
    }
    if (failure.empty()) {
        const std::string file = Capture_File_Name(m_nFileNumberBase + m_nFrame);
        std::printf("Writing frame #%i to file %s...\n", m_nFrame, file.c_str());
        const int width = pixel_w();
        const int height = pixel_h();
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
        // Rows come bottom first, the order the TGA file keeps them in.
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        ImageBuffer image;
        image.Set_From_RGBA(pixels.data(), width, height);
        failure = Write_Frame(image, file);
    }
    if (failure.empty()) {
        return;
    }
    // Every later frame would fail alike: one message, and capture stops.
    std::error_code ignored;
    std::fprintf(stderr, "Couldn't write frames into folder %s: %s; image capture is off\n",
                 fs::absolute(kCaptureDirectory, ignored).c_str(), failure.c_str());
    m_bCapture = false;
    m_bCaptureFailed = true;
    if (m_pCaptureStopped != nullptr) {
        m_pCaptureStopped(m_pCaptureStoppedUser);
    }
}
