#include "ControlsFixture.h"

#include "SkinControl/SkButtons.h"
#include "common/TestSupport.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/Skin.h"

#include <QImage>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

// The mean column of the pixels where two pictures of one size differ; -1 when none do.
double InkColumn(const QImage& with, const QImage& without) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                sum += x;
                ++count;
            }
    return count ? sum / count : -1;
}

// Restores the reader's own menu runner after a test.
struct TMenuRunnerGuard {
    explicit TMenuRunnerGuard(TMenuRunner runner) { SetMenuRunner(std::move(runner)); }
    ~TMenuRunnerGuard() { SetMenuRunner(nullptr); }
};

} // namespace

TEST_F(ControlsTest, ButtonsStartAsTheirClassesSay) {
    TSkButton button(Page);
    TSkSpeedButton speed(Page);
    EXPECT_EQ(button.focusPolicy(), Qt::StrongFocus); // a tab stop
    EXPECT_EQ(speed.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(button.Transparent());
    EXPECT_TRUE(speed.Transparent());
    EXPECT_FALSE(button.autoFillBackground());
    EXPECT_EQ(button.TextAlign(), Qt::AlignHCenter);
    EXPECT_FALSE(button.WordWrap());
    EXPECT_EQ(ThemeObject(&button), "default");
    EXPECT_EQ(ThemeObject(&speed), "default");
    EXPECT_FALSE(speed.IsDown());
    EXPECT_FALSE(speed.DownState);
    button.SetTransparent(false);
    EXPECT_TRUE(button.autoFillBackground());
}

TEST_F(ControlsTest, ButtonCaptionIsTheSystemsText) {
    TSkButton button(Page);
    button.SetCaption(W("Печать"));
    EXPECT_EQ(button.text(), QString::fromUtf8("Печать"));
    TSkSpeedButton speed(Page);
    speed.SetCaption(W("Назад"));
    EXPECT_EQ(speed.text(), QString::fromUtf8("Назад"));
}

TEST_F(ControlsTest, ClicksReachTheClickHook) {
    TSkButton button(Page);
    TSkSpeedButton speed(Page);
    SetBounds(&button, QRect(0, 0, 80, 24));
    SetBounds(&speed, QRect(100, 0, 80, 24));
    int clicks = 0;
    button.Events.OnClick = [&] { ++clicks; };
    speed.Events.OnClick = [&] { ++clicks; };
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&speed, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, ButtonCaptionFollowsItsAlignment) {
    TSkButton button(Page);
    SetBounds(&button, QRect(0, 0, 200, 30));
    button.SetCaption("Go");
    std::vector<double> columns;
    for (Qt::Alignment align : {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight}) {
        button.SetTextAlign(align);
        const QImage with = button.grab().toImage();
        button.SetCaption("");
        const QImage without = button.grab().toImage();
        button.SetCaption("Go");
        columns.push_back(InkColumn(with, without));
    }
    ASSERT_GT(columns[0], 0);
    EXPECT_LT(columns[0], 60);
    EXPECT_GT(columns[1], 80);
    EXPECT_LT(columns[1], 120);
    EXPECT_GT(columns[2], 140);
}

TEST_F(ControlsTest, WrappedButtonCaptionTakesSeveralLines) {
    TSkButton button(Page);
    SetBounds(&button, QRect(0, 0, 60, 80));
    button.SetCaption("one two three four");
    auto rows = [&] {
        const QImage with = button.grab().toImage();
        const std::string caption = FromQString(button.text());
        button.setText(QString());
        const QImage without = button.grab().toImage();
        button.SetCaption(caption);
        int top = with.height(), bottom = -1;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixel(x, y) != without.pixel(x, y)) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom - top + 1;
    };
    const int oneLine = rows();
    button.SetWordWrap(true);
    EXPECT_GT(rows(), 2 * oneLine);
}

TEST_F(ControlsTest, ToggleDownTurnsTheStateAndTheHint) {
    struct TCase {
        const char* Name;
        bool Down; // the "down" key
        const char* HintDown;
        const char* HintUp;
        bool DownAfter;
        const char* HintAfter;
    };
    const TCase cases[] = {
        {"down with an up hint", true, "", "press to open", false, "press to open"},
        {"down without an up hint", true, "press to close", "", false, "hint"},
        {"up with a down hint", false, "press to close", "", true, "press to close"},
        {"up without a down hint", false, "", "press to open", true, "hint"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSkSpeedButton button(Page);
        button.setToolTip("hint");
        button.HintDown = c.HintDown;
        button.HintUp = c.HintUp;
        button.SetDownState(c.Down);
        EXPECT_EQ(button.IsDown(), c.Down);
        EXPECT_EQ(button.DownState, c.Down);
        EXPECT_EQ(button.toolTip(), "hint"); // the "down" key leaves the hint
        button.ToggleDown();
        EXPECT_EQ(button.IsDown(), c.DownAfter);
        EXPECT_EQ(button.DownState, c.DownAfter);
        EXPECT_EQ(button.toolTip(), c.HintAfter);
        button.ToggleDown();
        EXPECT_EQ(button.IsDown(), c.Down);
    }
}

TEST_F(ControlsTest, ToggleDownWorksFromTheRememberedState) {
    TSkSpeedButton button(Page);
    button.SetDownState(true);
    button.SetDown(false); // put up without touching DownState
    button.ToggleDown();
    EXPECT_FALSE(button.DownState);
    EXPECT_FALSE(button.IsDown());
}

TEST_F(ControlsTest, SpeedButtonsOfAGroupActAsRadioButtons) {
    QWidget other(Page);
    TSkSpeedButton a(Page), b(Page), c(Page), loose(Page), elsewhere(&other);
    a.SetGroup(1);
    b.SetGroup(1);
    c.SetGroup(2);
    elsewhere.SetGroup(1);
    c.SetDown(true);
    elsewhere.SetDown(true);
    loose.SetDown(true);

    a.click();
    EXPECT_TRUE(a.IsDown());
    b.click();
    EXPECT_TRUE(b.IsDown());
    EXPECT_FALSE(a.IsDown());
    b.click(); // a down button of a group stays down
    EXPECT_TRUE(b.IsDown());
    // Other groups, other parents and buttons outside groups are left alone.
    EXPECT_TRUE(c.IsDown());
    EXPECT_TRUE(elsewhere.IsDown());
    EXPECT_TRUE(loose.IsDown());

    a.SetDown(true); // also when put down by an action
    EXPECT_FALSE(b.IsDown());
    EXPECT_FALSE(a.DownState); // a click or a group never changes the remembered state
}

TEST_F(ControlsTest, ClickOutsideAGroupLeavesTheDownState) {
    TSkSpeedButton button(Page);
    button.click();
    EXPECT_FALSE(button.IsDown());
    button.SetDownState(true);
    button.click();
    EXPECT_TRUE(button.IsDown());
}

TEST_F(ControlsTest, JoiningAGroupKeepsOneButtonDown) {
    TSkSpeedButton a(Page), b(Page);
    a.SetGroup(3);
    a.SetDown(true);
    b.SetDown(true);
    b.SetGroup(3);
    EXPECT_TRUE(b.IsDown());
    EXPECT_FALSE(a.IsDown());
}

TEST_F(ControlsTest, DropDownArrowOpensTheMenu) {
    std::vector<QMenu*> shown;
    std::vector<QPoint> places;
    TMenuRunnerGuard runner([&](QMenu* menu, const QPoint& at) {
        shown.push_back(menu);
        places.push_back(at);
    });
    QMenu menu;
    TSkSpeedButton button(Page);
    SetBounds(&button, QRect(10, 20, 80, 24));
    int clicks = 0;
    button.Events.OnClick = [&] { ++clicks; };
    button.SetDropMenu(&menu);
    EXPECT_EQ(button.DropMenu(), &menu);

    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(76, 12));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], &menu);
    EXPECT_EQ(places[0], button.mapToGlobal(QPoint(0, 24)));
    EXPECT_EQ(clicks, 0);

    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 12));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, ButtonsToggleTheirVisibility) {
    TSkButton button(Page);
    TSkSpeedButton speed(Page);
    button.ToggleVisible();
    speed.ToggleVisible();
    EXPECT_FALSE(IsShown(&button));
    EXPECT_FALSE(IsShown(&speed));
    button.ToggleVisible();
    speed.ToggleVisible();
    EXPECT_TRUE(IsShown(&button));
    EXPECT_TRUE(IsShown(&speed));
}
