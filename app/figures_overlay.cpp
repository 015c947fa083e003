#include "app/figures_overlay.h"

#include <cstdio>

#include "app/overlay_text.h"
#include "app/scene_in_window.h"

namespace {

// The rate is taken over this many frames, long enough to read steadily.
constexpr size_t kRateFrames = 30;

}  // namespace

double FiguresOverlay::Frames_Per_Second() {
    frames_.push_back(std::chrono::steady_clock::now());
    if (frames_.size() > kRateFrames) {
        frames_.pop_front();
    }
    const double seconds = std::chrono::duration<double>(frames_.back() - frames_.front()).count();
    return seconds > 0.0 ? (frames_.size() - 1) / seconds : 0.0;
}

void FiguresOverlay::Draw() {
    const Tovrel& sim = *Shown_Simulator();
    rate_.Update(sim);
    char line[200];
    std::snprintf(
        line, sizeof line,
        "fps %.0f   step %.3f ms   bodies %zu   contacts %zu   pair queries per tick %.0f",
        Frames_Per_Second(), Shown_Scene()->Step_Milliseconds(), sim.active_objects.size(),
        sim.contacts.size(), rate_.Queries_Per_Tick());
    line_ = line;
    if (const BreakoutScene* game = Shown_Breakout()) {  // only it has blocks and balls to miss
        std::snprintf(line, sizeof line, "   blocks left %d   balls missed %d", game->g_nBlocksLeft,
                      game->g_nBallsMissed);
        line_ += line;
    }
    Draw_Overlay_Lines({line_}, kOverlayMargin, kOverlayMargin, false);
}
