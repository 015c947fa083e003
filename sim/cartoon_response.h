#pragma once

#include <optional>

#include "math/vector3d.h"

struct Collision;
class SimObject;

// What a contact does to its bodies. There are no contact forces: when a contact starts for a body
// that can deform (a free one, or a resting one that something runs into; a fixed or driven body is
// never deformed, turned or moved by a contact), the body gets a timetable (ContactTimetable): it
// squashes against the other body, then springs back, turning about the point where it touches
// the other so that its stretch axis ends up along its new direction of travel. Against a body
// that does not give way (Fixed or Driven) one of six treatments builds the timetable:
//   bounce: the velocity is mirrored at the contact plane and scaled by the restitution;
//   slide:  a slow touch (speed below 1) where nothing holds the body up and it has no squash to
//           make: only the part of the velocity into the surface is mirrored and scaled;
//   glance: a fast body skimming a surface that does not hold it up, into it slower than 1: it
//           keeps its way along the surface, scaled by the restitution, and is nudged off it;
//           nothing deforms;
//   rest:   a slow impact (speed below 1) on a body that holds it up (see Comes_To_Rest); the
//           body stops dead, squashes, recovers, and at the end of the contact comes to rest;
//   flat:   the bodies already move apart; nothing deforms and the contact ends at once;
//   knock:  a driven body runs into a resting one, which wakes up and bounces off it.
// Two bodies that both can deform meet as two masses in proportion to their volumes, at the lesser
// restitution of the two, so that their momentum is kept; each squashes on its own timetable, with
// its own parameters, and is let go when its own timetable ends; touching while closing slowly,
// they are nudged apart. A free body coming slowly down onto a resting one rests on it instead,
// and onto a free one goes on with it and settles on it. While a body deforms, it is kept just
// touching the other, and out of the bodies of its other contacts (push_out.h): a partner that can
// deform gives way and is carried along, one that cannot is gone round. Angles handed to rotations
// are degrees.

// Impacts slower than this (world units per second) are rests rather than bounces.
constexpr double kRestSpeed = 1.0;
// The searches that keep a body touching another leave it within this either side of touching:
// sunk or apart by less, it only touches.
constexpr double kTouchingSlack = 0.005;

// Gives a new contact the direction its response and push-outs go by when the pair never was
// found apart (or not since a Reset): the line between the bodies' centres; for a body that gives
// way and one that does not, the way from the latter's nearest point to the former's centre,
// where the centre lies outside it. The line between the centres of a wall and a ball sunk into
// it near the floor pointed down along the wall, and a search that took the wall to lie there
// pushed the ball out through it, out of the room. Other records keep the normal of their last
// separated query.
void Give_Direction_If_Unknown(Collision& c);

// Asks the pair of a waiting contact that takes over for X where its bodies are now, so that the
// contact goes by their separation rather than by where they were when it was found. A pair that
// still touches is asked about X's centre, shrunk to a speck; a centre inside the other body
// leaves the contact as it was.
void Take_Current_Direction(Collision& c, SimObject& x);

// A contact starts at time t for every body whose role in it the simulator has set to Running:
// sets their timetables and their new committed velocities and stretch flags (and those of a
// waiting partner that can deform). A body settling on a resting one leaves that one Still.
void Start_Response(Collision& c, double t, const Vector3d& gravity);

// X's running contact has ended and this one, which X waited on, starts for X at time t, going by
// where the bodies are now.
void Take_Over(Collision& c, SimObject& x, double t, const Vector3d& gravity);

// Whether X, whose timetable in `c` has ended, comes to rest there: its contact was a slow one, and
// the other body holds it up (is not flying, and X lies on it within 45 degrees of straight up, or
// between it and the body its response leans on, Response::lean_body).
bool Comes_To_Rest(const Collision& c, const SimObject& x, const Vector3d& gravity);
// The body X rests on besides the other body of `c`, where that one alone does not hold it up.
const SimObject* Also_Leans_On(const Collision& c, const SimObject& x, const Vector3d& gravity);

// Whether X lies against the other body of record `r` (apart by kTouchingSlack at most, or sunk
// into it), and if so X's outward normal from it: the way from its nearest point to X's
// centre. A centre inside it has no such way, and X is taken not to lie on it. The record's
// witness is left as it was.
std::optional<Vector3d> Lies_Against(Collision& r, SimObject& x);

// Rebuilds the tentative state for time t of every body deforming in `c`, from its committed state
// and its timetable. Every contact is deformed before any body is kept touching, so that each is
// kept touching the others as they will be.
void Deform(Collision& c, double t);

// The turn and rescale about the contact point carry the centre of a body deforming in `c` along,
// about a point that may lie well off the body: straight below the centre of a body squashed flat
// and lying tilted, it lies out beside it, and a flat box springing back was carried 1.4 units
// through the floor it waited on in one rebuild, out of the room. Where the carry takes the centre
// right through a body that never gives way (of its contacts or within its reach), the body turns
// and rescales about its centre instead, and the searches bring it back to touching. A carry that
// ends inside such a body (into a corner) is left to the searches, as it always was: in the
// demo's game the ball's centre is carried a little into a wall in the corner by the paddle.
// Called once the deforming bodies have found what is within their reach.
void Take_Back_Carry_Through(Collision& c);

// Moves every body deforming in `c` along the contact normal until it just touches the other (two
// that deform share the move), and out of a body of its other contacts it may have sunk into
// (pinched between two that face each other and never give way, it squeezes out sideways, clear of
// both); last, out of any body that does not fly (fixed, driven or at rest) it is still wedged
// into (Clear_Of_All), and where no place near is clear of them, it squashes only as far as there
// is room (its own shape, if need be, moved out of them, unless a driven body around will move on
// and let it go).
void Keep_Touching(Collision& c, const Vector3d& gravity);

// Two free bodies of a contact in which not both deform (one waits, or is let go) are kept out of
// each other by nobody's timetable: sunk into each other, they are moved apart along the contact's
// normal, sharing the move by their masses.
void Part_If_Sunk(Collision& c);

// Whether the bodies of a pair both give way and one can move (free with free, or free with
// resting): a pair that Part_Sunk_Pair parts when sunk.
bool Parts_When_Sunk(const Collision& c);
// Two bodies sunk into each other where they were last tried, whatever their contact: two free
// ones are parted as above; a free one comes out of a resting one alone, as a resting body stays
// where it came to rest, unless it cannot (widened between two resting balls, it was pushed out of
// each into the other in turn, 0.34 deep): then the resting one comes out of it, stopping at any
// other body at rest, and rests where it is moved to. Any other pair is left to its contact.
// Returns whether a body moved.
bool Part_Sunk_Pair(Collision& c);

// Deform, Take_Back_Carry_Through, then Keep_Touching: a contact on its own.
void Update_Contact(Collision& c, double t, const Vector3d& gravity);
