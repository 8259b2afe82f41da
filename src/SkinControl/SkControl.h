#pragma once
// What every control made from a structure file carries besides its Qt state: the command string
// of its "action" key and the event hooks through which the engine receives its clicks, double
// clicks, changes, key releases and mouse presses. Hooks are plain callbacks: a control knows
// nothing of the engine.

#include "platform/Modal.h"

#include <QWidget>

#include <functional>
#include <string>
#include <utility>

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

// Calls an event hook through GuardedCall (an exception must not reach Qt's event loop) and a copy:
// a hook that destroys the control (an action that closes its window) must not destroy itself while
// it runs. An empty hook does nothing.
template <typename... TArgs, typename... TValues>
void FireEvent(const std::function<void(TArgs...)>& hook, TValues&&... values) {
    if (!hook)
        return;
    const std::function<void(TArgs...)> copy = hook;
    GuardedCall([&] { copy(std::forward<TValues>(values)...); });
}

// Controls are visible unless made invisible: one created inside a parent that is already on
// screen is shown with it (Qt would keep it hidden until asked).
void ShowWithParent(QWidget* control);

// Moves a hidden control back to where it was when hidden, or remembers the position of a shown
// one, then inverts its visibility (panels and splitters).
void ToggleVisibleAt(QWidget* control, int& savedLeft, int& savedTop);
