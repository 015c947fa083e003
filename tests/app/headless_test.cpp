// The run without a window: its simulated clock, its tick count, the room check, the printed
// events against the summary, and a soak of several simulated minutes of the attract mode with
// the game's bookkeeping checked after every tick.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "app/autopilot.h"
#include "app/headless_run.h"
#include "headless_scene.h"

namespace {

std::vector<int> g_Calls;

void Record(void* user) {
    g_Calls.push_back(static_cast<int>(reinterpret_cast<intptr_t>(user)));
}

void* As_User(int value) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(value));
}

}  // namespace

TEST(SimulatedTimers, RunInTheOrderTheyFallDueAndTiesInTheOrderAdded) {
    g_Calls.clear();
    SimulatedTimers timers;
    timers.Add_Timeout(2.0, Record, As_User(2));
    timers.Add_Timeout(1.0, Record, As_User(1));
    timers.Add_Timeout(2.0, Record, As_User(3));
    EXPECT_EQ(timers.Next(), Record);
    EXPECT_TRUE(timers.Has_Timeout(Record));
    while (timers.Run_Next() != nullptr) {
    }
    EXPECT_EQ(g_Calls, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(timers.Now(), 2.0);
    EXPECT_FALSE(timers.Has_Timeout(Record));
    EXPECT_EQ(timers.Next(), nullptr);
}

namespace {

SimulatedTimers* g_pRepeating = nullptr;
int g_nRepeats = 0;

void Repeat_Three_Times(void*) {
    if (++g_nRepeats < 3) {
        g_pRepeating->Repeat_Timeout(0.5, Repeat_Three_Times, nullptr);
    }
}

}  // namespace

TEST(SimulatedTimers, ARepeatingTimerKeepsItsPeriodAndALaterOneFitsBetween) {
    SimulatedTimers timers;
    g_pRepeating = &timers;
    g_nRepeats = 0;
    timers.Add_Timeout(0.5, Repeat_Three_Times, nullptr);
    timers.Run_Next();
    timers.Add_Timeout(0.25, Record, As_User(7));  // from 0.5: due at 0.75, before the 1.0 repeat
    g_Calls.clear();
    EXPECT_EQ(timers.Run_Next(), Record);
    EXPECT_EQ(timers.Now(), 0.75);
    EXPECT_EQ(timers.Run_Next(), Repeat_Three_Times);
    EXPECT_EQ(timers.Now(), 1.0);
    EXPECT_EQ(timers.Run_Next(), Repeat_Three_Times);
    EXPECT_EQ(timers.Now(), 1.5);
    EXPECT_EQ(g_nRepeats, 3);
    EXPECT_EQ(timers.Run_Next(), nullptr);
}

TEST(Headless, CountsTicksAtSixtyASecond) {
    EXPECT_EQ(Ticks_For(3600), 216000);
    EXPECT_EQ(Ticks_For(1), 60);
    EXPECT_EQ(Ticks_For(0.01), 1);  // any time at all takes a tick
    EXPECT_EQ(Ticks_For(1.0 / 60 + 1e-3), 2);
}

TEST(Headless, TheBallMayBeInTheRoomOrAboveTheSlabAndNowhereElse) {
    // Inside: between the walls' faces at x = +-5.9, under the ceiling's at 11.5, before the back
    // wall's at y = 1.
    EXPECT_TRUE(Ball_Within_Bounds({0.0, 0.0, 5.0}));
    EXPECT_TRUE(Ball_Within_Bounds({5.89, 0.0, 11.49}));
    EXPECT_FALSE(Ball_Within_Bounds({5.91, 0.0, 5.0}));   // in the right wall
    EXPECT_FALSE(Ball_Within_Bounds({-6.5, 0.0, 5.0}));   // beyond the left one
    EXPECT_FALSE(Ball_Within_Bounds({0.0, 0.0, 11.51}));  // in the ceiling
    EXPECT_FALSE(Ball_Within_Bounds({0.0, 1.01, 5.0}));   // in the back wall
    // Below the walls' lower edges (z = -0.5) it may fall anywhere onto the slab (top -7.9).
    EXPECT_TRUE(Ball_Within_Bounds({8.0, 0.0, -0.6}));
    EXPECT_TRUE(Ball_Within_Bounds({-24.0, 9.9, -7.8}));
    EXPECT_FALSE(Ball_Within_Bounds({0.0, 0.0, -7.95}));  // through the slab
    EXPECT_FALSE(Ball_Within_Bounds({24.2, 0.0, -5.0}));  // past its edge
    // Out through the open front it can only fall onto the slab too.
    EXPECT_TRUE(Ball_Within_Bounds({7.0, -3.0, 9.0}));
    EXPECT_FALSE(Ball_Within_Bounds({0.0, -10.5, 2.0}));
}

namespace {

// Runs the program's headless loop and returns its printed lines.
std::string Run_And_Print(const HeadlessOptions& options, HeadlessSummary& summary) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(TOVREL_SOURCE_DIR) / "data");
    std::FILE* out = std::tmpfile();
    summary = Run_Headless(options, out);
    std::filesystem::current_path(previous);
    std::rewind(out);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) {
        text.append(buffer, n);
    }
    std::fclose(out);
    return text;
}

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(Headless, PrintsOneLinePerEventAndASummaryThatAddsThemUp) {
    HeadlessOptions options;
    options.seconds = 120;
    options.autopilot = true;
    HeadlessSummary summary;
    const std::string text = Run_And_Print(options, summary);

    EXPECT_EQ(summary.ticks, 7200);
    EXPECT_NEAR(summary.simulated_seconds, 120.0, 1e-3);
    EXPECT_GT(summary.blocks_cleared, 0);
    EXPECT_EQ(Count(text, " removed, "), summary.blocks_cleared);
    EXPECT_GE(Count(text, " hit (row "), summary.blocks_cleared);
    EXPECT_EQ(Count(text, "new layout of "), summary.layouts);
    EXPECT_EQ(Count(text, "ball restored"), summary.balls_restored);
    EXPECT_EQ(Count(text, "  reset"), summary.resets);
    EXPECT_EQ(summary.balls_lost, 0);
    // The first line is the first layout, drawn before the clock starts.
    EXPECT_EQ(text.rfind("     0.000 s  tick       0  new layout of ", 0), 0u)
        << text.substr(0, 80);

    std::ostringstream last;
    last << "headless: 7200 ticks, 120.000 s simulated in ";
    const size_t summary_at = text.rfind("headless: ");
    ASSERT_NE(summary_at, std::string::npos);
    EXPECT_EQ(text.compare(summary_at, last.str().size(), last.str()), 0)
        << text.substr(summary_at);
    EXPECT_NE(text.find(std::to_string(summary.blocks_cleared) + " blocks cleared, " +
                            std::to_string(summary.layouts) + " layouts, " +
                            std::to_string(summary.resets) + " resets",
                        summary_at),
              std::string::npos);
}

namespace {

class Soak : public HeadlessScene {
protected:
    SceneView* Scene_View() override { return &autopilot; }

    // The game's bookkeeping agrees with what is shown and simulated.
    ::testing::AssertionResult Consistent() const {
        int shown_blocks = 0;
        for (const auto& block : g_apBlocks) {
            const int shown = view.Times_Shown(block.get());
            if (shown > 1) {
                return ::testing::AssertionFailure()
                       << "block " << block->grid_index << " is drawn " << shown << " times";
            }
            const bool standing = shown == 1 && !block->fading;
            if (Is_Active(block.get()) != standing) {
                return ::testing::AssertionFailure()
                       << "block " << block->grid_index
                       << (standing ? " stands but is inactive" : " is active but not standing");
            }
            shown_blocks += shown;
        }
        if (shown_blocks != g_nBlocksLeft) {
            return ::testing::AssertionFailure()
                   << g_nBlocksLeft << " blocks left, but " << shown_blocks << " shown";
        }
        if (view.Times_Shown(g_pBall.get()) != (Is_Active(g_pBall.get()) ? 1 : 0)) {
            return ::testing::AssertionFailure() << "the ball is shown but not simulated, or the "
                                                    "other way round";
        }
        const SimState& ball = g_pBall->state;
        if (!Ball_Within_Bounds(ball.position)) {
            return ::testing::AssertionFailure()
                   << "the ball left the room at (" << ball.position.x << ", " << ball.position.y
                   << ", " << ball.position.z << "), simulator time " << g_pSimulator->time;
        }
        const int waiting = events.layouts - 1 - events.restores;
        if (waiting != (timers.Has_Timeout(Restore_Ball) ? 1 : 0)) {
            return ::testing::AssertionFailure()
                   << events.layouts << " layouts but " << events.restores << " serves";
        }
        return ::testing::AssertionSuccess();
    }

    AutopilotView autopilot{view};
};

constexpr long kSoakTicks = 10 * 60 * 60;  // ten simulated minutes

}  // namespace

TEST_F(Soak, TenMinutesOfTheAttractModeKeepTheGameInOrder) {
    for (long tick = 1; tick <= kSoakTicks; ++tick) {
        Tick();
        ASSERT_TRUE(Consistent()) << "after tick " << tick;
    }
    // Blocks go, layouts are cleared and the ball is served again; it rarely falls.
    EXPECT_GT(events.removed.size(), 50u);
    EXPECT_GE(events.layouts, 3);
    EXPECT_LT(events.slab_resets, 10);
}
