#pragma once

// Angles are radians inside the maths and degrees at the drawing boundary and in axis-and-angle
// rotations; these are the two conversion factors, written out so that every caller rounds alike.
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
