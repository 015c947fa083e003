#pragma once

#include <deque>
#include <vector>

#include "math/quaternion.h"
#include "math/vector3d.h"

class SimObject;
class Tovrel;

// Onion skins, as animators use them: the last few drawn poses of every free body, faint behind
// it, so that its spacing, squash and stretch show at a glance. Poses are taken from the drawn
// frames, a few frames apart, and only while the simulated clock moves; it going back (a reset)
// forgets them. Reads the bodies' committed states only, so the game plays the same with it.
class MotionTrail {
public:
    static constexpr int kSkins = 6;        // poses kept per body
    static constexpr int kFramesApart = 3;  // drawn frames between two kept poses

    // Once per frame drawn, after Draw: takes the free bodies' poses when one is due.
    void Record(const Tovrel& sim);
    // Each kept pose of a body still active, its faces filled in white, fainter the older it is:
    // seen through, never hiding a body in front of it, and writing no depth.
    void Draw(const Tovrel& sim) const;
    void Clear();

private:
    struct Pose {
        const SimObject* body;  // compared with the active bodies only, never followed if gone
        Vector3d position;
        Quaternion orientation;
        Vector3d scale;
    };

    std::deque<std::vector<Pose>> skins_;  // newest first
    double time_ = -1.0;                   // the clock at the last frame recorded
    long frames_ = 0;                      // frames recorded since the last pose kept
};
