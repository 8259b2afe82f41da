#pragma once
// The reader's main window: the topic tree and the document view of the collection, built from
// "struct_main.txt", with the commands that belong to this window alone — opening a document,
// loading another order of the tree, expanding and collapsing it, the history drop-downs,
// favorites, the fast find in the tree, the search window and saving an essay's ".doc"
// counterpart.

#include "app/SkForm.h"
#include "archive/Utils.h"
#include "engine/HelpAction.h"
#include "search/frmFind.h"

#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QMenu;
class QTreeWidgetItem;
class TSkStract;
class TSkTree;
class TSkHtml;
class TSkEditBox;
class TSkPopMenu;
class TSkItem;
class TSkSpeedButton;

class TfrmMain : public TSkForm, public TFindHost {
public:
    // The whole start-up: program folder, archive, the window's build, the tree and the first
    // essay.
    explicit TfrmMain(QWidget* owner = nullptr);
    // The engine goes first (it saves favorites and position), then the archive is closed.
    ~TfrmMain() override;
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    std::unique_ptr<TSkStract> Engine;
    // Built at the first "find_all" and kept, so the search texts stay in its box.
    std::unique_ptr<TfrmFind> FindWindow;
    TSkTree* Tree = nullptr;
    TSkHtml* Html = nullptr;
    TSkEditBox* TreeFindEdit = nullptr;
    TSkPopMenu* FavoritesMenu = nullptr;
    TSkItem* AddFavoriteItem = nullptr;
    TSkItem* DelFavoriteItem = nullptr;
    std::string CurrentDoc; // lower-cased, without an anchor
    bool HasDoc = false;
    std::string CurrentFavorite;

    // The engine's callbacks.
    void DoAction(const RHelpAction& action);
    void UnknownObject(const std::string& section);

    void OpenDocument(const std::string& name) override;
    // The search window's view of this window.
    std::string CurrentDocument() override;
    bool FindInDocument(const std::string& text) override;
    void ShowFindWindow();
    void SelectNode(QTreeWidgetItem* node, bool fallback);
    void LoadTree(const std::string& file, int sortIndex);
    void ExpandTree();
    void CollapseTree();
    void FindInTree();
    void ExportDoc();
    void AddCurrentToFavorites();
    void FavoritesPopup();
    void DeleteCurrentFavorite();
    // older: the entries behind the current position ("menu_history_back"); otherwise the newer
    // ones ("menu_history_prev"). The menu opens at (x, y + height), under the clicked button.
    void ShowHistoryMenu(bool older, int x, int y, int height);

    // The view's context menu now: "menu_html" while the document has a ".doc", else none.
    QMenu* HtmlContextMenu() const;
    // The window's state after the object lines of --dump: document, tree selection, history
    // and favorites, one line each, tab-separated, UTF-8.
    std::vector<std::string> StateLines() const;

private:
    // Objects the window uses besides the required ones, looked up once at start so that a
    // missing one is reported once and its function stays inactive.
    QPointer<TSkSpeedButton> ExportButton, PrintButton, ExpandButton, CollapseButton;
    QPointer<TSkPopMenu> SortMenu, HtmlMenu, HistoryBackMenu, HistoryPrevMenu;

    void FindObjects();
    void ApplyDocumentState(const std::string& document);
    void TreeSelectionMoved();
    void ShowHtmlMenu(const QPoint& at);
    void SetTreeButtons(bool expanded);

    // Set while this window moves the tree's selection itself; other moves (a link the view
    // followed, the tree's history) bring the document state along.
    bool SelectingNode = false;
    bool InFallback = false;
};
