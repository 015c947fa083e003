#include "bench/sweep_room.h"

#include <stdexcept>

#include "geometry/poly_mesh.h"
#include "support/shapes.h"

namespace {

constexpr double kTick = 1.0 / 60;
constexpr double kHalfWidth = 6.0;
constexpr double kHalfDepth = 1.0;
constexpr double kHeight = 12.0;
constexpr double kWallHalfThickness = 0.1;  // as thin as the demo's
constexpr double kBodySize = 0.3;           // the demo ball's radius, and the boxes' half-size
constexpr double kTopSpeed = 6.0;           // of each component of a starting velocity
constexpr double kPlacingGap = 0.05;        // between two bodies' boxes, and from the walls
constexpr int kPlacingTries = 100000;

// A body that only simulates: the sweep draws nothing.
struct SweepBody : SimObject {
    SweepBody(const char* name, std::unique_ptr<Polyhedron> shape, const SimState& start)
        : SimObject(name) {
        polyhedron = std::move(shape);
        Compute_Half_Extent();
        initial_state = state = new_state = start;
    }
};

std::unique_ptr<Polyhedron> Box_Of_Half_Size(double half) {
    ShapeTables tables = Box_Tables();
    for (double& coordinate : tables.coordinates) {
        coordinate *= half;
    }
    return tables.Build();
}

// SplitMix64, written out so that every compiler draws the same rooms.
unsigned long long Next(unsigned long long& state) {
    unsigned long long z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Uniform in [low, high).
double Uniform(unsigned long long& state, double low, double high) {
    return low + (high - low) * static_cast<double>(Next(state) >> 11) * 0x1.0p-53;
}

bool Inside(const WorldShape& shape, const SpaceBox& space, double gap) {
    const Vector3d& low = shape.Low();
    const Vector3d& high = shape.High();
    return low.x >= space.low.x + gap && low.y >= space.low.y + gap && low.z >= space.low.z + gap &&
           high.x <= space.high.x - gap && high.y <= space.high.y - gap &&
           high.z <= space.high.z - gap;
}

void Contact_Started(Collision* c, void* audit) {
    static_cast<SimAudit*>(audit)->Contact_Started(*c);
}

}  // namespace

SpaceBox Sweep_Room_Space() {
    return {{-kHalfWidth, -kHalfDepth, 0.0}, {kHalfWidth, kHalfDepth, kHeight}};
}

SweepRoom::SweepRoom(int bodies, unsigned long long seed, const SweepParameters& parameters,
                     BodyMix mix) {
    Add_Walls();
    unsigned long long random = seed;
    for (int number = 1; number <= bodies; ++number) {
        const bool ball = mix == BodyMix::Balls_Only || number % 2 == 1;
        Add_Free_Body(number, ball, parameters, random);
    }
    sim_.Reset();
}

void SweepRoom::Add_Walls() {
    const double t = kWallHalfThickness;
    const double w = kHalfWidth + 2 * t;  // long enough to close the corners
    const double d = kHalfDepth + 2 * t;
    const double h = kHeight / 2 + 2 * t;
    const struct {
        const char* name;
        Vector3d at;
        Vector3d half;
    } walls[] = {
        {"Floor", {0, 0, -t}, {w, d, t}},
        {"Ceiling", {0, 0, kHeight + t}, {w, d, t}},
        {"Left Wall", {-kHalfWidth - t, 0, kHeight / 2}, {t, d, h}},
        {"Right Wall", {kHalfWidth + t, 0, kHeight / 2}, {t, d, h}},
        {"Back Wall", {0, kHalfDepth + t, kHeight / 2}, {w, t, h}},
        {"Front Wall", {0, -kHalfDepth - t, kHeight / 2}, {w, t, h}},
    };
    for (const auto& wall : walls) {
        SimState still;
        still.position = wall.at;
        still.scale = wall.half;
        bodies_.push_back(std::make_unique<SweepBody>(wall.name, Box_Tables().Build(), still));
        sim_.Add_Object(bodies_.back().get(), true);
    }
}

void SweepRoom::Add_Free_Body(int number, bool ball, const SweepParameters& parameters,
                              unsigned long long& random) {
    names_.push_back((ball ? "Ball " : "Box ") + std::to_string(number));
    const Vector3d size(kBodySize, kBodySize, kBodySize);
    std::unique_ptr<Polyhedron> shape =
        ball ? Load_Poly_Mesh(TOVREL_SOURCE_DIR "/data/objects/sphere.poly", size, {}).polyhedron
             : Box_Of_Half_Size(kBodySize);
    const SpaceBox space = Sweep_Room_Space();
    for (int attempt = 0; attempt < kPlacingTries; ++attempt) {
        SimState start;
        start.mode = SimMode::Free;
        start.position = {Uniform(random, space.low.x, space.high.x),
                          Uniform(random, space.low.y, space.high.y),
                          Uniform(random, space.low.z, space.high.z)};
        start.velocity = {Uniform(random, -kTopSpeed, kTopSpeed),
                          Uniform(random, -kTopSpeed, kTopSpeed),
                          Uniform(random, -kTopSpeed, kTopSpeed)};
        // Placed as Reset will turn and stretch it along its motion.
        SimState posed = start;
        SimObject::Orient_To_Motion(posed, parameters.max_stretch, parameters.stretch_rate,
                                    sim_.gravity);
        auto placed = std::make_unique<WorldShape>(*shape, posed);
        bool apart = Inside(*placed, space, kPlacingGap);
        for (std::size_t i = 0; apart && i < placed_.size(); ++i) {
            apart = !placed->Boxes_Near(*placed_[i], kPlacingGap / 2);
        }
        if (!apart) {
            continue;
        }
        auto body = std::make_unique<SweepBody>(names_.back().c_str(), std::move(shape), start);
        body->max_stretch = parameters.max_stretch;
        body->stretch_rate = parameters.stretch_rate;
        body->max_squash = parameters.max_squash;
        body->squash_rate = 1.0;
        body->restitution = parameters.restitution;
        sim_.Add_Object(body.get(), true);
        bodies_.push_back(std::move(body));
        placed_.push_back(std::move(placed));
        return;
    }
    throw std::runtime_error("no room left for " + names_.back() + " apart from the others after " +
                             std::to_string(kPlacingTries) + " tries");
}

void SweepRoom::Step() {
    sim_.Step(kTick);
}

void SweepRoom::Run(double seconds, RoomFigures& figures) {
    SimAudit audit(sim_, {Sweep_Room_Space()});
    sim_.on_collision = Contact_Started;
    sim_.on_collision_user = &audit;
    const long steps = static_cast<long>(seconds / kTick + 0.5);
    for (long step = 1; step <= steps; ++step) {
        Step();
        audit.Check(sim_.time);
        figures.reached = sim_.time;
        figures.not_a_number = audit.Count(AuditFault::Not_A_Number);
        figures.outside = audit.Count(AuditFault::Outside);
        figures.overlaps = audit.Count(AuditFault::Overlap);
        figures.held_still = audit.Count(AuditFault::Held_Still);
        figures.deepest_overlap = audit.Deepest_Overlap();
        figures.longest_hold = audit.Longest_Hold();
        figures.rest_contact_rate = audit.Rest_Contact_Rate();
    }
    figures.finished = true;
}
