// The toon shading's texture: the environment map read from a TGA file, uploaded as a texture,
// and sphere-mapped onto whatever a body draws with GL_TEXTURE_2D switched on, its colour
// modulating the body's own.
#include <FL/gl.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "image/image_buffer.h"
#include "image/tga.h"
#include "render/render_window.h"

namespace {

// Uploaded when the map cannot be read: under modulation, white leaves a body's colours as they
// are, where a texture without an image would leave them undefined.
const unsigned char kWhitePixel[4] = {255, 255, 255, 255};
const float kWhiteBorder[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

void RenderWindow::Load_Env_Map(const char* path) {
    m_pEnvImage = std::make_unique<ImageBuffer>();
    if (m_pEnvImage->Load_TGA(path)) {
        std::printf("Loading env map \"%s\", %ix%i...\n", path, m_pEnvImage->Get_Width(),
                    m_pEnvImage->Get_Height());
    } else {
        std::printf("Couldn't load image \"%s\"\n", path);
        std::error_code error;
        std::printf("  %s, looked in %s\n", tga_error_message(tga_last_error()),
                    std::filesystem::current_path(error).c_str());
    }
}

void RenderWindow::Create_Env_Texture() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, &m_nEnvName);
    std::printf("Envmap ID is %u\n", m_nEnvName);
    glBindTexture(GL_TEXTURE_2D, m_nEnvName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows go bottom first, as the TGA reader delivers them and as OpenGL expects.
    if (m_pEnvImage && m_pEnvImage->Get_Data() != nullptr) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, m_pEnvImage->Get_Width(), m_pEnvImage->Get_Height(),
                     0, GL_RGBA, GL_UNSIGNED_BYTE, m_pEnvImage->Get_Data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, kWhitePixel);
        // Clamped linear filtering mixes the border colour into a single texel almost everywhere;
        // a white border keeps the stand-in neutral.
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, kWhiteBorder);
    }
}

void RenderWindow::Enable_Texturing() {
    if (m_nEnvName == 0) {
        return;
    }
    std::printf("Enabling environment mapping, m_nEnvName == %u\n", m_nEnvName);
    // The map already carries the shading, so bodies that use it are drawn unlit.
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // These act on the texture bound now, the map itself: sphere-map coordinates stay within
    // 0 ... 1, and clamping keeps the map's edges from bleeding into each other.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, m_nEnvName);
}
