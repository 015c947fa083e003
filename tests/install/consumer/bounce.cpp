// Two equal balls (icosahedra) meet head-on without gravity through the installed simulator: the
// left one at 3 units a second, the right one at 1 towards it. Equal masses and restitution 1
// trade their velocities along the line between them, so they part with the left one at -1 and
// the right one at 3, the momentum (2) kept.
#include <sim/sim_object.h>
#include <sim/tovrel.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The twelve corners (0, ±1, ±g), (±1, ±g, 0), (±g, 0, ±1) and the twenty faces: the triples two
// units apart from one another, turned counter-clockwise seen from outside.
std::unique_ptr<Polyhedron> Icosahedron() {
    const double g = (1 + std::sqrt(5.0)) / 2;
    std::vector<double> corners;
    for (double s : {-1.0, 1.0}) {
        for (double t : {-g, g}) {
            corners.insert(corners.end(), {0, s, t, s, t, 0, t, 0, s});
        }
    }
    auto at = [&](int i, int axis) { return corners[3 * i + axis]; };
    auto apart = [&](int i, int j) {
        double d = 0;
        for (int axis = 0; axis < 3; ++axis) {
            d += (at(i, axis) - at(j, axis)) * (at(i, axis) - at(j, axis));
        }
        return std::fabs(d - 4) < 1e-9;
    };
    std::vector<int> loops;
    for (int i = 0; i < 12; ++i) {
        for (int j = i + 1; j < 12; ++j) {
            for (int k = j + 1; k < 12; ++k) {
                if (!apart(i, j) || !apart(j, k) || !apart(i, k)) {
                    continue;
                }
                double outward = 0;  // (j - i) x (k - i) . i
                for (int a = 0; a < 3; ++a) {
                    const int b = (a + 1) % 3, c = (a + 2) % 3;
                    outward += at(i, a) * ((at(j, b) - at(i, b)) * (at(k, c) - at(i, c)) -
                                           (at(j, c) - at(i, c)) * (at(k, b) - at(i, b)));
                }
                loops.insert(loops.end(), {i, outward > 0 ? j : k, outward > 0 ? k : j});
            }
        }
    }
    const std::vector<int> sizes(loops.size() / 3, 3);
    return std::make_unique<Polyhedron>(12, corners.data(), static_cast<int>(sizes.size()),
                                        sizes.data(), loops.data());
}

void Throw(SimObject& ball, double x, double speed) {
    ball.polyhedron = Icosahedron();
    ball.Compute_Half_Extent();
    ball.initial_state.mode = SimMode::Free;
    ball.initial_state.position = Vector3d(x, 0, 0);
    ball.initial_state.velocity = Vector3d(speed, 0, 0);
    ball.state = ball.new_state = ball.initial_state;
    ball.max_squash = 0.45, ball.max_stretch = 1.9, ball.stretch_rate = 0.25;
}

}  // namespace

int main() {
    SimObject left("Left"), right("Right");
    Throw(left, -4, 3);
    Throw(right, 4, -1);
    Tovrel sim;
    sim.gravity = Vector3d(0, 0, 0);
    sim.Add_Object(&left, true);
    sim.Add_Object(&right, true);
    sim.Reset();
    for (int tick = 0; tick < 240; ++tick) {
        sim.Step(1.0 / 60);
    }
    const Vector3d& l = left.state.velocity;
    const Vector3d& r = right.state.velocity;
    std::printf("after 4 s: left at %g with (%g, %g, %g), right at %g with (%g, %g, %g)\n",
                left.state.position.x, l.x, l.y, l.z, right.state.position.x, r.x, r.y, r.z);
    const double error = std::fabs(l.x + 1) + std::fabs(r.x - 3) + l.Length() - std::fabs(l.x) +
                         r.Length() - std::fabs(r.x);
    const bool apart = left.state.position.x + 2 < right.state.position.x;
    return error < 1e-3 && apart ? 0 : 1;
}
