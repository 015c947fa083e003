#pragma once

#include <optional>

#include "math/vector3d.h"

struct Collision;
class SimObject;

// A pinched body squeezes out at most this many times its half extent; further away it would not
// be squeezing out but jumping, and it stays where it is. The bodies that far around a deforming
// body are the ones its searches keep it out of.
constexpr double kSqueezeReach = 8.0;

// Keeping a deforming body X out of the bodies it touches. Each search moves X's tentative
// position along a line, asking the pair query whether it touches, in steps of kPushOutStep, and
// bisects the step where the answer changes down to kPushOutPrecision, leaving X on the free side.
// The searches query pairs at trial positions; what a contact goes by (its normal and contact
// point) stays that of the pair's last separation before the contact, however far a search wanders.

// Moves X out of the other body of `c` along -d, or, while apart, up to `reach` along unit
// direction `d` towards it, to within kPushOutPrecision of touching it and separated from it.
void Push_Out(Collision& c, SimObject& x, const Vector3d& d, double reach);

// If X has sunk into the other body of contact `q`, moves it out along -d, to within
// kPushOutPrecision of touching it; the body of the primary contact `c` is no third body to this
// search (its own keeps X touching it).
void Push_Out_Beside(Collision& q, const Collision& c, SimObject& x, const Vector3d& d);

// If X has sunk into the other body of waiting contact `q`, moves it back out sideways, across the
// primary contact `c`'s direction `inward`, so that the primary contact is not disturbed; out of a
// body lying straight along that direction, straight out. Pinched between two bodies that face
// each other, X squeezes out sideways to the nearest place clear of both.
void Push_Out_Second_Contact(Collision& c, Collision& q, SimObject& x, const Vector3d& inward,
                             const Vector3d& gravity);

// The last resort once the searches along single lines are done: X, deforming in contact `c`,
// still sinks into a body around it (wedged among several, or pushed out of one into another). It
// moves to the nearest place clear of them all, away from one of them or along an axis, within
// three half extents; finding none, it stays. Returns whether X ends clear of them all. Where
// `out_of_corners`, finding none it also tries the ways between two bodies it sinks into (out of
// the corner of a floor and a wall, diagonally). Only the last resort of a squash with no room
// asks for them: tried at every pass, they moved the demo's ball, pinned in a corner by the
// paddle, where it has always waited for the paddle to move on, and the game's play goes by that.
bool Clear_Of_All(Collision& c, SimObject& x, bool out_of_corners = false);

// Where a point going `way` from `from` enters `body`, as it is tried, as a share of `way`, if it
// enters after it sets out and ends outside it: a centre carried, searched or flown through a wall.
std::optional<double> Passes_Through(const SimObject& body, const Vector3d& from,
                                     const Vector3d& way);

// Whether X, deforming in contact `c`, sinks into a body around it that does not fly (fixed,
// driven or at rest), the other body of `c` included, deeper than the searches leave bodies that
// touch.
bool Wedged(Collision& c, SimObject& x);

// Moves X by `move` unless that sinks it into a fixed or driven body it was clear of (or deeper
// into one it was in), anywhere along the way: a body carried by another does not give way
// through what never does. Returns whether it moved.
bool Move_Clear_Of_Unyielding(SimObject& x, const Vector3d& move);
// The same, and where `move` is refused, X slides instead: `move` with the part leading towards
// each fixed or driven body around it (of its contacts or within its reach, as its last
// separation from it says) taken off, one after another, the way along the walls of the corner
// it is pressed into. Returns the move X made: `move`, the slide, or nothing.
Vector3d Move_Or_Slide_Clear_Of_Unyielding(SimObject& x, const Vector3d& move);
