#pragma once

#include <list>
#include <vector>

#include "app/scene_view.h"

// The scene's view when there is no window: it remembers what would be drawn and what was asked
// of it, and draws nothing. The paddle speed is whatever its owner sets.
class HeadlessView : public SceneView {
public:
    void Add_Render_Object(RenderObject* object) override { drawables.push_front(object); }
    void Remove_Render_Object(RenderObject* object) override { drawables.remove(object); }
    void Update_Paddle_Speed() override {}
    int Get_Paddle_Speed() const override { return paddle_speed; }
    void Request_Redraw() override { ++redraws_requested; }
    void Set_Light_Position(const float position[4]) override;
    void List_Body(SimObject* body) override { listed_bodies.push_back(body); }

    // How many entries of `object` would be drawn.
    int Times_Shown(const RenderObject* object) const;

    std::list<RenderObject*> drawables;  // newest first, as the OpenGL view keeps them
    int paddle_speed = 0;
    int redraws_requested = 0;
    int light_positions_set = 0;
    float light_position[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // the last one set
    std::vector<SimObject*> listed_bodies;
};

// Timeouts on a simulated clock that jumps from one due time to the next, as fast as the machine
// allows. The clock starts at 0 and never runs backwards; timeouts due at the same time run in the
// order they were added.
class SimulatedTimers : public SceneTimers {
public:
    void Add_Timeout(double seconds, Callback callback, void* user) override;
    // Inside a running timeout the clock stands at its due time, so this is Add_Timeout.
    void Repeat_Timeout(double seconds, Callback callback, void* user) override;

    // Moves the clock to the earliest pending timeout and runs it. Returns the callback run, or
    // null when nothing is pending.
    Callback Run_Next();

    // The callback that Run_Next would run, or null.
    Callback Next() const;

    bool Has_Timeout(Callback callback) const;
    double Now() const { return now_; }

private:
    struct Pending {
        double due;
        long order;
        Callback callback;
        void* user;
    };

    std::vector<Pending>::const_iterator Earliest() const;

    std::vector<Pending> pending_;
    double now_ = 0.0;
    long added_ = 0;
};
