#pragma once

#include <string>
#include <vector>

// Lines of white text over the view, in window pixels from its top left corner: `top` is where
// the first line's top lies. Called while the view draws (its context current); leaves the GL
// state as it found it. With `backdrop`, a translucent dark box lies behind the lines, so they
// read over any part of the scene.
void Draw_Overlay_Lines(const std::vector<std::string>& lines, int left, int top, bool backdrop);

// The view's size in pixels, as its viewport has it while it draws.
void Overlay_Size(int& width, int& height);

// The height of one line of overlay text, and the margin kept from the view's edges.
constexpr int kOverlayLineHeight = 18;
constexpr int kOverlayMargin = 8;
