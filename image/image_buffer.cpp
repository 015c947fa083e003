#include "image/image_buffer.h"

#include <cstdio>
#include <cstdlib>

#include "image/tga.h"

namespace {

constexpr int kRgbaBytes = 4;

}  // namespace

ImageBuffer::ImageBuffer() : m_pData(nullptr), m_nWidth(0), m_nHeight(0) {}

ImageBuffer::~ImageBuffer() {
    std::free(m_pData);
}

void ImageBuffer::Clear() {
    std::free(m_pData);
    m_pData = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

bool ImageBuffer::Load_TGA(const char* path) {
    if (m_pData != nullptr) {
        return false;
    }
    m_pData = tga_load_file(path, &m_nWidth, &m_nHeight, kRgbaBytes);
    return m_pData != nullptr;
}

bool ImageBuffer::Save_TGA(const char* path) {
    if (m_pData == nullptr) {
        return false;
    }
    if (tga_save_file(path, m_nWidth, m_nHeight, m_pData, kRgbaBytes) == 0) {
        std::fprintf(stderr, "Couldn't write TGA image: %s\n", tga_error_message(tga_last_error()));
        return false;
    }
    return true;
}

void ImageBuffer::Set_From_RGBA(const unsigned char* src, int w, int h) {
    Clear();
    if (src == nullptr || w <= 0 || h <= 0) {
        return;
    }
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    m_pData = static_cast<unsigned char*>(std::malloc(pixels * kRgbaBytes));
    if (m_pData == nullptr) {
        return;
    }
    for (size_t i = 0; i < pixels * kRgbaBytes; i += kRgbaBytes) {
        m_pData[i] = src[i];
        m_pData[i + 1] = src[i + 1];
        m_pData[i + 2] = src[i + 2];
        m_pData[i + 3] = 255;
    }
    m_nWidth = w;
    m_nHeight = h;
}
