#pragma once

#include <string>

// A private X server for the window and OpenGL tests. The first call starts Xvfb on a free display
// and points DISPLAY at it; it lives exactly as long as the test program, whatever windows and demo
// processes come and go, however the program ends. Returns "" when it is up, else what went wrong.
std::string Start_Test_Display();
