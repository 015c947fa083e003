#pragma once

#include "bodies/cube.h"

// A target of the breakout game: a box whose -y face (the one toward the player) is drawn inset
// and bevelled. When the game marks it as hit it lights up (`fade` 3) and, once `fading`, spreads,
// flattens and turns transparent as the game lowers `fade` towards 0. The collision shape stays
// the plain box; the bevel exists in the drawing only.
class Block : public Cube {
public:
    // White, standing, not fading.
    Block(const char* name, const SimState& state, double max_squash, double max_stretch,
          double stretch_rate, double squash_rate, double restitution);

    // Leaves GL_BLEND enabled: a fading block must blend with whatever is drawn after it.
    void Draw() override;

    int grid_index = 0;   // position in the game's grid; set and read by the game only
    float fade = 1.0f;    // opacity and colour factor; 3 when hit, then lowered towards 0
    bool fading = false;  // hit and out of the simulation: drawn spread and flattened by `fade`
};
