#pragma once

#include <cstdio>
#include <optional>

#include "app/scene_builder.h"
#include "sim/audit.h"

// A scene file's scene without a window: its simulator stepped tick by tick at the play timer's
// period, as fast as the machine allows.

struct SceneRunSummary {
    long ticks = 0;
    double simulated_seconds = 0.0;
    double wall_seconds = 0.0;
    long audit_violations = 0;
};

// Runs `scene` for the ticks that cover `seconds` and writes a first line naming it and a last
// line with the time simulated, the bodies and the contacts to `out`. Given `audit_room` (where
// the centres of the moving bodies must stay), the audit checks every tick and writes each fault
// as found and its counts last.
SceneRunSummary Run_Scene_Headless(Scene& scene, double seconds, std::FILE* out,
                                   const std::optional<SpaceBox>& audit_room = std::nullopt);

// Where the audit holds a scene's moving bodies: inside its room, or anywhere when it has none.
SpaceBox Audit_Room(const SceneDescription& description);
