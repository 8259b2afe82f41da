#pragma once
// Small stateless services around the engine: the message window that is itself a structure file,
// wrapping generated text into an HTML page, the busy cursor, the command-template insertion that
// turns a control's value into a command, and the parsers of the layout values "anchor", "align"
// and "text_align".

#include "archive/Utils.h"
#include "platform/Controls.h"

#include <Qt>

#include <string>

class QWidget;

// Shows the text modally: in the window of "struct_message.txt" (its label "label_messge") when
// the disc has that file, otherwise in a plain message box with the given font (or none).
void ShowMessageWindow(const std::string& text, const TFontSpec* font = nullptr);

// Puts "<html>", "<head></head>" and "<body " + attributes + ">" in front of the list.
void WrapHtmlHead(TStrings& lines, const std::string& attributes);
// Appends "</body>" and "</html>".
void WrapHtmlTail(TStrings& lines);

// On: the hourglass cursor over the whole application. Off: pending events are processed, then
// the normal cursor comes back.
void BusyCursor(bool on);

// Every "insert" (exact letter case) in the template replaced by the value. When nothing was
// replaced and append is on, "*" (unless the template ends with one) and the value are appended.
// An empty template gives an empty text.
std::string InsertValue(const std::string& commandTemplate, const std::string& value, bool append);

// A name inside the program folder made relative to it; any other name unchanged.
std::string StripProgramDir(const std::string& name);

// "left top right bottom", single blanks between, each an integer distance to that side of the
// parent's client area or "*" (free). Sets the control's bounds and adds the anchors of the given
// sides; a panel free in both directions of an axis stays centred on it. A field that is neither
// "*" nor an integer, or fewer than four fields, raises EConvertError.
void ParseAnchor(QWidget* control, const std::string& value);

// "none", "top", "bottom", "left", "right", "client", "custom" in any letter case; anything else
// is none.
TAlign ParseAlign(const std::string& text);

// "left" and "right" in any letter case give that horizontal alignment, anything else centred.
// Only the horizontal flag is set; the caller adds a vertical one where its control needs it.
Qt::Alignment ParseTextAlign(const std::string& text);

// The n-th "*"-separated field (from 1); empty for n = 0 or past the last field.
std::string FieldOf(const std::string& text, int n);
