#pragma once
// Readers that turn an archive name into a ready object: a list of text lines and a decoded
// picture. Each reads the whole entry through a TPack; the result belongs to the caller.

#include "archive/Bitmap.h"
#include "archive/Utils.h"

#include <cstring>
#include <string>
#include <string_view>

// Calls line(std::string_view) for every line of the text: lines end at CR, LF or CR LF, the
// first NUL byte ends the text, and a final line break adds no empty line after it.
template <typename TLineFn> void ForEachTextLine(std::string_view bytes, TLineFn&& line) {
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
        bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()));
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        line(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end++] == '\r' && end < bytes.size() && bytes[end] == '\n')
            ++end; // CR LF is one line break
        start = end;
    }
}

// The lines of a text, as ForEachTextLine splits it.
TStrings TextLines(std::string_view bytes);

// One item per line of the entry (lines unchanged, up to the first NUL). A missing name has shown
// the "not found" message and gives an empty list.
TStrings LoadPackStrings(const std::string& name);

// The picture of the entry: a name whose extension (from the last ".", letter case ignored) is
// ".bmp" is decoded as BMP, every other name as JPEG. A missing name gives an empty bitmap after
// the "not found" message, and so does an empty entry (without one); data that cannot be decoded
// raises EPictureError with the decoder's message and the name.
TBitmap LoadPackBitmap(const std::string& name);
