#include "app/frmMain.h"

#include "SkinControl/SkButtons.h"
#include "SkinControl/SkInputs.h"
#include "SkinControl/SkPopMenu.h"
#include "SkinControl/SkTree.h"
#include "archive/Archive.h"
#include "engine/SkCommand.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/ConvertError.h"
#include "platform/Controls.h"
#include "platform/HostPath.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/Services.h"
#include "viewer/SkHtml.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QSaveFile>
#include <QTextBrowser>

#include <functional>
#include <utility>

namespace {

std::string Ru(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

// The file part of a document name: links and commands may carry an anchor ("a.htm#top").
std::string FilePart(const std::string& name) {
    return TextBefore(name, "#");
}

// The name with its extension (if any) replaced by ".doc".
std::string DocName(const std::string& name) {
    const auto slash = name.find_last_of("\\/");
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name + ".doc";
    return name.substr(0, dot) + ".doc";
}

// The file name without its folder.
std::string BareName(const std::string& name) {
    const auto slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : Flag(flag), Old(flag) { Flag = true; }
    ~TFlagScope() { Flag = Old; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& Flag;
    bool Old;
};

// The view's context menu is the window's decision (it depends on the document shown), so the
// window takes the view's context-menu requests before the view sees them.
class THtmlMenuFilter : public QObject {
public:
    THtmlMenuFilter(QObject* parent, std::function<void(const QPoint&)> show)
        : QObject(parent), Show(std::move(show)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ContextMenu)
            return false;
        const QPoint at = static_cast<QContextMenuEvent*>(event)->globalPos();
        GuardedCall([&] { Show(at); });
        return true;
    }

private:
    std::function<void(const QPoint&)> Show;
};

} // namespace

TfrmMain::TfrmMain(QWidget* owner) : TSkForm(owner, QRect(194, 118, 696, 480)) {
    // The window's own name keeps its saved position apart from every other window's.
    SetComponentName(this, "frmMain");
    // Shown until (or unless) the structure file gives a caption.
    SetCaption(Ru("Читалка"));

    // Names relative to the disc are read from the program folder.
    QDir::setCurrent(QString::fromStdString(ToHostPath(ProgramDir())));
    // Without an archive every name is read from the disc's loose files.
    OpenArchive("interface.dat");

    Engine = std::make_unique<TSkStract>(this, "struct_main.txt");
    Engine->OnAction = [this](const RHelpAction& action) { DoAction(action); };
    Engine->OnUnknownObject = [this](QWidget*, const std::string& section, const TStrings&,
                                     const std::string&) { UnknownObject(section); };
    // A malformed value ends the build at its object; what was built stays and works.
    RunGuarded([&] { Engine->LoadStructure(); });
    RunGuarded([&] { Engine->Activate(); });

    FindObjects();
    RunGuarded([&] { LoadTree("tree2.txt", 0); });
    if (Tree)
        RunGuarded([&] {
            Tree->SelectFirst();
            Tree->FireClick();
        });
}

TfrmMain::~TfrmMain() {
    // The tree reports selection changes while the engine frees it; nobody listens any more.
    if (Tree)
        QObject::disconnect(Tree, nullptr, this, nullptr);
    FindWindow.reset(); // its engine goes before this window's
    Tree = nullptr;
    Html = nullptr;
    TreeFindEdit = nullptr;
    FavoritesMenu = nullptr;
    AddFavoriteItem = DelFavoriteItem = nullptr;
    try {
        Engine.reset(); // saves the favorites and, with save_pos, the window's position
    } catch (...) {
    }
    CloseArchive();
}

void TfrmMain::FindObjects() {
    // Each lookup reports a missing object once, here; the functions that need it stay inactive.
    FavoritesMenu = Engine->GetPopMenu("menu_favorite");
    if (FavoritesMenu) {
        FavoritesMenu->OnBeforePopup = [this] { FavoritesPopup(); };
        AddFavoriteItem = FavoritesMenu->FindByAction("add_favorite");
        DelFavoriteItem = FavoritesMenu->FindByAction("del_favorite");
        for (const char* command : {"add_favorite", "del_favorite"})
            if (!FavoritesMenu->FindByAction(command))
                Engine->ReportError(Ru("TfrmMain. В меню menu_favorite нет пункта с командой ") +
                                    command);
    }

    TreeFindEdit = Engine->GetEditBox("ed_tree_find");
    if (TreeFindEdit)
        TreeFindEdit->ActOnEveryKey = true; // the fast find follows the typing

    Html = Engine->GetHtml("html");
    Tree = Engine->GetTree("tree");
    if (Tree) {
        Tree->CaptionFirst = false; // "tree2.txt" gives the document first, the caption second
        QObject::connect(Tree, &QTreeWidget::currentItemChanged, this,
                         [this] { GuardedCall([&] { TreeSelectionMoved(); }); });
    }
    if (Html) {
        auto* filter = new THtmlMenuFilter(this, [this](const QPoint& at) { ShowHtmlMenu(at); });
        Html->Viewer->installEventFilter(filter);
        Html->Viewer->viewport()->installEventFilter(filter);
    }

    ExportButton = Engine->GetSpeedButton("but_export");
    PrintButton = Engine->GetSpeedButton("but_print");
    ExpandButton = Engine->GetSpeedButton("but_tree_exp");
    CollapseButton = Engine->GetSpeedButton("but_tree_col");
    SortMenu = Engine->GetPopMenu("menu_sort");
    HtmlMenu = Engine->GetPopMenu("menu_html");
    HistoryBackMenu = Engine->GetPopMenu("menu_history_back");
    HistoryPrevMenu = Engine->GetPopMenu("menu_history_prev");
}

void TfrmMain::DoAction(const RHelpAction& action) {
    const TSkCommand commands(action.Command);
    if (commands.Count() == 0)
        return;
    const RCommand& command = commands.Items().front();
    const std::string& name = command.Name;
    const std::string p1 = GetParam(command.Params, 0);
    const std::string p2 = GetParam(command.Params, 1);

    if (name == "load") {
        OpenDocument(p1);
    } else if (name == "load_tree") {
        LoadTree(p2, StrToInt(p1));
    } else if (name == "tree_exp") {
        ExpandTree();
    } else if (name == "tree_col") {
        CollapseTree();
    } else if (name == "export") {
        ExportDoc();
    } else if (name == "add_favorite") {
        AddCurrentToFavorites();
    } else if (name == "del_favorite") {
        DeleteCurrentFavorite();
    } else if (name == "show_history_back") {
        ShowHistoryMenu(true, action.X, action.Y, action.Height);
    } else if (name == "show_history_prev") {
        ShowHistoryMenu(false, action.X, action.Y, action.Height);
    } else if (name == "history") {
        const int position = StrToInt(p1);
        if (Tree)
            Tree->GoHistory(position);
    } else if (name == "fast_find") {
        FindInTree();
    } else if (name == "find_all") {
        ShowFindWindow();
    } else {
        Dialogs().ShowMessage(name);
    }
}

std::string TfrmMain::CurrentDocument() {
    return CurrentDoc;
}

bool TfrmMain::FindInDocument(const std::string& text) {
    return Html && Html->Find(text);
}

void TfrmMain::ShowFindWindow() {
    if (!FindWindow)
        FindWindow = std::make_unique<TfrmFind>(this, this);
    FindWindow->Execute();
}

void TfrmMain::UnknownObject(const std::string& section) {
    Dialogs().ShowMessage(Ru("Неизвестный контрол:") + section);
}

void TfrmMain::ApplyDocumentState(const std::string& document) {
    // The favorite chosen in the menu was the previous document's: deleting now must not reach it.
    CurrentFavorite.clear();
    CurrentDoc = cp1251::Lower(document);
    HasDoc = PackFileExists(DocName(document));
    if (ExportButton)
        ExportButton->setEnabled(HasDoc);
    if (PrintButton)
        PrintButton->setEnabled(HasDoc);
    if (AddFavoriteItem)
        AddFavoriteItem->setEnabled(HasDoc);
}

void TfrmMain::OpenDocument(const std::string& name) {
    const std::string file = FilePart(name);
    if (!PackFileExists(file)) {
        // The view says what is missing and keeps its document; so does the window.
        if (Html)
            Html->LoadFile(name);
        return;
    }
    if (Tree && Tree->SelectedDocument() != file)
        SelectNode(Tree->FindNodeByDocument(file), true);
    // After the tree's fallback, which opens the first node's document on its way: the state
    // (export, print, favorites) is the state of the document shown at the end.
    ApplyDocumentState(file);
    if (Html)
        Html->LoadFile(name);
}

void TfrmMain::SelectNode(QTreeWidgetItem* node, bool fallback) {
    if (!Tree)
        return;
    if (node) {
        const TFlagScope selecting(SelectingNode);
        Tree->setUpdatesEnabled(false);
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            up->setExpanded(true);
        Tree->SelectNode(node);
        Tree->scrollToItem(node);
        Tree->setUpdatesEnabled(true);
    } else if (fallback && !InFallback) {
        // The first node's click opens its document, which is in the tree: no second fallback.
        const TFlagScope falling(InFallback);
        {
            const TFlagScope selecting(SelectingNode);
            Tree->SelectFirst();
        }
        Tree->FireClick();
    }
}

void TfrmMain::TreeSelectionMoved() {
    // The view followed a link, or the tree went through its history: the document the window
    // acts on (export, print, favorites) is the one selected now.
    if (SelectingNode || !Tree)
        return;
    const std::string document = Tree->SelectedDocument();
    if (document.empty() || cp1251::EqualNoCase(document, CurrentDoc))
        return;
    ApplyDocumentState(document);
}

void TfrmMain::SetTreeButtons(bool expanded) {
    if (ExpandButton)
        SetShown(ExpandButton, !expanded);
    if (CollapseButton)
        SetShown(CollapseButton, expanded);
}

void TfrmMain::LoadTree(const std::string& file, int sortIndex) {
    if (Tree) {
        struct TRecordAgain {
            TSkTree* Tree;
            ~TRecordAgain() { Tree->RecordHistory = true; }
        } recordAgain{Tree};
        Tree->RecordHistory = false;
        SetTreeButtons(false); // a freshly loaded tree is collapsed
        const std::string remembered = Tree->SelectedDocument();
        Tree->LoadTreeFile(file);
        // With nothing selected before there is nothing to keep; the caller chooses what opens.
        if (!remembered.empty())
            SelectNode(Tree->FindNodeByDocument(remembered), true);
    }
    if (SortMenu) {
        for (int i = 0; i < SortMenu->ItemCount(); ++i) {
            SortMenu->ItemAt(i)->setCheckable(true);
            SortMenu->ItemAt(i)->setChecked(false);
        }
        if (sortIndex >= 0 && sortIndex < SortMenu->ItemCount())
            SortMenu->ItemAt(sortIndex)->setChecked(true);
    }
}

void TfrmMain::ExpandTree() {
    if (!Tree)
        return;
    Tree->setUpdatesEnabled(false);
    const std::string remembered = Tree->SelectedDocument();
    Tree->expandAll();
    if (!remembered.empty())
        SelectNode(Tree->FindNodeByDocument(remembered), true);
    Tree->setUpdatesEnabled(true);
}

void TfrmMain::CollapseTree() {
    if (!Tree)
        return;
    Tree->setUpdatesEnabled(false);
    const std::string remembered = Tree->SelectedDocument();
    Tree->collapseAll();
    if (!remembered.empty())
        SelectNode(Tree->FindNodeByDocument(remembered), true);
    Tree->setUpdatesEnabled(true);
}

void TfrmMain::FindInTree() {
    if (!Tree || !TreeFindEdit)
        return;
    const std::string text = TreeFindEdit->Text();
    if (text.empty())
        return;
    if (QTreeWidgetItem* node = Tree->FastFind(text))
        SelectNode(node, false);
}

void TfrmMain::ExportDoc() {
    // The document shown is the one saved (the tree may show another node when the document is
    // not in it).
    const std::string document =
        !CurrentDoc.empty() ? CurrentDoc : (Tree ? Tree->SelectedDocument() : "");
    if (document.empty())
        return;
    const std::string docName = DocName(document);
    if (!PackFileExists(docName))
        return;
    const std::string target = Dialogs().SaveFileDialog(BareName(docName), "doc", "*.doc");
    if (target.empty())
        return;
    const TPack pack(docName);
    // Written beside the target and renamed over it only when complete: a failure never leaves
    // a half-written file in place of an existing one.
    QSaveFile out(QString::fromStdString(ToHostPath(target)));
    const auto size = static_cast<qint64>(pack.Size());
    const bool written = out.open(QIODevice::WriteOnly) && out.write(pack.Data(), size) == size &&
                         out.commit();
    if (!written)
        Dialogs().ShowMessage(Ru("Не удалось сохранить файл ") + target + "\r\n" +
                              FromQString(out.errorString()));
}

void TfrmMain::AddCurrentToFavorites() {
    // Without the favorites menu there is nowhere to show a favorite: the function is inactive.
    if (!Tree || !Engine || !FavoritesMenu)
        return;
    const QTreeWidgetItem* node = Tree->currentItem();
    const std::string document = Tree->SelectedDocument();
    if (!node || document.empty())
        return; // a heading is no document to come back to
    Engine->AddFavorite(Tree->CaptionOf(node) + "=load*" + document);
}

void TfrmMain::FavoritesPopup() {
    if (!FavoritesMenu)
        return;
    const std::string command = "load*" + CurrentDoc;
    TSkItem* item = FavoritesMenu->FindByValue(command);
    if (DelFavoriteItem)
        DelFavoriteItem->setEnabled(false);
    FavoritesMenu->UncheckAll();
    if (!HasDoc)
        return;
    if (item) {
        item->setCheckable(true);
        item->setChecked(true);
        if (AddFavoriteItem)
            AddFavoriteItem->setEnabled(false);
        if (DelFavoriteItem)
            DelFavoriteItem->setEnabled(true);
        CurrentFavorite = command;
    } else if (AddFavoriteItem) {
        AddFavoriteItem->setEnabled(true);
    }
}

void TfrmMain::DeleteCurrentFavorite() {
    // An empty text is contained in every entry: without a favorite chosen in the menu nothing
    // is deleted.
    if (!Engine || CurrentFavorite.empty())
        return;
    Engine->DeleteFavorite(CurrentFavorite);
    CurrentFavorite.clear();
}

void TfrmMain::ShowHistoryMenu(bool older, int x, int y, int height) {
    TSkPopMenu* menu = older ? HistoryBackMenu.data() : HistoryPrevMenu.data();
    if (!menu || !Tree)
        return;
    menu->ClearItems();
    const int count = static_cast<int>(Tree->HistoryCaptions.size());
    const int first = older ? Tree->HistoryPos + 1 : 0;
    const int last = older ? count - 1 : Tree->HistoryPos - 1;
    for (int n = first; n <= last && n < count; ++n)
        // A visit whose node went with a reloaded tree leads nowhere.
        if (Tree->HistoryNode(n))
            menu->AddItem(Tree->HistoryCaptions[static_cast<size_t>(n)],
                          "history*" + std::to_string(n), "");
    menu->PopupAt(x, y + height);
}

QMenu* TfrmMain::HtmlContextMenu() const {
    return HasDoc && HtmlMenu ? HtmlMenu.data() : nullptr;
}

void TfrmMain::ShowHtmlMenu(const QPoint& at) {
    if (auto* menu = dynamic_cast<TSkPopMenu*>(HtmlContextMenu()))
        menu->PopupAt(at.x(), at.y());
}

std::vector<std::string> TfrmMain::StateLines() const {
    std::string document = "document\t" + CurrentDoc;
    std::string tree = "tree\t";
    std::string history = "history";
    if (Tree) {
        if (const QTreeWidgetItem* node = Tree->currentItem())
            tree += Tree->CaptionOf(node);
        tree += "\t" + Tree->SelectedDocument();
        for (const std::string& caption : Tree->HistoryCaptions)
            history += "\t" + caption;
    } else {
        tree += "\t";
    }
    std::string favorites = "favorites";
    if (Engine && Engine->Favorites)
        for (const std::string& entry : *Engine->Favorites)
            favorites += "\t" + entry;
    std::vector<std::string> lines;
    for (const std::string* line : {&document, &tree, &history, &favorites})
        lines.push_back(cp1251::ToUtf8(*line));
    return lines;
}
