// The pair record and its query on box bodies placed by their tentative state, and the structures
// that order the records: the pair table, the pair key, the contacts map and the contact queue.
#include "sim/collision.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/contacts.h"
#include "sim/pair_table.h"
#include "sim/sim_object.h"
#include "support/approx.h"
#include "support/shapes.h"

namespace {

// A unit box body (corners at +-1) whose tentative state is placed by the test.
struct BoxBody : SimObject {
    explicit BoxBody(const Vector3d& position = {}, const Vector3d& scale = {1, 1, 1})
        : SimObject("Box") {
        polyhedron = Make_Box();
        Compute_Half_Extent();
        new_state.position = position;
        new_state.scale = scale;
    }
};

}  // namespace

TEST(PairQuery, UnitBoxesThreeApartAreOneApart) {
    BoxBody a;
    BoxBody b({3, 0, 0});
    Collision c(&a, &b);
    EXPECT_FALSE(Query_Pair(c));
    EXPECT_DOUBLE_EQ(c.distance, 1.0);
    EXPECT_TRUE(Near(c.normal, {1, 0, 0}));
    EXPECT_DOUBLE_EQ(c.point_a.x, 1.0);
    EXPECT_DOUBLE_EQ(c.point_b.x, 2.0);
    EXPECT_NE(c.feature_a, nullptr);
    EXPECT_NE(c.feature_b, nullptr);

    // Asked again without moving: the same answer from the same features.
    const Feature* fa = c.feature_a;
    const Feature* fb = c.feature_b;
    EXPECT_FALSE(Query_Pair(c));
    EXPECT_DOUBLE_EQ(c.distance, 1.0);
    EXPECT_EQ(c.feature_a, fa);
    EXPECT_EQ(c.feature_b, fb);
}

TEST(PairQuery, ContactLeavesTheLastSeparationInPlace) {
    BoxBody a;
    BoxBody b({3, 0, 0});
    Collision c(&a, &b);
    ASSERT_FALSE(Query_Pair(c));
    const Vector3d point_a = c.point_a;
    const Vector3d point_b = c.point_b;

    b.new_state.position = {1.5, 0, 0};
    EXPECT_TRUE(Query_Pair(c));
    EXPECT_DOUBLE_EQ(c.distance, 1.0);
    EXPECT_TRUE(Near(c.normal, {1, 0, 0}, 0.0));
    EXPECT_TRUE(Near(c.point_a, point_a, 0.0));
    EXPECT_TRUE(Near(c.point_b, point_b, 0.0));

    // Exactly touching counts as contact.
    b.new_state.position = {2, 0, 0};
    EXPECT_TRUE(Query_Pair(c));
}

TEST(PairQuery, DeformationIsAppliedAlongTheBodysOwnAxesBeforeTheTurn) {
    // Squashed to half along x, the box reaches only to x = 0.5.
    BoxBody squashed({0, 0, 0}, {0.5, 2, 2});
    BoxBody other({2, 0, 0});
    Collision c(&squashed, &other);
    EXPECT_FALSE(Query_Pair(c));
    EXPECT_DOUBLE_EQ(c.distance, 0.5);

    // Turned a quarter about z, its long local y axis lies along world x: it reaches to x = 2.
    squashed.new_state.orientation = Quaternion::From_Axis_Angle(90.0, {0, 0, 1});
    other.new_state.position = {3.5, 0, 0};
    EXPECT_FALSE(Query_Pair(c));
    EXPECT_NEAR(c.distance, 0.5, 1e-12);
}

TEST(PairQuery, ReadsTheTentativeStateOnly) {
    BoxBody a;
    BoxBody b({3, 0, 0});
    b.state.position = {0, 0, 0};  // the committed state overlaps; it must not matter
    Collision c(&a, &b);
    EXPECT_FALSE(Query_Pair(c));
    EXPECT_DOUBLE_EQ(c.distance, 1.0);
}

TEST(PairTable, OneSharedRecordPerPairAndNothingOnTheDiagonal) {
    BoxBody b0;
    BoxBody b1;
    BoxBody b2;
    const std::vector<SimObject*> objects{&b0, &b1, &b2};
    const PairTable table(objects);
    ASSERT_EQ(table.Size(), 3);
    std::vector<const Collision*> records;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table.At(i, i), nullptr);
        for (int j = i + 1; j < 3; ++j) {
            const Collision* c = table.At(i, j);
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(table.At(j, i), c);
            EXPECT_EQ(c->body_a, objects[i]);
            EXPECT_EQ(c->body_b, objects[j]);
            EXPECT_EQ(c->feature_a, nullptr);
            EXPECT_EQ(c->feature_b, nullptr);
            EXPECT_TRUE(Near(c->point_a, {0, 0, 0}, 0.0));
            EXPECT_TRUE(Near(c->normal, {0, 0, 0}, 0.0));
            EXPECT_TRUE(Near(c->spin_axis, {0, 0, 0}, 0.0));
            records.push_back(c);
        }
    }
    EXPECT_EQ(records.size(), 3u);
    EXPECT_NE(records[0], records[1]);
    EXPECT_NE(records[1], records[2]);
}

TEST(PairKey, LowerIndexInTheHighHalfWhicheverIsNamedFirst) {
    BoxBody a;
    BoxBody b;
    a.Set_Sim_Index(2);
    b.Set_Sim_Index(5);
    EXPECT_EQ(Pair_Key(a, b), (2 << 16) | 5);
    EXPECT_EQ(Pair_Key(b, a), 131077);
    const Collision c(&a, &b);
    EXPECT_EQ(Pair_Key(c), 131077);
}

TEST(Contacts, IterateInAscendingKeyOrder) {
    BoxBody b1;
    BoxBody b2;
    BoxBody b3;
    b1.Set_Sim_Index(1);
    b2.Set_Sim_Index(2);
    b3.Set_Sim_Index(3);
    Collision c23(&b2, &b3);
    Collision c12(&b1, &b2);
    Collision c13(&b1, &b3);
    ContactMap contacts;
    for (Collision* c : {&c23, &c13, &c12}) {
        contacts[Pair_Key(*c)] = c;
    }
    std::vector<const Collision*> order;
    for (const auto& [key, c] : contacts) {
        order.push_back(c);
    }
    EXPECT_EQ(order, (std::vector<const Collision*>{&c12, &c13, &c23}));
}

namespace {

struct QueuedRecord : Collision {
    explicit QueuedRecord(double end) : Collision(nullptr, nullptr) { end_time = end; }
};

}  // namespace

TEST(ContactQueue, EarliestEndOnTop) {
    QueuedRecord a(0.5);
    QueuedRecord b(0.2);
    QueuedRecord c(0.9);
    ContactQueue queue;
    EXPECT_TRUE(queue.Empty());
    queue.Push(&a);
    queue.Push(&b);
    queue.Push(&c);
    EXPECT_EQ(queue.Top(), &b);
    queue.Pop();
    EXPECT_EQ(queue.Top(), &a);
    queue.Pop();
    EXPECT_EQ(queue.Top(), &c);
    queue.Pop();
    EXPECT_TRUE(queue.Empty());
}

TEST(ContactQueue, EqualEndsComeOutInTheHeapsOwnOrder) {
    // Worked through by hand. Pushes: A, B, C (all 1), D (0.5) rises past B and A to the root,
    // E (1) stays: [D, A, C, B, E]. Each pop sends the hole down to a leaf, taking the right
    // child unless it ends later than the left, and lifts the last record from there:
    // [C, A, E, B], then [E, A, B], then [A, B], then [B].
    QueuedRecord a(1.0);
    QueuedRecord b(1.0);
    QueuedRecord c(1.0);
    QueuedRecord d(0.5);
    QueuedRecord e(1.0);
    ContactQueue queue;
    for (Collision* r : {&a, &b, &c, &d, &e}) {
        queue.Push(r);
    }
    std::vector<const Collision*> order;
    while (!queue.Empty()) {
        order.push_back(queue.Top());
        queue.Pop();
    }
    EXPECT_EQ(order, (std::vector<const Collision*>{&d, &c, &e, &a, &b}));

    queue.Push(&a);
    queue.Push(&b);
    queue.Clear();
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Size(), 0u);
}
