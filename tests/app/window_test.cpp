// The main window in this process and the demo program itself on the test display, driven by real
// key and pointer events (xdotool); the program judged by its captured frames and exit status.
#include <gtest/gtest.h>
// After the test framework: the X headers define None, a name the framework uses itself.
#include <FL/Fl.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Select_Browser.H>
#include <FL/Fl_Value_Slider.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "app/body_grab.h"
#include "app/breakout_scene.h"
#include "app/main_window.h"
#include "app/object_data_window.h"
#include "app/scene_chooser.h"
#include "app/scene_in_window.h"
#include "app/view_overlays.h"
#include "app/window_scene_view.h"
#include "collision/vclip.h"
#include "image/image_buffer.h"
#include "render/render_window.h"
#include "support/gl_window.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

// Polls `done` for a minute, long enough for the sanitizer build on a loaded machine.
bool Poll(const std::function<bool()>& done) {
    bool held = false;
    for (int i = 0; i < 600 && !(held = done()); ++i) {
        usleep(100000);
    }
    return held;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A shell command line run in the background in a fresh folder holding the program's data and an
// empty "images", writing "out", "err" and at its end "status" there; $DEMO runs the program
// (killed after two minutes) without the leak checker's list of what it suppressed.
struct Demo {
    explicit Demo(const std::string& command) {
        std::system(("cd " + dir.string() + " && ln -s " TOVREL_SOURCE_DIR "/data/objects " +
                     TOVREL_SOURCE_DIR "/data/textures . && mkdir images && (export LSAN_OPTIONS=" +
                     "$LSAN_OPTIONS:print_suppressions=0 DEMO='timeout -s KILL 120 " +
                     TOVREL_DEMO_PROGRAM "'; " + command +
                     " >out 2>err; echo $? >status) >/dev/null 2>&1 &")
                        .c_str());
    }
    ~Demo() { fs::remove_all(dir); }
    int Exit_Status() const {
        return Poll([&] { return !Read(dir / "status").empty(); }) ? std::stoi(Read(dir / "status"))
                                                                   : -1;
    }
    fs::path Frame(int n) const {
        return dir / "images" / ("img" + std::to_string(100000 + n).substr(1) + ".tga");
    }
    const fs::path dir = mkdtemp(&(fs::temp_directory_path() / "tovrel-demo-XXXXXX").string()[0]);
};

// Along x, the middle of the blue paddle in a captured frame of the view (909 x 720, rows from
// the bottom), whose front face spans rows 164 to 183.
double Paddle_X(const fs::path& frame) {
    ImageBuffer image;
    image.Load_TGA(frame.c_str());
    double sum = 0.0, count = 0.0;
    for (int i = 0; i < 40 * image.Get_Width(); ++i) {
        const unsigned char* p = image.Get_Data() + 4 * (154 * image.Get_Width() + i);
        const bool blue = p[2] > 150 && p[0] < 60 && p[1] < 60;
        sum += blue * (i % image.Get_Width());
        count += blue;
    }
    return count > 100 ? sum / count : -1.0;
}

// The white pixels in the view's next frame, captured into a scratch folder, within the band of
// rows `top` to `bottom` from its top and its first 400 columns: only text over the view draws
// pure white.
int White_Pixels(int top, int bottom) {
    const fs::path home = fs::current_path(), dir = home / ("white-" + std::to_string(getpid()));
    fs::create_directories(dir / "images");
    fs::current_path(dir);
    const int frames = g_pRenderWindow->Frame_Count();
    g_pRenderWindow->Set_Capture(true);
    g_pRenderWindow->redraw();
    Run_Until([&] { return g_pRenderWindow->Frame_Count() > frames; });
    g_pRenderWindow->Set_Capture(false);
    fs::current_path(home);
    ImageBuffer image;
    for (const auto& file : fs::directory_iterator(dir / "images")) {
        image.Load_TGA(file.path().c_str());
    }
    fs::remove_all(dir);
    int white = 0;
    const int width = image.Get_Width(), height = image.Get_Height();
    for (int row = height - bottom; row < height - top && width > 400; ++row) {
        for (int x = 0; x < 400; ++x) {
            const unsigned char* p = image.Get_Data() + 4 * (row * width + x);
            white += p[0] > 240 && p[1] > 240 && p[2] > 240;
        }
    }
    return white;
}

TEST(MainWindow, StartsStillAndEachKeyAndSliderWorksItsControl) {
    ASSERT_TRUE(Test_Display_Is_Up());
    fs::current_path(fs::path(TOVREL_SOURCE_DIR) / "data");
    Build_Main_Window();
    WindowSceneView view(*g_pRenderWindow, *g_pObjectBrowser);
    ToolkitTimers timers;
    Show_Breakout(BreakoutScene::Build_Scene(&view, &timers));
    const int first_layout = Shown_Breakout()->g_nBlocksLeft;
    Offer_Scenes(Scene_Choices("scenes"), 0, &view, &timers, false);
    ASSERT_TRUE(Show_And_Wait(*g_pMainWindow));
    const auto send = [](const std::string& events, std::function<bool()> done) {
        return std::system(("timeout 60 xdotool " + events).c_str()) == 0 && Run_Until(done, 60);
    };
    const auto at = [](double time) {
        return [time] { return std::fabs(Shown_Simulator()->time - time) < 1e-12; };
    };
    auto* scale = static_cast<Fl_Value_Slider*>(g_pMainWindow->child(6));
    EXPECT_EQ(std::string(scale->label()) + g_pObjectBrowser->text(1), "Time ScaleBall");
    EXPECT_EQ(scale->value(), 1);
    EXPECT_EQ(g_pFrameSkipSlider->value(), 0);
    EXPECT_TRUE(g_pGravityButton->value());
    EXPECT_FALSE(g_bPlaying);
    EXPECT_FALSE(Fl::has_timeout(Play_Tick, Shown_Breakout()));
    EXPECT_FALSE(g_pCaptureButton->value());

    const auto stopped = [] {
        const PlayTimer tick = Shown_Scene()->Play_Timer();
        return !g_bPlaying && !Fl::has_timeout(tick.callback, tick.user);
    };
    ASSERT_TRUE(send("windowfocus --sync " + std::to_string(fl_xid(g_pMainWindow)) + " key t",
                     at(g_fTickPeriod)));
    ASSERT_TRUE(send("key r", at(0.0)));
    ASSERT_TRUE(send("key p", [] { return g_bPlaying && Shown_Simulator()->time > 0.1; }))
        << "plays";
    ASSERT_TRUE(send("key p", stopped));  // a second press stops, a third plays again
    const double stopped_at = Shown_Simulator()->time;
    ASSERT_TRUE(send("key p", [&] { return Shown_Simulator()->time > stopped_at + 0.1; }));
    // The arrow keys steer, whichever control has the keyboard focus, and do nothing else: they
    // never walk the focus along the controls, move a slider or select in the list.
    for (Fl_Widget* focus :
         {static_cast<Fl_Widget*>(g_pObjectBrowser), static_cast<Fl_Widget*>(scale),
          static_cast<Fl_Widget*>(g_pFrameSkipSlider)}) {
        Fl::focus(focus);
        const double x = Shown_Breakout()->g_pPaddle->state.position.x;
        const auto paddle_past = [&](double by) {
            return [&, by] {
                return (Shown_Breakout()->g_pPaddle->state.position.x - x) * by > by * by;
            };
        };
        ASSERT_TRUE(send("key Right Left Up Down Right Right keydown Right", paddle_past(0.5)));
        ASSERT_TRUE(send("keyup Right keydown Left", paddle_past(-0.01)));
        ASSERT_TRUE(send("keyup Left", [] { return true; }));
        EXPECT_EQ(scale->value(), 1);
        EXPECT_EQ(g_pFrameSkipSlider->value(), 0) << focus->label();
        EXPECT_EQ(g_pObjectBrowser->value(), 0) << focus->label();
        EXPECT_EQ(Fl::focus(), focus) << focus->label();
    }
    ASSERT_TRUE(send("key s", stopped));
    ASSERT_TRUE(send("key g", [] { return Shown_Simulator()->gravity.z == 0.0; }));
    ASSERT_TRUE(send("key g", [] { return Shown_Simulator()->gravity.z == -9.8; }));
    ASSERT_TRUE(send("key i", [] { return g_pCaptureButton->value() == 1; }));
    ASSERT_TRUE(send("key i r", [] { return g_pCaptureButton->value() == 0; }));
    // Where no frame can be written ("images" is a file), capture and its button go off at once.
    const fs::path no_folder = fs::temp_directory_path() / ("tovrel-" + std::to_string(getpid()));
    fs::create_directory(no_folder);
    std::ofstream(no_folder / "images").put('x');
    fs::current_path(no_folder);
    EXPECT_TRUE(send("key i r", [] { return g_pRenderWindow->Capture_Failed(); }));
    EXPECT_FALSE(g_pCaptureButton->value());
    EXPECT_FALSE(g_pRenderWindow->Capturing());
    fs::current_path(fs::path(TOVREL_SOURCE_DIR) / "data");
    fs::remove_all(no_folder);
    // Show Contacts, under Gravity, draws over the view and runs no query of the walk.
    const Fl_Light_Button& contacts = *g_pShowContactsButton;
    EXPECT_EQ(std::vector<int>({contacts.x(), contacts.y(), contacts.w(), contacts.h()}),
              std::vector<int>({920, 530, 100, 22}));
    const unsigned long queries = vclip_call_count;
    const int frames = g_pRenderWindow->Frame_Count();
    ASSERT_TRUE(send("key c", [&] {
        return contacts.value() == 1 && g_pRenderWindow->Frame_Count() > frames;
    })) << "c turns Show Contacts on and a frame is drawn";
    ASSERT_TRUE(send("key c", [&] { return contacts.value() == 0; }));
    EXPECT_EQ(vclip_call_count, queries);
    // The figures' line, on from the start, shows plausible figures while playing and goes with f;
    // the help shows with F1 and goes with ?; m switches the trail.
    const auto drawn = [](std::function<bool()> also) {
        const int frames = g_pRenderWindow->Frame_Count();
        return [=] { return also() && g_pRenderWindow->Frame_Count() > frames; };
    };
    ASSERT_TRUE(send("key p", [] { return Shown_Simulator()->time > 1; }));
    std::smatch figures;
    const std::string line = g_ViewOverlays.figures.Line();
    ASSERT_TRUE(
        std::regex_match(line, figures,
                         std::regex("fps (\\d+)   step ([.\\d]+) ms   bodies (\\d+)   contacts "
                                    "\\d+   pair queries per tick \\d+   blocks left "
                                    "(\\d+)   balls missed \\d+")))
        << line;
    EXPECT_GT(std::stoi(figures[1]), 5) << "fps: " << line;
    EXPECT_LT(std::stod(figures[2]), 100) << "step time: " << line;
    const int bodies = std::stoi(figures[3]), blocks = std::stoi(figures[4]);
    EXPECT_GE(bodies, 7) << line;
    EXPECT_LE(bodies, 7 + blocks) << line;
    ASSERT_TRUE(send("key s", stopped));
    EXPECT_GT(White_Pixels(8, 26), 100);
    ASSERT_TRUE(send("key f", drawn([] { return !g_ViewOverlays.show_figures; })));
    EXPECT_EQ(White_Pixels(8, 26), 0);
    ASSERT_TRUE(send("key F1", drawn([] { return g_ViewOverlays.show_help; })));
    EXPECT_GT(White_Pixels(60, 180), 500);
    ASSERT_TRUE(send("key question f", drawn([] {
                         return !g_ViewOverlays.show_help && g_ViewOverlays.show_figures;
                     })))
        << "? hides the help, f shows the figures";
    EXPECT_EQ(White_Pixels(60, 180), 0);
    ASSERT_TRUE(send("key m", [] { return g_ViewOverlays.Showing_Trail(); }));
    ASSERT_TRUE(send("key m", [] { return !g_ViewOverlays.Showing_Trail(); }));
    // h brings the camera home after an orbit and a zoom.
    const std::string view_xid = std::to_string(fl_xid(g_pMainWindow));
    for (const char* button : {"1", "3"}) {  // an orbit, then a zoom
        ASSERT_TRUE(send("mousemove --window " + view_xid + " 400 300 mousedown " + button,
                         [] { return Fl::pushed() == g_pRenderWindow; }));
        ASSERT_TRUE(send("mousemove_relative 60 40", [&] {
            return *button == '1' ? g_pRenderWindow->Azimuth() != -90
                                  : g_pRenderWindow->Distance() != 30;
        }));
        ASSERT_TRUE(send("mouseup "s + button, [] { return Fl::pushed() == nullptr; }));
    }
    EXPECT_NE(g_pRenderWindow->Azimuth(), -90);
    EXPECT_NE(g_pRenderWindow->Distance(), 30);
    ASSERT_TRUE(send("key h", [] {
        const RenderWindow& v = *g_pRenderWindow;
        return v.Azimuth() == -90 && v.Elevation() == 0 && v.Distance() == 30 &&
               v.Target().x == 0 && v.Target().z == 5;
    })) << "h brings the camera home";
    // Shift and the left button on the ball (at (-4, 0, 5), 146 pixels left of the view's middle)
    // take it: held, it does not fall; carried 60 pixels right and let go, it flies on that way.
    ASSERT_TRUE(send("key r", at(0.0)));
    ASSERT_TRUE(
        send("mousemove --window " + view_xid + " 313 365 keydown shift mousedown 1 keyup shift",
             [] { return g_BodyGrab.Body() == Shown_Breakout()->g_pBall.get(); }));
    ASSERT_TRUE(send("key p", [] { return Shown_Simulator()->time > 0.5; }));
    EXPECT_NEAR(Shown_Breakout()->g_pBall->state.position.z, 5, 1e-9);
    ASSERT_TRUE(send("mousemove_relative 60 0 mouseup 1", [] { return !g_BodyGrab.Body(); }));
    const double let_go_at = Shown_Breakout()->g_pBall->state.position.x;
    EXPECT_GT(let_go_at, -3);
    EXPECT_GT(Shown_Breakout()->g_pBall->state.velocity.x, 5);
    ASSERT_TRUE(send("sleep 0",
                     [&] { return Shown_Breakout()->g_pBall->state.position.x > let_go_at + 1; }));
    ASSERT_TRUE(send("key s", stopped));
    ASSERT_TRUE(send("key r", at(0.0)));
    // The time scale sets the step: 1/6000 s at 0.01, 1/30 s more at 2. Step runs no game rule.
    Shown_Breakout()->g_apBlocks[0]->fading = true;
    for (double factor : {0.01, 2.0}) {
        scale->value(factor);
        scale->do_callback();
        ASSERT_TRUE(send("key t", at(g_fTickPeriod * (factor == 2.0 ? 2.01 : 0.01))));
    }
    EXPECT_EQ(Shown_Breakout()->g_apBlocks[0]->fade, 1.0f);

    // The ball's one window of its parameters, each slider at the ball's value now (max stretch 1
    // at its left end), also when chosen again; the main window's keys work from it, which stays
    // in front; a click on Stretch Rate sets both rates and starts the scene over.
    g_pObjectBrowser->select(1);
    g_pObjectBrowser->do_callback();
    Shown_Breakout()->g_pBall->max_stretch = 1.0;
    g_pObjectBrowser->do_callback();
    auto* window = dynamic_cast<ObjectDataWindow*>(Fl::first_window());
    ASSERT_NE(window, nullptr) << "one parameter window, in front";
    ASSERT_EQ(Fl::next_window(window), g_pMainWindow) << "no second parameter window";
    ASSERT_TRUE(Show_And_Wait(*window));
    EXPECT_EQ(std::string(window->label()) + " " + std::to_string(window->h()), "Ball 185");
    const auto* first = static_cast<Fl_Value_Slider*>(window->child(0));
    EXPECT_EQ(first->value(), first->minimum()) << first->label();
    const std::string xid = std::to_string(fl_xid(window));
    ASSERT_TRUE(send("mousemove --window " + xid + " 100 180 windowfocus --sync " + xid + " key p",
                     [] { return g_bPlaying; }));
    ASSERT_TRUE(send("key s", stopped));
    ASSERT_TRUE(send("mousemove --window " + xid + " 46 60 click 1", at(0.0)));
    EXPECT_LT(Shown_Breakout()->g_pBall->stretch_rate, 0.1);
    EXPECT_EQ(Shown_Breakout()->g_pBall->squash_rate, Shown_Breakout()->g_pBall->stretch_rate);

    // The "Scene" chooser, clicked and walked with the keys, puts the stack in place of the game:
    // the ball's parameter window goes, the list holds the stack's ball and boxes.
    const std::string chooser = " 970 356 click 1 key Down Down Down Return";
    ASSERT_TRUE(send("windowfocus --sync " + view_xid + " mousemove --window " + view_xid + chooser,
                     [] { return g_pSceneChooser->value() == 3 && Shown_Breakout() == nullptr; }));
    EXPECT_EQ(Fl::first_window(), g_pMainWindow) << "no parameter window left";
    ASSERT_EQ(g_pObjectBrowser->size(), 5);
    auto* ball = static_cast<SimObject*>(g_pObjectBrowser->data(1));
    // Shift and the left button on its ball at (0.2, 0, 9), through the room's undrawn front wall,
    // take it; held, it does not fall; carried 60 pixels right and let go, it flies on that way.
    ASSERT_TRUE(send("mousemove --window " + view_xid +
                         " 467 219 keydown shift mousedown 1 keyup "
                         "shift key p",
                     [&] { return g_BodyGrab.Body() == ball && Shown_Simulator()->time > 0.5; }));
    EXPECT_NEAR(ball->state.position.z, 9, 1e-9);
    ASSERT_TRUE(send("mousemove_relative 60 0 mouseup 1", [] { return !g_BodyGrab.Body(); }));
    const double thrown_from = ball->state.position.x;
    ASSERT_TRUE(send("sleep 0", [&] { return ball->state.position.x > thrown_from + 1; }));
    // A scene file in error leaves the scene running; the one named on the command line is found
    // among the shipped ones however its path is written; the breakout comes back as it began,
    // and plays on.
    const fs::path bad = fs::temp_directory_path() / ("bad" + std::to_string(getpid()) + ".toml");
    std::ofstream(bad) << "[[body]]\n";
    std::vector<SceneChoice> choices = Scene_Choices("scenes");
    EXPECT_EQ(Choice_For(choices, fs::absolute("scenes/stack.toml")), 3u);
    EXPECT_EQ(Choice_For(choices, bad), 4u);
    EXPECT_EQ(choices[4].label, bad.stem());
    Offer_Scenes(choices, 3, &view, &timers, false);
    const Tovrel* stack = Shown_Simulator();
    EXPECT_EQ(Switch_Scene(4).find(bad.string() + ":1: body \"Body 1\": no shape"), 0u);
    EXPECT_EQ(Shown_Simulator(), stack);
    fs::remove(bad);
    EXPECT_EQ(Switch_Scene(0), "");
    EXPECT_EQ(g_pObjectBrowser->size(), 1);
    EXPECT_EQ(Shown_Breakout()->g_nBlocksLeft, first_layout);
    EXPECT_TRUE(Fl::has_timeout(Play_Tick, Shown_Breakout()));
    ASSERT_TRUE(send("key s", stopped));
    Fl::remove_timeout(Restore_Ball);
    Close_Scene();  // while the view it is drawn on is still here
}

// Every labelled control of the main window as it is now whose label does not fit it (a button's
// beside its light if it has one, a slider's to its right within the frame around it, the list's
// below it), or that overlaps another control or the window's edge; empty when all is well.
std::string Misfits() {
    std::string misfits;
    const auto frame_around = [](const Fl_Widget& w) -> const Fl_Widget* {
        for (int j = 0; j < g_pMainWindow->children(); ++j) {
            const Fl_Widget* f = g_pMainWindow->child(j);
            if (f->box() == FL_ENGRAVED_FRAME && f->x() < w.x() && w.x() < f->x() + f->w() &&
                f->y() < w.y() && w.y() < f->y() + f->h()) {
                return f;
            }
        }
        return nullptr;
    };
    std::vector<std::array<int, 4>> taken;  // each control's rectangle, its label's included
    for (int i = 0; i < g_pMainWindow->children(); ++i) {
        Fl_Widget& w = *g_pMainWindow->child(i);
        if (w.label() == nullptr || *w.label() == '\0' || w.as_window() != nullptr) {
            continue;
        }
        int width = 0, height = 0;
        w.measure_label(width, height);
        const int box = Fl::box_dx(w.box());
        int room = w.w() - 2 * box, right = w.x() + w.w(), bottom = w.y() + w.h();
        if (dynamic_cast<const Fl_Light_Button*>(&w) != nullptr) {
            room -= w.labelsize() / 2 + 5;  // the light and its spaces
        } else if (w.align() & FL_ALIGN_RIGHT) {
            const Fl_Widget* frame = frame_around(w);
            room = frame == nullptr ? 0 : frame->x() + frame->w() - box - right;
            right += width;
        } else if (w.align() & FL_ALIGN_BOTTOM) {
            bottom += height;
        }
        const int top = w.y() - (w.align() & FL_ALIGN_TOP ? height : 0);
        if (width > room || height > w.h()) {
            misfits += std::string(" \"") + w.label() + "\" is " + std::to_string(width) +
                       " wide in " + std::to_string(room) + ";";
        }
        const std::array<int, 4> place = {w.x(), top, right, bottom};
        for (const auto& t : taken) {
            if (place[0] < t[2] && t[0] < place[2] && place[1] < t[3] && t[1] < place[3]) {
                misfits += std::string(" \"") + w.label() + "\" overlaps;";
            }
        }
        if (right > g_pMainWindow->w() || bottom > g_pMainWindow->h()) {
            misfits += std::string(" \"") + w.label() + "\" is cut by the window's edge;";
        }
        taken.push_back(place);
    }
    return misfits;
}

// At the designed size every control is in its designed place and its label fits; the window
// can be made any size down to the least its controls need, which the display is told, and the
// view takes up the difference.
TEST(MainWindow, ControlsInTheirPlacesWithTheirLabelsDownToTheLeastSize) {
    ASSERT_TRUE(Test_Display_Is_Up());
    Build_Main_Window();
    ASSERT_TRUE(Show_And_Wait(*g_pMainWindow));
    const auto places = [] {
        std::vector<std::vector<int>> placed = {{g_pMainWindow->w(), g_pMainWindow->h()}};
        for (int i = 0; i < g_pMainWindow->children(); ++i) {
            const Fl_Widget& w = *g_pMainWindow->child(i);
            placed.push_back({w.x(), w.y(), w.w(), w.h()});
        }
        return placed;
    };
    const std::vector<std::vector<int>> designed = {
        {1024, 800},         {5, 5, 909, 720},    {919, 5, 100, 300}, {15, 740, 60, 22},
        {80, 740, 60, 22},   {145, 740, 60, 22},  {210, 740, 60, 22}, {15, 768, 300, 22},
        {425, 740, 120, 22}, {425, 768, 200, 22}, {10, 735, 390, 60}, {420, 735, 320, 60},
        {920, 500, 100, 22}, {920, 530, 100, 22}, {920, 345, 100, 22}};
    EXPECT_EQ(places(), designed);
    EXPECT_EQ(Misfits(), "");
    XSizeHints hints;
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(fl_display, fl_xid(g_pMainWindow), &hints, &supplied));
    EXPECT_TRUE(hints.flags & PMinSize);
    EXPECT_EQ(std::vector<int>({hints.min_width, hints.min_height}),
              std::vector<int>({kMinWindowWidth, kMinWindowHeight}));
    for (const auto& [w, h] : {std::pair(kMinWindowWidth, kMinWindowHeight), {1600, 1000}}) {
        g_pMainWindow->size(w, h);
        EXPECT_EQ(Misfits(), "") << w << " x " << h;
        EXPECT_EQ(places()[1], std::vector<int>({5, 5, w - 115, h - 80}));
    }
    g_pMainWindow->size(1024, 800);
    EXPECT_EQ(places(), designed) << "back at the designed size, all in their places again";
}

TEST(DemoProgram, PlaysCapturesIsSteeredEndsOnQAndRefusesEveryBadValueNamingIt) {
    ASSERT_TRUE(Test_Display_Is_Up());
    fl_open_display();  // a client of our own keeps the display up between the runs
    const Demo demo("$DEMO --capture=10 -title Played");  // the toolkit's options still work
    ASSERT_EQ(std::system("timeout 60 xdotool search --sync --onlyvisible --name '^Played$' "
                          "windowfocus --sync key p"),
              0);
    ASSERT_TRUE(Poll([&] { return fs::exists(demo.Frame(30)); })) << Read(demo.dir / "err");
    EXPECT_FALSE(fs::exists(demo.Frame(11)));  // every tenth only
    EXPECT_FALSE(fs::exists(demo.Frame(29)));
    EXPECT_NEAR(Paddle_X(demo.Frame(10)), 454.0, 3.0);
    // Held Right, the paddle goes right (a frame is whole once the next is begun); q ends the
    // program though the Play button has the keyboard focus.
    ASSERT_EQ(std::system("timeout 60 xdotool keydown Right"), 0);
    int frame = 20;
    EXPECT_TRUE(Poll([&] {
        return fs::exists(demo.Frame(frame + 20)) && Paddle_X(demo.Frame(frame += 10)) > 494.0;
    })) << frame;
    ASSERT_EQ(std::system("timeout 60 xdotool keyup Right key q"), 0);
    EXPECT_EQ(demo.Exit_Status(), 0);
    EXPECT_EQ(Read(demo.dir / "err"), "");

    const std::string seconds = " is not a number of seconds (more than 0, at most 1e9)\n";
    const std::string skipping = " is not a frame skipping from 0 to 60\n";
    const struct {
        std::string command;
        int status;
        std::string printed;  // after "tovrel-demo: " when it fails
    } cases[] = {
        {"$DEMO --help", 0, "--show-contacts       Show Contacts on from the start; with"},
        {"$DEMO --play --capture=60 --quit-after 0.5", 0, ""},
        {"(cd images && $DEMO --headless=60 --autopilot)", 0,  // its data found from elsewhere
         "headless: 3600 ticks, 60.000 s simulated in "},
        {"$DEMO --quit-after=0", 2, "--quit-after: \"0\"" + seconds},
        {"$DEMO --headless 12s", 2, "--headless: \"12s\"" + seconds},
        {"$DEMO --headless nan", 2, "--headless: \"nan\"" + seconds},
        {"$DEMO --headless 1e300", 2, "--headless: \"1e300\"" + seconds},
        {"$DEMO --headless", 2, "--headless needs a number of seconds\n"},
        {"$DEMO --capture=61", 2, "--capture: \"61\"" + skipping},
        {"$DEMO --play=yes", 2, "--play takes no value, but was given \"yes\"\n"},
        {"$DEMO --bounce", 2, "\"--bounce\" is neither an option of ours nor of the toolkit"},
        {"$DEMO -geometry huge", 2, "\"-geometry\" is neither an option of ours nor of the"},
        {"$DEMO --headless=2 --autopilot --show-contacts", 0,
         "tick     120  contacts: nearest Paddle at gap 1.1882, ball vertex 76 to face 0; "},
        // Block 2, not yet the nearest, is the one the ball closes on soonest.
        {"$DEMO --headless=79 --autopilot --show-contacts", 0,
         "tick    3180  contacts: heading for Paddle at gap 0.5814, ball vertex 28 to face 7; "
         "nearest Right Wall in contact; "},
        {"$DEMO --show-contacts --play --quit-after-ticks 30", 0, ""},
        {"$DEMO --headless 5 --capture", 2, "--headless runs without a window, so --capture can"},
        {"$DEMO --audit", 2, "--audit checks a run without a window, so it needs --headless"},
        {"$DEMO --headless=60 --autopilot --audit", 0,
         "audit: 0 violations: 0 not a number, 0 outside the room, 0 overlaps deeper than 0.01, "
         "0 held still; deepest overlap "},
        // Watching changes nothing, faults found or not.
        {"($DEMO --headless=300 --autopilot --audit | grep -v audit: | sed 's/in .* wall//' >a; "
         "$DEMO --headless=300 --autopilot | sed 's/in .* wall//' | cmp - a && echo undisturbed)",
         0, "undisturbed"},
        // Without a display the launcher would film, but refuses them first.
        {"DISPLAY= timeout 60 " TOVREL_SOURCE_DIR "/tovrel --bogus", 2,
         "\"--bogus\" is neither an"},
        {"DISPLAY= timeout 60 " TOVREL_SOURCE_DIR "/tovrel --capture=abc", 2,
         "--capture: \"abc\"" + skipping},
        {"$DEMO --quit-after-ticks=-3", 2, "--quit-after-ticks: \"-3\" is not a number of ticks"},
        {"D=$DISPLAY; DISPLAY= $DEMO -display $D --quit-after-ticks 1 --play", 0, ""},
        {"rm objects; mkdir objects; echo 1 >objects/sphere.poly; $DEMO", 1,
         "PolyObject::PolyObject: Cannot load file: objects/sphere.poly: the file ends where "
         "vertex 0 should be\ntovrel-demo: looked for the data in the working directory /"},
        // Long enough for the first frame, which reads the map, on a loaded machine.
        {"rm textures; mkdir textures; : >textures/env_toonshade.tga; $DEMO --quit-after 2", 0,
         "Couldn't load image \"textures/env_toonshade.tga\"\n  bad image header, looked in /"},
        {"DISPLAY= $DEMO", 1, "no display to open a window on (DISPLAY is not set)"},
        {"$DEMO --scene no.toml", 2, "--scene: no.toml: no such file\n"},
        {"DISPLAY= timeout 60 " TOVREL_SOURCE_DIR "/tovrel --scene=no.toml", 2, "--scene: no.toml"},
        {"echo '[[body]]' >s.toml; $DEMO --scene s.toml", 1, "s.toml:1: body \"Body 1\": no shape"},
        {"$DEMO --headless 2 --show-contacts --scene=" TOVREL_SOURCE_DIR "/data/scenes/stack.toml",
         2,
         "--headless with --scene runs a scene without the breakout's ball and paddle, so "
         "--show-contacts cannot go with them\n"},
        {"$DEMO --headless 2 --scene " TOVREL_SOURCE_DIR "/data/scenes/stack.toml", 0,
         "headless scene: 120 ticks, 2.000 s simulated in "},
        {"$DEMO --scene " TOVREL_SOURCE_DIR "/data/scenes/pile.toml --play --quit-after-ticks 9", 0,
         ""},
    };
    for (const auto& c : cases) {
        const Demo demo(c.command);
        EXPECT_EQ(demo.Exit_Status(), c.status) << c.command;
        const std::string printed = Read(demo.dir / "out") + Read(demo.dir / "err");
        EXPECT_NE(printed.find((c.status > 0 ? "tovrel-demo: " : "") + c.printed),
                  std::string::npos)
            << c.command << " printed " << printed;
    }
}

// Captured frames are never replaced nor lost unsaid: a second run numbers its frames above the
// first's, a missing folder is made; a read-only folder and a full disk (a file size limit) get one
// message naming the folder and the reason, leave no file and make a --capture run fail.
TEST(DemoProgram, CapturesAboveEarlierFramesIntoAMadeFolderAndSaysOnceWhatItCannotWrite) {
    ASSERT_TRUE(Test_Display_Is_Up());
    fl_open_display();
    const bool can_mount = std::system("unshare -rm true >/dev/null 2>&1") == 0;
    const std::string run = "$DEMO --play --capture=20 --quit-after-ticks 45";
    using Files = std::vector<std::string>;  // left in images/
    // clang-format off
    const std::tuple<std::string, int, Files, std::string> cases[] = {
        {run + " && " + run, 0, {"img00020.tga", "img00040.tga", "img00060.tga", "img00080.tga"}, ""},
        {"rmdir images && " + run, 0, {"img00020.tga", "img00040.tga"}, ""},
        {"unshare -rm sh -c 'mount -t tmpfs -o ro tmpfs images && " + run + "'", 1, {}, "Read-only file system"},
        {"ulimit -f 1000; trap '' XFSZ; " + run, 1, {}, "File too large"}};
    // clang-format on
    for (const auto& [command, status, expected, reason] : cases) {
        if (!can_mount && command.find("mount") != std::string::npos) {
            continue;
        }
        const Demo demo(command);
        EXPECT_EQ(demo.Exit_Status(), status) << command;
        Files files;
        for (const auto& file : fs::directory_iterator(demo.dir / "images")) {
            files.push_back(file.path().filename());
            EXPECT_EQ(file.file_size(), 18 + 21 + 909 * 720 * 4) << file.path();
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, expected) << command;
        const std::string folder = fs::canonical(demo.dir / "images").string();
        EXPECT_EQ(Read(demo.dir / "err"), reason.empty()
                                              ? ""
                                              : "Couldn't write frames into folder " + folder +
                                                    ": " + reason + "; image capture is off\n")
            << command;
    }
    if (!can_mount) {
        GTEST_SKIP() << "the read-only folder was not tried: no mount namespace to be had";
    }
}
