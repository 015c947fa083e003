#pragma once

class Tovrel;

// Steps `simulator` by `seconds` and returns the wall-clock time the step took, in milliseconds:
// measured only, it never steers. A body the pointer holds is first put where the pointer is. The
// simulator fails a step only before its first Reset, which building a scene makes impossible:
// after its message the program ends.
double Timed_Step(Tovrel& simulator, double seconds);
