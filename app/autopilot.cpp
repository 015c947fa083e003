#include "app/autopilot.h"

#include <algorithm>
#include <cmath>

#include "app/breakout_scene.h"

namespace {

// The ball's centre stays within kBallTravel of x = 0, and is caught at the paddle's top.
constexpr double kBallTravel = kWallFaceX - kBallRadius;
constexpr double kCatchHeight = kPaddleTopZ + kBallRadius;

// Speed steps per unit of distance. One step moves the paddle 0.06 units a tick, so the gap
// closes by about an eighth a tick at most and the paddle settles without swinging about.
constexpr double kStepsPerUnit = 2.0;
constexpr int kTopSpeed = 5;  // what the arrow keys reach

// How long a ball lies still, in play ticks, before the autopilot starts the scene over: a second,
// long enough to see that it stopped.
constexpr int kRestingTicksBeforeReset = 60;

// Caught on the flat nose, the ball keeps its sideways speed, and walls and ceiling keep it too:
// a path that misses the blocks still standing would miss them for ever. After this many ticks
// without a block cleared, the autopilot catches the ball this far off the paddle's centre, on
// the sloping shoulder that faces the ball's sideways travel: the ball leaves steeper and slower
// sideways, on a new path.
// Each such catch is a different way off the centre from every one before (the offsets step by
// the golden ratio's fraction, which never repeats), so that a rally that missed the blocks is
// never played again as it was, even when the ball falls and the scene starts over, however many
// catches a rally holds.
constexpr int kQuietTicksBeforeShoulder = 20 * 60;
constexpr double kShoulderOffsetLeast = 0.6;
constexpr double kShoulderOffsetSpread = 0.8;
constexpr double kGoldenFraction = 0.6180339887498949;

double Shoulder_Offset(unsigned catches) {
    double whole;
    return kShoulderOffsetLeast +
           kShoulderOffsetSpread * std::modf((catches + 1) * kGoldenFraction, &whole);
}

// x folded back into [-half, half] as by mirrors at both ends.
double Fold(double x, double half) {
    const double period = 4 * half;
    double m = std::fmod(x + half, period);
    if (m < 0) {
        m += period;
    }
    if (m > 2 * half) {
        m = period - m;
    }
    return m - half;
}

bool Touches(const SimObject& ball, const SimObject* paddle) {
    return std::any_of(ball.collisions.begin(), ball.collisions.end(), [&](const Collision* c) {
        return c->body_a == paddle || c->body_b == paddle;
    });
}

}  // namespace

double Landing_X(const Vector3d& position, const Vector3d& velocity, const Vector3d& gravity) {
    const double drop = position.z - kCatchHeight;
    if (drop <= 0.0) {
        return position.x;
    }
    double t;
    if (gravity.z < 0.0) {
        // drop + vz t + g t^2 / 2 = 0, the later root.
        t = (velocity.z + std::sqrt(velocity.z * velocity.z - 2 * gravity.z * drop)) / -gravity.z;
    } else if (velocity.z < 0.0) {
        t = drop / -velocity.z;
    } else {
        return position.x;
    }
    return Fold(position.x + velocity.x * t, kBallTravel);
}

int Autopilot_Speed(double target_x, double paddle_x) {
    const double target = std::clamp(target_x, -kPaddleTravel, kPaddleTravel);
    const double steps = std::round((target - paddle_x) * kStepsPerUnit);
    if (std::isnan(steps)) {
        return 0;  // nothing sensible to follow
    }
    return static_cast<int>(std::clamp(steps, -double{kTopSpeed}, double{kTopSpeed}));
}

int Autopilot::Steer(BreakoutScene& scene) {
    const SimState& ball = scene.g_pBall->state;
    resting_ticks_ = ball.mode == SimMode::Resting ? resting_ticks_ + 1 : 0;
    if (resting_ticks_ >= kRestingTicksBeforeReset) {
        resting_ticks_ = 0;
        scene.g_pSimulator->Reset();
        if (scene.g_pEvents != nullptr) {
            scene.g_pEvents->Reset_By_Autopilot();
        }
    }
    quiet_ticks_ = scene.g_nBlocksLeft == blocks_left_ ? quiet_ticks_ + 1 : 0;
    blocks_left_ = scene.g_nBlocksLeft;
    double target = Landing_X(ball.position, ball.velocity, scene.g_pSimulator->gravity);
    if (quiet_ticks_ >= kQuietTicksBeforeShoulder) {
        target -= std::copysign(Shoulder_Offset(shoulder_catches_), ball.velocity.x);
        if (Touches(*scene.g_pBall, scene.g_pPaddle.get())) {
            quiet_ticks_ = 0;  // one such catch, then the ball has its chance on the new path
            ++shoulder_catches_;
        }
    }
    return Autopilot_Speed(target, scene.g_pPaddle->state.position.x);
}
