#pragma once

#include <cstdio>

#include "app/scene_builder.h"

// A scene file's scene without a window: its simulator stepped tick by tick at the play timer's
// period, as fast as the machine allows.

struct SceneRunSummary {
    long ticks = 0;
    double simulated_seconds = 0.0;
    double wall_seconds = 0.0;
};

// Runs `scene` for the ticks that cover `seconds` and writes a first line naming it and a last
// line with the time simulated, the bodies and the contacts to `out`.
SceneRunSummary Run_Scene_Headless(Scene& scene, double seconds, std::FILE* out);
