#pragma once
// Windows and OS/2 bitmap files, read and written without any window system.
//
// Read: the file header "BM"; the OS/2 core header (12 bytes), the OS/2 2.x header (16 or 64
// bytes) and the Windows headers (40, 52, 56, 108, 124 bytes); 1, 4, 8, 16, 24 and 32 bits a
// pixel; uncompressed, bit fields, RLE8 and RLE4; rows bottom-up or top-down. Every length and
// offset is checked against the data and the size against the picture limits before pixel memory
// is taken, so damaged or hostile data is an EPictureError, never a read outside the data.

#include "archive/Bitmap.h"

#include <string>
#include <string_view>

TBitmap DecodeBmp(std::string_view bytes);

// A 24-bit uncompressed bottom-up file (alpha is dropped): the form every reader takes.
std::string EncodeBmp(const TBitmap& bitmap);
