#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/body_grab.h"
#include "app/breakout_scene.h"
#include "app/headless_view.h"

struct EventLog : GameEvents {
    void New_Layout(int) override { ++layouts; }
    void Reset_By_Slab() override { ++slab_resets; }
    void Ball_Restored() override { ++restores; }
    void Ball_Lost(const Vector3d&) override { ++lost; }
    int layouts = 0, slab_resets = 0, restores = 0, lost = 0;
};

// The demo's scene as the program builds it (its generator seeded with 1234), with the play timer
// armed on a simulated clock and a recording view; a fixture may have the autopilot steer.
struct SceneTest : ::testing::Test {
    void SetUp() override {
        std::filesystem::current_path(std::filesystem::path(TOVREL_SOURCE_DIR) / "data");
        scene = BreakoutScene::Build_Scene(&view, &timers, &events, Steered_By_Autopilot());
        timers.Add_Timeout(g_fTickPeriod, Play_Tick, scene.get());
    }
    void TearDown() override { g_BodyGrab.Bind(nullptr); }
    virtual bool Steered_By_Autopilot() const { return false; }
    // Runs the simulated clock up to and through the next play tick, which always re-arms.
    void Tick() {
        while (timers.Run_Next() != Play_Tick) {
        }
    }
    // Takes every block out of the game, as if the ball had cleared it, except `keep`.
    void Clear_Grid_Except(int keep = -1) {
        scene->g_nBlocksLeft = keep >= 0;
        for (auto& block : scene->g_apBlocks) {
            if (block->grid_index != keep) {
                scene->g_pSimulator->Deactivate_Object(block.get());
                view.Remove_Render_Object(block.get());
            }
        }
    }
    bool Is_Active(const SimObject* body) const {
        const auto& active = scene->g_pSimulator->active_objects;
        return std::find(active.begin(), active.end(), body) != active.end();
    }

    HeadlessView view;
    SimulatedTimers timers;
    EventLog events;
    std::unique_ptr<BreakoutScene> scene;  // last: it goes first, out of the view
};
