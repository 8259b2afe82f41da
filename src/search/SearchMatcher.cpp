#include "search/SearchMatcher.h"

#include "platform/Codec1251.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The rule's check of a run runs inline in the parser's handler: it is called once per run.
#if defined(__GNUC__)
#define CHITALKA_HOT_INLINE __attribute__((always_inline)) inline
#else
#define CHITALKA_HOT_INLINE inline
#endif

namespace {

// The bytes whose lower case is c, c itself first.
void BytesFoldingTo(unsigned char c, unsigned char (&out)[2]) {
    out[0] = out[1] = c;
    for (int b = 0; b < 256; ++b)
        if (cp1251::kLower[b] == c && b != c)
            out[1] = static_cast<unsigned char>(b);
}

// The first c in [p, end), or null. Runs are short: inline, sixteen bytes at a time.
const char* FindByte(const char* p, const char* end, char c) {
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (const auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, v))))
            return p + __builtin_ctz(m);
    }
#endif
    for (; p < end; ++p)
        if (*p == c)
            return p;
    return nullptr;
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

} // namespace

void TSearchMatcher::SetSearchText(std::string_view searchText) {
    Find = cp1251::Lower(searchText);
    MappedParser = nullptr; // the maps depend on the search text
    Makes.fill(false);
    for (const char c : Find)
        Makes[static_cast<unsigned char>(c)] = true;
    // The first two bytes of every reference that makes one of them: "#" and any byte, for the
    // numbers, and those of the names.
    Leads.fill(0);
    const auto lead = [this](unsigned char a, unsigned char b) {
        const size_t i = a * 256u + b;
        Leads[i >> 6] |= uint64_t(1) << (i & 63);
    };
    for (int b = 0; b < 256; ++b)
        lead('#', static_cast<unsigned char>(b));
    for (size_t code = 0; code < 256; ++code) {
        const std::string_view name = EntityNames[code];
        if (name.size() >= 2 && Makes[cp1251::kLower[code]])
            lead(static_cast<unsigned char>(name[0]), static_cast<unsigned char>(name[1]));
    }
    if (Find.empty())
        return;
    BytesFoldingTo(static_cast<unsigned char>(Find.front()), FirstBytes);
    BytesFoldingTo(static_cast<unsigned char>(Find.back()), LastBytes);
}

void TSearchMatcher::Attach(TLegHtmlParser& parser) {
    parser.Translate = false;
    parser.TagAttributes = false;
    parser.OnTag = [this](TLegHtmlParser&, std::string_view tag, const THtmlAttributes&) {
        RawTag(tag);
    };
    parser.OnText = [this](TLegHtmlParser& sender, std::string_view run) {
        if (MappedText(sender, run))
            sender.StopParse(); // the rest of the document cannot change the answer
    };
}

void TSearchMatcher::Tag(std::string_view tag) {
    if (tag == "title")
        InTitleElement = true;
    else if (tag == "/title")
        InTitleElement = false;
}

bool TSearchMatcher::Text(std::string_view token) {
    if (InTitleElement)
        return false;
    Matched = Contains(token);
    return Matched;
}

CHITALKA_HOT_INLINE void TSearchMatcher::RawTag(std::string_view tag) {
    if (!FindByte(tag.data(), tag.data() + tag.size(), '&')) {
        Tag(tag);
        return;
    }
    DecodeEntities(tag, Decoded);
    Tag(Decoded);
}

bool TSearchMatcher::RawText(std::string_view run) {
    if (InTitleElement || !MayHoldDecoded(run))
        return false;
    if (!FindByte(run.data(), run.data() + run.size(), '&'))
        return Matched = true; // MayHoldDecoded has found it in the run itself
    DecodeEntities(run, Decoded);
    Matched = Contains(Decoded);
    return Matched;
}

bool TSearchMatcher::Equal(const char* at) const {
    const auto* t = reinterpret_cast<const unsigned char*>(at);
    const auto* lower = reinterpret_cast<const unsigned char*>(Find.data());
    for (size_t j = 0; j < Find.size(); ++j)
        if (cp1251::kLower[t[j]] != lower[j])
            return false;
    return true;
}

bool TSearchMatcher::ReferenceMayStart(const char* begin, const char* amp, const char* stop) const {
    const int code = ReferenceByte(std::string_view(amp + 1, static_cast<size_t>(stop - amp - 1)));
    if (code < 0)
        return false;
    const unsigned char made = cp1251::kLower[code];
    if (!Makes[made])
        return false;
    const auto* lower = reinterpret_cast<const unsigned char*>(Find.data());
    const auto before = static_cast<size_t>(amp - begin);
    for (size_t m = 0; m < Find.size() && m <= before; ++m) {
        if (lower[m] != made)
            continue;
        const auto* prefix = reinterpret_cast<const unsigned char*>(amp - m);
        size_t j = 0;
        while (j < m && cp1251::kLower[prefix[j]] == lower[j])
            ++j;
        if (j == m)
            return true;
    }
    return false;
}

bool TSearchMatcher::MayHoldDecoded(std::string_view run) const {
    if (Contains(run))
        return true;
    // An occurrence in the decoded run that no reference's byte is part of lies in the run as
    // written too, and has just been looked for. Any other has a first such byte: the search
    // text's byte m, made by a reference that follows the search text's first m bytes as written.
    // The references are taken as DecodeEntities takes them.
    const char* const begin = run.data();
    const char* const end = begin + run.size();
    const char* p = begin;
    while (const char* amp = FindByte(p, end, '&')) {
        // The first ";" or "&" after it: near for a real reference, so looked for inline first.
        const char* stop = amp + 1;
        const char* const near = end - amp > 12 ? amp + 12 : end;
        while (stop < near && *stop != ';' && *stop != '&')
            ++stop;
        if (stop == near) {
            const char* semi = FindByte(near, end, ';');
            if (!semi)
                return false; // no reference from here on
            const char* next = FindByte(near, semi, '&');
            stop = next ? next : semi;
        }
        if (*stop == '&') {
            p = stop;
            continue;
        }
        if (ReferenceMayStart(begin, amp, stop))
            return true;
        p = stop + 1;
    }
    return false;
}

void TSearchMatcher::MapText(std::string_view text, const std::vector<uint64_t>& amps) {
    const char* const t = text.data();
    const size_t n = text.size();
    const size_t k = Find.size();
    const size_t words = (n + 63) / 64;
    StartBits.assign(words, 0);
    MakingBits.assign(words, 0);
    // A reference is read as the run it stands in reads it: its name ends at the first ";" or
    // "&" after it. A run ends before a "<", and what it loses at its end (bytes up to 32) holds
    // neither, so a "<" first means no reference.
    for (size_t w = 0; w < words && w < amps.size(); ++w) {
        for (uint64_t m = amps[w]; m != 0; m &= m - 1) {
            const size_t at = (w << 6) + static_cast<size_t>(__builtin_ctzll(m));
            if (at + 2 >= n || !MakingLead(t[at + 1], t[at + 2]))
                continue; // no reference that begins so makes a byte of the search text
            size_t stop = at + 1;
            while (stop < n && t[stop] != ';' && t[stop] != '&' && t[stop] != '<')
                ++stop;
            if (stop == n || t[stop] != ';')
                continue;
            const int code = ReferenceByte(std::string_view(t + at + 1, stop - at - 1));
            if (code >= 0 && Makes[cp1251::kLower[code]])
                MakingBits[w] |= uint64_t(1) << (at & 63);
        }
    }
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first0 = _mm_set1_epi8(static_cast<char>(FirstBytes[0]));
    const __m128i first1 = _mm_set1_epi8(static_cast<char>(FirstBytes[1]));
    const __m128i last0 = _mm_set1_epi8(static_cast<char>(LastBytes[0]));
    const __m128i last1 = _mm_set1_epi8(static_cast<char>(LastBytes[1]));
    // Sixty-four places at a time while the search text's last byte at the last of them lies in
    // the text; the places after that are done one by one.
    for (; i + k - 1 + 64 <= n; i += 64) {
        uint64_t word = 0;
        for (unsigned q = 0; q < 4; ++q) {
            const char* const at = t + i + 16 * q;
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k - 1));
            const __m128i firstHit =
                _mm_or_si128(_mm_cmpeq_epi8(a, first0), _mm_cmpeq_epi8(a, first1));
            const __m128i lastHit =
                _mm_or_si128(_mm_cmpeq_epi8(b, last0), _mm_cmpeq_epi8(b, last1));
            word |= static_cast<uint64_t>(
                        static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firstHit, lastHit))))
                    << (16 * q);
        }
        StartBits[i >> 6] = word;
    }
#endif
    const auto fits = [](unsigned char c, const unsigned char(&bytes)[2]) {
        return c == bytes[0] || c == bytes[1];
    };
    for (; i + k <= n; ++i)
        if (fits(static_cast<unsigned char>(t[i]), FirstBytes) &&
            fits(static_cast<unsigned char>(t[i + k - 1]), LastBytes))
            StartBits[i >> 6] |= uint64_t(1) << (i & 63);
}

CHITALKA_HOT_INLINE bool TSearchMatcher::MappedText(const TLegHtmlParser& parser,
                                                    std::string_view run) {
    if (InTitleElement || run.size() < Find.size() || Find.empty())
        return false;
    const std::string_view text = parser.WorkingText();
    if (run.data() < text.data() || run.data() + run.size() > text.data() + text.size())
        return RawText(run); // not a view into the working text
    if (MappedParser != &parser || MappedSerial != parser.ParseSerial() ||
        MappedBegin != text.data() || MappedSize != text.size()) {
        MapText(text, parser.AmpersandMap());
        MappedParser = &parser;
        MappedSerial = parser.ParseSerial();
        MappedBegin = text.data();
        MappedSize = text.size();
    }
    const std::vector<uint64_t>& amps = parser.AmpersandMap();
    const auto from = static_cast<size_t>(run.data() - text.data());
    const size_t to = from + run.size();
    const size_t firstAmp = FirstBit(amps, from, to);
    // As written: the places where an occurrence would lie within the run.
    const size_t starts = to - Find.size() + 1;
    bool may = false;
    for (size_t at = FirstBit(StartBits, from, starts); at < starts;
         at = FirstBit(StartBits, at + 1, starts)) {
        if (Equal(text.data() + at)) {
            if (firstAmp == to)
                return Matched = true;
            may = true; // it may straddle a reference: decided on the decoded run below
            break;
        }
    }
    if (firstAmp == to)
        return false;
    // With references: as MayHoldDecoded, for the references mapped as making a byte of the
    // search text.
    const char* const begin = run.data();
    const char* const end = begin + run.size();
    for (size_t at = FirstBit(MakingBits, from, to); at < to && !may;
         at = FirstBit(MakingBits, at + 1, to)) {
        const char* const amp = text.data() + at;
        const char* const semi = FindByte(amp + 1, end, ';');
        may = semi && ReferenceMayStart(begin, amp, semi);
    }
    if (!may)
        return false;
    DecodeEntities(run, Decoded);
    Matched = Contains(Decoded);
    return Matched;
}

bool TSearchMatcher::MatchDocument(TLegHtmlParser& parser, std::string_view document) {
    Attach(parser);
    parser.MinTextLength = Find.empty() ? SIZE_MAX : Find.size();
    BeginDocument();
    parser.LoadContent(document);
    parser.Parse();
    return Matched;
}

bool TSearchMatcher::MayMatch(std::string_view document) {
    if (Find.empty())
        return false;
    if (Find.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return true;
    // Runs end at "<" and no reference holds one, so each run decodes to a piece of the whole
    // document decoded.
    if (std::memchr(document.data(), '&', document.size())) {
        DecodeEntities(document, Decoded);
        return Contains(Decoded);
    }
    return Contains(document);
}

bool TSearchMatcher::SearchDocument(TLegHtmlParser& parser, std::string& bytes) {
    BeginDocument();
    if (!MayMatch(bytes))
        return false;
    Attach(parser);
    parser.MinTextLength = Find.size();
    parser.SwapContent(bytes);
    parser.Parse();
    return Matched;
}

bool TSearchMatcher::Contains(std::string_view text) const {
    const size_t k = Find.size();
    const size_t n = text.size();
    if (k == 0 || n < k)
        return false;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const auto* lower = reinterpret_cast<const unsigned char*>(Find.data());
    const auto restEqual = [&](const unsigned char* at) {
        for (size_t j = 1; j < k; ++j)
            if (cp1251::kLower[at[j]] != lower[j])
                return false;
        return true;
    };
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen places at a time: those whose first and last bytes fold to the search text's are
    // compared in full. No byte is copied or lower-cased ahead.
    const __m128i first0 = _mm_set1_epi8(static_cast<char>(FirstBytes[0]));
    const __m128i first1 = _mm_set1_epi8(static_cast<char>(FirstBytes[1]));
    const __m128i last0 = _mm_set1_epi8(static_cast<char>(LastBytes[0]));
    const __m128i last1 = _mm_set1_epi8(static_cast<char>(LastBytes[1]));
    for (; i + k - 1 + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + k - 1));
        const __m128i firstHit = _mm_or_si128(_mm_cmpeq_epi8(a, first0), _mm_cmpeq_epi8(a, first1));
        const __m128i lastHit = _mm_or_si128(_mm_cmpeq_epi8(b, last0), _mm_cmpeq_epi8(b, last1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firstHit, lastHit)));
        for (; mask != 0; mask &= mask - 1)
            if (restEqual(t + i + static_cast<size_t>(__builtin_ctz(mask))))
                return true;
    }
#endif
    for (; i + k <= n; ++i)
        if (cp1251::kLower[t[i]] == lower[0] && restEqual(t + i))
            return true;
    return false;
}

TIndexLine SplitIndexLine(std::string_view line) {
    const size_t at = line.find("#;#");
    if (at == std::string_view::npos)
        return {line, {}};
    return {line.substr(0, at), line.substr(at + 3)};
}
