#include "search/HtmlParser.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The per-token steps run inline in Parse's loop: tokens are short, calls would cost as much.
#if defined(__GNUC__)
#define CHITALKA_HOT_INLINE __attribute__((always_inline)) inline
#else
#define CHITALKA_HOT_INLINE inline
#endif

namespace {

constexpr std::array<std::string_view, 256> MakeEntityNames() {
    std::array<std::string_view, 256> names{};
    names[34] = "quot";
    names[38] = "amp";
    names[60] = "lt";
    names[62] = "gt";
    constexpr std::string_view latin1[96] = {
        "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
        "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
        "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
        "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
        "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
        "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
        "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
        "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
        "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
        "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
        "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
    };
    for (size_t i = 0; i < 96; ++i)
        names[160 + i] = latin1[i];
    return names;
}

// Character classes of the scanner, one bit each.
enum : unsigned char {
    kSpace = 1,     // TAB, LF, CR, space
    kNameStop = 2,  // ends a tag name or an unquoted value: whitespace, ">"
    kAttrStop = 4,  // ends an attribute name: whitespace, "=", ">"
    kPlainStop = 8, // ends a tag name that needs no more than a look for its ">": also "<", "&"
};

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> c{};
    for (unsigned char s : {'\t', '\n', '\r', ' '})
        c[s] = kSpace | kNameStop | kAttrStop;
    c['>'] = kNameStop | kAttrStop;
    c['='] = kAttrStop;
    for (unsigned char s : {'\t', '\n', '\r', ' ', '>', '<', '&'})
        c[s] |= kPlainStop;
    return c;
}

constexpr std::array<unsigned char, 256> kClass = MakeClasses();

inline bool Is(char c, unsigned char cls) {
    return (kClass[static_cast<unsigned char>(c)] & cls) != 0;
}

// Named references by a hash of the name packed into a number: a lookup costs one or two
// comparisons of numbers.
class TNameTable {
public:
    TNameTable() {
        for (size_t code = 0; code < 256; ++code) {
            const std::string_view name = EntityNames[code];
            if (name.empty())
                continue;
            const uint64_t key = Pack(name);
            size_t h = Hash(key);
            while (Slots[h].Key != 0)
                h = (h + 1) % Slots.size();
            Slots[h] = {key, static_cast<unsigned char>(code)};
        }
    }
    int Find(std::string_view name) const {
        if (name.empty() || name.size() > kLongest)
            return -1;
        const uint64_t key = Pack(name);
        for (size_t h = Hash(key); Slots[h].Key != 0; h = (h + 1) % Slots.size())
            if (Slots[h].Key == key)
                return Slots[h].Code;
        return -1;
    }

private:
    static constexpr size_t kLongest = 6; // "curren", "frac14", "middot", "plusmn", ...
    // The bytes and the length: distinct names give distinct numbers, and none gives 0.
    static uint64_t Pack(std::string_view name) {
        uint64_t key = name.size();
        for (size_t i = 0; i < name.size(); ++i)
            key |= static_cast<uint64_t>(static_cast<unsigned char>(name[i])) << (8 * (i + 1));
        return key;
    }
    static size_t Hash(uint64_t key) {
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 55); // 9 bits: 512 slots
    }
    struct TSlot {
        uint64_t Key = 0;
        unsigned char Code = 0;
    };
    std::array<TSlot, 512> Slots{};
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte a reference's name stands for, or -1 when it stands for none. Numbers keep only their
// low 8 bits, which the running value is reduced to, so any number of digits is safe.
int ReferenceCode(std::string_view name) {
    if (name.empty())
        return -1;
    if (name[0] == '#') {
        const bool hex = name.size() >= 2 && (name[1] == 'x' || name[1] == 'X');
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return -1;
        unsigned value = 0;
        for (char c : digits) {
            const int d = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
            if (d < 0)
                return -1;
            value = (value * (hex ? 16u : 10u) + static_cast<unsigned>(d)) & 0xFFu;
        }
        return static_cast<int>(value);
    }
    static const TNameTable table;
    return table.Find(name);
}

const char* Find(const char* from, const char* to, char c) {
    return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(to - from)));
}

// The tokens are short, so the scans below run inline rather than as library calls.
#if defined(__SSE2__)
inline unsigned Matches16(__m128i block, char c) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
}
inline __m128i Load16(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

// The first c in [p, end), or null.
inline const char* FindShort(const char* p, const char* end, char c) {
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16)
        if (const unsigned m = Matches16(Load16(p), c))
            return p + __builtin_ctz(m);
#endif
    for (; p < end; ++p)
        if (*p == c)
            return p;
    return nullptr;
}

void AppendDecoded(std::string_view text, std::string& out) {
    // Written through a pointer into room made once: decoded text is never longer than its
    // source.
    const size_t base = out.size();
    out.resize(base + text.size());
    char* w = out.data() + base;
    const auto copy = [&w](const char* from, const char* to) {
        std::memcpy(w, from, static_cast<size_t>(to - from));
        w += to - from;
    };
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* semi = nullptr; // the first ";" after the last "&" looked at, kept while ahead
    while (p < end) {
        const char* amp = FindShort(p, end, '&');
        if (!amp) {
            copy(p, end);
            break;
        }
        copy(p, amp);
        // The first ";" or "&" after this "&": a known name is short, so look a few bytes ahead
        // before searching the rest. The ";" is searched for once per stretch, not once per "&",
        // so that a long row of "&" without a ";" stays linear.
        const char* stop = amp + 1;
        const char* const near = end - amp > 9 ? amp + 9 : end;
        while (stop < near && *stop != ';' && *stop != '&')
            ++stop;
        if (stop == near) {
            if (!semi || semi <= amp)
                semi = FindShort(amp + 1, end, ';');
            if (!semi) {
                copy(amp, end);
                break;
            }
            const char* next = FindShort(amp + 1, semi, '&');
            stop = next ? next : semi;
        }
        if (*stop == '&') {
            copy(amp, stop);
            p = stop;
            continue;
        }
        const int code =
            ReferenceCode(std::string_view(amp + 1, static_cast<size_t>(stop - amp - 1)));
        if (code >= 0)
            *w++ = static_cast<char>(code);
        else
            copy(amp, stop + 1);
        p = stop + 1;
    }
    out.resize(static_cast<size_t>(w - out.data()));
}

// One bit a byte for the n <= 64 bytes at p: where they equal c.
inline uint64_t MaskTail(const char* p, size_t n, char c) {
    uint64_t m = 0;
    for (size_t j = 0; j < n; ++j)
        m |= static_cast<uint64_t>(p[j] == c) << j;
    return m;
}

// Whether the bytes are already lines each ended by CR LF: then they are their own joined text.
// Every CR must stand right before an LF and every LF right after a CR: the LF bits are the CR
// bits moved up by one.
// With nulFree set, a NUL makes it false too: the check then tells in one pass that the bytes are
// the joined text as they stand.
bool AllLinesEndCrLf(std::string_view bytes, bool nulFree = false) {
    const size_t n = bytes.size();
    if (n < 2 || bytes[n - 2] != '\r' || bytes[n - 1] != '\n')
        return false;
    const char* p = bytes.data();
    if (p[0] == '\n' || (nulFree && p[0] == '\0'))
        return false;
    // From byte 1 on: an LF exactly where the byte before is a CR. The text ends with CR LF, so
    // its last CR has its LF.
    size_t i = 1;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    __m128i bad = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
        bad =
            _mm_or_si128(bad, _mm_xor_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(before, cr)));
        if (nulFree)
            bad = _mm_or_si128(bad, _mm_cmpeq_epi8(here, nul));
    }
    if (_mm_movemask_epi8(bad) != 0)
        return false;
#endif
    for (; i < n; ++i)
        if ((p[i] == '\n') != (p[i - 1] == '\r') || (nulFree && p[i] == '\0'))
            return false;
    return true;
}

// The lines of bytes (ended by CR LF, LF or CR; a NUL ends the text) joined, each followed by
// CR LF. out is replaced; its memory is reused.
void JoinLines(std::string_view bytes, std::string& out) {
    if (AllLinesEndCrLf(bytes, true)) { // the usual case, told in one pass
        out.assign(bytes);
        return;
    }
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
        bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()));
    if (bytes.empty() || AllLinesEndCrLf(bytes)) {
        out.assign(bytes);
        return;
    }
    out.clear();
    out.reserve(bytes.size() + bytes.size() / 8 + 2);
    size_t start = 0;
    const size_t n = bytes.size();
    while (start < n) {
        size_t end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        out.append(bytes.data() + start, end - start);
        out += "\r\n";
        if (end < n && bytes[end++] == '\r' && end < n && bytes[end] == '\n')
            ++end;
        start = end;
    }
}

void SplitLines(std::string_view text, std::vector<std::string>& lines) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end++] == '\r' && end < text.size() && text[end] == '\n')
            ++end;
        start = end;
    }
}

// The first set bit of bits in [from, to), or to.
inline size_t FirstBit(const std::vector<uint64_t>& bits, size_t from, size_t to) {
    if (from >= to)
        return to;
    size_t w = from >> 6;
    const size_t last = (to - 1) >> 6;
    uint64_t m = bits[w] & (~uint64_t(0) << (from & 63));
    for (;;) {
        if (m != 0) {
            const size_t at = (w << 6) + static_cast<size_t>(__builtin_ctzll(m));
            return at < to ? at : to;
        }
        if (w == last)
            return to;
        m = bits[++w];
    }
}

bool IsScriptName(const char* p, size_t n) {
    static constexpr char kScript[] = "script";
    if (n != 6)
        return false;
    for (size_t i = 0; i < 6; ++i) {
        char c = p[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kScript[i])
            return false;
    }
    return true;
}

} // namespace

const std::array<std::string_view, 256> EntityNames = MakeEntityNames();

std::string THtmlAttributes::Line(size_t i) const {
    const THtmlAttribute& a = Items[i];
    std::string line;
    line.reserve(a.Name.size() + 1 + a.Value.size());
    line.append(a.Name);
    line += '=';
    line.append(a.Value);
    return line;
}

void DecodeEntities(std::string_view text, std::string& out) {
    out.clear();
    AppendDecoded(text, out);
}

std::string DecodeEntities(std::string_view text) {
    std::string out;
    AppendDecoded(text, out);
    return out;
}

int ReferenceByte(std::string_view name) {
    return ReferenceCode(name);
}

// ---- Content ----

std::vector<std::string> TLegHtmlParser::Content() const {
    std::vector<std::string> lines;
    SplitLines(ContentText(), lines);
    return lines;
}

void TLegHtmlParser::SetContent(const std::vector<std::string>& lines) {
    std::string text;
    size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    ReplaceContent(std::move(text));
}

void TLegHtmlParser::LoadContent(std::string_view bytes) {
    const bool aliased = bytes.data() >= Text.data() && bytes.data() <= Text.data() + Text.size();
    if (!Parsing && !aliased) {
        // The usual case in one pass: the bytes checked, copied and mapped together.
        Text.resize(bytes.size());
        Mapped = ScanText(bytes.data(), bytes.size(), Text.data());
        HasWorking = false;
        if (Mapped)
            return;
    }
    // The text being parsed stays put until the parse returns: the events' views point into it.
    std::string& target = Parsing ? Pending : Text;
    JoinLines(bytes, target);
    if (Parsing) {
        HasPending = true;
        Stopped = true;
    } else {
        HasWorking = false;
        Mapped = false;
    }
}

void TLegHtmlParser::SwapContent(std::string& bytes) {
    if (!Parsing && ScanText(bytes.data(), bytes.size(), nullptr)) {
        Text.swap(bytes);
        HasWorking = false;
        Mapped = true;
        return;
    }
    if (!AllLinesEndCrLf(bytes, true)) {
        if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
            bytes.resize(static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()));
        if (!bytes.empty() && !AllLinesEndCrLf(bytes)) {
            LoadContent(bytes); // the lines must be joined anew: a copy
            return;
        }
    }
    std::string& target = Parsing ? Pending : Text;
    target.swap(bytes);
    if (Parsing) {
        HasPending = true;
        Stopped = true;
    } else {
        HasWorking = false;
        Mapped = false;
    }
}

void TLegHtmlParser::ReplaceContent(std::string&& text) {
    if (Parsing) {
        Pending = std::move(text);
        HasPending = true;
        Stopped = true;
    } else {
        Text = std::move(text);
        HasWorking = false;
        Mapped = false;
    }
}

// ---- Parse ----

void TLegHtmlParser::Parse() {
    if (Parsing)
        return;
    if (!HasWorking && !EndParser)
        HasWorking = true; // the working text is Content's text
    const std::string_view text = WorkingText();
    T = text.data();
    N = text.size();
    Mode = TMode::Normal;
    Parsing = true;
    Stopped = false;
    StepCount = 0;
    ++Serial;
    Raw.reserve(16);
    if (HasWorking && !Mapped) { // the maps are Text's, mapped once for every parse of it
        MapSpecials();
        Mapped = true;
    }
    size_t pos = 0;
    while (pos < N && !Stopped) {
        if (!Attributes.Items.empty())
            Attributes.Items.clear();
        ErrorCode = 0;
        TokenStart = pos;
        ++StepCount;
        pos = ReadToken(pos);
        // Every error is cleared once seen, reported or not, so that it cannot leak into the
        // reading of later tokens.
        if (ErrorCode != 0 && OnError) {
            bool abort = false;
            OnError(*this, ErrorCode, ErrorPosition, abort);
            if (abort)
                break;
        }
    }
    ErrorCode = 0;
    Parsing = false;
    Stopped = false;
    if (HasPending) {
        Text.swap(Pending);
        HasPending = false;
        HasWorking = false;
        Mapped = false;
    }
}

bool TLegHtmlParser::ScanText(const char* bytes, size_t n, char* copy) {
    if (n == 0)
        return true;
    if (n < 2 || bytes[n - 2] != '\r' || bytes[n - 1] != '\n')
        return false;
    const size_t words = (n + 63) / 64;
    LessBits.resize(words);
    AngleBits.resize(words);
    AmpBits.resize(words);
    size_t i = 0;
    size_t w = 0;
    // An LF exactly where the byte before is a CR, and no NUL; the text ends with CR LF, so its
    // last CR has its LF.
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    const __m128i less = _mm_set1_epi8('<');
    const __m128i greater = _mm_set1_epi8('>');
    const __m128i amp = _mm_set1_epi8('&');
    __m128i bad = _mm_setzero_si128();
    for (; i + 64 <= n; i += 64, ++w) {
        uint64_t l = 0;
        uint64_t g = 0;
        uint64_t a = 0;
        for (unsigned k = 0; k < 4; ++k) {
            const size_t at = i + 16 * k;
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
            const __m128i before =
                at == 0 ? _mm_slli_si128(here, 1)
                        : _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at - 1));
            bad = _mm_or_si128(bad,
                               _mm_xor_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(before, cr)));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi8(here, nul));
            if (copy)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + at), here);
            const __m128i isLess = _mm_cmpeq_epi8(here, less);
            const auto shift = 16 * k;
            l |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(isLess))) << shift;
            g |= static_cast<uint64_t>(static_cast<unsigned>(
                     _mm_movemask_epi8(_mm_or_si128(isLess, _mm_cmpeq_epi8(here, greater)))))
                 << shift;
            a |= static_cast<uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, amp))))
                 << shift;
        }
        LessBits[w] = l;
        AngleBits[w] = g;
        AmpBits[w] = a;
    }
    if (_mm_movemask_epi8(bad) != 0)
        return false;
#endif
    for (; i < n; i += 64, ++w) { // the last, partial block; every block without SSE2
        const size_t m = n - i < 64 ? n - i : 64;
        for (size_t j = i; j < i + m; ++j)
            if ((bytes[j] == '\n') != (j > 0 && bytes[j - 1] == '\r') || bytes[j] == '\0')
                return false;
        if (copy)
            std::memcpy(copy + i, bytes + i, m);
        LessBits[w] = MaskTail(bytes + i, m, '<');
        AngleBits[w] = LessBits[w] | MaskTail(bytes + i, m, '>');
        AmpBits[w] = MaskTail(bytes + i, m, '&');
    }
    return true;
}

void TLegHtmlParser::MapSpecials() {
    const size_t words = (N + 63) / 64;
    LessBits.resize(words);
    AngleBits.resize(words);
    AmpBits.resize(words);
    size_t i = 0;
    size_t w = 0;
#if defined(__SSE2__)
    const __m128i less = _mm_set1_epi8('<');
    const __m128i greater = _mm_set1_epi8('>');
    const __m128i amp = _mm_set1_epi8('&');
    for (; i + 64 <= N; i += 64, ++w) {
        uint64_t l = 0;
        uint64_t g = 0;
        uint64_t a = 0;
        for (unsigned k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(T + i + 16 * k));
            const __m128i isLess = _mm_cmpeq_epi8(block, less);
            const auto shift = 16 * k;
            l |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(isLess))) << shift;
            g |= static_cast<uint64_t>(static_cast<unsigned>(
                     _mm_movemask_epi8(_mm_or_si128(isLess, _mm_cmpeq_epi8(block, greater)))))
                 << shift;
            a |= static_cast<uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, amp))))
                 << shift;
        }
        LessBits[w] = l;
        AngleBits[w] = g;
        AmpBits[w] = a;
    }
#endif
    for (; i < N; i += 64, ++w) { // the last, partial block; every block without SSE2
        const size_t n = N - i < 64 ? N - i : 64;
        LessBits[w] = MaskTail(T + i, n, '<');
        AngleBits[w] = LessBits[w] | MaskTail(T + i, n, '>');
        AmpBits[w] = MaskTail(T + i, n, '&');
    }
}

CHITALKA_HOT_INLINE size_t TLegHtmlParser::ReadToken(size_t s) {
    if (Mode == TMode::Script)
        return ReadScript(s);
    if (T[s] != '<')
        return ReadText(s);
    if (N - s >= 4 && T[s + 1] == '!' && T[s + 2] == '-' && T[s + 3] == '-')
        return ReadComment(s);
    if (const size_t next = ReadPlainTag(s))
        return next;
    return ReadMarkup(s);
}

CHITALKA_HOT_INLINE size_t TLegHtmlParser::ReadPlainTag(size_t s) {
    // Most tags are a bare name and a ">": nothing in them to decode or to check, no attribute.
    // Anything else is left to ReadMarkup (0).
    size_t p = s + 1;
    while (p < N && !Is(T[p], kPlainStop))
        ++p;
    if (p == s + 1 || p >= N || T[p] != '>' || T[s + 1] == '!')
        return 0;
    if (IsScriptName(T + s + 1, p - s - 1))
        Mode = TMode::Script;
    if (OnBlock)
        OnBlock(*this, std::string_view(T + s, p - s + 1));
    if (OnTag)
        OnTag(*this, std::string_view(T + s + 1, p - s - 1), Attributes);
    return StepPastClose(p);
}

CHITALKA_HOT_INLINE size_t TLegHtmlParser::ReadText(size_t s) {
    const char* const begin = T + s;
    const size_t first = FirstBit(AngleBits, s, N);
    if (first < N && T[first] == '>') {
        Fail(heGreaterInText, first + 1);
        return FirstBit(LessBits, first, N);
    }
    const size_t next = first;
    const char* end = T + next;
    // One trailing line break belongs to the source's layout, not to the text.
    if (end - begin >= 2 && end[-2] == '\r' && end[-1] == '\n')
        end -= 2;
    else if (end > begin && (end[-1] == '\n' || end[-1] == '\r'))
        --end;
    if (end == begin)
        return next;
    if (OnBlock)
        OnBlock(*this, std::string_view(begin, static_cast<size_t>(end - begin)));
    if (OnText) {
        const char* a = begin;
        while (a < end && static_cast<unsigned char>(*a) <= 32)
            ++a;
        const char* b = end;
        while (b > a && static_cast<unsigned char>(b[-1]) <= 32)
            --b;
        if (a < b && static_cast<size_t>(b - a) >= MinTextLength) {
            std::string_view token(a, static_cast<size_t>(b - a));
            if (Translate && FirstBit(AmpBits, s, next) < next) {
                DecodeEntities(token, Decoded);
                token = Decoded;
            }
            OnText(*this, token);
        }
    }
    return next;
}

size_t TLegHtmlParser::StepPastClose(size_t p) const {
    ++p;
    if (p < N && T[p] == '\r') {
        ++p;
        if (p < N && T[p] == '\n')
            ++p;
    }
    return p;
}

size_t TLegHtmlParser::ReadComment(size_t s) {
    const size_t contentBegin = s + 4;
    size_t p = contentBegin;
    for (;;) {
        const void* dashes = p < N ? memmem(T + p, N - p, "--", 2) : nullptr;
        if (!dashes) {
            Fail(heCommentOpen, N + 1);
            return N;
        }
        const size_t contentEnd = static_cast<size_t>(static_cast<const char*>(dashes) - T);
        p = contentEnd;
        while (p + 1 < N && T[p] == '-') // stops at the last character
            ++p;
        while (p < N && Is(T[p], kSpace))
            ++p;
        if (p >= N) {
            Fail(heMarkupEnded, p + 1);
            return N;
        }
        if (T[p] != '>')
            continue; // "--" inside the comment: search on from here
        if (OnBlock)
            OnBlock(*this, std::string_view(T + s, p - s + 1));
        const std::string_view content(T + contentBegin, contentEnd - contentBegin);
        if (Mode != TMode::Normal) {
            if (OnScript)
                OnScript(*this, content);
        } else if (OnComment) {
            OnComment(*this, content);
        }
        Mode = TMode::Normal;
        return StepPastClose(p);
    }
}

bool TLegHtmlParser::ReadAttributes(size_t& p) {
    const bool keep = TagAttributes && OnTag;
    while (p < N && T[p] != '>') {
        while (p < N && Is(T[p], kSpace))
            ++p;
        if (p >= N)
            return false;
        const size_t name = p;
        while (p < N && !Is(T[p], kAttrStop))
            ++p;
        if (p >= N)
            return false;
        if (p == name)
            return true; // an "=" where a name should be: the attributes end here
        const size_t nameEnd = p;
        while (p < N && Is(T[p], kSpace))
            ++p;
        if (p >= N)
            return false;
        if (T[p] != '=')
            continue; // a name without a value is dropped
        ++p;
        while (p < N && Is(T[p], kSpace))
            ++p;
        if (p >= N)
            return false;
        size_t value = 0;
        size_t valueEnd = 0;
        if (T[p] == '"' || T[p] == '\'') {
            value = p + 1;
            const char* close = FindShort(T + value, T + N, T[p]);
            if (!close)
                return false;
            valueEnd = static_cast<size_t>(close - T);
            p = valueEnd + 1;
        } else {
            value = p;
            while (p < N && !Is(T[p], kNameStop))
                ++p;
            if (p >= N)
                return false;
            valueEnd = p;
        }
        if (keep)
            Raw.push_back({name, nameEnd, value, valueEnd});
    }
    return true;
}

size_t TLegHtmlParser::ReadMarkup(size_t s) {
    size_t p = s + 1;
    while (p < N && Is(T[p], kSpace))
        ++p;
    if (p >= N) {
        Fail(heMarkupEnded, N + 1);
        return N;
    }
    const bool declaration = T[p] == '!';
    size_t name = 0;
    size_t nameEnd = 0;
    Raw.clear();
    if (declaration) {
        name = ++p;
        const char* gt = FindShort(T + p, T + N, '>');
        if (!gt) {
            Fail(heMarkupEnded, N + 1);
            return N;
        }
        p = nameEnd = static_cast<size_t>(gt - T);
    } else {
        name = p;
        while (p < N && !Is(T[p], kNameStop))
            ++p;
        if (p >= N) {
            Fail(heMarkupEnded, N + 1);
            return N;
        }
        nameEnd = p;
        if (nameEnd > name && !ReadAttributes(p)) {
            Fail(heMarkupEnded, N + 1);
            return N;
        }
        if (IsScriptName(T + name, nameEnd - name))
            Mode = TMode::Script;
    }
    if (p >= N) {
        Fail(heMarkupEnded, N + 1);
        return N;
    }
    // The markup runs to the character reached, normally its ">".
    const size_t less = FirstBit(LessBits, s + 1, p + 1);
    if (less <= p) {
        Fail(heLessInTag, less + 1);
        return p;
    }
    const bool ampersand = Translate && FirstBit(AmpBits, s + 1, p + 1) <= p;
    if (OnBlock)
        OnBlock(*this, std::string_view(T + s, p - s + 1));
    if (declaration) {
        if (OnDTDTag) {
            std::string_view text(T + name, nameEnd - name);
            if (ampersand) {
                DecodeEntities(text, Decoded);
                text = Decoded;
            }
            OnDTDTag(*this, text);
        }
    } else if (OnTag) {
        RaiseTag(name, nameEnd, ampersand);
    }
    return StepPastClose(p);
}

void TLegHtmlParser::RaiseTag(size_t name, size_t nameEnd, bool decode) {
    auto& items = Attributes.Items;
    if (Raw.empty() && !decode) {
        OnTag(*this, std::string_view(T + name, nameEnd - name), Attributes);
        return;
    }
    if (!decode) {
        for (const auto& r : Raw)
            items.push_back({std::string_view(T + r.Name, r.NameEnd - r.Name),
                             std::string_view(T + r.Value, r.ValueEnd - r.Value)});
        OnTag(*this, std::string_view(T + name, nameEnd - name), Attributes);
        return;
    }
    // Decoded text is never longer than its source, so with room for the whole markup the buffer
    // never moves while the views into it are taken.
    size_t room = nameEnd - name;
    for (const auto& r : Raw)
        room += (r.NameEnd - r.Name) + (r.ValueEnd - r.Value);
    TagDecoded.clear();
    TagDecoded.reserve(room);
    auto text = [this](size_t b, size_t e) {
        const std::string_view raw(T + b, e - b);
        if (FirstBit(AmpBits, b, e) == e)
            return raw;
        const size_t at = TagDecoded.size();
        AppendDecoded(raw, TagDecoded);
        return std::string_view(TagDecoded.data() + at, TagDecoded.size() - at);
    };
    for (const auto& r : Raw)
        items.push_back({text(r.Name, r.NameEnd), text(r.Value, r.ValueEnd)});
    OnTag(*this, text(name, nameEnd), Attributes);
}

size_t TLegHtmlParser::FindScriptEnd(size_t from) const {
    static constexpr char kEnd[] = "</script>";
    const char* p = T + from;
    const char* const end = T + N;
    while (end - p >= 9) {
        const char* lt = Find(p, end - 8, '<');
        if (!lt)
            return std::string_view::npos;
        size_t i = 1;
        for (; i < 9; ++i) {
            char c = lt[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != kEnd[i])
                break;
        }
        if (i == 9)
            return static_cast<size_t>(lt - T);
        p = lt + 1;
    }
    return std::string_view::npos;
}

size_t TLegHtmlParser::ReadScript(size_t s) {
    size_t p = s;
    while (p < N && Is(T[p], kSpace))
        ++p;
    if (p >= N) {
        Fail(heScriptUnclosed, N + 1);
        return N;
    }
    if (N - p >= 4 && std::memcmp(T + p, "<!--", 4) == 0) {
        Mode = TMode::ScriptComment; // the next token reads the comment
        return p;
    }
    const size_t close = FindScriptEnd(s);
    if (close == std::string_view::npos) {
        Fail(heScriptUnclosed, N + 1);
        return N;
    }
    const std::string_view body(T + s, close - s);
    if (OnBlock)
        OnBlock(*this, body);
    if (OnScript)
        OnScript(*this, body);
    Mode = TMode::Normal;
    return close; // the end tag is read next as the tag "/script"
}
