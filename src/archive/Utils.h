#pragma once
// Shared free functions: where the program lives and how relative names become file names, the
// small text conversions that structure-file values need, and a few system services. They keep
// no state. All text is Windows-1251; "\" and "/" are both folder separators in names.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

using TStrings = std::vector<std::string>;

// A colour as structure files and the original platform write it: red in the lowest byte,
// then green, then blue.
using TColor = int32_t;
constexpr TColor RGBColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr int RedOf(TColor c) { return c & 0xFF; }
constexpr int GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(TColor c) { return (c >> 16) & 0xFF; }

// Our own small font description; the widget layer turns it into a QFont.
struct TFontSpec {
    std::string Name = "DejaVu Sans";
    int Size = 9; // points
    TColor Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TFontSpec&) const = default;
};

// Paths
std::string ProgramDir();  // the program folder, with a trailing separator
std::string WindowsDir();  // the folder that stands for the Windows folder, trailing separator
std::string ProgramPath(const std::string& name);
std::string ExpandPath(const std::string& name, const std::string& baseFolder);
std::string WithBackslash(const std::string& folder);
std::string WithoutBackslash(const std::string& folder);

// Text
std::string SplitHead(std::string& text, std::string_view separator);
std::string SplitTail(std::string& text, std::string_view separator);
std::string TextBefore(const std::string& text, std::string_view separator);
std::string CutFirst(size_t count, std::string& text);
std::string Abbreviate(const std::string& text, size_t limit);
std::string Trim(std::string_view text); // blanks and control characters at both ends
bool TextToBool(const std::string& text, bool defaultValue);
std::string BoolToText(bool value);
bool IsEven(int64_t value);
TColor ColorFromText(const std::string& text); // EConvertError when malformed
void FontFromText(TFontSpec& font, const std::string& spec);
void NamesOf(const TStrings& list, TStrings& target);
// progress: called after each item examined with the number of the next item, or empty.
int FindInList(const TStrings& list, const std::string& text, int start,
               const std::function<void(int)>& progress, bool prefixOnly);

// System
bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& verb);
// The kind of the drive holding a path (a drive letter on Windows); see TDriveKind.
int DriveKind(const std::string& path);
int ProgramDriveKind();
std::string DefaultPrinter();
bool CheckPrinter(const std::string& message);
void SetWallpaper(const std::string& fileName, bool tile);
