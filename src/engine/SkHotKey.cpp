#include "engine/SkHotKey.h"

#include "archive/Utils.h"
#include "platform/Codec1251.h"

#include <string_view>

namespace {

// Codes 0x08 to 0xFF are tried in order and the first whose name matches wins, so every name
// must be unique. Beyond the keys structure files have always named, the names are:
//   0x0C "Clear" (keypad 5 without Num Lock), 0x13 "Pause", 0x14 "Caps Lock",
//   0x2C "Print Screen", 0x5D "Menu",
//   0x60..0x69 "Num 0".."Num 9", 0x6A "Num Mul", 0x6B "Num +", 0x6D "Num -", 0x6E "Num .",
//   0x6F "Num /", 0x90 "Num Lock", 0x91 "Scroll Lock",
//   0xBA ";", 0xBB "=", 0xBC ",", 0xBD "-", 0xBE ".", 0xBF "/", 0xC0 "`", 0xDB "[", 0xDC "\",
//   0xDD "]", 0xDE "'" (the punctuation keys of the main block by their unshifted US character).
// Keypad "*" is "Num Mul": a description is cut at its first "*", so a name holding one could
// never be written. The modifier keys themselves have no name: a lone "Ctrl" is no key.
struct TNamedKey {
    int Code;
    std::string_view Name;
};

constexpr TNamedKey kNamedKeys[] = {
    {0x08, "BkSp"},
    {0x09, "Tab"},
    {0x0C, "Clear"},
    {0x0D, "Enter"},
    {0x13, "Pause"},
    {0x14, "Caps Lock"},
    {0x1B, "Esc"},
    {0x20, "Space"},
    {0x21, "PgUp"},
    {0x22, "PgDn"},
    {0x23, "End"},
    {0x24, "Home"},
    {0x25, "Left"},
    {0x26, "Up"},
    {0x27, "Right"},
    {0x28, "Down"},
    {0x2C, "Print Screen"},
    {0x2D, "Ins"},
    {0x2E, "Del"},
    {0x5D, "Menu"},
    {0x6A, "Num Mul"},
    {0x6B, "Num +"},
    {0x6D, "Num -"},
    {0x6E, "Num ."},
    {0x6F, "Num /"},
    {0x90, "Num Lock"},
    {0x91, "Scroll Lock"},
    {0xBA, ";"},
    {0xBB, "="},
    {0xBC, ","},
    {0xBD, "-"},
    {0xBE, "."},
    {0xBF, "/"},
    {0xC0, "`"},
    {0xDB, "["},
    {0xDC, "\\"},
    {0xDD, "]"},
    {0xDE, "'"},
};

// Removes prefix from the front of text when it is there, letter case ignored.
bool TakePrefix(std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size() ||
        !cp1251::EqualNoCase(std::string_view(text).substr(0, prefix.size()), prefix))
        return false;
    text.erase(0, prefix.size());
    return true;
}

} // namespace

std::string KeyName(int code) {
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return std::string(1, static_cast<char>(code));
    if (code >= 0x60 && code <= 0x69)
        return "Num " + std::string(1, static_cast<char>('0' + code - 0x60));
    if (code >= 0x70 && code <= 0x87)
        return "F" + std::to_string(code - 0x70 + 1);
    for (const TNamedKey& key : kNamedKeys)
        if (key.Code == code)
            return std::string(key.Name);
    return {};
}

TShortCut TextToShortCut(const std::string& text) {
    std::string rest = text;
    TShortCut modifiers = 0;
    for (;;) {
        if (TakePrefix(rest, "Shift+"))
            modifiers |= kShiftBit;
        else if (TakePrefix(rest, "Ctrl+") || TakePrefix(rest, "^"))
            modifiers |= kCtrlBit;
        else if (TakePrefix(rest, "Alt+"))
            modifiers |= kAltBit;
        else
            break;
    }
    if (rest.empty())
        return 0;
    for (int code = 0x08; code <= 0xFF; ++code) {
        const std::string name = KeyName(code);
        if (!name.empty() && cp1251::EqualNoCase(name, rest))
            return static_cast<TShortCut>(code | modifiers);
    }
    return 0;
}

std::string ShortCutToText(TShortCut shortCut) {
    const std::string name = KeyName(shortCut & kKeyCodeMask);
    if (name.empty())
        return {};
    std::string text;
    if (shortCut & kCtrlBit)
        text += "Ctrl+";
    if (shortCut & kAltBit)
        text += "Alt+";
    if (shortCut & kShiftBit)
        text += "Shift+";
    return text + name;
}

void TSkHotKey::AddKey(const std::string& description, int32_t scope) {
    std::string command = description;
    const std::string keyText = SplitHead(command, "*");
    Entries.push_back({scope, std::move(command), TextToShortCut(keyText)});
}

int32_t TSkHotKey::ScopeOf(int i) const {
    return i >= 0 && i < Count() ? Entries[static_cast<size_t>(i)].Scope : 0;
}

TShortCut TSkHotKey::ShortCutOf(int i) const {
    return i >= 0 && i < Count() ? Entries[static_cast<size_t>(i)].ShortCut : 0;
}

std::string TSkHotKey::CommandOf(int i) const {
    return i >= 0 && i < Count() ? Entries[static_cast<size_t>(i)].Command : std::string();
}

int TSkHotKey::Match(TShortCut shortCut, int32_t currentPage) const {
    if (shortCut == 0)
        return -1;
    for (int i = 0; i < Count(); ++i) {
        const THotKeyEntry& entry = Entries[static_cast<size_t>(i)];
        if (entry.ShortCut == shortCut && (entry.Scope == -1 || entry.Scope == currentPage))
            return i;
    }
    return -1;
}
