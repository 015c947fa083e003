#include "app/scene_run.h"

#include <chrono>
#include <cstdlib>

#include "app/demo_scene.h"
#include "app/headless_run.h"

SpaceBox Audit_Room(const SceneDescription& description) {
    if (!description.room) {
        constexpr double kAnywhere = 1e300;
        return {{-kAnywhere, -kAnywhere, -kAnywhere}, {kAnywhere, kAnywhere, kAnywhere}};
    }
    const RoomDescription& room = *description.room;
    return {{-room.half_width, -room.half_depth, 0.0},
            {room.half_width, room.half_depth, room.height}};
}

SceneRunSummary Run_Scene_Headless(Scene& scene, double seconds, std::FILE* out,
                                   const std::optional<SpaceBox>& audit_room) {
    const auto started = std::chrono::steady_clock::now();
    std::fprintf(out, "scene \"%s\": %zu bodies%s\n", scene.name.c_str(), scene.bodies.size(),
                 scene.room.empty() ? ", no room" : " in a closed room");
    SceneRunSummary summary;
    const long ticks = Ticks_For(seconds);
    Tovrel& simulator = *scene.simulator;
    std::optional<SimAudit> audit;
    if (audit_room) {
        audit.emplace(simulator, std::vector<SpaceBox>{*audit_room});
    }
    for (; summary.ticks < ticks; ++summary.ticks) {
        // A step fails only before the first reset, which building the scene did.
        if (!simulator.Step(g_fTickPeriod)) {
            std::abort();
        }
        summary.simulated_seconds += g_fTickPeriod;
        if (audit) {
            for (const AuditViolation& violation : audit->Check(summary.simulated_seconds)) {
                std::fprintf(out, "%10.3f s  audit: %s\n", summary.simulated_seconds,
                             violation.text.c_str());
            }
        }
    }
    summary.wall_seconds = Seconds_Since(started);
    std::fprintf(out,
                 "headless scene: %ld ticks, %.3f s simulated in %.3f s wall-clock; %zu bodies, "
                 "%ld contacts begun, %zu under way at the end\n",
                 summary.ticks, summary.simulated_seconds, summary.wall_seconds,
                 scene.bodies.size(), scene.contacts_begun, simulator.contacts.size());
    if (audit) {
        summary.audit_violations = Write_Audit_Summary(*audit, out);
    }
    std::fflush(out);
    return summary;
}
