#include "render/paddle_speed.h"

#include <algorithm>

namespace {

constexpr float kAcceleration = 0.8f;  // per tick, while a key pushes the way the paddle moves
constexpr float kBraking = 1.2f;       // per tick, against the motion; stronger, so turns are quick
constexpr float kTopSpeed = 5.0f;      // the keys never push beyond this either way

}  // namespace

float Next_Paddle_Speed(float speed, bool left_down, bool right_down) {
    if (left_down && right_down) {
        return speed;
    }
    if (left_down) {
        return speed > 0.0f ? speed - kBraking : std::max(speed - kAcceleration, -kTopSpeed);
    }
    if (right_down) {
        return speed < 0.0f ? speed + kBraking : std::min(speed + kAcceleration, kTopSpeed);
    }
    return speed >= 0.0f ? std::max(speed - kBraking, 0.0f) : std::min(speed + kBraking, 0.0f);
}
