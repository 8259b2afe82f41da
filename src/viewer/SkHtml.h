#pragma once
// The document view. THtmlEx hosts the HTML viewer (a QTextBrowser whose documents, pictures and
// style sheets are all read through the archive) with skinned scroll bars that follow it. TSkHtml
// adds what reading needs: link clicks turned into commands, a linked tree that follows the
// document, a linked label showing the title, text search, a single-picture page, drag scrolling,
// and a history of 20 documents with titles and positions.

#include "SkinControl/SkControl.h"
#include "archive/Utils.h"
#include "engine/HelpAction.h"

#include <QVariant>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QImage;
class QPoint;
class QScrollBar;
class QTextBrowser;
class QUrl;
class TSkTree;
class TSkTreeEx;
class TSkLabel;

class THtmlEx : public QWidget, public TSkControlData {
public:
    explicit THtmlEx(QWidget* parent);
    ~THtmlEx() override;

    bool ShowHorzBar = true;
    bool ShowVertBar = true;
    QScrollBar* VertBar;
    QScrollBar* HorzBar;
    QTextBrowser* Viewer;

    // Loads a document by name ("name#anchor"); EInOutError "Не найден файл (HtmlView): " + file
    // when neither the archive nor the disk holds it (the view is left as it was).
    void LoadFile(const std::string& name);
    void LoadText(const std::string& text);
    void LoadLines(const TStrings& lines);
    void LoadCentered(const std::string& html, const std::string& align);
    void SetPosition(int position);
    int Position() const;
    int HorzPosition() const;
    void SetHorzPosition(int position);
    void SetShowHorzBar(bool on);
    void SetShowVertBar(bool on);
    void SyncBars();
    // The current file: a full name in the system's spelling (empty before the first load).
    std::string CurrentFile() const;

    // The folder relative names of the page are taken from: the current file's, or the program
    // folder for a page shown from text.
    std::string BaseFolder() const;
    // A name as a page writes it ("file://" removed, "/" as "\", "|" as ":") made a full name
    // against BaseFolder.
    std::string ResolveName(const std::string& link) const;
    // The viewer's resource hook: pictures and style sheets of the page, read through the archive.
    QVariant LoadResource(int type, const QUrl& name);

protected:
    // A new page replaced previousFile (empty: a page from text, or none) scrolled to
    // previousPosition; fromFile tells a document from a page shown from text.
    virtual void PageChanged(const std::string& previousFile, int previousPosition, bool fromFile);
    // A link clicked in the page, as the page writes it; true when the view must not follow it.
    virtual bool HandleLinkClick(const std::string& link);
    // Mouse and key events of the viewer; true when consumed.
    virtual bool ViewerInput(QEvent* event);
    // The viewer's own link handling: anchors of the page, other documents, pictures.
    void FollowLink(const std::string& link);
    // Shows a document by its full name (a picture name shows the picture alone), scrolled to
    // the anchor; EInOutError for a missing or oversized file, the view unchanged.
    void ShowFile(const std::string& fullName, const std::string& anchor);
    // Scrolls to an anchor of the page; reported as a new page when the position changed.
    void GoToAnchor(const std::string& anchor);

    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPage(const std::string& bytes);
    void LayOutBars(bool vertical, bool horizontal);
    void LinkActivated(const QUrl& url);
    std::optional<std::string> SheetFile(const std::string& href);
    QVariant LoadPicture(const std::string& link);
    QImage ReadPicture(const std::string& link);
    void ReportProblems();

    std::string File;   // the current file; empty for a page from text
    std::string Folder; // BaseFolder
    // Per page: names already found missing or broken (Qt asks again at every layout), what to
    // report once the page is laid out, and the normalised style sheets by full name.
    std::set<std::string> Failed;
    std::vector<std::string> Missing;
    std::vector<std::string> Problems;
    std::map<std::string, QVariant> Sheets;
    double SheetBasePx = 16;
    bool Syncing = false;
    bool VertShown = false;
    bool HorzShown = false;
};

struct THtmlHistoryEntry {
    std::string File; // full name
    std::string Title;
    int Position = 0;
};

class TSkHtml : public THtmlEx {
public:
    explicit TSkHtml(QWidget* parent);

    bool MoveCursor = false;
    std::function<void(const RHelpAction&)> OnAction; // the engine's Dispatch
    bool PictureWindow = true;
    TSkTreeEx* LinkedTreeEx = nullptr;
    TSkTree* LinkedTree = nullptr;
    TSkLabel* TitleLabel = nullptr;

    void FollowDocument(const std::string& name);
    bool Find(const std::string& text);
    std::string LoadPicturePage(const std::string& base, const std::string& picture);
    void SetMoveCursor(bool on);
    // The viewer's link click; true when handled.
    bool LinkClick(const std::string& link);

    // History: newest first, at most 20; index 0 is the document shown last.
    const std::vector<THtmlHistoryEntry>& History() const { return HistoryList; }
    int HistoryIndex() const { return HistoryPos; }
    void SetHistoryIndex(int index); // shows that entry
    std::string Title() const;       // of the current document
    // Copy and select all, for "html_copy" and "html_sel_all".
    void CopySelection();
    void SelectAll();

    // The history moved or a document was recorded: the title label follows.
    void HistoryChanged();
    // The context menu ("menu" key): called with the screen point of the request.
    void SetContextMenuHandler(std::function<void(const QPoint&)> handler);
    // Alt+E: the shown document opened for editing (not from a CD-ROM).
    void EditDocument();

protected:
    void PageChanged(const std::string& previousFile, int previousPosition, bool fromFile) override;
    bool HandleLinkClick(const std::string& link) override;
    bool ViewerInput(QEvent* event) override;

private:
    void Fire(const std::string& command);
    void OpenExternally(const std::string& link);

    std::vector<THtmlHistoryEntry> HistoryList;
    int HistoryPos = 0;
    int DragX = 0, DragY = 0;
    bool Dragging = false;
    bool Navigating = false; // a history move shows its entry without recording it
    std::function<void(const QPoint&)> ContextMenu;
};

constexpr int kHtmlHistoryMax = 20;
