#pragma once

#include <string>
#include <vector>

// The program's own command-line options. They are read before the toolkit's standard options
// (-display, -geometry, -title, ...), which keep working; every word is one or the other.
struct Options {
    bool help = false;
    bool play = false;           // --play: start playing at once
    bool capture = false;        // --capture[=N]: image capture on from the start ...
    int frame_skip = 0;          // ... with this frame skipping
    double quit_after = 0.0;     // --quit-after SECONDS: end cleanly after that long; 0: never
    long quit_after_ticks = 0;   // --quit-after-ticks TICKS: ... or after that many play ticks
    bool autopilot = false;      // --autopilot: the paddle follows the ball
    double headless = 0.0;       // --headless SECONDS: no window, that much simulated time; 0: off
    bool show_contacts = false;  // --show-contacts: Show Contacts on; --headless prints them
    bool audit = false;          // --audit: --headless checks the simulation after every tick
    std::string scene;           // --scene FILE: a scene file's scene instead of the breakout
};

// The program's name in its messages, and its exit status for a bad command line.
constexpr char kProgram[] = "tovrel-demo";
constexpr int kBadCommandLine = 2;

// Reads one of the toolkit's options at argv[i] as Fl::arg does: returns the number of words it
// took, moving i past them, or 0 when argv[i] is not one or its value is missing or bad.
using ToolkitOptionReader = int (*)(int argc, char** argv, int& i);

// Reads the whole command line: our options (with their values, which may be the next word or
// follow an "=") into `options`, and the toolkit's words, as `toolkit` knows them, onto the end
// of `toolkit_words`. Returns the message for the first bad word, or for options that cannot go
// together (not checked with --help), naming the option; empty when all is well.
std::string Read_Command_Line(int argc, char** argv, ToolkitOptionReader toolkit, Options& options,
                              std::vector<char*>& toolkit_words);

// The --help text, for the program named `program`.
std::string Usage(const char* program);
