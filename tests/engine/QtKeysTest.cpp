#include "platform/QtKeys.h"
#include "common/TestSupport.h"
#include "engine/SkHotKey.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

using Qt::AltModifier;
using Qt::ControlModifier;
using Qt::KeypadModifier;
using Qt::MetaModifier;
using Qt::NoModifier;
using Qt::ShiftModifier;

struct TKeyCase {
    int Key;
    Qt::KeyboardModifiers Modifiers;
    std::string KeyText; // what a structure file writes for the key; "" for no key
};

std::string Describe(const TKeyCase& c) {
    return "key 0x" + QString::number(c.Key, 16).toStdString() + " modifiers 0x" +
           QString::number(c.Modifiers.toInt(), 16).toStdString() + " -> \"" + c.KeyText + "\"";
}

// Events as synthesised ones come, without native codes.
TEST(QtKeys, KeyEventsGiveTheShortCutsOfTheirKeyTexts) {
    const TKeyCase cases[] = {
        {Qt::Key_A, NoModifier, "A"},
        {Qt::Key_Z, ShiftModifier, "Shift+Z"},
        {Qt::Key_Q, ControlModifier | AltModifier, "Ctrl+Alt+Q"},
        {Qt::Key_A, MetaModifier, "A"},
        {Qt::Key_1, NoModifier, "1"},
        {Qt::Key_0, ControlModifier, "Ctrl+0"},
        // Shifted digits and symbols are their unshifted key (US positions).
        {Qt::Key_Exclam, ShiftModifier, "Shift+1"},
        {Qt::Key_At, ShiftModifier, "Shift+2"},
        {Qt::Key_ParenRight, ShiftModifier, "Shift+0"},
        {Qt::Key_Asterisk, ShiftModifier, "Shift+8"},
        {Qt::Key_Plus, ShiftModifier, "Shift+="},
        {Qt::Key_Underscore, ShiftModifier | ControlModifier, "Ctrl+Shift+-"},
        {Qt::Key_Question, ShiftModifier, "Shift+/"},
        {Qt::Key_Minus, NoModifier, "-"},
        {Qt::Key_Equal, ControlModifier, "^="},
        {Qt::Key_BracketLeft, NoModifier, "["},
        {Qt::Key_Backslash, NoModifier, "\\"},
        {Qt::Key_Apostrophe, NoModifier, "'"},
        {Qt::Key_QuoteLeft, NoModifier, "`"},
        // Cyrillic letters are the Latin letter of the same key of the Russian layout.
        {0x0419, NoModifier, "Q"},          // Й
        {0x0439, NoModifier, "Q"},          // й
        {0x042F, ShiftModifier, "Shift+Z"}, // Я
        {0x0424, AltModifier, "Alt+A"},     // Ф
        {0x0425, NoModifier, "["},          // Х
        {0x0401, NoModifier, "`"},          // Ё
        // The numeric pad.
        {Qt::Key_0, KeypadModifier, "Num 0"},
        {Qt::Key_7, KeypadModifier | ControlModifier, "Ctrl+Num 7"},
        {Qt::Key_Asterisk, KeypadModifier, "Num Mul"},
        {Qt::Key_Plus, KeypadModifier, "Num +"},
        {Qt::Key_Minus, KeypadModifier, "Num -"},
        {Qt::Key_Period, KeypadModifier, "Num ."},
        {Qt::Key_Comma, KeypadModifier, "Num ."},
        {Qt::Key_Slash, KeypadModifier, "Num /"},
        {Qt::Key_Enter, KeypadModifier, "Enter"},
        {Qt::Key_Home, KeypadModifier, "Home"},
        {Qt::Key_PageDown, KeypadModifier, "PgDn"},
        {Qt::Key_Insert, KeypadModifier, "Ins"},
        {Qt::Key_Clear, KeypadModifier, "Clear"},
        // Named keys.
        {Qt::Key_Backspace, NoModifier, "BkSp"},
        {Qt::Key_Tab, NoModifier, "Tab"},
        {Qt::Key_Backtab, ShiftModifier, "Shift+Tab"},
        {Qt::Key_Backtab, NoModifier, "Shift+Tab"},
        {Qt::Key_Return, NoModifier, "Enter"},
        {Qt::Key_Enter, NoModifier, "Enter"},
        {Qt::Key_Escape, NoModifier, "Esc"},
        {Qt::Key_Space, ControlModifier, "Ctrl+Space"},
        {Qt::Key_PageUp, NoModifier, "PgUp"},
        {Qt::Key_PageDown, NoModifier, "PgDn"},
        {Qt::Key_End, NoModifier, "End"},
        {Qt::Key_Home, NoModifier, "Home"},
        {Qt::Key_Left, ShiftModifier, "Shift+Left"},
        {Qt::Key_Up, NoModifier, "Up"},
        {Qt::Key_Right, NoModifier, "Right"},
        {Qt::Key_Down, NoModifier, "Down"},
        {Qt::Key_Insert, NoModifier, "Ins"},
        {Qt::Key_Delete, ControlModifier | AltModifier, "Ctrl+Alt+Del"},
        {Qt::Key_F1, NoModifier, "F1"},
        {Qt::Key_F12, ShiftModifier, "Shift+F12"},
        {Qt::Key_F24, ControlModifier, "Ctrl+F24"},
        {Qt::Key_Pause, NoModifier, "Pause"},
        // Keys without a code.
        {Qt::Key_unknown, NoModifier, ""},
        {Qt::Key_VolumeUp, NoModifier, ""},
        {Qt::Key_F25, NoModifier, ""},
        {Qt::Key_section, ShiftModifier, ""},
        {Qt::Key_5, KeypadModifier | ShiftModifier, "Shift+Num 5"},
    };
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(Describe(c));
        const TShortCut expected = TextToShortCut(c.KeyText);
        ASSERT_EQ(expected == 0, c.KeyText.empty()) << "bad key text in the table";
        const QKeyEvent event(QEvent::KeyPress, c.Key, c.Modifiers);
        const TShortCut got = ShortCutOfEvent(event);
        EXPECT_EQ(got, expected) << ShortCutToText(got);
        EXPECT_EQ(ShortCutOfKey(c.Key, c.Modifiers & ~KeypadModifier,
                                c.Modifiers.testFlag(KeypadModifier)),
                  expected);
    }
}

TEST(QtKeys, ModifierKeysHaveCodesButNoName) {
    // Qt flips a modifier key's own bit in the event's modifiers; only the code is ours.
    const QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, ControlModifier);
    EXPECT_EQ(ShortCutOfEvent(ctrl) & 0xFF, 0x11);
    EXPECT_EQ(ShortCutOfKey(Qt::Key_Control, ControlModifier), 0x4011);
    EXPECT_EQ(ShortCutOfKey(Qt::Key_Shift, ShiftModifier), 0x2010);
    EXPECT_EQ(ShortCutOfKey(Qt::Key_Alt, AltModifier), 0x8012);
}

struct TKeycodeCase {
    int Key;
    Qt::KeyboardModifiers Modifiers;
    quint32 Keycode;
    std::string KeyText;
};

// XKB keycodes as X11 and Wayland report them: the physical key decides for everything but the
// Latin letters the layout names.
TEST(QtKeys, PhysicalKeyDecidesWhereTheLayoutGivesNoLatinLetter) {
    const TKeycodeCase cases[] = {
        {Qt::Key_Exclam, ShiftModifier, 10, "Shift+1"},
        {Qt::Key_section, ShiftModifier, 12, "Shift+3"}, // German Shift+3
        {Qt::Key_Ampersand, NoModifier, 10, "1"},        // AZERTY digit row
        {Qt::Key_Eacute, ControlModifier, 11, "Ctrl+2"}, //
        {Qt::Key_A, NoModifier, 24, "A"},                // AZERTY names Q's key A
        {0x0419, NoModifier, 24, "Q"},                   // Й
        {0x0406, NoModifier, 39, "S"},                   // Ukrainian І
        {Qt::Key_Period, NoModifier, 61, "/"},           // Russian "." on the slash key
        {Qt::Key_Comma, ShiftModifier, 61, "Shift+/"},   //
        {Qt::Key_Adiaeresis, NoModifier, 48, "'"},       // German Ä
        {Qt::Key_1, KeypadModifier, 87, "Num 1"},        // the pad keeps its own codes
        {Qt::Key_F5, NoModifier, 71, "F5"},              //
        {Qt::Key_Exclam, ShiftModifier, 200, "Shift+1"}, // unknown keycode: the character
    };
    for (const TKeycodeCase& c : cases) {
        SCOPED_TRACE(Describe({c.Key, c.Modifiers, c.KeyText}));
        const TShortCut got = ShortCutOfKey(c.Key, c.Modifiers, false, c.Keycode);
        EXPECT_EQ(got, TextToShortCut(c.KeyText)) << ShortCutToText(got);
    }
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Less, false, 94), 0xE2);
}

TEST(QtKeys, NativeCodesOfOtherPlatformsAreNotReadAsKeycodes) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "needs the offscreen platform";
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_section, ShiftModifier, 12, 0, 0);
    EXPECT_EQ(ShortCutOfEvent(event), 0);
}

TEST(QtKeys, HotKeyTableMatchesKeyEvents) {
    TSkHotKey keys;
    keys.AddKey("^Shift+F5*refresh", -1);
    keys.AddKey("Shift+1*one", -1);
    keys.AddKey("Alt+Num +*zoom", 0);
    const QKeyEvent refresh(QEvent::KeyPress, Qt::Key_F5, ShiftModifier | ControlModifier);
    const QKeyEvent one(QEvent::KeyPress, Qt::Key_Exclam, ShiftModifier);
    const QKeyEvent zoom(QEvent::KeyPress, Qt::Key_Plus, AltModifier | KeypadModifier);
    const QKeyEvent plainPlus(QEvent::KeyPress, Qt::Key_Plus, AltModifier | ShiftModifier);
    EXPECT_EQ(keys.Match(ShortCutOfEvent(refresh), 3), 0);
    EXPECT_EQ(keys.Match(ShortCutOfEvent(one), 3), 1);
    EXPECT_EQ(keys.Match(ShortCutOfEvent(zoom), 0), 2);
    EXPECT_EQ(keys.Match(ShortCutOfEvent(zoom), 1), -1);
    EXPECT_EQ(keys.Match(ShortCutOfEvent(plainPlus), 0), -1);
}

} // namespace
