#pragma once

#include <string>

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
    bool show_contacts = false;  // --show-contacts: with --headless, the ball's nearest body
};

// Reads argv[i] if it is one of ours, with its value (which may be the next word or follow an
// "="). Returns the number of words used, 0 when argv[i] is not ours; a bad or missing value
// leaves `error` saying which option and which value, and uses the words it looked at.
int Parse_Own_Option(int argc, char** argv, int i, Options& options, std::string& error);

// Combinations that cannot work; empty when there are none.
std::string Check_Options(const Options& options);

// The --help text, for the program named `program`.
std::string Usage(const char* program);
