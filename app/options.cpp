#include "app/options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

// The frame skipping slider's range.
constexpr int kMaxFrameSkip = 60;
// Longer runs are surely a typing slip; capping also keeps tick counts well inside a long.
constexpr double kMaxSeconds = 1e9;
constexpr long kMaxTicks = 1000000000;

// The option's name, and its value after "=" if there is one.
struct Word {
    std::string name;
    const char* value = nullptr;
};

Word Split(const char* word) {
    const char* equals = std::strchr(word, '=');
    if (equals == nullptr) {
        return {word, nullptr};
    }
    return {std::string(word, equals), equals + 1};
}

bool Read_Seconds(const char* text, double& seconds) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0.0 ||
        value > kMaxSeconds) {
        return false;
    }
    seconds = value;
    return true;
}

// A count written in plain digits, as the launcher's arithmetic also reads it: no sign, no spaces.
bool Read_Count(const char* text, long low, long high, long& count) {
    if (!std::isdigit(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || value < low || value > high) {
        return false;
    }
    count = value;
    return true;
}

bool Read_Frame_Skip(const char* text, int& frames) {
    long value = 0;
    if (!Read_Count(text, 0, kMaxFrameSkip, value)) {
        return false;
    }
    frames = static_cast<int>(value);
    return true;
}

// An option that needs a number of seconds, given after "=" or as the next word.
int Seconds_Option(int argc, char** argv, int i, const Word& word, double& seconds,
                   std::string& error) {
    const char* value = word.value;
    int used = 1;
    if (value == nullptr) {
        if (i + 1 >= argc) {
            error = word.name + " needs a number of seconds";
            return used;
        }
        value = argv[i + 1];
        used = 2;
    }
    if (!Read_Seconds(value, seconds)) {
        error =
            word.name + ": \"" + value + "\" is not a number of seconds (more than 0, at most 1e9)";
    }
    return used;
}

// --scene FILE: a file that is there to be read; what is in it is for the scene loader to judge.
int Scene_Option(int argc, char** argv, int i, const Word& word, std::string& path,
                 std::string& error) {
    const char* value = word.value != nullptr ? word.value : i + 1 < argc ? argv[i + 1] : nullptr;
    const int used = word.value != nullptr ? 1 : 2;
    if (value == nullptr || *value == '\0') {
        error = "--scene needs a scene file";
        return 1;
    }
    std::error_code fault;
    if (!std::filesystem::is_regular_file(value, fault)) {
        error = std::string("--scene: ") + value +
                (std::filesystem::exists(value, fault) ? " is not a file" : ": no such file");
    }
    path = value;
    return used;
}

// An option that takes no value.
int Flag_Option(const Word& word, bool& flag, std::string& error) {
    if (word.value != nullptr) {
        error = word.name + " takes no value, but was given \"" + word.value + "\"";
    }
    flag = true;
    return 1;
}

// Reads argv[i] if it is one of ours, with its value. Returns the number of words used, 0 when
// argv[i] is not ours; a bad or missing value leaves `error` saying which option and which value,
// and uses the words it looked at.
int Parse_Own_Option(int argc, char** argv, int i, Options& options, std::string& error) {
    const Word word = Split(argv[i]);
    if (word.name == "--help" || word.name == "-h") {
        return Flag_Option(word, options.help, error);
    }
    if (word.name == "--play") {
        return Flag_Option(word, options.play, error);
    }
    if (word.name == "--autopilot") {
        return Flag_Option(word, options.autopilot, error);
    }
    if (word.name == "--show-contacts") {
        return Flag_Option(word, options.show_contacts, error);
    }
    if (word.name == "--audit") {
        return Flag_Option(word, options.audit, error);
    }
    if (word.name == "--capture") {
        options.capture = true;
        options.frame_skip = 0;
        if (word.value != nullptr && !Read_Frame_Skip(word.value, options.frame_skip)) {
            error = "--capture: \"" + std::string(word.value) +
                    "\" is not a frame skipping from 0 to 60";
        }
        return 1;
    }
    if (word.name == "--quit-after-ticks") {
        const char* value = word.value != nullptr ? word.value
                            : i + 1 < argc        ? argv[i + 1]
                                                  : nullptr;
        if (value == nullptr) {
            error = "--quit-after-ticks needs a number of ticks";
            return 1;
        }
        if (!Read_Count(value, 1, kMaxTicks, options.quit_after_ticks)) {
            error = "--quit-after-ticks: \"" + std::string(value) +
                    "\" is not a number of ticks (1 to 1000000000)";
        }
        return word.value != nullptr ? 1 : 2;
    }
    if (word.name == "--quit-after") {
        return Seconds_Option(argc, argv, i, word, options.quit_after, error);
    }
    if (word.name == "--headless") {
        return Seconds_Option(argc, argv, i, word, options.headless, error);
    }
    if (word.name == "--scene") {
        return Scene_Option(argc, argv, i, word, options.scene, error);
    }
    return 0;
}

// Combinations that cannot work; empty when there are none.
std::string Check_Options(const Options& options) {
    const char* windowed = options.capture                ? "--capture"
                           : options.quit_after > 0.0     ? "--quit-after"
                           : options.quit_after_ticks > 0 ? "--quit-after-ticks"
                                                          : nullptr;
    if (options.headless > 0.0 && windowed != nullptr) {
        return std::string("--headless runs without a window, so ") + windowed +
               " cannot go with it";
    }
    if (options.audit && options.headless <= 0.0) {
        return "--audit checks a run without a window, so it needs --headless SECONDS";
    }
    // Without a window both only follow the breakout's ball and paddle, which a scene file has not.
    const char* breakout_only = options.autopilot       ? "--autopilot"
                                : options.show_contacts ? "--show-contacts"
                                                        : nullptr;
    if (options.headless > 0.0 && !options.scene.empty() && breakout_only != nullptr) {
        return std::string(
                   "--headless with --scene runs a scene without the breakout's ball and "
                   "paddle, so ") +
               breakout_only + " cannot go with them";
    }
    return {};
}

}  // namespace

std::string Read_Command_Line(int argc, char** argv, ToolkitOptionReader toolkit, Options& options,
                              std::vector<char*>& toolkit_words) {
    for (int i = 1; i < argc;) {
        std::string error;
        const int used = Parse_Own_Option(argc, argv, i, options, error);
        if (!error.empty()) {
            return error;
        }
        if (used > 0) {
            i += used;
            continue;
        }
        const int first = i;
        if (toolkit(argc, argv, i) == 0) {
            return "\"" + std::string(argv[first]) +
                   "\" is neither an option of ours nor of the toolkit, or its value is missing "
                   "or bad; see --help";
        }
        toolkit_words.insert(toolkit_words.end(), argv + first, argv + i);
    }
    return options.help ? std::string() : Check_Options(options);
}

std::string Usage(const char* program) {
    return std::string("Usage: ") + program +
           " [options]\n"
           "A cartoon-physics breakout game: steer the paddle with Left and Right.\n"
           "Keys: p Play, s Stop, t Step, r Reset, i Image Capture, g Gravity, c Show Contacts,\n"
           "f figures, m motion trail, h camera home, F1 or ? help, q quit.\n"
           "\n"
           "Options:\n"
           "  --play                start playing at once\n"
           "  --capture[=N]         image capture on from the start, writing every Nth frame\n"
           "                        (0 to 60, default 0: every frame) to images/\n"
           "  --quit-after SECONDS  end the program after that much wall-clock time\n"
           "  --quit-after-ticks TICKS\n"
           "                        end it after that many ticks of the play timer (60 a\n"
           "                        second of game time; while capturing, every tick is\n"
           "                        drawn, however long that takes)\n"
           "  --autopilot           the paddle follows the ball by itself\n"
           "  --headless SECONDS    no window: run the game for that much simulated time as\n"
           "                        fast as possible, printing its events and a summary\n"
           "  --show-contacts       Show Contacts on from the start; with --headless: once a\n"
           "                        simulated second, the body the ball is heading for, its\n"
           "                        nearest, the gaps and the closest features\n"
           "  --audit               with --headless: after every tick check that no body holds\n"
           "                        a NaN, leaves the room, sinks more than 0.01 into another\n"
           "                        or stands still without a contact; print each fault and a\n"
           "                        last line with the counts, and end with status 1 if any\n"
           "  --scene FILE          the scene of a scene file (such as scenes/pile.toml)\n"
           "                        instead of the breakout game; with --headless: a last\n"
           "                        line with the time simulated, the bodies and contacts\n"
           "  -h, --help            this text\n"
           "\n"
           "Exit status: 0 when the program ran as asked (window closed, q, --quit-after or\n"
           "--quit-after-ticks, a --headless run completed, whatever happened in the game, or\n"
           "--help) and --audit found no fault; 1 when it could not run (no display, a\n"
           "missing or broken objects/sphere.poly, a scene file in error), could not write a\n"
           "frame due for capture, or --audit found a fault; 2 for a bad command line. A\n"
           "broken internal invariant aborts the program (134 in a shell).\n"
           "\n"
           "The data (objects/, textures/) and captured frames (images/) are in the working\n"
           "directory when it holds objects/sphere.poly, otherwise in the data folder of the\n"
           "tree the program was built from.\n"
           "\n"
           "The toolkit's standard options still work:\n";
}
