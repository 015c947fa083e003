// The scene as built: every body in its place, and the first block layouts of seed 1234 against
// the C library's drand48 as an independent generator.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "headless_scene.h"

namespace {

struct ExpectedRow {
    float color[3];
    bool standing[kGridColumns];
};
using ExpectedLayout = std::array<ExpectedRow, kGridRows>;

// Row by row: three colour draws mapped from [0, 1) onto [40, 120) / 120, then one draw per
// column, below one half for a standing block.
ExpectedLayout Next_Expected_Layout() {
    ExpectedLayout layout;
    for (ExpectedRow& row : layout) {
        for (float& component : row.color) {
            component = static_cast<float>((40.0 + 80.0 * drand48()) / 120.0);
        }
        for (bool& standing : row.standing) {
            standing = drand48() < 0.5;
        }
    }
    return layout;
}

using SceneBuilt = HeadlessScene;

}  // namespace

TEST_F(SceneBuilt, EveryBodyIsInItsPlaceWithItsSimIndex) {
    const char* names[] = {"Left Wall", "Right Wall", "Ceiling", "Back Wall",
                           "Reset",     "Ball",       "Paddle"};
    ASSERT_EQ(g_pSimulator->objects.size(), 32u);
    for (int i = 0; i < kBlockCount; ++i) {
        EXPECT_EQ(g_pSimulator->objects[i], g_apBlocks[i].get());
        EXPECT_STREQ(g_apBlocks[i]->name, "Block");
        EXPECT_EQ(g_apBlocks[i]->grid_index, i);
    }
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(g_pSimulator->objects[25 + i]->name, names[i]);
    }

    // Blocks 1.8 apart across, about 0.7733 apart from z = 9.5467 at the top row down.
    const double xs[] = {-3.6, -1.8, 0.0, 1.8, 3.6};
    const double zs[] = {9.54667, 8.77333, 8.0, 7.22667, 6.45333};
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const SimState& s = g_apBlocks[5 * r + c]->state;
            EXPECT_EQ(s.mode, SimMode::Fixed);
            EXPECT_NEAR(s.position.x, xs[c], 1e-6);
            EXPECT_NEAR(s.position.z, zs[r], 1e-5);
            EXPECT_NEAR(s.scale.x, 0.9, 1e-6);
            EXPECT_NEAR(s.scale.z, 0.386667, 1e-6);
        }
    }
    // Walls 12 units apart, 12 high, ceiling at 11.6, all a little thicker than they look.
    EXPECT_NEAR(g_pLeftWall->state.position.x, -6.0, 0.0);
    EXPECT_NEAR(g_pRightWall->state.position.x, 6.0, 0.0);
    EXPECT_NEAR(g_pLeftWall->state.scale.z, 6.0000002, 1e-7);
    EXPECT_NEAR(g_pCeiling->state.position.z, 11.6, 1e-6);
    EXPECT_NEAR(g_pCeiling->state.scale.x, 6.1, 1e-8);
    EXPECT_NEAR(g_pBackWall->state.position.y, 1.1, 0.0);
    EXPECT_EQ(g_pBackWall->subdivisions, 5);
    EXPECT_NEAR(g_pResetSlab->state.position.z, -8.0, 0.0);
    EXPECT_NEAR(g_pResetSlab->state.scale.x, 24.1, 1e-8);

    EXPECT_EQ(g_pBall->state.mode, SimMode::Free);
    EXPECT_EQ(g_pBall->state.position.x, -4.0);
    EXPECT_EQ(g_pBall->state.position.z, 5.0);
    EXPECT_EQ(g_pBall->state.velocity.x, 7.0);
    EXPECT_EQ(g_pBall->state.velocity.z, -7.0);
    EXPECT_EQ(g_pBall->max_stretch, 1.9);
    EXPECT_EQ(g_pPaddle->state.mode, SimMode::Driven);
    EXPECT_EQ(g_pPaddle->state.scale.z, 0.1);
    EXPECT_EQ(g_pSimulator->time, 0.0);
    EXPECT_EQ(g_pSimulator->gravity.z, -9.8);

    // Only the ball can be edited; the view draws the newest first: paddle, ball, the room in
    // reverse, then the standing blocks.
    ASSERT_EQ(view.listed_bodies.size(), 1u);
    EXPECT_EQ(view.listed_bodies[0], g_pBall.get());
    auto drawn = view.drawables.begin();
    for (RenderObject* body : std::initializer_list<RenderObject*>{
             g_pPaddle.get(), g_pBall.get(), g_pResetSlab.get(), g_pBackWall.get(),
             g_pCeiling.get(), g_pRightWall.get(), g_pLeftWall.get()}) {
        ASSERT_NE(drawn, view.drawables.end());
        EXPECT_EQ(*drawn++, body);
    }
    EXPECT_EQ(static_cast<int>(std::distance(drawn, view.drawables.end())), g_nBlocksLeft);
}

TEST_F(SceneBuilt, TheFirstLayoutsAreThoseOfTheGeneratorSeededWith1234) {
    srand48(1234);
    for (int layout = 0; layout < 8; ++layout) {
        SCOPED_TRACE("layout " + std::to_string(layout));
        if (layout > 0) {
            Clear_Grid_Except();
            New_Block_Layout();
        }
        const ExpectedLayout expected = Next_Expected_Layout();
        int standing = 0;
        for (int r = 0; r < kGridRows; ++r) {
            for (int c = 0; c < kGridColumns; ++c) {
                SCOPED_TRACE("row " + std::to_string(r) + ", column " + std::to_string(c));
                const Block& block = *g_apBlocks[5 * r + c];
                const bool stands = expected[r].standing[c];
                standing += stands;
                EXPECT_EQ(Is_Active(&block), stands);
                EXPECT_EQ(view.Times_Shown(&block), stands ? 1 : 0);
                if (!stands) {
                    continue;
                }
                EXPECT_EQ(block.fade, 1.0f);
                EXPECT_FALSE(block.fading);
                for (int k = 0; k < 3; ++k) {
                    EXPECT_FLOAT_EQ(block.color[k], expected[r].color[k]);
                    EXPECT_GE(block.color[k], 1.0f / 3.0f);
                    EXPECT_LT(block.color[k], 1.0f);
                }
            }
        }
        EXPECT_EQ(g_nBlocksLeft, standing);
        EXPECT_EQ(events.layouts, layout + 1);
    }
}
