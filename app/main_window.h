#pragma once

class Fl_Choice;
class Fl_Light_Button;
class Fl_Select_Browser;
class Fl_Value_Slider;
class Fl_Widget;
class Fl_Window;
class RenderWindow;
class SimObject;
class ViewOverlays;

// The main window "Tovrel Demo": the 3-D view, the "Objects" list of editable bodies, the
// playback buttons (Reset, Play, Stop, Step), the time scale, image capture with its frame
// skipping, the gravity toggle, "Show Contacts", which draws what the collision walk sees, and the
// "Scene" chooser (scene_chooser.h). Play
// arms the repeating play timer whose ticks run the game; each button also answers to the key of
// its underlined letter, also while a parameter window has the keyboard focus, and so do the
// view's own keys (q, f, m, h, F1 or ?). The arrow keys only steer: no widget ever receives them.
// Every callback runs on the toolkit's thread. The window can be made any size down to what its
// controls need; the view takes up the difference.

extern Fl_Window* g_pMainWindow;
extern RenderWindow* g_pRenderWindow;
extern Fl_Select_Browser* g_pObjectBrowser;
extern Fl_Light_Button* g_pCaptureButton;
extern Fl_Value_Slider* g_pFrameSkipSlider;
extern Fl_Light_Button* g_pGravityButton;
extern Fl_Light_Button* g_pShowContactsButton;
extern Fl_Choice* g_pSceneChooser;  // "Scene": the breakout or a scene file
extern bool g_bPlaying;             // the Play toggle's state
// What the view draws over the scene: the trail, the contacts, the figures and the help.
extern ViewOverlays g_ViewOverlays;

// The smallest the main window can be made. The view takes up what the window gains or loses, and
// the controls keep their size and move with its edges: any narrower, the controls beside the view
// would run into those below it; any lower, those below it into those beside it.
constexpr int kMinWindowWidth = 860;
constexpr int kMinWindowHeight = 630;

// Ends the program as closing its windows does: the event loop returns, and the program's exit
// status follows from what happened (a frame that could not be captured makes it 1).
void Quit_Program();

// Creates the main window and every control (not shown yet). The scene is built separately,
// with the view and the list wrapped in a WindowSceneView.
void Build_Main_Window();

void Reset_Callback(Fl_Widget* widget, void* user);
// A toggle: starts the play timer, or stops it when it runs.
void Play_Callback(Fl_Widget* widget, void* user);
void Stop_Callback(Fl_Widget* widget, void* user);
// While playing, arms the shown scene's play timer unless it is pending; a scene put in place of
// another while playing plays on.
void Arm_Play_Timer();
// Takes the shown scene's play timer away, before the scene goes.
void Disarm_Play_Timer();
// One tick's worth of simulation without the game rules, then a redraw.
void Step_Callback(Fl_Widget* widget, void* user);
void Time_Scale_Callback(Fl_Widget* widget, void* user);
void Skip_Slider_Callback(Fl_Widget* widget, void* user);
void Image_Capture_Callback(Fl_Widget* widget, void* user);
void Gravity_Callback(Fl_Widget* widget, void* user);
// Draws the contacts overlay over the scene, or stops; changes nothing in the simulation.
void Show_Contacts_Callback(Fl_Widget* widget, void* user);
// Opens the parameter window of the body of the selected line, or brings its open one to the front
// with the body's values now.
void Object_Browser_Callback(Fl_Widget* widget, void* user);
// A body's parameter changed: the scene starts over so that it applies from the beginning.
void Object_Changed_Callback(SimObject* body);
// Closes and forgets every parameter window, before the bodies they edit go.
void Close_Parameter_Windows();
