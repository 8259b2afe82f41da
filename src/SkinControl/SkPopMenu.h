#pragma once
// Popup menus of structure files and their items. The menu keeps its own ordered item list, in
// step with the Qt menu's actions.

#include <QAction>
#include <QMenu>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TSkItem : public QAction {
public:
    explicit TSkItem(QObject* parent);
    std::string Value;           // the value the item stands for (a favorite's value)
    std::string Action;          // the command string a click runs
    std::string Caption() const; // Windows-1251
    uint16_t ShortCut = 0;       // the shortcut shown beside the caption, 0 for none
};

class TSkPopMenu : public QMenu {
public:
    explicit TSkPopMenu(QWidget* owner);
    ~TSkPopMenu() override;

    QWidget* MenuOwner;
    std::string HistoryTarget;
    bool ShowBack = false, ShowPrev = false, ShowFull = false;
    int32_t CheckIndex = -1;
    std::string GlobalAction;
    int32_t FixedCount = 0;
    int32_t LastCount = 0;
    int32_t CaptionLength = 0;
    // Called with the clicked item; the engine routes it to its click handler.
    std::function<void(TSkItem*)> OnItemClick;
    // Called before the menu opens (the main window's favorites menu).
    std::function<void()> OnBeforePopup;

    TSkItem* AddItem(const std::string& caption, const std::string& action,
                     const std::string& keyText);
    TSkItem* InsertItem(int index, const std::string& caption, const std::string& keyText,
                        const std::string& action);
    TSkItem* ItemAt(int index) const;
    int ItemCount() const { return static_cast<int>(Items.size()); }
    TSkItem* FindByAction(const std::string& text) const;
    TSkItem* FindByValue(const std::string& text) const;
    int DeleteByAction(const std::string& text);
    int DeleteByValue(const std::string& text);
    void DeleteAt(int index);
    void ClearItems();
    void UncheckAll();
    // Pops up at a screen point (through the platform's modal-run hook in tests).
    void PopupAt(int x, int y);

private:
    TSkItem* NewItem(const std::string& caption, const std::string& action,
                     const std::string& keyText);
    std::vector<TSkItem*> Items;
    // The receiver of the items' signals: a QMenu cuts every connection from an action to
    // itself when the action leaves it.
    QObject Tracker;
};
