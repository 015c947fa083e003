// A contact's squash and stretch at instants worked out by hand.
#include "sim/contact_timetable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

// Down a quarter sine from the impact stretch, up a quarter cosine to the release stretch; a phase
// of no time is skipped.
TEST(ContactTimetable, ScaleFollowsAQuarterSineDownAndAQuarterCosineUp) {
    const double k = std::sqrt(0.5);  // the sine and cosine of half a phase
    const struct {
        ContactTimetable timetable;  // start, squash, release; impact, squash, release scales
        std::vector<std::pair<double, double>> scales;  // at a time
    } rows[] = {
        {{2, 0.5, 1, 1.2, 0.6, 1.4},
         {{2, 1.2}, {2.25, 1.2 - 0.6 * k}, {2.5, 0.6}, {3, 1.4 - 0.8 * k}, {3.5, 1.4}}},
        {{1, 0, 0.5, 1.3, 0.7, 1.1}, {{1, 0.7}, {1.25, 1.1 - 0.4 * k}, {1.5, 1.1}}},
        {{1, 0.5, 0, 1.3, 0.7, 1.1}, {{1.25, 1.3 - 0.6 * k}, {1.5, 1.1}}},
        {{1, 0, 0, 1.3, 0.7, 1.1}, {{1, 1.1}}},
    };
    for (const auto& row : rows) {
        for (const auto& [time, scale] : row.scales) {
            EXPECT_NEAR(row.timetable.Scale_At(time), scale, 1e-12)
                << "at " << time << " of a contact ending at " << row.timetable.End();
        }
    }
}
