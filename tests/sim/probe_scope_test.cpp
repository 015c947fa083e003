// Which contacts a probe rebuilds and which bodies lag, on a hand-made set of contacts.
#include <gtest/gtest.h>

#include <tuple>

#include "sim/probe_scope.h"
#include "sim_bodies.h"

namespace {

// Balls A to E and a wall W; A-B, B-C and C-D in contact, each deforming its second body (a chain
// through bodies that give way), and E deforming against the wall, apart from them.
struct ChainAndLoner : testing::Test {
    ChainAndLoner() {
        for (const char* name : {"A", "B", "C", "D", "E"}) {
            w.Add(true, name, SimMode::Free, {}, {}, {1, 1, 1}, 0.3);
        }
        w.Add(true, "W", SimMode::Fixed, {});
        for (auto [i, j, deforming] : {std::tuple{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {4, 5, 4}}) {
            Collision& c = w.Record(i, j);
            c.Response_Of(*w.bodies[deforming]).role = Response::Role::Running;
            contacts[Pair_Key(c)] = &c;
            c.body_a->Add_Collision(&c);
            c.body_b->Add_Collision(&c);
        }
        for (auto& body : w.bodies) {
            body->state.time = kT - 0.001;
        }
    }
    void Take_Around(int seed) { scope.Take_Around({w.bodies[seed].get()}, kT, contacts, 6); }

    static constexpr double kT = 1.0;
    World w;
    ContactMap contacts;
    ProbeScope scope;
};

TEST_F(ChainAndLoner, AnEventTakesItsChainAndTheLonerLags) {
    Take_Around(0);
    EXPECT_TRUE(scope.Rebuilds(w.Record(2, 3))) << "joined to A through B and C";
    EXPECT_FALSE(scope.Rebuilds(w.Record(4, 5)));
    EXPECT_TRUE(scope.Lags(*w.bodies[4]));
    EXPECT_FALSE(scope.Lags(*w.bodies[3]));
    // What E's contact was rebuilt to for this very time holds: E is current, not lagging.
    w.Record(4, 5).rebuilt_for = kT;
    Take_Around(0);
    EXPECT_FALSE(scope.Lags(*w.bodies[4]));
    // An event of the chain forgets the chain's rebuilds, not E's.
    w.Record(0, 1).rebuilt_for = kT;
    scope.Forget_Rebuilds(contacts);
    EXPECT_LT(w.Record(0, 1).rebuilt_for, 0.0);
    EXPECT_EQ(w.Record(4, 5).rebuilt_for, kT);
}

// A contact rebuilt for the target time keeps what it was rebuilt to until a probe at another
// time flies a body of it that deforms in no contact (A, which B deforms against), undoing what
// the rebuild moved it by, if anything.
TEST_F(ChainAndLoner, AContactIsRebuiltAgainOnceABodyWasTriedElsewhere) {
    scope.Take_All(kT);
    Collision& c = w.Record(0, 1);
    c.rebuilt_for = kT;
    w.bodies[0]->new_state.time = w.bodies[1]->new_state.time = kT;
    EXPECT_FALSE(scope.Rebuilds(c));
    w.bodies[0]->new_state.time = kT - 0.0005;
    EXPECT_FALSE(scope.Rebuilds(c)) << "its rebuild did not move A";
    c.moved_undeformed = true;
    EXPECT_TRUE(scope.Rebuilds(c));
}

TEST_F(ChainAndLoner, ABodyLaggingTooLongTakesEverything) {
    w.bodies[4]->state.time = kT - 1.5 * ProbeScope::kMaxLag;
    Take_Around(0);
    EXPECT_TRUE(scope.Rebuilds(w.Record(4, 5)));
    EXPECT_FALSE(scope.Lags(*w.bodies[4]));
}

}  // namespace
