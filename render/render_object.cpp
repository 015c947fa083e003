#include "render/render_object.h"

void RenderObject::Draw_Shadow(const float[4], const float[4]) {}
