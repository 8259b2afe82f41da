#pragma once
// JPEG pictures through libjpeg, with an error manager of our own: the library's default one ends
// the process on damaged data. Every failure is an EPictureError with the library's message.
//
// Decoding is bounded, as the library itself is not: the size from the header must be within the
// picture limits (Bitmap.h) before any pixel memory is taken; a progressive picture may have at
// most kMaxJpegScans scans; more than kMaxJpegWarnings corrupt-data warnings end the decoding;
// data that ends before the picture does is an error, not a grey remainder. Greyscale, RGB,
// YCbCr, CMYK and YCCK pictures (Adobe's inverted CMYK too) all give opaque ARGB pixels.

#include "archive/Bitmap.h"

#include <memory>
#include <string>
#include <string_view>

constexpr int kMaxJpegScans = 100;
constexpr int kMaxJpegWarnings = 100;

TBitmap DecodeJpeg(std::string_view bytes);

// A compressed picture: its size and the bytes of a JPEG file.
struct TJpegPicture {
    int Width = 0;
    int Height = 0;
    std::string Bytes;
};

// The bitmap compressed as a baseline JPEG file (alpha is dropped) at a quality of 0 to 100
// (values outside are taken as the nearest end). An empty bitmap is an EPictureError.
std::string EncodeJpeg(const TBitmap& bitmap, int quality);

// None for none; otherwise a new JPEG picture of the bitmap at that quality.
std::unique_ptr<TJpegPicture> BitmapToJpeg(const TBitmap* bitmap, int quality);
