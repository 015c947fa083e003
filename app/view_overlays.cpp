#include "app/view_overlays.h"

#include <string>
#include <vector>

#include "app/overlay_text.h"
#include "app/scene_in_window.h"

namespace {

// The help's top left corner, clear of the figures' line.
constexpr int kHelpLeft = 40;
constexpr int kHelpTop = 60;

const std::vector<std::string> kHelp = {
    "Keys",
    "Left, Right    steer the paddle",
    "p    Play, pressed again: stop        s    Stop        t    Step        r    Reset",
    "i    Image Capture        g    Gravity        c    Show Contacts",
    "f    the engine's figures        m    motion trail        h    camera back home",
    "F1 or ?    this help, until pressed again        q    quit",
    "Mouse in the view: left drag orbits, middle drag pans, right drag zooms",
    "Shift + left drag on a free body: carry it, and throw it as the button comes up",
};

}  // namespace

void ViewOverlays::Show_Trail(bool on) {
    trail_on_ = on;
    trail_.Clear();
}

void ViewOverlays::Draw() {
    // Between one scene and the next, or before the first, there is nothing to trail or measure.
    const Tovrel* simulator = Shown_Simulator();
    if (trail_on_ && simulator != nullptr) {
        trail_.Draw(*simulator);
        trail_.Record(*simulator);
    }
    if (show_contacts && simulator != nullptr) {
        contacts_.Draw();
    }
    if (show_figures && simulator != nullptr) {
        figures.Draw();
    }
    if (show_help) {
        Draw_Overlay_Lines(kHelp, kHelpLeft, kHelpTop, true);
    }
}
