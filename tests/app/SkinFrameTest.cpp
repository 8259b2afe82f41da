#include "FormTestSupport.h"
#include "common/TestSupport.h"

#include "platform/SkinFrame.h"
#include "platform/TitleBar.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <memory>

namespace {

// A bare window with a frame, as any top-level widget may have one.
struct TFramed {
    TFramed() : Window(std::make_unique<QWidget>()), Frame(new TSkinFrame(Window.get())) {
        Window->setGeometry(100, 100, 400, 300);
    }
    std::unique_ptr<QWidget> Window;
    TSkinFrame* Frame; // owned by the window
};

QWidget* GripAt(QWidget* window, QPoint at) {
    QWidget* child = window->childAt(at);
    return child && child->objectName() == QLatin1String("SkinGrip") ? child : nullptr;
}

} // namespace

using SkinFrameTest = FormTest;

TEST_F(SkinFrameTest, PaintingIsSuspendedUntilTheLastResume) {
    TFramed f;
    f.Frame->SuspendPaint();
    f.Frame->SuspendPaint();
    EXPECT_FALSE(f.Window->updatesEnabled());
    f.Frame->ResumePaint();
    EXPECT_FALSE(f.Window->updatesEnabled());
    EXPECT_TRUE(f.Frame->PaintSuspended());
    f.Frame->ResumePaint();
    EXPECT_TRUE(f.Window->updatesEnabled());
    // One resume too many does not count ahead.
    f.Frame->ResumePaint();
    f.Frame->SuspendPaint();
    EXPECT_FALSE(f.Window->updatesEnabled());
}

TEST_F(SkinFrameTest, TheClientRectangleLeavesRoomForBorderAndCaption) {
    TFramed f;
    TTitleBar* bar = f.Frame->TitleBar();
    bar->SetBorderWidth(5);
    bar->SetCaptionHeight(30);
    EXPECT_EQ(f.Frame->ClientRect(), QRect(5, 35, 390, 260));
    EXPECT_EQ(bar->geometry(), QRect(5, 5, 390, 30));
    f.Frame->SetCaptionVisible(false);
    EXPECT_EQ(f.Frame->CaptionHeight(), 0);
    EXPECT_EQ(f.Frame->BorderWidth(), 0);
    EXPECT_EQ(f.Frame->ClientRect(), QRect(0, 0, 400, 300));
    EXPECT_TRUE(bar->isHidden());
}

TEST_F(SkinFrameTest, TheSkinSetsTheFramesSizesThroughItsStyleSheet) {
    TFramed f;
    int changes = 0;
    f.Frame->OnFrameChanged = [&] { ++changes; };
    f.Window->setStyleSheet(
        QStringLiteral("#SkinTitleBar { qproperty-captionHeight: 34; qproperty-borderWidth: 6; }"));
    f.Window->show();
    EXPECT_EQ(f.Frame->CaptionHeight(), 34);
    EXPECT_EQ(f.Frame->BorderWidth(), 6);
    EXPECT_EQ(f.Frame->ClientRect(), QRect(6, 40, 388, 254));
    EXPECT_GE(changes, 1);
}

TEST_F(SkinFrameTest, TheBorderResizesOnlyASizeableNormalWindow) {
    TFramed f;
    int starts = 0;
    f.Frame->OnResizeStart = [&] { ++starts; };
    f.Window->show();
    const QPoint rightEdge(399, 150);
    QWidget* grip = GripAt(f.Window.get(), rightEdge);
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->cursor().shape(), Qt::SizeHorCursor);
    const QPoint inGrip = grip->mapFrom(f.Window.get(), rightEdge);
    QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, inGrip);
    QTest::mouseMove(grip, inGrip + QPoint(30, 0));
    QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, inGrip + QPoint(30, 0));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(f.Window->size(), QSize(430, 300));

    const QPoint corner(0, 0);
    ASSERT_NE(GripAt(f.Window.get(), corner), nullptr);
    EXPECT_EQ(GripAt(f.Window.get(), corner)->cursor().shape(), Qt::SizeFDiagCursor);

    f.Frame->SetSizeable(false);
    EXPECT_EQ(GripAt(f.Window.get(), QPoint(429, 150)), nullptr);
    f.Frame->SetSizeable(true);
    f.Frame->SetWindowState(TWindowState::Maximized);
    EXPECT_EQ(GripAt(f.Window.get(), QPoint(f.Window->width() - 1, 150)), nullptr);
}

TEST_F(SkinFrameTest, TheTitleBarDragsTheWindowButNotWhenMaximized) {
    TFramed f;
    f.Window->show();
    TTitleBar* bar = f.Frame->TitleBar();
    const QPoint start = f.Window->pos();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(80, 10));
    QTest::mouseMove(bar, QPoint(90, 10)); // far enough to be a drag
    QTest::mouseMove(bar, QPoint(120, 30));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(120, 30));
    EXPECT_EQ(f.Window->pos(), start + QPoint(40, 20));
    // A drag from the title bar is no "moving" request.
    EXPECT_EQ(f.Frame->MovesStarted(), 0);

    f.Frame->SetWindowState(TWindowState::Maximized);
    const QPoint maximized = f.Window->pos();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(80, 10));
    QTest::mouseMove(bar, QPoint(90, 10));
    QTest::mouseMove(bar, QPoint(120, 30));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(120, 30));
    EXPECT_EQ(f.Window->pos(), maximized);
    f.Frame->StartMove();
    EXPECT_EQ(f.Frame->MovesStarted(), 0);
}

TEST_F(SkinFrameTest, TheSystemMenuOffersTheFramesItemsAndTheLinkedOnes) {
    TFramed f;
    QMenu linked;
    int triggered = 0;
    linked.addAction(QStringLiteral("About"), [&] { ++triggered; });
    f.Frame->SetSystemMenu(&linked);
    int closes = 0;
    f.Frame->OnClose = [&] { ++closes; };
    TBorderIcons icons;
    icons.Minimize = false;
    f.Frame->SetBorderIcons(icons);
    f.Window->show();

    QStringList texts;
    QPoint shownAt;
    SetMenuRunner([&](QMenu* menu, const QPoint& at) {
        shownAt = at;
        texts.clear();
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromUtf8("Закрыть") ||
                action->text() == QStringLiteral("About"))
                action->trigger();
    });
    // By the caption's context menu ...
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(60, 8),
                            f.Frame->TitleBar()->mapToGlobal(QPoint(60, 8)));
    QCoreApplication::sendEvent(f.Frame->TitleBar(), &event);
    EXPECT_EQ(texts,
              (QStringList{QString::fromUtf8("Восстановить"), QString::fromUtf8("Развернуть"),
                           QStringLiteral("About"), QString::fromUtf8("Закрыть")}));
    EXPECT_EQ(shownAt, f.Frame->TitleBar()->mapToGlobal(QPoint(60, 8)));
    EXPECT_EQ(triggered, 1);
    EXPECT_EQ(closes, 1);
    // ... and by the system menu icon.
    f.Frame->TitleBar()->Button(TTitleBar::TButton::System)->click();
    EXPECT_EQ(triggered, 2);
    EXPECT_EQ(closes, 2);
}

TEST_F(SkinFrameTest, TheShowAnimationEndsWhereTheWindowBelongs) {
    struct TCase {
        const char* Effect;
        int Time;
        bool Animates;
        bool Moves; // starts away from its place
    };
    const TCase cases[] = {
        {"", 500, false, false},
        {"fade", 500, true, false},
        {"slide_down", 500, true, true},
        {"Slide_Left", 500, true, true},
        {"no_such_effect", 500, true, false}, // falls back to fading in
        {"fade", 0, false, false},
    };
    for (const TCase& c : cases) {
        TFramed f;
        f.Window->show();
        const QPoint place = f.Window->pos();
        f.Frame->SetShowAnimation(QString::fromLatin1(c.Effect), c.Time);
        f.Frame->PlayShowAnimation();
        EXPECT_EQ(f.Frame->Animating(), c.Animates) << c.Effect;
        EXPECT_EQ(f.Window->pos() != place, c.Moves) << c.Effect;
        f.Frame->StopShowAnimation();
        EXPECT_FALSE(f.Frame->Animating());
        EXPECT_EQ(f.Window->pos(), place) << c.Effect;
        EXPECT_EQ(f.Window->windowOpacity(), 1.0) << c.Effect;
    }
}

TEST_F(SkinFrameTest, AStateChangeByTheWindowSystemStillReportsTheStateLeft) {
    TFramed f;
    f.Window->show();
    std::vector<TWindowState> seen;
    f.Frame->OnMaximize = [&](TWindowState current) { seen.push_back(current); };
    f.Window->setWindowState(Qt::WindowMaximized);
    f.Window->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(seen, (std::vector<TWindowState>{TWindowState::Normal, TWindowState::Maximized}));
    EXPECT_FALSE(f.Frame->TitleBar()->Maximized());
}
