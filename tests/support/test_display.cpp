#include "support/test_display.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The shell prints its process id and becomes the server, which prints its display once it takes
// connections. Through setpriv the kernel stops it when the test program ends, however it ends.
constexpr char kServer[] =
    "echo $$; exec setpriv --pdeathsig TERM "
    "Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null";

std::FILE* g_server = nullptr;
int g_server_id = 0, g_owner = 0;

// At a normal exit, stopped and reaped; a forked death-test child exits here too and leaves it be.
void Stop_Server() {
    if (getpid() == g_owner) {
        kill(g_server_id, SIGTERM);
        pclose(g_server);
    }
}

std::string Start_Server() {
    char number[32] = "";
    g_server = popen(kServer, "r");
    if (g_server == nullptr || std::fscanf(g_server, "%d %31s", &g_server_id, number) != 2) {
        return "Xvfb did not start (are the xvfb and util-linux packages installed?)";
    }
    g_owner = getpid();
    std::atexit(Stop_Server);
    setenv("DISPLAY", (std::string(":") + number).c_str(), 1);
    return {};
}

}  // namespace

std::string Start_Test_Display() {
    static const std::string error = Start_Server();
    return error;
}
