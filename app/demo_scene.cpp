#include "app/demo_scene.h"

#include <cmath>

#include "app/scene_bodies.h"

const Vector3d g_vGravity(0.0, 0.0, -kGravity);
const Vector3d g_vNoGravity(0.0, 0.0, 0.0);
// Five blocks span the room's 12 units less 1.5 at each side; five rows a third of its height.
const float g_fBlockWidth = (12 - 2 * 1.5) * 0.2;
const float g_fBlockHeight = 11.6 * static_cast<double>(1.0f / 15.0f);
const float g_fTickPeriod = 1.0f / 60.0f;
double g_dTimeScale = 1.0;

namespace {

constexpr double kGridCentreZ = 8.0;  // the middle row's height

}  // namespace

BreakoutRoom Make_Breakout_Room() {
    const Vector3d wall_scale(kWallHalfThickness, kWallHalfDepth, kWallHalfHeight);
    const double half_span = kRoomWidth * 0.5 + kWallHalfThickness;
    BreakoutRoom room;
    room.left_wall = Make_Wall("Left Wall", {-kRoomWidth / 2, 0.0, kWallCentreZ}, wall_scale);
    room.right_wall = Make_Wall("Right Wall", {kRoomWidth / 2, 0.0, kWallCentreZ}, wall_scale);
    room.ceiling = Make_Wall("Ceiling", {0.0, 0.0, kCeilingZ},
                             {half_span, kWallHalfDepth, kWallHalfThickness});
    room.back_wall = Make_Wall("Back Wall", {0.0, kBackWallY, kWallCentreZ},
                               {half_span, kWallHalfThickness, kWallHalfHeight});
    room.reset_slab = Make_Wall("Reset", {0.0, 0.0, kSlabZ},
                                {kSlabHalfWidth, kSlabHalfDepth, kWallHalfThickness});
    room.left_wall->Set_Color(0.0f, 1.0f, 0.0f);
    room.right_wall->Set_Color(0.0f, 1.0f, 0.0f);
    room.ceiling->Set_Color(0.0f, 1.0f, 0.0f);
    room.back_wall->Set_Color(0.0f, 0.5f, 0.0f);
    room.back_wall->subdivisions = kBackWallSubdivisions;
    room.reset_slab->Set_Color(1.0f, 1.0f, 1.0f);
    return room;
}

std::unique_ptr<Block> Make_Grid_Block(int row, int column) {
    const double w = g_fBlockWidth;
    const double h = g_fBlockHeight;
    const Vector3d position((column - 2) * w, 0.0, kGridCentreZ - (row - 2) * h);
    const Vector3d scale(w / 2, 1.0, h / 2);
    auto block = std::make_unique<Block>("Block", Still_State(SimMode::Fixed, position, scale), 1.0,
                                         1.0, 1.0, 1.0, 1.0);
    block->grid_index = kGridColumns * row + column;
    return block;
}

bool Ball_Within_Bounds(const Vector3d& p) {
    if (p.z <= kWallBottomZ || p.y < -kWallHalfDepth) {
        // Below the walls, or out through the open front: it can only fall onto the slab.
        return std::fabs(p.x) <= kSlabHalfWidth && std::fabs(p.y) <= kSlabHalfDepth &&
               p.z > kSlabTopZ;
    }
    return std::fabs(p.x) < kWallFaceX && p.z < kCeilingFaceZ && p.y < kBackFaceY;
}
