#include "app/contacts_overlay.h"

#include <cstdio>

#include "app/overlay_text.h"
#include "app/scene_in_window.h"
#include "render/contact_drawing.h"

void ContactsOverlay::Draw() {
    const Tovrel& sim = *Shown_Simulator();
    if (const SimObject* followed = Shown_Scene()->Followed_Body()) {
        Draw_Contacts(sim, *followed);
    }
    rate_.Update(sim);
    char line[160];
    std::snprintf(line, sizeof line,
                  "t %.2f s   contacts %zu   pair queries per tick %.0f   tests per query %.2f",
                  sim.time, sim.contacts.size(), rate_.Queries_Per_Tick(), rate_.Tests_Per_Query());
    int width = 0;
    int height = 0;
    Overlay_Size(width, height);
    Draw_Overlay_Lines({line}, kOverlayMargin, height - kOverlayMargin - kOverlayLineHeight, false);
}
