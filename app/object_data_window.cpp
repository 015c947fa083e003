#include "app/object_data_window.h"

#include <FL/Fl_Value_Slider.H>

#include <iterator>

#include "sim/sim_object.h"

namespace {

constexpr int kMargin = 5;
constexpr int kSliderHeight = 20;
constexpr int kRowPitch = 45;  // a slider and its label below it
constexpr int kWindowHeight = 185;
constexpr double kSliderStep = 0.01;

Fl_Value_Slider* Add_Slider(int row, int width, const char* label, double low, double high,
                            Fl_Callback* callback, void* window) {
    auto* slider = new Fl_Value_Slider(kMargin, kMargin + row * kRowPitch, width - 2 * kMargin,
                                       kSliderHeight, label);
    slider->type(FL_HOR_NICE_SLIDER);
    slider->step(kSliderStep);
    slider->range(low, high);
    slider->callback(callback, window);
    return slider;
}

double Value_Of(Fl_Widget* slider) {
    return static_cast<Fl_Value_Slider*>(slider)->value();
}

}  // namespace

ObjectDataWindow::ObjectDataWindow(int w, int h, SimObject* body)
    : Fl_Window(w, h, body->name), m_pObject(body), m_pfnChanged(nullptr) {
    // In the order of Show_Body_Values.
    Add_Slider(0, w, "Max Stretch", 1.0, 3.0, Max_Stretch_Callback, this);
    Add_Slider(1, w, "Stretch Rate", 0.0, 2.0, Stretch_Rate_Callback, this);
    Add_Slider(2, w, "Max Squash", 0.1, 1.0, Max_Squash_Callback, this);
    Add_Slider(3, w, "Restitution", 0.0, 1.0, Restitution_Callback, this);
    end();
    resize(x(), y(), w, kWindowHeight);
    Show_Body_Values();
}

ObjectDataWindow::~ObjectDataWindow() = default;

void ObjectDataWindow::Show_Body_Values() {
    const double values[] = {m_pObject->max_stretch, m_pObject->stretch_rate, m_pObject->max_squash,
                             m_pObject->restitution};
    for (int row = 0; row < static_cast<int>(std::size(values)); ++row) {
        static_cast<Fl_Value_Slider*>(child(row))->value(values[row]);
    }
}

void ObjectDataWindow::Changed() {
    if (m_pfnChanged != nullptr) {
        m_pfnChanged(m_pObject);
    }
}

void ObjectDataWindow::Max_Stretch_Callback(Fl_Widget* slider, void* window) {
    auto* self = static_cast<ObjectDataWindow*>(window);
    self->m_pObject->max_stretch = Value_Of(slider);
    self->Changed();
}

void ObjectDataWindow::Stretch_Rate_Callback(Fl_Widget* slider, void* window) {
    auto* self = static_cast<ObjectDataWindow*>(window);
    // One rate for both halves of the cartoon: stretching in flight and squashing on impact.
    self->m_pObject->stretch_rate = Value_Of(slider);
    self->m_pObject->squash_rate = Value_Of(slider);
    self->Changed();
}

void ObjectDataWindow::Max_Squash_Callback(Fl_Widget* slider, void* window) {
    auto* self = static_cast<ObjectDataWindow*>(window);
    self->m_pObject->max_squash = Value_Of(slider);
    self->Changed();
}

void ObjectDataWindow::Restitution_Callback(Fl_Widget* slider, void* window) {
    auto* self = static_cast<ObjectDataWindow*>(window);
    self->m_pObject->restitution = Value_Of(slider);
    self->Changed();
}
