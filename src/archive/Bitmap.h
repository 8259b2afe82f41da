#pragma once
// A decoded picture, free of any window system: 32-bit pixels 0xAARRGGBB, rows top first, no
// padding between rows. That is the memory layout of QImage::Format_ARGB32, so the widget layer
// wraps the pixels without copying them.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A picture that cannot be decoded or encoded; the text says why (ASCII, or Windows-1251 where it
// names a file).
class EPictureError : public std::runtime_error {
public:
    explicit EPictureError(const std::string& text) : std::runtime_error(text) {}
};

// The largest picture a decoder accepts, checked from the file's header before any pixel memory
// is taken: each side at most 16,384 pixels, at most 24 million pixels (96 MB of ARGB) in all.
constexpr int64_t kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 24'000'000;

// Throws EPictureError when a side is not positive or the size is past the limits above.
void CheckPictureSize(int64_t width, int64_t height);

constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}
constexpr uint32_t AlphaOf(uint32_t pixel) {
    return pixel >> 24;
}
constexpr uint32_t RedOfPixel(uint32_t pixel) {
    return (pixel >> 16) & 0xFF;
}
constexpr uint32_t GreenOfPixel(uint32_t pixel) {
    return (pixel >> 8) & 0xFF;
}
constexpr uint32_t BlueOfPixel(uint32_t pixel) {
    return pixel & 0xFF;
}

class TBitmap {
public:
    TBitmap() = default; // empty: 0 x 0
    // A picture filled with one colour. Negative sides are an EPictureError.
    TBitmap(int width, int height, uint32_t fill = Argb(0xFF, 0, 0, 0));

    int Width() const { return W; }
    int Height() const { return H; }
    bool Empty() const { return W == 0 || H == 0; }
    int BytesPerLine() const { return W * 4; }

    uint32_t* Row(int y) { return Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(W); }
    const uint32_t* Row(int y) const {
        return Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(W);
    }
    uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
    void SetPixel(int x, int y, uint32_t pixel) { Row(y)[x] = pixel; }

    uint32_t* Bits() { return Pixels.data(); }
    const uint32_t* Bits() const { return Pixels.data(); }

    bool operator==(const TBitmap&) const = default;

private:
    int W = 0;
    int H = 0;
    std::vector<uint32_t> Pixels;
};
