#include "render/paddle_speed.h"

#include <gtest/gtest.h>

namespace {

enum Keys { kNone, kLeft, kRight, kBoth };

float Tick(float speed, Keys keys) {
    return Next_Paddle_Speed(speed, keys == kLeft || keys == kBoth,
                             keys == kRight || keys == kBoth);
}

}  // namespace

TEST(PaddleSpeed, BothKeysChangeNothing) {
    for (float s : {-5.0f, -0.3f, 0.0f, 2.4f, 5.0f}) {
        EXPECT_EQ(Tick(s, kBoth), s);
    }
}

TEST(PaddleSpeed, OneKeyAcceleratesItsWayUpToFive) {
    EXPECT_FLOAT_EQ(Tick(0.0f, kRight), 0.8f);
    EXPECT_FLOAT_EQ(Tick(0.8f, kRight), 1.6f);
    EXPECT_FLOAT_EQ(Tick(4.5f, kRight), 5.0f);
    EXPECT_FLOAT_EQ(Tick(5.0f, kRight), 5.0f);
    EXPECT_FLOAT_EQ(Tick(0.0f, kLeft), -0.8f);
    EXPECT_FLOAT_EQ(Tick(-4.9f, kLeft), -5.0f);
    float s = 0.0f;
    for (int tick = 0; tick < 20; ++tick) {
        s = Tick(s, kLeft);
    }
    EXPECT_FLOAT_EQ(s, -5.0f);
}

TEST(PaddleSpeed, TheOtherKeyBrakesHarderAndMayOvershootZero) {
    EXPECT_FLOAT_EQ(Tick(2.0f, kLeft), 0.8f);
    EXPECT_FLOAT_EQ(Tick(0.5f, kLeft), -0.7f);  // braking has no stop at zero
    EXPECT_FLOAT_EQ(Tick(-2.0f, kRight), -0.8f);
    EXPECT_FLOAT_EQ(Tick(-0.4f, kRight), 0.8f);
}

TEST(PaddleSpeed, NoKeyDecaysTowardsZeroWithoutCrossingIt) {
    EXPECT_FLOAT_EQ(Tick(3.0f, kNone), 1.8f);
    EXPECT_FLOAT_EQ(Tick(1.0f, kNone), 0.0f);
    EXPECT_FLOAT_EQ(Tick(-3.0f, kNone), -1.8f);
    EXPECT_FLOAT_EQ(Tick(-0.5f, kNone), 0.0f);
    EXPECT_EQ(Tick(0.0f, kNone), 0.0f);
}
