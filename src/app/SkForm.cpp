#include "app/SkForm.h"

#include "platform/Controls.h"
#include "platform/HostPath.h"
#include "platform/Modal.h"
#include "platform/Notebook.h"
#include "platform/QtKeys.h"
#include "platform/QtText.h"
#include "platform/SkinFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kKeyEscape = 0x1B;
constexpr int kKeyE = 0x45;
constexpr int kKeyQ = 0x51;
constexpr int kModifierBits = kShiftBit | kCtrlBit | kAltBit;

std::function<void()>& TerminateHook() {
    static std::function<void()> hook;
    return hook;
}

std::function<int()>& DriveKindHook() {
    static std::function<int()> hook;
    return hook;
}

int CurrentDriveKind() {
    return DriveKindHook() ? DriveKindHook()() : ProgramDriveKind();
}

} // namespace

TSkForm::TSkForm(QWidget* owner) : TSkForm(owner, QRect(0, 0, 640, 480)) {
}

TSkForm::TSkForm(QWidget* owner, const QRect& designBounds) : QWidget(owner, Qt::Window) {
    MaximizedButtons.clear();
    NormalButtons.clear();
    SystemMenu = new QMenu(this);
    SystemMenu->setObjectName(QStringLiteral("SkinSystemMenuItems"));

    SkinForm = new TSkinFrame(this);
    TBorderIcons icons;
    icons.Close = icons.SystemMenu = icons.Minimize = icons.Maximize = true;
    icons.Help = false;
    SkinForm->SetBorderIcons(icons);
    SkinForm->SetSystemMenu(SystemMenu);
    SkinForm->OnClose = [this] { close(); };
    SkinForm->OnHelp = [this](int x, int y) { HelpClicked(x, y); };
    SkinForm->OnFrameChanged = [this] { LayoutFrame(); };
    // A resize that sized nothing sends no size message, but the engine holds the window's
    // painting from its start until the next one.
    SkinForm->OnResizeEnd = [this](bool changed) {
        if (!changed && OnSizeChanged)
            OnSizeChanged(Client->width(), Client->height());
    };

    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("SkinClient"));
    Client->setAttribute(Qt::WA_StyledBackground);
    MakeContainer(Client);
    Client->show();

    setGeometry(designBounds);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    LayoutFrame();
}

TSkForm::~TSkForm() {
    // The engine is gone by now; nothing may call into it while the parts are freed.
    OnAction = nullptr;
    OnSizeChanged = nullptr;
    if (KeyWindow)
        KeyWindow->removeEventFilter(this);
    delete Notebook;
    Notebook = nullptr;
    delete SystemMenu;
    SystemMenu = nullptr;
    delete SkinForm;
    SkinForm = nullptr;
}

void TSkForm::FormKeyDown(int key, int shift) {
    QPointer<TSkForm> self(this);
    const TShortCut pressed =
        static_cast<TShortCut>((key & kKeyCodeMask) | (shift & kModifierBits));
    const int match = HotKeys.Match(pressed, Notebook ? Notebook->PageIndex() : -1);
    if (match >= 0 && OnAction) {
        RHelpAction action;
        action.Command = HotKeys.CommandOf(match);
        OnAction(action);
        if (!self)
            return;
    }
    if (key == kKeyEscape && EscClose)
        close();
    const int modifiers = shift & kModifierBits;
    if (modifiers != (kCtrlBit | kAltBit))
        return;
    if (key == kKeyQ) {
        ShellOpen(ExecutableFile(), "", "open");
        TerminateProgram();
    } else if (key == kKeyE && !StructFile.empty() && CurrentDriveKind() != dkCdRom) {
        ShellOpen(ProgramPath(StructFile), "", "open");
    }
}

void TSkForm::FormMouseDown(QMouseEvent* event) {
    if (SkinForm->WindowState() != TWindowState::Maximized && Moving &&
        event->button() == Qt::LeftButton)
        SkinForm->StartMove(event->globalPosition().toPoint());
}

void TSkForm::SetDialogMode(bool on) {
    SkinForm->SetSizeable(!on);
    TBorderIcons icons = SkinForm->BorderIcons();
    icons.Minimize = !on;
    icons.Maximize = !on;
    SkinForm->SetBorderIcons(icons);
    DialogMode = on;
    EscClose = on;
}

void TSkForm::SetSizeable(bool on) {
    SkinForm->SetSizeable(on);
    TBorderIcons icons = SkinForm->BorderIcons();
    icons.Maximize = on;
    SkinForm->SetBorderIcons(icons);
    Sizeable = on;
}

void TSkForm::SetHelpButton(bool on) {
    TBorderIcons icons = SkinForm->BorderIcons();
    icons.Help = on;
    SkinForm->SetBorderIcons(icons);
    HelpButton = on;
}

void TSkForm::AddHotKey(const std::string& description) {
    HotKeys.AddKey(description, Notebook ? Notebook->PageIndex() : -1);
}

TNotebook* TSkForm::CreateNotebook() {
    if (!Notebook) {
        Notebook = new TNotebook(Client);
        Notebook->show();
        SetAlign(Notebook, TAlign::Client);
    }
    return Notebook;
}

QWidget* TSkForm::ClientArea() const {
    return Client;
}

void TSkForm::SetCaption(const std::string& caption) {
    SkinForm->SetCaption(ToQString(caption));
}

std::string TSkForm::Caption() const {
    return FromQString(SkinForm->Caption());
}

void TSkForm::SetFormBounds(const QRect& bounds) {
    SkinForm->StopShowAnimation();
    setGeometry(bounds);
    LayoutFrame();
}

int TSkForm::ShowModal() {
    Result = 0;
    InModal = true;
    struct TModalEnd {
        bool& Flag;
        ~TModalEnd() { Flag = false; }
    } end{InModal};
    RunModal(this);
    return Result;
}

void TSkForm::SetModalResult(int result) {
    Result = result;
    if (result != 0 && InModal)
        close();
}

void TSkForm::TerminateProgram() {
    if (TerminateHook()) {
        TerminateHook()();
        return;
    }
    QApplication::closeAllWindows();
    // Leaving every running loop ends the program by the normal way out of main; before the
    // first loop runs there is no such way.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
    else
        std::exit(0);
}

void TSkForm::SetTerminateHook(std::function<void()> hook) {
    TerminateHook() = std::move(hook);
}

void TSkForm::SetDriveKindHook(std::function<int()> hook) {
    DriveKindHook() = std::move(hook);
}

void TSkForm::keyPressEvent(QKeyEvent* event) {
    // Already seen before the controls (eventFilter); here only what no control took.
    QWidget::keyPressEvent(event);
}

void TSkForm::mousePressEvent(QMouseEvent* event) {
    // Presses on the client area and on pages that no control takes arrive here.
    GuardedCall([&] { FormMouseDown(event); });
}

void TSkForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    GuardedCall([this] { LayoutFrame(); });
}

void TSkForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
}

void TSkForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Key preview: the native window gets every key press before the widget that has the focus.
    if (QWindow* window = windowHandle(); window && window != KeyWindow) {
        if (KeyWindow)
            KeyWindow->removeEventFilter(this);
        KeyWindow = window;
        KeyWindow->installEventFilter(this);
    }
    if (!event->spontaneous() && !Fitted) {
        Fitted = true;
        GuardedCall([this] { FitOnScreen(); });
    }
    if (!event->spontaneous() && !Effect.empty())
        GuardedCall([this] {
            SkinForm->SetShowAnimation(ToQString(Effect), 500);
            SkinForm->PlayShowAnimation();
        });
}

void TSkForm::FitOnScreen() {
    // A window placed for a bigger screen than this one would stand partly out of reach (its
    // title bar with it, on a desktop that does not move windows back): it is moved onto the
    // screen that holds its centre, shrunk only when it is bigger than that screen.
    if (!isWindow() || isMaximized() ||
        (SkinForm && SkinForm->WindowState() == TWindowState::Maximized))
        return;
    QScreen* target = QGuiApplication::screenAt(geometry().center());
    if (!target)
        target = QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    QRect bounds = geometry();
    // Without a position of its own the window is centred with the size it has now, which its
    // structure file may have changed since it was constructed.
    if (!Placed)
        bounds.moveCenter(area.center());
    else if (area.contains(bounds))
        return;
    bounds.setWidth(std::max(std::min(bounds.width(), area.width()), minimumWidth()));
    bounds.setHeight(std::max(std::min(bounds.height(), area.height()), minimumHeight()));
    bounds.moveLeft(std::clamp(bounds.left(), area.left(),
                               std::max(area.left(), area.right() + 1 - bounds.width())));
    bounds.moveTop(std::clamp(bounds.top(), area.top(),
                              std::max(area.top(), area.bottom() + 1 - bounds.height())));
    if (bounds != geometry())
        SetFormBounds(bounds);
}

bool TSkForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == KeyWindow && event->type() == QEvent::KeyPress) {
        const TShortCut pressed = ShortCutOfEvent(*static_cast<QKeyEvent*>(event));
        if (pressed != 0)
            GuardedCall([&] { FormKeyDown(pressed & kKeyCodeMask, pressed & kModifierBits); });
    }
    return QWidget::eventFilter(watched, event);
}

void TSkForm::LayoutFrame() {
    if (!SkinForm || InLayout)
        return;
    InLayout = true;
    struct TLayoutEnd {
        bool& Flag;
        ~TLayoutEnd() { Flag = false; }
    } end{InLayout};
    SkinForm->Layout();
    SetBounds(Client, SkinForm->ClientRect());
    const QSize size = Client->size();
    if (size == ReportedClient)
        return;
    ReportedClient = size;
    if (OnSizeChanged)
        OnSizeChanged(size.width(), size.height());
}

void TSkForm::HelpClicked(int x, int y) {
    if (!HelpButton)
        return;
    RHelpAction action;
    action.Command = HelpAction;
    action.X = x;
    action.Y = y;
    // Let the window repaint after the click before the command runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (OnAction)
        OnAction(action);
}

TfrmFORM::TfrmFORM(QWidget* owner) : TSkForm(owner, QRect(200, 109, 783, 540)) {
}
