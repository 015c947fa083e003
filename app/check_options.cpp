// Reads the demo's command line as the demo itself does, and opens nothing: the launcher runs it
// before it installs, builds or films anything, so that a bad option is refused at once with the
// demo's own message and status. It needs only a C++ compiler and this folder's options.
#include <cstdio>
#include <string>
#include <vector>

#include "app/options.h"

namespace {

// Which of the toolkit's options (one dash) take a value only the toolkit knows, and the demo asks
// it once built. Here each takes the next word along, so that no good command line is refused; a
// bad toolkit option is left to the demo.
int Any_Toolkit_Option(int argc, char** argv, int& i) {
    const char* word = argv[i];
    if (word[0] != '-' || word[1] == '-' || word[1] == '\0') {
        return 0;
    }
    const int used = i + 1 < argc ? 2 : 1;
    i += used;
    return used;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<char*> toolkit_words;
    const std::string error =
        Read_Command_Line(argc, argv, Any_Toolkit_Option, options, toolkit_words);
    if (!error.empty()) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return kBadCommandLine;
    }
    return 0;
}
