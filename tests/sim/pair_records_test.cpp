// What the display reads from the pair records: the nearest one, and the walk's work.
#include "sim/pair_records.h"

#include "sim/collision.h"
#include "sim_bodies.h"

// A still box of half-size 0.3 between a wall 0.15 away (near only by the box's growth with its
// size) and, activated after it, a wall 0.05 away; a third wall far off. The nearer record wins
// though it comes second. A free box 0.015 off the other side is asked at the first pass, then
// left out while both stand still: passed over, its record says nothing of the pass. Queries of a
// pair standing still confirm its features in one test. The box is the second body of its walls'
// pairs.
TEST(PairRecords, TheNearestRecordAndTheWalksWorkPerQuery) {
    World world(Vector3d(0, 0, 0));
    world.Add(true, "Farther", SimMode::Fixed, {1.45, 0, 0});
    world.Add(true, "Nearer", SimMode::Fixed, {0, -1.35, 0});
    world.Add(true, "Far off", SimMode::Fixed, {0, 0, 5});
    SimBody& box = world.Add(true, "Box", SimMode::Free, {}, {}, {0.3, 0.3, 0.3});
    world.Add(true, "Other box", SimMode::Free, {0, 0.615, 0}, {}, {0.3, 0.3, 0.3});
    world.sim.Reset();
    world.sim.Step(1.0 / 60);
    ASSERT_EQ(Records_Of(world.sim, box).size(), 3u);
    EXPECT_NEAR(Records_Of(world.sim, box)[2]->distance, 0.015, 1e-12);
    world.sim.Step(1.0 / 60);
    const std::vector<const Collision*> records = Records_Of(world.sim, box);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NEAR(records[0]->distance, 0.15, 1e-12);
    EXPECT_NEAR(records[1]->distance, 0.05, 1e-12);
    EXPECT_EQ(Nearest_Record(world.sim, box), records[1]);
    WalkCounter counter;
    EXPECT_FALSE(Query_Pair(world.Record(3, 0)));
    EXPECT_FALSE(Query_Pair(world.Record(3, 1)));
    const WalkCounter::Work work = counter.Take();
    EXPECT_EQ(work.queries, 2u);
    EXPECT_EQ(work.tests_per_query, 1.0);
    EXPECT_EQ(counter.Take().tests_per_query, 0.0) << "no query since";
}
