#include "search/SearchMatcher.h"

#include "platform/Codec1251.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The bytes whose lower case is c, c itself first.
void BytesFoldingTo(unsigned char c, unsigned char (&out)[2]) {
    out[0] = out[1] = c;
    for (int b = 0; b < 256; ++b)
        if (cp1251::kLower[b] == c && b != c)
            out[1] = static_cast<unsigned char>(b);
}

} // namespace

void TSearchMatcher::SetSearchText(std::string_view searchText) {
    Find = cp1251::Lower(searchText);
    if (Find.empty())
        return;
    BytesFoldingTo(static_cast<unsigned char>(Find.front()), FirstBytes);
    BytesFoldingTo(static_cast<unsigned char>(Find.back()), LastBytes);
}

void TSearchMatcher::Attach(TLegHtmlParser& parser) {
    parser.OnTag = [this](TLegHtmlParser&, std::string_view tag, const THtmlAttributes&) {
        Tag(tag);
    };
    parser.OnText = [this](TLegHtmlParser& sender, std::string_view token) {
        if (Text(token))
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

bool TSearchMatcher::MatchDocument(TLegHtmlParser& parser, std::string_view document) {
    Attach(parser);
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
