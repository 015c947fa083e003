#include "bodies/block.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "support/approx.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"

namespace {

class BlockDrawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_.Ready()); }

    std::vector<FeedbackPolygon> Draw_Quads(Block& block) {
        std::vector<FeedbackPolygon> quads;
        EXPECT_TRUE(Record_Quads([&] { block.Draw(); }, quads));
        return quads;
    }

    GlTestContext gl_;
};

SimState Sized(double x, double y, double z) {
    SimState s;
    s.scale = Vector3d(x, y, z);
    return s;
}

// The bounding box of everything drawn, as (low, high).
std::pair<Vector3d, Vector3d> Extent(const std::vector<FeedbackPolygon>& quads) {
    Vector3d low(1e9, 1e9, 1e9), high(-1e9, -1e9, -1e9);
    for (const auto& q : quads) {
        for (const FeedbackVertex& v : q) {
            low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y),
                   std::min(low.z, v.position.z)};
            high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y),
                    std::max(high.z, v.position.z)};
        }
    }
    return {low, high};
}

const double kBevel = 1.0 / std::sqrt(2.0);

}  // namespace

TEST(Block, StartsWhiteStandingAndWithoutShadow) {
    Block block("Block", Sized(0.9, 1, 0.39), 0.1, 0.2, 0.3, 0.4, 0.5);
    EXPECT_EQ(block.color[0], 1.0f);
    EXPECT_EQ(block.color[1], 1.0f);
    EXPECT_EQ(block.color[2], 1.0f);
    EXPECT_EQ(block.fade, 1.0f);
    EXPECT_FALSE(block.fading);
    EXPECT_FALSE(block.casts_shadow);
    EXPECT_TRUE(Near(block.initial_state.scale, Vector3d(0.9, 1, 0.39), 0.0));
    EXPECT_EQ(block.max_squash, 0.1);
    EXPECT_EQ(block.restitution, 0.5);
    EXPECT_EQ(block.half_extent, 1.0);
}

TEST_F(BlockDrawing, DrawsFivePlainFacesTheInsetFrontAndFourBevels) {
    Block block("Block", SimState(), 1, 1, 1, 1, 1);
    block.Set_Color(0.25f, 0.5f, 0.75f);
    const auto quads = Draw_Quads(block);
    ASSERT_EQ(quads.size(), 10u);
    const std::vector<std::vector<Vector3d>> corners = {
        {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}},
        {{-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}},
        {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}},
        {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},
        {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}},
        {{0.8, -1.2, 0.8}, {-0.8, -1.2, 0.8}, {-0.8, -1.2, -0.8}, {0.8, -1.2, -0.8}},
        {{-0.8, -1.2, 0.8}, {0.8, -1.2, 0.8}, {1, -1, 1}, {-1, -1, 1}},
        {{0.8, -1.2, -0.8}, {-0.8, -1.2, -0.8}, {-1, -1, -1}, {1, -1, -1}},
        {{-0.8, -1.2, -0.8}, {-0.8, -1.2, 0.8}, {-1, -1, 1}, {-1, -1, -1}},
        {{0.8, -1.2, 0.8}, {0.8, -1.2, -0.8}, {1, -1, -1}, {1, -1, 1}},
    };
    const Vector3d normals[10] = {{1, 0, 0},
                                  {-1, 0, 0},
                                  {0, 1, 0},
                                  {0, 0, 1},
                                  {0, 0, -1},
                                  {0, -1, 0},
                                  {0, -kBevel, kBevel},
                                  {0, -kBevel, -kBevel},
                                  {-kBevel, -kBevel, 0},
                                  {kBevel, -kBevel, 0}};
    for (int f = 0; f < 10; ++f) {
        EXPECT_TRUE(Same_Corners(Corners(quads[f]), corners[f])) << "quad " << f;
        for (const FeedbackVertex& v : quads[f]) {
            EXPECT_TRUE(Near(v.normal, normals[f], 1e-6)) << "quad " << f;
            EXPECT_FLOAT_EQ(v.color[0], 0.25f);
            EXPECT_FLOAT_EQ(v.color[1], 0.5f);
            EXPECT_FLOAT_EQ(v.color[2], 0.75f);
            EXPECT_FLOAT_EQ(v.color[3], 1.0f);
        }
    }
}

TEST_F(BlockDrawing, StandingBlockKeepsItsSizeWhateverItsFade) {
    Block block("Block", Sized(2, 1, 0.5), 1, 1, 1, 1, 1);
    block.state.position = Vector3d(1, 0, 3);
    block.fade = 3.0f;
    const auto [low, high] = Extent(Draw_Quads(block));
    EXPECT_TRUE(Near(low, Vector3d(-1, -1.2, 2.5), 1e-5));
    EXPECT_TRUE(Near(high, Vector3d(3, 1, 3.5), 1e-5));
}

TEST_F(BlockDrawing, FadingBlockSpreadsFlattensThenNarrowsAndGrowsTall) {
    struct Case {
        float fade;
        Vector3d half_size;  // of the plain box, worked out from fade^2 / 7, 0.9 and 5 - fade^2 / 2
    };
    // Scale (1, 2, 3): fade 3 gives 9/7, 1.8, 1.5; fade 1 gives 1/7, 1.8, 13.5; fade 0.5 gives
    // 1/28, 1.8, 14.625. The y figure uses 0.9 in single precision.
    const double y = 2 * static_cast<double>(0.9f);
    const Case cases[] = {
        {3.0f, {9.0 / 7, y, 1.5}}, {1.0f, {1.0 / 7, y, 13.5}}, {0.5f, {1.0 / 28, y, 14.625}}};
    for (const Case& c : cases) {
        Block block("Block", Sized(1, 2, 3), 1, 1, 1, 1, 1);
        block.fading = true;
        block.fade = c.fade;
        const auto quads = Draw_Quads(block);
        ASSERT_EQ(quads.size(), 10u);
        // The +x face's first corner is the box's (1, 1, 1) corner.
        EXPECT_TRUE(Near(quads[0][0].position, c.half_size, 1e-5)) << "fade " << c.fade;
    }
}

TEST_F(BlockDrawing, FadeDimsTheColourAndOpacityAndClampsAboveOne) {
    Block block("Block", SimState(), 1, 1, 1, 1, 1);
    block.Set_Color(0.25f, 0.5f, 0.75f);
    block.fade = 0.5f;
    for (const auto& quad : Draw_Quads(block)) {
        for (const FeedbackVertex& v : quad) {
            EXPECT_FLOAT_EQ(v.color[0], 0.125f);
            EXPECT_FLOAT_EQ(v.color[1], 0.25f);
            EXPECT_FLOAT_EQ(v.color[2], 0.375f);
            EXPECT_FLOAT_EQ(v.color[3], 0.5f);
        }
    }
    // A hit block: 3 times the colour, as far as OpenGL's 0 ... 1 range goes.
    block.fade = 3.0f;
    const auto lit = Draw_Quads(block);
    ASSERT_FALSE(lit.empty());
    EXPECT_FLOAT_EQ(lit[0][0].color[0], 0.75f);
    EXPECT_FLOAT_EQ(lit[0][0].color[1], 1.0f);
    EXPECT_FLOAT_EQ(lit[0][0].color[2], 1.0f);
    EXPECT_FLOAT_EQ(lit[0][0].color[3], 1.0f);
}

TEST_F(BlockDrawing, LeavesBlendingOnForWhateverIsDrawnAfterIt) {
    Block block("Block", SimState(), 1, 1, 1, 1, 1);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_NORMALIZE);
    block.Draw();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
}
