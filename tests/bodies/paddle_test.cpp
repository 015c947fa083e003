#include "bodies/paddle.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/approx.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"
#include "support/shapes.h"

namespace {

class PaddleDrawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_.Ready()); }

    std::vector<FeedbackPolygon> Draw_Quads(Paddle& paddle) {
        std::vector<FeedbackPolygon> quads;
        EXPECT_TRUE(Record_Quads([&] { paddle.Draw(); }, quads));
        return quads;
    }

    GlTestContext gl_;
};

SimState Driven_At(const Vector3d& position, double time) {
    SimState s;
    s.mode = SimMode::Driven;
    s.position = position;
    s.time = time;
    s.scale = Vector3d(1.5, 1.5, 0.1);
    return s;
}

// The independent copy of the paddle's figures in the test support.
const ShapeTables kPaddle = Paddle_Tables();

Vector3d Paddle_Vertex(int i) {
    return {kPaddle.coordinates[3 * i], kPaddle.coordinates[3 * i + 1],
            kPaddle.coordinates[3 * i + 2]};
}

}  // namespace

TEST(Paddle, ShapeIsTheTaperedBoxWithTwentyEightEdgesEachBetweenTwoFaces) {
    Paddle paddle("Paddle", Driven_At({0, 0, 0}, 0), 1, 1, 1, 1, 1);
    const Polyhedron& shape = *paddle.polyhedron;
    ASSERT_EQ(shape.vertices.size(), 16u);
    ASSERT_EQ(shape.faces.size(), 14u);
    EXPECT_EQ(shape.edges.size(), 28u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(Near(shape.vertices[i].position, Paddle_Vertex(i), 0.0)) << "vertex " << i;
    }
    for (int f = 0; f < 14; ++f) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(shape.faces[f].vertices[k], &shape.vertices[kPaddle.face_indices[4 * f + k]]);
        }
    }
    for (const PolyEdge& e : shape.edges) {
        EXPECT_NE(e.left_face, nullptr);
        EXPECT_NE(e.right_face, nullptr);
        EXPECT_NE(e.left_face, e.right_face);
    }
    EXPECT_EQ(paddle.half_extent, 1.0);
    EXPECT_EQ(shape.vertices[0].position.y, 0.800000011920929);
    EXPECT_EQ(shape.vertices[12].position.y, 0.699999988079071);
}

TEST(Paddle, StartsDrivenWithItsStateParametersAndNoVelocity) {
    Paddle paddle("Paddle", Driven_At({0, 0, 0}, 0), 0.1, 0.2, 0.3, 0.4, 0.5);
    EXPECT_EQ(paddle.state.mode, SimMode::Driven);
    EXPECT_EQ(paddle.initial_state.mode, SimMode::Driven);
    EXPECT_TRUE(Near(paddle.initial_state.scale, Vector3d(1.5, 1.5, 0.1), 0.0));
    EXPECT_EQ(paddle.max_squash, 0.1);
    EXPECT_EQ(paddle.max_stretch, 0.2);
    EXPECT_EQ(paddle.stretch_rate, 0.3);
    EXPECT_EQ(paddle.squash_rate, 0.4);
    EXPECT_EQ(paddle.restitution, 0.5);
    EXPECT_TRUE(Near(paddle.paddle_velocity, Vector3d(0, 0, 0), 0.0));
    EXPECT_FALSE(paddle.casts_shadow);
    EXPECT_EQ(paddle.subdivisions, 3);
}

TEST(Paddle, MovesInAStraightLineAtItsVelocityIgnoringGravity) {
    Paddle paddle("Paddle", Driven_At({1, 0, 0}, 2.0), 1, 1, 1, 1, 1);
    paddle.state.orientation = Quaternion::From_Axis_Angle(30, Vector3d(0, 0, 1));
    paddle.Set_Velocity(Vector3d(3.6, 0, 0));
    SimState now;
    paddle.Get_State_At(2.0, Vector3d(0, 0, -9.8), now);
    EXPECT_TRUE(Near(now.position, Vector3d(1, 0, 0), 0.0));
    EXPECT_TRUE(Near(now.velocity, Vector3d(3.6, 0, 0), 0.0));
    SimState later;
    paddle.Get_State_At(2.5, Vector3d(0, 0, -9.8), later);
    EXPECT_TRUE(Near(later.position, Vector3d(2.8, 0, 0)));
    EXPECT_EQ(later.time, 2.5);
    EXPECT_EQ(later.mode, SimMode::Driven);
    EXPECT_TRUE(Same_Rotation(later.orientation, paddle.state.orientation, 0.0));
    EXPECT_TRUE(Near(later.scale, Vector3d(1.5, 1.5, 0.1), 0.0));
    // Asking does not move the committed state.
    EXPECT_TRUE(Near(paddle.state.position, Vector3d(1, 0, 0), 0.0));
}

TEST(Paddle, SpeedStepsBecomeAboutThreePointSixUnitsPerSecondEach) {
    // 0.005 and 1/60 are single-precision constants: 0.005 x 12 / (1/60) = 3.5999997...
    EXPECT_NEAR(Paddle::Velocity_For_Speed(1).x, 3.6, 1e-6);
    EXPECT_LT(Paddle::Velocity_For_Speed(1).x, 3.6);
    EXPECT_NEAR(Paddle::Velocity_For_Speed(-5).x, -18.0, 5e-6);
    EXPECT_TRUE(Near(Paddle::Velocity_For_Speed(0), Vector3d(0, 0, 0), 0.0));
    EXPECT_EQ(Paddle::Velocity_For_Speed(2).y, 0.0);
    EXPECT_EQ(Paddle::Velocity_For_Speed(2).z, 0.0);
}

TEST_F(PaddleDrawing, DrawsFourteenBlueFacesLitByTheirFirstCornersDirection) {
    Paddle paddle("Paddle", Driven_At({0, 0, 0}, 0), 1, 1, 1, 1, 1);
    paddle.state.scale = Vector3d(1, 1, 1);
    paddle.subdivisions = 1;
    paddle.Set_Color(1, 0, 0);  // not used: the paddle is always blue
    const auto quads = Draw_Quads(paddle);
    ASSERT_EQ(quads.size(), 14u);
    for (int f = 0; f < 14; ++f) {
        std::vector<Vector3d> loop;
        for (int k = 0; k < 4; ++k) {
            loop.push_back(Paddle_Vertex(kPaddle.face_indices[4 * f + k]));
        }
        EXPECT_TRUE(Same_Corners(Corners(quads[f]), loop)) << "face " << f;
        Vector3d first = loop[0];
        first.Set_Length(1.0);
        for (const FeedbackVertex& v : quads[f]) {
            EXPECT_TRUE(Near(v.normal, first, 1e-6)) << "face " << f;
            EXPECT_EQ(v.color[0], 0.0f);
            EXPECT_EQ(v.color[1], 0.0f);
            EXPECT_EQ(v.color[2], 1.0f);
        }
    }
    // The nose, (0.5, 0.5, 4) / sqrt(16.5).
    EXPECT_TRUE(Near(quads[0][0].normal, Vector3d(0.12309149, 0.12309149, 0.98473193), 1e-6));
}

TEST_F(PaddleDrawing, SubdividesEveryFaceAndDrawsAtItsScale) {
    Paddle paddle("Paddle", Driven_At({2, 0, -1}, 0), 1, 1, 1, 1, 1);
    const auto quads = Draw_Quads(paddle);
    ASSERT_EQ(quads.size(), 14u * 9u);
    // The nose's first cell starts at its first corner, (0.5, 0.5, 4) scaled by (1.5, 1.5, 0.1)
    // and moved by (2, 0, -1); a third of the way to (-0.5, 0.5, 4) comes next.
    EXPECT_TRUE(Near(quads[0][0].position, Vector3d(2.75, 0.75, -0.6), 1e-5));
    EXPECT_TRUE(Near(quads[0][1].position, Vector3d(2.25, 0.75, -0.6), 1e-5));
    for (const auto& q : quads) {
        for (const auto& v : q) {
            EXPECT_GE(v.position.z, -1.1 - 1e-5);
            EXPECT_LE(v.position.z, -0.6 + 1e-5);
        }
    }
}
