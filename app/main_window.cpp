#include "app/main_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Repeat_Button.H>
#include <FL/Fl_Select_Browser.H>
#include <FL/Fl_Value_Slider.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <array>
#include <vector>

#include "app/body_grab.h"
#include "app/demo_scene.h"
#include "app/object_data_window.h"
#include "app/scene_chooser.h"
#include "app/scene_in_window.h"
#include "app/view_overlays.h"
#include "render/render_window.h"

Fl_Window* g_pMainWindow = nullptr;
RenderWindow* g_pRenderWindow = nullptr;
Fl_Select_Browser* g_pObjectBrowser = nullptr;
Fl_Light_Button* g_pCaptureButton = nullptr;
Fl_Value_Slider* g_pFrameSkipSlider = nullptr;
Fl_Light_Button* g_pGravityButton = nullptr;
Fl_Light_Button* g_pShowContactsButton = nullptr;
Fl_Choice* g_pSceneChooser = nullptr;
bool g_bPlaying = false;
ViewOverlays g_ViewOverlays;

namespace {

constexpr double kSliderStep = 0.01;
constexpr double kMinTimeScale = 0.01;
constexpr double kMaxTimeScale = 2.0;
constexpr double kMaxFrameSkip = 60.0;
constexpr int kParameterWindowSize = 200;

// The parameter windows opened, one per body; each stays, shown or hidden, until the program ends.
std::vector<ObjectDataWindow*> g_ParameterWindows;

template <typename Button>
Button* Add_Button(int x, int y, int w, const char* label, char key, Fl_Callback* callback) {
    auto* button = new Button(x, y, w, 22, label);
    button->shortcut(key);
    button->callback(callback, nullptr);
    return button;
}

Fl_Value_Slider* Add_Slider(int x, int y, int w, const char* label, double value, double low,
                            double high, double step) {
    auto* slider = new Fl_Value_Slider(x, y, w, 22, label);
    slider->type(FL_HOR_NICE_SLIDER);
    slider->value(value);
    slider->range(low, high);
    slider->step(step);
    slider->selection_color(FL_YELLOW);
    slider->align(FL_ALIGN_RIGHT);
    return slider;
}

// The view's own keys, which no control uses: q quits, f shows or hides the engine's figures, m
// the motion trail, F1 or ? the help, and h brings the camera back to where it started. They are
// no widget's shortcuts: whichever widget or window has the focus, they come here.
int View_Key_Handler(int event) {
    if (event != FL_SHORTCUT) {
        return 0;
    }
    const int key = Fl::event_key();
    if (key == 'q') {
        Quit_Program();
        return 1;
    } else if (key == 'f') {
        g_ViewOverlays.show_figures = !g_ViewOverlays.show_figures;
    } else if (key == 'm') {
        g_ViewOverlays.Show_Trail(!g_ViewOverlays.Showing_Trail());
    } else if (key == 'h') {
        g_pRenderWindow->Reset_Camera();
    } else if (key == FL_F + 1 || Fl::event_text()[0] == '?') {
        g_ViewOverlays.show_help = !g_ViewOverlays.show_help;
    } else {
        return 0;
    }
    g_pRenderWindow->redraw();
    return 1;
}

bool Is_Arrow_Key(int key) {
    return key == FL_Left || key == FL_Right || key == FL_Up || key == FL_Down;
}

// The arrow keys steer the paddle, which reads them from the keyboard's state once a tick. Handed
// to the widgets as well, they would walk the keyboard focus along the controls and then move the
// focused slider or list (the time scale, while the player only meant to steer), so no widget
// ever sees them.
//
// A parameter window uses no letter key, and the toolkit offers a key that its focused widget
// left alone only to the widgets of the window it came to; so the main window's shortcuts are
// offered the key too, and work as well while a parameter window has the keyboard focus.
int Dispatch_Keys(int event, Fl_Window* window) {
    const bool key_event = event == FL_KEYDOWN || event == FL_KEYUP || event == FL_SHORTCUT;
    // A menu that is up (the scene chooser's) grabs every event, and walks its entries with them.
    if (key_event && Is_Arrow_Key(Fl::event_key()) && Fl::grab() == nullptr) {
        return 1;
    }
    if (Fl::handle_(event, window) != 0) {
        return 1;
    }
    if (event != FL_SHORTCUT || window == g_pMainWindow) {
        return 0;
    }
    // A button takes the keyboard focus when its shortcut is pressed, which would bring the main
    // window over the parameter window; the focus stays where the player put it.
    const int visible_focus = Fl::visible_focus();
    Fl::visible_focus(0);
    const int used = g_pMainWindow->handle(FL_SHORTCUT);
    Fl::visible_focus(visible_focus);
    return used != 0 ? used : View_Key_Handler(FL_SHORTCUT);
}

// The main window, whose view takes up all it gains or loses when resized: the controls keep their
// size, those beside the view move along with its right edge and those below it with its bottom,
// so no label is ever squeezed. The toolkit would stretch the controls below the view along with
// it, and those beside it in height.
class MainWindow : public Fl_Window {
public:
    MainWindow(int w, int h, const char* label) : Fl_Window(w, h, label) {}

    void resize(int x, int y, int w, int h) override {
        const int dx = w - this->w();
        const int dy = h - this->h();
        std::vector<std::array<int, 4>> places;
        Fl_Widget* view = resizable();
        for (int i = 0; i < children(); ++i) {
            const Fl_Widget* c = child(i);
            if (c == view) {
                places.push_back({c->x(), c->y(), c->w() + dx, c->h() + dy});
            } else {
                const bool beside = c->x() >= view->x() + view->w();
                const bool below = c->y() >= view->y() + view->h();
                places.push_back(
                    {c->x() + (beside ? dx : 0), c->y() + (below ? dy : 0), c->w(), c->h()});
            }
        }
        Fl_Window::resize(x, y, w, h);
        for (int i = 0; i < children(); ++i) {
            const auto& [cx, cy, cw, ch] = places[i];
            child(i)->resize(cx, cy, cw, ch);
        }
    }
};

// The scene's grab, as the window hands it the pointer. While the game's clock stands, no tick
// puts the body where the pointer is, so each move and the release do it at once: stopped, the
// ball can be placed by hand, and is let go at rest.
class WindowGrab : public PointerGrab {
public:
    bool Press(const PointerRay& ray) override { return Follow(g_BodyGrab.Press(ray)); }
    void Drag(const PointerRay& ray) override {
        g_BodyGrab.Drag(ray);
        Follow(true);
    }
    void Release() override {
        g_BodyGrab.Release();
        Follow(true);
    }

private:
    static bool Follow(bool taken) {
        if (taken && !g_bPlaying) {
            g_BodyGrab.Hold();
            g_pRenderWindow->redraw();
        }
        return taken;
    }
};
WindowGrab g_WindowGrab;

void Frame(int x, int y, int w, int h) {
    auto* box = new Fl_Box(x, y, w, h);
    box->box(FL_ENGRAVED_FRAME);
}

}  // namespace

void Build_Main_Window() {
    Fl::visual(FL_DOUBLE | FL_DEPTH);
    g_pMainWindow = new MainWindow(1024, 800, "Tovrel Demo");

    g_pRenderWindow = new RenderWindow(5, 5, 909, 720, "RenderWindow");
    g_pMainWindow->resizable(g_pRenderWindow);

    g_pObjectBrowser = new Fl_Select_Browser(919, 5, 100, 300, "Objects");
    g_pObjectBrowser->callback(Object_Browser_Callback);

    Add_Button<Fl_Button>(15, 740, 60, "&Reset", 'r', Reset_Callback);
    Add_Button<Fl_Button>(80, 740, 60, "&Play", 'p', Play_Callback);
    Add_Button<Fl_Button>(145, 740, 60, "&Stop", 's', Stop_Callback);
    Add_Button<Fl_Repeat_Button>(210, 740, 60, "S&tep", 't', Step_Callback);

    auto* time_scale = Add_Slider(15, 768, 300, "Time Scale", g_dTimeScale, kMinTimeScale,
                                  kMaxTimeScale, kSliderStep);
    time_scale->callback(Time_Scale_Callback, nullptr);

    g_pCaptureButton =
        Add_Button<Fl_Light_Button>(425, 740, 120, "&Image Capture", 'i', Image_Capture_Callback);
    g_pCaptureButton->value(0);
    g_pCaptureButton->labelsize(12);  // the whole label within the designed width
    // Capture stops by itself when a frame cannot be written; the button shows it.
    g_pRenderWindow->Set_Capture_Stopped_Callback([](void*) { g_pCaptureButton->value(0); },
                                                  nullptr);
    g_pFrameSkipSlider = Add_Slider(425, 768, 200, "Frame Skipping", 0.0, 0.0, kMaxFrameSkip, 1.0);
    g_pFrameSkipSlider->callback(Skip_Slider_Callback);

    Frame(10, 735, 390, 60);   // around the playback controls and the time scale
    Frame(420, 735, 320, 60);  // around the capture controls

    g_pGravityButton =
        Add_Button<Fl_Light_Button>(920, 500, 100, "&Gravity", 'g', Gravity_Callback);
    g_pGravityButton->value(1);
    g_pShowContactsButton =
        Add_Button<Fl_Light_Button>(920, 530, 100, "Show &Contacts", 'c', Show_Contacts_Callback);
    g_pShowContactsButton->value(0);
    g_pShowContactsButton->labelsize(10);  // the whole label within the designed width
    // Under the list of bodies, which it fills, its label above it so as to stay out of the view.
    g_pSceneChooser = new Fl_Choice(920, 345, 100, 22, "Scene");
    g_pSceneChooser->align(FL_ALIGN_TOP);
    g_pSceneChooser->callback(Scene_Chooser_Callback);

    g_pMainWindow->end();
    g_pMainWindow->size_range(kMinWindowWidth, kMinWindowHeight);
    g_pRenderWindow->Set_Overlay(&g_ViewOverlays);
    g_pRenderWindow->Set_Pointer_Grab(&g_WindowGrab);
    Fl::add_handler(View_Key_Handler);
    Fl::event_dispatch(Dispatch_Keys);
}

void Reset_Callback(Fl_Widget*, void*) {
    Shown_Simulator()->Reset();
    g_pRenderWindow->redraw();
}

void Play_Callback(Fl_Widget* widget, void* user) {
    if (g_bPlaying) {
        Stop_Callback(widget, user);
        return;
    }
    g_bPlaying = true;
    Arm_Play_Timer();
}

void Stop_Callback(Fl_Widget*, void*) {
    Disarm_Play_Timer();
    g_bPlaying = false;
    g_pRenderWindow->Set_Redraw_On_Drag(true);
}

void Arm_Play_Timer() {
    const PlayTimer tick = Shown_Scene()->Play_Timer();
    if (!g_bPlaying || Fl::has_timeout(tick.callback, tick.user)) {
        return;
    }
    Fl::add_timeout(g_fTickPeriod, tick.callback, tick.user);
    g_pRenderWindow->Set_Redraw_On_Drag(false);  // each tick redraws anyway
}

void Disarm_Play_Timer() {
    const PlayTimer tick = Shown_Scene()->Play_Timer();
    Fl::remove_timeout(tick.callback, tick.user);
}

void Quit_Program() {
    // Hiding every window lets the event loop return, so the program ends as if closed.
    while (Fl_Window* window = Fl::first_window()) {
        window->hide();
    }
}

void Step_Callback(Fl_Widget*, void*) {
    Shown_Scene()->Step_Simulator();
    g_pRenderWindow->redraw();
}

void Time_Scale_Callback(Fl_Widget* widget, void*) {
    g_dTimeScale = static_cast<Fl_Value_Slider*>(widget)->value();
}

void Skip_Slider_Callback(Fl_Widget* widget, void*) {
    g_pRenderWindow->Set_Frame_Skip(
        static_cast<int>(static_cast<Fl_Value_Slider*>(widget)->value()));
}

void Image_Capture_Callback(Fl_Widget* widget, void*) {
    g_pRenderWindow->Set_Capture(static_cast<Fl_Light_Button*>(widget)->value() == 1);
}

void Gravity_Callback(Fl_Widget* widget, void*) {
    const bool on = static_cast<Fl_Light_Button*>(widget)->value() == 1;
    Shown_Simulator()->gravity = on ? Shown_Scene()->Gravity() : g_vNoGravity;
}

void Show_Contacts_Callback(Fl_Widget* widget, void*) {
    const bool on = static_cast<Fl_Light_Button*>(widget)->value() == 1;
    g_ViewOverlays.show_contacts = on;
    g_pRenderWindow->redraw();
}

void Object_Browser_Callback(Fl_Widget* widget, void*) {
    auto* browser = static_cast<Fl_Select_Browser*>(widget);
    const int line = browser->value();
    if (line == 0) {
        return;
    }
    auto* body = static_cast<SimObject*>(browser->data(line));
    const auto open =
        std::find_if(g_ParameterWindows.begin(), g_ParameterWindows.end(),
                     [body](ObjectDataWindow* window) { return window->m_pObject == body; });
    if (open != g_ParameterWindows.end()) {
        (*open)->Show_Body_Values();
        (*open)->show();  // raises it, or shows it again once closed
        return;
    }
    auto* window = new ObjectDataWindow(kParameterWindowSize, kParameterWindowSize, body);
    window->m_pfnChanged = Object_Changed_Callback;
    g_ParameterWindows.push_back(window);
    window->show();
}

void Object_Changed_Callback(SimObject*) {
    Shown_Simulator()->Reset();
}

void Close_Parameter_Windows() {
    for (ObjectDataWindow* window : g_ParameterWindows) {
        window->hide();
        Fl::delete_widget(window);
    }
    g_ParameterWindows.clear();
}
