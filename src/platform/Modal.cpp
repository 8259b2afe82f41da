#include "platform/Modal.h"

#include "platform/Codec1251.h"
#include "platform/Services.h"

#include <QEvent>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <exception>

namespace {

TModalRunner& ModalHook() {
    static TModalRunner hook;
    return hook;
}

TMenuRunner& MenuHook() {
    static TMenuRunner hook;
    return hook;
}

// Ends the nested loop once the window is hidden (closing hides it) or destroyed.
class TModalWatch : public QObject {
public:
    explicit TModalWatch(QEventLoop& loop) : Loop(loop) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide)
            Loop.quit();
        return false;
    }

private:
    QEventLoop& Loop;
};

void RunNestedLoop(QWidget* window) {
    QPointer<QWidget> guard(window);
    const Qt::WindowModality previous = window->windowModality();
    // Modality takes effect only when the window is shown.
    if (window->isVisible())
        window->hide();
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    TModalWatch watch(loop);
    window->installEventFilter(&watch);
    const auto connection = QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    if (window->isVisible())
        loop.exec(QEventLoop::DialogExec);
    QObject::disconnect(connection);
    if (guard) {
        guard->removeEventFilter(&watch);
        guard->hide();
        guard->setWindowModality(previous);
    }
}

} // namespace

void RunModal(QWidget* window) {
    if (!window)
        return;
    if (ModalHook())
        ModalHook()(window);
    else
        RunNestedLoop(window);
}

void RunMenu(QMenu* menu, const QPoint& at) {
    if (!menu)
        return;
    if (MenuHook())
        MenuHook()(menu, at);
    else
        menu->exec(at);
}

void SetModalRunner(TModalRunner runner) {
    ModalHook() = std::move(runner);
}

void SetMenuRunner(TMenuRunner runner) {
    MenuHook() = std::move(runner);
}

bool GuardedCall(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        Dialogs().ShowMessage(error.what());
    } catch (...) {
        Dialogs().ShowMessage(cp1251::FromUtf8("Непредвиденная ошибка"));
    }
    return false;
}
