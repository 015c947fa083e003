#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "app/headless_view.h"
#include "app/scene_random.h"

// Counts and records the game's events.
class EventLog : public GameEvents {
public:
    void Block_Hit(const Block& block) override { hits.push_back(block.grid_index); }
    void Block_Removed(const Block& block, int) override { removed.push_back(block.grid_index); }
    void New_Layout(int) override { ++layouts; }
    void Reset_By_Slab() override { ++slab_resets; }
    void Reset_By_Autopilot() override { ++autopilot_resets; }
    void Ball_Restored() override { ++restores; }
    void Ball_Lost(const Vector3d&) override { ++lost; }

    std::vector<int> hits;
    std::vector<int> removed;
    int layouts = 0;
    int slab_resets = 0;
    int autopilot_resets = 0;
    int restores = 0;
    int lost = 0;
};

// The demo's scene built as the program builds it, seeded with 1234, but without a window: a
// recording view, the play timer on a simulated clock (already armed), the mesh read from the
// repository's data folder.
class HeadlessScene : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(TOVREL_SOURCE_DIR) / "data");
        Seed_Random(1234);
        Build_Scene(Scene_View(), &timers, &events);
        timers.Add_Timeout(g_fTickPeriod, Play_Tick, nullptr);
    }

    void TearDown() override {
        Destroy_Scene();
        std::filesystem::current_path(previous_);
    }

    // The view the scene talks to; a fixture may wrap the recording view.
    virtual SceneView* Scene_View() { return &view; }

    // Runs the simulated clock until one more play tick has run (and whatever falls due before).
    void Tick() {
        for (;;) {
            const SceneTimers::Callback next = timers.Next();
            ASSERT_NE(next, nullptr) << "the play timer stopped";
            timers.Run_Next();
            if (next == Play_Tick) {
                return;
            }
        }
    }

    // Starts the ball over from `position` at `velocity`, as if it had been served from there.
    void Serve_Ball(const Vector3d& position, const Vector3d& velocity) {
        g_pBall->initial_state.position = position;
        g_pBall->initial_state.velocity = velocity;
        g_pSimulator->Reset();
    }

    // Takes every block out of the game, as if the ball had cleared them, except those in `keep`.
    void Clear_Grid_Except(std::initializer_list<int> keep = {}) {
        g_nBlocksLeft = 0;
        for (auto& block : g_apBlocks) {
            const bool kept = std::find(keep.begin(), keep.end(), block->grid_index) != keep.end();
            if (kept && view.Times_Shown(block.get()) > 0) {
                ++g_nBlocksLeft;
                continue;
            }
            g_pSimulator->Deactivate_Object(block.get());
            view.Remove_Render_Object(block.get());
        }
    }

    // The standing blocks, in grid order.
    std::vector<int> Standing_Blocks() const {
        std::vector<int> standing;
        for (const auto& block : g_apBlocks) {
            if (view.Times_Shown(block.get()) > 0) {
                standing.push_back(block->grid_index);
            }
        }
        return standing;
    }

    bool Is_Active(const SimObject* body) const {
        for (const SimObject* b : g_pSimulator->active_objects) {
            if (b == body) {
                return true;
            }
        }
        return false;
    }

    HeadlessView view;
    SimulatedTimers timers;
    EventLog events;

private:
    std::filesystem::path previous_;
};
