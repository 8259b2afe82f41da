#include "platform/SkinFrame.h"

#include "platform/Codec1251.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/TitleBar.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPauseAnimation>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>
#include <QWindow>

#include <array>
#include <memory>

namespace {

QString Say(const char* utf8) {
    return ToQString(cp1251::FromUtf8(utf8));
}

TWindowState StateOf(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized)
        return TWindowState::Minimized;
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return TWindowState::Maximized;
    return TWindowState::Normal;
}

} // namespace

// One piece of the sizing border: an edge or a corner. It paints nothing; the window's own
// background is the border.
class TSkinFrame::TGrip : public QWidget {
public:
    TGrip(TSkinFrame* frame, Qt::Edges edges)
        : QWidget(frame->Window()), Frame(frame), Edges(edges) {
        const bool horizontal = edges == Qt::LeftEdge || edges == Qt::RightEdge;
        const bool vertical = edges == Qt::TopEdge || edges == Qt::BottomEdge;
        const bool falling =
            edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        setCursor(horizontal ? Qt::SizeHorCursor
                  : vertical ? Qt::SizeVerCursor
                  : falling  ? Qt::SizeFDiagCursor
                             : Qt::SizeBDiagCursor);
        setObjectName(QStringLiteral("SkinGrip"));
    }
    Qt::Edges Sides() const { return Edges; }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (event->button() != Qt::LeftButton)
            return;
        Frame->ResizeBegins();
        QWidget* window = Frame->Window();
        if (window->windowHandle() && window->windowHandle()->startSystemResize(Edges)) {
            Frame->WatchSystemResize();
            return;
        }
        // Without the window system's help the grip follows the mouse itself.
        Manual = true;
        StartGlobal = event->globalPosition().toPoint();
        StartGeometry = window->geometry();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        event->accept();
        if (!Manual || !(event->buttons() & Qt::LeftButton))
            return;
        QWidget* window = Frame->Window();
        const QPoint d = event->globalPosition().toPoint() - StartGlobal;
        QRect r = StartGeometry;
        const QSize min = window->minimumSize().expandedTo(QSize(1, 1));
        const QSize max = window->maximumSize();
        auto clamp = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
        if (Edges & Qt::LeftEdge)
            r.setLeft(r.right() + 1 - clamp(r.width() - d.x(), min.width(), max.width()));
        if (Edges & Qt::RightEdge)
            r.setWidth(clamp(r.width() + d.x(), min.width(), max.width()));
        if (Edges & Qt::TopEdge)
            r.setTop(r.bottom() + 1 - clamp(r.height() - d.y(), min.height(), max.height()));
        if (Edges & Qt::BottomEdge)
            r.setHeight(clamp(r.height() + d.y(), min.height(), max.height()));
        window->setGeometry(r);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        if (Manual) {
            Manual = false;
            Frame->ResizeEnds();
        }
    }

private:
    TSkinFrame* Frame;
    Qt::Edges Edges;
    bool Manual = false;
    QPoint StartGlobal;
    QRect StartGeometry;
};

namespace {

// Waits for the end of a resize that the window system carries out: it has the mouse meanwhile,
// so the first mouse or key event that reaches the window again means the resize is over.
class TResizeWatch : public QObject {
public:
    TResizeWatch(QWidget* window, std::function<void()> done)
        : Window(window), Done(std::move(done)) {
        qApp->installEventFilter(this);
    }
    ~TResizeWatch() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove:
            if (static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton)
                break;
            [[fallthrough]];
        case QEvent::Enter:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
        case QEvent::WindowActivate:
            if (auto* widget = qobject_cast<QWidget*>(watched);
                widget && Window && widget->window() == Window && Done) {
                // Once only; the owner deletes this watch from inside the call.
                auto done = std::move(Done);
                Done = nullptr;
                done();
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPointer<QWidget> Window;
    std::function<void()> Done;
};

// Moves the window with the mouse until the left button is released, for window systems that
// do not move windows themselves. It watches the whole application: the press that started the
// move belongs to whatever widget was under the mouse.
class TMoveTracker : public QObject {
public:
    TMoveTracker(QWidget* window, const QPoint& pressedAt, std::unique_ptr<TMoveTracker>& self)
        : Window(window), Self(self), StartGlobal(pressedAt), StartPos(window->pos()) {
        qApp->installEventFilter(this);
    }
    ~TMoveTracker() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (Done)
            return false;
        if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton) || !Window) {
                Finish();
                return false;
            }
            Window->move(StartPos + mouse->globalPosition().toPoint() - StartGlobal);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            Finish();
        }
        return false;
    }

private:
    void Finish() {
        Done = true;
        // Deleted later: this runs inside the filter call.
        if (Self.get() == this)
            Self.release()->deleteLater();
    }

    QPointer<QWidget> Window;
    std::unique_ptr<TMoveTracker>& Self;
    bool Done = false;
    QPoint StartGlobal;
    QPoint StartPos;
};

// Platforms that draw no screen have no window opacity (and say so on every change).
bool HasOpacity() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

enum class TEffect { Fade, SlideDown, SlideUp, SlideLeft, SlideRight };

// The effects by name; any other name fades in.
TEffect EffectOf(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("slide_down"))
        return TEffect::SlideDown;
    if (n == QLatin1String("slide_up"))
        return TEffect::SlideUp;
    if (n == QLatin1String("slide_left"))
        return TEffect::SlideLeft;
    if (n == QLatin1String("slide_right"))
        return TEffect::SlideRight;
    return TEffect::Fade;
}

} // namespace

struct TSkinFrame::TState {
    TBorderIcons Icons;
    bool Sizeable = true;
    bool CaptionShown = true;
    QPointer<QMenu> SystemMenu;
    int Suspended = 0;
    QString Effect;
    int EffectTime = 0;
    QPointer<QParallelAnimationGroup> Animation;
    QPoint AnimationEnd;
    std::array<TSkinFrame::TGrip*, 8> Grips{};
    QSize ResizeFrom;
    std::unique_ptr<TResizeWatch> ResizeWatch;
    bool OwnStateChange = false;
    int Moves = 0;
    std::unique_ptr<TMoveTracker> Tracker;
};

TSkinFrame::TSkinFrame(QWidget* window) : QObject(window), Host(window), State(new TState) {
    Host->setWindowFlags(Host->windowFlags() | Qt::Window | Qt::FramelessWindowHint);
    Host->setAttribute(Qt::WA_StyledBackground);
    Host->setProperty("skinPart", QStringLiteral("frame"));
    Bar = new TTitleBar(Host);
    Bar->show();
    const Qt::Edges edges[8] = {Qt::LeftEdge,
                                Qt::RightEdge,
                                Qt::TopEdge,
                                Qt::BottomEdge,
                                Qt::TopEdge | Qt::LeftEdge,
                                Qt::TopEdge | Qt::RightEdge,
                                Qt::BottomEdge | Qt::LeftEdge,
                                Qt::BottomEdge | Qt::RightEdge};
    for (size_t i = 0; i < State->Grips.size(); ++i)
        State->Grips[i] = new TGrip(this, edges[i]);

    Bar->OnButton = [this](TTitleBar::TButton button) {
        switch (button) {
        case TTitleBar::TButton::Close:
            if (OnClose)
                OnClose();
            else
                Host->close();
            break;
        case TTitleBar::TButton::Minimize:
            ToggleMinimized();
            break;
        case TTitleBar::TButton::Maximize:
            ToggleMaximized();
            break;
        case TTitleBar::TButton::Help:
            if (OnHelp) {
                const QPoint at = QCursor::pos();
                OnHelp(at.x(), at.y());
            }
            break;
        case TTitleBar::TButton::System: {
            QWidget* icon = Bar->Button(TTitleBar::TButton::System);
            ShowSystemMenu(icon->mapToGlobal(QPoint(0, icon->height())));
            break;
        }
        }
    };
    Bar->OnDragStart = [this](const QPoint& pressedAt) { BeginMove(pressedAt); };
    Bar->OnDoubleClick = [this] {
        if (State->Sizeable && State->Icons.Maximize)
            ToggleMaximized();
    };
    Bar->OnContextMenu = [this](const QPoint& at) { ShowSystemMenu(at); };
    Bar->OnMetricsChanged = [this] { FrameChanged(); };
    Host->installEventFilter(this);
    ApplyIcons();
    Layout();
}

TSkinFrame::~TSkinFrame() {
    StopShowAnimation();
    State->Tracker.reset();
    State->ResizeWatch.reset();
    if (Host)
        Host->removeEventFilter(this);
    // The bar and the grips are the window's children; the window may be going already.
    delete Bar;
    for (TGrip* grip : State->Grips)
        delete grip;
    delete State;
}

int TSkinFrame::BorderWidth() const {
    if (!State->CaptionShown || WindowState() == TWindowState::Maximized)
        return 0;
    return Bar->BorderWidth();
}

int TSkinFrame::CaptionHeight() const {
    return State->CaptionShown ? Bar->CaptionHeight() : 0;
}

QRect TSkinFrame::ClientRect() const {
    const int b = BorderWidth();
    const int top = b + CaptionHeight();
    return QRect(b, top, std::max(0, Host->width() - 2 * b), std::max(0, Host->height() - top - b));
}

void TSkinFrame::Layout() {
    const int b = BorderWidth();
    const int w = Host->width(), h = Host->height();
    Bar->setVisible(State->CaptionShown);
    Bar->setGeometry(b, b, std::max(0, w - 2 * b), CaptionHeight());

    const bool sizing = State->Sizeable && WindowState() == TWindowState::Normal;
    const int g = std::max(2, Bar->BorderWidth());
    const int corner = std::max(g, 12);
    for (TGrip* grip : State->Grips) {
        grip->setVisible(sizing);
        if (!sizing)
            continue;
        const Qt::Edges e = grip->Sides();
        QRect r;
        if (e == Qt::LeftEdge)
            r = QRect(0, corner, g, h - 2 * corner);
        else if (e == Qt::RightEdge)
            r = QRect(w - g, corner, g, h - 2 * corner);
        else if (e == Qt::TopEdge)
            r = QRect(corner, 0, w - 2 * corner, g);
        else if (e == Qt::BottomEdge)
            r = QRect(corner, h - g, w - 2 * corner, g);
        else
            r = QRect((e & Qt::LeftEdge) ? 0 : w - corner, (e & Qt::TopEdge) ? 0 : h - corner,
                      corner, corner);
        grip->setGeometry(r);
        if (!(e == Qt::LeftEdge || e == Qt::RightEdge || e == Qt::TopEdge || e == Qt::BottomEdge)) {
            // A corner is an L along its two edges, so it does not cover the title bar's icons.
            const int x = (e & Qt::LeftEdge) ? 0 : corner - g;
            const int y = (e & Qt::TopEdge) ? 0 : corner - g;
            grip->setMask(QRegion(x, 0, g, corner) + QRegion(0, y, corner, g));
        }
        grip->raise();
    }
}

void TSkinFrame::SetCaption(const QString& caption) {
    Bar->SetCaption(caption);
    Host->setWindowTitle(caption);
}

QString TSkinFrame::Caption() const {
    return Bar->Caption();
}

void TSkinFrame::SetCaptionVisible(bool visible) {
    if (State->CaptionShown == visible)
        return;
    State->CaptionShown = visible;
    FrameChanged();
}

bool TSkinFrame::CaptionVisible() const {
    return State->CaptionShown;
}

void TSkinFrame::SetBorderIcons(const TBorderIcons& icons) {
    State->Icons = icons;
    ApplyIcons();
}

TBorderIcons TSkinFrame::BorderIcons() const {
    return State->Icons;
}

void TSkinFrame::ApplyIcons() {
    const TBorderIcons& i = State->Icons;
    Bar->SetButtonShown(TTitleBar::TButton::System, i.SystemMenu);
    Bar->SetButtonShown(TTitleBar::TButton::Help, i.Help);
    Bar->SetButtonShown(TTitleBar::TButton::Minimize, i.Minimize);
    Bar->SetButtonShown(TTitleBar::TButton::Maximize, i.Maximize);
    Bar->SetButtonShown(TTitleBar::TButton::Close, i.Close);
}

void TSkinFrame::SetSizeable(bool on) {
    State->Sizeable = on;
    Layout();
}

bool TSkinFrame::Sizeable() const {
    return State->Sizeable;
}

void TSkinFrame::SetSystemMenu(QMenu* menu) {
    State->SystemMenu = menu;
}

QMenu* TSkinFrame::SystemMenu() const {
    return State->SystemMenu;
}

void TSkinFrame::ShowSystemMenu(const QPoint& at) {
    if (!State->Icons.SystemMenu)
        return;
    const TBorderIcons& icons = State->Icons;
    const TWindowState state = WindowState();
    QMenu menu(Host);
    menu.setObjectName(QStringLiteral("SkinSystemMenu"));
    QAction* restore = menu.addAction(Say("Восстановить"), this, [this] {
        GuardedCall([this] { SetWindowState(TWindowState::Normal); });
    });
    restore->setEnabled(state != TWindowState::Normal);
    if (icons.Minimize)
        menu.addAction(Say("Свернуть"), this, [this] {
            GuardedCall([this] { SetWindowState(TWindowState::Minimized); });
        });
    if (icons.Maximize && State->Sizeable)
        menu.addAction(Say("Развернуть"), this,
                       [this] { GuardedCall([this] { SetWindowState(TWindowState::Maximized); }); })
            ->setEnabled(state != TWindowState::Maximized);
    if (State->SystemMenu && !State->SystemMenu->actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(State->SystemMenu->actions());
    }
    if (icons.Close) {
        menu.addSeparator();
        menu.addAction(Say("Закрыть"), this, [this] {
            GuardedCall([this] {
                if (OnClose)
                    OnClose();
                else
                    Host->close();
            });
        });
    }
    RunMenu(&menu, at);
}

TWindowState TSkinFrame::WindowState() const {
    return StateOf(Host->windowState());
}

void TSkinFrame::SetWindowState(TWindowState state) {
    const TWindowState current = WindowState();
    if (state == current)
        return;
    if (state != TWindowState::Minimized && current != TWindowState::Minimized && OnMaximize)
        OnMaximize(current);
    Qt::WindowStates states = Host->windowState();
    switch (state) {
    case TWindowState::Normal:
        states &= ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
        break;
    case TWindowState::Maximized:
        states = (states & ~Qt::WindowMinimized) | Qt::WindowMaximized;
        break;
    case TWindowState::Minimized:
        states |= Qt::WindowMinimized;
        break;
    }
    StopShowAnimation();
    State->OwnStateChange = true;
    Host->setWindowState(states);
    State->OwnStateChange = false;
    Bar->SetMaximized(WindowState() == TWindowState::Maximized);
    FrameChanged();
}

void TSkinFrame::ToggleMaximized() {
    SetWindowState(WindowState() == TWindowState::Maximized ? TWindowState::Normal
                                                            : TWindowState::Maximized);
}

void TSkinFrame::ToggleMinimized() {
    if (WindowState() != TWindowState::Minimized) {
        SetWindowState(TWindowState::Minimized);
        return;
    }
    // Back to what the window was before.
    State->OwnStateChange = true;
    Host->setWindowState(Host->windowState() & ~Qt::WindowMinimized);
    State->OwnStateChange = false;
    FrameChanged();
}

void TSkinFrame::SuspendPaint() {
    if (State->Suspended++ == 0)
        Host->setUpdatesEnabled(false);
}

void TSkinFrame::ResumePaint() {
    if (State->Suspended == 0)
        return;
    if (--State->Suspended == 0)
        Host->setUpdatesEnabled(true);
}

bool TSkinFrame::PaintSuspended() const {
    return State->Suspended > 0;
}

void TSkinFrame::SetShowAnimation(const QString& effect, int milliseconds) {
    State->Effect = effect;
    State->EffectTime = milliseconds;
}

void TSkinFrame::PlayShowAnimation() {
    StopShowAnimation();
    if (State->Effect.trimmed().isEmpty() || State->EffectTime <= 0 ||
        WindowState() != TWindowState::Normal)
        return;
    auto* group = new QParallelAnimationGroup(this);
    // Window systems without translucent windows ignore the opacity; the window then simply
    // appears.
    if (HasOpacity()) {
        auto* fade = new QPropertyAnimation(Host, "windowOpacity", group);
        fade->setDuration(State->EffectTime);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        fade->setEasingCurve(QEasingCurve::OutCubic);
    } else {
        // Nothing to see on such a platform, but the animation still runs its time.
        new QPauseAnimation(State->EffectTime, group);
    }
    const TEffect effect = EffectOf(State->Effect);
    if (effect != TEffect::Fade) {
        const int step = 48;
        const QPoint offset = effect == TEffect::SlideDown   ? QPoint(0, -step)
                              : effect == TEffect::SlideUp   ? QPoint(0, step)
                              : effect == TEffect::SlideLeft ? QPoint(step, 0)
                                                             : QPoint(-step, 0);
        State->AnimationEnd = Host->pos();
        auto* slide = new QPropertyAnimation(Host, "pos", group);
        slide->setDuration(State->EffectTime);
        slide->setStartValue(Host->pos() + offset);
        slide->setEndValue(Host->pos());
        slide->setEasingCurve(QEasingCurve::OutCubic);
        Host->move(Host->pos() + offset);
    }
    if (HasOpacity())
        Host->setWindowOpacity(0.0);
    State->Animation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void TSkinFrame::StopShowAnimation() {
    if (!State->Animation)
        return;
    QParallelAnimationGroup* group = State->Animation;
    State->Animation = nullptr;
    // The final state: fully opaque, at its place.
    group->setCurrentTime(group->totalDuration());
    group->stop();
    if (HasOpacity())
        Host->setWindowOpacity(1.0);
}

bool TSkinFrame::Animating() const {
    return !State->Animation.isNull();
}

void TSkinFrame::StartMove() {
    StartMove(QCursor::pos());
}

void TSkinFrame::StartMove(const QPoint& pressedAt) {
    if (WindowState() == TWindowState::Maximized)
        return;
    ++State->Moves;
    BeginMove(pressedAt);
}

int TSkinFrame::MovesStarted() const {
    return State->Moves;
}

void TSkinFrame::BeginMove(const QPoint& pressedAt) {
    if (WindowState() != TWindowState::Normal)
        return;
    StopShowAnimation();
    if (Host->windowHandle() && Host->windowHandle()->startSystemMove())
        return;
    State->Tracker.reset();
    State->Tracker = std::make_unique<TMoveTracker>(Host, pressedAt, State->Tracker);
}

void TSkinFrame::ResizeBegins() {
    State->ResizeWatch.reset();
    State->ResizeFrom = Host->size();
    if (OnResizeStart)
        GuardedCall(OnResizeStart);
}

void TSkinFrame::WatchSystemResize() {
    State->ResizeWatch = std::make_unique<TResizeWatch>(Host, [this] { ResizeEnds(); });
}

void TSkinFrame::ResizeEnds() {
    if (State->ResizeWatch)
        State->ResizeWatch.release()->deleteLater();
    // A press on the border that sized nothing brings no resize event; whoever held its painting
    // for the resize still hears of the end.
    const bool changed = Host->size() != State->ResizeFrom;
    if (OnResizeEnd)
        GuardedCall([&] { OnResizeEnd(changed); });
}

void TSkinFrame::FrameChanged() {
    Layout();
    if (OnFrameChanged)
        OnFrameChanged();
}

bool TSkinFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Host)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        Layout();
        break;
    case QEvent::WindowStateChange: {
        const auto previous = StateOf(static_cast<QWindowStateChangeEvent*>(event)->oldState());
        const TWindowState now = WindowState();
        Bar->SetMaximized(now == TWindowState::Maximized);
        // The window system toggled it (a key of its own, a drag to the screen's edge): the
        // notification comes late, but the owner still learns which state was left.
        if (!State->OwnStateChange && OnMaximize && previous != now &&
            previous != TWindowState::Minimized && now != TWindowState::Minimized)
            GuardedCall([&] { OnMaximize(previous); });
        if (!State->OwnStateChange)
            GuardedCall([this] { FrameChanged(); });
        break;
    }
    case QEvent::Hide:
        StopShowAnimation();
        break;
    case QEvent::Paint:
        // Without a skin the frame still shows where the window ends.
        if (Host->styleSheet().isEmpty() && qApp->styleSheet().isEmpty() && BorderWidth() > 0) {
            QPainter p(Host);
            p.setPen(Host->palette().color(QPalette::Dark));
            p.drawRect(Host->rect().adjusted(0, 0, -1, -1));
        }
        break;
    default:
        break;
    }
    return false;
}
