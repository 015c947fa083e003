#pragma once

#include <chrono>
#include <deque>
#include <string>

#include "app/walk_rate.h"
#include "render/render_object.h"

// The engine's figures, one line in the view's top left corner: frames drawn per second of wall
// clock, the wall-clock time of the last tick's simulator step, the active bodies, the contacts
// under way, the walk's pair queries per tick, and in the breakout the game's blocks left and balls
// missed. Reads the scene only.
class FiguresOverlay : public RenderObject {
public:
    void Draw() override;
    // The line as drawn last.
    const std::string& Line() const { return line_; }

private:
    double Frames_Per_Second();

    std::deque<std::chrono::steady_clock::time_point> frames_;  // the last frames' times
    WalkRate rate_;
    std::string line_;
};
