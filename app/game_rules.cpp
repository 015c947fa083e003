// The game's rules: what the simulator's contact callbacks and the play timer do to the scene.
#include <algorithm>
#include <cstring>

#include "app/breakout_scene.h"
#include "app/timed_step.h"

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

BreakoutScene& Scene_Of(void* user) {
    return *static_cast<BreakoutScene*>(user);
}

// The paddle speed of this tick: the autopilot's, or the keys' as the view reads them.
int Paddle_Speed(BreakoutScene& s) {
    if (s.autopilot) {
        return s.autopilot->Steer(s);
    }
    s.g_pView->Update_Paddle_Speed();
    return s.g_pView->Get_Paddle_Speed();
}

}  // namespace

bool BreakoutScene::Ball_In_Play() const {
    const auto& active = g_pSimulator->active_objects;
    return std::find(active.begin(), active.end(), g_pBall.get()) != active.end();
}

void BreakoutScene::Step_Simulator() {
    g_dStepMilliseconds = Timed_Step(*g_pSimulator, g_fTickPeriod * g_dTimeScale);
}

void On_Collision_Start(Collision* c, void* user) {
    BreakoutScene& s = Scene_Of(user);
    for (SimObject* body : {c->body_a, c->body_b}) {
        if (Block* block = As_Block(body)) {
            block->fade = kHitFade;
            if (s.g_pEvents != nullptr) {
                s.g_pEvents->Block_Hit(*block);
            }
        }
    }
    if (Is_Named(c->body_a, "Reset") || Is_Named(c->body_b, "Reset")) {
        s.g_bResetRequested = true;
    }
}

void On_Collision_End(Collision* c, void* user) {
    for (SimObject* body : {c->body_a, c->body_b}) {
        if (Block* block = As_Block(body)) {
            Scene_Of(user).g_pSimulator->Deactivate_Object(block);
            block->fading = true;
        }
    }
}

void Play_Tick(void* user) {
    BreakoutScene& s = Scene_Of(user);
    s.Step_Simulator();
    s.g_pPaddle->Set_Velocity(Paddle::Velocity_For_Speed(Paddle_Speed(s)));

    // The ball leaves the room only onto the slab. Should the simulation ever lose it some other
    // way (pushed out through a wall), the scene starts over just the same rather than the game
    // waiting for ever on a ball that falls past the slab.
    const bool ball_lost = s.Ball_In_Play() && !Ball_Within_Bounds(s.g_pBall->state.position);
    if (ball_lost && s.g_pEvents != nullptr) {
        s.g_pEvents->Ball_Lost(s.g_pBall->state.position);
    }

    if (s.g_bResetRequested || ball_lost) {
        // Neither redraw nor fading this tick: the scene starts over.
        const bool by_slab = s.g_bResetRequested && !ball_lost;
        s.g_bResetRequested = false;
        ++s.g_nBallsMissed;
        s.g_pSimulator->Reset();
        s.g_pView->Set_Light_Position(kLightPosition);
        if (by_slab && s.g_pEvents != nullptr) {
            s.g_pEvents->Reset_By_Slab();
        }
    } else {
        for (auto& block : s.g_apBlocks) {
            if (!block->fading) {
                continue;
            }
            const float faded = block->fade - kFadeStep;
            if (faded < 0.0f) {
                s.g_pView->Remove_Render_Object(block.get());
                block->fading = false;
                --s.g_nBlocksLeft;
                if (s.g_pEvents != nullptr) {
                    s.g_pEvents->Block_Removed(*block, s.g_nBlocksLeft);
                }
            } else {
                block->fade = faded;
            }
        }
        if (s.g_nBlocksLeft <= 0) {
            // The grid is clear: a new one at once, the ball away until it is served again.
            s.New_Block_Layout();
            s.g_pSimulator->Deactivate_Object(s.g_pBall.get());
            s.g_pView->Remove_Render_Object(s.g_pBall.get());
            s.g_pView->Set_Light_Position(kLightPosition);
            s.g_pTimers->Add_Timeout(kServeDelay, Restore_Ball, user);
        }
        s.g_pView->Request_Redraw();
    }

    s.g_pTimers->Repeat_Timeout(g_fTickPeriod, Play_Tick, user);
}

void Restore_Ball(void* user) {
    BreakoutScene& s = Scene_Of(user);
    s.g_pSimulator->Activate_Object(s.g_pBall.get());
    s.g_pView->Add_Render_Object(s.g_pBall.get());
    s.g_pSimulator->Reset();
    if (s.g_pEvents != nullptr) {
        s.g_pEvents->Ball_Restored();
    }
}
