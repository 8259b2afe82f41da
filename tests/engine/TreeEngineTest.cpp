// The two document trees in structure files: their keys, their clicks, selections and keys
// through the dispatcher, the tree actions, the history menus of a topic tree and favorites made
// from trees.

#include "engine/StructWindow.h"

#include "SkinControl/SkTree.h"
#include "platform/Controls.h"
#include "platform/HostPath.h"
#include "platform/QtText.h"
#include "platform/Skin.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidgetItemIterator>

#include <set>
#include <utility>

#include <gtest/gtest.h>

namespace {

using TMessages = std::vector<std::string>;

const char* const kForm = "[main]\ntype=form\nwidth=800\nheight=600\nreg_dat=\\Software\\Trees\n";

const char* const kTreeFile = "Первая;one.htm\n"
                              "Вторая;two.htm\n"
                              "\tГлава\n"
                              "\t\tСтатья;article.htm\n"
                              "Третья;three.htm\n";

const char* const kTree = "[t]\ntype=tree\nwidth=300\nheight=400\naction=load\nload=tree.txt\n";

const char* const kCheckFile = "Раздел\n"
                               "\tА;a.htm\n"
                               "\tБ;b.htm\n"
                               "Другой\n"
                               "\tВ;c.htm\n";

const char* const kTreeEx =
    "[x]\ntype=tree_ex\nwidth=300\nheight=400\naction=open\ncheck=1\nload=check.txt\n";

// A window with the tree files written, recording what its engine hands over.
struct TTreeWindow : TStructWindow {
    std::vector<std::string> Handed;
    TTreeWindow() {
        OnAction = [this](const RHelpAction& action) {
            Handed.push_back(cp1251::ToUtf8(action.Command));
        };
        File("tree.txt", kTreeFile);
        File("check.txt", kCheckFile);
    }
    std::vector<std::string> TakeHanded() { return std::exchange(Handed, {}); }
};

// The first node or item of that caption (UTF-8).
QTreeWidgetItem* Node(QTreeWidget* tree, const std::string& caption) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (cp1251::ToUtf8(FromQString((*it)->text(0))) == caption)
            return *it;
    return nullptr;
}

std::string CaptionOf(const QTreeWidgetItem* item) {
    return item ? cp1251::ToUtf8(FromQString(item->text(0))) : std::string("(none)");
}

std::vector<std::string> Items(const TSkPopMenu* menu) {
    std::vector<std::string> items;
    for (int i = 0; i < menu->ItemCount(); ++i) {
        const TSkItem* item = menu->ItemAt(i);
        items.push_back(cp1251::ToUtf8(item->Caption()) + "=" + cp1251::ToUtf8(item->Action) +
                        (item->isChecked() ? " (checked)" : ""));
    }
    return items;
}

std::vector<std::string> Favorites(const TSkStract& engine) {
    std::vector<std::string> list;
    if (engine.Favorites)
        for (const std::string& entry : *engine.Favorites)
            list.push_back(cp1251::ToUtf8(entry));
    return list;
}

void SendKey(QWidget* target, QEvent::Type type, int key, const QString& text = {}) {
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, const QPoint& at) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress
                                          ? Qt::MouseButtons(Qt::LeftButton)
                                          : Qt::MouseButtons(Qt::NoButton);
        QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace

TEST(TreeEngineTest, ATreeClickRunsItsActionWithTheSelectedDocument) {
    struct TCase {
        const char* Action;
        const char* Node;
        std::vector<std::string> Handed;
    };
    const TCase cases[] = {
        {"load", "Первая", {"load*one.htm"}},
        {"load*", "Вторая", {"load*two.htm"}},
        {"show*insert*top", "Статья", {"show*article.htm*top"}},
        {"load", "Глава", {}}, // a heading runs nothing
        {"", "Первая", {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Action + std::string(" / ") + c.Node);
        TTreeWindow w;
        w.Build(std::string(kForm) + "[t]\ntype=tree\nload=tree.txt\naction=" + c.Action + "\n");
        auto* tree = w.Find<TSkTree>("t");
        ASSERT_NE(tree, nullptr);
        tree->SelectNode(Node(tree, c.Node));
        EXPECT_TRUE(w.Handed.empty()); // selecting is no click
        tree->FireClick();
        EXPECT_EQ(w.Handed, c.Handed);
        EXPECT_EQ(w.Messages(), TMessages{});
    }

    // A key released in the tree clicks it; so does the mouse.
    TTreeWindow w;
    w.Build(std::string(kForm) + kTree);
    auto* tree = w.Find<TSkTree>("t");
    EXPECT_EQ(ThemeObject(tree), "default");
    tree->SelectNode(Node(tree, "Первая"));
    SendKey(tree, QEvent::KeyPress, Qt::Key_Down);
    SendKey(tree, QEvent::KeyRelease, Qt::Key_Down);
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*two.htm"}));
    const QPoint third = tree->visualItemRect(Node(tree, "Третья")).center();
    Click(tree->viewport(), third);
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*three.htm"}));
    // With nothing selected a click runs nothing.
    tree->SelectNode(nullptr);
    w.Engine->ClickControl(tree);
    EXPECT_TRUE(w.Handed.empty());
}

TEST(TreeEngineTest, BackForwardAndHistoryPositionsGoThroughTheTree) {
    TTreeWindow w;
    w.Build(std::string(kForm) + kTree + "[p]\ntype=panel\n");
    auto* tree = w.Find<TSkTree>("t");
    for (const char* caption : {"Первая", "Вторая", "Третья"})
        tree->SelectNode(Node(tree, caption));
    w.Run("tree_back*t");
    EXPECT_EQ(tree->HistoryPos, 1);
    w.Run("tree_back*T"); // object names ignore case
    w.Run("tree_back*t"); // the oldest entry: nothing more
    EXPECT_EQ(tree->HistoryPos, 2);
    w.Run("tree_forward*t");
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*two.htm", "load*one.htm", "load*two.htm"}));
    w.Run("tree_go_history*t*0");
    EXPECT_EQ(tree->Selected(), Node(tree, "Третья"));
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*three.htm"}));
    EXPECT_EQ(tree->HistoryNodes.size(), 3u);

    // A position that is not a number ends the command string with the reason.
    w.Run("tree_go_history*t*abc//visible*p*0");
    EXPECT_EQ(w.Messages(), (TMessages{"Команда tree_go_history*t*abc не выполнена: 'abc' is "
                                       "not a valid integer value"}));
    EXPECT_TRUE(IsShown(w.Find<TSkPanel>("p")));
    EXPECT_TRUE(w.Handed.empty());
    // A missing tree is reported and its action skipped; the rest goes on.
    w.Dialogs.Clear();
    w.Run("tree_back*nosuch//visible*p*0");
    EXPECT_EQ(w.Messages(),
              (TMessages{TStructWindow::Report("GetComponent. Не найден контрол: nosuch")}));
    EXPECT_FALSE(IsShown(w.Find<TSkPanel>("p")));
}

TEST(TreeEngineTest, TreeGoSelectsTheNodeOfADocumentWithoutRunningTheAction) {
    TTreeWindow w;
    w.Build(std::string(kForm) + kTree);
    auto* tree = w.Find<TSkTree>("t");
    struct TCase {
        const char* Document;
        const char* Selected;
    };
    const TCase cases[] = {
        {"TWO.HTM", "Вторая"},
        {"article.htm", "Статья"}, // inside a collapsed branch: made visible
        {"none.htm", "(none)"},
        {"", "(none)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Document);
        w.Run(std::string("tree_go*t*") + c.Document);
        EXPECT_EQ(CaptionOf(tree->Selected()), c.Selected);
    }
    EXPECT_TRUE(Node(tree, "Глава")->isExpanded());
    EXPECT_TRUE(w.Handed.empty());
    // The selections were visits.
    EXPECT_EQ(tree->HistoryNodes.size(), 2u);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(TreeEngineTest, NextPreviousExpandCollapseAndShowOrHide) {
    TTreeWindow w;
    w.Build(std::string(kForm) + kTree);
    auto* tree = w.Find<TSkTree>("t");
    w.Run("tree_next*t"); // nothing selected
    tree->SelectNode(Node(tree, "Первая"));
    w.Run("tree_next*t//tree_next*t//tree_prev*t");
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*two.htm", "load*three.htm", "load*two.htm"}));

    tree->SelectNode(Node(tree, "Вторая"));
    w.Run("tree_expand*t");
    EXPECT_TRUE(Node(tree, "Вторая")->isExpanded());
    EXPECT_TRUE(Node(tree, "Глава")->isExpanded());
    EXPECT_TRUE(IsShown(tree));
    w.Run("tree_collapse*t");
    EXPECT_FALSE(Node(tree, "Вторая")->isExpanded());
    EXPECT_TRUE(IsShown(tree));
    w.Run("tree_show_or_hide*t");
    EXPECT_FALSE(IsShown(tree));
    w.Run("tree_expand*t"); // a hidden tree stays hidden
    EXPECT_FALSE(IsShown(tree));
    EXPECT_TRUE(Node(tree, "Глава")->isExpanded());
    w.Run("tree_show_or_hide*t");
    EXPECT_TRUE(IsShown(tree));
    EXPECT_TRUE(w.Handed.empty());
}

TEST(TreeEngineTest, HistoryMenusOfATree) {
    TTreeWindow w;
    w.Build(std::string(kForm) + kTree +
            "[back]\ntype=pop_menu\nglob_action=nil\nhistory_back=t\n"
            "[prev]\ntype=pop_menu\nglob_action=nil\nhistory_prev=t\n"
            "[full]\ntype=pop_menu\nglob_action=nil\nhistory_full=t\n"
            "[both]\ntype=pop_menu\nglob_action=nil\nhistory_back=t\nhistory_prev=t\n");
    auto* tree = w.Find<TSkTree>("t");
    for (const char* caption : {"Первая", "Вторая", "Третья"})
        tree->SelectNode(Node(tree, caption));
    TSkPopMenu* back = w.Engine->GetPopMenu("back");
    TSkPopMenu* prev = w.Engine->GetPopMenu("prev");
    TSkPopMenu* full = w.Engine->GetPopMenu("full");
    TSkPopMenu* both = w.Engine->GetPopMenu("both");
    w.Run("menu_show*back//menu_show*prev//menu_show*full");
    EXPECT_EQ(Items(back), (TMessages{"Вторая=tree_go_history*t*1", "Первая=tree_go_history*t*2"}));
    EXPECT_EQ(Items(prev), TMessages{}); // position 0 has no newer entries
    EXPECT_EQ(Items(full), (TMessages{"Третья=tree_go_history*t*0 (checked)",
                                      "Вторая=tree_go_history*t*1", "Первая=tree_go_history*t*2"}));

    w.Engine->ClickControl(back->ItemAt(0)); // back to "Вторая"
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*two.htm"}));
    EXPECT_EQ(tree->HistoryPos, 1);
    w.Run("menu_show*back//menu_show*prev//menu_show*full//menu_show*both");
    EXPECT_EQ(Items(back), (TMessages{"Первая=tree_go_history*t*2"}));
    EXPECT_EQ(Items(prev), (TMessages{"Третья=tree_go_history*t*0"}));
    EXPECT_EQ(Items(full),
              (TMessages{"Третья=tree_go_history*t*0", "Вторая=tree_go_history*t*1 (checked)",
                         "Первая=tree_go_history*t*2"}));
    EXPECT_EQ(Items(both), (TMessages{"Первая=tree_go_history*t*2", "Третья=tree_go_history*t*0"}));

    // After a reload the old entries have no nodes: they are left out.
    tree->LoadTreeFile("tree.txt");
    tree->SelectNode(Node(tree, "Статья"));
    w.Run("menu_show*full");
    EXPECT_EQ(Items(full), (TMessages{"Статья=tree_go_history*t*0 (checked)"}));
    EXPECT_EQ(w.Popups.size(), 3u + 4u + 1u);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(TreeEngineTest, FavoritesOfTreeNodesAndCheckableItems) {
    TTreeWindow w;
    std::string nodes;
    for (int n = 0; n <= 12; ++n)
        nodes += "Узел " + std::to_string(n) + ";n" + std::to_string(n) + ".htm\n";
    w.File("many.txt", nodes);
    w.Build(std::string(kForm) + "[t]\ntype=tree\naction=pick\nload=many.txt\n" + kTreeEx +
            "[fav]\ntype=pop_menu\ncaption=Добавить\naction=add\nglob_action=nil\nfavorite=1\n");
    auto* tree = w.Find<TSkTree>("t");
    auto* checkable = w.Find<TSkTreeEx>("x");
    TSkPopMenu* fav = w.Engine->GetPopMenu("fav");

    w.Run("tree_add_favorite*t"); // nothing selected: nothing added
    EXPECT_EQ(Favorites(*w.Engine), TMessages{});
    tree->SelectNode(Node(tree, "Узел 1"));
    w.Run("tree_add_favorite*t");
    tree->SelectNode(Node(tree, "Узел 12"));
    w.Run("tree_add_favorite*t");
    checkable->SelectItem(Node(checkable, "Раздел")); // a heading: nothing added
    w.Run("treeex_add_favorite*x");
    checkable->SelectItem(Node(checkable, "Б"));
    w.Run("treeex_add_favorite*x");
    EXPECT_EQ(Favorites(*w.Engine), (TMessages{"Б=b.htm", "Узел 12=pick*12", "Узел 1=pick*1"}));
    EXPECT_EQ(Items(fav),
              (TMessages{"Добавить=add", "Б=b.htm", "Узел 12=pick*12", "Узел 1=pick*1"}));

    // Deleting node 1's favorite leaves node 12's, whose value also contains "pick*1".
    tree->SelectNode(Node(tree, "Узел 1"));
    w.Run("tree_del_favorite*t");
    EXPECT_EQ(Favorites(*w.Engine), (TMessages{"Б=b.htm", "Узел 12=pick*12"}));
    EXPECT_EQ(Items(fav), (TMessages{"Добавить=add", "Б=b.htm", "Узел 12=pick*12"}));
    tree->SelectNode(Node(tree, "Узел 12"));
    w.Run("tree_del_favorite*t");
    w.Run("tree_del_favorite*t"); // already gone: nothing happens
    EXPECT_EQ(Favorites(*w.Engine), (TMessages{"Б=b.htm"}));
    EXPECT_EQ(Items(fav), (TMessages{"Добавить=add", "Б=b.htm"}));
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(TreeEngineTest, CheckableTreeSelectionClickAndSpaceBar) {
    TTreeWindow w;
    w.Build(std::string(kForm) + kTreeEx);
    auto* tree = w.Find<TSkTreeEx>("x");
    ASSERT_NE(tree, nullptr);
    QTreeWidgetItem* a = Node(tree, "А");
    tree->SelectItem(a); // the selection runs the action
    EXPECT_EQ(w.TakeHanded(), (TMessages{"open*a.htm"}));
    w.Engine->ClickControl(tree); // and so does a click
    EXPECT_EQ(w.TakeHanded(), (TMessages{"open*a.htm"}));
    tree->SelectItem(Node(tree, "Другой")); // a heading runs nothing
    w.Engine->ClickControl(tree);
    EXPECT_TRUE(w.Handed.empty());

    // The space bar inverts the selected item's check box, through the engine's key handler.
    tree->SelectItem(a);
    w.TakeHanded();
    tree->setFocus();
    SendKey(tree, QEvent::KeyPress, Qt::Key_Space, " ");
    EXPECT_EQ(a->checkState(0), Qt::Checked);
    EXPECT_EQ(tree->RecordOf(a)->Checked, 1);
    w.Engine->KeyControl(tree, 32, 0);
    EXPECT_EQ(a->checkState(0), Qt::Unchecked);
    EXPECT_EQ(tree->RecordOf(a)->Checked, 0);
    w.Engine->KeyControl(tree, 65, 0); // another key changes nothing
    EXPECT_EQ(a->checkState(0), Qt::Unchecked);
    tree->SelectItem(Node(tree, "Раздел"));
    w.Engine->KeyControl(tree, 32, 0); // a heading has no check box
    EXPECT_FALSE(tree->HasCheckBox(Node(tree, "Раздел")));
    EXPECT_TRUE(w.Handed.empty());

    w.Run("treeex_check_all*x");
    for (const auto& record : tree->ItemRecords)
        EXPECT_EQ(record->Checked, 1);
    w.Run("treeex_un_check_all*x");
    for (const auto& record : tree->ItemRecords)
        EXPECT_EQ(record->Checked, 0);
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(TreeEngineTest, CheckableTreeActions) {
    TTreeWindow w;
    w.Build(std::string(kForm) + kTreeEx +
            "[plain]\ntype=tree_ex\nload=check.txt\ncheck=1\n"); // "check" after "load": no boxes
    auto* tree = w.Find<TSkTreeEx>("x");
    auto* plain = w.Find<TSkTreeEx>("plain");
    EXPECT_TRUE(tree->HasCheckBox(Node(tree, "В")));
    EXPECT_FALSE(plain->HasCheckBox(Node(plain, "В")));
    w.Run("treeex_check_all*plain");
    EXPECT_EQ(plain->ItemRecords[0]->Checked, 0);

    w.Run("treeex_go*x*A.HTM"); // Latin "A.HTM" names "a.htm"
    EXPECT_EQ(tree->Selected(), Node(tree, "А"));
    EXPECT_TRUE(Node(tree, "Раздел")->isExpanded());
    w.Run("treeex_go*x*c.htm"); // the other branch opens, the first closes
    EXPECT_EQ(tree->Selected(), Node(tree, "В"));
    EXPECT_TRUE(Node(tree, "Другой")->isExpanded());
    EXPECT_FALSE(Node(tree, "Раздел")->isExpanded());
    w.Run("treeex_go*x*none.htm"); // no such document: nothing changes
    EXPECT_EQ(tree->Selected(), Node(tree, "В"));
    EXPECT_EQ(w.TakeHanded(), (TMessages{"open*a.htm", "open*c.htm"}));

    w.Run("treeex_prev*x//treeex_next*x"); // over the heading, which runs nothing, and back
    EXPECT_EQ(w.TakeHanded(), (TMessages{"open*c.htm"}));
    EXPECT_EQ(tree->Selected(), Node(tree, "В"));
    w.Run("treeex_go*x*b.htm//treeex_prev*x//treeex_next*x");
    EXPECT_EQ(w.TakeHanded(), (TMessages{"open*b.htm", "open*a.htm", "open*b.htm"}));

    w.Run("treeex_show_or_hide*x");
    EXPECT_FALSE(IsShown(tree));
    w.Run("treeex_show_or_hide*x");
    EXPECT_TRUE(IsShown(tree));
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(TreeEngineTest, TreeKeys) {
    TTreeWindow w;
    w.Build(std::string(kForm) +
            "[next]\ntype=sp_button\naction=tree_next*t\n"
            "[prev]\ntype=sp_button\naction=tree_prev*t\n"
            "[t]\ntype=tree\nwidth=500\nheight=500\nmax_height=200\nmax_width=250\n"
            "min_height=50\naction=load\nbut_next=next\nbut_prev=prev\nopen_block=1\nbordur=1\n"
            "color=#102030\ncolor_select=#C01020\nfont=Liberation Serif*14\n"
            "font_select=*16*#00FF00*B\nskin=tree_look*ignored\nlink_html=view\ncheck=1\n"
            "load=tree.txt\n"
            "[next2]\ntype=sp_button\nbut_next_tree=t\n"
            "[prev2]\ntype=sp_button\nbut_prev_tree=t\n");
    auto* tree = w.Find<TSkTree>("t");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->height(), 200);
    EXPECT_EQ(tree->width(), 250);
    EXPECT_EQ(GetConstraints(tree).MinHeight, 50);
    EXPECT_EQ(tree->Action, "load");
    EXPECT_TRUE(tree->OpenBlock);
    EXPECT_TRUE(Node(tree, "Глава")->isExpanded()); // "open_block" before "load"
    EXPECT_TRUE(tree->Bordered);
    EXPECT_EQ(tree->SelectColor, RGBColor(0xC0, 0x10, 0x20));
    EXPECT_EQ(tree->SelectFont.Size, 16);
    EXPECT_EQ(tree->SelectFont.Color, RGBColor(0, 0xFF, 0));
    EXPECT_TRUE(tree->SelectFont.Bold);
    EXPECT_EQ(tree->SelectFont.Name, TFontSpec().Name); // the parts the value leaves out stay
    EXPECT_EQ(tree->font().pointSize(), 14);
    EXPECT_EQ(ThemeObject(tree), "tree_look");
    // The buttons named last win: the speed buttons' own keys came after the tree's.
    EXPECT_EQ(tree->NextButton, w.Find<TSkSpeedButton>("next2"));
    EXPECT_EQ(tree->PrevButton, w.Find<TSkSpeedButton>("prev2"));
    // There is no document view of that name: the lookup says so, the tree works without it.
    EXPECT_EQ(w.Messages(),
              (TMessages{TStructWindow::Report("GetComponent. Не найден контрол: view")}));

    tree->SelectNode(Node(tree, "Первая"));
    EXPECT_FALSE(w.Find<TSkSpeedButton>("prev2")->isEnabled());
    EXPECT_TRUE(w.Find<TSkSpeedButton>("next2")->isEnabled());
    w.Engine->ClickControl(w.Find<TSkSpeedButton>("next"));
    EXPECT_EQ(w.TakeHanded(), (TMessages{"load*two.htm"}));
    EXPECT_TRUE(w.Find<TSkSpeedButton>("prev2")->isEnabled());
}

TEST(TreeEngineTest, TreeButtonKeysOfTheTreeAndOfTheButtons) {
    TTreeWindow w;
    w.Build(std::string(kForm) + "[n]\ntype=sp_button\n[p]\ntype=sp_button\n" + kTree +
            "but_next=n\nbut_prev=nobutton\n[q]\ntype=sp_button\nbut_prev_tree=t\n"
            "but_next_tree=notree\n");
    auto* tree = w.Find<TSkTree>("t");
    EXPECT_EQ(tree->NextButton, w.Find<TSkSpeedButton>("n"));
    EXPECT_EQ(tree->PrevButton, w.Find<TSkSpeedButton>("q"));
    EXPECT_EQ(w.Messages(),
              (TMessages{TStructWindow::Report("GetComponent. Не найден контрол: nobutton"),
                         TStructWindow::Report("GetComponent. Не найден контрол: notree")}));
}

TEST(TreeEngineTest, CheckableTreeKeys) {
    TTreeWindow w;
    w.Build(std::string(kForm) +
            "[x]\ntype=tree_ex\nwidth=300\nheight=300\nmin_width=320\nmax_height=100\n"
            "color_bg=#0A0B0C\ncolor_bg_select=#C01020\ncolor_text=#FFFFFF\n"
            "color_text_select=#000000\ncolor_track=#808080\ncolor_scroll=#404040\nbordur=0\n"
            "skin=ex_look\naction=open\nlink_html=view\nload=check.txt\n");
    auto* tree = w.Find<TSkTreeEx>("x");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->width(), 320);
    EXPECT_EQ(tree->height(), 300); // "max_height" is no key of this tree
    EXPECT_FALSE(tree->Bordered);
    EXPECT_EQ(tree->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(ThemeObject(tree), "ex_look");
    EXPECT_EQ(tree->Action, "open");
    EXPECT_FALSE(tree->HasCheckBox(Node(tree, "А"))); // no "check" key
    const QImage shot = tree->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(150, shot.height() - 3), QColor(0x0A, 0x0B, 0x0C));
    EXPECT_EQ(w.Messages(),
              (TMessages{TStructWindow::Report("GetComponent. Не найден контрол: view")}));
}

// The three topic trees of the demo disc, read as the main window reads them (document first):
// every essay once in each, the same essays in all three, the foreword first.
TEST(TreeEngineTest, TheDemoDiscsTreesHoldEveryEssayOnce) {
    TStructWindow w(FromHostPath(std::string(CHITALKA_SOURCE_DIR) + "/content/demo/"));
    std::set<std::string> first;
    for (const char* file : {"tree2.txt", "tree_alpha.txt", "tree_time.txt"}) {
        SCOPED_TRACE(file);
        TSkTree tree(nullptr);
        tree.CaptionFirst = false;
        tree.LoadTreeFile(file);
        std::set<std::string> documents;
        for (const auto& record : tree.NodeRecords) {
            if (record->Document.empty())
                continue;
            EXPECT_TRUE(documents.insert(cp1251::Lower(record->Document)).second)
                << record->Document;
            EXPECT_EQ(tree.FindNodeByDocument(record->Document), record->Node);
            EXPECT_FALSE(tree.CaptionOf(record->Node).empty());
        }
        EXPECT_EQ(documents.size(), 44u);
        ASSERT_FALSE(tree.NodeRecords.empty());
        EXPECT_EQ(tree.NodeRecords[0]->Document, "essays\\kraj\\predislovie.htm");
        if (first.empty())
            first = documents;
        EXPECT_EQ(documents, first);
    }
    EXPECT_EQ(w.Messages(), TMessages{});
}
