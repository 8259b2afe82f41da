#pragma once
// Hot keys of a window. A hot key description is a key text, "*", and a command string; the key
// text is zero or more modifier prefixes ("Shift+", "Ctrl+" or "^", "Alt+", in any order and
// case, repeatable) followed by one key name. Shortcuts use the virtual-key layout: the key code
// in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt; 0 is "no key" and never fires.

#include <cstdint>
#include <string>
#include <vector>

using TShortCut = uint16_t;

constexpr TShortCut kShiftBit = 0x2000;
constexpr TShortCut kCtrlBit = 0x4000;
constexpr TShortCut kAltBit = 0x8000;
constexpr TShortCut kKeyCodeMask = 0x00FF;

// The name of a virtual key code (the names key texts use), empty for a code without one.
std::string KeyName(int code);
// The shortcut of a key text; 0 when it names no key (nothing after the prefixes, or an unknown
// name).
TShortCut TextToShortCut(const std::string& text);
// The key text of a shortcut, modifiers first ("Ctrl+Alt+Shift+F5"); empty when its key code
// has no name.
std::string ShortCutToText(TShortCut shortCut);

struct THotKeyEntry {
    int32_t Scope = -1; // page of the window the key belongs to; -1 for every page
    std::string Command;
    TShortCut ShortCut = 0;
};

class TSkHotKey {
public:
    // Cuts the description at its first "*" into key text and command string (no "*": the
    // command is empty) and appends the entry. Nothing is validated.
    void AddKey(const std::string& description, int32_t scope);

    int Count() const { return static_cast<int>(Entries.size()); }
    // The fields of entry i; 0, 0 and empty for an index outside the list.
    int32_t ScopeOf(int i) const;
    TShortCut ShortCutOf(int i) const;
    std::string CommandOf(int i) const;

    // The first entry whose shortcut equals the pressed one and whose scope is -1 or the current
    // page; -1 when none does. Shortcut 0 matches nothing.
    int Match(TShortCut shortCut, int32_t currentPage) const;

private:
    std::vector<THotKeyEntry> Entries;
};
