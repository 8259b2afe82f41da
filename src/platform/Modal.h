#pragma once
// Running windows and menus modally. The reader runs a nested event loop; tests install a hook
// that looks at the window, acts on it and returns, so no test ever blocks on a modal window.
//
// Also the guard every entry point from a Qt event into our code goes through: an exception that
// reached Qt's event loop would end the program, so it is shown as a message instead.

#include <functional>

class QWidget;
class QMenu;
class QPoint;

// Runs the window modally until it closes (or the hook returns); the window's result is read by
// the caller afterwards.
using TModalRunner = std::function<void(QWidget* window)>;
// Pops a menu up at a screen point and waits until it closes.
using TMenuRunner = std::function<void(QMenu* menu, const QPoint& at)>;

void RunModal(QWidget* window);
void RunMenu(QMenu* menu, const QPoint& at);
// nullptr restores the reader's own (nested event loop; QMenu::exec).
void SetModalRunner(TModalRunner runner);
void SetMenuRunner(TMenuRunner runner);

// Runs work; an exception it throws is shown through Dialogs().ShowMessage (its text is
// Windows-1251) and does not go further. Returns false when one was caught.
bool GuardedCall(const std::function<void()>& work);
