#include "platform/Codec1251.h"

#include <array>

namespace cp1251 {

namespace {

// Reverse map for the upper half; the lower half is ASCII.
struct TReverse {
    std::array<std::pair<char16_t, unsigned char>, 128> Pairs{};
    TReverse() {
        for (int b = 128; b < 256; ++b)
            Pairs[b - 128] = {kToUnicode[b], static_cast<unsigned char>(b)};
    }
};

const TReverse& Reverse() {
    static const TReverse reverse;
    return reverse;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns U+FFFD for malformed input.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return code;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string Lower(std::string_view text) {
    std::string out(text);
    LowerInPlace(out);
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperChar(c);
    return out;
}

void LowerInPlace(std::string& text) {
    for (char& c : text)
        c = LowerChar(c);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    return true;
}

int FromUnicode(char32_t code) {
    if (code < 0x80)
        return static_cast<int>(code);
    for (const auto& [unicode, byte] : Reverse().Pairs)
        if (unicode == code)
            return byte;
    return -1;
}

std::string ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes)
        AppendUtf8(out, kToUnicode[static_cast<unsigned char>(c)]);
    return out;
}

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const int byte = FromUnicode(NextCodePoint(utf8, i));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

bool Utf8Representable(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        const char32_t code = NextCodePoint(utf8, i);
        if (code == 0xFFFD || FromUnicode(code) < 0)
            return false;
    }
    return true;
}

} // namespace cp1251
