#include "platform/QtKeys.h"

#include <QGuiApplication>

#include <iterator>

namespace {

constexpr uint16_t kShift = 0x2000;
constexpr uint16_t kCtrl = 0x4000;
constexpr uint16_t kAlt = 0x8000;

struct TKeyCode {
    int From;
    int Code;
};

// Keys Qt names itself, wherever they are on the keyboard.
constexpr TKeyCode kSpecialKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},     {Qt::Key_Return, 0x0D},   {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11},  {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},     {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},   {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},     {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},     {Qt::Key_Insert, 0x2D},   {Qt::Key_Delete, 0x2E},
    {Qt::Key_Menu, 0x5D},      {Qt::Key_NumLock, 0x90},  {Qt::Key_ScrollLock, 0x91},
};

// The numeric pad with Num Lock on; with it off the pad sends the navigation keys above.
constexpr TKeyCode kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

// XKB keycodes (evdev codes + 8) of the main block, by US position.
constexpr TKeyCode kXkbKeycodes[] = {
    {10, '1'}, {11, '2'},  {12, '3'},  {13, '4'},  {14, '5'},  {15, '6'},  {16, '7'},  {17, '8'},
    {18, '9'}, {19, '0'},  {20, 0xBD}, {21, 0xBB}, {24, 'Q'},  {25, 'W'},  {26, 'E'},  {27, 'R'},
    {28, 'T'}, {29, 'Y'},  {30, 'U'},  {31, 'I'},  {32, 'O'},  {33, 'P'},  {34, 0xDB}, {35, 0xDD},
    {38, 'A'}, {39, 'S'},  {40, 'D'},  {41, 'F'},  {42, 'G'},  {43, 'H'},  {44, 'J'},  {45, 'K'},
    {46, 'L'}, {47, 0xBA}, {48, 0xDE}, {49, 0xC0}, {51, 0xDC}, {52, 'Z'},  {53, 'X'},  {54, 'C'},
    {55, 'V'}, {56, 'B'},  {57, 'N'},  {58, 'M'},  {59, 0xBC}, {60, 0xBE}, {61, 0xBF}, {94, 0xE2},
};

// Characters of the main block without a native code: punctuation, the US shifted symbols, and
// the letters of the standard Russian layout (Qt reports letters upper-case).
constexpr TKeyCode kCharacters[] = {
    {';', 0xBA},  {'=', 0xBB},  {',', 0xBC}, {'-', 0xBD},  {'.', 0xBE},  {'/', 0xBF},  {'`', 0xC0},
    {'[', 0xDB},  {'\\', 0xDC}, {']', 0xDD}, {'\'', 0xDE}, {'!', '1'},   {'@', '2'},   {'#', '3'},
    {'$', '4'},   {'%', '5'},   {'^', '6'},  {'&', '7'},   {'*', '8'},   {'(', '9'},   {')', '0'},
    {'_', 0xBD},  {'+', 0xBB},  {'{', 0xDB}, {'}', 0xDD},  {'|', 0xDC},  {':', 0xBA},  {'"', 0xDE},
    {'<', 0xBC},  {'>', 0xBE},  {'?', 0xBF}, {'~', 0xC0},  {u'Й', 'Q'},  {u'Ц', 'W'},  {u'У', 'E'},
    {u'К', 'R'},  {u'Е', 'T'},  {u'Н', 'Y'}, {u'Г', 'U'},  {u'Ш', 'I'},  {u'Щ', 'O'},  {u'З', 'P'},
    {u'Х', 0xDB}, {u'Ъ', 0xDD}, {u'Ф', 'A'}, {u'Ы', 'S'},  {u'В', 'D'},  {u'А', 'F'},  {u'П', 'G'},
    {u'Р', 'H'},  {u'О', 'J'},  {u'Л', 'K'}, {u'Д', 'L'},  {u'Ж', 0xBA}, {u'Э', 0xDE}, {u'Я', 'Z'},
    {u'Ч', 'X'},  {u'С', 'C'},  {u'М', 'V'}, {u'И', 'B'},  {u'Т', 'N'},  {u'Ь', 'M'},  {u'Б', 0xBC},
    {u'Ю', 0xBE}, {u'Ё', 0xC0},
};

template <size_t N> int Find(const TKeyCode (&table)[N], int from) {
    for (const TKeyCode& entry : table)
        if (entry.From == from)
            return entry.Code;
    return 0;
}

bool NativeCodesAreXkb() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

} // namespace

int VirtualKeyOf(int qtKey, bool keypad, quint32 xkbKeycode) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 0x60 + (qtKey - Qt::Key_0);
        if (const int code = Find(kKeypadKeys, qtKey))
            return code;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    if (const int code = Find(kSpecialKeys, qtKey))
        return code;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;
    if (xkbKeycode != 0)
        if (const int code = Find(kXkbKeycodes, static_cast<int>(xkbKeycode)))
            return code;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey;
    if (qtKey > 0 && qtKey <= 0xFFFF)
        return Find(kCharacters, static_cast<int>(QChar::toUpper(static_cast<char32_t>(qtKey))));
    return 0;
}

uint16_t ShortCutOfKey(int qtKey, Qt::KeyboardModifiers modifiers, bool keypad,
                       quint32 xkbKeycode) {
    const int code =
        VirtualKeyOf(qtKey, keypad || modifiers.testFlag(Qt::KeypadModifier), xkbKeycode);
    if (code == 0)
        return 0;
    uint16_t shortCut = static_cast<uint16_t>(code);
    // Backtab is Shift+Tab even where the platform leaves Shift out of the modifiers.
    if (modifiers.testFlag(Qt::ShiftModifier) || qtKey == Qt::Key_Backtab)
        shortCut |= kShift;
    if (modifiers.testFlag(Qt::ControlModifier))
        shortCut |= kCtrl;
    if (modifiers.testFlag(Qt::AltModifier))
        shortCut |= kAlt;
    return shortCut;
}

uint16_t ShortCutOfEvent(const QKeyEvent& event) {
#ifdef Q_OS_WIN
    // The platform's own virtual key is exactly what the shortcuts are made of.
    const quint32 virtualKey = event.nativeVirtualKey();
    if (virtualKey > 0 && virtualKey <= 0xFF) {
        uint16_t shortCut = static_cast<uint16_t>(virtualKey);
        const Qt::KeyboardModifiers modifiers = event.modifiers();
        if (modifiers.testFlag(Qt::ShiftModifier))
            shortCut |= kShift;
        if (modifiers.testFlag(Qt::ControlModifier))
            shortCut |= kCtrl;
        if (modifiers.testFlag(Qt::AltModifier))
            shortCut |= kAlt;
        return shortCut;
    }
#endif
    const quint32 keycode = NativeCodesAreXkb() ? event.nativeScanCode() : 0;
    return ShortCutOfKey(event.key(), event.modifiers(), false, keycode);
}
