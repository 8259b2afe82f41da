#pragma once
// The search window: finds every document of the collection that holds a word or phrase (the
// documents "file.ind" lists), or finds it in the document the main window shows. Its whole
// content comes from "struct_find.txt" through its own engine; the window needs the objects
// "cb_find", "list_rez", "rogress", "lb_message", "rb_cur" and "rb_all", the action "find_start"
// on the controls that start a search, and "load" on the one that closes it.

#include "app/SkForm.h"

#include <QPointer>

#include <memory>
#include <string>

class TSkStract;
class TSkComboBox;
class TSkListBox;
class TSkProgressBar;
class TDiscSearch;

// What the search window needs of the main window. Names are archive names (Windows-1251).
struct TFindHost {
    virtual ~TFindHost() = default;
    // The name of the document shown, lower-cased.
    virtual std::string CurrentDocument() = 0;
    // Shows a document by name.
    virtual void OpenDocument(const std::string& name) = 0;
    // Finds the text in the document shown and selects it (the document view's Find); true when
    // found.
    virtual bool FindInDocument(const std::string& text) = 0;
};

class TfrmFind : public TSkForm {
public:
    // Builds the window from "struct_find.txt". host may be null: then results open nothing and
    // "rb_cur" finds nothing.
    TfrmFind(TSkForm* owner, TFindHost* host);
    ~TfrmFind() override;

    // The main window's "find_all": clears "lb_message" and shows the window modally.
    int Execute();

    TSkStract* Engine() const { return FEngine.get(); }

    // The engine's action handler: "find_start" searches, "load" closes the window, any other
    // command shows its name.
    void DoAction(const RHelpAction& action);
    // A press of "find_start": starts a search, or stops the one running.
    void StartSearch();
    void SearchAll();
    void SearchCurrent();
    // A click (or Enter) on "list_rez": shows the result's document and selects the text in it.
    void ResultClick();

    bool Searching() const { return FSearching; }
    // The last search text, lower-cased; kept for selecting it in a result.
    const std::string& FindText() const { return FFindText; }

protected:
    // A close request while a search runs stops it; the window closes when the search has ended.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UnknownObject(const std::string& name);
    void SetMessage(const std::string& text);
    // The finishing steps of an all-documents search, whatever ended it.
    void FinishSearch(const TDiscSearch* search);
    void InsertSearchText(const std::string& text);

    TFindHost* Host;
    std::unique_ptr<TSkStract> FEngine;
    QPointer<TSkProgressBar> FProgress;
    QPointer<TSkComboBox> FFindBox;
    QPointer<TSkListBox> FResults;
    bool FSearching = false;
    // An all-documents search is under way (it may already have been asked to stop).
    bool FRunning = false;
    bool FCloseRequested = false;
    std::string FFindText;
};
