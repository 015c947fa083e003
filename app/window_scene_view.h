#pragma once

#include "app/scene_view.h"

class Fl_Select_Browser;
class RenderWindow;

// The scene's view in the program: the OpenGL view, and the main window's list of bodies.
class WindowSceneView : public SceneView {
public:
    WindowSceneView(RenderWindow& view, Fl_Select_Browser& body_list)
        : view_(view), body_list_(body_list) {}

    void Add_Render_Object(RenderObject* object) override;
    void Remove_Render_Object(RenderObject* object) override;
    void Update_Paddle_Speed() override;
    int Get_Paddle_Speed() const override;
    void Request_Redraw() override;
    void Set_Light_Position(const float position[4]) override;
    // An entry with the body's name, the body itself as the entry's data.
    void List_Body(SimObject* body) override;

private:
    RenderWindow& view_;
    Fl_Select_Browser& body_list_;
};

// The toolkit's timeouts, run by its event loop.
class ToolkitTimers : public SceneTimers {
public:
    void Add_Timeout(double seconds, Callback callback, void* user) override;
    void Repeat_Timeout(double seconds, Callback callback, void* user) override;
};
