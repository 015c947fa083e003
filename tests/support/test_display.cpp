#include "support/test_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace {

// Xvfb writes the display number once it accepts connections; it starts in well under a second,
// so this only guards against a server that hangs.
constexpr int kStartTimeoutMs = 20000;

class XvfbServer {
public:
    XvfbServer() { error_ = Start(); }

    ~XvfbServer() {
        // A forked child (a death test) shares this object but must not stop its parent's server.
        if (pid_ > 0 && getpid() == owner_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

    const std::string& Error() const { return error_; }

private:
    std::string Start() {
        int pipe_fds[2];
        if (pipe(pipe_fds) != 0) {
            return "cannot create a pipe for Xvfb";
        }
        const std::string fd_text = std::to_string(pipe_fds[1]);
        // -terminate: the server also ends when its last client goes, so a test process that
        // dies before its destructors run leaves no server behind.
        const char* argv[] = {"Xvfb",         "-displayfd", fd_text.c_str(), "-screen",    "0",
                              "1280x1024x24", "-nolisten",  "tcp",           "-terminate", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int spawned =
            posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipe_fds[1]);
        if (spawned != 0) {
            close(pipe_fds[0]);
            pid_ = -1;
            return "cannot start Xvfb (is the xvfb package installed?)";
        }
        owner_ = getpid();
        std::string number;
        char c = 0;
        pollfd wait_for = {pipe_fds[0], POLLIN, 0};
        while (poll(&wait_for, 1, kStartTimeoutMs) == 1 && read(pipe_fds[0], &c, 1) == 1 &&
               c != '\n') {
            number += c;
        }
        close(pipe_fds[0]);
        if (number.empty()) {
            return "Xvfb started but reported no display number";
        }
        setenv("DISPLAY", (":" + number).c_str(), 1);
        return {};
    }

    pid_t pid_ = -1;
    pid_t owner_ = -1;
    std::string error_;
};

}  // namespace

std::string Start_Test_Display() {
    static XvfbServer server;
    return server.Error();
}
