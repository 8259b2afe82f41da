#pragma once
// What every control made from a structure file carries besides its Qt state: the command string
// of its "action" key and the event hooks through which the engine receives its clicks, double
// clicks, changes, key releases and mouse presses. Hooks are plain callbacks: a control knows
// nothing of the engine.

#include <QWidget>

#include <functional>
#include <string>

class QMouseEvent;

struct TSkEvents {
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnChange;
    // Key released: the virtual key code and the modifier bits of a shortcut (0x2000 Shift,
    // 0x4000 Ctrl, 0x8000 Alt).
    std::function<void(int key, int shift)> OnKeyUp;
    std::function<void(int key, int shift)> OnKeyDown;
    // A left-button press that the window may turn into dragging ("moving" key).
    std::function<void(QMouseEvent*)> OnMouseDown;
};

class TSkControlData {
public:
    virtual ~TSkControlData() = default;
    std::string Action; // the "action" key
    TSkEvents Events;
};
