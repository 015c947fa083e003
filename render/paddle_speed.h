#pragma once

// The paddle speed after one game tick with the arrow keys in the given state. Holding one key
// accelerates by 0.8 per tick up to 5 that way, or brakes by 1.2 per tick while still moving the
// other way; holding none decays by 1.2 per tick towards 0 without crossing it; holding both
// changes nothing.
float Next_Paddle_Speed(float speed, bool left_down, bool right_down);
