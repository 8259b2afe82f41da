#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "archive/Bitmap.h"
#include "archive/BmpCodec.h"
#include "archive/JpegCodec.h"
#include "archive/ResourceLoaders.h"
#include "common/TestSupport.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <jpeglib.h>

using namespace std::string_literals;

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Patch32(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The text of the picture error a call raises; empty when it succeeds. Any other exception
// fails the test.
std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EPictureError& error) {
        return error.what();
    }
    return {};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// ---- BMP files written here, field by field ----

struct TBmpSpec {
    uint32_t HeaderSize = 40; // 12: OS/2 core; 16, 64: OS/2 2.x; 40, 52, 56, 108, 124: Windows
    uint32_t Bits = 24;
    uint32_t Compression = 0;
    int32_t Width = 5;
    int32_t Height = 3; // negative: rows top-down
    uint32_t ColorsUsed = 0;
    std::vector<uint32_t> Palette; // 0xAARRGGBB; written as B G R (0)
    std::vector<uint32_t> Masks;   // after a 40-byte header, or inside a larger one
    std::string Pixels;            // rows as stored
    size_t Gap = 0;                // unused bytes between the palette and the pixels
    int64_t OffBits = -1;          // -1: where the pixels are
};

std::string MakeBmp(const TBmpSpec& s) {
    std::string info;
    Put32(info, s.HeaderSize);
    if (s.HeaderSize == 12) {
        Put16(info, static_cast<uint32_t>(s.Width));
        Put16(info, static_cast<uint32_t>(s.Height));
        Put16(info, 1);
        Put16(info, s.Bits);
    } else {
        Put32(info, static_cast<uint32_t>(s.Width));
        Put32(info, static_cast<uint32_t>(s.Height));
        Put16(info, 1);
        Put16(info, s.Bits);
        if (s.HeaderSize >= 40) {
            Put32(info, s.Compression);
            Put32(info, static_cast<uint32_t>(s.Pixels.size()));
            Put32(info, 2835);
            Put32(info, 2835);
            Put32(info, s.ColorsUsed);
            Put32(info, 0);
        }
        if (s.HeaderSize > 40 && s.HeaderSize != 64)
            for (uint32_t mask : s.Masks)
                Put32(info, mask);
        info.resize(s.HeaderSize, '\0');
    }
    if (s.HeaderSize == 40)
        for (uint32_t mask : s.Masks)
            Put32(info, mask);
    for (uint32_t color : s.Palette) {
        info += static_cast<char>(color & 0xFF);
        info += static_cast<char>((color >> 8) & 0xFF);
        info += static_cast<char>((color >> 16) & 0xFF);
        if (s.HeaderSize != 12)
            info += '\0';
    }
    info.append(s.Gap, '\x5A');
    const uint32_t offBits =
        s.OffBits >= 0 ? static_cast<uint32_t>(s.OffBits) : static_cast<uint32_t>(14 + info.size());
    std::string out = "BM";
    Put32(out, static_cast<uint32_t>(14 + info.size() + s.Pixels.size()));
    Put32(out, 0);
    Put32(out, offBits);
    return out + info + s.Pixels;
}

// Colours of the test pictures.
uint32_t PaletteColor(int i) {
    return Argb(0xFF, (i * 37 + 11) & 0xFF, (255 - i * 13) & 0xFF, (i * 71) & 0xFF);
}
uint32_t DirectColor(int x, int y) {
    return Argb(0xFF, x * 50, y * 80, (x + y) * 20 + 3);
}

std::vector<uint32_t> MakePalette(int count) {
    std::vector<uint32_t> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(PaletteColor(i));
    return palette;
}

// Rows of a picture as a BMP stores them: bottom-up unless topDown, each padded to 4 bytes.
std::string Rows(int width, int height, bool topDown,
                 const std::function<void(std::string&, int, int)>& putRow) {
    std::string out;
    for (int r = 0; r < height; ++r) {
        std::string row;
        putRow(row, width, topDown ? r : height - 1 - r);
        row.resize((row.size() + 3) / 4 * 4, '\0');
        out += row;
    }
    return out;
}

// Index of pixel (x, y) for the indexed pictures: every colour of the palette appears.
int IndexAt(int x, int y, int colours) {
    return (x * 3 + y * 5) % colours;
}

std::string IndexedRows(int bits, int colours, int width, int height, bool topDown) {
    return Rows(width, height, topDown, [&](std::string& row, int w, int y) {
        const int perByte = 8 / bits;
        row.assign(static_cast<size_t>((w * bits + 7) / 8), '\0');
        for (int x = 0; x < w; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            row[x / perByte] = static_cast<char>(static_cast<unsigned char>(row[x / perByte]) |
                                                 (IndexAt(x, y, colours) << shift));
        }
    });
}

// 5-5-5 or 5-6-5 channel values of pixel (x, y) for the 16-bit pictures.
struct T16 {
    uint32_t R, G, B;
};
T16 Channels16(int x, int y, bool g6) {
    return {(x * 7u + y) % 32, (y * 11u + x) % (g6 ? 64 : 32), (x * 5u + y * 3) % 32};
}
uint32_t Expand(uint32_t v, uint32_t max) {
    return static_cast<uint32_t>(std::lround(v * 255.0 / max));
}

struct TBmpVariant {
    const char* Name;
    TBmpSpec Spec;
    std::function<uint32_t(int, int)> Expected; // display coordinates, top row 0
};

std::vector<TBmpVariant> BmpVariants() {
    std::vector<TBmpVariant> out;
    const int w = 5, h = 3;
    auto indexed = [&](const char* name, uint32_t header, int bits, int colours, uint32_t used,
                       bool topDown) {
        TBmpSpec s;
        s.HeaderSize = header;
        s.Bits = static_cast<uint32_t>(bits);
        s.Height = topDown ? -h : h;
        s.ColorsUsed = used;
        s.Palette = MakePalette(colours);
        s.Pixels = IndexedRows(bits, colours, w, h, topDown);
        out.push_back(
            {name, s, [colours](int x, int y) { return PaletteColor(IndexAt(x, y, colours)); }});
    };
    indexed("1 bit", 40, 1, 2, 2, false);
    indexed("1 bit, top-down", 40, 1, 2, 0, true);
    indexed("4 bits, 16 colours", 40, 4, 16, 0, false);
    indexed("4 bits, 7 colours", 40, 4, 7, 7, false);
    indexed("8 bits, 15 colours", 40, 8, 15, 15, false);
    indexed("8 bits, top-down", 40, 8, 15, 15, true);
    indexed("OS/2 core, 1 bit", 12, 1, 2, 0, false);
    indexed("OS/2 core, 4 bits", 12, 4, 16, 0, false);
    indexed("OS/2 2.x, 8 bits", 64, 8, 15, 15, false);
    indexed("V5 header, 8 bits", 124, 8, 15, 15, false);
    {
        TBmpSpec s; // indices past a 7-colour palette show black
        s.Bits = 4;
        s.ColorsUsed = 7;
        s.Palette = MakePalette(7);
        s.Pixels = IndexedRows(4, 16, w, h, false);
        out.push_back({"4 bits, index past the palette", s, [](int x, int y) {
                           const int i = IndexAt(x, y, 16);
                           return i < 7 ? PaletteColor(i) : Argb(0xFF, 0, 0, 0);
                       }});
    }

    auto direct = [&](const char* name, uint32_t header, bool topDown, bool four) {
        TBmpSpec s;
        s.HeaderSize = header;
        s.Bits = four ? 32 : 24;
        s.Height = topDown ? -h : h;
        s.Pixels = Rows(w, h, topDown, [four](std::string& row, int width, int y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t c = DirectColor(x, y);
                row += static_cast<char>(BlueOfPixel(c));
                row += static_cast<char>(GreenOfPixel(c));
                row += static_cast<char>(RedOfPixel(c));
                if (four)
                    row += '\x00'; // not alpha in an uncompressed picture: still opaque
            }
        });
        out.push_back({name, s, DirectColor});
    };
    direct("24 bits", 40, false, false);
    direct("24 bits, top-down", 40, true, false);
    direct("24 bits, OS/2 core", 12, false, false);
    direct("32 bits", 40, false, true);
    direct("32 bits, V4 header", 108, true, true);

    auto sixteen = [&](const char* name, uint32_t header, bool fields, bool g6) {
        TBmpSpec s;
        s.HeaderSize = header;
        s.Bits = 16;
        if (fields) {
            s.Compression = 3;
            s.Masks = g6 ? std::vector<uint32_t>{0xF800, 0x07E0, 0x001F}
                         : std::vector<uint32_t>{0x7C00, 0x03E0, 0x001F};
        }
        s.Pixels = Rows(w, h, false, [g6](std::string& row, int width, int y) {
            for (int x = 0; x < width; ++x) {
                const T16 c = Channels16(x, y, g6);
                Put16(row, g6 ? (c.R << 11 | c.G << 5 | c.B) : (c.R << 10 | c.G << 5 | c.B));
            }
        });
        out.push_back({name, s, [g6](int x, int y) {
                           const T16 c = Channels16(x, y, g6);
                           return Argb(0xFF, Expand(c.R, 31), Expand(c.G, g6 ? 63 : 31),
                                       Expand(c.B, 31));
                       }});
    };
    sixteen("16 bits, 5-5-5", 40, false, false);
    sixteen("16 bits, bit fields 5-6-5", 40, true, true);
    sixteen("16 bits, bit fields in a V4 header", 108, true, false);

    // 32 bits with bit fields: B G R A words, alpha from its mask.
    auto alphaPixel = [](int x, int y) {
        return (DirectColor(x, y) & 0xFFFFFF) | ((40u * x + 9 * y) << 24);
    };
    TBmpSpec v5;
    v5.HeaderSize = 124;
    v5.Bits = 32;
    v5.Compression = 3;
    v5.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    v5.Pixels = Rows(w, h, false, [&](std::string& row, int width, int y) {
        for (int x = 0; x < width; ++x)
            Put32(row, alphaPixel(x, y));
    });
    out.push_back({"32 bits, V5 with alpha mask", v5, alphaPixel});

    TBmpSpec swapped; // red and blue masks exchanged, no alpha mask: opaque
    swapped.Bits = 32;
    swapped.Compression = 3;
    swapped.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    swapped.Pixels = Rows(w, h, false, [](std::string& row, int width, int y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = DirectColor(x, y);
            Put32(row, 0xAB000000 | BlueOfPixel(c) << 16 | GreenOfPixel(c) << 8 | RedOfPixel(c));
        }
    });
    out.push_back({"32 bits, bit fields after the header", swapped, DirectColor});

    TBmpSpec gap; // the pixel data offset, not the palette's end, tells where the rows are
    gap.Bits = 8;
    gap.ColorsUsed = 15;
    gap.Palette = MakePalette(15);
    gap.Gap = 10;
    gap.Pixels = IndexedRows(8, 15, w, h, false);
    out.push_back({"8 bits, gap before the rows", gap,
                   [](int x, int y) { return PaletteColor(IndexAt(x, y, 15)); }});

    TBmpSpec core; // a core header has no colour count: the room before the rows tells it
    core.HeaderSize = 12;
    core.Bits = 8;
    core.Palette = MakePalette(15);
    core.Pixels = IndexedRows(8, 15, w, h, false);
    out.push_back({"OS/2 core, 8 bits, short palette", core,
                   [](int x, int y) { return PaletteColor(IndexAt(x, y, 15)); }});
    return out;
}

// Run-length pictures written code by code.
struct TRleCase {
    const char* Name;
    uint32_t Compression; // 1: RLE8, 2: RLE4
    int Width, Height;
    bool TopDown;
    std::vector<unsigned char> Codes;
    std::vector<std::vector<int>> Expected; // palette indices, top row first
};

const std::vector<TRleCase>& RleCases() {
    static const std::vector<TRleCase> cases = {
        {"RLE8: runs, literal with padding, skip, clipped run",
         1,
         6,
         3,
         false,
         {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, // row 0: run of three 1s, literal 2 3 2 + pad, EOL
          0, 2, 2, 0, 2, 3, 0, 0,       // row 1: move right 2, two 3s, EOL
          8, 1, 0, 1},                  // row 2: run of 8 cut to the width, end
         {{1, 1, 1, 1, 1, 1}, {0, 0, 3, 3, 0, 0}, {1, 1, 1, 2, 3, 2}}},
        {"RLE8: move up and right, no end code",
         1,
         4,
         3,
         false,
         {0, 2, 1, 1, 2, 2},
         {{0, 0, 0, 0}, {0, 2, 2, 0}, {0, 0, 0, 0}}},
        {"RLE8: rows past the height are ignored",
         1,
         2,
         2,
         false,
         {2, 1, 0, 0, 2, 2, 0, 0, 2, 3, 0, 0, 2, 3, 0, 1},
         {{2, 2}, {1, 1}}},
        {"RLE8: top-down", 1, 3, 2, true, {3, 1, 0, 0, 1, 2, 0, 1}, {{1, 1, 1}, {2, 0, 0}}},
        {"RLE4: alternating run, literal without padding",
         2,
         5,
         2,
         false,
         {5, 0x12, 0, 0,           // row 0: 1 2 1 2 1
          0, 3, 0x21, 0x30, 0, 1}, // row 1: literal 2 1 3 (two bytes, even), end
         {{2, 1, 3, 0, 0}, {1, 2, 1, 2, 1}}},
        {"RLE4: odd literal padded, run clipped",
         2,
         4,
         1,
         false,
         {0, 5, 0x12, 0x31, 0x20, 0, 7, 0x33},
         {{1, 2, 3, 1}}},
    };
    return cases;
}

std::string MakeRleBmp(const TRleCase& c) {
    TBmpSpec s;
    s.Bits = c.Compression == 1 ? 8 : 4;
    s.Compression = c.Compression;
    s.Width = c.Width;
    s.Height = c.TopDown ? -c.Height : c.Height;
    s.ColorsUsed = 4;
    s.Palette = MakePalette(4);
    s.Pixels.assign(c.Codes.begin(), c.Codes.end());
    return MakeBmp(s);
}

// ---- JPEG files written here with the library ----

struct TJpegSpec {
    int Width = 16;
    int Height = 16;
    J_COLOR_SPACE Input = JCS_RGB;
    int Components = 3;
    J_COLOR_SPACE Stored = JCS_UNKNOWN; // JCS_UNKNOWN: the library's default for the input
    bool NoAdobeMarker = false;
    int Quality = 90;
    std::vector<jpeg_scan_info> Scans; // empty: one baseline scan
    // The samples of row y, Components bytes a pixel.
    std::function<void(std::vector<unsigned char>&, int y)> Row;
};

std::string WriteJpeg(const TJpegSpec& spec) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error); // a test writer: the library's own exit on error is fine
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(spec.Width);
    info.image_height = static_cast<JDIMENSION>(spec.Height);
    info.input_components = spec.Components;
    info.in_color_space = spec.Input;
    jpeg_set_defaults(&info);
    if (spec.Stored != JCS_UNKNOWN)
        jpeg_set_colorspace(&info, spec.Stored);
    if (spec.NoAdobeMarker)
        info.write_Adobe_marker = FALSE;
    jpeg_set_quality(&info, spec.Quality, TRUE);
    if (!spec.Scans.empty()) {
        info.scan_info = spec.Scans.data();
        info.num_scans = static_cast<int>(spec.Scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(spec.Width * spec.Components));
    while (info.next_scanline < info.image_height) {
        spec.Row(row, static_cast<int>(info.next_scanline));
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    jpeg_destroy_compress(&info);
    return out;
}

// Smooth in both directions; every channel stays within 0..255 up to 40 x 40.
uint32_t Gradient(int x, int y) {
    return Argb(0xFF, x * 6, y * 6, 255 - (x + y) * 3);
}

TBitmap GradientBitmap(int width, int height) {
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, Gradient(x, y));
    return bitmap;
}

TJpegSpec RgbSpec() {
    TJpegSpec spec;
    spec.Row = [](std::vector<unsigned char>& row, int y) {
        for (size_t x = 0; x * 3 < row.size(); ++x) {
            const uint32_t c = Gradient(static_cast<int>(x), y);
            row[x * 3] = static_cast<unsigned char>(RedOfPixel(c));
            row[x * 3 + 1] = static_cast<unsigned char>(GreenOfPixel(c));
            row[x * 3 + 2] = static_cast<unsigned char>(BlueOfPixel(c));
        }
    };
    return spec;
}

// A progressive script of the given number of scans (2 to 190) for three components: the DC
// coefficients of all three, then one AC coefficient of one component a scan.
std::vector<jpeg_scan_info> ProgressiveScript(int scans) {
    std::vector<jpeg_scan_info> script;
    jpeg_scan_info dc{};
    dc.comps_in_scan = 3;
    for (int i = 0; i < 3; ++i)
        dc.component_index[i] = i;
    script.push_back(dc);
    for (int ci = 0; ci < 3; ++ci)
        for (int k = 1; k <= 63 && static_cast<int>(script.size()) < scans; ++k) {
            jpeg_scan_info ac{};
            ac.comps_in_scan = 1;
            ac.component_index[0] = ci;
            ac.Ss = k;
            ac.Se = k;
            script.push_back(ac);
        }
    return script;
}

// Offset of the start-of-frame segment (after its marker and length) in a JPEG file.
size_t FrameOffset(const std::string& jpeg) {
    size_t p = 2;
    while (p + 4 <= jpeg.size()) {
        const auto marker = static_cast<unsigned char>(jpeg[p + 1]);
        const size_t length = static_cast<unsigned char>(jpeg[p + 2]) * 256u +
                              static_cast<unsigned char>(jpeg[p + 3]);
        if (marker >= 0xC0 && marker <= 0xC2)
            return p + 4;
        p += 2 + length;
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

std::string WithSize(std::string jpeg, uint32_t width, uint32_t height) {
    const size_t frame = FrameOffset(jpeg);
    jpeg[frame + 1] = static_cast<char>(height >> 8);
    jpeg[frame + 2] = static_cast<char>(height & 0xFF);
    jpeg[frame + 3] = static_cast<char>(width >> 8);
    jpeg[frame + 4] = static_cast<char>(width & 0xFF);
    return jpeg;
}

int MaxChannelDifference(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                       static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

// The largest channel difference between two pictures of the same size.
int MaxDifference(const TBitmap& a, const TBitmap& b) {
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
    int most = 0;
    for (int y = 0; y < std::min(a.Height(), b.Height()); ++y)
        for (int x = 0; x < std::min(a.Width(), b.Width()); ++x)
            most = std::max(most, MaxChannelDifference(a.Pixel(x, y), b.Pixel(x, y)));
    return most;
}

// A disc in a temporary program folder: an archive of the given entries, messages recorded.
class TDisc {
public:
    explicit TDisc(const std::vector<TArchiveItem>& items) : Guard(&Dialogs) {
        CloseArchive();
        SetProgramFolderOverride(Dir.Folder());
        Dir.Write("interface.dat", BuildArchive(items));
        EXPECT_TRUE(OpenArchive("interface.dat"));
    }
    ~TDisc() {
        CloseArchive();
        SetProgramFolderOverride("");
    }
    TDisc(const TDisc&) = delete;
    TDisc& operator=(const TDisc&) = delete;

    TTempDir Dir;
    TRecordingDialogs Dialogs;
    TDialogsGuard Guard;
};

} // namespace

TEST(Picture, SizeLimits) {
    struct TCase {
        int64_t Width, Height;
        const char* Error; // empty: accepted
    };
    const TCase cases[] = {
        {1, 1, ""},
        {16384, 1, ""},
        {1, 16384, ""},
        {16385, 1, "Picture too large: 16385 x 1"},
        {1, 16385, "Picture too large: 1 x 16385"},
        {4096, 5859, ""}, // 23,998,464 pixels
        {4096, 5860, "Picture too large: 4096 x 5860"},
        {65500, 65500, "Picture too large: 65500 x 65500"},
        {0, 5, "Invalid picture size 0 x 5"},
        {5, -1, "Invalid picture size 5 x -1"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { CheckPictureSize(c.Width, c.Height); });
        EXPECT_TRUE(c.Error[0] ? Contains(error, c.Error) : error.empty())
            << c.Width << " x " << c.Height << ": " << error;
    }
}

TEST(Picture, BitmapLayout) {
    TBitmap bitmap(3, 2, Argb(0x80, 1, 2, 3));
    EXPECT_EQ(bitmap.BytesPerLine(), 12);
    bitmap.SetPixel(2, 1, 0xFF102030);
    EXPECT_EQ(bitmap.Bits()[1 * 3 + 2], 0xFF102030u); // rows top first, no padding
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x80010203u);
    EXPECT_TRUE(TBitmap().Empty());
    EXPECT_TRUE(Contains(ErrorOf([] { TBitmap(-1, 2); }), "Invalid picture size"));
}

TEST(Bmp, VariantsPixelByPixel) {
    for (const auto& variant : BmpVariants()) {
        SCOPED_TRACE(variant.Name);
        TBitmap bitmap;
        ASSERT_EQ(ErrorOf([&] { bitmap = DecodeBmp(MakeBmp(variant.Spec)); }), "");
        const int height = std::abs(variant.Spec.Height);
        ASSERT_EQ(bitmap.Width(), variant.Spec.Width);
        ASSERT_EQ(bitmap.Height(), height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < variant.Spec.Width; ++x)
                ASSERT_EQ(bitmap.Pixel(x, y), variant.Expected(x, y)) << "at " << x << "," << y;
    }
}

TEST(Bmp, RunLengthPixelByPixel) {
    for (const auto& c : RleCases()) {
        SCOPED_TRACE(c.Name);
        TBitmap bitmap;
        ASSERT_EQ(ErrorOf([&] { bitmap = DecodeBmp(MakeRleBmp(c)); }), "");
        ASSERT_EQ(bitmap.Width(), c.Width);
        ASSERT_EQ(bitmap.Height(), c.Height);
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x)
                ASSERT_EQ(bitmap.Pixel(x, y), PaletteColor(c.Expected[y][x]))
                    << "at " << x << "," << y;
    }
}

TEST(Bmp, EncodeThenDecode) {
    const TBitmap original = GradientBitmap(7, 5); // 21-byte rows: padding on every row
    const std::string file = EncodeBmp(original);
    EXPECT_EQ(file.size(), 14u + 40u + 24u * 5u);
    EXPECT_EQ(DecodeBmp(file), original);
}

TEST(Bmp, DamagedAndHostileFiles) {
    auto base = [] {
        TBmpSpec s;
        s.Pixels = Rows(5, 3, false,
                        [](std::string& row, int width, int) { row.assign(width * 3, '\x7F'); });
        return s;
    };
    auto with = [&](const std::function<void(TBmpSpec&)>& change) {
        TBmpSpec s = base();
        change(s);
        return MakeBmp(s);
    };
    const std::string valid = MakeBmp(base());
    std::string badHeaderSize = valid;
    Patch32(badHeaderSize, 14, 0xFFFFFFFF);
    std::string headerInside = valid;
    Patch32(headerInside, 10, 20);
    std::string dataPastEnd = valid;
    Patch32(dataPastEnd, 10, 0x7FFFFFF0);

    struct TCase {
        const char* What;
        std::string Bytes;
        const char* Error;
    };
    const TCase cases[] = {
        {"empty", "", "data too short"},
        {"ten bytes", "BM\x10\0\0\0\0\0\0\0"s, "data too short"},
        {"no signature", "XY" + valid.substr(2), "no \"BM\" signature"},
        {"header size past the file", badHeaderSize, "unsupported header size 4294967295"},
        {"header cut", valid.substr(0, 30), "header truncated"},
        {"huge sides", with([](TBmpSpec& s) {
             s.Width = 100000;
             s.Height = 100000;
         }),
         "Picture too large: 100000 x 100000"},
        {"one side past the limit", with([](TBmpSpec& s) {
             s.Width = 16385;
             s.Height = 1;
         }),
         "Picture too large: 16385 x 1"},
        {"too many pixels", with([](TBmpSpec& s) {
             s.Width = 4096;
             s.Height = -5860;
         }),
         "Picture too large: 4096 x 5860"},
        {"just within the limits, no data", with([](TBmpSpec& s) {
             s.Width = 4096;
             s.Height = 5859;
         }),
         "pixel data truncated"},
        {"zero width", with([](TBmpSpec& s) { s.Width = 0; }), "Invalid picture size 0 x 3"},
        {"negative width", with([](TBmpSpec& s) { s.Width = -5; }), "Invalid picture size -5 x 3"},
        {"height of -2^31", with([](TBmpSpec& s) { s.Height = INT32_MIN; }), "invalid height"},
        {"pixel rows cut", valid.substr(0, valid.size() - 5),
         "pixel data truncated: 43 of 47 bytes"},
        {"pixel data offset inside the header", headerInside, "inside the header"},
        {"pixel data offset past the end", dataPastEnd, "pixel data offset past the end"},
        {"palette count past the file", with([](TBmpSpec& s) {
             s.Bits = 8;
             s.ColorsUsed = 256;
             s.Palette = MakePalette(10);
             s.Pixels.clear();
             s.OffBits = 0;
         }),
         "palette of 256 colours past the end of the data"},
        {"palette count above the bit count", with([](TBmpSpec& s) {
             s.Bits = 4;
             s.ColorsUsed = 17;
             s.Palette = MakePalette(17);
         }),
         "palette of 17 colours for 4 bits a pixel"},
        {"palette count of 2^32-1", with([](TBmpSpec& s) {
             s.Bits = 8;
             s.ColorsUsed = 0xFFFFFFFF;
         }),
         "palette of 4294967295 colours for 8 bits a pixel"},
        {"unknown bit count", with([](TBmpSpec& s) { s.Bits = 7; }),
         "7 bits a pixel with compression 0"},
        {"RLE8 with 4 bits", with([](TBmpSpec& s) {
             s.Bits = 4;
             s.Compression = 1;
         }),
         "4 bits a pixel with compression 1"},
        {"bit fields with 24 bits", with([](TBmpSpec& s) { s.Compression = 3; }),
         "24 bits a pixel with compression 3"},
        {"embedded JPEG", with([](TBmpSpec& s) { s.Compression = 4; }),
         "unsupported compression 4"},
        {"masks cut", with([](TBmpSpec& s) {
                          s.Bits = 32;
                          s.Compression = 3;
                          s.Pixels.clear();
                      }).substr(0, 14 + 40 + 6),
         "colour masks truncated"},
        {"empty masks", with([](TBmpSpec& s) {
             s.Bits = 32;
             s.Compression = 3;
             s.Masks = {0, 0, 0};
         }),
         "empty colour masks"},
        {"RLE8 literal cut", with([](TBmpSpec& s) {
             s.Bits = 8;
             s.Compression = 1;
             s.Palette = MakePalette(4);
             s.Pixels = "\x00\x05\x01\x02"s;
         }),
         "run-length data truncated"},
        {"RLE8 move cut", with([](TBmpSpec& s) {
             s.Bits = 8;
             s.Compression = 1;
             s.Pixels = "\x00\x02\x01"s;
         }),
         "run-length data truncated"},
        {"RLE4 code cut", with([](TBmpSpec& s) {
             s.Bits = 4;
             s.Compression = 2;
             s.Pixels = "\x02\x11\x03"s;
         }),
         "run-length data truncated"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { DecodeBmp(c.Bytes); });
        EXPECT_TRUE(Contains(error, c.Error)) << c.What << ": \"" << error << "\"";
        EXPECT_TRUE(error.rfind("Invalid BMP picture: ", 0) == 0 ||
                    Contains(error, "Picture too large") || Contains(error, "Invalid picture size"))
            << c.What << ": " << error;
    }
}

// Every cut and every damaged byte of valid files gives a picture or our error, nothing else.
TEST(Bmp, EveryCutAndDamagedByteIsHandled) {
    std::vector<std::string> files;
    for (const auto& variant : BmpVariants())
        files.push_back(MakeBmp(variant.Spec));
    for (const auto& c : RleCases())
        files.push_back(MakeRleBmp(c));
    for (const std::string& file : files) {
        for (size_t length = 0; length < file.size(); ++length)
            EXPECT_NO_THROW(ErrorOf([&] { DecodeBmp(file.substr(0, length)); })) << length;
        for (size_t at = 0; at < file.size(); ++at)
            for (unsigned char value : {0x00, 0x7F, 0x80, 0xFF}) {
                std::string damaged = file;
                damaged[at] = static_cast<char>(value);
                EXPECT_NO_THROW(ErrorOf([&] { DecodeBmp(damaged); })) << at;
            }
    }
}

TEST(Jpeg, RoundTripThroughBitmapToJpeg) {
    const TBitmap original = GradientBitmap(37, 21); // not a whole number of blocks
    EXPECT_EQ(BitmapToJpeg(nullptr, 90), nullptr);
    const auto picture = BitmapToJpeg(&original, 95);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width, 37);
    EXPECT_EQ(picture->Height, 21);
    ASSERT_GT(picture->Bytes.size(), 4u);
    EXPECT_EQ(picture->Bytes.substr(0, 2), "\xFF\xD8");
    const TBitmap decoded = DecodeJpeg(picture->Bytes);
    EXPECT_LE(MaxDifference(decoded, original), 12);
    for (int y = 0; y < decoded.Height(); ++y)
        for (int x = 0; x < decoded.Width(); ++x)
            ASSERT_EQ(AlphaOf(decoded.Pixel(x, y)), 0xFFu);
}

TEST(Jpeg, QualityIsUsedAndClamped) {
    TBitmap noisy(32, 32);
    std::mt19937 random(7);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            noisy.SetPixel(x, y, 0xFF000000 | (random() & 0xFFFFFF));
    EXPECT_LT(EncodeJpeg(noisy, 10).size(), EncodeJpeg(noisy, 95).size());
    EXPECT_EQ(BitmapToJpeg(&noisy, 150)->Bytes, EncodeJpeg(noisy, 100));
    EXPECT_EQ(BitmapToJpeg(&noisy, -5)->Bytes, EncodeJpeg(noisy, 0));
    EXPECT_NO_THROW(DecodeJpeg(EncodeJpeg(noisy, 0)));

    const TBitmap empty;
    EXPECT_EQ(ErrorOf([&] { BitmapToJpeg(&empty, 90); }),
              "JPEG compression failed: the picture is empty");
}

TEST(Jpeg, ColourSpaces) {
    // Uniform pictures, one per stored colour space; CMYK samples are ink amounts, stored
    // inverted when the file carries Adobe's marker (the library writes it for CMYK and YCCK).
    struct TCase {
        const char* What;
        J_COLOR_SPACE Input;
        int Components;
        J_COLOR_SPACE Stored;
        bool NoAdobeMarker;
        std::vector<unsigned char> Sample;
        uint32_t Expected;
    };
    const TCase cases[] = {
        {"greyscale", JCS_GRAYSCALE, 1, JCS_UNKNOWN, false, {90}, Argb(0xFF, 90, 90, 90)},
        {"YCbCr", JCS_RGB, 3, JCS_UNKNOWN, false, {200, 40, 100}, Argb(0xFF, 200, 40, 100)},
        {"RGB stored as RGB", JCS_RGB, 3, JCS_RGB, false, {10, 220, 130}, Argb(0xFF, 10, 220, 130)},
        {"Adobe CMYK: red", JCS_CMYK, 4, JCS_CMYK, false, {255, 0, 0, 255}, Argb(0xFF, 255, 0, 0)},
        {"Adobe CMYK: half black",
         JCS_CMYK,
         4,
         JCS_CMYK,
         false,
         {255, 255, 255, 128},
         Argb(0xFF, 128, 128, 128)},
        {"plain CMYK: red", JCS_CMYK, 4, JCS_CMYK, true, {0, 255, 255, 0}, Argb(0xFF, 255, 0, 0)},
        {"plain CMYK: cyan", JCS_CMYK, 4, JCS_CMYK, true, {255, 0, 0, 0}, Argb(0xFF, 0, 255, 255)},
        {"YCCK: blue", JCS_CMYK, 4, JCS_YCCK, false, {0, 0, 255, 255}, Argb(0xFF, 0, 0, 255)},
    };
    for (const auto& c : cases) {
        TJpegSpec spec;
        spec.Width = 8;
        spec.Height = 8;
        spec.Input = c.Input;
        spec.Components = c.Components;
        spec.Stored = c.Stored;
        spec.NoAdobeMarker = c.NoAdobeMarker;
        spec.Quality = 100;
        spec.Row = [&](std::vector<unsigned char>& row, int) {
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = c.Sample[i % c.Sample.size()];
        };
        TBitmap bitmap;
        ASSERT_EQ(ErrorOf([&] { bitmap = DecodeJpeg(WriteJpeg(spec)); }), "") << c.What;
        ASSERT_EQ(bitmap.Width(), 8);
        EXPECT_LE(MaxChannelDifference(bitmap.Pixel(3, 4), c.Expected), 3)
            << c.What << ": " << std::hex << bitmap.Pixel(3, 4);
    }
}

TEST(Jpeg, ProgressiveScanLimit) {
    struct TCase {
        int Scans;
        const char* Error; // empty: decoded
    };
    const TCase cases[] = {
        {2, ""},
        {kMaxJpegScans, ""},
        {kMaxJpegScans + 1, "Invalid JPEG picture: more than 100 progressive scans"},
        {190, "Invalid JPEG picture: more than 100 progressive scans"},
    };
    for (const auto& c : cases) {
        TJpegSpec spec = RgbSpec();
        spec.Scans = ProgressiveScript(c.Scans);
        ASSERT_EQ(spec.Scans.size(), static_cast<size_t>(c.Scans));
        const std::string file = WriteJpeg(spec);
        TBitmap bitmap;
        EXPECT_EQ(ErrorOf([&] { bitmap = DecodeJpeg(file); }), c.Error) << c.Scans << " scans";
        if (!c.Error[0]) {
            EXPECT_EQ(bitmap.Width() * bitmap.Height(), 16 * 16) << c.Scans << " scans";
        }
    }
}

TEST(Jpeg, CorruptDataWarningLimit) {
    const std::string valid = WriteJpeg(RgbSpec());
    // Each stray byte before a marker is one corrupt-data warning.
    auto withWarnings = [&](int count) {
        std::string junk;
        for (int i = 0; i < count; ++i)
            junk += "\x00\xFF\xFE\x00\x02"s; // a stray byte, then an empty comment
        return valid.substr(0, 2) + junk + valid.substr(2);
    };
    EXPECT_EQ(ErrorOf([&] { DecodeJpeg(withWarnings(1)); }), "");
    EXPECT_EQ(ErrorOf([&] { DecodeJpeg(withWarnings(kMaxJpegWarnings)); }), "");
    EXPECT_EQ(ErrorOf([&] { DecodeJpeg(withWarnings(kMaxJpegWarnings + 1)); }),
              "Invalid JPEG picture: more than 100 corrupt-data warnings (Corrupt JPEG data: 1 "
              "extraneous bytes before marker 0xfe)");
}

TEST(Jpeg, SizeCheckedFromTheHeaderBeforeDecoding) {
    TJpegSpec spec = RgbSpec();
    spec.Width = 8;
    spec.Height = 8;
    const std::string small = WriteJpeg(spec);
    ASSERT_LT(small.size(), 1000u);
    struct TCase {
        uint32_t Width, Height;
        const char* Error; // empty: not refused for its size
    };
    const TCase cases[] = {
        {65500, 65500, "Picture too large: 65500 x 65500"},
        {16385, 8, "Picture too large: 16385 x 8"},
        {4096, 5860, "Picture too large: 4096 x 5860"},
        {16384, 8, ""},
        {8, 16384, ""},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { DecodeJpeg(WithSize(small, c.Width, c.Height)); });
        if (c.Error[0]) {
            EXPECT_TRUE(Contains(error, c.Error)) << c.Width << " x " << c.Height << ": " << error;
        } else {
            EXPECT_FALSE(Contains(error, "too large")) << c.Width << " x " << c.Height;
        }
    }
}

TEST(Jpeg, DamagedFiles) {
    const std::string valid = WriteJpeg(RgbSpec());
    std::mt19937 random(11);
    std::string garbage(300, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    garbage[0] = 'G';
    garbage[1] = 'A';
    struct TCase {
        const char* What;
        std::string Bytes;
        const char* Error;
    };
    const TCase cases[] = {
        {"empty", "", "Invalid JPEG picture: Premature end of input file"},
        {"garbage", garbage, "Invalid JPEG picture: Not a JPEG file: starts with 0x47 0x41"},
        {"a BMP file", EncodeBmp(GradientBitmap(2, 2)), "Not a JPEG file: starts with 0x42 0x4d"},
        {"cut in the header", valid.substr(0, 100),
         "Invalid JPEG picture: Premature end of input file"},
        {"cut in the data", valid.substr(0, valid.size() - 10),
         "Invalid JPEG picture: Premature end of input file"},
        {"only the start marker", valid.substr(0, 2),
         "Invalid JPEG picture: Premature end of input file"},
        {"tables without a picture", "\xFF\xD8\xFF\xD9"s, "Invalid JPEG picture: "},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { DecodeJpeg(c.Bytes); });
        EXPECT_TRUE(!error.empty() && Contains(error, c.Error))
            << c.What << ": \"" << error << "\"";
    }
}

// Every cut and every damaged byte of valid files gives a picture or our error, nothing else.
TEST(Jpeg, EveryCutAndDamagedByteIsHandled) {
    TJpegSpec baseline = RgbSpec();
    TJpegSpec progressive = RgbSpec();
    progressive.Scans = ProgressiveScript(12);
    TJpegSpec grey = RgbSpec();
    grey.Input = JCS_GRAYSCALE;
    grey.Components = 1;
    grey.Row = [](std::vector<unsigned char>& row, int y) {
        for (size_t x = 0; x < row.size(); ++x)
            row[x] = static_cast<unsigned char>(x * 9 + static_cast<size_t>(y) * 5);
    };
    for (const std::string& file : {WriteJpeg(baseline), WriteJpeg(progressive), WriteJpeg(grey)}) {
        for (size_t length = 0; length < file.size(); ++length)
            EXPECT_NO_THROW(ErrorOf([&] { DecodeJpeg(file.substr(0, length)); })) << length;
        for (size_t at = 0; at < file.size(); ++at)
            for (unsigned char value : {0x00, 0xFF}) {
                std::string damaged = file;
                damaged[at] = static_cast<char>(value);
                EXPECT_NO_THROW(ErrorOf([&] { DecodeJpeg(damaged); })) << at;
            }
    }
}

TEST(PackBitmap, DecoderChosenByExtension) {
    const TBitmap picture = GradientBitmap(6, 4);
    const std::string jpeg = EncodeJpeg(picture, 90);
    const std::string bmp = EncodeBmp(picture);
    TDisc disc({{"a.jpg", jpeg},
                {"b.jpeg", jpeg},
                {"c.gif", jpeg},
                {"d.bmp", bmp},
                {"pics.old\\photo", jpeg},
                {"e.png", bmp},
                {"f.bmp", jpeg},
                {"noext", bmp}});
    struct TCase {
        const char* Name;
        const char* Error; // empty: decoded to the picture
    };
    const TCase cases[] = {
        {"A.JPG", ""},
        {"b.jpeg", ""},
        {"c.gif", ""},
        {"D.BMP", ""},
        {"d.Bmp", ""},
        {"pics.old\\photo", ""}, // the extension is from the last "." on, whatever it is
        {"e.png", "Invalid JPEG picture: Not a JPEG file: starts with 0x42 0x4d: e.png"},
        {"F.BMP", "Invalid BMP picture: no \"BM\" signature: F.BMP"},
        {"noext", "Invalid JPEG picture: Not a JPEG file: starts with 0x42 0x4d: noext"},
    };
    for (const auto& c : cases) {
        TBitmap bitmap;
        EXPECT_EQ(ErrorOf([&] { bitmap = LoadPackBitmap(c.Name); }), c.Error) << c.Name;
        if (!c.Error[0]) {
            EXPECT_LE(MaxDifference(bitmap, picture), 16) << c.Name;
        }
    }
    EXPECT_TRUE(disc.Dialogs.Messages().empty());
}

TEST(PackBitmap, MissingNameGivesAnEmptyBitmap) {
    TDisc disc({});
    TBitmap bitmap = GradientBitmap(2, 2);
    EXPECT_NO_THROW(bitmap = LoadPackBitmap("absent.jpg"));
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_NO_THROW(bitmap = LoadPackBitmap(W("Нет.bmp")));
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(disc.Dialogs.Messages(),
              (std::vector<std::string>{W("Не найден файл \r\n") + "absent.jpg",
                                        W("Не найден файл \r\n") + W("Нет.bmp")}));
}

TEST(PackBitmap, LooseFileOnDisk) {
    TDisc disc({});
    disc.Dir.Write("pics/x.bmp", EncodeBmp(GradientBitmap(3, 3)));
    EXPECT_EQ(LoadPackBitmap("pics\\x.bmp"), GradientBitmap(3, 3));
    EXPECT_TRUE(disc.Dialogs.Messages().empty());
}
