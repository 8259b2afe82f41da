#include "ControlsFixture.h"

#include "SkinControl/SkPopMenu.h"
#include "common/TestSupport.h"
#include "platform/ConvertError.h"
#include "platform/Modal.h"

#include <QKeySequence>

#include <string>
#include <vector>

namespace {

// The menu's own action list and its item list must agree.
void ExpectInStep(const TSkPopMenu& menu) {
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), menu.ItemCount());
    for (int i = 0; i < menu.ItemCount(); ++i)
        EXPECT_EQ(actions[i], menu.ItemAt(i)) << "item " << i;
}

std::vector<std::string> Actions(const TSkPopMenu& menu) {
    std::vector<std::string> actions;
    for (int i = 0; i < menu.ItemCount(); ++i)
        actions.push_back(menu.ItemAt(i)->Action);
    return actions;
}

struct TMenuRunnerGuard {
    explicit TMenuRunnerGuard(TMenuRunner runner) { SetMenuRunner(std::move(runner)); }
    ~TMenuRunnerGuard() { SetMenuRunner(nullptr); }
};

} // namespace

TEST_F(ControlsTest, MenuCaptionsAreAbbreviatedToTheLimit) {
    struct TCase {
        int Limit;
        std::string Caption, Shown;
    };
    const TCase cases[] = {
        {10, "abcd efghijklmnopqrstu", "abcd..."}, // 22 characters, last blank at 5
        {10, "abcdefghi", "abcdefghi"},            // shorter than the limit
        {10, "abcdefghij", "abcdefghi"},           // the limit's length, no blank
        {10, "abc defghi", "abc..."},              // the limit's length is cut too
        {0, "abcd efghijklmnopqrstu", "abcd efghijklmnopqrstu"},
        {10, W("Избранное и история"), W("Избранное")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Caption);
        TSkPopMenu menu(Page);
        menu.CaptionLength = c.Limit;
        EXPECT_EQ(menu.AddItem(c.Caption, "act", "")->Caption(), c.Shown);
        EXPECT_EQ(menu.InsertItem(0, c.Caption, "", "act")->Caption(), c.Shown);
    }
}

TEST_F(ControlsTest, MenuStartsEmpty) {
    TSkPopMenu menu(Page);
    EXPECT_EQ(menu.MenuOwner, Page);
    EXPECT_EQ(menu.CheckIndex, -1);
    EXPECT_EQ(menu.CaptionLength, 0);
    EXPECT_EQ(menu.ItemCount(), 0);
    EXPECT_EQ(menu.FindByAction(""), nullptr);
    EXPECT_EQ(menu.FindByAction("load"), nullptr);
    EXPECT_EQ(menu.FindByValue("a.htm"), nullptr);
    EXPECT_EQ(menu.DeleteByAction("load"), -1);
    EXPECT_EQ(menu.DeleteByValue("a.htm"), -1);
    EXPECT_EQ(menu.ItemAt(0), nullptr);
    menu.DeleteAt(0);
    menu.ClearItems();
    EXPECT_EQ(menu.ItemCount(), 0);
}

TEST_F(ControlsTest, MenuItemAtGivesNoneOutsideTheList) {
    TSkPopMenu menu(Page);
    TSkItem* first = menu.AddItem("one", "a1", "");
    TSkItem* second = menu.AddItem("two", "a2", "");
    EXPECT_EQ(menu.ItemCount(), 2);
    for (int index : {-1, 2, 100})
        EXPECT_EQ(menu.ItemAt(index), nullptr) << index;
    EXPECT_EQ(menu.ItemAt(0), first);
    EXPECT_EQ(menu.ItemAt(1), second);
}

TEST_F(ControlsTest, MenuInsertPutsItemsWhereAsked) {
    TSkPopMenu menu(Page);
    struct TStep {
        int Index;
        const char* Action;
        int At; // where the new item stands afterwards
    };
    const TStep steps[] = {{5, "a", 0}, {0, "b", 0},  {1, "d", 1},
                           {3, "e", 3}, {99, "f", 4}, {-3, "g", 0}};
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Action);
        TSkItem* item = menu.InsertItem(step.Index, "caption", "", step.Action);
        EXPECT_EQ(item->Action, step.Action);
        EXPECT_EQ(menu.ItemAt(step.At), item);
        ExpectInStep(menu);
    }
    // An empty menu appends whatever the index; otherwise it is kept inside the list.
    EXPECT_EQ(Actions(menu), (std::vector<std::string>{"g", "b", "d", "a", "e", "f"}));
    ExpectInStep(menu);
}

TEST_F(ControlsTest, MenuFindsAndDeletesTheFirstMatch) {
    TSkPopMenu menu(Page);
    for (const char* action : {"load*a", "load*b", "load*c"})
        menu.AddItem(action, action, "")->Value = "shared";
    menu.ItemAt(2)->Value = W("Другое");
    EXPECT_EQ(menu.FindByAction("LOAD*B"), menu.ItemAt(1)); // letter case ignored
    EXPECT_EQ(menu.FindByValue(W("ДРУГОЕ")), menu.ItemAt(2));
    EXPECT_EQ(menu.FindByValue("SHARED"), menu.ItemAt(0));

    EXPECT_EQ(menu.DeleteByValue("shared"), 0);
    EXPECT_EQ(Actions(menu), (std::vector<std::string>{"load*b", "load*c"}));
    EXPECT_EQ(menu.DeleteByAction("Load*C"), 1);
    EXPECT_EQ(menu.DeleteByAction("load*c"), -1);
    EXPECT_EQ(Actions(menu), (std::vector<std::string>{"load*b"}));
    ExpectInStep(menu);
}

TEST_F(ControlsTest, MenuDeletesAndClearsItsItems) {
    TSkPopMenu menu(Page);
    for (const char* action : {"a", "b", "c"})
        menu.AddItem(action, action, "");
    menu.DeleteAt(3);
    EXPECT_EQ(menu.ItemCount(), 3);
    menu.DeleteAt(-1);
    EXPECT_EQ(menu.ItemCount(), 3);
    menu.DeleteAt(1);
    EXPECT_EQ(Actions(menu), (std::vector<std::string>{"a", "c"}));
    ExpectInStep(menu);
    delete menu.ItemAt(0); // destroyed from outside: the list follows
    EXPECT_EQ(Actions(menu), (std::vector<std::string>{"c"}));
    ExpectInStep(menu);
    menu.ClearItems();
    EXPECT_EQ(menu.ItemCount(), 0);
    EXPECT_TRUE(menu.actions().isEmpty());
}

TEST_F(ControlsTest, MenuShowsTheShortcutOfTheKeyText) {
    struct TCase {
        const char* KeyText;
        QKeySequence Keys;
    };
    const TCase cases[] = {
        {"Ctrl+F", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"F5", QKeySequence(Qt::Key_F5)},
        {"Shift+Alt+Del", QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Delete)},
        {"^Left", QKeySequence(Qt::CTRL | Qt::Key_Left)},
        {"Ctrl+5", QKeySequence(Qt::CTRL | Qt::Key_5)},
        {"", QKeySequence()},
        {"Ctrl+", QKeySequence()},
        {"NoSuchKey", QKeySequence()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.KeyText);
        TSkPopMenu menu(Page);
        TSkItem* item = menu.AddItem("Find", "find", c.KeyText);
        EXPECT_EQ(item->shortcut(), c.Keys);
        EXPECT_EQ(item->ShortCut != 0, !c.Keys.isEmpty());
        EXPECT_EQ(item->Caption(), "Find");
    }
}

TEST_F(ControlsTest, MenuSeparatorIsALine) {
    TSkPopMenu menu(Page);
    EXPECT_TRUE(menu.AddItem("-", "", "")->isSeparator());
    EXPECT_FALSE(menu.AddItem("--", "", "")->isSeparator());
}

TEST_F(ControlsTest, MenuItemClickGivesTheItem) {
    TSkPopMenu menu(Page);
    std::vector<TSkItem*> clicked;
    menu.OnItemClick = [&](TSkItem* item) { clicked.push_back(item); };
    menu.AddItem("one", "a", "");
    TSkItem* second = menu.AddItem("two", "b", "");
    second->trigger();
    EXPECT_EQ(clicked, (std::vector<TSkItem*>{second}));

    // The clicked item's action may empty the menu.
    menu.OnItemClick = [&](TSkItem*) { menu.ClearItems(); };
    menu.ItemAt(0)->trigger();
    EXPECT_EQ(menu.ItemCount(), 0);

    menu.OnItemClick = [](TSkItem*) { throw EConvertError("bad"); };
    menu.AddItem("three", "c", "")->trigger();
    EXPECT_EQ(Recorded.Messages(), (std::vector<std::string>{"bad"}));
}

TEST_F(ControlsTest, MenuUnchecksEveryItem) {
    TSkPopMenu menu(Page);
    for (const char* action : {"a", "b"}) {
        TSkItem* item = menu.AddItem(action, action, "");
        item->setCheckable(true);
        item->setChecked(true);
    }
    menu.UncheckAll();
    EXPECT_FALSE(menu.ItemAt(0)->isChecked());
    EXPECT_FALSE(menu.ItemAt(1)->isChecked());
}

TEST_F(ControlsTest, MenuPopsUpThroughTheRunner) {
    std::vector<QPoint> places;
    TMenuRunnerGuard runner([&](QMenu* menu, const QPoint& at) {
        places.push_back(at);
        menu->popup(at); // shows it, as the reader's runner does, and closes it again
        menu->close();
    });
    TSkPopMenu menu(Page);
    menu.AddItem("one", "a", "");
    int before = 0;
    menu.OnBeforePopup = [&] { ++before; };
    menu.PopupAt(30, 40);
    EXPECT_EQ(places, (std::vector<QPoint>{QPoint(30, 40)}));
    EXPECT_EQ(before, 1);
}
