// The cartoon response: its timetable, turn and push-out, against figures worked out by hand.
#include "sim/cartoon_response.h"

#include <cmath>
#include <tuple>

#include "sim/bracket.h"
#include "sim/push_out.h"
#include "sim_bodies.h"
#include "support/approx.h"

TEST(CartoonResponse, StartPicksBounceRestOrFlatWithItsTimetable) {
    // Squash S = 1 - 0.55 I / 1.9 for impact stretch I = k(speed); squash time (I - S) pi / (2
    // speed squash_rate), 0.25 / squash_rate for a slow body moving apart; the release takes as
    // long.
    constexpr SimMode kFixed = SimMode::Fixed, kDriven = SimMode::Driven;
    const struct {
        const char* what;
        Vector3d velocity;
        double max_squash, rates, restitution;  // rates: the stretch and squash rates times this
        SimMode floor;                          // rising at 3 unless fixed
        bool resting;
        double squash_scale, squash_time, release_stretch, turn;  // turn: degrees about +y
        Vector3d after;
    } rows[] = {
        // clang-format off
        {"head-on", {0, 0, -10}, .45, 1, 1, kFixed, 0, .524436, .175681, 1.642857, 0, {0, 0, 10}},
        {"45 degrees", {7, 0, -7}, .45, 1, 1, kFixed, 0, .524974, .177084, 1.640998, 90, {7, 0, 7}},
        {"slight slant", {.05, 0, -10}, .45, 1, 1, kFixed, 0, .524435, .175679, 1.642859, .572953020554, {.05, 0, 10}},
        {"unsquashable", {0, 0, -10}, 1, 1, 1, kFixed, 0, 1, .100980, 1.642857, 0, {0, 0, 10}},
        {"dead", {0, 0, -10}, .45, 1, 0, kFixed, 0, .524436, .175681, 1, 0, {}},
        {"at rest", {0, 0, 0}, .45, 1, 1, kFixed, 1, 1, 0, 1, 0, {}},
        {"slow fall", {0, 0, -0.5}, .45, 1, 1, kFixed, 1, .681579, 1.314509, 1, 0, {}},
        {"slow slant", {.3, 0, -.3}, .45, 1, 1, kFixed, 1, .685543, 1.483783, 1, 45, {}},
        {"slow, leaving", {.3, 0, .3}, .45, 1, 1, kFixed, 1, .685543, .25, 1, -45, {}},
        // Rising slowly while the floor rises faster: only a driven partner's velocity counts.
        {"driven floor", {0, 0, 0.5}, .45, 1, 1, kDriven, 1, .681579, 1.314509, 1, 0, {}},
        {"moving apart", {1, 0, 5}, .45, 1, 1, kFixed, 0, 1.504353, 0, 1.504353, 0, {1, 0, 5}},
        {"rigid bounce", {0, 0, -10}, .45, 0, 1, kFixed, 0, .710526, 0, 1, 0, {0, 0, 10}},
        {"rigid, leaving", {0, 0, 0.5}, .45, 0, 1, kFixed, 1, .710526, 0, 1, 0, {}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        World world(Vector3d(0, 0, 0));  // a ball of radius 1 (half extent 1) on the floor
        SimBody& ball = world.Ball_Over_Floor(1.0, {0, 0, 1.0005}, row.velocity, row.floor);
        world.sim.Reset();
        Collision& c = world.Record(0, 1);
        c.normal = Vector3d(0, 0, -1);           // from the ball, body A, to the floor
        c.response_a.timetable.squash_time = 9;  // left from an earlier contact of the pair
        c.response_a.resting = true;
        c.response_a.role = Response::Role::Running;
        ball.max_squash = row.max_squash, ball.restitution = row.restitution;
        ball.stretch_rate *= row.rates, ball.squash_rate *= row.rates;
        world.bodies[1]->state.velocity = Vector3d(0, 0, row.floor == kFixed ? 0 : 3);
        const bool forward = ball.state.stretch_forward;
        Start_Response(c, 2.0, {0, 0, -9.8});  // the floor holds the ball up
        const Response& r = c.response_a;
        EXPECT_EQ(r.resting, row.resting);
        const ContactTimetable& tt = r.timetable;
        EXPECT_NEAR(tt.squash_scale, row.squash_scale, 1e-6);
        EXPECT_NEAR(tt.squash_time, row.squash_time, 1e-6);
        EXPECT_EQ(tt.release_time, tt.squash_time);
        EXPECT_NEAR(tt.release_stretch, row.release_stretch, 1e-6);
        EXPECT_NEAR(tt.End(), 2.0 + 2 * row.squash_time, 1e-6);
        EXPECT_NEAR(r.spin_angle, std::fabs(row.turn), 1e-9);
        EXPECT_TRUE(Near(ball.state.velocity, row.after, 1e-12));
        const bool flat = !row.resting && Near(row.after, row.velocity, 0.0);  // velocity kept
        EXPECT_EQ(ball.state.stretch_forward == forward, flat);  // only a flat contact keeps it
        const double tau = tt.squash_time / 2;  // a lossless bounce releases as it squashed
        EXPECT_TRUE(flat || row.resting || row.restitution != 1 ||
                    std::fabs(tt.Scale_At(2 + tau) - tt.Scale_At(2 + 3 * tau)) < 1e-12)
            << "the release does not mirror the squash";
        // At the end: just clear of the floor, the stretch axis along the way out (a rest: the
        // normal).
        ball.state.time = 2.0;
        Update_Contact(c, tt.End(), {});
        const Vector3d& scale = ball.new_state.scale;
        EXPECT_NEAR(scale.x * scale.y * scale.z, 1.0, 1e-12) << "the volume";
        EXPECT_FALSE(Query_Pair(c));
        ball.new_state.position.z -= 0.001;
        EXPECT_TRUE(Query_Pair(c));
        if (row.turn != 0) {
            EXPECT_TRUE(Near(r.spin_axis, {0, row.turn > 0 ? 1. : -1., 0}, 1e-15));
            const Vector3d out =
                row.resting ? Vector3d(0, 0, 1) : row.after * (1 / row.after.Length());
            EXPECT_NEAR(std::fabs(Dot(ball.new_state.orientation.Rotate({1, 0, 0}), out)), 1,
                        1e-12);
        }
    }
}

// The demo's lost ball: a wall contact waited while the ball flew on under the wall's lower end
// (z = 0) to its far side, and now takes over, its plane (the room face x = -0.2) 2.2 units behind
// the ball. The ball turns and squashes about its own point straight below its centre along the
// contact's normal; about a point on that far plane it would be flung up beside the wall's outer
// face. Its centre moves at most its reach (0.3 x 1.9) times the turn (85.9 degrees, 1.50 rad)
// plus what the squash takes off its reach (0.3 x (1.9 - 0.45)): 1.29.
TEST(CartoonResponse, ABallFarFromTheContactPlaneTurnsAboutItsOwnPoint) {
    World world(Vector3d(0, 0, 0));
    SimBody& ball =
        world.Add(true, "Ball", SimMode::Free, {2, 0, -1.5}, {5.8, 0, -5.4}, {1, 1, 1}, 0.3);
    world.Add(true, "Wall", SimMode::Fixed, {-0.1, 0, 5}, {}, {0.1, 1, 5});
    world.sim.Reset();
    Collision& c = world.Record(0, 1);
    c.normal = Vector3d(1, 0, 0), c.point_a = {-0.5, 0, 0.1}, c.point_b = {-0.2, 0, 0.1};
    c.response_a.role = Response::Role::Running;
    Start_Response(c, 0.0, {});
    const Vector3d start = ball.state.position;
    for (double t = 0.0; t < c.End();) {
        t = std::min(t + 1.0 / 60, c.End());
        Update_Contact(c, t, {});
        ball.Commit();
        ASSERT_LT((ball.state.position - start).Length(), 1.29) << "at " << t;
    }
}

namespace {

// A ball of radius 1 just above the floor at `velocity`, its contact with the floor running
// along `normal` (from the ball to the floor).
Collision& Landing(World& world, const Vector3d& velocity, const Vector3d& normal) {
    world.Ball_Over_Floor(1.0, {0, 0, 1.0005}, velocity);
    world.sim.Reset();
    Collision& c = world.Record(0, 1);
    c.normal = normal;
    c.response_a.role = Response::Role::Running;
    return c;
}

}  // namespace

// A slow body comes to rest only on a surface within 45 degrees of level: gravity tilted 40 degrees
// off the contact's normal still presses the ball onto the floor, at 50 it slides off; without
// gravity nothing holds it there.
TEST(CartoonResponse, OnlyASurfaceWithinFortyFiveDegreesOfLevelHoldsABodyUp) {
    const auto tilted = [](double degrees) {
        const double radians = degrees * M_PI / 180;
        return 9.8 * Vector3d(std::sin(radians), 0, -std::cos(radians));
    };
    for (const auto& [gravity, rests] :
         {std::pair(tilted(40), true), {tilted(50), false}, {Vector3d(), false}}) {
        World world(Vector3d(0, 0, 0));
        Collision& c = Landing(world, {0, 0, -0.5}, {0, 0, -1});
        Start_Response(c, 2.0, gravity);
        EXPECT_EQ(c.response_a.resting, rests) << gravity.x;
    }
}

// A slow touch where nothing holds the body up (no gravity) and it has no squash to make keeps its
// way along the surface, turning to it from 45 degrees down; one that squashes bounces (90). So
// does a fast one skimming it (into it slower than 1), its way along scaled by its restitution and
// nudged off at 0.5 at least, unturned.
TEST(CartoonResponse, ATouchSlowIntoTheSurfaceWhereNothingHoldsTheBodyUpKeepsItsWayAlongIt) {
    for (const auto& [before, max_squash, restitution, after, turn] :
         {std::tuple(Vector3d(.3, 0, -.3), 1.0, 0.0, Vector3d(.3, 0, 0), 45.0),
          {{.3, 0, -.3}, 1, .5, {.3, 0, .15}, 45 + 26.5650512},
          {{.3, 0, -.3}, .45, 0, {}, 90},
          {{3, 0, -.3}, .45, 0, {0, 0, .5}, 0},
          {{3, 0, -.4}, .45, .5, {1.5, 0, .5}, 0},
          {{3, 0, -.9}, .45, 1, {3, 0, .9}, 0}}) {
        World world(Vector3d(0, 0, 0));
        Collision& c = Landing(world, before, {0, 0, -1});
        SimBody& ball = *world.bodies[0];
        ball.max_squash = max_squash, ball.stretch_rate = 0, ball.restitution = restitution;
        Start_Response(c, 2.0, {});
        EXPECT_TRUE(Near(ball.state.velocity, after, 1e-12));
        EXPECT_NEAR(c.response_a.spin_angle, turn, 1e-6);
    }
}

// Straight along a slanted normal, the travel direction and the normal agree but for rounding,
// which may put their dot product a hair above 1: the body turns by nothing, not by NaN.
TEST(CartoonResponse, AHeadOnHitAlongASlantedNormalTurnsByNothing) {
    World world(Vector3d(0, 0, 0));
    Collision& c = Landing(world, {3, 0, -4}, {0.6, 0, -0.8});
    Start_Response(c, 2.0, {});
    EXPECT_EQ(c.response_a.spin_angle, 0.0);
    EXPECT_TRUE(Near(world.bodies[0]->state.velocity, {-3, 0, 4}, 1e-12));
}

// A contact that waited takes over with the ball sunk a little into the floor, its normal still
// that of where they met before (sideways): it goes by the line from the floor's nearest point to
// the ball's centre, straight down.
TEST(CartoonResponse, AContactTakingOverWithTheBallSunkGoesByWhereTheBallIsNow) {
    World world(Vector3d(0, 0, 0));
    Collision& c = Landing(world, {0, 0, -3}, {1, 0, 0});
    SimBody& ball = *world.bodies[0];
    ball.state.position.z = ball.new_state.position.z = 0.95;
    Take_Over(c, ball, 2.0, {});
    EXPECT_TRUE(Near(c.normal, {0, 0, -1}, 1e-9));
}

// Without stretch and squash rates a contact takes no time, and has none to turn the body in: a
// slanted bounce leaves its pose as it was (the flight that follows turns it along its way).
TEST(CartoonResponse, AContactOfNoDurationDoesNotTurnTheBody) {
    World world(Vector3d(0, 0, 0));
    Collision& c = Landing(world, {7, 0, -7}, {0, 0, -1});
    SimBody& ball = *world.bodies[0];
    ball.stretch_rate = ball.squash_rate = 0;
    Start_Response(c, 2.0, {});
    ball.state.time = 2.0;
    Update_Contact(c, c.End(), {});
    EXPECT_TRUE(Same_Rotation(ball.new_state.orientation, ball.state.orientation, 0.0));
}

// A ball carried by another is moved clear of the walls: not into the floor (the move ends 0.1
// into it), and not through it either, when the move ends below the floor's 0.2 of thickness.
TEST(CartoonResponse, ACarriedBallNeitherSinksIntoNorPassesThroughAThinFloor) {
    for (const auto& [down, moves] : {std::pair(0.1, true), {0.3, false}, {1.2, false}}) {
        World world(Vector3d(0, 0, 0));
        SimBody& ball = world.Add(true, "Ball", SimMode::Free, {0, 0, 0.5}, {}, {1, 1, 1}, 0.3);
        world.Add(true, "Floor", SimMode::Fixed, {0, 0, -0.1}, {}, {5, 5, 0.1});
        ball.Add_Collision(&world.Record(0, 1));
        EXPECT_EQ(Move_Clear_Of_Unyielding(ball, {0, 0, -down}), moves) << down;
        EXPECT_DOUBLE_EQ(ball.new_state.position.z, moves ? 0.5 - down : 0.5);
    }
}

// Two balls of radius 0.3 sunk 0.05 into each other: two free ones share the way out equally, a
// free one comes out of a resting one alone (unless a wall behind it stops it: then the resting
// one comes out, up to a ball resting 0.02 beyond it, or not into a wall it lies against), and a
// pair with a body that never gives way is left. Parted round after round, B goes no further.
TEST(CartoonResponse, ASunkPairIsPartedByTheBodiesThatCanMove) {
    using M = SimMode;
    const struct {
        M a, b, beyond_b;  // resting, a ball 0.02 beyond B; fixed, a wall 0.0005 into B; free, none
        bool wall_behind_a, moved, apart;
        double a_moves, b_moves;  // at least, along the line between them
        double a_reach = 1.0;     // how far A's searches may take it from where it is
    } cases[] = {{M::Free, M::Free, M::Free, false, true, true, 0.025, 0.025},
                 {M::Free, M::Free, M::Free, false, true, true, 0.0, 0.05, 0.02},
                 {M::Free, M::Resting, M::Free, false, true, true, 0.05, 0.0},
                 {M::Free, M::Resting, M::Free, true, true, true, 0.0, 0.05},
                 {M::Free, M::Resting, M::Resting, true, true, false, 0.0, 0.019},
                 {M::Free, M::Resting, M::Fixed, true, true, false, 0.0, 0.0},
                 {M::Resting, M::Free, M::Free, false, true, true, 0.0, 0.05},
                 {M::Free, M::Fixed, M::Free, false, false, false, 0.0, 0.0}};
    for (const auto& test : cases) {
        World world(Vector3d(0, 0, 0));
        SimBody& a = world.Add(true, "A", test.a, {0, 0, 0}, {}, {1, 1, 1}, 0.3);
        SimBody& b = world.Add(true, "B", test.b, {0.55, 0, 0}, {}, {1, 1, 1}, 0.3);
        const auto lying_against = [&](SimBody& x, Collision& r, double towards) {
            r.normal = Vector3d(&x == r.body_a ? towards : -towards, 0, 0);
            x.within_reach = {&r};
        };
        if (test.wall_behind_a) {  // 0.001 into A
            world.Add(true, "Wall", M::Fixed, {-1.299, 0, 0}, {}, {1, 5, 5});
            lying_against(a, world.Record(0, 2), -1);
        }
        if (test.beyond_b != M::Free) {
            const bool ball = test.beyond_b == M::Resting;
            world.Add(true, "C", test.beyond_b, {ball ? 1.17 : 1.8495, 0, 0}, {},
                      ball ? Vector3d(1, 1, 1) : Vector3d(1, 5, 5), ball ? 0.3 : 0);
            lying_against(b, world.Record(1, static_cast<int>(world.bodies.size()) - 1), 1);
        }
        a.reach_centre = a.new_state.position, a.reach_radius = test.a_reach;
        Collision& c = world.Record(0, 1);
        EXPECT_EQ(Part_Sunk_Pair(c), test.moved);
        const double a_moved = -a.new_state.position.x;
        for (int round = 2; round <= 16; ++round) {
            Part_Sunk_Pair(c);
        }
        EXPECT_EQ(Touches_Keeping_Witness(c), !test.apart);
        const double b_moved = b.new_state.position.x - 0.55;
        EXPECT_TRUE(a_moved >= test.a_moves && a_moved < test.a_moves + 0.01) << a_moved;
        EXPECT_TRUE(b_moved >= test.b_moves && b_moved < test.b_moves + 0.01) << b_moved;
    }
}

// Equal boxes (half size 0.3) sunk 0.05 into each other along x and z, B against a wall at its
// left: A comes out up the diagonal, 0.05 along each; B's share (0.025 left and down) would lead
// into the wall, so B slides down 0.025 and A makes the rest (0.05 right, 0.025 up).
TEST(CartoonResponse, ASunkBodyPressedAgainstAWallSlidesAlongIt) {
    World world(Vector3d(0, 0, 0));
    SimBody& a = world.Add(true, "A", SimMode::Free, {0.85, 0, 1.55}, {}, {0.3, 0.3, 0.3});
    SimBody& b = world.Add(true, "B", SimMode::Free, {0.3, 0, 1}, {}, {0.3, 0.3, 0.3});
    world.Add(true, "Wall", SimMode::Fixed, {-1, 0, 0}, {}, {1, 5, 5});
    Collision& c = world.Record(0, 1);
    c.normal = (&a == c.body_a ? 1.0 : -1.0) * Vector3d(-1, 0, -1) * std::sqrt(0.5);
    Collision& against_wall = world.Record(1, 2);
    against_wall.normal = Vector3d(&b == against_wall.body_a ? -1 : 1, 0, 0);
    b.within_reach = {&against_wall};
    EXPECT_TRUE(Part_Sunk_Pair(c));
    EXPECT_FALSE(Touches_Keeping_Witness(c));
    EXPECT_TRUE(Near(b.new_state.position, {0.3, 0, 0.975}, 0.002));
    EXPECT_TRUE(Near(a.new_state.position, {0.9, 0, 1.575}, 0.002));
}

// A box squashed flat (0.06 by 0.67 by 0.67), tilted 60 degrees against a wall (x = 0) 0.6 above
// a floor, springs back to 0.875: rescaled about its point below its centre towards the wall, 0.61
// out beside it, its centre is carried down 3.9 x 0.61 x sin 60 cos 60 = 1.03, through the floor
// (0.2 thick), and springs back about its centre instead; past a floor 0.8 to its side, it stands.
TEST(CartoonResponse, AFlatBodySpringingBackIsNotCarriedThroughTheFloor) {
    for (const double floor_y : {0.0, 5.8}) {
        World world(Vector3d(0, 0, 0));
        SimBody& box = world.Add(true, "Box", SimMode::Free, {0.62, 0, 0.6}, {}, {0.3, 0.3, 0.3});
        world.Add(true, "Wall", SimMode::Fixed, {-0.1, 0, 5}, {}, {0.1, 5, 5});
        world.Add(true, "Floor", SimMode::Fixed, {0, floor_y, -0.1}, {}, {5, 5, 0.1});
        world.sim.Reset();
        box.state.scale = Vector3d(0.2, std::sqrt(5.0), std::sqrt(5.0));
        box.state.orientation = Quaternion::From_Axis_Angle(60, {0, 1, 0});
        box.state.time = 0.1;
        Collision& c = world.Record(0, 1);
        c.normal = Vector3d(-1, 0, 0), c.point_a = c.point_b = {0, 0, 0.6};
        Response& r = c.response_a;
        r.role = Response::Role::Running, r.spin_angle = 1, r.spin_axis = {0, 1, 0};
        r.timetable = {0, 0.1, 0.1, 1, 0.2, 1};
        box.within_reach = {&world.Record(0, 2)};
        Update_Contact(c, 0.19, {});
        EXPECT_NEAR(box.new_state.scale.x, 0.875, 1e-3);
        const double z = box.new_state.position.z;
        EXPECT_TRUE(floor_y > 1.0 ? std::fabs(z - (0.6 - 1.03)) < 0.01 : z > 0.5) << z;
        EXPECT_FALSE(Query_Pair(world.Record(0, 2)));
    }
}

// The box squashed flat against the wall (1.9 wide) under a ceiling 1.6 up, its centre 0.1 into
// the floor: no place near is clear for it, nor for its own shape where it stands; that comes out
// of the floor, as far squashed as the room allows. Turned 45 degrees about x (0.42 down to its
// edge) beside a side wall 0.2 away, only the way between the two (up 0.52, across 0.22) leads
// out. With a driven body around, it waits unless its centre has sunk.
TEST(CartoonResponse, AFlatBodySunkIntoTheFloorOfACornerComesOutOfIt) {
    const struct {
        const char* what;
        double turn;  // degrees about x
        bool side_wall, driven;
        double z;
    } rows[] = {{"under a ceiling", 0, false, false, -0.1},
                {"in a corner", 45, true, false, -0.1},
                {"pinned", 0, false, true, 0.1},
                {"pinned, sunk", 0, false, true, -0.1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        World world(Vector3d(0, 0, 0));
        SimBody& box = world.Add(true, "Box", SimMode::Free, {0.031, 0.3, row.z}, {}, {.3, .3, .3});
        world.Add(true, "Wall", SimMode::Fixed, {-0.1, 0, 5}, {}, {0.1, 5, 5});
        world.Add(true, "Floor", SimMode::Fixed, {0, 0, -1}, {}, {5, 5, 1});
        world.Add(true, "Ceiling", SimMode::Fixed, {0, 0, 2.6}, {}, {5, 5, 1});
        world.Add(true, "Side", row.driven ? SimMode::Driven : SimMode::Fixed,
                  {0, row.side_wall ? 1.5 : 9, 0}, {}, {5, 1, 5});
        world.sim.Reset();
        box.state.orientation = Quaternion::From_Axis_Angle(row.turn, {1, 0, 0});
        Collision& c = world.Record(0, 1);
        c.normal = Vector3d(-1, 0, 0), c.point_a = c.point_b = {0, 0, 0.5};
        c.response_a.role = Response::Role::Running;
        c.response_a.timetable = {0, 0.1, 0.1, 1, 0.1, 1};
        // Each as the box's last separation from it says, from the box towards it.
        world.Record(0, 2).normal = Vector3d(0, 0, -1);
        world.Record(0, 3).normal = Vector3d(0, 0, 1);
        world.Record(0, 4).normal = Vector3d(0, 1, 0);
        box.within_reach = {&world.Record(0, 2), &world.Record(0, 3), &world.Record(0, 4)};
        Update_Contact(c, 0.1, {});
        if (row.driven && row.z > 0.0) {
            EXPECT_TRUE(Near(box.new_state.position, {0.031, 0.3, 0.1}, 0.002));
            EXPECT_DOUBLE_EQ(box.new_state.scale.x, 0.1);
            continue;
        }
        EXPECT_GT(box.new_state.position.z, 0.0);
        for (int other : {2, 3, 4}) {  // touching at most: clear once 0.01 further away
            Collision& r = world.Record(0, other);
            box.new_state.position -= 0.01 * r.normal;
            EXPECT_FALSE(Query_Pair(r)) << world.bodies[other]->name;
            box.new_state.position += 0.01 * r.normal;
        }
    }
}

// A box squashed flat on a wall (0.06 by 1.9) in a slot 0.45 wide, its sides 1.6 apart, is too wide
// for them; its own shape is too thick for the slot. Eased by k, its half width is 0.3 (3.162 -
// 2.162 k): it fits from k = 0.229 (0.092 thick). Sides at rest stay put as walls do; there it may
// take the next of the eighths it tries first, 0.25.
TEST(CartoonResponse, AFlatBodyFitForNeitherWayEasesAsFarAsItFits) {
    for (const SimMode sides : {SimMode::Fixed, SimMode::Resting}) {
        World world(Vector3d(0, 0, 0));
        SimBody& box = world.Add(true, "Box", SimMode::Free, {0.031, 0, 0}, {}, {.3, .3, .3});
        world.Add(true, "Wall", SimMode::Fixed, {-1, 0, 0}, {}, {1, 5, 5});
        world.Add(true, "Slab", SimMode::Fixed, {1.45, 0, 0}, {}, {1, 5, 5});
        world.Add(true, "Front", sides, {0, -1.8, 0}, {}, {5, 1, 5});
        world.Add(true, "Back", sides, {0, 1.8, 0}, {}, {5, 1, 5});
        world.sim.Reset();
        Collision& c = world.Record(0, 1);
        c.normal = Vector3d(-1, 0, 0), c.point_a = c.point_b = {0, 0, 0};
        c.response_a.role = Response::Role::Running;
        c.response_a.timetable = {0, 0.1, 0.1, 1, 0.1, 1};
        const Vector3d towards[] = {{1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
        for (int other : {2, 3, 4}) {
            world.Record(0, other).normal = towards[other - 2];
        }
        box.within_reach.push_back(&world.Record(0, 2));
        box.collisions = {&c, &world.Record(0, 3), &world.Record(0, 4)};  // the sides it touches
        Update_Contact(c, 0.1, {});
        const double k = (box.new_state.scale.x - 0.1) / 0.9;
        EXPECT_TRUE(k > 0.226 && k < (sides == SimMode::Fixed ? 0.232 : 0.2501)) << k;
        EXPECT_NEAR(box.new_state.position.x, 0.3 * box.new_state.scale.x, 0.003);
        for (int other : {1, 2, 3, 4}) {  // touching at most: clear once 0.01 further away
            Collision& r = world.Record(0, other);
            box.new_state.position -= 0.01 * r.normal;
            EXPECT_FALSE(Query_Pair(r)) << world.bodies[other]->name;
            box.new_state.position += 0.01 * r.normal;
        }
    }
}

// Led by any guess (at the change, short of it, beyond it, none), a search's step ends where plain
// halving ends, wherever the change lies (bad on one stretch that takes in the bad end, as where a
// pair touches).
TEST(CartoonResponse, GuidedHalvingEndsWherePlainHalvingDoes) {
    for (const double change : {0.0001, 0.0007, 0.0008, 0.03, 0.0999}) {
        for (const double way : {1.0, -1.0}) {
            const auto bad_at = [&](double k) { return way * (k - change) >= 0.0; };
            const Bracket b = way > 0.0 ? Bracket{0, 0.1} : Bracket{0.1, 0};
            const Bracket plain = Narrow(b, 0.001, bad_at);
            for (const double off : {0.0, -0.02, 0.02, static_cast<double>(NAN)}) {
                const auto guess = [&](double) { return change + way * off; };
                const Bracket led = Narrow_Guided(b, 0.001, bad_at, guess);
                EXPECT_TRUE(led.good == plain.good && led.bad == plain.bad)
                    << change << ", " << off;
            }
        }
    }
}
