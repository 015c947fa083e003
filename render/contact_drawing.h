#pragma once

class SimObject;
class Tovrel;

// What the closest-feature walk keeps between one body and the others, made visible. Drawing
// reads the pair records, the bodies' committed states and their polyhedra, and nothing else: it
// never runs a query, so it changes no feature cache, stamp or counter.

// The colour of a gap, red at touching through yellow to green at a gap of 2 or more.
void Gap_Colour(double gap, float rgb[3]);

// Draws, in world space and over everything drawn before, for each record of Records_Of(sim,
// body): the segment between the witness points in the colour of the gap, with a small dot at each
// end; the closest feature of each body marked in translucent cyan (a vertex by a ring facing the
// camera, a tenth of the body's smallest dimension across, an edge as a line, a face by its
// outline), so that the body itself stays in sight; and for a pair in contact, as an arrow of
// fixed length, the normal towards `body` from the contact point, which a ring a tenth of `body`'s
// smallest dimension across marks: white for a primary contact, dashed grey for a waiting one.
void Draw_Contacts(const Tovrel& sim, const SimObject& body);
