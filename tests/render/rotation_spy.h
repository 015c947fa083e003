#pragma once

#include <vector>

// Every glRotated call made in this test executable, in order. The executable defines glRotated
// itself, which takes precedence over the GL library's for all code linked into it; the spy
// notes the call and passes it on to the real one.
struct RotationCall {
    double degrees, x, y, z;
};
std::vector<RotationCall>& Rotation_Calls();
