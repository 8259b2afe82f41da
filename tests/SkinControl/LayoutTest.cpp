// The control model as the skinned controls use it: docking and anchors.
#include "ControlsFixture.h"

#include "SkinControl/SkPanels.h"

#include <QRect>

#include <vector>

namespace {

struct TDock {
    TAlign Align;
    int Size; // height for top and bottom, width for left and right
};

struct TDockCase {
    const char* Name;
    std::vector<TDock> Docks;
    QRect Client; // what a client-aligned panel gets in a 400 x 300 container
};

} // namespace

TEST_F(ControlsTest, ClientPanelFillsWhatDockedPanelsLeave) {
    const TDockCase cases[] = {
        {"nothing docked", {}, QRect(0, 0, 400, 300)},
        {"top and left", {{TAlign::Top, 40}, {TAlign::Left, 100}}, QRect(100, 40, 300, 260)},
        {"all four edges",
         {{TAlign::Top, 40}, {TAlign::Bottom, 20}, {TAlign::Left, 100}, {TAlign::Right, 50}},
         QRect(100, 40, 250, 240)},
        {"two on top", {{TAlign::Top, 40}, {TAlign::Top, 10}}, QRect(0, 50, 400, 250)},
    };
    for (const TDockCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QWidget page(Page);
        MakeContainer(&page);
        SetBounds(&page, QRect(0, 0, 400, 300));
        int offset = 0;
        for (const TDock& dock : c.Docks) {
            auto* panel = new TSkPanel(&page);
            // Later docks of an edge stand further in, as a structure file places them.
            SetBounds(panel, QRect(offset, offset, dock.Size, dock.Size));
            offset += 1;
            SetAlign(panel, dock.Align);
        }
        auto* client = new TSkPanel(&page);
        SetAlign(client, TAlign::Client);
        EXPECT_EQ(client->geometry(), c.Client);
    }
}

TEST_F(ControlsTest, DockedPanelsFollowTheContainer) {
    auto* top = new TSkPanel(Page);
    SetHeight(top, 30);
    SetAlign(top, TAlign::Top);
    auto* client = new TSkPanel(Page);
    SetAlign(client, TAlign::Client);
    SetBounds(Page, QRect(0, 0, 500, 350));
    EXPECT_EQ(top->geometry(), QRect(0, 0, 500, 30));
    EXPECT_EQ(client->geometry(), QRect(0, 30, 500, 320));
}

TEST_F(ControlsTest, AnchoredControlKeepsItsDistancesWhenTheParentGrows) {
    struct TCase {
        const char* Name;
        TAnchors Anchors;
        QRect After; // the parent grows from 400 x 300 to 500 x 360
    };
    const TCase cases[] = {
        {"left and top stay", akLeft | akTop, QRect(300, 200, 50, 20)},
        {"right edge kept", akRight | akTop, QRect(400, 200, 50, 20)},
        {"right and bottom kept", akRight | akBottom, QRect(400, 260, 50, 20)},
        {"stretched both ways", akLeft | akTop | akRight | akBottom, QRect(300, 200, 150, 80)},
        {"no anchors: half the growth", 0, QRect(350, 230, 50, 20)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QWidget parent(Page);
        MakeContainer(&parent);
        SetBounds(&parent, QRect(0, 0, 400, 300));
        auto* panel = new TSkPanel(&parent);
        SetBounds(panel, QRect(300, 200, 50, 20));
        SetAnchors(panel, c.Anchors);
        SetBounds(&parent, QRect(0, 0, 500, 360));
        EXPECT_EQ(panel->geometry(), c.After);
        // Shrinking back gives the first place again.
        SetBounds(&parent, QRect(0, 0, 400, 300));
        EXPECT_EQ(panel->geometry(), QRect(300, 200, 50, 20));
    }
}

TEST_F(ControlsTest, ConstraintsLimitDockedAndPlacedSizes) {
    auto* panel = new TSkPanel(Page);
    SetConstraints(panel, TSizeConstraints{50, 120, 0, 0});
    SetWidth(panel, 10);
    EXPECT_EQ(panel->width(), 50);
    SetWidth(panel, 500);
    EXPECT_EQ(panel->width(), 120);
    SetAlign(panel, TAlign::Client);
    EXPECT_EQ(panel->width(), 120);
}
