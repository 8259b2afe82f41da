#include "archive/BmpCodec.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kOpaqueBlack = Argb(0xFF, 0, 0, 0);

[[noreturn]] void Fail(const std::string& why) {
    throw EPictureError("Invalid BMP picture: " + why);
}

uint32_t Le16(const unsigned char* p) {
    return static_cast<uint32_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel of a bit-field pixel, scaled to 0..255.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint64_t Max = 0;

    explicit TChannel(uint32_t mask = 0) : Mask(mask) {
        if (mask != 0) {
            Shift = std::countr_zero(mask);
            Max = mask >> Shift;
        }
    }
    uint32_t Of(uint32_t pixel, uint32_t absent) const {
        if (Mask == 0)
            return absent;
        const uint64_t value = (pixel & Mask) >> Shift; // never above Max
        return static_cast<uint32_t>((value * 255 + Max / 2) / Max);
    }
};

struct THeader {
    bool Core = false; // OS/2 core header: 16-bit sizes, 3-byte palette entries
    uint32_t Size = 0;
    int64_t Width = 0;
    int64_t Height = 0; // as stored: negative for top-down rows
    uint32_t BitCount = 0;
    uint32_t Compression = kRgb;
    uint32_t ColorsUsed = 0;
    uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool HasMasks = false;
};

bool KnownHeaderSize(uint32_t size) {
    switch (size) {
    case 12:
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

THeader ReadHeader(const unsigned char* d, size_t size) {
    THeader h;
    h.Size = Le32(d + 14);
    if (!KnownHeaderSize(h.Size))
        Fail("unsupported header size " + std::to_string(h.Size));
    if (kFileHeaderSize + h.Size > size)
        Fail("header truncated");
    const unsigned char* info = d + kFileHeaderSize;
    if (h.Size == 12) {
        h.Core = true;
        h.Width = Le16(info + 4);
        h.Height = Le16(info + 6);
        h.BitCount = Le16(info + 10);
        return h;
    }
    h.Width = static_cast<int32_t>(Le32(info + 4));
    h.Height = static_cast<int32_t>(Le32(info + 8));
    h.BitCount = Le16(info + 14);
    if (h.Size >= 40) {
        h.Compression = Le32(info + 16);
        h.ColorsUsed = Le32(info + 32);
    }
    if (h.Size == 64 && (h.Compression == 3 || h.Compression == 4))
        Fail("unsupported OS/2 compression " + std::to_string(h.Compression));
    if (h.Size >= 52 && h.Size != 64) {
        for (int i = 0; i < 3; ++i)
            h.Masks[i] = Le32(info + 40 + 4 * i);
        if (h.Size >= 56)
            h.Masks[3] = Le32(info + 52);
        h.HasMasks = true;
    }
    return h;
}

void CheckFormat(const THeader& h) {
    const uint32_t bits = h.BitCount;
    bool valid = false;
    switch (h.Compression) {
    case kRgb:
        valid = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        break;
    case kRle8:
        valid = bits == 8;
        break;
    case kRle4:
        valid = bits == 4;
        break;
    case kBitFields:
    case kAlphaBitFields:
        valid = bits == 16 || bits == 32;
        break;
    default:
        Fail("unsupported compression " + std::to_string(h.Compression));
    }
    if (!valid)
        Fail(std::to_string(bits) + " bits a pixel with compression " +
             std::to_string(h.Compression));
}

class TDecoder {
public:
    TDecoder(std::string_view bytes)
        : D(reinterpret_cast<const unsigned char*>(bytes.data())), Size(bytes.size()) {}

    TBitmap Run() {
        if (Size < kFileHeaderSize + 4)
            Fail("data too short");
        if (D[0] != 'B' || D[1] != 'M')
            Fail("no \"BM\" signature");
        H = ReadHeader(D, Size);
        CheckFormat(H);
        if (H.Height == INT32_MIN)
            Fail("invalid height");
        const bool topDown = H.Height < 0;
        const int64_t height = topDown ? -H.Height : H.Height;
        CheckPictureSize(H.Width, height);
        Width = static_cast<int>(H.Width);
        Height = static_cast<int>(height);
        TopDown = topDown;

        size_t position = kFileHeaderSize + H.Size;
        const size_t headerEnd = position;
        ReadMasks(position);
        const uint32_t offBits = Le32(D + 10);
        ReadPalette(position, offBits);
        if (offBits != 0 && offBits < headerEnd)
            Fail("pixel data offset " + std::to_string(offBits) + " inside the header");
        const size_t dataStart = offBits != 0 ? offBits : position;
        if (dataStart > Size)
            Fail("pixel data offset past the end of the data");

        if (H.Compression == kRle8 || H.Compression == kRle4)
            return DecodeRle(dataStart);
        return DecodeRows(dataStart);
    }

private:
    void ReadMasks(size_t& position) {
        if (H.Compression != kBitFields && H.Compression != kAlphaBitFields) {
            if (H.BitCount == 16) {
                H.Masks[0] = 0x7C00;
                H.Masks[1] = 0x03E0;
                H.Masks[2] = 0x001F;
            } else {
                H.Masks[0] = 0xFF0000;
                H.Masks[1] = 0x00FF00;
                H.Masks[2] = 0x0000FF;
            }
            H.Masks[3] = 0; // the fourth byte of an uncompressed 32-bit pixel is not alpha
            return;
        }
        if (!H.HasMasks) {
            const size_t count = H.Compression == kAlphaBitFields ? 4 : 3;
            if (position + 4 * count > Size)
                Fail("colour masks truncated");
            for (size_t i = 0; i < count; ++i)
                H.Masks[i] = Le32(D + position + 4 * i);
            position += 4 * count;
        }
        if (H.Masks[0] == 0 && H.Masks[1] == 0 && H.Masks[2] == 0)
            Fail("empty colour masks");
    }

    void ReadPalette(size_t& position, uint32_t offBits) {
        Palette.fill(kOpaqueBlack);
        if (H.BitCount > 8)
            return; // a palette beside direct colours only advises the display; not needed
        const size_t entrySize = H.Core ? 3 : 4;
        const size_t most = size_t{1} << H.BitCount;
        size_t count = most;
        if (H.ColorsUsed != 0) {
            if (H.ColorsUsed > most)
                Fail("palette of " + std::to_string(H.ColorsUsed) + " colours for " +
                     std::to_string(H.BitCount) + " bits a pixel");
            count = H.ColorsUsed;
        } else if (offBits >= position) {
            // Writers that leave the count open sometimes store a shorter palette; the pixel
            // data offset tells how much room it has.
            count = std::min(count, (offBits - position) / entrySize);
        }
        if (position + count * entrySize > Size)
            Fail("palette of " + std::to_string(count) + " colours past the end of the data");
        for (size_t i = 0; i < count; ++i) {
            const unsigned char* e = D + position + i * entrySize;
            Palette[i] = Argb(0xFF, e[2], e[1], e[0]);
        }
        position += count * entrySize;
    }

    uint32_t* OutRow(int fileRow, TBitmap& bitmap) const {
        return bitmap.Row(TopDown ? fileRow : Height - 1 - fileRow);
    }

    TBitmap DecodeRows(size_t dataStart) {
        const uint64_t rowBits = static_cast<uint64_t>(Width) * H.BitCount;
        const uint64_t stride = (rowBits + 31) / 32 * 4;
        const uint64_t rowBytes = (rowBits + 7) / 8;
        // The last row's padding is often left out; the pixels themselves must be there.
        const uint64_t needed = stride * static_cast<uint64_t>(Height - 1) + rowBytes;
        if (needed > Size - dataStart)
            Fail("pixel data truncated: " + std::to_string(Size - dataStart) + " of " +
                 std::to_string(needed) + " bytes");
        TBitmap bitmap(Width, Height);
        const TChannel red(H.Masks[0]), green(H.Masks[1]), blue(H.Masks[2]), alpha(H.Masks[3]);
        for (int r = 0; r < Height; ++r) {
            const unsigned char* s = D + dataStart + static_cast<uint64_t>(r) * stride;
            uint32_t* out = OutRow(r, bitmap);
            switch (H.BitCount) {
            case 1:
                for (int x = 0; x < Width; ++x)
                    out[x] = Palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                for (int x = 0; x < Width; ++x)
                    out[x] = Palette[(x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4)];
                break;
            case 8:
                for (int x = 0; x < Width; ++x)
                    out[x] = Palette[s[x]];
                break;
            case 24:
                for (int x = 0; x < Width; ++x, s += 3)
                    out[x] = Argb(0xFF, s[2], s[1], s[0]);
                break;
            case 16:
            case 32: {
                const size_t step = H.BitCount / 8;
                for (int x = 0; x < Width; ++x, s += step) {
                    const uint32_t v = step == 2 ? Le16(s) : Le32(s);
                    out[x] = Argb(alpha.Of(v, 0xFF), red.Of(v, 0), green.Of(v, 0), blue.Of(v, 0));
                }
                break;
            }
            }
        }
        return bitmap;
    }

    // Run-length data: pixels that the codes skip keep palette colour 0; runs past the end of a
    // row are cut there; the end of the data ends the picture as its end code would.
    TBitmap DecodeRle(size_t dataStart) {
        TBitmap bitmap(Width, Height, Palette[0]);
        const bool four = H.Compression == kRle4;
        size_t p = dataStart;
        int x = 0, y = 0;
        auto put = [&](unsigned value, uint32_t count) {
            // value: one index (RLE8) or two alternating ones (RLE4)
            const int n = static_cast<int>(std::min<int64_t>(count, Width - x));
            uint32_t* out = OutRow(y, bitmap);
            for (int i = 0; i < n; ++i) {
                const unsigned index = four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value;
                out[x + i] = Palette[index];
            }
            x += n;
        };
        while (p < Size && y < Height) {
            if (Size - p < 2)
                Fail("run-length data truncated");
            const unsigned n = D[p], v = D[p + 1];
            p += 2;
            if (n > 0) {
                put(v, n);
                continue;
            }
            if (v == 0) { // end of line
                x = 0;
                ++y;
            } else if (v == 1) { // end of picture
                break;
            } else if (v == 2) { // move right and up
                if (Size - p < 2)
                    Fail("run-length data truncated");
                x = static_cast<int>(std::min<int64_t>(int64_t{x} + D[p], Width));
                y += D[p + 1];
                p += 2;
            } else { // v pixels stored as they are, padded to an even number of bytes
                const size_t bytes = four ? (v + 1) / 2 : v;
                if (Size - p < bytes)
                    Fail("run-length data truncated");
                const int n2 = static_cast<int>(std::min<int64_t>(v, Width - x));
                uint32_t* out = OutRow(y, bitmap);
                for (int i = 0; i < n2; ++i) {
                    const unsigned char b = D[p + (four ? i / 2 : i)];
                    out[x + i] = Palette[four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b];
                }
                x += n2;
                p += std::min(Size - p, bytes + (bytes & 1));
            }
        }
        return bitmap;
    }

    const unsigned char* D;
    size_t Size;
    THeader H;
    int Width = 0;
    int Height = 0;
    bool TopDown = false;
    std::array<uint32_t, 256> Palette{};
};

void PutLe16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void PutLe32(std::string& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

} // namespace

TBitmap DecodeBmp(std::string_view bytes) {
    return TDecoder(bytes).Run();
}

std::string EncodeBmp(const TBitmap& bitmap) {
    const uint32_t width = static_cast<uint32_t>(bitmap.Width());
    const uint32_t height = static_cast<uint32_t>(bitmap.Height());
    const uint32_t stride = (width * 3 + 3) / 4 * 4;
    const uint32_t dataSize = stride * height;
    const uint32_t offBits = 14 + 40;
    std::string out;
    out.reserve(offBits + dataSize);
    out += "BM";
    PutLe32(out, offBits + dataSize);
    PutLe32(out, 0);
    PutLe32(out, offBits);
    PutLe32(out, 40);
    PutLe32(out, width);
    PutLe32(out, height);
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, kRgb);
    PutLe32(out, dataSize);
    PutLe32(out, 2835); // 72 dots an inch
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t* row = bitmap.Row(static_cast<int>(height - 1 - r));
        for (uint32_t x = 0; x < width; ++x) {
            out.push_back(static_cast<char>(BlueOfPixel(row[x])));
            out.push_back(static_cast<char>(GreenOfPixel(row[x])));
            out.push_back(static_cast<char>(RedOfPixel(row[x])));
        }
        out.append(stride - width * 3, '\0');
    }
    return out;
}
