#include "app/breakout_room.h"

#include <limits>

#include "app/demo_scene.h"

std::vector<SpaceBox> Breakout_Room() {
    // Out of the open front nothing stops a ball going up: the slab only catches it later.
    const double sky = std::numeric_limits<double>::infinity();
    return {
        {{-kWallFaceX, -kWallHalfDepth, kWallBottomZ}, {kWallFaceX, kBackFaceY, kCeilingFaceZ}},
        {{-kSlabHalfWidth, -kSlabHalfDepth, kSlabTopZ},
         {kSlabHalfWidth, kSlabHalfDepth, kWallBottomZ}},
        {{-kSlabHalfWidth, -kSlabHalfDepth, kSlabTopZ}, {kSlabHalfWidth, -kWallHalfDepth, sky}},
    };
}
