#include "rotation_spy.h"

#include <GL/gl.h>
#include <dlfcn.h>

std::vector<RotationCall>& Rotation_Calls() {
    static std::vector<RotationCall> calls;
    return calls;
}

extern "C" void glRotated(GLdouble degrees, GLdouble x, GLdouble y, GLdouble z) {
    using Rotate = void (*)(GLdouble, GLdouble, GLdouble, GLdouble);
    static const Rotate real = reinterpret_cast<Rotate>(dlsym(RTLD_NEXT, "glRotated"));
    Rotation_Calls().push_back({degrees, x, y, z});
    real(degrees, x, y, z);
}
