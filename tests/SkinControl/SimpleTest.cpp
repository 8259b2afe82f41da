#include "ControlsFixture.h"

#include "SkinControl/SkPanels.h"
#include "SkinControl/SkSimple.h"
#include "archive/Utils.h"
#include "platform/Skin.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

namespace {

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& global) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, target->mapFromGlobal(QPointF(global)), QPointF(global), Qt::LeftButton,
                      held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Drags a splitter by an offset, in two steps as a hand would.
void Drag(QWidget* splitter, const QPoint& offset) {
    const QPoint start = splitter->mapToGlobal(QPoint(1, 1));
    SendMouse(splitter, QEvent::MouseButtonPress, start);
    SendMouse(splitter, QEvent::MouseMove, start + offset / 2);
    SendMouse(splitter, QEvent::MouseMove, start + offset);
    SendMouse(splitter, QEvent::MouseButtonRelease, start + offset);
}

} // namespace

TEST_F(ControlsTest, SplitterResizesTheNeighbourDockedBeforeIt) {
    struct TCase {
        const char* Name;
        TAlign Align;
        QPoint Offset;
        int Size; // the neighbour's width or height after the drag
    };
    const TCase cases[] = {
        {"left, wider", TAlign::Left, QPoint(30, 0), 130},
        {"left, narrower", TAlign::Left, QPoint(-40, 5), 60},
        {"left, past the edge", TAlign::Left, QPoint(-300, 0), 0},
        {"left, past the far side", TAlign::Left, QPoint(600, 0), 395},
        {"right, wider", TAlign::Right, QPoint(-30, 0), 130},
        {"right, narrower", TAlign::Right, QPoint(30, 0), 70},
        {"top, taller", TAlign::Top, QPoint(0, 25), 125},
        {"bottom, taller", TAlign::Bottom, QPoint(0, -25), 125},
        {"bottom, lower", TAlign::Bottom, QPoint(0, 50), 50},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QWidget parent(Page);
        MakeContainer(&parent);
        SetBounds(&parent, QRect(0, 0, 400, 300));
        parent.show();
        const bool across = c.Align == TAlign::Left || c.Align == TAlign::Right;
        auto* neighbour = new TSkPanel(&parent);
        SetBounds(neighbour, QRect(0, 0, 100, 100));
        SetAlign(neighbour, c.Align);
        auto* splitter = new TSkSplitter(&parent);
        // Placed beyond the neighbour, as structure files list them.
        SetBounds(splitter, c.Align == TAlign::Right || c.Align == TAlign::Bottom
                                ? QRect(0, 0, 5, 5)
                                : QRect(200, 200, 5, 5));
        SetAlign(splitter, c.Align);
        auto* client = new TSkPanel(&parent);
        SetAlign(client, TAlign::Client);
        EXPECT_EQ(splitter->cursor().shape(), across ? Qt::SplitHCursor : Qt::SplitVCursor);

        Drag(splitter, c.Offset);
        EXPECT_EQ(across ? neighbour->width() : neighbour->height(), c.Size);
        // The rest of the parent follows at once.
        const int rest = (across ? 400 : 300) - c.Size - 5;
        EXPECT_EQ(across ? client->width() : client->height(), rest);
    }
}

TEST_F(ControlsTest, SplitterDragsOnlyTheControlThatTouchesIt) {
    auto* first = new TSkPanel(Page);
    SetBounds(first, QRect(0, 0, 50, 10));
    SetAlign(first, TAlign::Left);
    auto* second = new TSkPanel(Page);
    SetBounds(second, QRect(60, 0, 80, 10));
    SetAlign(second, TAlign::Left);
    auto* splitter = new TSkSplitter(Page);
    SetBounds(splitter, QRect(200, 0, 4, 10));
    SetAlign(splitter, TAlign::Left);
    EXPECT_EQ(splitter->x(), 130);
    Drag(splitter, QPoint(20, 0));
    EXPECT_EQ(first->width(), 50);
    EXPECT_EQ(second->width(), 100);
    EXPECT_EQ(splitter->x(), 150);
}

TEST_F(ControlsTest, SplitterStartsThinAndKeepsAGivenCursor) {
    TSkSplitter splitter(Page);
    EXPECT_EQ(GetAlign(&splitter), TAlign::None);
    EXPECT_EQ(splitter.size(), QSize(3, 100));
    EXPECT_EQ(splitter.cursor().shape(), Qt::SplitHCursor);
    EXPECT_EQ(ThemeObject(&splitter), "default");
    splitter.setCursor(Qt::PointingHandCursor); // the "cursor" key
    SetAlign(&splitter, TAlign::Top);
    EXPECT_EQ(splitter.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ControlsTest, SplitterWithoutNeighbourDragsNothing) {
    auto* splitter = new TSkSplitter(Page);
    SetAlign(splitter, TAlign::Left);
    auto* client = new TSkPanel(Page);
    SetAlign(client, TAlign::Client);
    Drag(splitter, QPoint(50, 0));
    EXPECT_EQ(splitter->geometry(), QRect(0, 0, 3, 300));
    EXPECT_EQ(client->geometry(), QRect(3, 0, 397, 300));
}

TEST_F(ControlsTest, SplitterToggleVisibleAsPanelsDo) {
    auto* splitter = new TSkSplitter(Page);
    SetBounds(splitter, QRect(40, 50, 3, 100));
    splitter->ToggleVisible();
    EXPECT_FALSE(IsShown(splitter));
    splitter->ToggleVisible();
    EXPECT_TRUE(IsShown(splitter));
    EXPECT_EQ(splitter->pos(), QPoint(40, 50));
}

TEST_F(ControlsTest, TrackAndProgressBarsStartEmpty) {
    TSkTrackBar track(Page);
    EXPECT_EQ(track.value(), 0);
    EXPECT_EQ(track.tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(track.orientation(), Qt::Horizontal);
    EXPECT_EQ(ThemeObject(&track), "default");
    TSkProgressBar progress(Page);
    EXPECT_EQ(progress.value(), 0);
    EXPECT_FALSE(progress.isTextVisible());
}

TEST_F(ControlsTest, ScrollBoxContentGrowsToHoldItsChildren) {
    auto* box = new TSkScrollBox(Page);
    SetBounds(box, QRect(0, 0, 200, 150));
    QWidget* content = box->Content();
    EXPECT_TRUE(IsContainer(content));
    EXPECT_EQ(content->size(), box->viewport()->size());

    auto* far = new TSkPanel(content);
    SetBounds(far, QRect(50, 400, 100, 100));
    EXPECT_EQ(content->height(), 500);
    EXPECT_EQ(content->width(), box->viewport()->width());
    SetBounds(far, QRect(300, 10, 100, 100));
    EXPECT_EQ(content->size(), QSize(400, box->viewport()->height()));

    // Controls docked in the content fill it; those on its right edge never widen it.
    auto* top = new TSkPanel(content);
    SetHeight(top, 20);
    SetAlign(top, TAlign::Top);
    EXPECT_EQ(top->width(), 400);
    auto* pinned = new TSkPanel(content);
    SetBounds(pinned, QRect(350, 50, 40, 40));
    SetAnchors(pinned, akRight | akTop);
    SetBounds(far, QRect(300, 10, 150, 100));
    EXPECT_EQ(content->width(), 450);
    EXPECT_EQ(pinned->x(), 400);

    SetShown(far, false);
    EXPECT_EQ(content->width(), box->viewport()->width());
}

TEST_F(ControlsTest, ScrollBoxColourFillsItsContent) {
    auto* box = new TSkScrollBox(Page);
    SetBounds(box, QRect(0, 0, 200, 150));
    box->SetColor(RGBColor(0x20, 0x40, 0x60));
    const QImage picture = box->Content()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(5, 5), QColor(0x20, 0x40, 0x60));
}
