// The scene's generator against the C library's drand48, which implements the same POSIX
// generator independently, and against draws worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/scene_random.h"

TEST(SceneRandom, FirstDrawsOfSeed1234AreThoseWorkedOutByHand) {
    // X0 = 1234 << 16 | 0x330E; X1 = (0x5DEECE66D X0 + 0xB) mod 2^48 = 208538316460289, and so on.
    Seed_Random(1234);
    EXPECT_EQ(Random_Uniform(), 208538316460289.0 / 281474976710656.0);
    EXPECT_EQ(Random_Uniform(), 60386193924984.0 / 281474976710656.0);
    EXPECT_EQ(Random_Uniform(), 95193664530979.0 / 281474976710656.0);
}

TEST(SceneRandom, FollowsTheCLibraryDraw48ForManySeedsAndDraws) {
    for (int seed : {1234, 0, 1, -1, 65535, -2147483647 - 1, 2147483647}) {
        Seed_Random(seed);
        srand48(seed);
        for (int draw = 0; draw < 10000; ++draw) {
            const double expected = drand48();
            ASSERT_EQ(Random_Uniform(), expected) << "seed " << seed << ", draw " << draw;
        }
    }
}

TEST(SceneRandom, SeedingAgainStartsTheSameSequenceOver) {
    Seed_Random(1234);
    const double first = Random_Uniform();
    for (int i = 0; i < 100; ++i) {
        const double u = Random_Uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    Seed_Random(1234);
    EXPECT_EQ(Random_Uniform(), first);
}
