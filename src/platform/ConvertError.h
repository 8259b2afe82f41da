#pragma once
// The conversion error: raised for a malformed integer, colour or anchor field in a structure
// file. It propagates through our code to the nearest entry point from the event loop, which shows
// its text in a message box; it must never reach Qt itself.

#include <stdexcept>
#include <string>

class EConvertError : public std::runtime_error {
public:
    // text: Windows-1251 bytes
    explicit EConvertError(const std::string& text) : std::runtime_error(text) {}
};

// Raised for a file that cannot be read where the caller needs its content.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string& text) : std::runtime_error(text) {}
};

// Strict integer conversion as structure files need it: optional blanks around, an optional sign,
// decimal digits or "$" followed by hexadecimal digits; anything else (or overflow of 32 bits) is a
// conversion error naming the text.
int StrToInt(const std::string& text);
// The same conversion, giving the default instead of an error.
int StrToIntDef(const std::string& text, int defaultValue);
