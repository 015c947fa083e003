// The main window and the parameter window in this process, on the test display: the controls'
// first values as shown, and what each control does to the scene.
#include <gtest/gtest.h>
// After the test framework: the X headers define None, a name the framework uses itself.
#include <FL/Fl.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Select_Browser.H>
#include <FL/Fl_Value_Slider.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "app/main_window.h"
#include "app/object_data_window.h"
#include "app/scene_random.h"
#include "app/window_scene_view.h"
#include "render/render_window.h"
#include "support/gl_window.h"

namespace {

// The widget of `group` (searched through its subgroups) whose label is `label`.
template <typename Widget>
Widget* Find(Fl_Group* group, const std::string& label) {
    for (int i = 0; i < group->children(); ++i) {
        Fl_Widget* child = group->child(i);
        if (child->label() != nullptr && label == child->label()) {
            return dynamic_cast<Widget*>(child);
        }
    }
    return nullptr;
}

std::string Shown_Value(Fl_Value_Slider* slider) {
    char text[128];
    slider->format(text);
    return text;
}

// The parameter windows open now, newest first.
std::vector<ObjectDataWindow*> Parameter_Windows() {
    std::vector<ObjectDataWindow*> windows;
    for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) {
        if (auto* data = dynamic_cast<ObjectDataWindow*>(w)) {
            windows.push_back(data);
        }
    }
    return windows;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Test_Display_Is_Up());
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(TOVREL_SOURCE_DIR) / "data");
        Seed_Random(1234);
        Build_Main_Window();
        view_ = std::make_unique<WindowSceneView>(*g_pRenderWindow, *g_pObjectBrowser);
        Build_Scene(view_.get(), &timers_);
        ASSERT_TRUE(Show_And_Wait(*g_pMainWindow));
    }

    void TearDown() override {
        Stop_Callback(nullptr, nullptr);
        Fl::remove_timeout(Restore_Ball);
        Destroy_Scene();
        delete g_pMainWindow;
        std::filesystem::current_path(previous_);
    }

    std::unique_ptr<WindowSceneView> view_;
    ToolkitTimers timers_;
    std::filesystem::path previous_;
};

}  // namespace

TEST_F(MainWindow, StartsStillWithEveryControlAtItsFirstValue) {
    EXPECT_STREQ(g_pMainWindow->label(), "Tovrel Demo");
    EXPECT_EQ(g_pMainWindow->w(), 1024);
    EXPECT_EQ(g_pMainWindow->h(), 800);
    auto* time_scale = Find<Fl_Value_Slider>(g_pMainWindow, "Time Scale");
    ASSERT_NE(time_scale, nullptr);
    EXPECT_EQ(Shown_Value(time_scale), "1.00");
    EXPECT_EQ(Shown_Value(g_pFrameSkipSlider), "0");
    EXPECT_EQ(g_pCaptureButton->value(), 0);
    EXPECT_EQ(g_pGravityButton->value(), 1);
    ASSERT_EQ(g_pObjectBrowser->size(), 1);
    EXPECT_STREQ(g_pObjectBrowser->text(1), "Ball");
    EXPECT_EQ(g_pObjectBrowser->data(1), static_cast<SimObject*>(g_pBall.get()));
    EXPECT_FALSE(g_bPlaying);
    // Nothing moves until Play or Step.
    Run_Until([] { return false; }, 0.2);
    EXPECT_EQ(g_pSimulator->time, 0.0);
}

TEST_F(MainWindow, PlayTogglesThePlayTimerAndStopStopsIt) {
    auto* play = Find<Fl_Button>(g_pMainWindow, "&Play");
    ASSERT_NE(play, nullptr);
    play->do_callback();
    EXPECT_TRUE(g_bPlaying);
    EXPECT_TRUE(Fl::has_timeout(Play_Tick));
    EXPECT_TRUE(Run_Until([] { return g_pSimulator->time > 0.1; }));
    play->do_callback();  // a second press stops
    EXPECT_FALSE(g_bPlaying);
    EXPECT_FALSE(Fl::has_timeout(Play_Tick));
    const double stopped_at = g_pSimulator->time;
    Run_Until([] { return false; }, 0.2);
    EXPECT_EQ(g_pSimulator->time, stopped_at);
    play->do_callback();  // and a third starts again
    EXPECT_TRUE(Run_Until([&] { return g_pSimulator->time > stopped_at; }));
    Find<Fl_Button>(g_pMainWindow, "&Stop")->do_callback();
    EXPECT_FALSE(g_bPlaying);
    EXPECT_FALSE(Fl::has_timeout(Play_Tick));
}

TEST_F(MainWindow, StepMovesOnATickTimesTheTimeScaleWithoutTheGameRules) {
    auto* time_scale = Find<Fl_Value_Slider>(g_pMainWindow, "Time Scale");
    time_scale->value(0.01);
    time_scale->do_callback();
    Block* fading = g_apBlocks[0].get();
    fading->fading = true;
    fading->fade = 2.0f;
    g_pRenderWindow->Update_Paddle_Speed();

    Find<Fl_Button>(g_pMainWindow, "S&tep")->do_callback();
    EXPECT_DOUBLE_EQ(g_pSimulator->time, g_fTickPeriod * 0.01);  // 1/6000 s
    EXPECT_EQ(fading->fade, 2.0f);
    time_scale->value(2.0);
    time_scale->do_callback();
    Find<Fl_Button>(g_pMainWindow, "S&tep")->do_callback();
    EXPECT_DOUBLE_EQ(g_pSimulator->time, g_fTickPeriod * 2.01);  // and 1/30 s more

    Find<Fl_Button>(g_pMainWindow, "&Reset")->do_callback();
    EXPECT_EQ(g_pSimulator->time, 0.0);
}

TEST_F(MainWindow, GravityAndCaptureTogglesReachTheSimulatorAndTheView) {
    g_pGravityButton->value(0);
    g_pGravityButton->do_callback();
    EXPECT_EQ(g_pSimulator->gravity.z, 0.0);
    g_pGravityButton->value(1);
    g_pGravityButton->do_callback();
    EXPECT_EQ(g_pSimulator->gravity.z, -9.8);

    // Capture every third frame into a scratch folder.
    const auto scratch = std::filesystem::temp_directory_path() /
                         ("tovrel-window-capture-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch / "images");
    std::filesystem::current_path(scratch);
    g_pFrameSkipSlider->value(3);
    g_pFrameSkipSlider->do_callback();
    g_pCaptureButton->value(1);
    g_pCaptureButton->do_callback();
    const int first = g_pRenderWindow->Frame_Count() + 1;
    for (int frame = 0; frame < 7; ++frame) {
        const int before = g_pRenderWindow->Frame_Count();
        g_pRenderWindow->redraw();
        ASSERT_TRUE(Run_Until([&] { return g_pRenderWindow->Frame_Count() > before; }));
    }
    g_pCaptureButton->value(0);
    g_pCaptureButton->do_callback();
    g_pRenderWindow->redraw();
    const int last = g_pRenderWindow->Frame_Count();
    ASSERT_TRUE(Run_Until([&] { return g_pRenderWindow->Frame_Count() > last; }));
    std::vector<int> captured;
    for (int frame = first - 1; frame <= last + 1; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "img%05d.tga", frame);
        if (std::filesystem::exists(scratch / "images" / name)) {
            captured.push_back(frame);
        }
    }
    std::filesystem::current_path(std::filesystem::path(TOVREL_SOURCE_DIR) / "data");
    std::filesystem::remove_all(scratch);
    // Only frames drawn while capture was on, every third of them.
    ASSERT_GE(captured.size(), 2u);
    EXPECT_GE(captured.front(), first);
    EXPECT_LE(captured.back(), last);
    for (size_t i = 1; i < captured.size(); ++i) {
        EXPECT_EQ(captured[i] - captured[i - 1], 3);
    }
}

TEST_F(MainWindow, SelectingTheBallOpensAFurtherParameterWindowEachTime) {
    ASSERT_TRUE(Parameter_Windows().empty());
    g_pObjectBrowser->select(1);
    g_pObjectBrowser->do_callback();
    auto windows = Parameter_Windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_STREQ(windows[0]->label(), "Ball");
    EXPECT_EQ(windows[0]->w(), 200);
    EXPECT_EQ(windows[0]->h(), 185);
    EXPECT_EQ(windows[0]->m_pObject, g_pBall.get());
    EXPECT_EQ(windows[0]->m_pfnChanged, Object_Changed_Callback);

    g_pObjectBrowser->do_callback();
    EXPECT_EQ(Parameter_Windows().size(), 2u);

    g_pObjectBrowser->deselect();
    g_pObjectBrowser->do_callback();  // nothing selected: nothing opens
    EXPECT_EQ(Parameter_Windows().size(), 2u);
}

namespace {

int g_nChanges = 0;
SimObject* g_pChanged = nullptr;

void Count_Change(SimObject* body) {
    ++g_nChanges;
    g_pChanged = body;
}

class ParameterWindow : public ::testing::Test {
protected:
    void SetUp() override {
        g_nChanges = 0;
        body_.max_stretch = 1.0;
        body_.stretch_rate = 0.25;
        body_.squash_rate = 1.0;
        body_.max_squash = 0.45;
        body_.restitution = 0.8;
        window_ = std::make_unique<ObjectDataWindow>(200, 200, &body_);
        window_->m_pfnChanged = Count_Change;
    }

    Fl_Value_Slider* Slider(const char* label) {
        return Find<Fl_Value_Slider>(window_.get(), label);
    }

    // Clicks at (x, y) inside the window with the real pointer, as a user would.
    ::testing::AssertionResult Click(int x, int y) {
        const std::string command = "xdotool mousemove --window " +
                                    std::to_string(fl_xid(window_.get())) + " " +
                                    std::to_string(x) + " " + std::to_string(y) + " click 1";
        if (std::system(command.c_str()) != 0) {
            return ::testing::AssertionFailure() << "failed: " << command;
        }
        return ::testing::AssertionSuccess();
    }

    SimObject body_{"Ball"};
    std::unique_ptr<ObjectDataWindow> window_;
};

}  // namespace

TEST_F(ParameterWindow, IsTitledByTheBodyAndShowsItsFourParameters) {
    EXPECT_STREQ(window_->label(), "Ball");
    EXPECT_EQ(window_->w(), 200);
    EXPECT_EQ(window_->h(), 185);
    const char* labels[] = {"Max Stretch", "Stretch Rate", "Max Squash", "Restitution"};
    const double values[] = {1.0, 0.25, 0.45, 0.8};
    const double lows[] = {1.0, 0.0, 0.1, 0.0};
    const double highs[] = {3.0, 2.0, 1.0, 1.0};
    for (int i = 0; i < 4; ++i) {
        Fl_Value_Slider* slider = Slider(labels[i]);
        ASSERT_NE(slider, nullptr) << labels[i];
        EXPECT_EQ(slider->y(), 5 + 45 * i);
        EXPECT_EQ(slider->w(), 190);
        EXPECT_EQ(slider->value(), values[i]);
        EXPECT_EQ(slider->minimum(), lows[i]);
        EXPECT_EQ(slider->maximum(), highs[i]);
    }
    // Max stretch 1 sits at the slider's left end.
    EXPECT_EQ(Slider("Max Stretch")->value(), Slider("Max Stretch")->minimum());
    EXPECT_EQ(g_nChanges, 0);
}

TEST_F(ParameterWindow, EachSliderWritesItsParameterThenReportsTheChange) {
    Fl_Value_Slider* rate = Slider("Stretch Rate");
    rate->value(0.5);
    rate->do_callback();
    EXPECT_EQ(body_.stretch_rate, 0.5);
    EXPECT_EQ(body_.squash_rate, 0.5);  // one rate for both
    EXPECT_EQ(g_nChanges, 1);
    EXPECT_EQ(g_pChanged, &body_);

    Slider("Max Stretch")->value(2.5);
    Slider("Max Stretch")->do_callback();
    Slider("Max Squash")->value(0.2);
    Slider("Max Squash")->do_callback();
    EXPECT_EQ(body_.max_stretch, 2.5);
    EXPECT_EQ(body_.max_squash, 0.2);
    EXPECT_EQ(body_.stretch_rate, 0.5);
    EXPECT_EQ(g_nChanges, 3);

    window_->m_pfnChanged = nullptr;  // no callback: the value is still written
    Slider("Restitution")->value(0.3);
    Slider("Restitution")->do_callback();
    EXPECT_EQ(body_.restitution, 0.3);
    EXPECT_EQ(g_nChanges, 3);
}

TEST_F(ParameterWindow, ClickingTheRestitutionSliderWithTheMouseMovesItAndTheBody) {
    ASSERT_TRUE(Show_And_Wait(*window_));
    // The slider's track runs right of its value box, across y = 140 ... 160.
    ASSERT_TRUE(Click(192, 150));
    EXPECT_TRUE(Run_Until([&] { return g_nChanges > 0; }));
    EXPECT_GT(body_.restitution, 0.9);
    EXPECT_EQ(body_.restitution, Slider("Restitution")->value());
    const int changes = g_nChanges;
    ASSERT_TRUE(Click(46, 150));
    EXPECT_TRUE(Run_Until([&] { return g_nChanges > changes; }));
    EXPECT_LT(body_.restitution, 0.1);
    EXPECT_EQ(body_.restitution, Slider("Restitution")->value());
    EXPECT_EQ(body_.max_stretch, 1.0);  // the others are untouched
}
