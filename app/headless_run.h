#pragma once

#include <chrono>
#include <cstdio>

#include "math/vector3d.h"

class SimAudit;

// The demo without a window: the scene and its game rules driven by the play timer on a simulated
// clock, tick by tick at the timer's period, as fast as the machine allows. Every game event is
// printed as one line, then a summary.

struct HeadlessOptions {
    double seconds = 0.0;    // simulated time to run: ticks of the play timer until it is covered
    bool autopilot = false;  // the paddle follows the ball; otherwise it stays where it starts
    bool show_contacts = false;  // once a simulated second, what the walk sees of the ball
    bool audit = false;  // after every tick, check the simulation: each fault found is a line
};

struct HeadlessSummary {
    long ticks = 0;
    double simulated_seconds = 0.0;  // the simulator's steps added up
    double wall_seconds = 0.0;
    int blocks_cleared = 0;
    int layouts = 0;  // the first one included
    int resets = 0;   // by the ball touching the "Reset" slab
    int balls_restored = 0;
    int balls_lost = 0;  // out of the room other than onto the slab, each starting the scene over
    long audit_violations = 0;  // with the audit on: faults found, each counted once
};

// The number of play-timer ticks that cover `seconds`, counting the timer at its nominal 60 a
// second (its period in single precision is a hair longer).
long Ticks_For(double seconds);

// The wall-clock seconds since `started`, for a run's last line.
double Seconds_Since(std::chrono::steady_clock::time_point started);

// Writes an audited run's last line, the audit's counts, to `out`; returns how many faults it
// found.
long Write_Audit_Summary(const SimAudit& audit, std::FILE* out);

// Builds the scene (reading the ball's mesh from the working directory), runs it and writes the
// event lines and the summary line to `out`, then with the audit on its counts. Throws the mesh
// reader's GenericException* when the ball cannot be read.
HeadlessSummary Run_Headless(const HeadlessOptions& options, std::FILE* out);
