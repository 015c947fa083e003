#pragma once

#include "app/walk_rate.h"
#include "render/render_object.h"

// "Show Contacts": drawn over the scene, what the closest-feature walk sees between the ball (in a
// scene file's scene, its first body that is not fixed) and every other active body, and in the
// view's bottom left corner a line of figures: the simulated time, the contacts under way, and per
// tick the pair queries and the walk's state tests per query (about one where the walk starts
// beside its last answer). Reads the simulator only.
class ContactsOverlay : public RenderObject {
public:
    void Draw() override;

private:
    WalkRate rate_;
};
