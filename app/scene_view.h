#pragma once

class RenderObject;
class SimObject;

// What the game rules need from whatever shows the scene. The program implements it around the
// OpenGL view and the main window's body list; a run without a window uses a null version. The
// game rules never touch a window, a timer or OpenGL themselves, so they run anywhere.
class SceneView {
public:
    virtual ~SceneView() = default;

    // Drawables are referred to, not owned; removing one removes every entry of it.
    virtual void Add_Render_Object(RenderObject* object) = 0;
    virtual void Remove_Render_Object(RenderObject* object) = 0;

    // Once per game tick, then read: the player's paddle speed, an integer from -5 to 5.
    virtual void Update_Paddle_Speed() = 0;
    virtual int Get_Paddle_Speed() const = 0;

    // Asks for the scene to be drawn again soon. A view capturing frames may draw at once, so
    // that no tick goes undrawn; the game asks last in a tick.
    virtual void Request_Redraw() = 0;

    // Light 0's position (x, y, z, w) in world coordinates, applied when the scene is next drawn:
    // the game sets it outside drawing, where no OpenGL context may be current.
    virtual void Set_Light_Position(const float position[4]) = 0;

    // Offers a body for editing in the list of bodies, under its name.
    virtual void List_Body(SimObject* body) = 0;
};

// The game's timers: the toolkit's timeouts in the program, a simulated clock without a window.
class SceneTimers {
public:
    using Callback = void (*)(void*);

    virtual ~SceneTimers() = default;

    // Calls `callback` once, `seconds` from now.
    virtual void Add_Timeout(double seconds, Callback callback, void* user) = 0;
    // From inside a running timeout: calls `callback` `seconds` after the running one was due,
    // so that a repeating timer keeps its period however late it ran.
    virtual void Repeat_Timeout(double seconds, Callback callback, void* user) = 0;
};

class Block;
struct Vector3d;

// What happens in the game, for whoever wants to follow it (the run without a window prints it).
// Every operation does nothing unless overridden.
class GameEvents {
public:
    virtual ~GameEvents() = default;

    virtual void Block_Hit(const Block& /*block*/) {}
    virtual void Block_Removed(const Block& /*block*/, int /*blocks_left*/) {}
    virtual void New_Layout(int /*blocks*/) {}
    virtual void Reset_By_Slab() {}
    virtual void Reset_By_Autopilot() {}  // the ball had come to rest
    // The ball left the room other than onto the slab, ending at `where`: the scene starts over.
    virtual void Ball_Lost(const Vector3d& /*where*/) {}
    virtual void Ball_Restored() {}
};
