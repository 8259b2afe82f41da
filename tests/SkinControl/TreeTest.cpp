#include "ControlsFixture.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkTree.h"
#include "archive/BmpCodec.h"
#include "common/TestSupport.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Lines of a tree file (UTF-8) as the Windows-1251 text of the file, CR LF after each.
std::string FileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += W(line) + "\r\n";
    return text;
}

std::string Caption(const QTreeWidgetItem* item) {
    const std::string caption = cp1251::ToUtf8(FromQString(item->text(0)));
    return caption.empty() ? "_" : caption;
}

// The tree's shape: captions, children in parentheses, siblings separated by blanks; an empty
// caption is "_".
std::string ShapeOf(const QTreeWidgetItem* item) {
    std::string shape = Caption(item);
    if (item->childCount() == 0)
        return shape;
    shape += "(";
    for (int i = 0; i < item->childCount(); ++i)
        shape += (i ? " " : "") + ShapeOf(item->child(i));
    return shape + ")";
}

std::string ShapeOf(const QTreeWidget& tree) {
    std::string shape;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        shape += (i ? " " : "") + ShapeOf(tree.topLevelItem(i));
    return shape;
}

// The first item of that caption (UTF-8), in tree order.
QTreeWidgetItem* Item(QTreeWidget& tree, const std::string& caption) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if (Caption(*it) == caption)
            return *it;
    return nullptr;
}

int DepthOf(const QTreeWidgetItem* item) {
    int depth = 0;
    for (const QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        ++depth;
    return depth;
}

void SendKey(QWidget* target, QEvent::Type type, int key, const QString& text = {},
             bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(target, &event);
}

void MouseEvent(QWidget* target, QEvent::Type type, const QPoint& at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A double click as the platform delivers it: a click, then a press that is also a double click.
void DoubleClick(QWidget* target, const QPoint& at) {
    for (QEvent::Type type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
          QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
        MouseEvent(target, type, at);
}

QColor PixelAt(QWidget* widget, const QPoint& point) {
    return widget->grab().toImage().pixelColor(point);
}

class TreeTest : public ControlsTest {
protected:
    // Writes a tree file into the test's folder and gives its full name.
    std::string File(const std::string& name, const std::vector<std::string>& lines) {
        Dir.Write(name, FileText(lines));
        return Dir.Folder() + name;
    }
    std::unique_ptr<TSkTree> Tree(const std::vector<std::string>& lines, bool captionFirst = true) {
        auto tree = std::make_unique<TSkTree>(Page);
        SetBounds(tree.get(), QRect(0, 0, 300, 280));
        tree->CaptionFirst = captionFirst;
        tree->LoadTreeFile(File("tree.txt", lines));
        return tree;
    }
    std::unique_ptr<TSkTreeEx> TreeEx(const std::vector<std::string>& lines, bool checkBoxes) {
        auto tree = std::make_unique<TSkTreeEx>(Page);
        SetBounds(tree.get(), QRect(0, 0, 300, 280));
        tree->CheckBoxes = checkBoxes;
        tree->LoadTreeExFile(File("tree_ex.txt", lines));
        return tree;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const std::string& text : Recorded.Messages())
            texts.push_back(cp1251::ToUtf8(text));
        return texts;
    }
    TTempDir Dir;
};

const std::vector<std::string> kBook = {
    "Первая;one.htm",         "Вторая;two.htm", "\tГлава;",
    "\t\tСтатья;article.htm", "\tЕщё;more.htm", "Третья;three.htm",
};

} // namespace

// ---- the topic tree

TEST_F(TreeTest, LineFieldsFollowTheLayout) {
    struct TCase {
        const char* Name;
        std::string Line;
        bool CaptionFirst;
        std::string Caption;  // UTF-8
        std::string Document; // UTF-8
    };
    const TCase cases[] = {
        {"two fields, caption first", "Глава;doc.htm", true, "Глава", "doc.htm"},
        {"two fields, document first", "Глава;doc.htm", false, "doc.htm", "Глава"},
        {"no separator, caption first", "Только заголовок", true, "Только заголовок", ""},
        {"no separator, document first", "Только заголовок", false, "", "Только заголовок"},
        {"empty line", "", true, "", ""},
        {"document trimmed, caption as written", "Глава ; doc.htm \t", true, "Глава ", "doc.htm"},
        {"second layout keeps the caption's blanks", "doc.htm;  Глава", false, "  Глава",
         "doc.htm"},
        {"second layout ignores the rest", "doc.htm;Глава;pic.bmp;x", false, "Глава", "doc.htm"},
        {"empty document is a heading", "Раздел;", true, "Раздел", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto tree = Tree({c.Line}, c.CaptionFirst);
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* node = tree->topLevelItem(0);
        EXPECT_EQ(cp1251::ToUtf8(tree->CaptionOf(node)), c.Caption);
        ASSERT_EQ(tree->NodeRecords.size(), 1u);
        EXPECT_EQ(cp1251::ToUtf8(tree->NodeRecords[0]->Document), c.Document);
        EXPECT_EQ(tree->NodeRecords[0]->Node, node);
        EXPECT_EQ(tree->RecordOf(node), tree->NodeRecords[0].get());
        EXPECT_EQ(tree->ImageIndexOf(node), -1);
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(TreeTest, IndentationPlacesTheNodes) {
    struct TCase {
        const char* Name;
        std::vector<std::string> Lines;
        const char* Shape;
    };
    const TCase cases[] = {
        {"tabs and blanks count one level each", {"A", "\tB", " \tC", " D", "E"}, "A(B(C) D) E"},
        {"indented first line is top level", {"\t\tA", "B", "\tC"}, "A B(C)"},
        {"indented first line, next one level in", {"\tA", "\tB"}, "A(B)"},
        {"level 3 to level 1", {"A", "\tB", "\t\tC", "\t\t\tD", "\tE", "F"}, "A(B(C(D)) E) F"},
        {"level 3 to level 0", {"A", "\tB", "\t\tC", "\t\t\tD", "E"}, "A(B(C(D))) E"},
        {"empty line is a top-level node", {"A", "", "\tB"}, "A _(B)"},
        // Not the one-level rule: a deeper jump is a child, the lines as deep its siblings.
        {"jump of three levels", {"A", "\t\t\tB", "\t\t\tC", "\tD", "E"}, "A(B C D) E"},
        {"jump, then back to a level between", {"A", "\t\tB", "\tC", "\t\tD"}, "A(B C(D))"},
        {"blanks as two levels each", {"A", "  B", "  C", "    D", "  E", "F"}, "A(B C(D) E) F"},
        {"deep first line, then top level", {"\t\t\tA", "B"}, "A B"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto tree = Tree(c.Lines);
        EXPECT_EQ(ShapeOf(*tree), c.Shape);
        EXPECT_EQ(tree->NodeRecords.size(), c.Lines.size());
        // File order is tree order: a record's index is its node's absolute index.
        for (size_t i = 0; i < tree->NodeRecords.size(); ++i) {
            QTreeWidgetItem* node = tree->NodeRecords[i]->Node;
            EXPECT_EQ(tree->AbsoluteIndex(node), static_cast<int>(i));
            EXPECT_EQ(tree->NodeAtAbsoluteIndex(static_cast<int>(i)), node);
        }
    }
}

TEST_F(TreeTest, DepthStopsAtTheLimitAndEverythingExpands) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i)
        lines.push_back(std::string(static_cast<size_t>(i), '\t') + "N" + std::to_string(i));
    auto tree = std::make_unique<TSkTree>(Page);
    tree->SetOpenBlock(true);
    tree->LoadTreeFile(File("deep.txt", lines));
    ASSERT_EQ(tree->NodeRecords.size(), 1000u);
    int deepest = 0;
    bool allExpanded = true;
    for (const auto& record : tree->NodeRecords) {
        deepest = std::max(deepest, DepthOf(record->Node));
        if (record->Node->childCount() > 0 && !record->Node->isExpanded())
            allExpanded = false;
    }
    EXPECT_EQ(deepest, TSkTree::kMaxDepth - 1); // levels 0 to 255
    EXPECT_TRUE(allExpanded);
    // Past the limit the lines stand side by side at the last level.
    EXPECT_EQ(DepthOf(tree->NodeRecords[999]->Node), TSkTree::kMaxDepth - 1);
    EXPECT_EQ(tree->NodeRecords[999]->Node->parent(), tree->NodeRecords[998]->Node->parent());
    EXPECT_EQ(tree->AbsoluteIndex(tree->NodeRecords[500]->Node), 500);
}

TEST_F(TreeTest, LinesWrittenAsDeepAfterAJumpStandSideBySide) {
    // Were each such line a child of the one before, this file would make a chain 20,000 deep.
    std::vector<std::string> lines = {"Корень"};
    for (int i = 0; i < 20000; ++i)
        lines.push_back("\t\t\t\t\tN" + std::to_string(i));
    auto tree = std::make_unique<TSkTree>(Page);
    tree->SetOpenBlock(true);
    tree->LoadTreeFile(File("wide.txt", lines));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 20000);
    EXPECT_EQ(DepthOf(tree->NodeRecords.back()->Node), 1);
}

TEST_F(TreeTest, LoadingReplacesTheNodesAndAMissingFileLeavesTheTreeEmpty) {
    auto tree = Tree(kBook);
    EXPECT_EQ(tree->TreeFile, Dir.Folder() + "tree.txt");
    EXPECT_EQ(ShapeOf(*tree), "Первая Вторая(Глава(Статья) Ещё) Третья");
    tree->LoadTreeFile(File("other.txt", {"Один;1.htm"}));
    EXPECT_EQ(ShapeOf(*tree), "Один");
    EXPECT_EQ(tree->NodeRecords.size(), 1u);
    tree->LoadTreeFile(Dir.Folder() + "missing.txt");
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(tree->NodeRecords.empty());
    EXPECT_EQ(tree->TreeFile, Dir.Folder() + "missing.txt");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Не найден файл \r\n" +
                                                   cp1251::ToUtf8(Dir.Folder()) + "missing.txt"});
    EXPECT_EQ(tree->FindNodeByDocument("1.htm"), nullptr);
    EXPECT_EQ(tree->FastFind(""), nullptr);
    tree->SelectFirst(); // nothing to select
    EXPECT_EQ(tree->Selected(), nullptr);
}

TEST_F(TreeTest, PicturesAreLoadedOncePerNameAndABrokenOneGivesNoImage) {
    TBitmap picture(2, 1, Argb(0xFF, 0x10, 0x20, 0x30));
    picture.SetPixel(1, 0, Argb(0xFF, 0xFF, 0xFF, 0xFF));
    Dir.Write("pics/book.bmp", EncodeBmp(picture));
    Dir.Write("pics/broken.bmp", "BM not a picture");
    const std::string pics = cp1251::ToUtf8(Dir.Folder()) + "pics/";
    auto tree = Tree({"Книга;a.htm;" + pics + "book.bmp", "Снова;b.htm; " + pics + "BOOK.bmp ",
                      "Нет;c.htm;" + pics + "none.bmp", "Опять нет;d.htm;" + pics + "none.bmp",
                      "Сломана;e.htm;" + pics + "broken.bmp", "Без;f.htm; "});
    EXPECT_EQ(tree->Images.size(), 1u);
    EXPECT_EQ(tree->ImageIndexOf(Item(*tree, "Книга")), 0);
    EXPECT_EQ(tree->ImageIndexOf(Item(*tree, "Снова")), 0);
    EXPECT_FALSE(Item(*tree, "Книга")->icon(0).isNull());
    for (const char* caption : {"Нет", "Опять нет", "Сломана", "Без"}) {
        SCOPED_TRACE(caption);
        EXPECT_EQ(tree->ImageIndexOf(Item(*tree, caption)), -1);
        EXPECT_TRUE(Item(*tree, caption)->icon(0).isNull());
    }
    // Once for the missing picture, once for the broken one.
    const std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Не найден файл \r\n" + pics + "none.bmp");
    EXPECT_NE(messages[1].find("broken.bmp"), std::string::npos);
    // The picture is its own mask: its white pixel is transparent.
    ASSERT_EQ(tree->Images[0].size(), QSize(2, 1));
    EXPECT_EQ(tree->Images[0].pixelColor(0, 0), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(tree->Images[0].pixelColor(1, 0).alpha(), 0);
    // The cache outlives a reload: the same names load nothing again.
    Recorded.Clear();
    tree->LoadTreeFile(Dir.Folder() + "tree.txt");
    EXPECT_EQ(tree->Images.size(), 1u);
    EXPECT_EQ(tree->ImageIndexFor(" " + Dir.Folder() + "pics/Book.BMP"), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(TreeTest, DocumentsAreFoundIgnoringLatinCase) {
    auto tree = Tree({"A;Doc.htm", "B;doc.htm", "C;Папка\\Файл.htm", "D;"});
    struct TCase {
        std::string Name; // UTF-8
        const char* Found;
    };
    const TCase cases[] = {
        {"DOC.HTM", "A"},
        {"doc.htm", "A"},
        {"Папка\\Файл.htm", "C"},
        {"папка\\файл.htm", nullptr}, // Cyrillic letters are compared exactly
        {"", nullptr},                // a heading is no document
        {"doc", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QTreeWidgetItem* node = tree->FindNodeByDocument(W(c.Name));
        EXPECT_EQ(node, c.Found ? Item(*tree, c.Found) : nullptr);
    }
    EXPECT_EQ(tree->SelectedDocument(), "");
    tree->SelectNode(Item(*tree, "D"));
    EXPECT_EQ(tree->SelectedDocument(), ""); // a heading
    tree->SelectNode(Item(*tree, "B"));
    EXPECT_EQ(tree->SelectedDocument(), "doc.htm");
}

TEST_F(TreeTest, FastFindWrapsAroundAndReachesTheSelectedNodeLast) {
    auto tree = Tree({"Альфа;1", "Бета;2", "\tАльфа вторая;3", "Гамма;4", "Бета последняя;5"});
    struct TCase {
        const char* Name;
        const char* Selected; // nullptr: none
        std::string Text;
        const char* Found; // nullptr: none
    };
    const TCase cases[] = {
        {"nothing selected: from the first", nullptr, "альфа", "Альфа"},
        {"from the node after the selected one", "Альфа", "альфа", "Альфа вторая"},
        {"round past the end", "Альфа вторая", "альфа", "Альфа"},
        {"last node selected: from the first", "Бета последняя", "бета", "Бета"},
        {"only the selected node matches", "Гамма", "гамма", "Гамма"},
        {"code-page lower-casing", nullptr, "ГАММА", "Гамма"},
        {"no match", "Бета", "дельта", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        tree->SelectNode(c.Selected ? Item(*tree, c.Selected) : nullptr);
        QTreeWidgetItem* found = tree->FastFind(W(c.Text));
        EXPECT_EQ(found, c.Found ? Item(*tree, c.Found) : nullptr);
    }
}

TEST_F(TreeTest, HistoryKeepsTheLastTwentyVisits) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 25; ++i)
        lines.push_back("Узел " + std::to_string(i) + ";n" + std::to_string(i) + ".htm");
    auto tree = Tree(lines);
    for (int i = 1; i <= 25; ++i)
        tree->SelectNode(Item(*tree, "Узел " + std::to_string(i)));
    ASSERT_EQ(tree->HistoryNodes.size(), 20u);
    ASSERT_EQ(tree->HistoryCaptions.size(), 20u);
    EXPECT_EQ(cp1251::ToUtf8(tree->HistoryCaptions[0]), "Узел 25");
    EXPECT_EQ(cp1251::ToUtf8(tree->HistoryCaptions[19]), "Узел 6");
    EXPECT_EQ(tree->HistoryNodes.front(), Item(*tree, "Узел 6"));
    for (int n = 0; n < 20; ++n) {
        EXPECT_EQ(tree->HistoryNode(n), tree->HistoryNodes[static_cast<size_t>(19 - n)]);
        EXPECT_EQ(tree->CaptionOf(tree->HistoryNode(n)),
                  tree->HistoryCaptions[static_cast<size_t>(n)]);
    }
    EXPECT_EQ(tree->HistoryNode(-1), nullptr);
    EXPECT_EQ(tree->HistoryNode(20), nullptr);
    EXPECT_EQ(tree->HistoryPos, 0);
    // Selecting the node already selected is no visit; selecting none is no visit either.
    tree->SelectNode(Item(*tree, "Узел 25"));
    tree->SelectNode(nullptr);
    EXPECT_EQ(tree->HistoryNodes.size(), 20u);
    EXPECT_EQ(cp1251::ToUtf8(tree->HistoryCaptions[0]), "Узел 25");
}

TEST_F(TreeTest, GoingBackTwiceThenANewVisitKeepsTheOlderEntries) {
    auto tree = Tree(kBook);
    std::vector<std::string> clicked;
    tree->Events.OnClick = [&] { clicked.push_back(tree->SelectedDocument()); };
    for (const char* caption : {"Первая", "Вторая", "Статья"})
        tree->SelectNode(Item(*tree, caption));
    tree->GoHistory(tree->HistoryPos + 1);
    tree->GoHistory(tree->HistoryPos + 1);
    EXPECT_EQ(tree->HistoryPos, 2);
    EXPECT_EQ(tree->Selected(), Item(*tree, "Первая"));
    EXPECT_EQ(clicked, (std::vector<std::string>{"two.htm", "one.htm"}));
    EXPECT_TRUE(tree->RecordHistory);
    EXPECT_EQ(tree->HistoryNodes.size(), 3u); // going through the history records nothing

    tree->GoHistory(tree->HistoryPos - 1); // forward
    EXPECT_EQ(tree->HistoryPos, 1);
    EXPECT_EQ(tree->Selected(), Item(*tree, "Вторая"));
    for (int position : {-1, 3, 100}) // outside the history: nothing happens
        tree->GoHistory(position);
    EXPECT_EQ(tree->HistoryPos, 1);
    EXPECT_EQ(clicked.size(), 3u);

    tree->SelectNode(Item(*tree, "Третья"));
    EXPECT_EQ(tree->HistoryPos, 0);
    std::vector<std::string> captions;
    for (const std::string& caption : tree->HistoryCaptions)
        captions.push_back(cp1251::ToUtf8(caption));
    EXPECT_EQ(captions, (std::vector<std::string>{"Третья", "Статья", "Вторая", "Первая"}));
}

TEST_F(TreeTest, AReloadKeepsTheHistoryButItsNodesSelectNothing) {
    auto tree = Tree(kBook);
    int clicks = 0;
    tree->Events.OnClick = [&] { ++clicks; };
    tree->SelectNode(Item(*tree, "Первая"));
    tree->SelectNode(Item(*tree, "Вторая"));
    tree->LoadTreeFile(Dir.Folder() + "tree.txt");
    EXPECT_EQ(tree->HistoryCaptions.size(), 2u);
    EXPECT_EQ(tree->HistoryNode(0), nullptr);
    EXPECT_EQ(tree->HistoryNode(1), nullptr);

    tree->SelectNode(Item(*tree, "Третья"));
    tree->GoHistory(2); // the old "Первая"
    EXPECT_EQ(tree->HistoryPos, 2);
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(tree->RecordHistory);
    tree->GoHistory(0);
    EXPECT_EQ(tree->Selected(), Item(*tree, "Третья"));
    EXPECT_EQ(clicks, 1);
}

TEST_F(TreeTest, GoingThroughTheHistorySwallowsTheClicksErrors) {
    auto tree = Tree(kBook);
    tree->SelectNode(Item(*tree, "Первая"));
    tree->SelectNode(Item(*tree, "Вторая"));
    tree->Events.OnClick = [] { throw std::runtime_error("broken action"); };
    tree->GoHistory(1);
    EXPECT_EQ(tree->Selected(), Item(*tree, "Первая"));
    EXPECT_TRUE(tree->RecordHistory);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    // A click elsewhere shows what went wrong.
    tree->FireClick();
    EXPECT_EQ(Messages(), std::vector<std::string>{"broken action"});
}

TEST_F(TreeTest, NextAndPreviousMoveOverVisibleNodesAndClick) {
    auto tree = Tree(kBook);
    std::vector<std::string> clicked;
    tree->Events.OnClick = [&] { clicked.push_back(Caption(tree->Selected())); };
    tree->SelectNext(); // nothing selected: nothing happens
    tree->SelectFirst();
    EXPECT_EQ(tree->Selected(), Item(*tree, "Первая"));
    tree->SelectNext();
    tree->SelectNext(); // "Глава" and "Ещё" are hidden in the collapsed "Вторая"
    tree->SelectNext(); // the last visible node: nothing
    Item(*tree, "Вторая")->setExpanded(true);
    tree->SelectPrev();
    tree->SelectPrev();
    EXPECT_EQ(clicked, (std::vector<std::string>{"Вторая", "Третья", "Ещё", "Глава"}));
    EXPECT_FALSE(Item(*tree, "Глава")->isExpanded()); // moving expands nothing
}

TEST_F(TreeTest, NavigationButtonsFollowTheSelection) {
    auto tree = Tree(kBook);
    TSkSpeedButton next(Page), previous(Page);
    tree->NextButton = &next;
    tree->PrevButton = &previous;
    struct TCase {
        const char* Selected;
        bool Next;
        bool Previous;
    };
    const TCase cases[] = {
        {"Первая", true, false}, {"Вторая", true, true}, {"Третья", false, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Selected);
        tree->SelectNode(Item(*tree, c.Selected));
        EXPECT_EQ(next.isEnabled(), c.Next);
        EXPECT_EQ(previous.isEnabled(), c.Previous);
    }
    tree->SelectNode(nullptr); // no selection: the buttons keep their state
    EXPECT_FALSE(next.isEnabled());
    EXPECT_TRUE(previous.isEnabled());
    tree->RecordHistory = false; // the buttons follow also while nothing is recorded
    tree->SelectNode(Item(*tree, "Первая"));
    EXPECT_TRUE(next.isEnabled());
    EXPECT_FALSE(previous.isEnabled());
    // A node inside collapsed branches (a link the view followed) is shown with its neighbours.
    tree->SelectNode(Item(*tree, "Статья"));
    EXPECT_TRUE(Item(*tree, "Вторая")->isExpanded());
    EXPECT_TRUE(Item(*tree, "Глава")->isExpanded());
    EXPECT_TRUE(next.isEnabled());
    EXPECT_TRUE(previous.isEnabled());
}

// A node with children shows an expand button in its indentation whatever the style sheet; a
// document shows none.
TEST_F(TreeTest, OnlyBranchesDrawAnExpandButton) {
    auto tree = Tree(kBook);
    tree->setStyleSheet(QStringLiteral("QTreeView { background-color: #ffffff; color: #000000; }"));
    Page->show();
    QApplication::processEvents();
    const QImage shot = tree->viewport()->grab().toImage();
    auto inkIn = [&](const char* caption) {
        const QRect row = tree->visualItemRect(Item(*tree, caption));
        int ink = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = 0; x < tree->indentation(); ++x)
                if (qGray(shot.pixel(x, y)) < 200)
                    ++ink;
        return ink;
    };
    EXPECT_GT(inkIn("Вторая"), 4);
    EXPECT_EQ(inkIn("Третья"), 0);
}

TEST_F(TreeTest, OpenBlockExpandsEverythingAtLoadAndWhenSwitchedOn) {
    auto tree = Tree(kBook);
    EXPECT_FALSE(Item(*tree, "Вторая")->isExpanded());
    tree->SetOpenBlock(true);
    EXPECT_TRUE(Item(*tree, "Вторая")->isExpanded());
    EXPECT_TRUE(Item(*tree, "Глава")->isExpanded());
    tree->LoadTreeFile(Dir.Folder() + "tree.txt");
    EXPECT_TRUE(Item(*tree, "Глава")->isExpanded());
    tree->SetOpenBlock(false); // only the buttons come back
    EXPECT_TRUE(Item(*tree, "Глава")->isExpanded());
    EXPECT_FALSE(tree->OpenBlock);
    tree->CollapseAllNodes();
    EXPECT_FALSE(Item(*tree, "Вторая")->isExpanded());
    tree->ExpandAllNodes();
    EXPECT_TRUE(Item(*tree, "Глава")->isExpanded());
    EXPECT_TRUE(tree->isVisible());
}

TEST_F(TreeTest, ShowOrHideKeepsThePosition) {
    auto tree = Tree(kBook);
    SetBounds(tree.get(), QRect(30, 40, 200, 150));
    tree->ToggleVisible();
    EXPECT_FALSE(IsShown(tree.get()));
    SetBounds(tree.get(), QRect(0, 0, 200, 150));
    tree->ToggleVisible();
    EXPECT_TRUE(IsShown(tree.get()));
    EXPECT_EQ(tree->geometry().topLeft(), QPoint(30, 40));
}

TEST_F(TreeTest, KeysAndMouseFireTheClick) {
    auto tree = Tree(kBook);
    std::vector<std::string> clicked;
    tree->Events.OnClick = [&] { clicked.push_back(Caption(tree->Selected())); };
    tree->setFocus();
    tree->SelectFirst();
    SendKey(tree.get(), QEvent::KeyPress, Qt::Key_Down);
    SendKey(tree.get(), QEvent::KeyRelease, Qt::Key_Down);
    SendKey(tree.get(), QEvent::KeyRelease, Qt::Key_Down, {}, true); // auto-repeat: no click
    SendKey(tree.get(), QEvent::KeyRelease, Qt::Key_Shift);          // any key
    EXPECT_EQ(clicked, (std::vector<std::string>{"Вторая", "Вторая"}));

    clicked.clear();
    const QPoint third = tree->visualItemRect(Item(*tree, "Третья")).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, third);
    EXPECT_EQ(clicked, (std::vector<std::string>{"Третья"}));
    QTest::mouseClick(tree->viewport(), Qt::RightButton, Qt::NoModifier, third);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(TreeTest, DoubleClickTogglesTheSelectedNodeOnly) {
    auto tree = Tree(kBook);
    int clicks = 0;
    tree->Events.OnClick = [&] { ++clicks; };
    QTreeWidgetItem* second = Item(*tree, "Вторая");
    const QPoint at = tree->visualItemRect(second).center();
    DoubleClick(tree->viewport(), at);
    EXPECT_TRUE(second->isExpanded());
    EXPECT_FALSE(Item(*tree, "Глава")->isExpanded()); // not its children
    DoubleClick(tree->viewport(), at);
    EXPECT_FALSE(second->isExpanded());
    EXPECT_EQ(clicks, 2); // the first half of each double click is a click

    // With no node selected a double click on the empty part changes nothing.
    tree->SelectNode(nullptr);
    DoubleClick(tree->viewport(), QPoint(150, 270));
    EXPECT_FALSE(second->isExpanded());
}

TEST_F(TreeTest, CreationSettingsAndSelectionWithoutFiring) {
    TSkTree tree(Page);
    EXPECT_TRUE(tree.isHeaderHidden());
    EXPECT_EQ(tree.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(tree.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(tree.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(tree.frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(tree.Bordered);
    EXPECT_TRUE(tree.RecordHistory);
    EXPECT_TRUE(tree.CaptionFirst);
    EXPECT_EQ(tree.SelectFont.Color, RGBColor(255, 255, 255));
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    EXPECT_EQ(tree.SelectColor, RGBColor(highlight.red(), highlight.green(), highlight.blue()));
    tree.SetBordered(true);
    EXPECT_EQ(tree.frameShape(), QFrame::StyledPanel);

    auto loaded = Tree(kBook);
    int clicks = 0;
    loaded->Events.OnClick = [&] { ++clicks; };
    loaded->SelectNode(Item(*loaded, "Статья")); // inside a collapsed branch
    EXPECT_EQ(loaded->Selected(), Item(*loaded, "Статья"));
    EXPECT_TRUE(Item(*loaded, "Глава")->isExpanded()); // made visible
    loaded->SelectNode(nullptr);
    EXPECT_EQ(loaded->Selected(), nullptr);
    EXPECT_EQ(clicks, 0);
    loaded->FireClick();
    EXPECT_EQ(clicks, 1);
    TSkTree silent(Page);
    silent.FireClick(); // no handler: nothing happens
}

TEST_F(TreeTest, SelectedRowIsDrawnInTheSelectColourAndFontAlsoWithoutFocus) {
    auto tree = Tree(kBook);
    tree->SetOpenBlock(true);
    tree->SelectColor = RGBColor(200, 30, 40);
    tree->SelectFont.Size = 14;
    tree->SelectFont.Bold = true;
    tree->SelectStyleChanged();
    QTreeWidgetItem* article = Item(*tree, "Статья");
    tree->SelectNode(article);
    tree->clearFocus();
    ASSERT_FALSE(tree->hasFocus());
    const QRect row = tree->visualItemRect(article);
    // At the row's right end (past the caption) and in its indentation: the whole row.
    EXPECT_EQ(PixelAt(tree->viewport(), QPoint(row.right() - 2, row.center().y())),
              QColor(200, 30, 40));
    EXPECT_EQ(PixelAt(tree->viewport(), QPoint(3, row.center().y())), QColor(200, 30, 40));
    const QRect other = tree->visualItemRect(Item(*tree, "Третья"));
    EXPECT_NE(PixelAt(tree->viewport(), QPoint(other.right() - 2, other.center().y())),
              QColor(200, 30, 40));
    EXPECT_TRUE(tree->NodeFont(article).bold());
    EXPECT_EQ(tree->NodeFont(article).pointSize(), 14);
    EXPECT_FALSE(tree->NodeFont(Item(*tree, "Третья")).bold());

    tree->SetBackColor(RGBColor(10, 200, 20));
    EXPECT_EQ(PixelAt(tree->viewport(), QPoint(150, tree->viewport()->height() - 3)),
              QColor(10, 200, 20));
}

// ---- the checkable tree

TEST_F(TreeTest, CheckableTreeLinesCutAtTheFirstSemicolon) {
    struct TCase {
        const char* Name;
        std::string Line;
        std::string Caption;  // UTF-8
        const char* Document; // nullptr: a heading without record
    };
    const TCase cases[] = {
        {"caption and document", "Глава;doc.htm", "Глава", "doc.htm"},
        {"two separators", "Глава;doc.htm;second", "Глава", "doc.htm;second"},
        {"nothing trimmed", "Глава ; doc.htm ", "Глава ", " doc.htm "},
        {"no separator: a heading", "Раздел", "Раздел", nullptr},
        {"empty document: a heading", "Раздел;", "Раздел", nullptr},
        {"empty line", "", "", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto tree = TreeEx({c.Line}, true);
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* item = tree->topLevelItem(0);
        EXPECT_EQ(cp1251::ToUtf8(tree->CaptionOf(item)), c.Caption);
        if (c.Document) {
            ASSERT_EQ(tree->ItemRecords.size(), 1u);
            EXPECT_EQ(tree->ItemRecords[0]->Document, c.Document);
            EXPECT_EQ(tree->RecordOf(item), tree->ItemRecords[0].get());
            EXPECT_EQ(tree->ItemRecords[0]->Checked, 0);
            EXPECT_TRUE(tree->HasCheckBox(item));
            EXPECT_EQ(item->checkState(0), Qt::Unchecked);
        } else {
            EXPECT_TRUE(tree->ItemRecords.empty());
            EXPECT_EQ(tree->RecordOf(item), nullptr);
            EXPECT_FALSE(tree->HasCheckBox(item));
        }
    }
}

TEST_F(TreeTest, CheckableTreePlacesItemsAsTheTopicTreeDoes) {
    auto tree = TreeEx({"\tA;a", "B", "\tC;c", "\t\tD;d", "E;e", "\t\t\tF;f"}, false);
    EXPECT_EQ(ShapeOf(*tree), "A B(C(D)) E(F)");
    ASSERT_EQ(tree->ItemRecords.size(), 5u);
    EXPECT_EQ(tree->ItemRecords[1]->Document, "c"); // file order, headings left out
    EXPECT_EQ(tree->FindItemByDocument("D"), Item(*tree, "D"));
    EXPECT_EQ(tree->FindItemByDocument("x"), nullptr);
    EXPECT_FALSE(tree->HasCheckBox(Item(*tree, "A"))); // loaded without check boxes
    tree->LoadTreeExFile(Dir.Folder() + "missing.txt");
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(tree->ItemRecords.empty());
    EXPECT_EQ(tree->FindItemByDocument("a"), nullptr);
}

TEST_F(TreeTest, CheckOperationsMirrorTheirStateInTheRecords) {
    auto tree = TreeEx({"Раздел", "\tA;a", "\tB;b", "C;c"}, true);
    auto checks = [&] {
        std::string states;
        for (const auto& record : tree->ItemRecords)
            states += record->Item->checkState(0) == Qt::Checked ? '1' : '0';
        states += '/';
        for (const auto& record : tree->ItemRecords)
            states += static_cast<char>('0' + record->Checked);
        return states;
    };
    tree->CheckAll();
    EXPECT_EQ(checks(), "111/111");
    EXPECT_FALSE(tree->HasCheckBox(Item(*tree, "Раздел")));
    tree->ClearChecks();
    EXPECT_EQ(checks(), "000/000");
    tree->ToggleSelectedCheck(); // nothing selected
    tree->SetSelectedChecked(true);
    EXPECT_EQ(checks(), "000/000");
    tree->SelectItem(Item(*tree, "B"));
    tree->ToggleSelectedCheck();
    EXPECT_EQ(checks(), "010/010");
    tree->SetSelectedChecked(false);
    EXPECT_EQ(checks(), "000/000");
    // Checked by the user: the record follows; a heading has nothing to check.
    Item(*tree, "C")->setCheckState(0, Qt::Checked);
    EXPECT_EQ(checks(), "001/001");
    tree->SelectItem(Item(*tree, "Раздел"));
    tree->ToggleSelectedCheck();
    tree->SetSelectedChecked(true);
    EXPECT_EQ(checks(), "001/001");

    // Loaded without check boxes: checking all changes nothing.
    auto plain = TreeEx({"A;a", "B;b"}, false);
    plain->CheckAll();
    for (const auto& record : plain->ItemRecords) {
        EXPECT_FALSE(plain->HasCheckBox(record->Item));
        EXPECT_EQ(record->Checked, 0);
    }
    plain->CheckBoxes = true; // too late for the items already loaded
    plain->CheckAll();
    EXPECT_FALSE(plain->HasCheckBox(plain->ItemRecords[0]->Item));
}

TEST_F(TreeTest, SpaceGoesToTheKeyHookAndDoubleClickUnchecks) {
    auto tree = TreeEx({"A;a", "B;b"}, true);
    std::vector<int> keys;
    tree->Events.OnKeyDown = [&](int key, int) {
        keys.push_back(key);
        if (key == 32)
            tree->ToggleSelectedCheck(); // as the engine's KeyControl does
    };
    QTreeWidgetItem* a = Item(*tree, "A");
    tree->setFocus();
    tree->SelectItem(a);
    tree->SetSelectedChecked(true);
    SendKey(tree.get(), QEvent::KeyPress, Qt::Key_Space, " ");
    EXPECT_EQ(a->checkState(0), Qt::Unchecked); // inverted once, not back again by Qt
    EXPECT_EQ(tree->RecordOf(a)->Checked, 0);
    SendKey(tree.get(), QEvent::KeyPress, Qt::Key_Down);
    EXPECT_EQ(keys, (std::vector<int>{32, 0x28}));
    EXPECT_EQ(tree->Selected(), Item(*tree, "B"));

    tree->Events.OnKeyDown = nullptr; // without the hook the space bar does nothing
    SendKey(tree.get(), QEvent::KeyPress, Qt::Key_Space, " ");
    EXPECT_EQ(Item(*tree, "B")->checkState(0), Qt::Unchecked);

    QTreeWidgetItem* b = Item(*tree, "B");
    tree->SetSelectedChecked(true);
    QRect text = tree->visualItemRect(b);
    DoubleClick(tree->viewport(), QPoint(text.right() - 10, text.center().y()));
    EXPECT_EQ(b->checkState(0), Qt::Unchecked);
    EXPECT_EQ(tree->RecordOf(b)->Checked, 0);
}

TEST_F(TreeTest, ExpandingATopLevelBranchClosesTheOthers) {
    auto tree = TreeEx({"A", "\tA1;a1", "\tA2", "\t\tA21;a21", "B", "\tB1;b1"}, false);
    QTreeWidgetItem* a = Item(*tree, "A");
    QTreeWidgetItem* b = Item(*tree, "B");
    a->setExpanded(true);
    Item(*tree, "A2")->setExpanded(true); // not a top-level item: nothing else closes
    EXPECT_TRUE(a->isExpanded());
    b->setExpanded(true);
    EXPECT_TRUE(b->isExpanded());
    EXPECT_FALSE(a->isExpanded());
    EXPECT_FALSE(Item(*tree, "A2")->isExpanded());

    // Making an item visible opens its branch from the top down, so its parents stay open.
    tree->MakeVisible(Item(*tree, "A21"));
    EXPECT_TRUE(a->isExpanded());
    EXPECT_TRUE(Item(*tree, "A2")->isExpanded());
    EXPECT_FALSE(b->isExpanded());
}

TEST_F(TreeTest, ANewlySelectedItemRaisesTheSelectionEvent) {
    auto tree = TreeEx({"A", "\tA1;a1", "B;b", "\tB1;b1", "C;c"}, false);
    std::vector<std::string> selected;
    int clicks = 0;
    tree->OnItemSelected = [&](QTreeWidgetItem* item) { selected.push_back(Caption(item)); };
    tree->Events.OnClick = [&] { ++clicks; };
    tree->SelectItem(Item(*tree, "A"));
    EXPECT_TRUE(Item(*tree, "A")->isExpanded()); // selecting expands
    tree->SelectItem(Item(*tree, "A"));          // not newly selected
    tree->SelectItem(nullptr);                   // nothing selected now
    EXPECT_EQ(selected, (std::vector<std::string>{"A"}));

    selected.clear();
    tree->SelectItem(Item(*tree, "A1"));
    tree->SelectNext(); // "B", not expanded on the way
    EXPECT_FALSE(Item(*tree, "B")->isExpanded());
    tree->SelectNext();
    tree->SelectNext(); // the last visible item: nothing
    tree->SelectPrev();
    EXPECT_TRUE(tree->AutoExpand);
    EXPECT_EQ(selected, (std::vector<std::string>{"A1", "B", "C", "B"}));

    // A click that selects runs the action once, through the selection; a click on the
    // selected item is a click.
    selected.clear();
    const QPoint c = tree->visualItemRect(Item(*tree, "C")).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, c);
    EXPECT_EQ(selected, (std::vector<std::string>{"C"}));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, c);
    EXPECT_EQ(selected.size(), 1u);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(tree->SelectedDocument(), "c");
}

TEST_F(TreeTest, CheckableTreeShowOrHideAndColours) {
    auto tree = TreeEx({"A;a", "B;b"}, false);
    tree->ToggleVisible();
    EXPECT_FALSE(IsShown(tree.get()));
    tree->ToggleVisible();
    EXPECT_TRUE(IsShown(tree.get()));
    tree->SetColor(TSkTreeEx::TColorPart::Back, RGBColor(10, 200, 20));
    tree->SetColor(TSkTreeEx::TColorPart::SelectBack, RGBColor(200, 30, 40));
    tree->SelectItem(Item(*tree, "A"));
    EXPECT_EQ(PixelAt(tree->viewport(), QPoint(150, tree->viewport()->height() - 3)),
              QColor(10, 200, 20));
    const QRect a = tree->visualItemRect(Item(*tree, "A"));
    EXPECT_EQ(PixelAt(tree->viewport(), QPoint(a.right() - 2, a.center().y())),
              QColor(200, 30, 40));
    EXPECT_TRUE(tree->Bordered);
    tree->SetBordered(false);
    EXPECT_EQ(tree->frameShape(), QFrame::NoFrame);
}
