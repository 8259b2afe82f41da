#pragma once
// The splash window an engine shows while it builds a window: a picture in a frameless window on
// top of the others, centred on the screen, with an optional progress bar over it.

#include <QImage>
#include <QWidget>

#include <string>

class QProgressBar;

class TSplashWindow : public QWidget {
public:
    TSplashWindow();
    // Takes the picture's size and centres itself on the screen.
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return Image; }
    // The progress bar, created on first use (range 0 to 100, at 0).
    QProgressBar* EnsureProgress();
    QProgressBar* Progress() const { return Bar; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage Image;
    QProgressBar* Bar = nullptr;
};

// The splash picture read from disk: a ".jpg" name (letter case ignored) is decoded as JPEG,
// any other as BMP; names are relative to the program folder. A missing file is an EInOutError,
// undecodable data an EPictureError.
QImage LoadSplashPicture(const std::string& name);
