#pragma once
// Mouse cursors by number, as structure files and controls name them: the standard numbers
// (0 default, -1 none, -2 arrow ... -22 size all) and the program's own cursors, which are drawn
// here and registered under fixed numbers. They are there from the first use on, so a control
// never shows the arrow for them, whoever asks first.

#include <QCursor>

#include <string>

// The numbers the program's own cursors are registered under.
constexpr int crZoom = 140;
constexpr int crZoomIn = 141;
constexpr int crZoomOut = 142;
constexpr int crHandOpened = 143;
constexpr int crHandClosed = 144;

// One of the program's own cursors by its name: "ZOOM_IN", "ZOOM_OUT", "ZOOM", "HAND_OPENED",
// "HAND_CLOSED" (exact spelling). Any other name gives the arrow.
QCursor ProgramCursor(const std::string& name);

// Makes a cursor available under a number (replacing what the number had).
void RegisterCursor(int number, const QCursor& cursor);
// Registers the five program cursors again, in this order: 141 "ZOOM_IN", 142 "ZOOM_OUT",
// 140 "ZOOM", 143 "HAND_OPENED", 144 "HAND_CLOSED" (undoing RegisterCursor on those numbers).
void RegisterProgramCursors();

// The cursor of a number: a registered one, else a standard one; any other number gives the
// arrow.
QCursor CursorFromNumber(int number);
// A cursor name ("crHandPoint", letter case ignored) or an integer (decimal, or "$" and
// hexadecimal digits); EConvertError for a text that is neither.
int CursorNumberFromText(const std::string& text);
