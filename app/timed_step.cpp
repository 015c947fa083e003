#include "app/timed_step.h"

#include <chrono>
#include <cstdlib>

#include "app/body_grab.h"
#include "sim/tovrel.h"

double Timed_Step(Tovrel& simulator, double seconds) {
    g_BodyGrab.Hold();  // a body held by the pointer is where the pointer put it
    const auto step_began = std::chrono::steady_clock::now();
    if (!simulator.Step(seconds)) {
        std::abort();
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - step_began)
        .count();
}
