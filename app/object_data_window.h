#pragma once

#include <FL/Fl_Window.H>

class Fl_Value_Slider;
class SimObject;

// A small window, titled with the body's name, that edits the body's four cartoon parameters
// while the program runs. Each slider writes its value straight into the body whenever it moves,
// then calls the change callback, which the program uses to start the scene over so that the new
// value applies from the beginning. Closing the window only hides it; the program keeps one window
// per body and shows it again when the body is chosen again.
class ObjectDataWindow : public Fl_Window {
public:
    // Sliders `w` - 10 wide, each starting at the body's value; the window is then made 185 high,
    // just enough for the four of them. The body is referred to, not owned.
    ObjectDataWindow(int w, int h, SimObject* body);
    ~ObjectDataWindow() override;

    // Sets every slider to the body's value now, which may have changed while the window was
    // hidden or behind others.
    void Show_Body_Values();

    SimObject* m_pObject;                   // the body being edited
    void (*m_pfnChanged)(SimObject* body);  // after every change; set by the creator, may be null

private:
    static void Max_Stretch_Callback(Fl_Widget* slider, void* window);
    static void Stretch_Rate_Callback(Fl_Widget* slider, void* window);
    static void Max_Squash_Callback(Fl_Widget* slider, void* window);
    static void Restitution_Callback(Fl_Widget* slider, void* window);

    void Changed();
};
