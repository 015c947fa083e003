#pragma once

#include <FL/Fl_Gl_Window.H>

#include <list>
#include <memory>

#include "math/vector3d.h"
#include "render/pointer_ray.h"
#include "render/render_object.h"

class ImageBuffer;

// The 3-D view of the scene, an OpenGL window (RGB, double-buffered, with depth). It draws every
// registered RenderObject once per frame, lit by one point light, under a camera that orbits a
// target: left drag orbits, middle drag pans, right drag zooms, always measured from where the
// button went down; Shift and the left button hand the pointer to a PointerGrab instead, when one
// is set and takes it. Keys go on to the application's shortcuts (q ends the program there). It
// keeps the arrow-key paddle speed the game reads once per tick, sets up the toon-shading texture
// on its first frame, and writes frames to numbered TGA files while capture is on.
//
// World z is up. The camera looks from `Eye()` at `Target()` (whose y is always 0); at start it
// sits at (0, -30, 5) looking along +y at (0, 0, 5).
class RenderWindow : public Fl_Gl_Window {
public:
    RenderWindow(int x, int y, int w, int h, const char* label = nullptr);
    ~RenderWindow() override;

    // Objects are referred to, not owned. The newest is drawn first; one added twice is drawn
    // twice, and removing it removes every entry (an absent object is no error).
    void Add_Render_Object(RenderObject* object);
    void Remove_Render_Object(RenderObject* object);

    // Once per game tick: moves the paddle speed by the arrow keys held now.
    void Update_Paddle_Speed();
    // The paddle speed truncated toward zero, so speeds between -1 and 1 read as 0.
    int Get_Paddle_Speed() const;

    // Light 0's position (x, y, z, w) in world coordinates, taken at the next frame drawn. Outside
    // drawing no GL context need be current, so it is kept until then.
    void Set_Light_Position(const float position[4]);
    const float* Light_Position() const { return m_fLightPosition; }

    // Drawn after the bodies and their shadows, before a frame is captured, so that captured
    // frames show it too; null for none. Referred to, not owned.
    void Set_Overlay(RenderObject* overlay) { m_pOverlay = overlay; }

    // Whether a camera drag redraws by itself (off while a timer redraws anyway).
    void Set_Redraw_On_Drag(bool on) { m_bRedrawOnDrag = on; }
    // Frame capture to "images/img<number>.tga", at most every `frames` frames (0 and 1: every
    // one). The number is the frame's plus the highest one among the frame files that were in
    // "images" at the first capture, so a run never replaces an earlier run's frames; "images" is
    // made when missing. A frame that cannot be written (no such folder can be made, no
    // permission, a full disk) leaves no file, prints one message naming the folder and the
    // reason, and switches capture off, which the stopped callback hears of.
    void Set_Capture(bool on) { m_bCapture = on; }
    bool Capturing() const { return m_bCapture; }
    void Set_Frame_Skip(int frames) { m_nFrameSkip = frames; }
    using CaptureStopped = void (*)(void* user);
    void Set_Capture_Stopped_Callback(CaptureStopped callback, void* user);
    bool Capture_Failed() const { return m_bCaptureFailed; }  // a due frame went unwritten
    // The program's status when it ends as asked (q, the window closed): 1 once a frame due for
    // capture went unwritten, so that a script learns its frames are incomplete; 0 otherwise.
    int Exit_Status() const { return Capture_Failed() ? 1 : 0; }

    // Takes Shift and left-button drags over from the camera while it holds something; null for
    // none. Referred to, not owned.
    void Set_Pointer_Grab(PointerGrab* grab) { m_pPointerGrab = grab; }
    // The line from the eye through the view's pixel (x, y), counted from its top left corner.
    PointerRay Ray_Through(int x, int y) const;

    // Back to the camera at start, whatever the drags did.
    void Reset_Camera();

    float Elevation() const { return m_fElevation; }  // degrees, in [-89, 89]
    float Azimuth() const { return m_fAzimuth; }      // degrees about z
    float Distance() const { return m_fDistance; }    // from the target, at least 1
    Vector3d Target() const { return {m_fTargetX, 0.0, m_fTargetZ}; }
    Vector3d Eye() const;
    int Frame_Count() const { return m_nFrame; }  // frames drawn so far, captured or not

    void draw() override;
    int handle(int event) override;

protected:
    // Whether the key is held down now; the toolkit's keyboard state, replaceable for tests.
    virtual bool Is_Key_Down(int key) const;

private:
    void Set_Up_Fixed_State();
    void Set_Camera_And_Light();
    void Update_Camera();
    // Shift and the left button just went down: whether the grab took what is under the pointer.
    bool Start_Grab();

    // The toon shading's environment map, set up once on the first frame: the image is read,
    // turned into a texture, and sphere-map texturing is configured for bodies to switch on.
    void Load_Env_Map(const char* path);
    void Create_Env_Texture();
    void Enable_Texturing();

    void Capture_Frame();

    std::list<RenderObject*> m_Objects;
    RenderObject* m_pOverlay = nullptr;
    float m_fShadowLight[4] = {-1.0f, -2.0f, 2.0f, 0.0f};  // directional, for the shadow pass
    float m_fLightDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float m_fLightPosition[4] = {0.0f, -2.0f, 7.0f, 1.0f};  // a point light above the room's front

    // The camera at start, the camera, and its copy taken when a mouse button goes down.
    static constexpr float kStartElevation = 0.0f;
    static constexpr float kStartAzimuth = -90.0f;
    static constexpr float kStartDistance = 30.0f;
    static constexpr float kStartTargetX = 0.0f;
    static constexpr float kStartTargetZ = 5.0f;
    float m_fElevation = kStartElevation;
    float m_fAzimuth = kStartAzimuth;
    float m_fDistance = kStartDistance;
    float m_fTargetX = kStartTargetX;
    float m_fTargetZ = kStartTargetZ;
    float m_fPressElevation = 0.0f;
    float m_fPressAzimuth = 0.0f;
    float m_fPressDistance = 0.0f;
    float m_fPressTargetX = 0.0f;
    float m_fPressTargetZ = 0.0f;
    int m_nMouseX = 0;
    int m_nMouseY = 0;
    int m_nPressX = 0;
    int m_nPressY = 0;
    int m_nButton = -1;  // 1 left, 2 middle, 3 right while dragging; -1 otherwise
    bool m_bRedrawOnDrag = true;
    PointerGrab* m_pPointerGrab = nullptr;
    bool m_bGrabbing = false;  // the grab holds what the left button took, until it comes up

    float m_fPaddleSpeed = 0.0f;

    std::unique_ptr<ImageBuffer> m_pEnvImage;
    unsigned m_nEnvName = 0;  // GL texture name of the environment map; 0 until created
    bool m_bTexturesLoaded = false;

    int m_nFrame = 0;
    bool m_bCapture = false;
    int m_nFrameSkip = 0;
    int m_nLastCapture = 0;
    long long m_nFileNumberBase = -1;  // -1 until the capture folder has been looked at
    bool m_bCaptureFailed = false;
    CaptureStopped m_pCaptureStopped = nullptr;
    void* m_pCaptureStoppedUser = nullptr;
};
