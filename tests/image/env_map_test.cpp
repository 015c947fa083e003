// The committed toon environment map: a sphere map of a few flat grey bands, a small highlight to
// the upper left, darkening towards a dark rim.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "image/image_buffer.h"
#include "image/tga.h"

namespace {

const std::string kPath = std::string(TOVREL_SOURCE_DIR) + "/data/textures/env_toonshade.tga";

// Grey level at (x, y) in [-1, 1]^2 from the image centre, y upwards.
int Level(const ImageBuffer& map, double x, double y) {
    const int column = static_cast<int>((x + 1.0) * 128.0);
    const int row = static_cast<int>((y + 1.0) * 128.0);
    return map.Get_Data()[(row * 256 + column) * 4];
}

}  // namespace

TEST(ToonEnvironmentMap, IsAnOpaqueGreySphereMapOfFewFlatBands) {
    ImageBuffer map;
    ASSERT_TRUE(map.Load_TGA(kPath.c_str()))
        << kPath << ": " << tga_error_message(tga_last_error());
    ASSERT_EQ(map.Get_Width(), 256);
    ASSERT_EQ(map.Get_Height(), 256);
    std::map<int, int> texels_of_level;
    for (int i = 0; i < 256 * 256; ++i) {
        const unsigned char* p = map.Get_Data() + 4 * i;
        ASSERT_EQ(p[3], 255);
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "texel " << i << " is not grey";
        ++texels_of_level[p[0]];
    }
    EXPECT_GE(texels_of_level.size(), 3u);
    EXPECT_LE(texels_of_level.size(), 5u);
}

TEST(ToonEnvironmentMap, SmallHighlightUpperLeftAndDarkRim) {
    ImageBuffer map;
    ASSERT_TRUE(map.Load_TGA(kPath.c_str()));
    // The brightest band: its centre lies up and to the left, and it covers a small patch.
    int brightest = 0;
    for (int i = 0; i < 256 * 256; ++i) {
        brightest = std::max<int>(brightest, map.Get_Data()[4 * i]);
    }
    double sum_x = 0, sum_y = 0;
    int count = 0;
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            if (map.Get_Data()[(row * 256 + column) * 4] == brightest) {
                sum_x += (column + 0.5) / 128.0 - 1.0;
                sum_y += (row + 0.5) / 128.0 - 1.0;
                ++count;
            }
        }
    }
    ASSERT_GT(count, 0);
    const double centre_x = sum_x / count, centre_y = sum_y / count;
    EXPECT_LT(centre_x, -0.1);
    EXPECT_GT(centre_y, 0.1);
    EXPECT_LT(count, 256 * 256 / 20) << "the highlight should be small";

    // Walking from the highlight to the rim in any direction the light only falls, and the walk
    // away from the light passes at least three bands. The rim is the darkest band everywhere.
    const int rim = Level(map, 0.99, 0.0);
    for (int step = 0; step < 16; ++step) {
        const double angle = step * M_PI / 8;
        const double edge_x = 0.99 * std::cos(angle), edge_y = 0.99 * std::sin(angle);
        int previous = 256;
        std::set<int> seen;
        for (int i = 0; i <= 200; ++i) {
            const double t = i / 200.0;
            const int level =
                Level(map, centre_x + t * (edge_x - centre_x), centre_y + t * (edge_y - centre_y));
            EXPECT_LE(level, previous) << "towards angle " << step << " pi / 8 at " << t;
            previous = level;
            seen.insert(level);
        }
        EXPECT_EQ(previous, rim) << "rim at angle " << step << " pi / 8";
        if (step == 13) {  // down and to the right, away from the light
            EXPECT_GE(seen.size(), 3u);
        }
    }
    EXPECT_LT(rim, Level(map, 0.0, 0.0));
}
