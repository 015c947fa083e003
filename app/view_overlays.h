#pragma once

#include "app/contacts_overlay.h"
#include "app/figures_overlay.h"
#include "render/motion_trail.h"
#include "render/render_object.h"

// Everything the view draws over the scene, each part switched on by its own control: the motion
// trail behind the free bodies, Show Contacts, the engine's figures (on from the start) and the
// keys' help. Each only reads the scene, so none changes the game.
class ViewOverlays : public RenderObject {
public:
    void Draw() override;

    // On, the trail starts afresh from the next frame.
    void Show_Trail(bool on);
    bool Showing_Trail() const { return trail_on_; }

    bool show_contacts = false;
    bool show_figures = true;
    bool show_help = false;
    FiguresOverlay figures;

private:
    ContactsOverlay contacts_;
    MotionTrail trail_;
    bool trail_on_ = false;
};
