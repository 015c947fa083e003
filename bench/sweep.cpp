// The sweep: rooms of 2 to 64 free bodies (demo balls and boxes by turns), five seeds each, at
// the ball's cartoon parameters and at every corner of the ranges the parameter window allows,
// each room run for 120 simulated seconds in a process of its own, so that an abort ends that
// room and is counted, and the sweep goes on. Prints a line per body count and parameter set.
//
//   sweep [--counts 2,4,8,16,32,64] [--seeds 5] [--seconds 120]
//         [--parameters all|ball|corners|3/0/1/0] [--limit 600]
//
// --limit is the wall-clock seconds a room may take before it is stopped and counted as hung.
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "bench/sweep_room.h"

namespace {

constexpr int kBadCommandLine = 2;

struct ParameterSet {
    std::string label;
    SweepParameters values;
};

struct SweepOptions {
    std::vector<int> counts{2, 4, 8, 16, 32, 64};
    int seeds = 5;
    double seconds = 120.0;
    std::string parameters = "all";
    int limit = 600;
};

// The ball's own parameters, then the sixteen corners of the window's ranges ("all"); "ball" or
// "corners" alone; or the one corner written as the table names it ("3/0/1/0"), if it is one.
std::vector<ParameterSet> Parameter_Sets(const std::string& which) {
    std::vector<ParameterSet> sets;
    if (which == "all" || which == "ball") {
        sets.push_back({"ball 1.9/0.25/0.45/1", kBallSweepParameters});
    }
    if (which == "ball") {
        return sets;
    }
    const bool one_corner = which != "all" && which != "corners";
    for (double max_stretch : {1.0, 3.0}) {
        for (double stretch_rate : {0.0, 2.0}) {
            for (double max_squash : {0.1, 1.0}) {
                for (double restitution : {0.0, 1.0}) {
                    char label[80];
                    std::snprintf(label, sizeof label, "corner %g/%g/%g/%g", max_stretch,
                                  stretch_rate, max_squash, restitution);
                    if (!one_corner || label == "corner " + which) {
                        sets.push_back(
                            {label, {max_stretch, stretch_rate, max_squash, restitution}});
                    }
                }
            }
        }
    }
    return sets;
}

// A whole number within [low, high], or false.
bool Read_Whole(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= low && value <= high;
}

// Reads the command line into `options`; the message for the first bad word, empty if none.
std::string Read_Options(int argc, char** argv, SweepOptions& options) {
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            return name + " needs a value";
        }
        const char* value = argv[i + 1];
        long whole = 0;
        if (name == "--counts") {
            options.counts.clear();
            std::string list = value;
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                if (!Read_Whole(list.substr(start, comma - start).c_str(), 1, 1000, whole)) {
                    return "--counts: \"" + list + "\" is not a list of body counts (1 to 1000)";
                }
                options.counts.push_back(static_cast<int>(whole));
                start = comma + 1;
            }
        } else if (name == "--seeds") {
            if (!Read_Whole(value, 1, 1000, whole)) {
                return "--seeds: \"" + std::string(value) +
                       "\" is not a number of seeds (1 to 1000)";
            }
            options.seeds = static_cast<int>(whole);
        } else if (name == "--seconds") {
            char* end = nullptr;
            options.seconds = std::strtod(value, &end);
            if (end == value || *end != '\0' || !(options.seconds > 0 && options.seconds <= 1e6)) {
                return "--seconds: \"" + std::string(value) +
                       "\" is not a number of simulated seconds (more than 0, at most 1e6)";
            }
        } else if (name == "--parameters") {
            options.parameters = value;
            if (Parameter_Sets(options.parameters).empty()) {
                return "--parameters: \"" + options.parameters +
                       "\" is not all, ball, corners nor a corner such as 3/0/1/0";
            }
        } else if (name == "--limit") {
            if (!Read_Whole(value, 1, 86400, whole)) {
                return "--limit: \"" + std::string(value) +
                       "\" is not a number of wall-clock seconds (1 to 86400)";
            }
            options.limit = static_cast<int>(whole);
        } else {
            return "\"" + name +
                   "\" is not an option (--counts, --seeds, --seconds, --parameters, "
                   "--limit)";
        }
    }
    return {};
}

double Seconds_Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

enum class Outcome { Finished, Aborted, Hung, Failed };

struct RoomRun {
    Outcome outcome;
    RoomFigures figures;
    std::string message;  // the first line the room wrote to standard error
};

// Runs one room in a child process; its figures come back through shared memory as it goes.
RoomRun Run_In_Child(int bodies, unsigned long long seed, const SweepParameters& parameters,
                     const SweepOptions& options) {
    void* shared = mmap(nullptr, sizeof(RoomFigures), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    std::FILE* errors = std::tmpfile();
    if (shared == MAP_FAILED || errors == nullptr) {
        std::perror("sweep: cannot share memory or make a file with a room's process");
        std::exit(1);
    }
    RoomFigures* figures = new (shared) RoomFigures();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(errors), STDERR_FILENO);
        alarm(static_cast<unsigned>(options.limit));
        try {
            SweepRoom room(bodies, seed, parameters);
            room.Run(options.seconds, *figures);
        } catch (const std::exception& fault) {
            std::fprintf(stderr, "%s\n", fault.what());
            std::fflush(stderr);
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        std::perror("sweep: cannot run a room in a process of its own");
        std::exit(1);
    }
    RoomRun run{Outcome::Finished, *figures, {}};
    munmap(shared, sizeof(RoomFigures));
    char line[256] = "";
    std::rewind(errors);
    if (std::fgets(line, sizeof line, errors) != nullptr) {
        run.message = std::string(line, strcspn(line, "\n"));
    }
    std::fclose(errors);
    if (WIFSIGNALED(status)) {
        run.outcome = WTERMSIG(status) == SIGALRM ? Outcome::Hung : Outcome::Aborted;
    } else if (WEXITSTATUS(status) != 0 || !run.figures.finished) {
        run.outcome = Outcome::Failed;
    }
    return run;
}

// One line of the table: the rooms of one body count at one parameter set.
struct Row {
    int runs = 0, aborted = 0, hung = 0, failed = 0;
    long not_a_number = 0, outside = 0, overlaps = 0, held_still = 0;
    double deepest = 0.0, hold = 0.0, rest_rate = 0.0, reached = 0.0;
    std::string message;

    void Add(const RoomRun& run) {
        ++runs;
        aborted += run.outcome == Outcome::Aborted;
        hung += run.outcome == Outcome::Hung;
        failed += run.outcome == Outcome::Failed;
        const RoomFigures& f = run.figures;
        not_a_number += f.not_a_number;
        outside += f.outside;
        overlaps += f.overlaps;
        held_still += f.held_still;
        deepest = std::max(deepest, f.deepest_overlap);
        hold = std::max(hold, f.longest_hold);
        rest_rate = std::max(rest_rate, f.rest_contact_rate);
        reached += f.reached;
        if (message.empty() && run.outcome != Outcome::Finished) {
            message = run.message;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    SweepOptions options;
    const std::string error = Read_Options(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "sweep: %s\n", error.c_str());
        return kBadCommandLine;
    }
    const auto started = std::chrono::steady_clock::now();
    std::printf(
        "sweep: %d seeds, %g simulated s a room, steps of 1/60 s; overlaps deeper than "
        "%.2f counted, depths exact above %.3f\n",
        options.seeds, options.seconds, SimAudit::kOverlapBound, SimAudit::kExactOverlap);
    std::printf("%6s  %-24s %4s %6s %4s %5s %4s %7s %7s %13s %7s %7s %8s %7s  %s\n", "bodies",
                "parameters", "runs", "aborts", "hung", "other", "NaN", "outside", "overlap",
                "deepest", "hold s", "rest/s", "mean s", "wall s", "first message");
    for (int count : options.counts) {
        for (const ParameterSet& set : Parameter_Sets(options.parameters)) {
            const auto row_started = std::chrono::steady_clock::now();
            Row row;
            for (int seed = 1; seed <= options.seeds; ++seed) {
                row.Add(Run_In_Child(count, static_cast<unsigned long long>(seed), set.values,
                                     options));
            }
            std::printf(
                "%6d  %-24s %4d %6d %4d %5d %4ld %7ld %7ld %13s %7.3f %7.2f %8.2f %7.1f  %s\n",
                count, set.label.c_str(), row.runs, row.aborted, row.hung, row.failed,
                row.not_a_number, row.outside, row.overlaps, Overlap_Figure(row.deepest).c_str(),
                row.hold, row.rest_rate, row.reached / row.runs, Seconds_Since(row_started),
                row.message.c_str());
        }
    }
    std::printf("sweep: %.1f s wall-clock\n", Seconds_Since(started));
    return 0;
}
