#include "ControlsFixture.h"

#include "SkinControl/SkLabel.h"
#include "common/TestSupport.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTest>

namespace {

int Advance(const QWidget& label, const std::string& text) {
    return QFontMetrics(label.font()).horizontalAdvance(ToQString(text));
}

} // namespace

TEST_F(ControlsTest, CutCaptionDropsWholeWords) {
    const std::string full = W("один два три");
    struct TCase {
        const char* Name;
        std::string RoomFor; // the label is exactly this wide
        int Extra;
        std::string Shown;
    };
    const TCase cases[] = {
        {"everything fits", full, 0, full},
        {"two words and the dots", W("один два..."), 0, W("один два...")},
        {"one pixel short of two words", W("один два..."), -1, W("один...")},
        {"one word", W("один..."), 0, W("один...")},
        {"only the dots", "...", 0, "..."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSkLabel label(Page);
        label.SetCutLength(true);
        SetBounds(&label, QRect(0, 0, Advance(label, c.RoomFor) + c.Extra, 20));
        label.SetFullCaption(full);
        EXPECT_EQ(label.ShownCaption(), c.Shown);
        EXPECT_EQ(label.FullCaption, full);
    }
}

TEST_F(ControlsTest, CutCaptionFollowsTheLabelsWidth) {
    TSkLabel label(Page);
    label.SetCutLength(true);
    label.SetFullCaption("alpha beta gamma");
    SetBounds(&label, QRect(0, 0, Advance(label, "alpha beta..."), 20));
    EXPECT_EQ(label.ShownCaption(), "alpha beta...");
    SetBounds(&label, QRect(0, 0, Advance(label, "alpha beta gamma"), 20));
    EXPECT_EQ(label.ShownCaption(), "alpha beta gamma");
    // Narrower than "..." itself: what was shown stays.
    SetBounds(&label, QRect(0, 0, Advance(label, "...") - 1, 20));
    EXPECT_EQ(label.ShownCaption(), "alpha beta gamma");
}

TEST_F(ControlsTest, CaptionIsShownWholeWithoutCutting) {
    TSkLabel label(Page);
    SetBounds(&label, QRect(0, 0, 10, 20));
    label.SetFullCaption("a caption far wider than the label");
    EXPECT_EQ(label.ShownCaption(), "a caption far wider than the label");
    SetBounds(&label, QRect(0, 0, Advance(label, "a caption..."), 20));
    EXPECT_EQ(label.ShownCaption(), "a caption far wider than the label");
    label.SetCutLength(true);
    EXPECT_EQ(label.ShownCaption(), "a caption...");
    label.SetCutLength(false);
    EXPECT_EQ(label.ShownCaption(), "a caption far wider than the label");
    label.SetFullCaption("");
    label.SetCutLength(true);
    EXPECT_EQ(label.ShownCaption(), "");
}

TEST_F(ControlsTest, CaptionWithoutBlanksBecomesTheDots) {
    TSkLabel label(Page);
    label.SetCutLength(true);
    SetBounds(&label, QRect(0, 0, Advance(label, "..."), 20));
    label.SetFullCaption("unbreakable");
    EXPECT_EQ(label.ShownCaption(), "...");
}

TEST_F(ControlsTest, LargerFontCutsTheCaptionAgain) {
    TSkLabel label(Page);
    label.SetCutLength(true);
    SetBounds(&label, QRect(0, 0, Advance(label, "alpha beta gamma"), 20));
    label.SetFullCaption("alpha beta gamma");
    EXPECT_EQ(label.ShownCaption(), "alpha beta gamma");
    QFont larger = label.font();
    larger.setPointSize(larger.pointSize() * 2);
    label.setFont(larger);
    EXPECT_NE(label.ShownCaption(), "alpha beta gamma");
}

TEST_F(ControlsTest, UrlStyleLooksLikeALinkAndBack) {
    TSkLabel label(Page);
    QFont bold = label.font();
    bold.setBold(true);
    bold.setItalic(true);
    label.setFont(bold);
    label.SetUrlStyle(true);
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    label.SetUrlStyle(false);
    EXPECT_FALSE(label.font().underline());
    EXPECT_FALSE(label.font().bold());
    EXPECT_FALSE(label.font().italic());
    EXPECT_EQ(label.palette().color(QPalette::WindowText),
              QApplication::palette().color(QPalette::WindowText));
    EXPECT_FALSE(label.testAttribute(Qt::WA_SetCursor));
}

TEST_F(ControlsTest, LabelPressCanMoveTheWindow) {
    TSkLabel label(Page);
    SetBounds(&label, QRect(0, 0, 80, 20));
    int presses = 0;
    label.Events.OnMouseDown = [&](QMouseEvent*) { ++presses; };
    int clicks = 0;
    label.Events.OnClick = [&] { ++clicks; };
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(clicks, 0); // a click on a label fires nothing
}
