#include "render/pose.h"

#include "bodies/block.h"
#include "bodies/paddle.h"
#include "bodies/poly_object.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rotation_spy.h"
#include "support/approx.h"
#include "support/gl_window.h"

namespace {

class Pose : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Ready());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        Rotation_Calls().clear();
    }

    // Where the current modelview matrix takes the point p.
    static Vector3d Modelview_Of(const Vector3d& p) {
        GLdouble m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);  // column by column
        return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
    }

    static std::vector<GLdouble> Modelview() {
        std::vector<GLdouble> m(16);
        glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }

    GlTestContext gl_;
};

struct Body : SimObject {
    Body() : SimObject("Body") {}
};

}  // namespace

TEST_F(Pose, IdentityOrientationLeavesOnlyTranslationAndScale) {
    Body body;
    body.state.position = Vector3d(1, 2, 3);
    body.state.scale = Vector3d(2, 3, 4);
    Apply_Transform(body);
    const std::vector<GLdouble> expected = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1};
    EXPECT_EQ(Modelview(), expected);
    EXPECT_TRUE(Rotation_Calls().empty());
}

TEST_F(Pose, DriftedOrientationCountsAsIdentityInsteadOfSpoilingTheMatrix) {
    // w a hair above 1, as accumulated rounding leaves it: acos gives "not a number".
    Quaternion drifted;
    drifted.w = 1.0 + std::numeric_limits<double>::epsilon();
    ASSERT_TRUE(std::isnan(std::acos(drifted.w)));
    Apply_Orientation(drifted);
    const std::vector<GLdouble> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(Modelview(), identity);
    EXPECT_TRUE(Rotation_Calls().empty());
}

TEST_F(Pose, HalfTurnAboutYFlipsXAndZ) {
    Apply_Orientation(Quaternion::From_Axis_Angle(180, Vector3d(0, 1, 0)));
    ASSERT_EQ(Rotation_Calls().size(), 1u);
    const RotationCall call = Rotation_Calls()[0];
    EXPECT_NEAR(call.degrees, 180.0, 1e-12);
    EXPECT_TRUE(Near(Vector3d(call.x, call.y, call.z), Vector3d(0, 1, 0), 1e-15));
    EXPECT_TRUE(Near(Modelview_Of(Vector3d(1, 2, 3)), Vector3d(-1, 2, -3), 1e-6));
}

TEST_F(Pose, ScalesFirstThenTurnsThenMoves) {
    Body body;
    body.state.position = Vector3d(1, 2, 3);
    body.state.orientation = Quaternion::From_Axis_Angle(90, Vector3d(0, 0, 1));
    body.state.scale = Vector3d(2, 1, 1);
    Apply_Transform(body);
    // (1, 0, 0) scaled to (2, 0, 0), turned to (0, 2, 0), moved to (1, 4, 3).
    EXPECT_TRUE(Near(Modelview_Of(Vector3d(1, 0, 0)), Vector3d(1, 4, 3), 1e-6));
    // The same pose as collision detection builds it from the quaternion's matrix.
    const Vector3d p(0.3, -0.7, 2.0);
    const Vector3d world =
        body.state.position + body.state.orientation.Rotate(Scale_Each(p, body.state.scale));
    EXPECT_TRUE(Near(Modelview_Of(p), world, 1e-6));
}

TEST_F(Pose, ArbitraryTurnsMatchTheQuaternionsOwnRotation) {
    const Vector3d axis = Vector3d(1, -2, 2) * (1.0 / 3.0);
    for (double degrees : {-170.0, -30.0, 0.5, 75.0, 179.0}) {
        glLoadIdentity();
        const Quaternion q = Quaternion::From_Axis_Angle(degrees, axis);
        Apply_Orientation(q);
        const Vector3d p(0.2, 1.5, -0.8);
        EXPECT_TRUE(Near(Modelview_Of(p), q.Rotate(p), 1e-6)) << degrees << " degrees";
    }
}

TEST_F(Pose, PlacementMovesAndTurnsWithoutScaling) {
    SimState s;
    s.position = Vector3d(0, 0, 1);
    s.orientation = Quaternion::From_Axis_Angle(90, Vector3d(1, 0, 0));
    s.scale = Vector3d(5, 5, 5);
    Apply_Placement(s);
    EXPECT_TRUE(Near(Modelview_Of(Vector3d(0, 1, 0)), Vector3d(0, 0, 2), 1e-6));
}

TEST_F(Pose, BodiesTurnOnlyWhenTheirOrientationIsNotTheIdentity) {
    const std::string ball_path = std::string(TOVREL_SOURCE_DIR) + "/data/objects/sphere.poly";
    Cube cube("Box");
    Block block("Block", SimState(), 1, 1, 1, 1, 1);
    Paddle paddle("Paddle", SimState(), 1, 1, 1, 1, 1);
    PolyObject ball(ball_path.c_str(), "Ball", Vector3d(1, 1, 1), Vector3d(0, 0, 0));
    RenderObject* bodies[] = {&cube, &block, &paddle, &ball};
    SimObject* states[] = {&cube, &block, &paddle, &ball};
    for (RenderObject* body : bodies) {
        body->Draw();
    }
    EXPECT_TRUE(Rotation_Calls().empty());
    for (SimObject* state : states) {
        state->state.orientation = Quaternion::From_Axis_Angle(30, Vector3d(0, 0, 1));
    }
    for (RenderObject* body : bodies) {
        body->Draw();
    }
    ASSERT_EQ(Rotation_Calls().size(), 4u);
    for (const RotationCall& call : Rotation_Calls()) {
        EXPECT_NEAR(call.degrees, 30.0, 1e-12);
        EXPECT_TRUE(Near(Vector3d(call.x, call.y, call.z), Vector3d(0, 0, 1), 1e-15));
    }
}
