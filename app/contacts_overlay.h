#pragma once

#include "render/render_object.h"
#include "sim/pair_records.h"

// "Show Contacts": drawn over the scene, what the closest-feature walk sees between the ball and
// every other active body, and in the view's top left corner a line of figures: the simulated
// time, the contacts under way, and per tick the pair queries and the walk's state tests per
// query (about one where the walk starts beside its last answer). Reads the simulator only.
class ContactsOverlay : public RenderObject {
public:
    void Draw() override;

private:
    // The clock when the last figures were taken, and those figures, kept while the clock
    // stands still (Stop) or goes back (Reset).
    double time_ = -1.0;
    WalkCounter walk_;
    double queries_per_tick_ = 0.0;
    double tests_per_query_ = 0.0;
};
