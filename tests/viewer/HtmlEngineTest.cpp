// The document view as a structure file makes it: its keys, its links to a tree and a label, its
// command links through the dispatcher, and the html_* actions.

#include "engine/StructWindow.h"

#include "SkinControl/SkTree.h"
#include "archive/Archive.h"
#include "platform/QtText.h"
#include "viewer/SkHtml.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TMessages = std::vector<std::string>;

std::string Lines(const std::string& tag) {
    std::string body;
    for (int i = 0; i < 100; ++i)
        body += "<p>" + tag + " " + std::to_string(i) + "</p>\n";
    return body;
}

struct THtmlWindow : TStructWindow {
    std::vector<std::string> Handed;
    THtmlWindow() {
        OnAction = [this](const RHelpAction& action) {
            Handed.push_back(cp1251::ToUtf8(action.Command));
        };
        File("tree.txt", "Первая;a.htm\nВторая;b.htm\nТретья;c.htm\n");
        File("a.htm", "<html><head><title>Первая</title></head><body>"
                      "<p><a href=\"$hello*Мир\">команда</a> <a href=\"b.htm\">дальше</a></p>" +
                          Lines("a") + "</body></html>");
        File("b.htm",
             "<html><head><title>Вторая</title></head><body>" + Lines("b") + "</body></html>");
        File("c.htm",
             "<html><head><title>Третья</title></head><body>" + Lines("c") + "</body></html>");
        Build("[main]\ntype=form\nwidth=800\nheight=600\n"
              "[title]\ntype=label\nwidth=300\nheight=20\n"
              "[t]\ntype=tree\nwidth=200\nheight=400\naction=load\nload=tree.txt\n"
              "[html]\ntype=html\nwidth=500\nheight=300\naction=pre\ncolor=#102030\n"
              "font_size=14\nmove_cursor=0\nlabel_title=title\nlink_tree=t\nload=a.htm\n");
        Form->show();
    }
};

TEST(HtmlEngineTest, KeysOfTheViewTakeEffect) {
    THtmlWindow w;
    auto* view = w.Find<TSkHtml>("html");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(w.Messages(), TMessages{});
    EXPECT_EQ(view->Action, "pre");
    EXPECT_EQ(view->Viewer->palette().color(QPalette::Base), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(view->Viewer->document()->defaultFont().pointSize(), 14);
    EXPECT_EQ(view->TitleLabel, w.Find<TSkLabel>("title"));
    EXPECT_EQ(view->LinkedTree, w.Find<TSkTree>("t"));
    EXPECT_FALSE(view->MoveCursor);
    EXPECT_EQ(StripBasePath(view->CurrentFile(), w.Dir.Folder()), "a.htm");
    EXPECT_EQ(cp1251::ToUtf8(w.Find<TSkLabel>("title")->FullCaption), "Первая");
    EXPECT_TRUE(view->OnAction != nullptr);
}

TEST(HtmlEngineTest, HistoryAndTopActionsThroughTheDispatcher) {
    THtmlWindow w;
    auto* view = w.Find<TSkHtml>("html");
    auto* tree = w.Find<TSkTree>("t");
    auto* label = w.Find<TSkLabel>("title");
    ASSERT_NE(view, nullptr);
    auto shown = [&] { return StripBasePath(view->CurrentFile(), w.Dir.Folder()); };
    w.Run("html_load*html*b.htm");
    EXPECT_EQ(tree->SelectedDocument(), "b.htm");
    w.Run("html_load*html*c.htm");
    EXPECT_EQ(shown(), "c.htm");
    EXPECT_EQ(cp1251::ToUtf8(label->FullCaption), "Третья");

    w.Run("html_back*html");
    EXPECT_EQ(shown(), "b.htm");
    EXPECT_EQ(cp1251::ToUtf8(label->FullCaption), "Вторая");
    EXPECT_EQ(tree->SelectedDocument(), "b.htm");
    w.Run("html_back*html");
    EXPECT_EQ(shown(), "a.htm");
    EXPECT_EQ(tree->SelectedDocument(), "a.htm");
    w.Run("html_forward*html");
    EXPECT_EQ(shown(), "b.htm");
    EXPECT_EQ(cp1251::ToUtf8(label->FullCaption), "Вторая");
    w.Run("html_go_history*html*0");
    EXPECT_EQ(shown(), "c.htm");

    view->SetPosition(400);
    ASSERT_EQ(view->Position(), 400);
    w.Run("html_go_top*html");
    EXPECT_EQ(view->Position(), 0);
    EXPECT_EQ(view->VertBar->value(), 0);
    // The tree's own action never ran: only the engine's commands reached the window.
    EXPECT_EQ(w.Handed, TMessages{});
    EXPECT_EQ(w.Messages(), TMessages{});
}

TEST(HtmlEngineTest, LoadingByActionKeepsTreeAndViewInStep) {
    THtmlWindow w;
    auto* view = w.Find<TSkHtml>("html");
    auto* tree = w.Find<TSkTree>("t");
    ASSERT_NE(view, nullptr);
    auto shown = [&] { return StripBasePath(view->CurrentFile(), w.Dir.Folder()); };
    // An anchor is no part of the document's name in the tree.
    w.Run("html_load*html*b.htm#part");
    EXPECT_EQ(shown(), "b.htm");
    EXPECT_EQ(tree->SelectedDocument(), "b.htm");
    // A document that is not there: the view says so and keeps its page, the tree its node.
    w.Run("html_load*html*gone.htm");
    EXPECT_EQ(w.Messages(), TMessages{"Команда html_load*html*gone.htm не выполнена: "
                                      "Не найден файл (HtmlView): gone.htm"});
    EXPECT_EQ(shown(), "b.htm");
    EXPECT_EQ(tree->SelectedDocument(), "b.htm");
    EXPECT_EQ(view->History().size(), 2u);
}

TEST(HtmlEngineTest, LinksOfADocumentReachTheDispatcherAndTheTree) {
    THtmlWindow w;
    auto* view = w.Find<TSkHtml>("html");
    auto* tree = w.Find<TSkTree>("t");
    ASSERT_NE(view, nullptr);
    auto click = [&](const char* text) {
        const QTextCursor found = view->Viewer->document()->find(QString::fromUtf8(text));
        ASSERT_FALSE(found.isNull());
        QTextCursor middle(view->Viewer->document());
        middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
        QTest::mouseClick(view->Viewer->viewport(), Qt::LeftButton, {},
                          view->Viewer->cursorRect(middle).center());
    };
    // The command is not the engine's: it reaches the window with the view's action in front.
    click("команда");
    EXPECT_EQ(w.Handed, TMessages{"pre*hello*Мир"});
    click("дальше");
    EXPECT_EQ(StripBasePath(view->CurrentFile(), w.Dir.Folder()), "b.htm");
    EXPECT_EQ(tree->SelectedDocument(), "b.htm");
    EXPECT_EQ(w.Handed, TMessages{"pre*hello*Мир"}); // the tree's "load" did not run
    EXPECT_EQ(w.Messages(), TMessages{});
}

} // namespace
