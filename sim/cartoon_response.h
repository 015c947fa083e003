#pragma once

#include "math/vector3d.h"

struct Collision;

// What a contact does to its bodies. There are no impulses and no contact forces: when a contact
// becomes primary, the body that deforms (the free or resting one; a fixed or driven body is never
// deformed, turned or moved by a contact) gets a timetable (ContactTimetable): it squashes against
// the other body, then springs back, turning about the point where it touches the other so that
// its stretch axis ends up along its new direction of travel. Four treatments build the
// timetable:
//   bounce: the velocity is mirrored at the contact plane and scaled by the restitution;
//   rest:   a slow impact (speed below 1); the body stops dead, squashes, recovers, and at the end
//           of the contact comes to rest;
//   flat:   the bodies already move apart; nothing deforms and the contact ends at once;
//   knock:  a driven body runs into a resting one, which wakes up and bounces off it.
// While the contact lasts, the body is kept just touching the other, and out of the bodies of its
// waiting contacts (push_out.h). Angles handed to rotations are degrees.

// Gives a new contact the direction its response and push-outs go by when the pair never was
// found apart (or not since a Reset): the line between the bodies' centres. Other records keep
// the normal of their last separated query.
void Give_Direction_If_Unknown(Collision& c);

// Asks the pair of a waiting contact that takes over where its bodies are now, so that the
// contact goes by their separation rather than by where they were when it was found. A pair that
// still touches is asked about the deforming body's centre, shrunk to a speck; a centre inside the
// other body leaves the contact as it was.
void Take_Current_Direction(Collision& c);

// Sets the whole timetable of a contact that becomes primary at time t, and the deforming body's
// new committed velocity and stretch flag.
void Start_Response(Collision& c, double t);

// Rebuilds both bodies' tentative states for time t from their committed states and the
// timetable, then moves the deforming body along the contact normal until it just touches the
// other (and out of a second body it may have sunk into; pinched between two that face each
// other, it squeezes out sideways, clear of both).
void Update_Contact(Collision& c, double t, const Vector3d& gravity);
