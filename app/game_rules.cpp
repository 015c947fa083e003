// The game's rules: what the simulator's contact callbacks and the play timer do to the scene.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "app/body_grab.h"
#include "app/demo_scene.h"

namespace {

// Light 0 where the view has it, set again whenever the scene starts over.
const float kLightPosition[4] = {0.0f, -2.0f, 7.0f, 1.0f};

// A fading block's `fade` falls by this much per tick; from 3 it takes 15 ticks to go below 0.
constexpr float kFadeStep = 0.2f;
// A hit block lights up: drawn at three times its colour, clamped by OpenGL to full brightness.
constexpr float kHitFade = 3.0f;

// The ball comes back this long after the last block of a layout left.
constexpr double kServeDelay = 1.0;

bool Is_Named(const SimObject* body, const char* name) {
    return std::strcmp(body->name, name) == 0;
}

// The block behind a body the game knows by its name "Block".
Block* As_Block(SimObject* body) {
    return Is_Named(body, "Block") ? dynamic_cast<Block*>(body) : nullptr;
}

// Whether the ball is in the simulation: it is not while it waits to be served again.
bool Ball_In_Play() {
    const auto& active = g_pSimulator->active_objects;
    return std::find(active.begin(), active.end(), g_pBall.get()) != active.end();
}

}  // namespace

void On_Collision_Start(Collision* c, void* /*user*/) {
    for (SimObject* body : {c->body_a, c->body_b}) {
        if (Block* block = As_Block(body)) {
            block->fade = kHitFade;
            if (g_pEvents != nullptr) {
                g_pEvents->Block_Hit(*block);
            }
        }
    }
    if (Is_Named(c->body_a, "Reset") || Is_Named(c->body_b, "Reset")) {
        g_bResetRequested = true;
    }
}

void On_Collision_End(Collision* c, void* /*user*/) {
    for (SimObject* body : {c->body_a, c->body_b}) {
        if (Block* block = As_Block(body)) {
            g_pSimulator->Deactivate_Object(block);
            block->fading = true;
        }
    }
}

void Step_Simulator() {
    g_BodyGrab.Hold();  // a body held by the pointer is where the pointer put it
    const auto step_began = std::chrono::steady_clock::now();
    if (!g_pSimulator->Step(g_fTickPeriod * g_dTimeScale)) {
        std::abort();
    }
    g_dStepMilliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - step_began)
            .count();
}

void Play_Tick(void* /*user*/) {
    Step_Simulator();
    if (g_pBall == nullptr) {
        // A scene of a scene file: no game to play, only the simulation to show.
        g_pView->Request_Redraw();
        g_pTimers->Repeat_Timeout(g_fTickPeriod, Play_Tick, nullptr);
        return;
    }

    g_pView->Update_Paddle_Speed();
    g_pPaddle->Set_Velocity(Paddle::Velocity_For_Speed(g_pView->Get_Paddle_Speed()));

    // The ball leaves the room only onto the slab. Should the simulation ever lose it some other
    // way (pushed out through a wall), the scene starts over just the same rather than the game
    // waiting for ever on a ball that falls past the slab.
    const bool ball_lost = Ball_In_Play() && !Ball_Within_Bounds(g_pBall->state.position);
    if (ball_lost && g_pEvents != nullptr) {
        g_pEvents->Ball_Lost(g_pBall->state.position);
    }

    if (g_bResetRequested || ball_lost) {
        // Neither redraw nor fading this tick: the scene starts over.
        const bool by_slab = g_bResetRequested && !ball_lost;
        g_bResetRequested = false;
        ++g_nBallsMissed;
        g_pSimulator->Reset();
        g_pView->Set_Light_Position(kLightPosition);
        if (by_slab && g_pEvents != nullptr) {
            g_pEvents->Reset_By_Slab();
        }
    } else {
        for (auto& block : g_apBlocks) {
            if (!block->fading) {
                continue;
            }
            const float faded = block->fade - kFadeStep;
            if (faded < 0.0f) {
                g_pView->Remove_Render_Object(block.get());
                block->fading = false;
                --g_nBlocksLeft;
                if (g_pEvents != nullptr) {
                    g_pEvents->Block_Removed(*block, g_nBlocksLeft);
                }
            } else {
                block->fade = faded;
            }
        }
        if (g_nBlocksLeft <= 0) {
            // The grid is clear: a new one at once, the ball away until it is served again.
            New_Block_Layout();
            g_pSimulator->Deactivate_Object(g_pBall.get());
            g_pView->Remove_Render_Object(g_pBall.get());
            g_pView->Set_Light_Position(kLightPosition);
            g_pTimers->Add_Timeout(kServeDelay, Restore_Ball, nullptr);
        }
        g_pView->Request_Redraw();
    }

    g_pTimers->Repeat_Timeout(g_fTickPeriod, Play_Tick, nullptr);
}

void Restore_Ball(void* /*user*/) {
    g_pSimulator->Activate_Object(g_pBall.get());
    g_pView->Add_Render_Object(g_pBall.get());
    g_pSimulator->Reset();
    if (g_pEvents != nullptr) {
        g_pEvents->Ball_Restored();
    }
}
