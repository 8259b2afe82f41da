#pragma once
// Skins: a skin file (read through the archive) gives a Qt style sheet and named pictures; docs/
// skins.md describes the format. A theme link loads one skin file and applies it to a window or a
// control. Controls carry a theme object, the name that selects their rules in the style sheet
// (the "theme" dynamic property: *[theme="default"] { ... }).
//
// Pictures are decoded once per process and written as PNG files to a temporary folder of the
// process (removed at exit); "url(picture:NAME)" in the style sheet becomes the file's path. A
// skin file is read and checked once per process: later links to the same name share the result
// (and show no message again).

#include <QPixmap>
#include <QString>

#include <map>
#include <string>

class QWidget;

class TThemeLink {
public:
    // Loads the skin file (an archive name or a disk path) through the archive; a missing file
    // gives the archive's message and an empty skin. A file that is not a skin gives one message
    // and an empty skin; faults in single lines are named in one message and those lines left out.
    explicit TThemeLink(const std::string& path);
    const std::string& Path() const { return FilePath; }
    bool Empty() const { return Sheet.isEmpty(); }
    // The style sheet, with the skin's picture names resolved.
    const QString& StyleSheet() const { return Sheet; }
    // A picture of the skin by its name (letter case ignored); a null pixmap for another name.
    QPixmap Picture(const std::string& name) const;
    // Applies the skin to a window or control and everything inside it.
    void ApplyTo(QWidget* widget) const;

private:
    std::string FilePath;
    QString Sheet;
    std::map<std::string, QPixmap> Pictures; // by lower-cased name
};

void SetThemeObject(QWidget* control, const std::string& themeObject);
std::string ThemeObject(const QWidget* control);

// Forgets the skin files read so far, so the next link reads its file again.
void ClearSkinCache();
