// The simulator's bookkeeping: adding and activating bodies, its messages, and how contacts move
// between the contact map, the queue and the callbacks.
#include "sim/tovrel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/collision.h"
#include "sim_bodies.h"
#include "support/approx.h"

namespace {

// What the callbacks saw, in order: "+Name/Name" for a contact becoming primary, "-..." for an end.
struct Journal {
    std::vector<std::string> events;
    std::vector<double> times;
    Tovrel* sim = nullptr;

    static void Record(Collision* c, void* user, char sign) {
        auto* journal = static_cast<Journal*>(user);
        journal->events.push_back(sign + std::string(c->body_a->name) + "/" + c->body_b->name);
        journal->times.push_back(journal->sim->time);
    }
    static void Began(Collision* c, void* user) { Record(c, user, '+'); }
    static void Ended(Collision* c, void* user) { Record(c, user, '-'); }

    void Attach(Tovrel& s) {
        sim = &s;
        s.on_collision = Began;
        s.on_collision_user = this;
        s.on_separation = Ended;
        s.on_separation_user = this;
    }
};

// A ball above a fixed floor whose top is z = 0, with the journal attached.
struct FloorScene {
    FloorScene(const Vector3d& ball_at, const Vector3d& velocity, const Vector3d& gravity)
        : ball(0.3, ball_at, velocity), floor("Floor", Vector3d(0, 0, -1), Vector3d(5, 5, 1)) {
        journal.Attach(sim);
        sim.gravity = gravity;
        sim.Add_Object(&ball, true);
        sim.Add_Object(&floor, true);
        sim.Reset();
    }

    TestBall ball;
    TestBox floor;
    Tovrel sim;
    Journal journal;
};

}  // namespace

TEST(Tovrel, StepBeforeResetFailsAndChangesNothing) {
    Tovrel sim;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(sim.Step(0.1));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Simulator not initialized\n");
    EXPECT_EQ(sim.time, -1.0);
}

TEST(Tovrel, EmptyOrNegativeStepsChangeNothing) {
    TestBall ball(0.3, Vector3d(0, 0, 5), Vector3d(1, 0, 0));
    Tovrel sim;
    sim.Add_Object(&ball, true);
    sim.Reset();
    const SimState before = ball.state;
    EXPECT_TRUE(sim.Step(0.0));
    EXPECT_TRUE(sim.Step(-1.0));
    EXPECT_EQ(sim.time, 0.0);
    EXPECT_TRUE(Near(ball.state.position, before.position, 0.0));
}

TEST(Tovrel, AddingTwiceOrAfterTheStartIsRefusedWithAMessage) {
    TestBox a("Alpha", {}, {1, 1, 1});
    TestBox b("Beta", {}, {1, 1, 1});
    Tovrel sim;
    sim.Add_Object(&a, true);
    ::testing::internal::CaptureStderr();
    sim.Add_Object(&a, true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tovrel::Add_Object: Object Alpha already in\n");
    EXPECT_EQ(sim.objects.size(), 1u);
    EXPECT_EQ(sim.active_objects.size(), 1u);

    sim.Reset();
    ::testing::internal::CaptureStderr();
    sim.Add_Object(&b, true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Tovrel::Add_Object: Cannot add object Beta after sim has started\n");
    EXPECT_EQ(sim.objects.size(), 1u);
    EXPECT_EQ(b.sim_index, -1);
}

TEST(Tovrel, ActivationKeepsOrderAndIgnoresRepeats) {
    TestBox a("A", {}, {1, 1, 1}), b("B", {}, {1, 1, 1}), c("C", {}, {1, 1, 1});
    Tovrel sim;
    sim.Add_Object(&a, true);
    sim.Add_Object(&b, false);
    sim.Add_Object(&c, true);
    EXPECT_EQ(sim.active_objects, (std::vector<SimObject*>{&a, &c}));
    sim.Deactivate_Object(&b);  // not active: nothing happens
    sim.Activate_Object(&a);    // already active: nothing happens
    EXPECT_EQ(sim.active_objects, (std::vector<SimObject*>{&a, &c}));
    sim.Activate_Object(&b);
    sim.Deactivate_Object(&a);
    EXPECT_EQ(sim.active_objects, (std::vector<SimObject*>{&c, &b}));
    EXPECT_EQ(sim.objects, (std::vector<SimObject*>{&a, &b, &c}));
}

TEST(Tovrel, OverlappingUnmovableBodiesNeverCollide) {
    TestBox wall("Wall", {}, {1, 1, 1});
    TestBox pillar("Pillar", {0.5, 0, 0}, {1, 1, 1});
    TestBox paddle("Paddle", {0, 0.5, 0}, {1, 1, 1}, SimMode::Driven);
    Tovrel sim;
    Journal journal;
    journal.Attach(sim);
    for (SimObject* body : {static_cast<SimObject*>(&wall), static_cast<SimObject*>(&pillar),
                            static_cast<SimObject*>(&paddle)}) {
        sim.Add_Object(body, true);
    }
    sim.Reset();
    for (int i = 0; i < 10; ++i) {
        sim.Step(0.1);
    }
    EXPECT_TRUE(journal.events.empty());
    EXPECT_TRUE(sim.contacts.empty());
}

TEST(Tovrel, DroppedBallContactsTheFloorOnceAndTheRecordIsPrimary) {
    FloorScene scene(Vector3d(0, 0, 1), Vector3d(), Vector3d(0, 0, -9.8));
    Tovrel& sim = scene.sim;
    TestBall& ball = scene.ball;
    Journal& journal = scene.journal;
    while (journal.events.empty() && sim.time < 2.0) {
        sim.Step(1.0 / 60);
    }
    ASSERT_EQ(journal.events, std::vector<std::string>{"+Ball/Floor"});
    Collision* c = sim.pair_table->At(0, 1);
    EXPECT_FALSE(c->secondary);
    EXPECT_EQ(sim.contacts.count(Pair_Key(*c)), 1u);
    ASSERT_FALSE(sim.contact_queue.Empty());
    EXPECT_EQ(sim.contact_queue.Top(), c);
    EXPECT_EQ(ball.collisions.front(), c);
    EXPECT_TRUE(scene.floor.collisions.empty());  // fixed bodies keep no lists

    // The contact ends inside a later step, after the bodies reach its end time.
    const double end_time = c->end_time;
    while (journal.events.size() < 2 && sim.time < 3.0) {
        sim.Step(1.0 / 60);
    }
    ASSERT_EQ(journal.events.size(), 2u);
    EXPECT_EQ(journal.events[1], "-Ball/Floor");
    EXPECT_EQ(journal.times[1], end_time);
    EXPECT_TRUE(sim.contacts.empty());
    EXPECT_TRUE(sim.contact_queue.Empty());
    EXPECT_GT(ball.state.velocity.z, 0.0);
}

TEST(Tovrel, ResetDropsContactsAndTheSamePairIsDetectedAgain) {
    FloorScene scene(Vector3d(0, 0, 0.35), Vector3d(0, 0, -5), Vector3d(0, 0, 0));
    Tovrel& sim = scene.sim;
    TestBall& ball = scene.ball;
    Journal& journal = scene.journal;
    sim.Step(0.05);
    ASSERT_EQ(journal.events.size(), 1u);
    const Feature* cached = sim.pair_table->At(0, 1)->feature_a;
    sim.Reset();
    EXPECT_TRUE(sim.contacts.empty());
    EXPECT_TRUE(sim.contact_queue.Empty());
    EXPECT_TRUE(ball.collisions.empty());
    EXPECT_EQ(sim.pair_table->At(0, 1)->feature_a, cached);  // records keep their features
    sim.Step(0.05);
    EXPECT_EQ(journal.events, (std::vector<std::string>{"+Ball/Floor", "+Ball/Floor"}));
}

TEST(Tovrel, RestingContactLeavesTheBallRestingAndTheFloorFixed) {
    FloorScene scene(Vector3d(0, 0, 0.32), Vector3d(), Vector3d(0, 0, -9.8));
    Tovrel& sim = scene.sim;
    TestBall& ball = scene.ball;
    Journal& journal = scene.journal;
    for (int i = 0; i < 120; ++i) {
        sim.Step(1.0 / 60);
    }
    EXPECT_EQ(journal.events, (std::vector<std::string>{"+Ball/Floor", "-Ball/Floor"}));
    EXPECT_TRUE(sim.pair_table->At(0, 1)->resting);
    EXPECT_EQ(ball.state.mode, SimMode::Resting);
    EXPECT_EQ(scene.floor.state.mode, SimMode::Fixed);
    // At rest the ball stays put, just above the floor.
    const Vector3d resting_at = ball.state.position;
    sim.Step(1.0);
    EXPECT_TRUE(Near(ball.state.position, resting_at, 0.0));
    EXPECT_GT(resting_at.z, 0.29);
    EXPECT_LT(resting_at.z, 0.31);
}
