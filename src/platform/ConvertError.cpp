#include "platform/ConvertError.h"

#include <cstdint>
#include <optional>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<int> ParseInt(const std::string& text) {
    size_t i = 0, end = text.size();
    while (i < end && IsBlank(text[i]))
        ++i;
    while (end > i && IsBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= end)
        return std::nullopt;
    int64_t value = 0;
    if (text[i] == '$' || text[i] == 'x' || text[i] == 'X' ||
        (text[i] == '0' && i + 1 < end && (text[i + 1] == 'x' || text[i + 1] == 'X'))) {
        i += text[i] == '0' ? 2 : 1;
        if (i >= end || end - i > 8)
            return std::nullopt;
        for (; i < end; ++i) {
            const char c = text[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + digit;
        }
        // Hexadecimal texts give the 32-bit pattern as written ($FFFFFFFF is -1).
        const auto bits = static_cast<uint32_t>(value);
        int result = static_cast<int>(bits);
        return negative ? -result : result;
    }
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

int StrToInt(const std::string& text) {
    if (auto value = ParseInt(text))
        return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

int StrToIntDef(const std::string& text, int defaultValue) {
    return ParseInt(text).value_or(defaultValue);
}
