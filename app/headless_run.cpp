#include "app/headless_run.h"

#include <chrono>
#include <cmath>
#include <cstdarg>

#include "app/autopilot.h"
#include "app/demo_scene.h"
#include "app/headless_view.h"
#include "app/scene_random.h"

namespace {

constexpr double kTicksPerSecond = 60.0;
// Seconds that differ from a whole number of nominal ticks by less than this count as that many.
constexpr double kTickRounding = 1e-6;

// Prints each game event as a line stamped with the timer's clock and the tick.
class EventPrinter : public GameEvents {
public:
    EventPrinter(std::FILE* out, const SimulatedTimers& timers, HeadlessSummary& summary)
        : out_(out), timers_(timers), summary_(summary) {}

    void Block_Hit(const Block& block) override {
        Line("block %d hit (row %d, column %d)", block.grid_index, block.grid_index / kGridColumns,
             block.grid_index % kGridColumns);
    }
    void Block_Removed(const Block& block, int blocks_left) override {
        ++summary_.blocks_cleared;
        Line("block %d removed, %d left", block.grid_index, blocks_left);
    }
    void New_Layout(int blocks) override {
        ++summary_.layouts;
        Line("new layout of %d blocks", blocks);
    }
    void Reset_By_Slab() override {
        ++summary_.resets;
        Line("reset: the ball fell onto the Reset slab");
    }
    void Reset_By_Autopilot() override {
        ++summary_.resets;
        Line("reset by the autopilot: the ball had come to rest");
    }
    void Ball_Lost(const Vector3d& where) override {
        ++summary_.balls_lost;
        Line("the ball was lost outside the room at (%.6f, %.6f, %.6f): starting over", where.x,
             where.y, where.z);
    }
    void Ball_Restored() override {
        ++summary_.balls_restored;
        Line("ball restored");
    }

    __attribute__((format(printf, 2, 3))) void Line(const char* format, ...) {
        std::fprintf(out_, "%10.3f s  tick %7ld  ", timers_.Now(), summary_.ticks);
        va_list args;
        va_start(args, format);
        std::vfprintf(out_, format, args);
        va_end(args);
        std::fputc('\n', out_);
    }

private:
    std::FILE* out_;
    const SimulatedTimers& timers_;
    HeadlessSummary& summary_;
};

}  // namespace

long Ticks_For(double seconds) {
    return static_cast<long>(std::ceil(seconds * kTicksPerSecond - kTickRounding));
}

HeadlessSummary Run_Headless(const HeadlessOptions& options, std::FILE* out) {
    const auto started = std::chrono::steady_clock::now();
    HeadlessSummary summary;
    HeadlessView view;
    AutopilotView autopilot(view);
    SimulatedTimers timers;
    EventPrinter printer(out, timers, summary);

    Seed_Random(1234);
    Build_Scene(options.autopilot ? static_cast<SceneView*>(&autopilot) : &view, &timers, &printer);
    timers.Add_Timeout(g_fTickPeriod, Play_Tick, nullptr);

    const long ticks = Ticks_For(options.seconds);
    while (summary.ticks < ticks) {
        const SceneTimers::Callback next = timers.Next();
        if (next == nullptr) {
            break;  // the play timer stopped re-arming: nothing more can happen
        }
        // Events of a tick carry its number; those between ticks the number of the last one.
        if (next == Play_Tick) {
            ++summary.ticks;
        }
        timers.Run_Next();
        if (next != Play_Tick) {
            continue;
        }
        summary.simulated_seconds += g_fTickPeriod * g_dTimeScale;
    }
    Destroy_Scene();

    summary.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(out,
                 "headless: %ld ticks, %.3f s simulated in %.3f s wall-clock; %d blocks cleared, "
                 "%d layouts, %d resets, %d balls restored, %d balls lost outside the room\n",
                 summary.ticks, summary.simulated_seconds, summary.wall_seconds,
                 summary.blocks_cleared, summary.layouts, summary.resets, summary.balls_restored,
                 summary.balls_lost);
    std::fflush(out);
    return summary;
}
