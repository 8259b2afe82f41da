#include "archive/JpegCodec.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <jerror.h>

// The library reports a fatal error by calling error_exit, which must not return. Ours longjmps
// back to the function that called into the library. Those functions (the ones calling setjmp)
// and every callback hold only plain C data, so the jump skips no destructor; C++ objects live in
// the callers, which turn a failed call into an EPictureError and release the library's state in
// a guard.

namespace {

constexpr const char* kDecodePrefix = "Invalid JPEG picture: ";
constexpr const char* kEncodePrefix = "JPEG compression failed: ";
constexpr bool kLittleEndian = std::endian::native == std::endian::little;

struct TJpegError {
    jpeg_error_mgr Manager; // first: the library's err pointer is a pointer to this record
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX + 96];
};

TJpegError* ErrorOf(j_common_ptr info) {
    return reinterpret_cast<TJpegError*>(info->err);
}

[[noreturn]] void Stop(j_common_ptr info, const char* text) {
    TJpegError* error = ErrorOf(info);
    std::snprintf(error->Message, sizeof error->Message, "%s", text);
    std::longjmp(error->Jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    Stop(info, text);
}

// Warnings are what the library says about corrupt data it works around; a file full of them is
// a way to keep the decoder busy, so their number is bounded. Trace messages are dropped.
void EmitMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    jpeg_error_mgr& manager = *info->err;
    if (++manager.num_warnings <= kMaxJpegWarnings)
        return;
    char last[JMSG_LENGTH_MAX];
    (*manager.format_message)(info, last);
    char text[JMSG_LENGTH_MAX + 64];
    std::snprintf(text, sizeof text, "more than %d corrupt-data warnings (%s)", kMaxJpegWarnings,
                  last);
    Stop(info, text);
}

void OutputMessage(j_common_ptr) {
}

void InstallErrorManager(TJpegError& error) {
    jpeg_std_error(&error.Manager);
    error.Manager.error_exit = ErrorExit;
    error.Manager.emit_message = EmitMessage;
    error.Manager.output_message = OutputMessage;
    error.Message[0] = '\0';
}

// A progressive picture decodes all its scans before the first row comes out; each scan walks
// every block, so a small file with thousands of scans would take minutes.
void ProgressMonitor(j_common_ptr info) {
    if (!info->is_decompressor)
        return;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) {
        char text[96];
        std::snprintf(text, sizeof text, "more than %d progressive scans", kMaxJpegScans);
        Stop(info, text);
    }
}

// Source: the caller's bytes. Running out of them is an error: the library's own memory source
// would pretend the picture ended there and return a grey remainder.
void InitSource(j_decompress_ptr) {
}
boolean FillInputBuffer(j_decompress_ptr info) {
    ERREXIT(info, JERR_INPUT_EOF);
    return FALSE;
}
void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer)
        ERREXIT(info, JERR_INPUT_EOF);
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}
void TermSource(j_decompress_ptr) {
}

struct TDecodeState {
    jpeg_decompress_struct Info;
    TJpegError Error;
    jpeg_source_mgr Source;
    jpeg_progress_mgr Progress;
};

struct TDecodeGuard {
    TDecodeState* State;
    ~TDecodeGuard() { jpeg_destroy_decompress(&State->Info); } // safe on a zeroed record
};

bool ReadHeader(TDecodeState* state, const unsigned char* data, size_t size) {
    state->Info.err = &state->Error.Manager;
    InstallErrorManager(state->Error);
    if (setjmp(state->Error.Jump))
        return false;
    jpeg_create_decompress(&state->Info);
    state->Source.next_input_byte = data;
    state->Source.bytes_in_buffer = size;
    state->Source.init_source = InitSource;
    state->Source.fill_input_buffer = FillInputBuffer;
    state->Source.skip_input_data = SkipInputData;
    state->Source.resync_to_restart = jpeg_resync_to_restart;
    state->Source.term_source = TermSource;
    state->Info.src = &state->Source;
    state->Progress.progress_monitor = ProgressMonitor;
    state->Info.progress = &state->Progress;
    jpeg_read_header(&state->Info, TRUE);
    return true;
}

uint32_t Scale(unsigned a, unsigned b) {
    return (a * b + 127) / 255;
}

// pixels: width x height, as the header gave them; cmyk: the output is CMYK and is converted
// here, otherwise the library writes ARGB words itself.
bool ReadPixels(TDecodeState* state, uint32_t* pixels, bool cmyk) {
    if (setjmp(state->Error.Jump))
        return false;
    j_decompress_ptr info = &state->Info;
    const JDIMENSION width = info->image_width;
    jpeg_start_decompress(info);
    if (info->output_width != width || info->output_height != info->image_height ||
        info->output_components != 4)
        Stop(reinterpret_cast<j_common_ptr>(info), "unexpected output format");
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                             width * 4, 1);
    const bool inverted = info->saw_Adobe_marker; // Adobe writes CMYK inverted
    while (info->output_scanline < info->output_height) {
        uint32_t* target = pixels + static_cast<size_t>(info->output_scanline) * width;
        JSAMPROW row = cmyk ? cmykRow[0] : reinterpret_cast<JSAMPROW>(target);
        // Our source never suspends, so every call gives a row; a call that gave none would
        // repeat for ever.
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            Stop(reinterpret_cast<j_common_ptr>(info), "no picture row decoded");
        if (!cmyk)
            continue;
        const JSAMPLE* s = cmykRow[0];
        for (JDIMENSION x = 0; x < width; ++x, s += 4) {
            unsigned c = s[0], m = s[1], y = s[2], k = s[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            target[x] = Argb(0xFF, Scale(c, k), Scale(m, k), Scale(y, k));
        }
    }
    // No jpeg_finish_decompress: nothing after the last row is needed.
    return true;
}

// Destination: a growing malloc buffer, released by the caller's guard whatever happens.
struct TDestination {
    jpeg_destination_mgr Manager; // first: the library's dest pointer is a pointer to this record
    unsigned char* Buffer;
    size_t Capacity;
    size_t Used;
};

TDestination* DestinationOf(j_compress_ptr info) {
    return reinterpret_cast<TDestination*>(info->dest);
}

void InitDestination(j_compress_ptr info) {
    TDestination* d = DestinationOf(info);
    d->Capacity = 64 * 1024;
    d->Buffer = static_cast<unsigned char*>(std::malloc(d->Capacity));
    if (!d->Buffer)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    d->Manager.next_output_byte = d->Buffer;
    d->Manager.free_in_buffer = d->Capacity;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
    // Called with the whole buffer full, whatever free_in_buffer says.
    TDestination* d = DestinationOf(info);
    const size_t capacity = d->Capacity * 2;
    auto* grown = static_cast<unsigned char*>(std::realloc(d->Buffer, capacity));
    if (!grown)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    d->Buffer = grown;
    d->Manager.next_output_byte = grown + d->Capacity;
    d->Manager.free_in_buffer = capacity - d->Capacity;
    d->Capacity = capacity;
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    TDestination* d = DestinationOf(info);
    d->Used = d->Capacity - d->Manager.free_in_buffer;
}

struct TEncodeState {
    jpeg_compress_struct Info;
    TJpegError Error;
    TDestination Destination;
};

struct TEncodeGuard {
    TEncodeState* State;
    ~TEncodeGuard() {
        jpeg_destroy_compress(&State->Info);
        std::free(State->Destination.Buffer);
    }
};

bool WriteJpeg(TEncodeState* state, const uint32_t* pixels, int width, int height, int quality) {
    state->Info.err = &state->Error.Manager;
    InstallErrorManager(state->Error);
    if (setjmp(state->Error.Jump))
        return false;
    j_compress_ptr info = &state->Info;
    jpeg_create_compress(info);
    state->Destination.Manager.init_destination = InitDestination;
    state->Destination.Manager.empty_output_buffer = EmptyOutputBuffer;
    state->Destination.Manager.term_destination = TermDestination;
    info->dest = &state->Destination.Manager;
    info->image_width = static_cast<JDIMENSION>(width);
    info->image_height = static_cast<JDIMENSION>(height);
    // The words 0xAARRGGBB read as bytes: B G R A on a little-endian machine, A R G B otherwise.
    info->in_color_space = kLittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    info->input_components = 4;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        // The library only reads the rows it is given.
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            const_cast<uint32_t*>(pixels + static_cast<size_t>(info->next_scanline) * width));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

TBitmap DecodeJpeg(std::string_view bytes) {
    TDecodeState state{};
    const TDecodeGuard guard{&state};
    if (!ReadHeader(&state, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()))
        throw EPictureError(kDecodePrefix + std::string(state.Error.Message));
    CheckPictureSize(state.Info.image_width, state.Info.image_height);
    bool cmyk = false;
    switch (state.Info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
        state.Info.out_color_space = kLittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        state.Info.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        throw EPictureError(kDecodePrefix + std::string("unsupported colour space with ") +
                            std::to_string(state.Info.num_components) + " components");
    }
    TBitmap bitmap(static_cast<int>(state.Info.image_width),
                   static_cast<int>(state.Info.image_height));
    if (!ReadPixels(&state, bitmap.Bits(), cmyk))
        throw EPictureError(kDecodePrefix + std::string(state.Error.Message));
    return bitmap;
}

std::string EncodeJpeg(const TBitmap& bitmap, int quality) {
    if (bitmap.Empty())
        throw EPictureError(kEncodePrefix + std::string("the picture is empty"));
    TEncodeState state{};
    const TEncodeGuard guard{&state};
    if (!WriteJpeg(&state, bitmap.Bits(), bitmap.Width(), bitmap.Height(),
                   std::clamp(quality, 0, 100)))
        throw EPictureError(kEncodePrefix + std::string(state.Error.Message));
    return std::string(reinterpret_cast<const char*>(state.Destination.Buffer),
                       state.Destination.Used);
}

std::unique_ptr<TJpegPicture> BitmapToJpeg(const TBitmap* bitmap, int quality) {
    if (!bitmap)
        return nullptr;
    auto picture = std::make_unique<TJpegPicture>();
    picture->Bytes = EncodeJpeg(*bitmap, quality);
    picture->Width = bitmap->Width();
    picture->Height = bitmap->Height();
    return picture;
}
