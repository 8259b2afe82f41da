// The document view over small discs in temporary folders: documents in the archive and loose,
// missing and oversized documents, command and picture links, the linked tree and title label,
// history, find, anchors and the skinned bars.

#include "common/TestSupport.h"

#include "SkinControl/SkLabel.h"
#include "SkinControl/SkTree.h"
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "viewer/HtmlLoader.h"
#include "viewer/SkHtml.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string PngBytes(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A page of a title and body (UTF-8), as a disc holds it (Windows-1251).
std::string Page(const std::string& title, const std::string& body, const std::string& head = {}) {
    return W("<html><head><title>" + title + "</title>" + head + "</head><body>" + body +
             "</body></html>");
}

// Lines enough to scroll a view a few times over.
std::string LongBody(const std::string& tag, int lines = 120) {
    std::string body;
    for (int i = 0; i < lines; ++i)
        body += "<p>" + tag + " line " + std::to_string(i) + "</p>";
    return body;
}

// A program folder with recorded dialogs and shell, modal windows that never block, and a view
// shown at a fixed size. The archive, when a test opens one, is closed afterwards.
class TViewTest : public ::testing::Test {
protected:
    TViewTest() {
        SetProgramFolderOverride(Dir.Folder());
        SetModalRunner([this](QWidget*) { ++ModalRuns; });
        SetMenuRunner([](QMenu*, const QPoint&) {});
    }
    ~TViewTest() override {
        View.reset();
        CloseArchive();
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
        SetProgramFolderOverride("");
    }

    TSkHtml& MakeView() {
        View = std::make_unique<TSkHtml>(nullptr);
        View->resize(500, 300);
        View->show();
        return *View;
    }

    void File(const std::string& name, const std::string& bytes) const { Dir.Write(name, bytes); }

    std::string Text() const { return FromQString(View->Viewer->toPlainText()); }
    std::string Full(const std::string& relative) const { return Dir.Folder() + relative; }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const std::string& text : Dialogs.Messages())
            texts.push_back(cp1251::ToUtf8(text));
        return texts;
    }

    // A click on the middle of a text (UTF-8) of the page, as the reader clicks a link.
    void Click(const std::string& utf8) {
        const QTextCursor found = View->Viewer->document()->find(QString::fromStdString(utf8));
        ASSERT_FALSE(found.isNull()) << utf8;
        QTextCursor middle(View->Viewer->document());
        middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
        QRect at = View->Viewer->cursorRect(middle);
        const int height = View->Viewer->viewport()->height();
        if (at.top() < 0 || at.bottom() > height) {
            View->SetPosition(View->Position() + at.top() - height / 2);
            at = View->Viewer->cursorRect(middle);
        }
        ASSERT_GE(at.center().y(), 0) << utf8;
        ASSERT_LT(at.center().y(), View->Viewer->viewport()->height()) << utf8;
        QTest::mouseClick(View->Viewer->viewport(), Qt::LeftButton, {}, at.center());
    }

    // The full names of the history, newest first, relative to the program folder.
    std::vector<std::string> HistoryFiles() const {
        std::vector<std::string> files;
        for (const THtmlHistoryEntry& entry : View->History())
            files.push_back(StripBasePath(entry.File, Dir.Folder()));
        return files;
    }
    std::string Shown() const { return StripBasePath(View->CurrentFile(), Dir.Folder()); }

    TTempDir Dir;
    TRecordingDialogs Dialogs;
    TRecordingShell ShellLog;
    TDialogsGuard DialogsGuard{&Dialogs};
    TShellGuard ShellGuard{&ShellLog};
    std::unique_ptr<TSkHtml> View;
    int ModalRuns = 0;
};

// ---- archive and disk ----

struct TShownPage {
    std::string Text, Title, Current;
    QSize Picture;
    Qt::Alignment RightAlign;
    QColor RightColour;
    std::string AfterBack; // the text after following the "..\" link
    std::string AfterBackFile;
    std::vector<std::string> Messages;
};

const std::map<std::string, std::string>& DiscFiles() {
    static const std::map<std::string, std::string> files = {
        {"a.htm", Page("Первая", "<p>Первый документ</p>")},
        {"docs\\b.htm", Page("Вторая",
                             "<p class=\"r\">Справа красным</p><p><img src=\"./img/p.png\"></p>"
                             "<p><a href=\"..\\a.htm\">Назад</a></p>",
                             "<link rel=\"stylesheet\" href=\"../docs/css/s.css\">")},
        {"docs\\css\\s.css", ".r { text-align: right; color: #FF0000 }"},
        {"docs\\img\\p.png", PngBytes(7, 5, Qt::blue)},
    };
    return files;
}

class TSameShowTest : public TViewTest {
protected:
    TShownPage ShowDisc() {
        TSkHtml& view = MakeView();
        view.LoadFile("docs\\b.htm");
        TShownPage shown;
        shown.Text = cp1251::ToUtf8(Text());
        shown.Title = cp1251::ToUtf8(view.Title());
        shown.Current = Shown();
        QTextDocument* document = view.Viewer->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (block.text().contains(QStringLiteral("Справа"))) {
                shown.RightAlign = block.blockFormat().alignment();
                shown.RightColour = block.begin().fragment().charFormat().foreground().color();
            }
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (format.isImageFormat()) {
                    const QVariant picture = document->resource(
                        QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
                    shown.Picture = picture.value<QImage>().size();
                }
            }
        }
        Click("Назад");
        shown.AfterBack = cp1251::ToUtf8(Text());
        shown.AfterBackFile = Shown();
        shown.Messages = Messages();
        return shown;
    }
};

TEST_F(TSameShowTest, ADocumentInTheArchiveShowsAsTheSameFilesOnDisk) {
    for (const auto& [name, bytes] : DiscFiles()) {
        std::string host = name;
        for (char& c : host)
            if (c == '\\')
                c = '/';
        File(host, bytes);
    }
    const TShownPage loose = ShowDisc();
    EXPECT_EQ(loose.Title, "Вторая");
    EXPECT_EQ(loose.Current, "docs\\b.htm");
    EXPECT_NE(loose.Text.find("Справа красным"), std::string::npos);
    EXPECT_EQ(loose.Picture, QSize(7, 5));
    EXPECT_TRUE(loose.RightAlign & Qt::AlignRight);
    EXPECT_EQ(loose.RightColour, QColor(0xFF, 0, 0));
    EXPECT_NE(loose.AfterBack.find("Первый документ"), std::string::npos);
    EXPECT_EQ(loose.AfterBackFile, "a.htm");
    EXPECT_EQ(loose.Messages, std::vector<std::string>{});

    // The same files packed in another program folder, nothing of them on disk.
    TTempDir packed;
    SetProgramFolderOverride(packed.Folder());
    std::vector<TArchiveItem> items;
    for (const auto& [name, bytes] : DiscFiles())
        items.push_back({name, bytes, static_cast<uint8_t>(name == "a.htm" ? 1 : 0)});
    packed.Write("interface.dat", BuildArchive(items));
    ASSERT_TRUE(OpenArchive("interface.dat"));
    const TShownPage archived = ShowDisc();
    EXPECT_EQ(archived.Title, loose.Title);
    EXPECT_EQ(StripBasePath(View->CurrentFile(), packed.Folder()), "a.htm");
    EXPECT_EQ(archived.Text, loose.Text);
    EXPECT_EQ(archived.Picture, loose.Picture);
    EXPECT_EQ(archived.RightAlign, loose.RightAlign);
    EXPECT_EQ(archived.RightColour, loose.RightColour);
    EXPECT_EQ(archived.AfterBack, loose.AfterBack);
    EXPECT_EQ(archived.Messages, std::vector<std::string>{});
}

TEST_F(TViewTest, MissingPicturesAndSheetsAreSaidOnceAndLeftOut) {
    File("a.htm", Page("А", "<p><img src=\"none.png\"><img src=\"none.png\">text</p>",
                       "<link rel=\"stylesheet\" href=\"none.css\">"));
    MakeView().LoadFile("a.htm");
    EXPECT_NE(Text().find("text"), std::string::npos);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Не найден файл \r\n" + Full("none.css") +
                                                   "\r\n" + Full("none.png")});
}

// ---- failures ----

TEST_F(TViewTest, AMissingDocumentIsRefusedAndTheViewKeepsItsPlace) {
    File("a.htm", Page("А", LongBody("a") + "<p><a href=\"gone.htm\">gone</a></p>"));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    view.SetPosition(200);
    const std::string text = Text();
    try {
        view.LoadFile("gone.htm#x");
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(cp1251::ToUtf8(error.what()), "Не найден файл (HtmlView): gone.htm");
    }
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(view.Position(), 200);
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_EQ(HistoryFiles(), std::vector<std::string>{"a.htm"});

    // A link to it says the same through the message box, with the name it was looked for by.
    Click("gone");
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Не найден файл (HtmlView): " + Full("gone.htm")});
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_EQ(HistoryFiles(), std::vector<std::string>{"a.htm"});
}

TEST_F(TViewTest, ADocumentOverTheLimitIsRefusedAndTheViewIsUnchanged) {
    File("a.htm", Page("А", "<p>small</p>"));
    std::string big = "<html><body><p>";
    big.resize(kMaxDocumentBytes + 1, 'x');
    File("big.htm", big);
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    try {
        view.LoadFile("big.htm");
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(cp1251::ToUtf8(error.what()),
                  "Документ слишком велик для показа (больше 8 МБ): " + Full("big.htm"));
    }
    EXPECT_NE(Text().find("small"), std::string::npos);
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_EQ(view.History().size(), 1u);
    EXPECT_THROW(view.LoadText(big), EInOutError);
    EXPECT_NE(Text().find("small"), std::string::npos);
}

// ---- links ----

TEST_F(TViewTest, CommandLinksGoToTheActionWithThePrefix) {
    File("a.htm", Page("А", "<p><a href=\"$label*l*Привет//visible*p*0\">команда</a></p>"));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    struct TCase {
        const char* Action;
        bool Handler;
        std::vector<std::string> Expected;
    } cases[] = {
        {"", true, {"label*l*Привет//visible*p*0"}},
        {"pre*fix", true, {"pre*fix*label*l*Привет//visible*p*0"}},
        {"pre", false, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Action);
        std::vector<std::string> fired;
        view.Action = c.Action;
        view.OnAction = nullptr;
        if (c.Handler)
            view.OnAction = [&](const RHelpAction& action) {
                fired.push_back(cp1251::ToUtf8(action.Command));
            };
        Click("команда");
        EXPECT_EQ(fired, c.Expected);
        EXPECT_EQ(Shown(), "a.htm");
        EXPECT_EQ(view.History().size(), 1u);
        EXPECT_EQ(Messages(), std::vector<std::string>{});
    }
}

TEST_F(TViewTest, APictureLinkShowsThePicturePage) {
    File("a.htm", Page("А", "<p><a href=\"img/big.png\">рисунок</a></p>"));
    File("img/big.png", PngBytes(30, 20, Qt::red));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    std::vector<std::string> fired;
    view.OnAction = [&](const RHelpAction& action) { fired.push_back(action.Command); };

    // Without the picture window the link goes to the action, and the page stays.
    view.PictureWindow = false;
    view.Action = "show";
    Click("рисунок");
    EXPECT_EQ(fired, std::vector<std::string>{"show*img/big.png"});
    EXPECT_EQ(Shown(), "a.htm");

    view.PictureWindow = true;
    Click("рисунок");
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_EQ(Shown(), "img\\big.png");
    EXPECT_EQ(view.Title(), "big.png");
    QTextDocument* document = view.Viewer->document();
    QTextCursor picture(document);
    picture.movePosition(QTextCursor::NextCharacter);
    ASSERT_TRUE(picture.charFormat().isImageFormat());
    const QImage shown = document
                             ->resource(QTextDocument::ImageResource,
                                        QUrl(picture.charFormat().toImageFormat().name()))
                             .value<QImage>();
    EXPECT_EQ(shown.size(), QSize(30, 20));
    EXPECT_EQ(shown.pixelColor(3, 3), QColor(Qt::red));
    // Back leaves the picture again.
    view.SetHistoryIndex(1);
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_EQ(Messages(), std::vector<std::string>{});

    // The page made for a picture by name.
    EXPECT_EQ(ToHostPath(view.LoadPicturePage(Full("docs/x.htm"), "..\\img\\big.png")),
              ToHostPath(Full("img/big.png")));
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    QTextCursor alone(document);
    alone.movePosition(QTextCursor::NextCharacter);
    ASSERT_TRUE(alone.charFormat().isImageFormat());
    EXPECT_EQ(document
                  ->resource(QTextDocument::ImageResource,
                             QUrl(alone.charFormat().toImageFormat().name()))
                  .value<QImage>()
                  .size(),
              QSize(30, 20));
}

TEST_F(TViewTest, ALinkedTreeFollowsALinkWithoutRunningItsAction) {
    File("a.htm", Page("А", "<p><a href=\"sub/b.htm\">дальше</a></p>"));
    File("sub/b.htm", Page("Б", "<p><a href=\"../a.htm\">назад</a></p>"));
    TSkTree tree(nullptr);
    tree.ParseTreeLines({W("Первая;a.htm"), W("Вторая;sub\\b.htm")});
    int clicks = 0;
    tree.Events.OnClick = [&] { ++clicks; };
    tree.SelectNode(tree.FindNodeByDocument("a.htm"));
    TSkHtml& view = MakeView();
    view.LinkedTree = &tree;
    view.LoadFile("a.htm");

    Click("дальше");
    EXPECT_EQ(Shown(), "sub\\b.htm");
    EXPECT_EQ(tree.SelectedDocument(), "sub\\b.htm");
    Click("назад");
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_EQ(tree.SelectedDocument(), "a.htm");
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(TViewTest, AnAnchorScrollsTheDocument) {
    File("a.htm", Page("А", LongBody("a", 80) + "<p><a name=\"part2\">Вторая часть</a></p>" +
                                LongBody("b", 80) + "<p><a href=\"#part2\">к части</a></p>"));
    File("b.htm", Page("Б", "<p><a href=\"a.htm#part2\">в часть</a></p>"));
    TSkHtml& view = MakeView();
    auto anchorTop = [&] {
        const QTextCursor at = view.Viewer->document()->find(QStringLiteral("Вторая часть"));
        return view.Viewer->cursorRect(at).top();
    };
    view.LoadFile("a.htm#part2");
    EXPECT_GT(view.Position(), 0);
    EXPECT_GE(anchorTop(), 0);
    EXPECT_LT(anchorTop(), 40);

    view.LoadFile("b.htm");
    EXPECT_EQ(view.Position(), 0);
    Click("в часть");
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_GE(anchorTop(), 0);
    EXPECT_LT(anchorTop(), 40);

    // Within the page: from the bottom up to the anchor.
    view.SetPosition(view.Viewer->verticalScrollBar()->maximum());
    const int bottom = view.Position();
    Click("к части");
    EXPECT_EQ(Shown(), "a.htm");
    EXPECT_GE(anchorTop(), 0);
    EXPECT_LT(anchorTop(), 40);
    // The jump is a visit: back returns to where the page was.
    EXPECT_EQ(HistoryFiles(), (std::vector<std::string>{"a.htm", "a.htm", "b.htm", "a.htm"}));
    view.SetHistoryIndex(1);
    EXPECT_EQ(view.Position(), bottom);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// ---- history ----

TEST_F(TViewTest, BackAfterThreeLoadsShowsTheSecondWithItsTitle) {
    File("a.htm", Page("Первая", "<p>один</p>"));
    File("b.htm", Page("Вторая", "<p>два</p>"));
    File("c.htm", Page("Третья", "<p>три</p>"));
    TSkLabel label(nullptr);
    TSkHtml& view = MakeView();
    view.TitleLabel = &label;
    for (const char* name : {"a.htm", "b.htm", "c.htm"})
        view.LoadFile(name);
    EXPECT_EQ(cp1251::ToUtf8(label.FullCaption), "Третья");
    EXPECT_EQ(HistoryFiles(), (std::vector<std::string>{"c.htm", "b.htm", "a.htm"}));

    view.SetHistoryIndex(view.HistoryIndex() + 1);
    EXPECT_EQ(Shown(), "b.htm");
    EXPECT_NE(Text().find(W("два")), std::string::npos);
    EXPECT_EQ(cp1251::ToUtf8(label.FullCaption), "Вторая");
    EXPECT_EQ(cp1251::ToUtf8(view.Title()), "Вторая");
    view.SetHistoryIndex(view.HistoryIndex() + 1);
    EXPECT_EQ(cp1251::ToUtf8(label.FullCaption), "Первая");
    view.SetHistoryIndex(view.HistoryIndex() + 1); // past the oldest: nothing happens
    EXPECT_EQ(Shown(), "a.htm");
    view.SetHistoryIndex(0);
    EXPECT_EQ(Shown(), "c.htm");
    EXPECT_EQ(cp1251::ToUtf8(label.FullCaption), "Третья");
    // History moves record no visit.
    EXPECT_EQ(HistoryFiles(), (std::vector<std::string>{"c.htm", "b.htm", "a.htm"}));

    // A new visit from an older entry drops the newer ones.
    view.SetHistoryIndex(2);
    view.LoadFile("b.htm");
    EXPECT_EQ(HistoryFiles(), (std::vector<std::string>{"b.htm", "a.htm"}));
    EXPECT_EQ(view.HistoryIndex(), 0);
}

TEST_F(TViewTest, HistoryKeepsTwentyWithTitlesAndPositions) {
    constexpr int kDocuments = 25;
    for (int i = 0; i < kDocuments; ++i)
        File("d" + std::to_string(i) + ".htm",
             Page("Документ " + std::to_string(i), LongBody(std::to_string(i))));
    TSkLabel label(nullptr);
    TSkHtml& view = MakeView();
    view.TitleLabel = &label;
    for (int i = 0; i < kDocuments; ++i) {
        view.LoadFile("d" + std::to_string(i) + ".htm");
        view.SetPosition(10 * i + 5);
    }
    ASSERT_EQ(view.History().size(), static_cast<size_t>(kHtmlHistoryMax));
    for (int n = 0; n < kHtmlHistoryMax; ++n) {
        const int document = kDocuments - 1 - n;
        EXPECT_EQ(cp1251::ToUtf8(view.History()[static_cast<size_t>(n)].Title),
                  "Документ " + std::to_string(document));
    }
    for (int n = 1; n < kHtmlHistoryMax; ++n) {
        const int document = kDocuments - 1 - n;
        SCOPED_TRACE(document);
        view.SetHistoryIndex(n);
        EXPECT_EQ(Shown(), "d" + std::to_string(document) + ".htm");
        EXPECT_EQ(view.Position(), 10 * document + 5);
        EXPECT_EQ(cp1251::ToUtf8(label.FullCaption), "Документ " + std::to_string(document));
    }
    // Forward again to the newest, where it was left.
    view.SetHistoryIndex(0);
    EXPECT_EQ(Shown(), "d24.htm");
    EXPECT_EQ(view.Position(), 245);
    EXPECT_EQ(view.History().size(), static_cast<size_t>(kHtmlHistoryMax));
}

// ---- find ----

TEST_F(TViewTest, FindWrapsOnceToTheStartAndAMissLeavesTheSelection) {
    File("a.htm", Page("А", "<p>Кит вначале</p>" + LongBody("x", 150) + "<p>второй кит</p>"));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    QTextDocument* document = view.Viewer->document();
    auto selected = [&] { return FromQString(view.Viewer->textCursor().selectedText()); };
    auto visible = [&] {
        const QRect at = view.Viewer->cursorRect(view.Viewer->textCursor());
        return at.top() >= 0 && at.bottom() <= view.Viewer->viewport()->height();
    };

    // From the caret on: the second one, far down.
    EXPECT_TRUE(view.Find(W("КИТ")));
    EXPECT_EQ(selected(), W("Кит"));
    EXPECT_EQ(view.Viewer->textCursor().selectionStart(), 0);
    EXPECT_TRUE(view.Find(W("кит")));
    EXPECT_EQ(selected(), W("кит"));
    EXPECT_GT(view.Position(), 0);
    EXPECT_TRUE(visible());
    // None below the last: once more from the top.
    EXPECT_TRUE(view.Find(W("кит")));
    EXPECT_EQ(view.Viewer->textCursor().selectionStart(), 0);
    EXPECT_EQ(view.Position(), 0);

    // A text that is not there leaves selection and position as they were.
    QTextCursor middle = document->find(QStringLiteral("x line 75"));
    view.Viewer->setTextCursor(middle);
    view.SetPosition(middle.block().layout()->position().toPoint().y() - 50);
    const int position = view.Position();
    EXPECT_FALSE(view.Find(W("слон")));
    EXPECT_EQ(selected(), "x line 75");
    EXPECT_EQ(view.Position(), position);
    EXPECT_FALSE(view.Find(""));
    EXPECT_EQ(selected(), "x line 75");

    // Only above the caret: found by the second search, scrolled into view.
    EXPECT_TRUE(view.Find("line 3"));
    EXPECT_EQ(selected(), "line 3");
    EXPECT_LT(view.Viewer->textCursor().selectionStart(), middle.selectionStart());
    EXPECT_TRUE(visible());
}

// ---- bars ----

TEST_F(TViewTest, TheSkinnedBarsFollowTheDocument) {
    File("short.htm", Page("S", "<p>short</p>"));
    File("long.htm", Page("L", LongBody("l")));
    TSkHtml& view = MakeView();
    view.LoadFile("short.htm");
    EXPECT_FALSE(view.VertBar->isVisible());
    EXPECT_FALSE(view.HorzBar->isVisible());
    view.LoadFile("long.htm");
    EXPECT_TRUE(view.VertBar->isVisible());
    EXPECT_EQ(view.VertBar->maximum(), view.Viewer->verticalScrollBar()->maximum());
    view.SetPosition(300);
    EXPECT_EQ(view.VertBar->value(), 300);
    // The wheel moves the page, the bar follows; the bar moves the page.
    QWheelEvent wheel(QPointF(50, 50), view.Viewer->viewport()->mapToGlobal(QPointF(50, 50)),
                      QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(view.Viewer->viewport(), &wheel);
    EXPECT_GT(view.Position(), 300);
    EXPECT_EQ(view.VertBar->value(), view.Position());
    view.VertBar->setValue(100);
    EXPECT_EQ(view.Position(), 100);
    view.SetShowVertBar(false);
    EXPECT_FALSE(view.VertBar->isVisible());
}

} // namespace

namespace {

// Links as pages write them, to documents loose on disk and packed in the archive.
class TLinkSpellingTest : public TViewTest {};

TEST_F(TLinkSpellingTest, LinksOfEverySpellingReachTheirDocument) {
    struct TCase {
        std::string Href;  // UTF-8
        const char* Shown; // UTF-8, lower case
    };
    const std::vector<TCase> cases = {
        {"sub/b.htm", "sub\\b.htm"},        {"sub\\b.htm", "sub\\b.htm"},
        {"SUB/B.HTM", "sub\\b.htm"},        {"./sub/b.htm", "sub\\b.htm"},
        {"sub/./b.htm", "sub\\b.htm"},      {"sub/b.htm#x", "sub\\b.htm"},
        {"sub/b.htm?from=a", "sub\\b.htm"}, {"Статья 1.htm", "статья 1.htm"},
        {"Статья%201.htm", "статья 1.htm"}, {"sub/../Статья 1.htm", "статья 1.htm"},
    };
    const std::map<std::string, std::string> files = {
        {"sub\\b.htm", Page("Б", "<p>документ Б</p>")},
        {W("статья 1.htm"), Page("С", "<p>документ С</p>")},
    };
    std::string links;
    for (size_t i = 0; i < cases.size(); ++i)
        links += "<p><a href=\"" + cases[i].Href + "\">ссылка" + std::to_string(i) + "</a></p>";
    for (const bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "archive" : "disk");
        TTempDir disc;
        SetProgramFolderOverride(disc.Folder());
        disc.Write("a.htm", Page("А", links));
        if (packed) {
            std::vector<TArchiveItem> items;
            for (const auto& [name, bytes] : files)
                items.push_back({name, bytes, 0});
            disc.Write("interface.dat", BuildArchive(items));
            ASSERT_TRUE(OpenArchive("interface.dat"));
        } else {
            CloseArchive();
            for (const auto& [name, bytes] : files) {
                std::string host = cp1251::ToUtf8(name);
                for (char& c : host)
                    if (c == '\\')
                        c = '/';
                disc.Write(host, bytes);
            }
        }
        TSkHtml& view = MakeView();
        for (size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].Href);
            view.LoadFile("a.htm");
            Click("ссылка" + std::to_string(i));
            EXPECT_EQ(
                cp1251::ToUtf8(cp1251::Lower(StripBasePath(view.CurrentFile(), disc.Folder()))),
                cases[i].Shown);
            EXPECT_NE(Text().find(W("документ")), std::string::npos);
        }
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        Dialogs.Clear();
        View.reset();
        CloseArchive();
    }
}

} // namespace

namespace {

TEST_F(TViewTest, OtherLinksOpenOnlyWhatIsSafe) {
    File("notes.txt", "text");
    File("run.sh", "#!/bin/sh\n");
    File("a.htm", Page("А", ""));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    struct TCase {
        const char* Link;
        const char* Opened;  // the shell's file; empty when refused
        const char* Message; // UTF-8; empty for none
    } cases[] = {
        {"http://example.com/a.htm", "http://example.com/a.htm", ""},
        {"mailto:reader@example.com", "mailto:reader@example.com", ""},
        {"notes.txt", "notes.txt", ""},
        {"run.sh", "", "Ссылка не открыта: документ не может запускать программы: run.sh"},
        {"missing.txt", "", "Ссылка не открыта: файл не найден: missing.txt"},
        {"javascript:alert(1)", "",
         "Ссылка не открыта: адреса такого вида не открываются: javascript:alert(1)"},
        {"/etc/hostname", "", "Ссылка не открыта: файл вне папки программы: /etc/hostname"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Link);
        ShellLog.Opened.clear();
        Dialogs.Clear();
        view.LinkClick(c.Link);
        if (*c.Opened) {
            ASSERT_EQ(ShellLog.Opened.size(), 1u);
            const std::string file = ShellLog.Opened[0].File;
            EXPECT_EQ(StripBasePath(file, Dir.Folder()), c.Opened);
            EXPECT_EQ(ShellLog.Opened[0].Verb, "open");
        } else {
            EXPECT_TRUE(ShellLog.Opened.empty());
        }
        EXPECT_EQ(Messages(),
                  *c.Message ? std::vector<std::string>{c.Message} : std::vector<std::string>{});
        EXPECT_EQ(Shown(), "a.htm");
    }
}

TEST_F(TViewTest, DraggingScrollsByATenthOfTheDistanceFromTheStart) {
    File("a.htm", Page("А", LongBody("a")));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    view.SetPosition(100);
    view.SetMoveCursor(true);
    QWidget* area = view.Viewer->viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseMove(area, QPoint(100, 100));
    EXPECT_EQ(view.Position(), 110);
    QTest::mouseMove(area, QPoint(100, 0)); // the start stays: twice as far, twice as fast
    EXPECT_EQ(view.Position(), 130);
    QTest::mouseMove(area, QPoint(100, 195)); // under ten pixels: no step
    EXPECT_EQ(view.Position(), 130);
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(100, 195));
    QTest::mouseMove(area, QPoint(100, 0));
    EXPECT_EQ(view.Position(), 130);
    EXPECT_FALSE(view.Viewer->textInteractionFlags() & Qt::TextSelectableByMouse);
    view.SetMoveCursor(false);
    EXPECT_TRUE(view.Viewer->textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST_F(TViewTest, AltEOpensTheShownDocumentForEditing) {
    TMemorySettings store;
    TSettingsGuard settings(&store);
    File("a.htm", Page("А", "<p>a</p>"));
    TSkHtml& view = MakeView();
    view.LoadFile("a.htm");
    QTest::keyClick(view.Viewer, Qt::Key_E, Qt::AltModifier);
    ASSERT_EQ(ShellLog.Opened.size(), 1u);
    EXPECT_EQ(ShellLog.Opened[0].File, view.CurrentFile());
    EXPECT_EQ(ShellLog.Opened[0].Verb, "edit");
    store.WriteString("\\Software\\Tavrel\\Marovind", "EditHtml", "/usr/bin/editor");
    QTest::keyClick(view.Viewer, Qt::Key_E, Qt::AltModifier);
    ASSERT_EQ(ShellLog.Opened.size(), 2u);
    EXPECT_EQ(ShellLog.Opened[1].File, "/usr/bin/editor");
    EXPECT_EQ(ShellLog.Opened[1].Parameters, view.CurrentFile());
    EXPECT_EQ(ShellLog.Opened[1].Verb, "open");
    QTest::keyClick(view.Viewer, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(view.Viewer, Qt::Key_E);
    EXPECT_EQ(ShellLog.Opened.size(), 2u);
}

} // namespace
