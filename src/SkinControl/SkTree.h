#pragma once
// The two document trees of structure files. TSkTree ("tree") is the table of contents: nodes read
// from a tree file with a document per node, a history of 20 visits, fast find, next/previous with
// their buttons, an open block mode. TSkTreeEx ("tree_ex") is the checkable tree: items with
// documents and optional check boxes, one top-level branch open at a time.

#include "SkinControl/SkControl.h"
#include "archive/Utils.h"

#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

class TSkSpeedButton;

struct TNodeRecord {
    std::string Document;
    QTreeWidgetItem* Node = nullptr;
};

class TSkTree : public QTreeWidget, public TSkControlData {
public:
    explicit TSkTree(QWidget* parent);
    ~TSkTree() override;

    std::vector<std::unique_ptr<TNodeRecord>> NodeRecords; // file order
    bool OpenBlock = false;
    int32_t HistoryPos = 0;
    bool RecordHistory = true;
    TStrings HistoryCaptions; // newest first
    std::string TreeFile;
    bool CaptionFirst = true;
    TSkSpeedButton* NextButton = nullptr;
    TSkSpeedButton* PrevButton = nullptr;
    TFontSpec SelectFont;
    TColor SelectColor;
    std::vector<QTreeWidgetItem*> HistoryNodes; // oldest first

    void LoadTreeFile(const std::string& name);
    void ParseTreeLines(const TStrings& lines);
    void ClearTree();
    int ImageIndexFor(const std::string& picture);
    std::string SelectedDocument() const;
    QTreeWidgetItem* FindNodeByDocument(const std::string& name) const;
    QTreeWidgetItem* FastFind(const std::string& text) const;
    void SelectFirst();
    void SelectNext();
    void SelectPrev();
    void GoHistory(int position);
    QTreeWidgetItem* HistoryNode(int position) const;
    void ToggleVisible();
    void SetOpenBlock(bool on);
    void UpdateNavButtons();
    // Selects a node (or none) without firing the click: the linked view following a document.
    void SelectNode(QTreeWidgetItem* node);
    std::string CaptionOf(const QTreeWidgetItem* node) const; // Windows-1251
    // The node's index in file order (the "absolute index" of favorites), -1 for none.
    int AbsoluteIndex(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* NodeAtAbsoluteIndex(int index) const;
    void FireClick(); // runs Events.OnClick when set
};

struct TItemRecord {
    std::string Document;
    QTreeWidgetItem* Item = nullptr;
    uint8_t Checked = 0;
};

class TSkTreeEx : public QTreeWidget, public TSkControlData {
public:
    explicit TSkTreeEx(QWidget* parent);
    ~TSkTreeEx() override;

    std::vector<std::unique_ptr<TItemRecord>> ItemRecords; // file order
    bool CheckBoxes = false; // "check": items loaded from now on show check boxes
    // The item-selection event (a newly selected item): the engine's TreeExItemChanged.
    std::function<void(QTreeWidgetItem*)> OnItemSelected;

    void LoadTreeExFile(const std::string& name);
    std::string SelectedDocument() const;
    QTreeWidgetItem* FindItemByDocument(const std::string& name) const;
    void SelectNext();
    void SelectPrev();
    void ToggleVisible();
    void SetSelectedChecked(bool state);
    void CheckAll();
    void ClearChecks();
    void ToggleSelectedCheck();
    std::string CaptionOf(const QTreeWidgetItem* item) const;
    TItemRecord* RecordOf(const QTreeWidgetItem* item) const;
};
