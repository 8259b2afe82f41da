#pragma once
// Push button and speed button. A speed button can stay down (toggle actions and the "down" key),
// belong to a radio group of its parent ("group"), change its hint with its state and drop down a
// popup menu ("menu").

#include "SkinControl/SkControl.h"

#include <QPointer>
#include <QToolButton>

struct TFontSpec;
class QMenu;

class TSkButton : public QToolButton, public TSkControlData {
public:
    explicit TSkButton(QWidget* parent);
    void SetCaption(const std::string& text);
    void SetTextAlign(Qt::Alignment align);
    void SetWordWrap(bool on);
    void SetTransparent(bool on);
    void ToggleVisible();
    Qt::Alignment TextAlign() const { return Align; }
    bool WordWrap() const { return Wrap; }
    bool Transparent() const { return IsTransparent; }

protected:
    void paintEvent(QPaintEvent* event) override; // the caption's alignment and wrapping

private:
    Qt::Alignment Align = Qt::AlignHCenter;
    bool Wrap = false;
    bool IsTransparent = false;
};

class TSkSpeedButton : public QToolButton, public TSkControlData {
public:
    explicit TSkSpeedButton(QWidget* parent);
    bool DownState = false;
    std::string HintDown;
    std::string HintUp;

    void SetCaption(const std::string& text);
    void SetTransparent(bool on);
    // Group index: buttons of one group on one parent act as a radio group; 0 = none.
    void SetGroup(int group);
    int Group() const { return GroupIndex; }
    // Puts the button down or up without touching DownState or the hint.
    void SetDown(bool down);
    bool IsDown() const;
    // "down" key and "spbutton_down": the pressed state and DownState together.
    void SetDownState(bool down);
    void ToggleDown(); // "sbutton_down"
    void UpdateStateHint();
    void ToggleVisible();
    // The drop-down menu of the "menu" key (not owned); the button shows an arrow for it.
    void SetDropMenu(QMenu* menu);
    QMenu* DropMenu() const { return Menu; }
    bool Transparent() const { return IsTransparent; }

protected:
    // A click puts a grouped button down (and the rest of its group up); outside a group a click
    // leaves the state to the toggle actions.
    void nextCheckState() override;
    void mousePressEvent(QMouseEvent* event) override; // the drop-down arrow opens the menu

private:
    int GroupIndex = 0;
    bool IsTransparent = false;
    QPointer<QMenu> Menu;
};
