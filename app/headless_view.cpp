#include "app/headless_view.h"

#include <algorithm>

void HeadlessView::Set_Light_Position(const float position[4]) {
    std::copy(position, position + 4, light_position);
    ++light_positions_set;
}

int HeadlessView::Times_Shown(const RenderObject* object) const {
    return static_cast<int>(std::count(drawables.begin(), drawables.end(), object));
}

void SimulatedTimers::Add_Timeout(double seconds, Callback callback, void* user) {
    pending_.push_back({now_ + seconds, added_++, callback, user});
}

void SimulatedTimers::Repeat_Timeout(double seconds, Callback callback, void* user) {
    Add_Timeout(seconds, callback, user);
}

std::vector<SimulatedTimers::Pending>::const_iterator SimulatedTimers::Earliest() const {
    return std::min_element(pending_.begin(), pending_.end(),
                            [](const Pending& a, const Pending& b) {
                                return a.due < b.due || (a.due == b.due && a.order < b.order);
                            });
}

SceneTimers::Callback SimulatedTimers::Next() const {
    return pending_.empty() ? nullptr : Earliest()->callback;
}

SceneTimers::Callback SimulatedTimers::Run_Next() {
    if (pending_.empty()) {
        return nullptr;
    }
    const auto next = Earliest();
    const Pending due = *next;
    pending_.erase(next);
    now_ = std::max(now_, due.due);
    due.callback(due.user);
    return due.callback;
}

bool SimulatedTimers::Has_Timeout(Callback callback) const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [&](const Pending& p) { return p.callback == callback; });
}
