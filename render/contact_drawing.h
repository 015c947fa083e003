#pragma once

class SimObject;
class Tovrel;

// What the closest-feature walk keeps between one body and the others, made visible. Drawing
// reads the pair records, the bodies' committed states and their polyhedra, and nothing else: it
// never runs a query, so it changes no feature cache, stamp or counter.

// The colour of a gap, red at touching through yellow to green at a gap of 2 or more.
void Gap_Colour(double gap, float rgb[3]);

// Draws, in world space and over everything drawn before, for each record of Records_Of(sim,
// body): the segment between the witness points in the colour of the gap, with a dot at each end;
// the closest feature of each body outlined (a vertex as a larger dot, an edge as a thick line, a
// face as its outline); and for a pair in contact the contact point and, as an arrow of fixed
// length, the normal towards `body`: white for a primary contact, dashed grey for a waiting one.
void Draw_Contacts(const Tovrel& sim, const SimObject& body);
