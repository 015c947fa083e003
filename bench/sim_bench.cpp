// The simulator under the demo's kind of load, stepped at the play timer's 1/60 s.
//   Step/K      a ball bouncing under gravity in a closed room with a grid of K fixed blocks
//               under the ceiling, its first two simulated seconds: the time of one step;
//               sim_seconds_per_second is simulated time per wall-clock second, pair_queries the
//               pair queries per step (detection, bisection and push-outs all included),
//               resident_mb the process's peak resident memory so far (the sizes run in increasing
//               order, so each one's own).
//   Flight/K    the same room, but the ball bounces on the floor well below the blocks for five
//               simulated seconds: the cost of looking for contacts that do not come, which is
//               all that grows with K here.
//   Start/K     the same room's first Reset and first step, with everything they set up.
//   FreeBalls/M M demo balls (radius 0.3, the ball's cartoon parameters) placed apart at random in
//               the sweep's closed room and thrown at random, meeting one another and the
//               walls: the time of one step, with sim_seconds_per_second and pair_queries as for
//               Step.
//   FreeBallsSettled/M  the same room two simulated seconds long after its first ten, when most
//               balls are squashing at any time (in the first second most still fly free).
//   Breakout    the demo's game on autopilot, 60 simulated seconds (3,600 ticks) an iteration,
//               every layout, hit and serve included; divide by 3,600 for a tick.
// Only pairs whose bodies come near are queried, and pairs of two fixed blocks never even looked
// at, so the step grows with the number of blocks nearby rather than with the square of all.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/headless_run.h"
#include "bench/sweep_room.h"
#include "collision/vclip.h"
#include "sim/tovrel.h"
#include "sim_bodies.h"

namespace {

constexpr double kTick = 1.0 / 60;

struct Room {
    // The ball's start: served towards the floor, to bounce up into the blocks, or along the floor.
    enum Serve { kIntoBlocks, kBelowBlocks };

    explicit Room(int blocks, Serve serve = kIntoBlocks) {
        const Vector3d half_walls[] = {{0.1, 3, 6},   {0.1, 3, 6},   {6.1, 3, 0.1},
                                       {6.1, 3, 0.1}, {6.1, 0.1, 6}, {6.1, 0.1, 6}};
        const Vector3d wall_at[] = {{-6, 0, 5.5}, {6, 0, 5.5},   {0, 0, 11.6},
                                    {0, 0, -0.5}, {0, 1.1, 5.5}, {0, -1.1, 5.5}};
        for (int i = 0; i < 6; ++i) {
            bodies.push_back(std::make_unique<SimBody>("Wall", SimMode::Fixed, wall_at[i],
                                                       Vector3d(), half_walls[i]));
        }
        // A square grid filling the demo's block area, x in [-4.5, 4.5] and z in [6, 10].
        const int side = static_cast<int>(std::lround(std::sqrt(blocks)));
        for (int r = 0; r < side; ++r) {
            for (int c = 0; c < side; ++c) {
                const Vector3d at(-4.5 + 9.0 * (c + 0.5) / side, 0, 6 + 4.0 * (r + 0.5) / side);
                bodies.push_back(std::make_unique<SimBody>("Block", SimMode::Fixed, at, Vector3d(),
                                                           Vector3d(4.0 / side, 0.5, 1.8 / side)));
            }
        }
        const bool into = serve == kIntoBlocks;
        bodies.push_back(std::make_unique<SimBody>(
            "Ball", SimMode::Free, into ? Vector3d(-4, 0, 5) : Vector3d(-4, 0, 2),
            into ? Vector3d(7, 0, -7) : Vector3d(3, 0, 0), Vector3d(1, 1, 1), 0.3));
        sim.gravity = Vector3d(0, 0, -9.8);
        for (auto& body : bodies) {
            sim.Add_Object(body.get(), true);
        }
    }

    std::vector<std::unique_ptr<SimObject>> bodies;
    Tovrel sim;
};

double Resident_Mb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void Run_Steps(benchmark::State& state, Room::Serve serve) {
    Room room(static_cast<int>(state.range(0)), serve);
    room.sim.Reset();
    const unsigned long queries_before = vclip_call_count;
    const SimObject& ball = *room.bodies.back();
    for (auto _ : state) {
        room.sim.Step(kTick);
        // A ball that came to rest on a block is served again, as the attract mode does.
        if (ball.state.mode == SimMode::Resting) {
            room.sim.Reset();
        }
    }
    state.counters["sim_seconds_per_second"] =
        benchmark::Counter(kTick, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pair_queries"] = benchmark::Counter(
        static_cast<double>(vclip_call_count - queries_before), benchmark::Counter::kAvgIterations);
    state.counters["resident_mb"] = Resident_Mb();
}

void Step(benchmark::State& state) {
    Run_Steps(state, Room::kIntoBlocks);
}

void Flight(benchmark::State& state) {
    Run_Steps(state, Room::kBelowBlocks);
}

void Start(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto room = std::make_unique<Room>(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        room->sim.Reset();
        room->sim.Step(kTick);
        state.PauseTiming();
        room.reset();
        state.ResumeTiming();
    }
}

// Steps the room of free balls, after `settle_steps` unmeasured ones.
void Step_Free_Balls(benchmark::State& state, int settle_steps) {
    SweepRoom room(static_cast<int>(state.range(0)), 1, kBallSweepParameters, BodyMix::Balls_Only);
    for (int i = 0; i < settle_steps; ++i) {
        room.Step();
    }
    const unsigned long queries_before = vclip_call_count;
    for (auto _ : state) {
        room.Step();
    }
    state.counters["sim_seconds_per_second"] =
        benchmark::Counter(kTick, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pair_queries"] = benchmark::Counter(
        static_cast<double>(vclip_call_count - queries_before), benchmark::Counter::kAvgIterations);
}

void FreeBalls(benchmark::State& state) {
    Step_Free_Balls(state, 0);
}

void FreeBallsSettled(benchmark::State& state) {
    Step_Free_Balls(state, 600);
}

void Breakout(benchmark::State& state) {
    if (chdir(TOVREL_SOURCE_DIR "/data") != 0) {
        state.SkipWithError("no data folder to read the ball from");
        return;
    }
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    HeadlessOptions options;
    options.seconds = 60.0;
    options.autopilot = true;
    for (auto _ : state) {
        Run_Headless(options, nowhere);
    }
    std::fclose(nowhere);
}

// The block counts of the scaling table, four times more each.
void Block_Counts(benchmark::internal::Benchmark* b) {
    for (int blocks = 25; blocks <= 6400; blocks *= 4) {
        b->Arg(blocks);
    }
}

}  // namespace

BENCHMARK(Step)->Apply(Block_Counts)->Iterations(120)->Unit(benchmark::kMicrosecond);
BENCHMARK(Flight)->Apply(Block_Counts)->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(Start)->Arg(100)->Arg(6400)->Iterations(3)->Unit(benchmark::kMillisecond);
// Ten simulated seconds of the smaller rooms; of the larger, whose steps cost tenths of a second
// and more, the first second (64) and fifth of a second (256).
BENCHMARK(FreeBalls)->Arg(1)->Arg(4)->Arg(16)->Iterations(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(FreeBalls)->Arg(64)->Iterations(60)->Unit(benchmark::kMicrosecond);
BENCHMARK(FreeBalls)->Arg(256)->Iterations(12)->Unit(benchmark::kMicrosecond);
BENCHMARK(FreeBallsSettled)->Arg(64)->Iterations(120)->Unit(benchmark::kMicrosecond);
BENCHMARK(Breakout)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
