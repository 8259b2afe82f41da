// The reader's main window on small discs built in temporary folders (loose files or an
// archive), and on the demo disc of the build folder: start-up, opening documents, the ".doc"
// state, favorites, the history drop-downs, the tree's orders, expanding and the fast find,
// saving the ".doc", unknown commands and objects, a window without one of its objects, the
// search window and the state lines of --dump.

#include "common/TestSupport.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkLabel.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkTree.h"
#include "app/frmMain.h"
#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "search/frmFind.h"
#include "viewer/SkHtml.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TTexts = std::vector<std::string>;

struct TSection {
    const char* Name;
    std::string Body;
};

// The objects the window relies on, in the order a disc would write them; the tree follows the
// view only while the view exists.
std::vector<TSection> MainSections(const std::string& skip) {
    std::vector<TSection> sections = {
        {"frmMain", "type=form\ncaption=Тестовый диск\nreg_dat=\\Software\\MainTest\n"},
        {"but_export", "type=sp_button\naction=export\n"},
        {"but_print", "type=sp_button\nleft=100\naction=html_print*html\n"},
        {"but_tree_exp",
         "type=sp_button\nleft=200\naction=visible*but_tree_exp*0//visible*but_tree_col*1//"
         "tree_exp\n"},
        {"but_tree_col", "type=sp_button\nleft=200\nvisible=0\naction=visible*but_tree_col*0//"
                         "visible*but_tree_exp*1//tree_col\n"},
        {"ed_tree_find", "type=edit_box\ntop=40\nwidth=200\naction=fast_find\n"},
        {"html", "type=html\nleft=300\ntop=70\nwidth=300\nheight=300\n"},
        {"tree", "type=tree\ntop=70\nwidth=280\nheight=300\naction=load\n" +
                     std::string(skip == "html" ? "" : "link_html=html\n")},
        {"menu_favorite", "type=pop_menu\ncaption=Добавить;Удалить;-\n"
                          "action=add_favorite;del_favorite;nil\nglob_action=nil\nfavorite=1\n"},
        {"menu_sort", "type=pop_menu\ncaption=По порядку;По алфавиту;Без первого\n"
                      "action=load_tree*0*tree2.txt;load_tree*1*tree_alpha.txt;"
                      "load_tree*2*tree_short.txt\ncheck=0\n"},
        {"menu_html", "type=pop_menu\ncaption=Копировать\naction=html_copy*html\n"},
        {"menu_history_back", "type=pop_menu\nglob_action=nil\n"},
        {"menu_history_prev", "type=pop_menu\nglob_action=nil\n"},
    };
    std::erase_if(sections, [&](const TSection& s) { return s.Name == skip; });
    return sections;
}

std::string Structure(const std::string& skip = {}, const std::string& extra = {}) {
    std::string text;
    for (const TSection& section : MainSections(skip))
        text += "[" + std::string(section.Name) + "]\n" + section.Body;
    return text + extra;
}

// The tree file of the disc: document first, caption second; a heading without a document;
// one document spelt with capitals (the disc was authored where case does not matter).
const char* const kTree = "one.htm;Первый\n"
                          ";Раздел\n"
                          "\tsec\\Two.htm;Второй\n"
                          "\tsec\\three.htm;Третий\n"
                          "four.htm;Четвёртый\n";
const char* const kTreeAlpha = "sec\\Two.htm;Второй\n"
                               "sec\\three.htm;Третий\n"
                               "one.htm;Первый\n"
                               "four.htm;Четвёртый\n";
const char* const kTreeShort = "four.htm;Четвёртый\n"
                               "sec\\three.htm;Третий\n";

// The search window's objects (it is opened, not tested, here).
const char* const kFindStruct =
    "[find]\ntype=form\n"
    "[cb_find]\ntype=combo_box\naction=find_start\n"
    "[rb_all]\ntype=r_button\ncheck=1\n[rb_cur]\ntype=r_button\n"
    "[rogress]\ntype=progress_bar\n[lb_message]\ntype=label\n[list_rez]\ntype=list_box\n";

struct TDocument {
    const char* Name; // relative, "/" separators
    const char* Title;
    bool HasDoc;
};
const TDocument kDocuments[] = {
    {"one.htm", "Документ один", true},       {"sec/two.htm", "Документ два", true},
    {"sec/three.htm", "Документ три", false}, {"four.htm", "Документ четыре", false},
    {"extra.htm", "Вне дерева", false},       {"extra_doc.htm", "Вне дерева с doc", true},
};

// The ".doc" bytes of a document: binary, with bytes a text conversion would change.
std::string DocBytes(const std::string& name) {
    std::string bytes = "\xD0\xCF\x11\xE0\r\n\0\x1A" + name + "\n\r\xFF";
    bytes.push_back('\0');
    return bytes;
}

// UTF-8 text as the disc stores it: Windows-1251 with CR LF line ends.
std::string DiscText(const std::string& utf8) {
    std::string text;
    for (char c : utf8) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return W(text);
}

// Public: the tables of cases act on the fixture.
class MainWindow : public ::testing::Test {
public:
    MainWindow() : OldFolder(QDir::currentPath()) {
        CloseArchive();
        SetProgramFolderOverride(Disc.Folder());
        SetModalRunner([this](QWidget* window) {
            ++ModalRuns;
            if (OnModal)
                OnModal(window);
        });
        // The menu's before-open event fires as a real popup fires it; then the menu is noted.
        SetMenuRunner([this](QMenu* menu, const QPoint& at) {
            emit menu->aboutToShow();
            Popups.push_back({menu, at});
            if (OnMenu)
                OnMenu(menu);
        });
    }
    ~MainWindow() override {
        Window.reset();
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
        CloseArchive();
        SetProgramFolderOverride("");
        QDir::setCurrent(OldFolder);
    }

    // The disc's files: name (UTF-8, "/" separators) and bytes.
    std::vector<std::pair<std::string, std::string>> DiscFiles(const std::string& structure) const {
        std::vector<std::pair<std::string, std::string>> files = {
            {"struct_main.txt", DiscText(structure)}, {"struct_find.txt", DiscText(kFindStruct)},
            {"tree2.txt", DiscText(kTree)},           {"tree_alpha.txt", DiscText(kTreeAlpha)},
            {"tree_short.txt", DiscText(kTreeShort)},
        };
        for (const TDocument& d : kDocuments) {
            const std::string name = d.Name;
            files.emplace_back(name,
                               W("<html><head><title>" + std::string(d.Title) +
                                 "</title></head><body><p>" + d.Title + "</p></body></html>"));
            if (d.HasDoc)
                files.emplace_back(name.substr(0, name.size() - 4) + ".doc", DocBytes(name));
        }
        return files;
    }
    // The disc as loose files in the program folder.
    void WriteLoose(const std::string& structure = Structure()) const {
        for (const auto& [name, bytes] : DiscFiles(structure))
            Disc.Write(name, bytes);
    }
    // The disc as "interface.dat" alone.
    void WriteArchive(const std::string& structure = Structure()) const {
        std::vector<TArchiveItem> items;
        for (const auto& [name, bytes] : DiscFiles(structure)) {
            std::string stored = cp1251::Lower(W(name));
            std::replace(stored.begin(), stored.end(), '/', '\\');
            items.push_back({stored, bytes, 1});
        }
        Disc.Write("interface.dat", BuildArchive(items));
    }

    void Start() { Window = std::make_unique<TfrmMain>(); }
    void Restart() {
        Window.reset();
        Start();
    }
    void Run(const std::string& utf8) const { Window->Engine->RunCommand(W(utf8)); }
    // The window's own command, with the clicked button's position and height.
    void Act(const std::string& utf8, int x = 0, int y = 0, int height = 0) const {
        RHelpAction action;
        action.Command = W(utf8);
        action.X = x;
        action.Y = y;
        action.Height = height;
        Window->DoAction(action);
    }

    TTexts Messages() const {
        TTexts texts;
        for (const std::string& text : Dialogs.Messages())
            texts.push_back(cp1251::ToUtf8(text));
        return texts;
    }
    // A lookup report as the engine words it.
    static std::string Missing(const std::string& name) {
        return "struct_main.txt\r\nGetComponent. Не найден контрол: " + name;
    }

    // The title of the document the view shows (UTF-8).
    std::string Shown() const { return cp1251::ToUtf8(Window->Html->Title()); }
    std::string Selected() const { return cp1251::ToUtf8(Window->Tree->SelectedDocument()); }
    std::string Document() const { return cp1251::ToUtf8(Window->CurrentDoc); }
    TSkSpeedButton* Button(const char* name) const { return Window->Engine->GetSpeedButton(name); }
    TSkPopMenu* Menu(const char* name) const { return Window->Engine->GetPopMenu(name); }
    static TTexts Captions(const TSkPopMenu* menu) {
        TTexts captions;
        for (int i = 0; i < menu->ItemCount(); ++i)
            captions.push_back(cp1251::ToUtf8(menu->ItemAt(i)->Caption()));
        return captions;
    }
    TTexts Favorites() const {
        TTexts list;
        if (Window->Engine->Favorites)
            for (const std::string& entry : *Window->Engine->Favorites)
                list.push_back(cp1251::ToUtf8(entry));
        return list;
    }
    // Whether the ".doc" functions are offered: export, print, add-favorite.
    std::vector<bool> DocFunctions() const {
        return {Button("but_export")->isEnabled(), Button("but_print")->isEnabled(),
                Window->AddFavoriteItem->isEnabled()};
    }

    struct TPopup {
        QMenu* Menu;
        QPoint At;
    };

    TTempDir Disc;
    TTempDir Elsewhere; // where exported files go
    TRecordingDialogs Dialogs;
    TMemorySettings Store;
    std::function<void(QWidget*)> OnModal;
    std::function<void(QMenu*)> OnMenu;
    int ModalRuns = 0;
    std::vector<TPopup> Popups;
    std::unique_ptr<TfrmMain> Window;

private:
    QString OldFolder;
    TDialogsGuard DialogsGuard{&Dialogs};
    TSettingsGuard SettingsGuard{&Store};
};

// ---- start-up ----

TEST_F(MainWindow, StartsFromLooseFilesAsFromTheArchive) {
    // Everything the window shows at start, for a disc of loose files and for the same disc
    // packed into the archive with no loose file beside it.
    auto startState = [this] {
        Start();
        EXPECT_EQ(Messages(), TTexts{});
        TTexts state = Window->StateLines();
        state.push_back(Shown());
        state.push_back(std::to_string(Window->Tree->NodeRecords.size()));
        state.push_back(cp1251::ToUtf8(FromQString(Window->windowTitle())));
        Window.reset();
        return state;
    };
    WriteArchive();
    ASSERT_EQ(fs::directory_iterator(Disc.Path())->path().filename(), "interface.dat");
    const TTexts fromArchive = startState();
    CloseArchive();
    fs::remove(Disc.Path() / "interface.dat");
    WriteLoose();
    const TTexts fromLoose = startState();

    EXPECT_EQ(fromLoose, fromArchive);
    EXPECT_EQ(fromLoose, (TTexts{"document\tone.htm", "tree\tПервый\tone.htm", "history\tПервый",
                                 "favorites", "Документ один", "5", "Тестовый диск"}));
    // The window made the program folder the current one: the disc's relative names resolve.
    EXPECT_EQ(fs::weakly_canonical(fs::current_path()), fs::weakly_canonical(Disc.Path()));
}

TEST_F(MainWindow, StartsWithTheFirstDocumentAndItsDocState) {
    WriteLoose();
    Start();
    EXPECT_EQ(Messages(), TTexts{});
    EXPECT_EQ(Shown(), "Документ один");
    EXPECT_EQ(Selected(), "one.htm");
    EXPECT_TRUE(Window->HasDoc);
    EXPECT_EQ(DocFunctions(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(Window->HtmlContextMenu(), Menu("menu_html"));
    // The edit box searches while the reader types; the tree file gives the document first.
    EXPECT_TRUE(Window->TreeFindEdit->ActOnEveryKey);
    EXPECT_FALSE(Window->Tree->CaptionFirst);
    // A freshly loaded tree offers expanding, and its first order is checked.
    EXPECT_FALSE(Button("but_tree_exp")->isHidden());
    EXPECT_TRUE(Button("but_tree_col")->isHidden());
    EXPECT_TRUE(Menu("menu_sort")->ItemAt(0)->isChecked());
}

TEST_F(MainWindow, TheDemoDiscStartsCleanlyWithItsFirstEssay) {
    CloseArchive();
    SetProgramFolderOverride(BinaryDir());
    ASSERT_TRUE(fs::exists(fs::path(BinaryDir()) / "interface.dat"));
    Start();
    EXPECT_EQ(Messages(), TTexts{});
    EXPECT_EQ(Selected(), "essays\\kraj\\predislovie.htm");
    EXPECT_EQ(Document(), "essays\\kraj\\predislovie.htm");
    TPack essay(W("essays\\kraj\\predislovie.htm"));
    ASSERT_FALSE(essay.Empty());
    const std::string title = Window->Html->Title();
    ASSERT_FALSE(title.empty());
    EXPECT_NE(essay.Content().find("<title>" + title + "</title>"), std::string::npos) << Shown();
    EXPECT_EQ(Window->HasDoc, PackFileExists(W("essays\\kraj\\predislovie.doc")));

    // The search window builds from its own structure file without a message, too.
    OnModal = [](QWidget* window) { window->close(); };
    Run("find_all");
    EXPECT_EQ(ModalRuns, 1);
    EXPECT_EQ(Messages(), TTexts{});

    // So does every other window of the disc.
    std::vector<std::string> others;
    for (const TData& entry : DatPack().Entries)
        if (entry.EntryName.rfind("struct_", 0) == 0 && entry.EntryName != "struct_main.txt" &&
            entry.EntryName != "struct_find.txt")
            others.push_back(entry.EntryName);
    EXPECT_FALSE(others.empty());
    for (const std::string& file : others) {
        TfrmFORM form;
        TSkStract engine(&form, file);
        engine.LoadStructure();
        engine.Activate();
        EXPECT_EQ(Messages(), TTexts{}) << file;
    }
}

// ---- documents ----

TEST_F(MainWindow, DocCounterpartDecidesExportPrintFavoriteAndContextMenu) {
    WriteLoose();
    Start();
    struct TCase {
        const char* Command;
        const char* Selected;
        bool HasDoc;
    };
    const TCase cases[] = {
        {"load*four.htm", "four.htm", false},
        {"load*sec\\Two.htm", "sec\\Two.htm", true},
        {"load*sec\\three.htm", "sec\\three.htm", false},
        {"load*one.htm#top", "one.htm", true},
    };
    for (const TCase& c : cases) {
        Run(c.Command);
        EXPECT_EQ(Messages(), TTexts{}) << c.Command;
        EXPECT_EQ(Selected(), c.Selected) << c.Command;
        EXPECT_EQ(Window->HasDoc, c.HasDoc) << c.Command;
        EXPECT_EQ(DocFunctions(), std::vector<bool>(3, c.HasDoc)) << c.Command;
        EXPECT_EQ(Window->HtmlContextMenu(), c.HasDoc ? Menu("menu_html") : nullptr) << c.Command;
    }
    // The view's context menu is asked of the window: "menu_html" with a ".doc", else none.
    auto requestMenu = [this] {
        Popups.clear();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(40, 50));
        QApplication::sendEvent(Window->Html->Viewer->viewport(), &event);
        return Popups.empty() ? nullptr : Popups[0].Menu;
    };
    Run("load*one.htm");
    EXPECT_EQ(requestMenu(), Menu("menu_html"));
    EXPECT_EQ(Popups[0].At, QPoint(40, 50));
    Run("load*four.htm");
    EXPECT_EQ(requestMenu(), nullptr);
    // The current document is kept lower-cased and without its anchor.
    Run("load*sec\\Two.htm");
    EXPECT_EQ(Document(), "sec\\two.htm");
}

TEST_F(MainWindow, DocumentOutsideTheTreeIsShownWithItsOwnState) {
    WriteLoose();
    Start();
    // The tree falls back to its first node; the view ends on the document asked for, and the
    // window's state is that document's, not the first node's.
    for (const auto& [name, title, hasDoc] :
         {std::tuple{"extra.htm", "Вне дерева", false},
          std::tuple{"extra_doc.htm", "Вне дерева с doc", true}}) {
        Run("load*four.htm");
        Run(std::string("load*") + name);
        EXPECT_EQ(Messages(), TTexts{}) << name;
        EXPECT_EQ(Shown(), title);
        EXPECT_EQ(Selected(), "one.htm") << name;
        EXPECT_EQ(Document(), name);
        EXPECT_EQ(Window->HasDoc, hasDoc) << name;
        EXPECT_EQ(DocFunctions(), std::vector<bool>(3, hasDoc)) << name;
    }
    // Saving saves the document shown.
    Dialogs.FileAnswers.push_back(Elsewhere.Folder() + "saved.doc");
    Act("export");
    ASSERT_FALSE(Dialogs.Entries.empty());
    EXPECT_EQ(Dialogs.Entries.back().Text, "extra_doc.doc");
    EXPECT_EQ(ReadFileBytes(Elsewhere.Path() / "saved.doc"), DocBytes("extra_doc.htm"));
}

TEST_F(MainWindow, MissingDocumentLeavesEverythingAsItWas) {
    WriteLoose();
    Start();
    Run("load*sec\\Two.htm");
    const TTexts before = Window->StateLines();
    Run("load*nowhere.htm");
    const TTexts messages = Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].find("Не найден файл (HtmlView): nowhere.htm"), std::string::npos)
        << messages[0];
    EXPECT_EQ(Window->StateLines(), before);
    EXPECT_EQ(Shown(), "Документ два");
    EXPECT_TRUE(Window->HasDoc);
    EXPECT_EQ(DocFunctions(), (std::vector<bool>{true, true, true}));
}

// ---- favorites ----

TEST_F(MainWindow, FavoritesMenuChecksTheCurrentFavoriteAndDeletesIt) {
    WriteLoose();
    Start();
    Run("load*sec\\Two.htm");
    Act("add_favorite");
    Run("load*one.htm");
    Act("add_favorite");
    EXPECT_EQ(Favorites(), (TTexts{"Первый=load*one.htm", "Второй=load*sec\\Two.htm"}));
    TSkPopMenu* menu = Window->FavoritesMenu;
    EXPECT_EQ(Captions(menu), (TTexts{"Добавить", "Удалить", "-", "Первый", "Второй"}));

    // On a favorite (spelt in other letter case by the tree): checked, only deletion offered.
    Run("load*sec\\two.htm");
    Run("menu_show*menu_favorite");
    ASSERT_EQ(Popups.size(), 1U);
    EXPECT_EQ(Popups[0].Menu, menu);
    EXPECT_TRUE(menu->ItemAt(4)->isChecked());
    EXPECT_FALSE(menu->ItemAt(3)->isChecked());
    EXPECT_FALSE(Window->AddFavoriteItem->isEnabled());
    EXPECT_TRUE(Window->DelFavoriteItem->isEnabled());

    // Deleting through the menu item removes it from the list and from the menu.
    Window->DelFavoriteItem->trigger();
    EXPECT_EQ(Favorites(), TTexts{"Первый=load*one.htm"});
    EXPECT_EQ(Captions(menu), (TTexts{"Добавить", "Удалить", "-", "Первый"}));

    // Not a favorite: adding offered, deleting not; a document without ".doc" offers neither.
    Run("menu_show*menu_favorite");
    EXPECT_FALSE(menu->ItemAt(3)->isChecked());
    EXPECT_TRUE(Window->AddFavoriteItem->isEnabled());
    EXPECT_FALSE(Window->DelFavoriteItem->isEnabled());
    Run("load*four.htm");
    Run("menu_show*menu_favorite");
    EXPECT_FALSE(Window->AddFavoriteItem->isEnabled());
    EXPECT_FALSE(Window->DelFavoriteItem->isEnabled());
    // Without a favorite chosen in the menu, deleting deletes nothing.
    Act("del_favorite");
    EXPECT_EQ(Favorites(), TTexts{"Первый=load*one.htm"});
    // Nor does a favorite chosen for another document: the menu opened on "one.htm", then the
    // reader went on (a hot key deletes without the menu).
    Run("load*one.htm");
    Run("menu_show*menu_favorite");
    EXPECT_TRUE(Window->DelFavoriteItem->isEnabled());
    for (const char* elsewhere : {"load*sec\\Two.htm", "load*four.htm"}) {
        Run(elsewhere);
        Act("del_favorite");
        EXPECT_EQ(Favorites(), TTexts{"Первый=load*one.htm"}) << elsewhere;
    }
    // A menu opened on a favorite and then on another document forgets the first choice.
    Run("load*one.htm");
    Run("menu_show*menu_favorite");
    Window->Tree->SelectNode(Window->Tree->topLevelItem(2)); // no click: the state follows
    Run("menu_show*menu_favorite");
    Act("del_favorite");
    EXPECT_EQ(Favorites(), TTexts{"Первый=load*one.htm"});
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(MainWindow, FavoritesSurviveARestart) {
    WriteLoose();
    Start();
    for (const char* document : {"four.htm", "sec\\three.htm", "one.htm"}) {
        Run(std::string("load*") + document);
        Act("add_favorite");
    }
    const TTexts saved = Favorites();
    ASSERT_EQ(saved.size(), 3U);
    Restart();
    EXPECT_EQ(Messages(), TTexts{});
    EXPECT_EQ(Favorites(), saved);
    EXPECT_EQ(Captions(Window->FavoritesMenu),
              (TTexts{"Добавить", "Удалить", "-", "Первый", "Третий", "Четвёртый"}));
    // A favorite item opens its document.
    Window->FavoritesMenu->ItemAt(5)->trigger();
    EXPECT_EQ(Shown(), "Документ четыре");
    EXPECT_EQ(Selected(), "four.htm");
}

TEST_F(MainWindow, HeadingIsNoFavorite) {
    WriteLoose();
    Start();
    Window->Tree->SelectNode(Window->Tree->topLevelItem(1)); // "Раздел"
    Act("add_favorite");
    EXPECT_EQ(Favorites(), TTexts{});
    EXPECT_EQ(Messages(), TTexts{});
}

// ---- history drop-downs ----

TEST_F(MainWindow, HistoryMenusListOlderAndNewerVisits) {
    WriteLoose();
    Start();
    // Only the first visit: nothing older, nothing newer.
    Act("show_history_prev", 100, 200, 30);
    Act("show_history_back", 100, 200, 30);
    ASSERT_EQ(Popups.size(), 2U);
    EXPECT_EQ(Popups[0].Menu, Menu("menu_history_prev"));
    EXPECT_EQ(Popups[0].At, QPoint(100, 230)); // under the button
    EXPECT_EQ(Captions(Menu("menu_history_prev")), TTexts{});
    EXPECT_EQ(Captions(Menu("menu_history_back")), TTexts{});

    for (const char* document : {"sec\\Two.htm", "sec\\three.htm", "four.htm"})
        Run(std::string("load*") + document);
    EXPECT_EQ(Window->Tree->HistoryCaptions,
              (TTexts{W("Четвёртый"), W("Третий"), W("Второй"), W("Первый")}));
    // At the newest visit the forward menu stays empty, also after the back menu was filled.
    Act("show_history_back");
    TSkPopMenu* back = Menu("menu_history_back");
    EXPECT_EQ(Captions(back), (TTexts{"Третий", "Второй", "Первый"}));
    Act("show_history_prev");
    EXPECT_EQ(Captions(Menu("menu_history_prev")), TTexts{});

    // Choosing an older visit goes there; the menus then split the history around it.
    Act("show_history_back");
    back->ItemAt(1)->trigger();
    EXPECT_EQ(Messages(), TTexts{});
    EXPECT_EQ(Shown(), "Документ два");
    EXPECT_EQ(Selected(), "sec\\Two.htm");
    EXPECT_EQ(Window->Tree->HistoryPos, 2);
    EXPECT_TRUE(Window->HasDoc);
    Act("show_history_back");
    EXPECT_EQ(Captions(back), TTexts{"Первый"});
    Act("show_history_prev");
    TSkPopMenu* forward = Menu("menu_history_prev");
    EXPECT_EQ(Captions(forward), (TTexts{"Четвёртый", "Третий"}));
    forward->ItemAt(0)->trigger();
    EXPECT_EQ(Shown(), "Документ четыре");
    EXPECT_FALSE(Window->HasDoc);
    EXPECT_EQ(Messages(), TTexts{});
}

// ---- the tree: orders, expanding, fast find ----

TEST_F(MainWindow, AnotherOrderKeepsTheDocumentAndChecksItsItem) {
    WriteLoose();
    Start();
    Run("load*sec\\three.htm");
    TSkPopMenu* sort = Menu("menu_sort");
    // Each order holds the document: it stays selected and shown, its item alone checked, and
    // the reloaded tree is collapsed (though it was expanded before).
    for (const int item : {1, 0, 2, 1}) {
        Window->Engine->ClickControl(Button("but_tree_exp"));
        ASSERT_TRUE(Button("but_tree_exp")->isHidden());
        sort->ItemAt(item)->trigger();
        EXPECT_EQ(Messages(), TTexts{}) << item;
        EXPECT_EQ(Selected(), "sec\\three.htm") << item;
        EXPECT_EQ(Shown(), "Документ три") << item;
        for (int i = 0; i < sort->ItemCount(); ++i)
            EXPECT_EQ(sort->ItemAt(i)->isChecked(), i == item) << item << " " << i;
        EXPECT_FALSE(Button("but_tree_exp")->isHidden()) << item;
        EXPECT_TRUE(Button("but_tree_col")->isHidden()) << item;
    }
    // A reload records no visit.
    EXPECT_EQ(Window->Tree->HistoryCaptions, (TTexts{W("Третий"), W("Первый")}));

    // An order without the document falls back to its first node and opens it.
    Run("load*one.htm");
    sort->ItemAt(2)->trigger();
    EXPECT_EQ(Selected(), "four.htm");
    EXPECT_EQ(Shown(), "Документ четыре");
    EXPECT_EQ(Document(), "four.htm");
    EXPECT_FALSE(Window->HasDoc);
}

TEST_F(MainWindow, ExpandAndCollapseSwapTheButtonsAndKeepTheSelection) {
    WriteLoose();
    Start();
    Run("load*four.htm");
    TSkTree* tree = Window->Tree;
    QTreeWidgetItem* section = tree->topLevelItem(1);
    ASSERT_EQ(section->childCount(), 2);
    TSkSpeedButton* expand = Button("but_tree_exp");
    TSkSpeedButton* collapse = Button("but_tree_col");
    for (int round = 0; round < 2; ++round) {
        Window->Engine->ClickControl(expand);
        EXPECT_TRUE(section->isExpanded());
        EXPECT_TRUE(expand->isHidden());
        EXPECT_FALSE(collapse->isHidden());
        EXPECT_EQ(Selected(), "four.htm");
        Window->Engine->ClickControl(collapse);
        EXPECT_FALSE(section->isExpanded());
        EXPECT_FALSE(expand->isHidden());
        EXPECT_TRUE(collapse->isHidden());
        EXPECT_EQ(Selected(), "four.htm");
    }
    // A node inside a branch: collapsing keeps it selected and its branch open, so it stays
    // in view.
    Run("load*sec\\three.htm");
    Window->Engine->ClickControl(expand);
    Window->Engine->ClickControl(collapse);
    EXPECT_EQ(Selected(), "sec\\three.htm");
    EXPECT_TRUE(section->isExpanded());
    EXPECT_EQ(Shown(), "Документ три");
    // Neither moved the document nor recorded a visit.
    EXPECT_EQ(tree->HistoryCaptions, (TTexts{W("Третий"), W("Четвёртый"), W("Первый")}));
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(MainWindow, FastFindFollowsTheTyping) {
    WriteLoose();
    Start();
    TSkEditBox* box = Window->TreeFindEdit;
    // Each released key runs the find over the text typed so far.
    for (const QChar c : ToQString(W("Тр")))
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    EXPECT_EQ(box->Text(), W("Тр"));
    EXPECT_EQ(Selected(), "sec\\three.htm");
    EXPECT_EQ(Shown(), "Документ один"); // finding selects, it opens nothing
    // The next match after the selected node, round to the start.
    box->SetText(W("Вт"));
    Act("fast_find");
    EXPECT_EQ(Selected(), "sec\\Two.htm");
    box->SetText(W("ёр"));
    Act("fast_find");
    EXPECT_EQ(Selected(), "four.htm");
    // No match, or nothing typed: the selection stays.
    box->SetText(W("нет такого"));
    Act("fast_find");
    EXPECT_EQ(Selected(), "four.htm");
    box->SetText("");
    Act("fast_find");
    EXPECT_EQ(Selected(), "four.htm");
    EXPECT_EQ(Messages(), TTexts{});
}

// ---- saving the ".doc" ----

TEST_F(MainWindow, ExportWritesTheDocBytesExactly) {
    WriteLoose();
    Start();
    Run("load*sec\\Two.htm");
    // An existing file is replaced whole.
    Elsewhere.Write("mine.doc", std::string(4096, 'x'));
    const std::string target = Elsewhere.Folder() + "mine.doc";
    Dialogs.FileAnswers.push_back(target);
    Act("export");
    ASSERT_EQ(Dialogs.Entries.size(), 1U);
    EXPECT_EQ(Dialogs.Entries[0].Kind, TRecordingDialogs::TKind::SaveFile);
    EXPECT_EQ(Dialogs.Entries[0].Text, "two.doc"); // without its folder
    EXPECT_EQ(Dialogs.Entries[0].Extra.substr(0, 4), "doc|");
    EXPECT_EQ(ReadFileBytes(Elsewhere.Path() / "mine.doc"), DocBytes("sec/two.htm"));
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(MainWindow, ExportFromTheArchive) {
    WriteArchive();
    Start();
    Dialogs.FileAnswers.push_back(Elsewhere.Folder() + W("очерк.doc"));
    Act("export");
    EXPECT_EQ(ReadFileBytes(Elsewhere.Path() / "очерк.doc"), DocBytes("one.htm"));
    EXPECT_EQ(Messages(), TTexts{});
}

TEST_F(MainWindow, ExportThatCannotWriteSaysSoAndLeavesNoFile) {
    WriteLoose();
    Start();
    fs::create_directories(Elsewhere.Path() / "folder.doc");
    for (const std::string name : {"missing/x.doc", "folder.doc"}) {
        Dialogs.Clear();
        Dialogs.FileAnswers.push_back(Elsewhere.Folder() + name);
        Act("export");
        const TTexts messages = Messages();
        ASSERT_EQ(messages.size(), 1U) << name;
        EXPECT_EQ(messages[0].rfind(
                      "Не удалось сохранить файл " + cp1251::ToUtf8(Elsewhere.Folder()) + name, 0),
                  0U)
            << messages[0];
    }
    // Nothing but the folder that was there: no partial or temporary file anywhere.
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(Elsewhere.Path()))
        left.push_back(entry.path().lexically_relative(Elsewhere.Path()).string());
    EXPECT_EQ(left, std::vector<std::string>{"folder.doc"});
}

TEST_F(MainWindow, ExportCancelledOrWithoutDocWritesNothing) {
    WriteLoose();
    Start();
    Act("export"); // the dialog answers cancel
    EXPECT_EQ(Dialogs.Entries.size(), 1U);
    Run("load*four.htm");
    Dialogs.FileAnswers.push_back(Elsewhere.Folder() + "four.doc");
    Act("export"); // no ".doc": no dialog at all
    EXPECT_EQ(Dialogs.Entries.size(), 1U);
    EXPECT_TRUE(fs::is_empty(Elsewhere.Path()));
    EXPECT_EQ(Messages(), TTexts{});
}

// ---- commands and objects the window does not know ----

TEST_F(MainWindow, UnknownCommandAndObjectAreNamed) {
    WriteLoose(Structure({}, "[strange]\ntype=wibble\n"));
    Start();
    EXPECT_EQ(Messages(), TTexts{"Неизвестный контрол:strange"});
    Dialogs.Clear();
    Run("frobnicate*1*2//load*four.htm");
    EXPECT_EQ(Messages(), TTexts{"frobnicate"});
    EXPECT_EQ(Shown(), "Документ один"); // the rest of the string went with it
}

// Every function of the window, run on a window that lacks one of its objects.
void RunEverything(MainWindow& t) {
    t.Dialogs.FileAnswers.clear();
    t.Dialogs.FileAnswers.push_back(t.Elsewhere.Folder() + "any.doc");
    for (const char* command :
         {"load*sec\\Two.htm", "load*extra.htm", "load_tree*1*tree_alpha.txt", "tree_exp",
          "tree_col", "fast_find", "add_favorite", "del_favorite", "show_history_back",
          "show_history_prev", "history*1", "export", "load*one.htm"})
        t.Act(command, 1, 2, 3);
    if (t.Window->FavoritesMenu)
        t.Window->FavoritesPopup();
    (void)t.Window->HtmlContextMenu();
    (void)t.Window->StateLines();
}

TEST_F(MainWindow, MissingRequiredObjectIsReportedOnceAndTheRestWorks) {
    for (const std::string missing : {"tree", "html", "ed_tree_find", "menu_favorite"}) {
        SCOPED_TRACE(missing);
        Dialogs.Clear();
        Popups.clear();
        WriteLoose(Structure(missing));
        Start();
        EXPECT_EQ(Messages(), TTexts{Missing(missing)});
        RunEverything(*this);
        EXPECT_EQ(Messages(), TTexts{Missing(missing)});
        // The window still opens documents.
        if (Window->Html) {
            EXPECT_EQ(Shown(), "Документ один");
        }
        EXPECT_EQ(Document(), "one.htm");
        Window.reset();
        CloseArchive();
    }
}

TEST_F(MainWindow, MissingOptionalObjectsAreReportedOnce) {
    for (const std::string missing :
         {"but_export", "but_print", "but_tree_exp", "but_tree_col", "menu_sort", "menu_html",
          "menu_history_back", "menu_history_prev"}) {
        SCOPED_TRACE(missing);
        Dialogs.Clear();
        WriteLoose(Structure(missing));
        Start();
        EXPECT_EQ(Messages(), TTexts{Missing(missing)});
        RunEverything(*this);
        EXPECT_EQ(Messages(), TTexts{Missing(missing)});
        Window.reset();
    }
}

TEST_F(MainWindow, MissingTreeFileLeavesAnEmptyTree) {
    WriteLoose();
    fs::remove(Disc.Path() / "tree2.txt");
    Start();
    EXPECT_EQ(Messages(), TTexts{"Не найден файл \r\ntree2.txt"});
    EXPECT_EQ(Window->Tree->topLevelItemCount(), 0);
    EXPECT_EQ(Document(), "");
    Dialogs.Clear();
    RunEverything(*this);
    EXPECT_EQ(Shown(), "Документ один");
}

TEST_F(MainWindow, MissingStructureFileLeavesAnEmptyWindow) {
    WriteLoose();
    fs::remove(Disc.Path() / "struct_main.txt");
    Start();
    const TTexts messages = Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], "Не найден файл \r\nstruct_main.txt");
    // Each object the window looks up is reported once, and only once.
    for (const char* name : {"tree", "html", "ed_tree_find", "menu_favorite", "menu_sort"})
        EXPECT_EQ(std::count(messages.begin(), messages.end(), Missing(name)), 1) << name;
    Dialogs.Clear();
    RunEverything(*this);
    EXPECT_EQ(Messages(), TTexts{});
    EXPECT_EQ(Window->StateLines(),
              (TTexts{"document\tone.htm", "tree\t\t", "history", "favorites"}));
}

// ---- the search window ----

TEST_F(MainWindow, FindAllOpensTheSearchWindowWithItsMessageCleared) {
    WriteLoose();
    Start();
    std::vector<QWidget*> shown;
    OnModal = [&](QWidget* window) {
        shown.push_back(window);
        window->close();
    };
    Run("find_all");
    ASSERT_EQ(ModalRuns, 1);
    auto* find = dynamic_cast<TfrmFind*>(shown[0]);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find, Window->FindWindow.get());
    // The window is kept; each opening clears its message line.
    find->Engine()->GetLabel("lb_message")->SetFullCaption(W("старое"));
    Run("find_all");
    ASSERT_EQ(ModalRuns, 2);
    EXPECT_EQ(shown[1], find);
    EXPECT_EQ(find->Engine()->GetLabel("lb_message")->text(), QString());
    EXPECT_EQ(Messages(), TTexts{});
}

// ---- --dump ----

TEST_F(MainWindow, StateLinesTellDocumentTreeHistoryAndFavorites) {
    WriteLoose();
    Start();
    Run("load*sec\\Two.htm");
    Act("add_favorite");
    Run("load*extra.htm");
    EXPECT_EQ(Window->StateLines(),
              (TTexts{"document\textra.htm", "tree\tПервый\tone.htm",
                      "history\tПервый\tВторой\tПервый", "favorites\tВторой=load*sec\\Two.htm"}));
}

} // namespace
