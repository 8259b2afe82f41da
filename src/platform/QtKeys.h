#pragma once
// Key presses as hot key shortcuts: the virtual key code in the low byte, 0x2000 Shift, 0x4000
// Ctrl, 0x8000 Alt (Meta is ignored). 0 means the key has no code and matches no hot key.
//
// Letters and digits are named by their unshifted key, so Shift+1 is "Shift+1", not "!", and a
// letter key under a non-Latin layout is the Latin letter of the same key:
// - Qt reports A-Z by the layout's Latin letter (with Ctrl under a Cyrillic layout it already
//   looks up the Latin letter of another layout); those are taken as they are, as the
//   platform's own virtual keys do for Latin layouts.
// - Every other key of the main block is taken by its physical position (US positions) when the
//   event carries a native code we can read: the virtual key itself on Windows, the XKB keycode
//   on X11 and Wayland. That covers shifted digits on any layout, AZERTY's digit row and
//   Cyrillic letters without Ctrl.
// - Without a native code (synthesised events, other platforms) the character decides: digits,
//   US shifted symbols ("!" is 1, "+" is "="), punctuation, and Cyrillic letters by the
//   standard Russian layout. Shifted symbols of other layouts are then unknown (0).

#include <QKeyEvent>

#include <cstdint>

// The virtual key code of a Qt key, 0 when there is none. keypad: the key is on the numeric pad.
// xkbKeycode: the XKB keycode of the physical key, 0 when unknown.
int VirtualKeyOf(int qtKey, bool keypad, quint32 xkbKeycode = 0);

// The shortcut of a key with its modifiers. Qt::KeypadModifier in modifiers counts as keypad.
uint16_t ShortCutOfKey(int qtKey, Qt::KeyboardModifiers modifiers, bool keypad = false,
                       quint32 xkbKeycode = 0);

// The shortcut of a key event, using the event's native codes where the platform gives ones we
// understand.
uint16_t ShortCutOfEvent(const QKeyEvent& event);
