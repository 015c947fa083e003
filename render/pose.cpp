#include "render/pose.h"

#include <GL/gl.h>

void Apply_Orientation(const Quaternion& orientation) {
    if (const auto turn = orientation.To_Axis_Angle()) {
        glRotated(turn->degrees, turn->axis.x, turn->axis.y, turn->axis.z);
    }
}

void Apply_Placement(const SimState& state) {
    glTranslated(state.position.x, state.position.y, state.position.z);
    Apply_Orientation(state.orientation);
}

void Apply_Transform(const SimObject& body) {
    Apply_Placement(body.state);
    glScaled(body.state.scale.x, body.state.scale.y, body.state.scale.z);
}
