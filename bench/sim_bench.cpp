// The simulator under the demo's kind of load: a ball bouncing under gravity in a closed room,
// with a grid of fixed target blocks under the ceiling, stepped at the play timer's 1/60 s.
//   Step/N   one step with N active fixed blocks; sim_seconds_per_second is simulated time per
//            wall-clock second, pair_queries the pair queries per step (detection, bisection and
//            push-outs all included).
// Every pair of two fixed bodies is skipped, but the detection loop still visits it, so the cost
// has a part that grows with the square of the number of active bodies.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "collision/vclip.h"
#include "sim/tovrel.h"
#include "sim_bodies.h"

namespace {

constexpr double kTick = 1.0 / 60;

struct Room {
    explicit Room(int blocks) {
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
        bodies.push_back(std::make_unique<SimBody>("Ball", SimMode::Free, Vector3d(-4, 0, 5),
                                                   Vector3d(7, 0, -7), Vector3d(1, 1, 1), 0.3));
        sim.gravity = Vector3d(0, 0, -9.8);
        for (auto& body : bodies) {
            sim.Add_Object(body.get(), true);
        }
        sim.Reset();
    }

    std::vector<std::unique_ptr<SimObject>> bodies;
    Tovrel sim;
};

void Step(benchmark::State& state) {
    Room room(static_cast<int>(state.range(0)));
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
    state.counters["ball_speed"] = ball.state.velocity.Length();
    state.counters["pair_queries"] = benchmark::Counter(
        static_cast<double>(vclip_call_count - queries_before), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(Step)->Arg(25)->Arg(100)->Arg(400)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
