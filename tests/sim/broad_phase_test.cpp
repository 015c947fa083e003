// How far the broad phase reaches, against figures worked out by hand.
#include "sim/broad_phase.h"

#include <set>
#include <string>

#include "sim_bodies.h"
#include "support/random.h"

// The tree of still boxes against brute force: sets from a lone leaf to several levels, of boxes
// of any size, asked with boxes of any size, find exactly the boxes that overlap.
TEST(BoxTree, FindsExactlyTheBoxesThatOverlap) {
    TestRandom random(20261207);
    const auto random_box = [&](double size) {
        const Vector3d c = random.In_Box(10), h = random.In_Box(size);
        return Box{{c.x - std::fabs(h.x), c.y - std::fabs(h.y), c.z - std::fabs(h.z)},
                   {c.x + std::fabs(h.x), c.y + std::fabs(h.y), c.z + std::fabs(h.z)}};
    };
    for (const int count : {1, 4, 5, 9, 40, 300}) {
        std::vector<BoxTree::Entry> entries;
        for (int id = 0; id < count; ++id) {
            entries.push_back({random_box(id % 7 == 0 ? 8 : 2), id});
        }
        BoxTree tree;
        tree.Build(entries);
        for (int query = 0; query < 50; ++query) {
            const Box box = random_box(3);
            std::set<int> expected, found;
            for (const BoxTree::Entry& entry : entries) {
                if (Overlap(entry.box, box)) {
                    expected.insert(entry.id);
                }
            }
            tree.Overlapping(box, [&](int id) { EXPECT_TRUE(found.insert(id).second) << id; });
            EXPECT_EQ(found, expected)
                << count << " boxes, query " << query << ", " << random.Trace();
        }
    }
}

// A question about any one box of a row of 64 compares a logarithmic number of boxes, whichever
// axis the row runs along (a scan would compare 64): the tree splits where the boxes spread.
TEST(BoxTree, AQuestionAboutOneBoxOfARowComparesFew) {
    for (const Vector3d& along : {Vector3d(1, 0, 0), Vector3d(0, 1, 0), Vector3d(0, 0, 1)}) {
        const auto box_at = [&](double step, double half) {
            const Vector3d c = Vector3d(-150, 45, -60) + 3 * step * along;
            return Box{{c.x - half, c.y - half, c.z - half}, {c.x + half, c.y + half, c.z + half}};
        };
        std::vector<BoxTree::Entry> entries;
        for (int k = 0; k < 64; ++k) {  // out of order: 0, 37, 10, 47, 20 ...
            entries.push_back({box_at(k * 37 % 64, 1), k * 37 % 64});
        }
        BoxTree tree;
        tree.Build(entries);
        for (int step = 0; step < 64; ++step) {
            std::vector<int> found;
            tree.Overlapping(box_at(step, 0.5), [&](int id) { found.push_back(id); });
            EXPECT_EQ(found, std::vector<int>{step});
            EXPECT_LE(tree.Boxes_Tested(), 16) << "box " << step << " of a row along (" << along.x
                                               << ", " << along.y << ", " << along.z << ")";
        }
    }
}

// A free box beside a fixed unit cube (corners at +-1), apart along x: near up to the gap its
// growth spans (0.01 for each box, half the free box's largest half-extent whatever its axis or
// turn, its speed times the reach), and not a hundredth further.
TEST(BroadPhase, BoxesGrowByMarginHalfTheLargestHalfExtentAndTheSpeedsReach) {
    const Quaternion third_turn(0.5, 0.5, 0.5, 0.5);  // exactly: x to y, y to z, z to x
    const struct {
        const char* what;
        Vector3d half;    // the free box's, in its own frame
        Quaternion turn;  // both bodies'
        double across;    // the free box's half-extent along world x
        double speed, reach;
        double spans;  // the widest gap still near
    } rows[] = {
        {"a still cube", {0.2, 0.2, 0.2}, {}, 0.2, 0, 0, 0.12},
        {"longest along x", {1, 0.2, 0.2}, {}, 1, 0, 0, 0.52},
        {"longest along y", {0.2, 1, 0.2}, {}, 0.2, 0, 0, 0.52},
        {"longest along z", {0.2, 0.2, 1}, {}, 0.2, 0, 0, 0.52},
        {"turned, longest along y", {1, 0.2, 0.2}, third_turn, 0.2, 0, 0, 0.52},
        {"moving at 2 for 0.1 s", {0.2, 0.2, 0.2}, {}, 0.2, 2, 0.1, 0.32},
    };
    for (const auto& row : rows) {
        for (const double beyond : {-0.01, 0.01}) {
            const double gap = row.spans + beyond;
            SimBody cube("Cube", SimMode::Fixed, {});
            SimBody box("Box", SimMode::Free, {1 + gap + row.across, 0, 0}, {0, 0, row.speed},
                        row.half);
            cube.new_state.orientation = box.new_state.orientation = row.turn;
            cube.Set_Sim_Index(0);
            box.Set_Sim_Index(1);
            BroadPhase broad;
            EXPECT_EQ(broad.Near_Pairs({&cube, &box}, row.reach).size(), beyond < 0 ? 1u : 0u)
                << row.what << ", " << gap << " apart";
        }
    }
}

// Two free cubes of half-size 0.2 moving at 3 across their gap, for a reach of 0.1 s: the pass
// pairs them only where the boxes of their shapes come within the two margins (0.02); the step's
// end, whose partings may move one into the other, by their grown boxes (0.01, a tenth of the
// cube's size and 0.3 of travel each: 0.82 in all).
TEST(BroadPhase, TwoBodiesThatGiveWayAreNearWhereTheirShapesMayTouch) {
    for (const double gap : {0.015, 0.025, 0.815, 0.825}) {
        SimBody a("A", SimMode::Free, {}, {3, 0, 0}, {0.2, 0.2, 0.2});
        SimBody b("B", SimMode::Free, {0.4 + gap, 0, 0}, {-3, 0, 0}, {0.2, 0.2, 0.2});
        a.Set_Sim_Index(0);
        b.Set_Sim_Index(1);
        BroadPhase broad;
        EXPECT_EQ(broad.Near_Pairs({&a, &b}, 0.1).size(), gap < 0.02 ? 1u : 0u) << gap;
        EXPECT_EQ(broad.Yielding_Pairs_Grown({&a, &b}).size(), gap < 0.82 ? 1u : 0u) << gap;
    }
}

// Two cubes at rest 0.05 apart: the pass pairs no two bodies at rest; the step's end pairs them
// once a contact has woken one, by the mode it has then.
TEST(BroadPhase, ABodyWokenSinceThePassIsPairedAsItIsNow) {
    for (const SimMode woken : {SimMode::Resting, SimMode::Free}) {
        SimBody a("A", SimMode::Resting, {}, {}, {0.2, 0.2, 0.2});
        SimBody b("B", SimMode::Resting, {0.45, 0, 0}, {}, {0.2, 0.2, 0.2});
        a.Set_Sim_Index(0), b.Set_Sim_Index(1);
        BroadPhase broad;
        broad.Near_Pairs({&a, &b}, 0.1);
        a.state.mode = woken;
        EXPECT_EQ(broad.Yielding_Pairs_Grown({&a, &b}).size(), woken == SimMode::Free ? 1u : 0u);
    }
}

// Of two still free cubes of half-size 0.2, each grown by 0.11 (the margin and half its
// half-extent), one is moved after the pass: by 0.1 it still lies within its box, by 0.12 not.
TEST(BroadPhase, ABodyCarriedBeyondItsGrownBoxIsNamed) {
    for (const double moved : {0.1, 0.12}) {
        SimBody a("A", SimMode::Free, {}, {}, {0.2, 0.2, 0.2});
        SimBody b("B", SimMode::Free, {5, 0, 0}, {}, {0.2, 0.2, 0.2});
        a.Set_Sim_Index(0), b.Set_Sim_Index(1);
        BroadPhase broad;
        broad.Near_Pairs({&a, &b}, 0.1);
        a.new_state.position.z += moved;
        EXPECT_EQ(broad.Yielding_Beyond_Grown({&a, &b}), std::vector<int>(moved > 0.11, 0));
    }
}

// Of boxes all overlapping, the pairs where a contact can act (a free body with any other, a driven
// with a resting one), in the order a search of every pair meets them, whichever sieve found them:
// the sweep of the moving boxes or the tree of the still ones.
TEST(BroadPhase, NearPairsAreThoseWhereAContactCanActInTheOrderOfASearch) {
    std::vector<std::unique_ptr<SimBody>> bodies;
    std::vector<SimObject*> active;
    for (const SimMode mode :
         {SimMode::Fixed, SimMode::Free, SimMode::Fixed, SimMode::Free, SimMode::Resting,
          SimMode::Resting, SimMode::Driven, SimMode::Driven}) {
        bodies.push_back(std::make_unique<SimBody>("Box", mode, Vector3d()));
        bodies.back()->Set_Sim_Index(static_cast<int>(active.size()));
        active.push_back(bodies.back().get());
    }
    std::string pairs;  // each pair's first and second position, digit by digit
    BroadPhase broad;
    for (const NearPair& p : broad.Near_Pairs(active, 0.0)) {
        pairs += std::to_string(p.first) + std::to_string(p.second) + " ";
    }
    EXPECT_EQ(pairs, "01 03 12 13 14 15 16 17 23 34 35 36 37 46 47 56 57 ");
}

// A still body taken out and another put in during a step, as the game's callbacks may do: the
// next pass files the new one in place of the old, though their number is the same.
TEST(BroadPhase, AStillBodySwappedForAnotherWithinAStepIsFiledAnew) {
    SimBody ball("Ball", SimMode::Free, {}), near("Near", SimMode::Fixed, {}),
        far("Far", SimMode::Fixed, {100, 0, 0});
    ball.Set_Sim_Index(0), far.Set_Sim_Index(1), near.Set_Sim_Index(2);
    BroadPhase broad;
    EXPECT_EQ(broad.Near_Pairs({&ball, &near}, 0.0).size(), 1u);
    EXPECT_EQ(broad.Near_Pairs({&ball, &far}, 0.0).size(), 0u);
}

// A still body placed anew between two steps, moved along any one axis and stretched along it, is
// found where it now stands.
TEST(BroadPhase, AStillBodyMovedBetweenStepsAlongAnyAxisIsFiledAnew) {
    for (const Vector3d& axis : {Vector3d(1, 0, 0), Vector3d(0, 1, 0), Vector3d(0, 0, 1)}) {
        SimBody ball("Ball", SimMode::Free, {}), block("Block", SimMode::Fixed, 100 * axis);
        ball.Set_Sim_Index(0), block.Set_Sim_Index(1);
        BroadPhase broad;
        EXPECT_EQ(broad.Near_Pairs({&ball, &block}, 0.0).size(), 0u);
        block.state.position = block.new_state.position = Vector3d();
        block.state.scale = block.new_state.scale = Vector3d(1, 1, 1) + axis;
        broad.Check_Placements();
        EXPECT_EQ(broad.Near_Pairs({&ball, &block}, 0.0).size(), 1u) << axis.y << axis.z;
    }
}
