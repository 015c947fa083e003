#include "running_demo.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/test_display.h"

namespace fs = std::filesystem;

namespace {

// No single step of a test waits longer than this: starting the sanitizer-built program, its
// first software-rendered frame, or a window appearing, on a loaded machine.
constexpr int kCommandTimeoutSeconds = 60;

std::string Read_File(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a shell command; its standard output, and whether it succeeded.
bool Run_Command(const std::string& command, std::string* output) {
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, n);
    }
    const int status = pclose(pipe);
    if (output != nullptr) {
        *output = std::move(text);
    }
    return status == 0;
}

}  // namespace

RunningDemo::RunningDemo(const std::vector<std::string>& arguments, Setting setting) {
    static int started = 0;
    error_ = Start_Test_Display();
    if (!error_.empty()) {
        return;
    }
    directory_ = fs::temp_directory_path() /
                 ("tovrel-demo-" + std::to_string(getpid()) + "-" + std::to_string(++started));
    fs::remove_all(directory_);
    fs::create_directories(directory_ / "images");
    const fs::path data = fs::path(TOVREL_SOURCE_DIR) / "data";
    fs::create_directory_symlink(data / "textures", directory_ / "textures");
    if (setting.mesh) {
        fs::create_directory_symlink(data / "objects", directory_ / "objects");
    }

    std::vector<std::string> words{TOVREL_DEMO_PROGRAM};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string out = (directory_ / "stdout.txt").string();
    const std::string err = (directory_ / "stderr.txt").string();
    pid_ = fork();
    if (pid_ == 0) {
        if (!setting.display) {
            unsetenv("DISPLAY");
        }
        // The leak checker of the sanitizer build would list the suppressions it used on
        // standard error, which the tests read as the program's own.
        if (const char* leaks = std::getenv("LSAN_OPTIONS")) {
            setenv("LSAN_OPTIONS", (std::string(leaks) + ":print_suppressions=0").c_str(), 1);
        }
        if (chdir(directory_.c_str()) != 0 || !std::freopen(out.c_str(), "w", stdout) ||
            !std::freopen(err.c_str(), "w", stderr)) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid_ < 0) {
        error_ = "cannot start a process";
    }
}

RunningDemo::~RunningDemo() {
    if (pid_ > 0 && status_ < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

::testing::AssertionResult RunningDemo::Started() const {
    if (!error_.empty()) {
        return ::testing::AssertionFailure() << error_;
    }
    return ::testing::AssertionSuccess();
}

int RunningDemo::Wait_For_Exit(double seconds) {
    if (status_ >= 0 || pid_ <= 0) {
        return status_;
    }
    Poll(
        [&] {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) != pid_) {
                return false;
            }
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        },
        seconds);
    return status_;
}

std::string RunningDemo::Output() const {
    return Read_File(directory_ / "stdout.txt");
}

std::string RunningDemo::Errors() const {
    return Read_File(directory_ / "stderr.txt");
}

std::vector<int> RunningDemo::Captured_Frames() const {
    std::vector<int> frames;
    for (const auto& entry : fs::directory_iterator(directory_ / "images")) {
        int frame = 0;
        if (std::sscanf(entry.path().filename().c_str(), "img%d.tga", &frame) == 1) {
            frames.push_back(frame);
        }
    }
    std::sort(frames.begin(), frames.end());
    return frames;
}

int Picture::Differences(const Picture& other, int x, int y, int w, int h) const {
    int differing = 0;
    for (int row = y; row < y + h; ++row) {
        for (int column = x; column < x + w; ++column) {
            const Pixel a = At(column, row);
            const Pixel b = other.At(column, row);
            differing += a.r != b.r || a.g != b.g || a.b != b.b;
        }
    }
    return differing;
}

::testing::AssertionResult Xdotool(const std::string& arguments, std::string* output) {
    const std::string command =
        "timeout " + std::to_string(kCommandTimeoutSeconds) + " xdotool " + arguments;
    if (!Run_Command(command, output)) {
        return ::testing::AssertionFailure() << "failed: " << command;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Wait_For_Window(const std::string& title, std::string& id) {
    std::string found;
    ::testing::AssertionResult searched =
        Xdotool("search --sync --onlyvisible --name '^" + title + "$'", &found);
    if (!searched) {
        return searched << " (no window \"" << title << "\" appeared)";
    }
    std::istringstream ids(found);
    ids >> id;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Grab(const std::string& id, Picture& picture) {
    std::string ppm;
    const std::string command = "timeout " + std::to_string(kCommandTimeoutSeconds) +
                                " xwd -silent -id " + id + " | convert xwd:- ppm:-";
    if (!Run_Command(command, &ppm)) {
        return ::testing::AssertionFailure() << "failed: " << command;
    }
    std::istringstream in(ppm);
    // The header's words, past the comments (the window's name) that may come between them.
    auto word = [&in] {
        std::string text;
        while (in >> text && text[0] == '#') {
            std::getline(in, text);
        }
        return text;
    };
    const std::string magic = word();
    picture.width = std::atoi(word().c_str());
    picture.height = std::atoi(word().c_str());
    const int max_value = std::atoi(word().c_str());
    in.get();
    if (magic != "P6" || max_value != 255 || picture.width <= 0 || picture.height <= 0) {
        return ::testing::AssertionFailure() << "not a picture from: " << command;
    }
    picture.rgb.resize(3 * static_cast<size_t>(picture.width) * picture.height);
    in.read(reinterpret_cast<char*>(picture.rgb.data()), picture.rgb.size());
    if (!in) {
        return ::testing::AssertionFailure() << "short picture from: " << command;
    }
    return ::testing::AssertionSuccess();
}

bool Poll(const std::function<bool()>& done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}
