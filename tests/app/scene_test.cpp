// The block layouts of seed 1234 against the C library's drand48, which implements the same
// POSIX generator independently.
#include <cstdlib>
#include <string>

#include "scene_fixture.h"

TEST_F(SceneTest, TheLayoutsAreThoseOfTheGeneratorSeededWith1234) {
    // Per row three colour draws onto [40, 120) / 120, then one a column: below 1/2 it stands.
    srand48(1234);
    for (int layout = 0; layout < 8; ++layout) {
        if (layout > 0) {
            Clear_Grid_Except();
            New_Block_Layout();
        }
        int standing = 0;
        float colour[3];
        for (int i = 0; i < kBlockCount; ++i) {
            for (int k = 0; i % 5 == 0 && k < 3; ++k) {
                colour[k] = static_cast<float>((40.0 + 80.0 * drand48()) / 120.0);
            }
            const Block& block = *g_apBlocks[i];
            const bool stands = drand48() < 0.5;
            const std::string where =
                "layout " + std::to_string(layout) + ", block " + std::to_string(i);
            standing += stands;
            EXPECT_EQ(Is_Active(&block), stands) << where;
            ASSERT_EQ(view.Times_Shown(&block), stands ? 1 : 0) << where;
            for (int k = 0; stands && k < 3; ++k) {
                EXPECT_FLOAT_EQ(block.color[k], colour[k]) << where;
            }
            EXPECT_TRUE(!stands || (block.fade == 1.0f && !block.fading)) << where;
        }
        EXPECT_EQ(g_nBlocksLeft, standing);
        EXPECT_EQ(events.layouts, layout + 1);
    }
}
