#pragma once

// The drawing half of every visible body. The view keeps pointers to this interface only and never
// learns what kind of body it draws; bodies derive from it first and from SimObject second.
class RenderObject {
public:
    RenderObject() = default;
    virtual ~RenderObject() = default;

    RenderObject(const RenderObject&) = delete;
    RenderObject& operator=(const RenderObject&) = delete;

    // Draws the object in world coordinates with the current GL state; the object pushes and pops
    // its own transformation.
    virtual void Draw() = 0;

    // Draws the object's shadow flattened onto the plane a x + b y + c z + d = 0, (a, b, c) a unit
    // normal, as cast by `light` (x, y, z, w): w = 0 is a directional light along (x, y, z), any
    // other w a point light at (x, y, z) / w. Objects without a shadow keep this empty version.
    virtual void Draw_Shadow(const float plane[4], const float light[4]);

    // Whether the view's shadow pass calls Draw_Shadow for this object.
    bool casts_shadow = false;
};
