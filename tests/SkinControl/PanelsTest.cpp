#include "ControlsFixture.h"

#include "SkinControl/SkPanels.h"
#include "archive/Utils.h"
#include "platform/ConvertError.h"
#include "platform/Skin.h"

#include <QImage>
#include <QMouseEvent>
#include <QPoint>
#include <QTest>

#include <memory>
#include <stdexcept>

namespace {

// A container of the given client size, with a frame of 5 pixels around its client area.
std::unique_ptr<QWidget> FramedParent(QWidget* window, int clientWidth, int clientHeight) {
    auto parent = std::make_unique<QWidget>(window);
    MakeContainer(parent.get());
    parent->setContentsMargins(5, 5, 5, 5);
    SetBounds(parent.get(), QRect(0, 0, clientWidth + 10, clientHeight + 10));
    return parent;
}

void Press(QWidget* target, QEvent::Type type, Qt::MouseButton button) {
    QMouseEvent event(type, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST_F(ControlsTest, PercentSizeDividesTheClientSizeFirst) {
    struct TCase {
        int Client;
        const char* Text;
        int Size;
    };
    const TCase cases[] = {
        {799, "50%", 350}, {800, "50%", 400}, {850, "50%", 400}, {99, "50%", 0},
        {400, "25%", 100}, {400, "120", 120}, {400, " 75 ", 75}, {400, "10%px", 40},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const auto parent = FramedParent(Page, c.Client, c.Client);
        auto* panel = new TSkPanel(parent.get());
        panel->SetWidthText(c.Text);
        panel->SetHeightText(c.Text);
        EXPECT_EQ(panel->width(), c.Size);
        EXPECT_EQ(panel->height(), c.Size);
    }
}

TEST_F(ControlsTest, MalformedSizeTextRaisesTheConversionError) {
    TSkPanel panel(Page);
    for (const char* text : {"abc", "x%", "", "%"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(panel.SetWidthText(text), EConvertError);
    }
}

TEST_F(ControlsTest, PercentOfAnEmptyClientLeavesTheSize) {
    QWidget empty(Page);
    MakeContainer(&empty);
    SetBounds(&empty, QRect(0, 0, 0, 0));
    auto* panel = new TSkPanel(&empty);
    SetBounds(panel, QRect(0, 0, 70, 30));
    panel->SetWidthText("50%");
    EXPECT_EQ(panel->PercentWidth, 50);
    EXPECT_EQ(panel->width(), 70);
}

TEST_F(ControlsTest, OnlyParentPanelsFollowTheirPercentageOnRelayout) {
    auto* plain = new TSkPanel(Page);
    auto* parentPanel = new TParentPanel(Page);
    for (TSkPanelBase* panel :
         {static_cast<TSkPanelBase*>(plain), static_cast<TSkPanelBase*>(parentPanel)})
        panel->SetWidthText("25%");
    EXPECT_EQ(plain->width(), 100);
    EXPECT_EQ(parentPanel->width(), 100);

    SetBounds(Page, QRect(0, 0, 800, 300));
    plain->Relayout();
    parentPanel->Relayout();
    EXPECT_EQ(plain->width(), 100);
    EXPECT_EQ(parentPanel->width(), 200);
}

TEST_F(ControlsTest, CentringUsesTheParentsOuterSize) {
    struct TCase {
        int OuterWidth, OuterHeight, Width, Height;
        bool Horz, Vert;
        QPoint Place;
    };
    const TCase cases[] = {
        {801, 300, 300, 100, true, false, QPoint(250, 7)},
        {801, 301, 300, 100, true, true, QPoint(250, 100)},
        {400, 301, 300, 100, false, true, QPoint(9, 100)},
        {200, 200, 300, 300, true, true, QPoint(-50, -50)}, // truncated toward zero
        {200, 200, 301, 301, true, true, QPoint(-50, -50)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.OuterWidth << "x" << c.OuterHeight);
        const auto parent = FramedParent(Page, c.OuterWidth - 10, c.OuterHeight - 10);
        for (int kind = 0; kind < 2; ++kind) {
            std::unique_ptr<TSkPanelBase> panel;
            if (kind == 0)
                panel = std::make_unique<TSkPanel>(parent.get());
            else
                panel = std::make_unique<TParentPanel>(parent.get());
            SetBounds(panel.get(), QRect(9, 7, c.Width, c.Height));
            panel->SetCenterHorz(c.Horz);
            panel->SetCenterVert(c.Vert);
            EXPECT_EQ(panel->pos(), c.Place) << "kind " << kind;
            // Turning centring off leaves the panel where it is.
            panel->SetCenterHorz(false);
            EXPECT_EQ(panel->pos(), c.Place);
        }
    }
}

TEST_F(ControlsTest, RelayoutKeepsCentredPanelsCentred) {
    auto* panel = new TSkPanel(Page);
    SetBounds(panel, QRect(0, 0, 100, 50));
    panel->SetCenterHorz(true);
    EXPECT_EQ(panel->x(), 150);
    SetBounds(Page, QRect(0, 0, 600, 300));
    panel->Relayout();
    EXPECT_EQ(panel->x(), 250);
}

TEST_F(ControlsTest, ToggleVisibleRemembersWhereThePanelWas) {
    auto* panel = new TSkPanel(Page);
    SetBounds(panel, QRect(30, 40, 100, 50));
    panel->ToggleVisible();
    EXPECT_FALSE(IsShown(panel));
    EXPECT_EQ(panel->SavedLeft, 30);
    EXPECT_EQ(panel->SavedTop, 40);
    SetBounds(panel, QRect(70, 80, 100, 50)); // moved while hidden
    panel->ToggleVisible();
    EXPECT_TRUE(IsShown(panel));
    EXPECT_EQ(panel->geometry(), QRect(30, 40, 100, 50));
}

TEST_F(ControlsTest, PanelCreatedHiddenAppearsAtTheCorner) {
    auto* panel = new TParentPanel(Page);
    SetBounds(panel, QRect(30, 40, 100, 50));
    SetShown(panel, false); // the "visible" key
    panel->ToggleVisible();
    EXPECT_TRUE(IsShown(panel));
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 100, 50));
}

TEST_F(ControlsTest, ControlsMadeInsideAShownWindowAreShown) {
    auto* panel = new TSkPanel(Page);
    EXPECT_TRUE(IsShown(panel));
    EXPECT_TRUE(panel->isVisible());
    panel->ToggleVisible();
    EXPECT_FALSE(IsShown(panel));
}

TEST_F(ControlsTest, PanelsConstructedAsTheirKindsStart) {
    TSkPanel plain(Page);
    TParentPanel parentPanel(Page);
    for (TSkPanelBase* panel :
         {static_cast<TSkPanelBase*>(&plain), static_cast<TSkPanelBase*>(&parentPanel)}) {
        EXPECT_TRUE(IsContainer(panel));
        EXPECT_TRUE(panel->testAttribute(Qt::WA_StyledBackground));
        EXPECT_EQ(panel->PercentWidth, 0);
        EXPECT_EQ(panel->PercentHeight, 0);
        EXPECT_FALSE(panel->CenterHorz);
        EXPECT_FALSE(panel->CenterVert);
        EXPECT_EQ(ClientRect(panel), panel->rect());
    }
    EXPECT_EQ(parentPanel.size(), QSize(100, 50));
    EXPECT_EQ(ThemeObject(&plain), "default");
}

TEST_F(ControlsTest, PanelMouseEventsReachTheirHooks) {
    auto* panel = new TSkPanel(Page);
    SetBounds(panel, QRect(0, 0, 50, 50));
    int doubleClicks = 0, presses = 0;
    panel->Events.OnDblClick = [&] { ++doubleClicks; };
    panel->Events.OnMouseDown = [&](QMouseEvent* event) {
        EXPECT_EQ(event->button(), Qt::LeftButton);
        ++presses;
    };
    Press(panel, QEvent::MouseButtonPress, Qt::LeftButton);
    Press(panel, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(presses, 1);
    Press(panel, QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ControlsTest, PressOnAChildPanelReachesOneHook) {
    auto* outer = new TSkPanel(Page);
    SetBounds(outer, QRect(0, 0, 100, 100));
    auto* inner = new TSkPanel(outer);
    SetBounds(inner, QRect(0, 0, 50, 50));
    int outerPresses = 0, innerPresses = 0;
    outer->Events.OnMouseDown = [&](QMouseEvent*) { ++outerPresses; };
    inner->Events.OnMouseDown = [&](QMouseEvent*) { ++innerPresses; };
    QTest::mousePress(inner, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(inner, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(innerPresses, 1);
    EXPECT_EQ(outerPresses, 0);
    // A panel without a hook leaves the press to the one it lies on.
    inner->Events.OnMouseDown = nullptr;
    QTest::mousePress(inner, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(inner, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(outerPresses, 1);
}

TEST_F(ControlsTest, AnExceptionInAHookBecomesAMessage) {
    auto* panel = new TSkPanel(Page);
    panel->Events.OnDblClick = [] { throw EConvertError("bad value"); };
    Press(panel, QEvent::MouseButtonDblClick, Qt::LeftButton);
    ASSERT_EQ(Recorded.Messages().size(), 1u);
    EXPECT_EQ(Recorded.Messages()[0], "bad value");
}

TEST_F(ControlsTest, ParentPanelColourIsPaintedAtOnce) {
    auto* panel = new TParentPanel(Page);
    panel->SetColor(RGBColor(0x12, 0x34, 0x56));
    const QImage picture = panel->grab().toImage();
    EXPECT_EQ(picture.pixelColor(10, 10), QColor(0x12, 0x34, 0x56));
}
