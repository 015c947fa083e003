// The main window and a parameter window in this process on the test display, driven by real key
// and pointer events (xdotool): the first values, what each key and slider does to the scene.
#include <gtest/gtest.h>
// After the test framework: the X headers define None, a name the framework uses itself.
#include <FL/Fl.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Select_Browser.H>
#include <FL/Fl_Value_Slider.H>
#include <FL/x.H>

#include <cmath>

#include "app/main_window.h"
#include "app/object_data_window.h"
#include "app/window_scene_view.h"
#include "scene_fixture.h"
#include "support/gl_window.h"

// The scene in the program's main window.
struct MainWindow : SceneTest {
    SceneView* View() override {
        EXPECT_TRUE(Test_Display_Is_Up());
        Build_Main_Window();
        window_view = std::make_unique<WindowSceneView>(*g_pRenderWindow, *g_pObjectBrowser);
        return window_view.get();
    }
    SceneTimers* Timers() override { return &toolkit_timers; }
    std::unique_ptr<WindowSceneView> window_view;
    ToolkitTimers toolkit_timers;
};

TEST_F(MainWindow, StartsStillAndEachKeyAndSliderWorksItsControl) {
    ASSERT_TRUE(Show_And_Wait(*g_pMainWindow));
    // Sends the events, then runs the toolkit until the simulator's clock reads `time`.
    const auto send = [](const std::string& events, std::function<bool()> done) {
        return std::system(("timeout 60 xdotool " + events).c_str()) == 0 && Run_Until(done, 60);
    };
    const auto at = [](double time) {
        return [time] { return std::fabs(g_pSimulator->time - time) < 1e-12; };
    };
    auto* time_scale = static_cast<Fl_Value_Slider*>(g_pMainWindow->child(6));
    char shown[2][16];
    time_scale->format(shown[0]);
    g_pFrameSkipSlider->format(shown[1]);
    EXPECT_EQ(std::string(time_scale->label()) + " " + shown[0] + ", skip " + shown[1] + ", " +
                  g_pObjectBrowser->text(g_pObjectBrowser->size()),
              "Time Scale 1.00, skip 0, Ball");
    EXPECT_TRUE(g_pCaptureButton->value() == 0 && g_pGravityButton->value() == 1);
    EXPECT_FALSE(g_bPlaying || Fl::has_timeout(Play_Tick));

    const double tick = g_fTickPeriod;
    const auto stopped = [] { return !g_bPlaying && !Fl::has_timeout(Play_Tick); };
    ASSERT_TRUE(
        send("windowfocus --sync " + std::to_string(fl_xid(g_pMainWindow)) + " key t", at(tick)));
    ASSERT_TRUE(send("key r", at(0.0)));
    ASSERT_TRUE(send("key p", [] { return g_bPlaying && g_pSimulator->time > 0.1; }));
    ASSERT_TRUE(send("key p", stopped));  // a second press stops, a third plays again
    const double stopped_at = g_pSimulator->time;
    ASSERT_TRUE(send("key p", [&] { return g_pSimulator->time > stopped_at + 0.1; }));
    ASSERT_TRUE(send("key s", stopped));
    ASSERT_TRUE(send("key g", [] { return g_pSimulator->gravity.z == 0.0; }));
    ASSERT_TRUE(send("key g", [] { return g_pSimulator->gravity.z == -9.8; }));
    ASSERT_TRUE(send("key i", [] { return g_pCaptureButton->value() == 1; }));
    ASSERT_TRUE(send("key i r", [] { return g_pCaptureButton->value() == 0; }));
    // The time scale sets the step: 1/6000 s at 0.01, 1/30 s more at 2. Step runs no game rule.
    g_apBlocks[0]->fading = true;
    for (double scale : {0.01, 2.0}) {
        time_scale->value(scale);
        time_scale->do_callback();
        ASSERT_TRUE(send("key t", at(tick * (scale == 2.0 ? 2.01 : 0.01))));
    }
    EXPECT_EQ(g_apBlocks[0]->fade, 1.0f);

    // Each selection of the ball opens a further window of its parameters, whose sliders write
    // into it and start the scene over: Restitution clicked at its left end, Stretch Rate both
    // rates. Max stretch 1 puts the first slider at its left end.
    g_pBall->max_stretch = 1.0;
    g_pObjectBrowser->select(1);
    g_pObjectBrowser->do_callback();
    g_pObjectBrowser->do_callback();
    auto* window = dynamic_cast<ObjectDataWindow*>(Fl::first_window());
    ASSERT_TRUE(window != nullptr && dynamic_cast<ObjectDataWindow*>(Fl::next_window(window)));
    ASSERT_TRUE(Show_And_Wait(*window));
    EXPECT_EQ(std::string(window->label()) + " " + std::to_string(window->h()), "Ball 185");
    const auto slider = [&](int i) { return static_cast<Fl_Value_Slider*>(window->child(i)); };
    EXPECT_TRUE(slider(0)->value() == slider(0)->minimum() && slider(2)->value() == 0.45);
    ASSERT_TRUE(
        send("mousemove --window " + std::to_string(fl_xid(window)) + " 46 150 click 1", at(0.0)));
    EXPECT_LT(g_pBall->restitution, 0.1);
    Step_Callback(nullptr, nullptr);
    slider(1)->value(0.5);
    slider(1)->do_callback();
    EXPECT_TRUE(at(0.0)() && g_pBall->stretch_rate == 0.5 && g_pBall->squash_rate == 0.5);
    Stop_Callback(nullptr, nullptr);
}
