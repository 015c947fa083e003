#include "app/window_scene_view.h"

#include <FL/Fl.H>
#include <FL/Fl_Select_Browser.H>

#include "render/render_window.h"
#include "sim/sim_object.h"

void WindowSceneView::Add_Render_Object(RenderObject* object) {
    view_.Add_Render_Object(object);
}

void WindowSceneView::Remove_Render_Object(RenderObject* object) {
    view_.Remove_Render_Object(object);
}

void WindowSceneView::Update_Paddle_Speed() {
    view_.Update_Paddle_Speed();
}

int WindowSceneView::Get_Paddle_Speed() const {
    return view_.Get_Paddle_Speed();
}

void WindowSceneView::Request_Redraw() {
    view_.redraw();
    // The toolkit merges redraws that come faster than it draws, and captured frames would then
    // lie one tick apart here and two there: a film would jerk. While capturing, each tick draws.
    if (view_.Capturing()) {
        Fl::flush();
    }
}

void WindowSceneView::Set_Light_Position(const float position[4]) {
    view_.Set_Light_Position(position);
}

void WindowSceneView::List_Body(SimObject* body) {
    body_list_.add(body->name, body);
}

void ToolkitTimers::Add_Timeout(double seconds, Callback callback, void* user) {
    Fl::add_timeout(seconds, callback, user);
}

void ToolkitTimers::Repeat_Timeout(double seconds, Callback callback, void* user) {
    Fl::repeat_timeout(seconds, callback, user);
}
