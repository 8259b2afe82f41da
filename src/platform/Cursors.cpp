#include "platform/Cursors.h"

#include "platform/Codec1251.h"
#include "platform/ConvertError.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <iterator>
#include <map>

namespace {

struct TNamedCursor {
    const char* Name;
    int Number;
    Qt::CursorShape Shape;
};

// The standard cursor numbers; "crSize" is the older name of -22.
constexpr TNamedCursor kStandardCursors[] = {
    {"crDefault", 0, Qt::ArrowCursor},        {"crNone", -1, Qt::BlankCursor},
    {"crArrow", -2, Qt::ArrowCursor},         {"crCross", -3, Qt::CrossCursor},
    {"crIBeam", -4, Qt::IBeamCursor},         {"crSize", -22, Qt::SizeAllCursor},
    {"crSizeNESW", -6, Qt::SizeBDiagCursor},  {"crSizeNS", -7, Qt::SizeVerCursor},
    {"crSizeNWSE", -8, Qt::SizeFDiagCursor},  {"crSizeWE", -9, Qt::SizeHorCursor},
    {"crUpArrow", -10, Qt::UpArrowCursor},    {"crHourGlass", -11, Qt::WaitCursor},
    {"crDrag", -12, Qt::DragMoveCursor},      {"crNoDrop", -13, Qt::ForbiddenCursor},
    {"crHSplit", -14, Qt::SplitHCursor},      {"crVSplit", -15, Qt::SplitVCursor},
    {"crMultiDrag", -16, Qt::DragCopyCursor}, {"crSQLWait", -17, Qt::WaitCursor},
    {"crNo", -18, Qt::ForbiddenCursor},       {"crAppStart", -19, Qt::BusyCursor},
    {"crHelp", -20, Qt::WhatsThisCursor},     {"crHandPoint", -21, Qt::PointingHandCursor},
    {"crSizeAll", -22, Qt::SizeAllCursor},
};

constexpr int kSide = 32;

// Black outlines with a white halo, so the cursors read on dark and light pages alike.
void StrokeWithHalo(QPainter& p, const QPainterPath& path, qreal width, const QBrush& fill) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setBrush(fill);
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

enum class TLensMark { None, Plus, Minus };

QCursor Magnifier(TLensMark mark) {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath handle;
    handle.moveTo(18.5, 18.5);
    handle.lineTo(27, 27);
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    p.setPen(QPen(Qt::black, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    QPainterPath lens;
    lens.addEllipse(QPointF(12, 12), 8, 8);
    StrokeWithHalo(p, lens, 2, QColor(255, 255, 255, 210));
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    if (mark != TLensMark::None)
        p.drawLine(QPointF(8, 12), QPointF(16, 12));
    if (mark == TLensMark::Plus)
        p.drawLine(QPointF(12, 8), QPointF(12, 16));
    p.end();
    return QCursor(pixmap, 12, 12);
}

QCursor Hand(bool closed) {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    if (closed) {
        // Curled fingers: four knuckles over the palm, the thumb folded along its side.
        hand.addRoundedRect(QRectF(8.5, 12.5, 15, 13), 4, 4);
        for (int i = 0; i < 4; ++i)
            hand.addRoundedRect(QRectF(8.5 + i * 3.75, 9.5, 3.75, 6), 1.8, 1.8);
        hand.addRoundedRect(QRectF(5.5, 15.5, 5, 7), 2.4, 2.4);
    } else {
        // Spread fingers of different lengths and the thumb to the left.
        const qreal tops[] = {6, 3.5, 4, 7};
        for (int i = 0; i < 4; ++i)
            hand.addRoundedRect(QRectF(9 + i * 3.6, tops[i], 3.4, 16 - tops[i]), 1.7, 1.7);
        hand.addRoundedRect(QRectF(9, 13.5, 14.4, 13), 4, 4);
        QPainterPath thumb;
        thumb.addRoundedRect(QRectF(-2, -1.7, 9, 3.8), 1.9, 1.9);
        QTransform turn;
        turn.translate(7.5, 18.5);
        turn.rotate(-135);
        hand.addPath(turn.map(thumb));
    }
    StrokeWithHalo(p, hand.simplified(), 1.3, Qt::white);
    p.end();
    return QCursor(pixmap, 16, 16);
}

constexpr std::pair<int, const char*> kProgramCursors[] = {
    {crZoomIn, "ZOOM_IN"},         {crZoomOut, "ZOOM_OUT"},       {crZoom, "ZOOM"},
    {crHandOpened, "HAND_OPENED"}, {crHandClosed, "HAND_CLOSED"},
};

std::map<int, QCursor>& Registered() {
    static std::map<int, QCursor> cursors = [] {
        std::map<int, QCursor> own;
        for (const auto& [number, name] : kProgramCursors)
            own[number] = ProgramCursor(name);
        return own;
    }();
    return cursors;
}

} // namespace

QCursor ProgramCursor(const std::string& name) {
    if (name == "ZOOM_IN")
        return Magnifier(TLensMark::Plus);
    if (name == "ZOOM_OUT")
        return Magnifier(TLensMark::Minus);
    if (name == "ZOOM")
        return Magnifier(TLensMark::None);
    if (name == "HAND_OPENED")
        return Hand(false);
    if (name == "HAND_CLOSED")
        return Hand(true);
    return QCursor(Qt::ArrowCursor);
}

void RegisterCursor(int number, const QCursor& cursor) {
    Registered()[number] = cursor;
}

void RegisterProgramCursors() {
    for (const auto& [number, name] : kProgramCursors)
        RegisterCursor(number, ProgramCursor(name));
}

QCursor CursorFromNumber(int number) {
    if (const auto found = Registered().find(number); found != Registered().end())
        return found->second;
    for (const TNamedCursor& standard : kStandardCursors)
        if (standard.Number == number)
            return QCursor(standard.Shape);
    return QCursor(Qt::ArrowCursor);
}

int CursorNumberFromText(const std::string& text) {
    for (const TNamedCursor& standard : kStandardCursors)
        if (cp1251::EqualNoCase(text, standard.Name))
            return standard.Number;
    return StrToInt(text);
}
