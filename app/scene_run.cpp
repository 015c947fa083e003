#include "app/scene_run.h"

#include <chrono>
#include <cstdlib>

#include "app/demo_scene.h"
#include "app/headless_run.h"

SceneRunSummary Run_Scene_Headless(Scene& scene, double seconds, std::FILE* out) {
    const auto started = std::chrono::steady_clock::now();
    std::fprintf(out, "scene \"%s\": %zu bodies%s\n", scene.name.c_str(), scene.bodies.size(),
                 scene.room.empty() ? ", no room" : " in a closed room");
    SceneRunSummary summary;
    const long ticks = Ticks_For(seconds);
    Tovrel& simulator = *scene.simulator;
    for (; summary.ticks < ticks; ++summary.ticks) {
        // A step fails only before the first reset, which building the scene did.
        if (!simulator.Step(g_fTickPeriod)) {
            std::abort();
        }
        summary.simulated_seconds += g_fTickPeriod;
    }
    summary.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(out,
                 "headless scene: %ld ticks, %.3f s simulated in %.3f s wall-clock; %zu bodies, "
                 "%ld contacts begun, %zu under way at the end\n",
                 summary.ticks, summary.simulated_seconds, summary.wall_seconds,
                 scene.bodies.size(), scene.contacts_begun, simulator.contacts.size());
    std::fflush(out);
    return summary;
}
