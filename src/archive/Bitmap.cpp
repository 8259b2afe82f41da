#include "archive/Bitmap.h"

void CheckPictureSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        throw EPictureError("Invalid picture size " + std::to_string(width) + " x " +
                            std::to_string(height));
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        throw EPictureError("Picture too large: " + std::to_string(width) + " x " +
                            std::to_string(height) + " (at most " +
                            std::to_string(kMaxPictureSide) + " pixels a side and " +
                            std::to_string(kMaxPicturePixels) + " pixels)");
}

TBitmap::TBitmap(int width, int height, uint32_t fill) {
    if (width < 0 || height < 0)
        throw EPictureError("Invalid picture size " + std::to_string(width) + " x " +
                            std::to_string(height));
    Pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    W = width;
    H = height;
}
