#pragma once

#include "math/vector3d.h"

// The line from the camera's eye through a point of the view: what lies under the pointer.
struct PointerRay {
    Vector3d origin;     // the eye
    Vector3d direction;  // unit, into the scene
    Vector3d facing;     // unit, the camera's line of sight, from the eye to its target
};

// The ray through the pixel (x, y), counted from the view's top left corner with y down, of a view
// `width` by `height` whose camera looks from `eye` at `target` with z up and sees
// `horizontal_fov` degrees from its left edge to its right: the perspective the view draws with.
PointerRay Pointer_Ray(const Vector3d& eye, const Vector3d& target, double horizontal_fov,
                       double width, double height, int x, int y);

// Whatever takes the pointer over while Shift and the left button are held in the view, instead
// of the camera.
class PointerGrab {
public:
    virtual ~PointerGrab() = default;

    // Shift and the left button went down over `ray`: whether something was taken. When nothing
    // was, the drag turns the camera as it would without Shift.
    virtual bool Press(const PointerRay& ray) = 0;
    // The pointer moved while the taken thing is held.
    virtual void Drag(const PointerRay& ray) = 0;
    // The button came up: it is let go.
    virtual void Release() = 0;
};
