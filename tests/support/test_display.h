#pragma once

#include <string>

// A private X server for the window and OpenGL tests, so that they need no display of their own
// (CI has none). The first call starts Xvfb, which picks a free display number itself and so
// keeps parallel test processes apart, and points DISPLAY at it; the server is stopped when the
// process that started it exits. Returns an empty string when the display is up, else what
// went wrong.
std::string Start_Test_Display();
