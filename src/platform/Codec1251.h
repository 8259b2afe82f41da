#pragma once
// Windows-1251 text: the code page every text of a disc is written in. Text inside the system is
// std::string holding these bytes; conversion to Unicode happens only at the widget and file-name
// boundary.

#include <string>
#include <string_view>

namespace cp1251 {

extern const char16_t kToUnicode[256];
extern const unsigned char kLower[256];
extern const unsigned char kUpper[256];

inline char LowerChar(char c) { return static_cast<char>(kLower[static_cast<unsigned char>(c)]); }
inline char UpperChar(char c) { return static_cast<char>(kUpper[static_cast<unsigned char>(c)]); }

// The code page's lower- and upper-casing, Cyrillic letters (Ё and ё too) included.
std::string Lower(std::string_view text);
std::string Upper(std::string_view text);
void LowerInPlace(std::string& text);
bool EqualNoCase(std::string_view a, std::string_view b);

// The byte for a Unicode character, or -1 when the code page has none.
int FromUnicode(char32_t code);

// UTF-8 <-> Windows-1251. Characters the code page lacks become '?'; malformed UTF-8 bytes too.
std::string ToUtf8(std::string_view bytes);
std::string FromUtf8(std::string_view utf8);
// True when every character of the UTF-8 text has a Windows-1251 byte.
bool Utf8Representable(std::string_view utf8);

} // namespace cp1251
