#include "engine/Splash.h"

#include "archive/BmpCodec.h"
#include "archive/JpegCodec.h"
#include "archive/Utils.h"
#include "platform/Codec1251.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

TSplashWindow::TSplashWindow()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void TSplashWindow::SetPicture(const QImage& picture) {
    Image = picture;
    QRect area(0, 0, Image.width(), Image.height());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        area.moveCenter(screen->geometry().center());
    setGeometry(area);
    update();
}

QProgressBar* TSplashWindow::EnsureProgress() {
    if (!Bar) {
        Bar = new QProgressBar(this);
        Bar->setRange(0, 100);
        Bar->setValue(0);
        Bar->setTextVisible(false); // a smooth bar, no percentage text
        Bar->setGeometry(0, 0, 150, 16);
        Bar->show();
    }
    return Bar;
}

void TSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Image);
}

QImage LoadSplashPicture(const std::string& name) {
    const bool jpeg = cp1251::Lower(name.size() >= 4 ? name.substr(name.size() - 4) : "") == ".jpg";
    // The reader runs in its program folder, so a relative name there is one in that folder.
    const std::string path =
        jpeg ? (IsAbsolutePath(name) ? name : ProgramDir() + name) : ProgramPath(name);
    std::string bytes;
    if (!ReadHostFile(path, bytes))
        throw EInOutError(cp1251::FromUtf8("ShowSplash. Не найден файл ") + name);
    const TBitmap bitmap = jpeg ? DecodeJpeg(bytes) : DecodeBmp(bytes);
    const QImage view(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(),
                      bitmap.Height(), bitmap.BytesPerLine(), QImage::Format_ARGB32);
    return view.copy(); // the bitmap's pixels go with it
}
