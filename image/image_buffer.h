#pragma once

// An RGBA image in memory: width x height pixels of 4 bytes (R, G, B, A), row 0 being the bottom
// row and each row running left to right, the layout OpenGL uploads and reads back. Colours are
// premultiplied by alpha, as the TGA reader delivers them. The image is empty (no data, size
// 0 x 0) or holds exactly one picture.
class ImageBuffer {
public:
    ImageBuffer();
    ~ImageBuffer();
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // Loads a TGA file into an empty image. An image already holding a picture keeps it and
    // returns false; so does a file that fails to load (tga_last_error() says why).
    bool Load_TGA(const char* path);

    // Writes the picture as a 32-bit TGA file. False for an empty image, and for a failed write,
    // which also prints "Couldn't write TGA image: <reason>" on standard error.
    bool Save_TGA(const char* path);

    // Replaces the picture with a copy of the red, green and blue bytes of `src`, w x h pixels of
    // 4 bytes in the layout above. Every alpha byte becomes 255: a frame read back from the screen
    // is opaque, whatever the framebuffer's alpha holds. A null `src` or a size below 1 x 1
    // leaves the image empty.
    void Set_From_RGBA(const unsigned char* src, int w, int h);

    const unsigned char* Get_Data() const { return m_pData; }
    unsigned char* Get_Data() { return m_pData; }
    int Get_Width() const { return m_nWidth; }
    int Get_Height() const { return m_nHeight; }

private:
    void Clear();

    unsigned char* m_pData;  // from std::malloc, released with std::free; null when empty
    int m_nWidth;
    int m_nHeight;
};
