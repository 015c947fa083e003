// The audit on hand-made moments: it names what is wrong, measures overlaps, and stays quiet
// about what is allowed.
#include <cmath>
#include <limits>

#include "sim/audit.h"
#include "sim/penetration_depth.h"
#include "sim_bodies.h"

namespace {

struct Placed {
    SimMode mode;
    Vector3d at;
    Vector3d axis;  // of a turn of 45 degrees; zero for none
};

struct Case {
    const char* what;
    std::vector<Placed> bodies;  // unit boxes (corners at +-1)
    const char* expected;        // the one violation's text; empty for none
    double depth;                // the deepest overlap
};

// Edge across edge: box 0 turned about y has its top edge along y at z = sqrt 2; box 1 turned
// about x has its bottom edge along x at its centre's height less sqrt 2.
const double kEdges = 2 * std::sqrt(2.0);
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kTol = SimAudit::kRoomTolerance;

TEST(Audit, FindsWhatIsWrongAndOnlyThat) {
    const Case cases[] = {
        {"face into face by 0.02",
         {{SimMode::Fixed, {0, 0, 0}, {}}, {SimMode::Free, {1.98, 0, 0}, {}}},
         "A #0 and B #1 overlap by 0.0200",
         0.02},
        {"face into face by 0.005",
         {{SimMode::Fixed, {}, {}}, {SimMode::Free, {0, 0, 1.995}, {}}},
         "",
         0.005},
        {"edge into edge by 0.02",
         {{SimMode::Fixed, {}, {0, 1, 0}}, {SimMode::Resting, {0, 0, kEdges - 0.02}, {1, 0, 0}}},
         "A #0 and B #1 overlap by 0.0200",
         0.02},
        {"two fixed boxes are built as they are",
         {{SimMode::Fixed, {}, {}}, {SimMode::Fixed, {}, {}}},
         "",
         0.0},
        {"a NaN",
         {{SimMode::Free, {kNaN, 0, 0}, {}}},
         "A #0: not a number in its committed state",
         0.0},
        {"outside",
         {{SimMode::Free, {0, 0, 5.02}, {}}},
         "A #0 outside the room at (0.0000, 0.0000, 5.0200)",
         0.0},
        {"within the tolerance", {{SimMode::Driven, {0, -5.005, 0}, {}}}, "", 0.0},
        {"on the tolerance's lowest corner",
         {{SimMode::Free, {-5 - kTol, -5 - kTol, -5 - kTol}, {}}},
         "",
         0.0},
        {"on the tolerance's highest corner",
         {{SimMode::Free, {5 + kTol, 5 + kTol, 5 + kTol}, {}}},
         "",
         0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w({0, 0, 0});
        for (const Placed& p : c.bodies) {
            SimBody& body = w.Add(true, w.bodies.empty() ? "A" : "B", p.mode, p.at);
            if (p.axis.Squared_Length() > 0) {
                body.state.orientation = Quaternion::From_Axis_Angle(45, p.axis);
            }
        }
        SimAudit audit(w.sim, {{{-5, -5, -5}, {5, 5, 5}}});
        const std::vector<AuditViolation> found = audit.Check(0.5);
        ASSERT_EQ(found.size(), *c.expected ? 1u : 0u);
        if (*c.expected) {
            EXPECT_EQ(found[0].text, c.expected);
            EXPECT_EQ(found[0].time, 0.5);
        }
        EXPECT_NEAR(audit.Deepest_Overlap(), c.depth, 1e-9);
        EXPECT_EQ(audit.Total(), static_cast<long>(found.size()));
    }
}

TEST(Audit, AFreeBodyStandingStillWithoutAContactIsOneViolationHoweverLong) {
    World w;  // under gravity, a free body cannot stand still
    SimBody& ball = w.Add(true, "Ball", SimMode::Free, {0, 0, 1});
    SimAudit audit(w.sim, {{{-5, -5, -5}, {5, 5, 5}}});
    EXPECT_EQ(audit.Check(0.25).size(), 1u);
    EXPECT_EQ(audit.Check(0.5).size(), 0u);
    EXPECT_EQ(audit.Count(AuditFault::Held_Still), 1);
    EXPECT_EQ(audit.Longest_Hold(), 0.5);
    // Out of the simulation for a while (the game's ball after a cleared grid), it is not held.
    w.sim.Deactivate_Object(&ball);
    audit.Check(0.75);
    w.sim.Activate_Object(&ball);
    audit.Check(1.0);
    EXPECT_EQ(audit.Longest_Hold(), 0.5);
    // In a contact it may: its timetable moves it, not its flight.
    Collision contact(&ball, &ball);
    contact.response_a.role = Response::Role::Running;
    ball.collisions.push_front(&contact);
    audit.Check(1.25);
    audit.Check(1.5);
    EXPECT_EQ(audit.Count(AuditFault::Held_Still), 1);
    EXPECT_EQ(audit.Longest_Hold(), 0.5);
}

// Contact starts a second at rest: the most of one resting body within one second. A free body's
// starts do not count, and a clock set back starts the count over.
TEST(Audit, RestContactRateIsTheMostStartsAtRestWithinASecond) {
    World w({0, 0, 0});
    SimBody& block = w.Add(true, "Block", SimMode::Resting, {});
    SimBody& ball = w.Add(true, "Ball", SimMode::Free, {0, 0, 3});
    SimBody& other = w.Add(true, "Other", SimMode::Free, {0, 0, 6});
    SimAudit audit(w.sim, {{{-5, -5, -5}, {5, 5, 5}}});
    const Collision touch(&ball, &block);
    const Collision free_pair(&ball, &other);
    const double at[] = {0.0, 0.3, 0.95, 1.2, 1.25, 0.1, 0.2};
    const double rate[] = {1, 2, 3, 3, 4, 4, 4};
    for (int i = 0; i < 7; ++i) {
        w.sim.time = at[i];
        audit.Contact_Started(touch);
        audit.Contact_Started(free_pair);
        EXPECT_EQ(audit.Rest_Contact_Rate(), rate[i]) << "at " << at[i];
    }
}

// The audit's sieve: boxes are near up to a gap of twice the margin, along each axis, either way.
TEST(WorldShape, BoxesAreNearUpToAGapOfTwiceTheMargin) {
    const auto box = Make_Box();
    const WorldShape at_origin(*box, SimState());
    for (const Vector3d& axis : {Vector3d(1, 0, 0), Vector3d(0, 1, 0), Vector3d(0, 0, 1)}) {
        for (const double side : {-1.0, 1.0}) {
            for (const auto& [gap, near] : {std::pair(0.5, true), {0.625, false}}) {
                SimState pose;
                pose.position = side * (2 + gap) * axis;
                EXPECT_EQ(at_origin.Boxes_Near(WorldShape(*box, pose), 0.25), near)
                    << "at (" << pose.position.x << ", " << pose.position.y << ", "
                    << pose.position.z << ")";
            }
        }
    }
}

// The shortest way apart by the faces, from the first shape towards the second: out through a
// face of the first, or (the first turned half a right angle about z, its corner towards
// the second) through a face of the second; the guess where it is within the slack of that.
TEST(WorldShape, ShortestWayApartLeavesByTheFaceOverlappingLeastUnlessTheGuessIsAsShort) {
    const auto box = Make_Box();
    const struct {
        double turn_of_first;
        Vector3d second_at;
        Vector3d guess;
        Vector3d way;
    } rows[] = {{0, {1.9, 0.5, 0}, {0, 1, 0}, {1, 0, 0}},
                {0, {1.9, 0, 1.905}, {1, 0, 0}, {1, 0, 0}},
                {0, {1.9, 0, 1.92}, {1, 0, 0}, {0, 0, 1}},
                {45, {2.3, 0, 0}, {0, 0, 1}, {1, 0, 0}},
                {45, {0, -2.3, 0.2}, {0, 0, 1}, {0, -1, 0}}};
    for (const auto& row : rows) {
        SimState first;
        first.orientation = Quaternion::From_Axis_Angle(row.turn_of_first, {0, 0, 1});
        SimState second;
        second.position = row.second_at;
        const Vector3d way =
            WorldShape(*box, first).Shortest_Way_Apart(WorldShape(*box, second), row.guess, 0.01);
        EXPECT_LT((way - row.way).Length(), 1e-12) << row.second_at.x << ", " << row.second_at.z;
    }
}

}  // namespace
