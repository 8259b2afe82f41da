#pragma once
// The action record: what a control event, a hot key, a menu item or a document link hands to the
// dispatcher and, for commands the engine does not know, to the window that owns the engine.

#include <cstdint>
#include <string>

class QObject;

struct RHelpAction {
    std::string Command;       // the command string
    int32_t Height = 0;        // height of the button that fired, else 0
    int32_t X = 0;             // screen position of that button's client origin (or the mouse)
    int32_t Y = 0;
    QObject* Sender = nullptr; // the control whose event made the record; not owned
};
