#include "render/render_window.h"

#include <FL/Fl.H>
#include <FL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "image/image_buffer.h"
#include "math/angles.h"
#include "render/paddle_speed.h"

namespace {

constexpr char kEnvMapPath[] = "textures/env_toonshade.tga";

// The horizontal field of view stays the same whatever the window's shape.
constexpr double kHorizontalFieldOfView = 45.0;
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 1000.0;

const float kNoLight[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kFloorPlane[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // z = 0, where the shadow pass casts

// A drag across the whole window turns the camera by a full circle, or zooms by this much.
constexpr float kDegreesPerWindow = 360.0f;
constexpr float kZoomPerWindowHeight = 40.0f;
// The camera stops short of the poles, where "up" would be along the line of sight.
constexpr float kMaxElevation = 89.0f;
constexpr float kMinDistance = 1.0f;

}  // namespace

RenderWindow::RenderWindow(int x, int y, int w, int h, const char* label)
    : Fl_Gl_Window(x, y, w, h, label) {
    end();  // the view has no child widgets: later ones go to the window that holds it
}

RenderWindow::~RenderWindow() = default;

void RenderWindow::Add_Render_Object(RenderObject* object) {
    m_Objects.push_front(object);
}

void RenderWindow::Remove_Render_Object(RenderObject* object) {
    m_Objects.remove(object);
}

void RenderWindow::Set_Light_Position(const float position[4]) {
    std::copy(position, position + 4, m_fLightPosition);
}

void RenderWindow::Reset_Camera() {
    m_fElevation = kStartElevation;
    m_fAzimuth = kStartAzimuth;
    m_fDistance = kStartDistance;
    m_fTargetX = kStartTargetX;
    m_fTargetZ = kStartTargetZ;
    redraw();
}

PointerRay RenderWindow::Ray_Through(int x, int y) const {
    return Pointer_Ray(Eye(), Target(), kHorizontalFieldOfView, w(), h(), x, y);
}

Vector3d RenderWindow::Eye() const {
    const double elevation = m_fElevation * kRadiansPerDegree;
    const double azimuth = m_fAzimuth * kRadiansPerDegree;
    const double d = m_fDistance;
    return {m_fTargetX + d * std::cos(elevation) * std::cos(azimuth),
            d * std::cos(elevation) * std::sin(azimuth), m_fTargetZ + d * std::sin(elevation)};
}

void RenderWindow::Set_Up_Fixed_State() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.1f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    const int width = pixel_w();
    const int height = pixel_h();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = static_cast<double>(width) / height;
    const double half_width = std::tan(kHorizontalFieldOfView / 2 * kRadiansPerDegree);
    const double fovy = 2.0 * std::atan(half_width / aspect) * kDegreesPerRadian;
    gluPerspective(fovy, aspect, kNearPlane, kFarPlane);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

void RenderWindow::Set_Camera_And_Light() {
    const Vector3d eye = Eye();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, m_fTargetX, 0.0, m_fTargetZ, 0.0, 0.0, 1.0);
    // After the camera, so that the position is taken in world coordinates.
    glLightfv(GL_LIGHT0, GL_POSITION, m_fLightPosition);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, m_fLightDiffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kNoLight);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kNoLight);
}

void RenderWindow::draw() {
    if (!valid()) {
        Set_Up_Fixed_State();
    }
    if (!m_bTexturesLoaded) {
        Load_Env_Map(kEnvMapPath);
        Create_Env_Texture();
        m_bTexturesLoaded = true;
        Enable_Texturing();
        // The texture stays bound and configured; bodies that want it switch it on themselves.
        glDisable(GL_TEXTURE_2D);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Set_Camera_And_Light();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    for (RenderObject* object : m_Objects) {
        object->Draw();
    }
    for (RenderObject* object : m_Objects) {
        if (object->casts_shadow) {
            object->Draw_Shadow(kFloorPlane, m_fShadowLight);
        }
    }
    if (m_pOverlay != nullptr) {
        m_pOverlay->Draw();
    }

    ++m_nFrame;
    if (m_bCapture && m_nFrame >= m_nLastCapture + m_nFrameSkip) {
        Capture_Frame();
    }
}

int RenderWindow::handle(int event) {
    switch (event) {
        case FL_PUSH:
            if (m_bGrabbing || Start_Grab()) {
                return 1;  // no camera move while something is held
            }
            m_nButton = Fl::event_button();
            m_nPressX = m_nMouseX = Fl::event_x();
            m_nPressY = m_nMouseY = Fl::event_y();
            m_fPressElevation = m_fElevation;
            m_fPressAzimuth = m_fAzimuth;
            m_fPressDistance = m_fDistance;
            m_fPressTargetX = m_fTargetX;
            m_fPressTargetZ = m_fTargetZ;
            return 1;
        case FL_DRAG:
            if (m_bGrabbing) {
                m_pPointerGrab->Drag(Ray_Through(Fl::event_x(), Fl::event_y()));
                return 1;
            }
            m_nMouseX = Fl::event_x();
            m_nMouseY = Fl::event_y();
            Update_Camera();
            return 1;
        case FL_RELEASE:
            if (m_bGrabbing) {
                if (Fl::event_button() == FL_LEFT_MOUSE) {
                    m_bGrabbing = false;
                    // The toolkit may fold the last moves into the release, which has their
                    // position.
                    m_pPointerGrab->Drag(Ray_Through(Fl::event_x(), Fl::event_y()));
                    m_pPointerGrab->Release();
                }
                return 1;
            }
            m_nButton = -1;
            return 1;
        case FL_FOCUS:
        case FL_UNFOCUS:
            return 1;  // takes keyboard focus, so that no button keeps it after a click here
        case FL_KEYBOARD:
            return 0;  // every key goes on to the application as a shortcut; q ends it there
        default:
            return Fl_Gl_Window::handle(event);
    }
}

bool RenderWindow::Start_Grab() {
    m_bGrabbing = m_pPointerGrab != nullptr && Fl::event_button() == FL_LEFT_MOUSE &&
                  (Fl::event_state() & FL_SHIFT) != 0 && w() > 0 && h() > 0 &&
                  m_pPointerGrab->Press(Ray_Through(Fl::event_x(), Fl::event_y()));
    return m_bGrabbing;
}

void RenderWindow::Update_Camera() {
    if (w() <= 0 || h() <= 0) {
        return;  // a window without area gives no sensible drag scale
    }
    const int dx = m_nPressX - m_nMouseX;
    const int dy = m_nPressY - m_nMouseY;
    const float width = static_cast<float>(w());
    const float height = static_cast<float>(h());
    switch (m_nButton) {
        case 1:  // orbit: dragging right turns the camera to lower azimuths, dragging down raises
                 // it
            m_fAzimuth = std::fmod(m_fPressAzimuth + dx * kDegreesPerWindow / width, 360.0f);
            if (m_fAzimuth < 0.0f) {
                m_fAzimuth += 360.0f;
            }
            if (m_fAzimuth >= 360.0f) {
                m_fAzimuth = 0.0f;  // a tiny negative angle rounds to 360 when wrapped
            }
            m_fElevation = m_fPressElevation - dy * kDegreesPerWindow / height;
            if (m_fElevation > kMaxElevation) {
                m_fElevation = kMaxElevation;
            }
            if (m_fElevation < -kMaxElevation) {
                m_fElevation = -kMaxElevation;
            }
            break;
        case 2:  // pan, faster the farther away the camera is
            m_fTargetX = m_fPressTargetX + dx * m_fDistance / width;
            m_fTargetZ = m_fPressTargetZ - dy * m_fDistance / height;
            break;
        case 3:  // zoom
            m_fDistance = m_fPressDistance - dy * kZoomPerWindowHeight / height;
            if (m_fDistance < kMinDistance) {
                m_fDistance = kMinDistance;
            }
            break;
        default:
            return;
    }
    if (m_bRedrawOnDrag) {
        redraw();
    }
}

bool RenderWindow::Is_Key_Down(int key) const {
    return Fl::get_key(key) != 0;
}

void RenderWindow::Update_Paddle_Speed() {
    m_fPaddleSpeed = Next_Paddle_Speed(m_fPaddleSpeed, Is_Key_Down(FL_Left), Is_Key_Down(FL_Right));
}

int RenderWindow::Get_Paddle_Speed() const {
    return static_cast<int>(m_fPaddleSpeed);
}
