// The search window on small discs of loose files: the matching rule as the window applies it,
// the results list, the search box's list, stopping and closing while the all-documents search
// runs (the window answers from its progress step), broken indexes, the progress bar, opening a
// result in the main window, the current-document search, and the demo disc's window.

#include "common/TestSupport.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkSimple.h"
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "search/frmFind.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaObject>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using TTexts = std::vector<std::string>;

// The objects the window needs, and nothing else.
const char* const kStruct = "[find]\ntype=form\nwidth=696\nheight=480\n"
                            "[cb_find]\ntype=combo_box\nwidth=300\nheight=24\naction=find_start\n"
                            "[btn_find]\ntype=button\nleft=320\ncaption=Найти\naction=find_start\n"
                            "[btn_close]\ntype=button\nleft=420\ncaption=Закрыть\naction=load\n"
                            "[rb_all]\ntype=r_button\ntop=30\ncheck=1\ncaption=все\n"
                            "[rb_cur]\ntype=r_button\ntop=30\nleft=200\ncaption=этот\n"
                            "[rogress]\ntype=progress_bar\ntop=60\nwidth=200\nheight=16\n"
                            "[lb_message]\ntype=label\ntop=60\nleft=220\nwidth=300\nheight=20\n"
                            "[list_rez]\ntype=list_box\ntop=90\nwidth=600\nheight=300\n";

const char* const kNoResult = "Поиск не дал результата";

// The main window's side: records every call, in order, as "open <name>" and "find <text>"
// (UTF-8).
class TFakeHost : public TFindHost {
public:
    std::string CurrentDocument() override { return Current; }
    void OpenDocument(const std::string& name) override {
        Calls.push_back("open " + cp1251::ToUtf8(name));
        Current = name;
    }
    bool FindInDocument(const std::string& text) override {
        Calls.push_back("find " + cp1251::ToUtf8(text));
        return Found;
    }

    std::string Current; // Windows-1251
    bool Found = true;
    TTexts Calls;
};

// Public: the tables of cases act on the fixture.
class FindWindow : public ::testing::Test {
public:
    FindWindow() {
        CloseArchive();
        SetProgramFolderOverride(Disc.Folder());
        SetModalRunner([this](QWidget* window) {
            ++ModalRuns;
            if (OnModal)
                OnModal(window);
        });
        SetMenuRunner([](QMenu*, const QPoint&) {});
    }
    ~FindWindow() override {
        Window.reset();
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
        CloseArchive();
        SetProgramFolderOverride("");
    }

    // A disc file: UTF-8 text stored as Windows-1251, line ends as written.
    void File(const std::string& name, const std::string& utf8) const { Disc.Write(name, W(utf8)); }
    // "file.ind" of the lines given, CR LF after each.
    void Index(const TTexts& lines) const {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r\n";
        File("file.ind", text);
    }
    // n documents "d<i>.htm" titled "Очерк <i>", each holding the body given.
    void Documents(int n, const std::string& body) const {
        TTexts lines;
        for (int i = 1; i <= n; ++i) {
            const std::string name = "d" + std::to_string(i) + ".htm";
            File(name, "<html><body><p>" + body + "</p></body></html>");
            lines.push_back(name + "#;#Очерк " + std::to_string(i));
        }
        Index(lines);
    }

    void Open(const std::string& structure = kStruct) {
        File("struct_find.txt", structure);
        Window = std::make_unique<TfrmFind>(nullptr, &Host);
    }

    TSkComboBox* Box() const { return Window->Engine()->GetComboBox("cb_find"); }
    TSkListBox* Results() const { return Window->Engine()->GetListBox("list_rez"); }
    TSkProgressBar* Progress() const { return Window->Engine()->GetProgressBar("rogress"); }
    TSkRadioButton* Radio(const char* name) const { return Window->Engine()->GetRadioButton(name); }

    void Type(const std::string& utf8) const { Box()->setEditText(ToQString(W(utf8))); }
    void Press() const { Window->Engine()->RunCommand("find_start"); }
    void SearchAll(const std::string& utf8) const {
        Radio("rb_all")->setChecked(true);
        Type(utf8);
        Press();
    }
    void SearchCurrent(const std::string& utf8) const {
        Radio("rb_cur")->setChecked(true);
        Type(utf8);
        Press();
    }
    // Runs work the next time the window lets its events run: inside the search's progress step
    // when a search is running.
    void Later(std::function<void()> work) const {
        QMetaObject::invokeMethod(Window.get(), std::move(work), Qt::QueuedConnection);
    }

    TTexts Titles() const {
        TTexts titles;
        for (int i = 0; i < Results()->count(); ++i)
            titles.push_back(cp1251::ToUtf8(FromQString(Results()->item(i)->text())));
        return titles;
    }
    TTexts Values() const {
        TTexts values;
        for (const std::string& value : Results()->ItemValues)
            values.push_back(cp1251::ToUtf8(value));
        return values;
    }
    TTexts BoxItems() const {
        TTexts items;
        for (int i = 0; i < Box()->count(); ++i)
            items.push_back(cp1251::ToUtf8(FromQString(Box()->itemText(i))));
        return items;
    }
    std::string Message() const {
        return cp1251::ToUtf8(Window->Engine()->GetLabel("lb_message")->FullCaption);
    }
    TTexts Messages() const {
        TTexts texts;
        for (const std::string& text : Dialogs.Messages())
            texts.push_back(cp1251::ToUtf8(text));
        return texts;
    }

    TTempDir Disc;
    TRecordingDialogs Dialogs;
    TMemorySettings Store;
    TFakeHost Host;
    std::function<void(QWidget*)> OnModal;
    int ModalRuns = 0;
    std::unique_ptr<TfrmFind> Window;

private:
    TDialogsGuard DialogsGuard{&Dialogs};
    TSettingsGuard SettingsGuard{&Store};
};

// --- the matching rule

TEST_F(FindWindow, DocumentMatchesWhenTheWholeTextLiesInOneRunOutsideTheTitle) {
    struct TCase {
        const char* Document;
        const char* Text;
        bool Found;
    };
    const TCase cases[] = {
        {"<p>белые ночи</p>", "белые ночи", true},
        {"<title>белые ночи</title><p>сполохи</p>", "белые ночи", false},
        {"<title>сполохи</title><p>белые ночи</p>", "белые ночи", true},
        {"<TITLE>белые ночи</TITLE><p>сполохи</p>", "белые ночи", true},
        {"<Title>белые ночи</Title>", "белые ночи", true},
        {"<p>белые <b>ночи</b></p>", "белые ночи", false},
        {"<p>белые</p><p>ночи</p>", "белые ночи", false},
        {"<p>белые\nночи</p>", "белые ночи", false},
        {"<p>белые\r\nночи</p>", "белые ночи", false},
        {"<p>белые&nbsp;ночи</p>", "белые ночи", false},
        {"<p>БЕЛЫЕ НОЧИ</p>", "белые ночи", true},
        {"<p>белые ночи</p>", "БЕЛЫЕ НОЧИ", true},
        {"<p>ЁЛКА</p>", "ёлка", true},
        {"<p>Белые Ночи Севера</p>", "ночи с", true},
        {"<p>ладья &gt; карбаса</p>", "ладья > карбаса", true},
        {"<p>ладья > карбаса</p>", "ладья", false},
        {"<p>соль &amp; кружево</p>", "соль & кружево", true},
        {"<p title=\"ладья\">карбас</p>", "ладья", false},
        {"<!-- ладья --><p>карбас</p>", "ладья", false},
        {"<script>var ладья = 1;</script><p>карбас</p>", "ладья", false},
        {"<ладья>карбас</ладья>", "ладья", false},
        {"<p>белые ночи</p>", "белые  ночи", false},
        {"<p>белые ночи</p>", "ночи белые", false},
    };
    Open();
    Index({"doc.htm#;#Очерк"});
    for (const TCase& c : cases) {
        File("doc.htm", std::string("<html><head></head><body>") + c.Document + "</body></html>");
        SearchAll(c.Text);
        EXPECT_EQ(Titles(), c.Found ? TTexts{"Очерк"} : TTexts{}) << c.Document << " / " << c.Text;
        EXPECT_EQ(Message(), c.Found ? "" : kNoResult) << c.Document << " / " << c.Text;
    }
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(FindWindow, ResultsListTitlesInIndexOrderWithTheDocumentNamesAsValues) {
    Open();
    File("a.htm", "<p>ладья</p>");
    File("b.htm", "<p>карбас</p>");
    File("Docs/C.htm", "<p>большая ЛАДЬЯ</p>");
    File("d.htm", "<p>шняка</p><p>ладья</p>");
    Index(
        {"d.htm#;#Шняка", "a.htm#;#Ладья #;# и карбас", "b.htm#;#Карбас", "docs\\c.HTM#;#Большая"});
    SearchAll("Ладья");
    EXPECT_EQ(Titles(), (TTexts{"Шняка", "Ладья #;# и карбас", "Большая"}));
    EXPECT_EQ(Values(), (TTexts{"d.htm", "a.htm", "docs\\c.HTM"}));
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(cp1251::ToUtf8(Window->FindText()), "ладья");
    EXPECT_EQ(Messages(), TTexts{});

    // A search without matches empties the list.
    SearchAll("шхуна");
    EXPECT_EQ(Titles(), TTexts{});
    EXPECT_EQ(Message(), kNoResult);
}

TEST_F(FindWindow, IndexLineWithoutTitleShowsItsDocumentName) {
    Open();
    File("a.htm", "<p>ладья</p>");
    File("b.htm", "<p>ладья</p>");
    File("c.htm", "<p>ладья</p>");
    Index({"a.htm", "b.htm#;#", "c.htm#;#Третий"});
    SearchAll("ладья");
    EXPECT_EQ(Titles(), (TTexts{"a.htm", "b.htm", "Третий"}));
    EXPECT_EQ(Values(), (TTexts{"a.htm", "b.htm", "c.htm"}));
}

TEST_F(FindWindow, ArchiveDocumentsAreSearchedAndMissingOnesAreReported) {
    Disc.Write(
        "interface.dat",
        BuildArchive({{"struct_find.txt", W(kStruct), 0},
                      {"file.ind", W("a.htm#;#Первый\r\nnone.htm#;#Нет\r\nb.htm#;#Второй\r\n"), 0},
                      {"a.htm", W("<p>ладья</p>"), 1},
                      {"b.htm", W("<p>карбас и ладья</p>"), 0}}));
    ASSERT_TRUE(OpenArchive("interface.dat"));
    Window = std::make_unique<TfrmFind>(nullptr, &Host);
    SearchAll("ладья");
    EXPECT_EQ(Titles(), (TTexts{"Первый", "Второй"}));
    EXPECT_EQ(Messages(), TTexts{"Не найден файл \r\nnone.htm"});
}

// --- broken indexes

TEST_F(FindWindow, IndexWithoutDocumentsFindsNothing) {
    struct TCase {
        const char* Name;
        const char* Index; // nullptr: no "file.ind"
        TTexts Messages;
    };
    const TCase cases[] = {
        {"empty file", "", {}},
        {"empty lines", "\r\n\r\n\n", {}},
        {"missing index", nullptr, {"Не найден файл \r\nfile.ind"}},
        {"missing document", "gone.htm#;#Нет его\r\n", {"Не найден файл \r\ngone.htm"}},
        {"name with a separator only", "#;#Только заголовок\r\n", {}},
    };
    for (const TCase& c : cases) {
        TTempDir disc;
        SetProgramFolderOverride(disc.Folder());
        disc.Write("struct_find.txt", W(kStruct));
        disc.Write("a.htm", W("<p>ладья</p>"));
        if (c.Index)
            disc.Write("file.ind", W(c.Index));
        Dialogs.Clear();
        Window = std::make_unique<TfrmFind>(nullptr, &Host);
        // Results of an earlier search must not stay.
        Results()->AddItem(W("Первый"), "a.htm");
        SearchAll("ладья");
        EXPECT_EQ(Titles(), TTexts{}) << c.Name;
        EXPECT_EQ(Message(), kNoResult) << c.Name;
        EXPECT_EQ(Messages(), c.Messages) << c.Name;
        EXPECT_FALSE(Window->Searching()) << c.Name;
        EXPECT_EQ(Progress()->value(), 0) << c.Name;
        Window.reset();
    }
    SetProgramFolderOverride(Disc.Folder());
}

TEST_F(FindWindow, MissingDocumentIsSkippedAndTheSearchGoesOn) {
    Open();
    File("a.htm", "<p>ладья</p>");
    File("c.htm", "<p>ладья</p>");
    Index({"a.htm#;#Первый", "", "gone.htm#;#Нет его", "c.htm#;#Третий"});
    SearchAll("ладья");
    EXPECT_EQ(Titles(), (TTexts{"Первый", "Третий"}));
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(Messages(), TTexts{"Не найден файл \r\ngone.htm"});
}

// --- the search box

TEST_F(FindWindow, EmptySearchBoxStartsNothing) {
    Open();
    Documents(3, "ладья");
    SearchAll("ладья");
    ASSERT_EQ(Titles().size(), 3u);
    for (const char* radio : {"rb_all", "rb_cur"}) {
        Radio(radio)->setChecked(true);
        Type("");
        Press();
        EXPECT_EQ(Titles().size(), 3u) << radio;
        EXPECT_EQ(Message(), "") << radio;
        EXPECT_EQ(BoxItems(), TTexts{"ладья"}) << radio;
        EXPECT_EQ(Host.Calls, TTexts{}) << radio;
        EXPECT_FALSE(Window->Searching()) << radio;
    }
    EXPECT_EQ(cp1251::ToUtf8(Window->FindText()), "ладья");
}

TEST_F(FindWindow, EverySearchGoesToTheTopOfTheBoxListAsTyped) {
    Open();
    Documents(1, "ладья");
    SearchAll("ладья");
    SearchAll("Карбас");
    SearchAll("ладья");
    SearchCurrent("ладья");
    EXPECT_EQ(BoxItems(), (TTexts{"ладья", "ладья", "Карбас", "ладья"}));
    EXPECT_EQ(cp1251::ToUtf8(FromQString(Box()->currentText())), "ладья");
    EXPECT_EQ(Box()->ItemValues.size(), 4u);
    EXPECT_EQ(Box()->Values.size(), 4u);
}

TEST_F(FindWindow, EnterInTheSearchBoxSearchesOnce) {
    Open();
    Documents(2, "ладья");
    Window->show();
    Type("ладья");
    QTest::keyClick(Box(), Qt::Key_Return);
    EXPECT_EQ(Titles(), (TTexts{"Очерк 1", "Очерк 2"}));
    EXPECT_EQ(BoxItems(), TTexts{"ладья"});
    // Choosing an earlier text from the list does not search by itself.
    Type("карбас");
    QTest::keyClick(Box(), Qt::Key_Return);
    EXPECT_EQ(Titles(), TTexts{});
    Box()->setCurrentIndex(1);
    EXPECT_EQ(Titles(), TTexts{});
    EXPECT_EQ(BoxItems(), (TTexts{"карбас", "ладья"}));
    QTest::keyClick(Box(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Titles().size(), 2u);
    EXPECT_EQ(BoxItems(), (TTexts{"ладья", "карбас", "ладья"}));
    EXPECT_EQ(Messages(), TTexts{});
}

// --- stopping, closing and the progress bar

TEST_F(FindWindow, ProgressRangeIsTheNumberOfDocumentsAndItMovesEveryTenth) {
    Open();
    Documents(25, "ладья");
    std::vector<std::pair<int, int>> seen; // value, maximum, at each step
    std::function<void()> watch = [&] {
        seen.emplace_back(Progress()->value(), Progress()->maximum());
        if (Window->Searching())
            Later(watch);
    };
    Later(watch);
    SearchAll("ладья");
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{11, 25}, {21, 25}}));
    EXPECT_EQ(Progress()->value(), 0);
    EXPECT_EQ(Progress()->minimum(), 0);
    EXPECT_EQ(Titles().size(), 25u);
}

TEST_F(FindWindow, SingleDocumentIndexKeepsADeterminateBar) {
    Open();
    Documents(1, "ладья");
    SearchAll("ладья");
    EXPECT_EQ(Progress()->maximum(), 1);
    EXPECT_EQ(Progress()->value(), 0);
}

TEST_F(FindWindow, PressDuringTheSearchStopsItAndShowsTheResultsSoFar) {
    struct TCase {
        const char* Name;
        std::function<void(FindWindow&)> Press;
    };
    const TCase cases[] = {
        {"the same text", [](FindWindow& t) { t.Press(); }},
        {"an empty box",
         [](FindWindow& t) {
             t.Type("");
             t.Press();
         }},
        // The results belong to the first text: it stays the one selected in a result.
        {"another text",
         [](FindWindow& t) {
             t.Type("карбас");
             t.Press();
         }},
        {"the current document chosen",
         [](FindWindow& t) {
             t.Radio("rb_cur")->setChecked(true);
             t.Type("карбас");
             t.Press();
         }},
        // A quick double press: the second one must not start a search inside the first.
        {"two presses",
         [](FindWindow& t) {
             t.Press();
             t.Press();
         }},
        {"the Enter key in the box",
         [](FindWindow& t) { QTest::keyClick(t.Box(), Qt::Key_Return); }},
        {"the button",
         [](FindWindow& t) {
             t.Window->Engine()->ClickControl(t.Window->Engine()->GetButton("btn_find"));
         }},
    };
    for (const TCase& c : cases) {
        Open();
        Documents(25, "ладья и карбас");
        Host.Calls.clear();
        Window->show();
        bool searchingThen = false;
        Later([&] {
            searchingThen = Window->Searching();
            c.Press(*this);
        });
        SearchAll("ладья");
        EXPECT_TRUE(searchingThen) << c.Name;
        EXPECT_EQ(Titles().size(), 11u) << c.Name;
        EXPECT_EQ(Titles().front(), "Очерк 1") << c.Name;
        EXPECT_EQ(Message(), "") << c.Name;
        EXPECT_EQ(BoxItems(), TTexts{"ладья"}) << c.Name;
        EXPECT_EQ(cp1251::ToUtf8(Window->FindText()), "ладья") << c.Name;
        EXPECT_EQ(Host.Calls, TTexts{}) << c.Name;
        EXPECT_FALSE(Window->Searching()) << c.Name;
        EXPECT_EQ(Progress()->value(), 0) << c.Name;
        EXPECT_TRUE(Window->isVisible()) << c.Name;
        EXPECT_EQ(Messages(), TTexts{}) << c.Name;

        // The window searches again afterwards, over the whole index.
        Radio("rb_all")->setChecked(true);
        SearchAll("карбас");
        EXPECT_EQ(Titles().size(), 25u) << c.Name;
        Window.reset();
    }
}

TEST_F(FindWindow, ClosingDuringTheSearchStopsItAndClosesWhenItHasEnded) {
    struct TCase {
        const char* Name;
        std::function<void(TfrmFind&)> Close;
    };
    const TCase cases[] = {
        {"close", [](TfrmFind& w) { w.close(); }},
        {"the load action", [](TfrmFind& w) { w.Engine()->RunCommand("load"); }},
        {"the close button",
         [](TfrmFind& w) { w.Engine()->ClickControl(w.Engine()->GetButton("btn_close")); }},
    };
    for (const TCase& c : cases) {
        Open();
        Documents(25, "ладья");
        Window->show();
        bool visibleAfterClose = false;
        Later([&] {
            c.Close(*Window);
            visibleAfterClose = Window->isVisible();
        });
        SearchAll("ладья");
        EXPECT_TRUE(visibleAfterClose) << c.Name;
        EXPECT_FALSE(Window->isVisible()) << c.Name;
        EXPECT_FALSE(Window->Searching()) << c.Name;
        EXPECT_EQ(Titles().size(), 11u) << c.Name;
        EXPECT_EQ(Progress()->value(), 0) << c.Name;

        // Shown again, the window searches and closes as usual.
        Window->show();
        SearchAll("ладья");
        EXPECT_EQ(Titles().size(), 25u) << c.Name;
        EXPECT_TRUE(Window->isVisible()) << c.Name;
        Window->Engine()->RunCommand("load");
        EXPECT_FALSE(Window->isVisible()) << c.Name;
        Window.reset();
    }
    EXPECT_EQ(Messages(), TTexts{});
}

// --- results in the main window

TEST_F(FindWindow, ResultOpensItsDocumentUnlessShownAndFindsTheText) {
    struct TCase {
        const char* Name;
        std::function<void(FindWindow&, int row)> Choose;
    };
    const TCase cases[] = {
        {"click",
         [](FindWindow& t, int row) {
             TSkListBox* list = t.Results();
             list->setCurrentRow(row);
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                               list->visualItemRect(list->item(row)).center());
         }},
        {"Enter",
         [](FindWindow& t, int row) {
             t.Results()->setCurrentRow(row);
             QTest::keyClick(t.Results(), Qt::Key_Return);
         }},
    };
    for (const TCase& c : cases) {
        Open();
        File("a.htm", "<p>Ладья</p>");
        File("Docs/B.htm", "<p>ладья</p>");
        Index({"a.htm#;#Первый", "Docs\\B.htm#;#Второй"});
        Window->show();
        SearchAll("ЛАДЬЯ");
        ASSERT_EQ(Titles().size(), 2u) << c.Name;
        Host.Calls.clear();
        Host.Current = "a.htm";
        c.Choose(*this, 0);
        EXPECT_EQ(Host.Calls, TTexts{"find ладья"}) << c.Name;
        Host.Calls.clear();
        c.Choose(*this, 1);
        EXPECT_EQ(Host.Calls, (TTexts{"open docs\\b.htm", "find ладья"})) << c.Name;
        Host.Calls.clear();
        c.Choose(*this, 1);
        EXPECT_EQ(Host.Calls, TTexts{"find ладья"}) << c.Name; // now the one shown
        Window.reset();
    }
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(FindWindow, NoSelectedResultDoesNothing) {
    Open();
    Documents(1, "ладья");
    SearchAll("ладья");
    Results()->setCurrentRow(-1);
    Window->ResultClick();
    QTest::keyClick(Results(), Qt::Key_Return);
    EXPECT_EQ(Host.Calls, TTexts{});
}

TEST_F(FindWindow, CurrentDocumentSearchAsksTheMainWindow) {
    Open();
    Documents(1, "ладья");
    SearchAll("ладья");
    Host.Found = false;
    SearchCurrent("КАРБАС");
    EXPECT_EQ(Host.Calls, TTexts{"find карбас"});
    EXPECT_EQ(Message(), kNoResult);
    EXPECT_EQ(Titles(), TTexts{"Очерк 1"}); // the results of the last search stay
    Host.Found = true;
    SearchCurrent("Ладья");
    EXPECT_EQ(Host.Calls, (TTexts{"find карбас", "find ладья"}));
    EXPECT_EQ(Message(), "");
    EXPECT_FALSE(Window->Searching());
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(FindWindow, WithoutAHostNothingIsFoundInTheCurrentDocument) {
    File("struct_find.txt", kStruct);
    Documents(1, "ладья");
    Window = std::make_unique<TfrmFind>(nullptr, nullptr);
    SearchCurrent("ладья");
    EXPECT_EQ(Message(), kNoResult);
    SearchAll("ладья");
    Results()->setCurrentRow(0);
    Window->ResultClick();
    EXPECT_EQ(Messages(), TTexts{});
}

// --- the window itself

TEST_F(FindWindow, ExecuteClearsTheMessageAndRunsModally) {
    Open();
    Documents(2, "ладья");
    SearchAll("шхуна");
    ASSERT_EQ(Message(), kNoResult);
    std::string messageShown = "?";
    OnModal = [&](QWidget* window) {
        EXPECT_EQ(window, Window.get());
        messageShown = Message();
        SearchAll("ладья");
    };
    Window->Execute();
    EXPECT_EQ(ModalRuns, 1);
    EXPECT_EQ(messageShown, "");
    EXPECT_EQ(Titles().size(), 2u);
    EXPECT_EQ(cp1251::ToUtf8(Window->Caption()), "Поиск");
}

TEST_F(FindWindow, OtherCommandsAndUnknownObjectsAreShown) {
    Open(std::string(kStruct) + "[gadget]\ntype=gizmo\n");
    EXPECT_EQ(Messages(), TTexts{"Неизвестный контрол:gadget"});
    Dialogs.Clear();
    Window->Engine()->RunCommand("html_zoom*2//find_start");
    EXPECT_EQ(Messages(), TTexts{"html_zoom"});
}

TEST(DemoFindWindow, DemoStructureBuildsQuietlyAndSearchesTheDisc) {
    CloseArchive();
    SetProgramFolderOverride(FromHostPath(std::string(CHITALKA_SOURCE_DIR) + "/content/demo/"));
    SetModalRunner([](QWidget*) {});
    TRecordingDialogs dialogs;
    TMemorySettings store;
    {
        const TDialogsGuard dialogsGuard(&dialogs);
        const TSettingsGuard settingsGuard(&store);
        TFakeHost host;
        TfrmFind window(nullptr, &host);
        TSkStract& engine = *window.Engine();
        EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{});
        ASSERT_NE(engine.GetComboBox("cb_find"), nullptr);
        ASSERT_NE(engine.GetListBox("list_rez"), nullptr);
        ASSERT_NE(engine.GetProgressBar("rogress"), nullptr);
        ASSERT_NE(engine.GetLabel("lb_message"), nullptr);
        ASSERT_NE(engine.GetRadioButton("rb_cur"), nullptr);
        ASSERT_NE(engine.GetRadioButton("rb_all"), nullptr);
        EXPECT_TRUE(engine.GetRadioButton("rb_all")->isChecked());
        EXPECT_FALSE(engine.GetRadioButton("rb_cur")->isChecked());
        EXPECT_EQ(cp1251::ToUtf8(window.Caption()), "Поиск");

        // Its own button searches the whole disc.
        engine.GetComboBox("cb_find")->setEditText(ToQString(W("ЦРЕН")));
        TSkButton* start = engine.GetButton("btn_find");
        ASSERT_NE(start, nullptr);
        engine.ClickControl(start);
        TSkListBox* results = engine.GetListBox("list_rez");
        ASSERT_EQ(results->count(), 2);
        EXPECT_EQ(cp1251::ToUtf8(FromQString(results->item(0)->text())),
                  "Соль Кемжи: как варили соль");
        EXPECT_EQ(cp1251::ToUtf8(results->GetValue(1)), "essays\\remesla\\kuznecy.htm");
        EXPECT_EQ(engine.GetProgressBar("rogress")->value(), 0);
        EXPECT_EQ(engine.GetLabel("lb_message")->FullCaption, "");

        results->setCurrentRow(1);
        window.ResultClick();
        EXPECT_EQ(host.Calls, (TTexts{"open essays\\remesla\\kuznecy.htm", "find црен"}));
        EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{});

        // Its close button closes the window.
        window.show();
        engine.ClickControl(engine.GetButton("btn_close"));
        EXPECT_FALSE(window.isVisible());
    }
    SetModalRunner(nullptr);
    SetProgramFolderOverride("");
}

} // namespace
