#include "SkinControl/SkLabel.h"

#include "platform/QtText.h"
#include "platform/Skin.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>

TSkLabel::TSkLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    SetThemeObject(this, "default");
    ShowWithParent(this);
}

void TSkLabel::SetFullCaption(const std::string& text) {
    FullCaption = text;
    FitCaption();
}

void TSkLabel::SetCutLength(bool on) {
    CutLength = on;
    FitCaption();
}

void TSkLabel::FitCaption() {
    if (FullCaption.empty() || !CutLength) {
        setText(ToQString(FullCaption));
        return;
    }
    const QFontMetrics metrics(font());
    const int room = contentsRect().width();
    auto fits = [&](const std::string& text) {
        return metrics.horizontalAdvance(ToQString(text)) <= room;
    };
    if (fits(FullCaption)) {
        setText(ToQString(FullCaption));
        return;
    }
    // Whole words come off the end until the rest and "..." fit.
    std::string text = FullCaption;
    bool fitting = false;
    do {
        const auto blank = text.rfind(' ');
        text.resize(blank == std::string::npos ? 0 : blank);
        fitting = fits(text + "...");
    } while (!fitting && !text.empty());
    // When not even "..." fits, the caption shown so far stays.
    if (fitting)
        setText(ToQString(text + "..."));
}

void TSkLabel::SetUrlStyle(bool on) {
    QFont shape = font();
    QPalette colours = palette();
    if (on) {
        shape.setUnderline(true);
        colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
        setCursor(Qt::PointingHandCursor);
    } else {
        shape.setBold(false);
        shape.setItalic(false);
        shape.setUnderline(false);
        shape.setStrikeOut(false);
        colours.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
        unsetCursor();
    }
    setFont(shape);
    setPalette(colours);
}

std::string TSkLabel::ShownCaption() const {
    return FromQString(text());
}

void TSkLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    FitCaption();
}

void TSkLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !Events.OnMouseDown)
        return;
    // A click fires no action; the press may still move the window ("moving").
    event->accept();
    FireEvent(Events.OnMouseDown, event);
}

void TSkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitCaption();
}
