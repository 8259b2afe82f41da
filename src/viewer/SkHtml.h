#pragma once
// The document view. THtmlEx hosts the HTML viewer (a QTextBrowser whose documents, pictures and
// style sheets are all read through the archive) with skinned scroll bars that follow it. TSkHtml
// adds what reading needs: link clicks turned into commands, a linked tree that follows the
// document, a linked label showing the title, text search, a single-picture page, drag scrolling,
// and a history of 20 documents with titles and positions.

#include "SkinControl/SkControl.h"
#include "archive/Utils.h"
#include "engine/HelpAction.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QScrollBar;
class QTextBrowser;
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
};

struct THtmlHistoryEntry {
    std::string File;  // full name
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

private:
    std::vector<THtmlHistoryEntry> HistoryList;
    int HistoryPos = 0;
};
