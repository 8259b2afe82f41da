#pragma once
// The two document trees of structure files. TSkTree ("tree") is the table of contents: nodes read
// from a tree file with a document per node, a history of 20 visits, fast find, next/previous with
// their buttons, an open block mode. TSkTreeEx ("tree_ex") is the checkable tree: items with
// documents and optional check boxes, one top-level branch open at a time.

#include "SkinControl/SkControl.h"
#include "archive/Utils.h"

#include <QFont>
#include <QImage>
#include <QTreeWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
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

    // Nodes are at most this many levels deep: a deeper line becomes a sibling at the last level.
    static constexpr int kMaxDepth = 256;
    std::vector<QImage> Images; // node pictures by image index
    int SavedLeft = 0;          // position kept while hidden
    int SavedTop = 0;
    bool Bordered = false; // "bordur"

    QTreeWidgetItem* Selected() const;
    TNodeRecord* RecordOf(const QTreeWidgetItem* node) const;
    int ImageIndexOf(const QTreeWidgetItem* node) const; // -1 for none
    // The font a node is drawn with: SelectFont while it is selected.
    QFont NodeFont(const QTreeWidgetItem* node) const;
    void SetBordered(bool on);
    void SetBackColor(TColor color); // "color"
    // SelectFont or SelectColor was changed in place: the selected node is drawn anew.
    void SelectStyleChanged();
    // "tree_expand" and "tree_collapse": every node at once, in one update.
    void ExpandAllNodes();
    void CollapseAllNodes();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void SelectionChanged();
    void RecordVisit(QTreeWidgetItem* node);
    void WriteRules();
    std::map<std::string, int> PictureCache; // lower-cased trimmed name: image index, -1 none
    QFont SelectQFont;
    std::optional<TColor> BackColor;
    QString WrittenRules;
    bool Loading = false;     // nodes are being removed or added: no visit is recorded
    bool SkipRelease = false; // the release that ends a double click is no click
    QMetaObject::Connection SelectionHook;
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

    enum class TColorPart { Back, SelectBack, Text, SelectText, Track, Scroll };
    // Selecting an item expands it; switched off while SelectNext and SelectPrev move.
    bool AutoExpand = true;
    bool Bordered = true; // "bordur"

    QTreeWidgetItem* Selected() const;
    bool HasCheckBox(const QTreeWidgetItem* item) const;
    // Selects an item, or none; a newly selected item raises OnItemSelected.
    void SelectItem(QTreeWidgetItem* item);
    // Expands the item's ancestors from the top down, so the one-open-branch rule keeps them
    // open, and scrolls the item into view.
    void MakeVisible(QTreeWidgetItem* item);
    void SetColor(TColorPart part, TColor color);
    void SetBordered(bool on);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    void SelectionChanged(const QItemSelection& selected);
    void ItemExpanded(QTreeWidgetItem* item);
    void ItemChanged(QTreeWidgetItem* item);
    void SetCheck(QTreeWidgetItem* item, bool checked);
    void WriteRules();
    std::map<TColorPart, TColor> Colors;
    QString WrittenRules;
    QTreeWidgetItem* PressSelection = nullptr; // selected when the mouse went down
    bool Collapsing = false;
    bool SkipRelease = false;
    std::vector<QMetaObject::Connection> Hooks;
};
