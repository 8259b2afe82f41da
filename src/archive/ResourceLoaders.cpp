#include "archive/ResourceLoaders.h"

#include "archive/Archive.h"
#include "archive/BmpCodec.h"
#include "archive/JpegCodec.h"
#include "platform/Codec1251.h"

TStrings TextLines(std::string_view bytes) {
    TStrings lines;
    ForEachTextLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TStrings LoadPackStrings(const std::string& name) {
    const TPack pack(name);
    return TextLines(pack.View());
}

TBitmap LoadPackBitmap(const std::string& name) {
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : cp1251::Lower(name.substr(dot));
    const TPack pack(name);
    if (pack.Empty())
        return {};
    try {
        return extension == ".bmp" ? DecodeBmp(pack.View()) : DecodeJpeg(pack.View());
    } catch (const EPictureError& error) {
        // The decoder's text says what is wrong; the name says where.
        throw EPictureError(error.what() + std::string(": ") + name);
    }
}
