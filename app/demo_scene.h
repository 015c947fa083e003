#pragma once

#include <memory>

#include "app/scene_bodies.h"
#include "bodies/block.h"
#include "bodies/cube.h"
#include "math/vector3d.h"

// The demo's world and its small breakout game. The room is a box open at the front (-y) and at
// the bottom: two side walls, a ceiling and a back wall, all fixed, and far below a wide slab
// named "Reset" that catches a ball the paddle missed. A ball read from a mesh file flies under
// gravity, the player's paddle moves along x at the bottom, and up to 25 blocks hang in a 5 x 5
// grid under the ceiling. A block the ball touches lights up, leaves the simulation when the
// contact ends, fades and vanishes; when none is left a new random layout is drawn and the ball is
// served again a second later. The ball touching the slab resets the simulation at the next tick.
//
// Here are the game's fixed measures and the bodies of its room and grid as built; the game itself,
// its state and its rules, is one object, BreakoutScene (breakout_scene.h), which reaches the
// outside world only through the SceneView and SceneTimers given to it.

// The room's measures in world units. Several are single-precision values widened to double,
// which places the walls exactly where the game has always had them. Walls, ceiling and blocks
// reach 1 to the front and to the back of y = 0, where the ball flies.
constexpr double kRoomWidth = 12.0;                       // between the side walls' centres
constexpr double kCeilingZ = static_cast<double>(11.6f);  // the ceiling's centre
constexpr double kWallHalfHeight = (static_cast<double>(11.6f) + static_cast<double>(0.4f)) * 0.5;
constexpr double kWallCentreZ = 5.5;
constexpr double kWallHalfDepth = 1.0;
constexpr double kBackWallY = 1.1;
constexpr double kSlabZ = -8.0;
constexpr double kSlabHalfWidth = 24 + kWallHalfThickness;
constexpr double kSlabHalfDepth = 10.0;
// The faces the ball meets, and how far down the walls reach.
constexpr double kWallFaceX = kRoomWidth / 2 - kWallHalfThickness;
constexpr double kCeilingFaceZ = kCeilingZ - kWallHalfThickness;
constexpr double kBackFaceY = kBackWallY - kWallHalfThickness;
constexpr double kSlabTopZ = kSlabZ + kWallHalfThickness;
constexpr double kWallBottomZ = kWallCentreZ - kWallHalfHeight;

// The ball's mesh is a unit sphere, scaled to this radius; the paddle is its shape (half width 1,
// nose 4 above its centre) scaled by kPaddleScale.
constexpr double kBallRadius = static_cast<double>(0.3f);
const Vector3d kPaddleScale(1.5, 1.5, 0.1);
constexpr double kPaddleHalfWidth = 1.5;
constexpr double kPaddleTopZ = 4 * 0.1;
// How far the paddle's centre goes either way: steered into a side wall, it stops against it.
constexpr double kPaddleTravel = kWallFaceX - kPaddleHalfWidth;

constexpr int kGridRows = 5;
constexpr int kGridColumns = 5;
constexpr int kBlockCount = kGridRows * kGridColumns;

extern const Vector3d g_vGravity;    // (0, 0, -9.8), while the gravity toggle is on
extern const Vector3d g_vNoGravity;  // (0, 0, 0)
extern const float g_fBlockWidth;    // block pitch and full width along x
extern const float g_fBlockHeight;   // block pitch and full height along z
extern const float g_fTickPeriod;    // the play timer's period, 1/60 s in single precision
extern double g_dTimeScale;          // simulated seconds per second of the play timer

// The room's fixed bodies as the game builds them, coloured: green walls and ceiling, a darker
// back wall with a finer grid, the white "Reset" slab.
struct BreakoutRoom {
    std::unique_ptr<Cube> left_wall, right_wall, ceiling, back_wall, reset_slab;
};
BreakoutRoom Make_Breakout_Room();

// The block of the grid's `row` (0 the top one) and `column` (0 the leftmost) in its place, fixed,
// with its grid index.
std::unique_ptr<Block> Make_Grid_Block(int row, int column);

// Whether a ball centred at `p` is where it can be: inside the room, or below the walls' lower
// edges or out through the open front, above the slab that catches it. Anywhere else the
// simulation has lost it.
bool Ball_Within_Bounds(const Vector3d& p);
