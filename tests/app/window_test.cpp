// The main window and the parameter windows in this process on the test display, driven by real
// key and pointer events (xdotool): the controls' first values, what each key does to the scene,
// and the parameter windows the "Ball" entry opens.
#include <gtest/gtest.h>
// After the test framework: the X headers define None, a name the framework uses itself.
#include <FL/Fl.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Select_Browser.H>
#include <FL/Fl_Value_Slider.H>
#include <FL/x.H>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/object_data_window.h"
#include "app/window_scene_view.h"
#include "render/render_window.h"
#include "scene_fixture.h"
#include "support/gl_window.h"

namespace {

// The scene in the program's main window, shown and given the keyboard focus.
class MainWindow : public SceneTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Test_Display_Is_Up());
        Build_Main_Window();
        SceneTest::SetUp();
        ASSERT_TRUE(Show_And_Wait(*g_pMainWindow));
        ASSERT_TRUE(Send("windowfocus --sync " + Id(g_pMainWindow), [] { return true; }));
    }
    void TearDown() override {
        Stop_Callback(nullptr, nullptr);
        SceneTest::TearDown();
        delete g_pMainWindow;
    }
    SceneView* View() override {
        window_view_ = std::make_unique<WindowSceneView>(*g_pRenderWindow, *g_pObjectBrowser);
        return window_view_.get();
    }
    SceneTimers* Timers() override { return &toolkit_timers_; }

    static std::string Id(Fl_Window* window) { return std::to_string(fl_xid(window)); }
    // Sends the events with xdotool, then runs the toolkit until `done` holds.
    static ::testing::AssertionResult Send(const std::string& events, std::function<bool()> done) {
        if (std::system(("timeout 60 xdotool " + events).c_str()) != 0 || !Run_Until(done, 60)) {
            return ::testing::AssertionFailure() << "nothing came of xdotool " << events;
        }
        return ::testing::AssertionSuccess();
    }
    // The widget of `group` labelled `label`.
    template <typename Widget>
    static Widget* Find(Fl_Group* group, const std::string& label) {
        for (int i = 0; i < group->children(); ++i) {
            if (group->child(i)->label() != nullptr && label == group->child(i)->label()) {
                return dynamic_cast<Widget*>(group->child(i));
            }
        }
        return nullptr;
    }
    static bool Time_Is(double t) { return std::fabs(g_pSimulator->time - t) < 1e-12; }

    std::unique_ptr<WindowSceneView> window_view_;
    ToolkitTimers toolkit_timers_;
};

}  // namespace

TEST_F(MainWindow, StartsStillAndEveryKeyWorksItsControl) {
    EXPECT_STREQ(g_pMainWindow->label(), "Tovrel Demo");
    EXPECT_EQ(std::make_pair(g_pMainWindow->w(), g_pMainWindow->h()), std::make_pair(1024, 800));
    auto* time_scale = Find<Fl_Value_Slider>(g_pMainWindow, "Time Scale");
    ASSERT_NE(time_scale, nullptr);
    char shown[2][16];
    time_scale->format(shown[0]);
    g_pFrameSkipSlider->format(shown[1]);
    EXPECT_EQ(std::string(shown[0]) + " " + shown[1], "1.00 0");
    EXPECT_TRUE(g_pCaptureButton->value() == 0 && g_pGravityButton->value() == 1);
    ASSERT_EQ(g_pObjectBrowser->size(), 1);
    EXPECT_STREQ(g_pObjectBrowser->text(1), "Ball");
    EXPECT_EQ(g_pObjectBrowser->data(1), static_cast<SimObject*>(g_pBall.get()));
    EXPECT_FALSE(g_bPlaying || Fl::has_timeout(Play_Tick));

    const double tick = g_fTickPeriod;
    const auto stopped = [] { return !g_bPlaying && !Fl::has_timeout(Play_Tick); };
    ASSERT_TRUE(Send("key t", [&] { return Time_Is(tick); }));
    ASSERT_TRUE(Send("key r", [] { return Time_Is(0.0); }));
    ASSERT_TRUE(Send("key p", [] { return g_bPlaying && g_pSimulator->time > 0.1; }));
    ASSERT_TRUE(Send("key p", stopped));  // a second press stops, a third plays again
    const double stopped_at = g_pSimulator->time;
    ASSERT_TRUE(Send("key p", [&] { return g_pSimulator->time > stopped_at + 0.1; }));
    ASSERT_TRUE(Send("key s", stopped));
    ASSERT_TRUE(Send("key g", [] { return g_pSimulator->gravity.z == 0.0; }));
    ASSERT_TRUE(Send("key g", [] { return g_pSimulator->gravity.z == -9.8; }));
    ASSERT_TRUE(Send("key i", [] { return g_pCaptureButton->value() == 1; }));
    ASSERT_TRUE(Send("key i", [] { return g_pCaptureButton->value() == 0; }));
    // The time scale sets the step: 1/6000 s at 0.01, 1/30 s at 2. A step runs no game rule.
    ASSERT_TRUE(Send("key r", [] { return Time_Is(0.0); }));
    g_apBlocks[0]->fading = true;
    g_apBlocks[0]->fade = 2.0f;
    time_scale->value(0.01);
    time_scale->do_callback();
    ASSERT_TRUE(Send("key t", [&] { return Time_Is(tick * 0.01); }));
    time_scale->value(2.0);
    time_scale->do_callback();
    ASSERT_TRUE(Send("key t", [&] { return Time_Is(tick * 2.01); }));
    EXPECT_EQ(g_apBlocks[0]->fade, 2.0f);
}

TEST_F(MainWindow, TheBallsEntryOpensAParameterWindowEachTimeWhoseSlidersStartTheSceneOver) {
    g_pBall->max_stretch = 1.0;  // the first slider's left end
    g_pBall->restitution = 0.8;
    g_pObjectBrowser->select(1);
    g_pObjectBrowser->do_callback();
    g_pObjectBrowser->do_callback();  // every selection opens a further window
    std::vector<ObjectDataWindow*> windows;  // newest first
    for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
        if (auto* window = dynamic_cast<ObjectDataWindow*>(w)) {
            windows.push_back(window);
        }
    }
    ASSERT_EQ(windows.size(), 2u);
    ObjectDataWindow* window = windows.front();
    ASSERT_TRUE(Show_And_Wait(*window));
    EXPECT_STREQ(window->label(), "Ball");
    EXPECT_EQ(std::make_pair(window->w(), window->h()), std::make_pair(200, 185));
    const struct {
        const char* label;
        double value, low, high;
    } sliders[] = {{"Max Stretch", 1.0, 1.0, 3.0},
                   {"Stretch Rate", 0.25, 0.0, 2.0},
                   {"Max Squash", 0.45, 0.1, 1.0},
                   {"Restitution", 0.8, 0.0, 1.0}};
    for (int i = 0; i < 4; ++i) {
        const auto* slider = Find<Fl_Value_Slider>(window, sliders[i].label);
        ASSERT_NE(slider, nullptr) << sliders[i].label;
        EXPECT_EQ(std::make_pair(slider->y(), slider->w()), std::make_pair(5 + 45 * i, 190));
        EXPECT_EQ(slider->value(), sliders[i].value) << sliders[i].label;
        EXPECT_EQ(std::make_pair(slider->minimum(), slider->maximum()),
                  std::make_pair(sliders[i].low, sliders[i].high))
            << sliders[i].label;
    }
    // A click at the left of Restitution's track writes about 0 into the ball and starts the
    // scene over; Stretch Rate sets both rates.
    Step_Callback(nullptr, nullptr);
    ASSERT_TRUE(
        Send("mousemove --window " + Id(window) + " 46 150 click 1", [] { return Time_Is(0); }));
    EXPECT_LT(g_pBall->restitution, 0.1);
    auto* rate = Find<Fl_Value_Slider>(window, "Stretch Rate");
    Step_Callback(nullptr, nullptr);
    rate->value(0.5);
    rate->do_callback();
    EXPECT_TRUE(Time_Is(0.0));
    EXPECT_TRUE(g_pBall->stretch_rate == 0.5 && g_pBall->squash_rate == 0.5);
    EXPECT_TRUE(g_pBall->max_stretch == 1.0 && g_pBall->max_squash == 0.45);
}
