#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "sim/audit.h"
#include "sim/penetration_depth.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

// One room of the sweep: a closed box of fixed walls (floor, ceiling, four sides) holding free
// bodies, demo balls and boxes by turns (or balls only), all with the same cartoon parameters,
// placed at random apart from one another and from the walls and thrown at random, then stepped
// as the demo's timer steps its world while the audit watches. The benchmark of many free balls
// steps the same room unwatched.

// The cartoon parameters every free body of a room gets; the squash rate is 1. (Named apart from
// the scenes' own, which the benchmarks link too.)
struct SweepParameters {
    double max_stretch;
    double stretch_rate;
    double max_squash;
    double restitution;
};

// The demo ball's own.
constexpr SweepParameters kBallSweepParameters{1.9, 0.25, 0.45, 1.0};

// What a room's run found, written after every step, so that a run ended by an abort still tells
// how far it came. Plain data: it lives in memory the sweep shares with the process running it.
struct RoomFigures {
    double reached = 0.0;  // simulated seconds run
    long not_a_number = 0;
    long outside = 0;
    long overlaps = 0;  // deeper than the audit's bound
    long held_still = 0;
    double deepest_overlap = 0.0;
    double longest_hold = 0.0;
    double rest_contact_rate = 0.0;
    bool finished = false;  // all the seconds asked for were run
};

// Where the bodies' centres must stay: x in [-6, 6], y in [-1, 1], z in [0, 12], the floor's top
// at z = 0, as the demo's room measures.
SpaceBox Sweep_Room_Space();

// Which free bodies a room holds.
enum class BodyMix { Balls_And_Boxes, Balls_Only };

class SweepRoom {
public:
    // Throws std::runtime_error when the bodies cannot all be placed apart.
    SweepRoom(int bodies, unsigned long long seed, const SweepParameters& parameters,
              BodyMix mix = BodyMix::Balls_And_Boxes);

    // Steps the room 1/60 s at a time for `seconds`, auditing after each step into `figures`.
    void Run(double seconds, RoomFigures& figures);

    // One step of 1/60 s, unwatched.
    void Step();

private:
    void Add_Walls();
    void Add_Free_Body(int number, bool ball, const SweepParameters& parameters,
                       unsigned long long& random);

    Tovrel sim_;
    std::deque<std::string> names_;  // the bodies refer to their names, which never move
    std::vector<std::unique_ptr<SimObject>> bodies_;
    std::vector<std::unique_ptr<WorldShape>> placed_;  // where the free bodies start
};
