#pragma once
// The skinned window frame: a frameless top-level window draws its own border and title bar
// (caption, border icons close / minimize / maximize / help, the system menu), is dragged by its
// title bar (and by its client area when asked), resized by its border, announces a toggle
// between maximized and normal before the state changes, can suspend its painting while it is
// rebuilt, and can appear with a short animation.
//
// The window carries the dynamic property skinPart="frame" and a styled background, so a skin
// draws its border with *[skinPart="frame"] { ... }; the title bar's parts are named in
// TitleBar.h.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

class QMenu;
class QWidget;
class TTitleBar;

enum class TWindowState { Normal, Minimized, Maximized };

struct TBorderIcons {
    bool Close = true;
    bool SystemMenu = true;
    bool Minimize = true;
    bool Maximize = true;
    bool Help = false;
};

class TSkinFrame : public QObject {
public:
    // window: the top-level widget the frame draws; it becomes frameless.
    explicit TSkinFrame(QWidget* window);
    ~TSkinFrame() override;

    QWidget* Window() const { return Host; }
    TTitleBar* TitleBar() const { return Bar; }
    // Border and title bar thickness, so the owner can place its client area.
    int BorderWidth() const;
    int CaptionHeight() const; // 0 while the caption is hidden
    // The rectangle inside the border and below the title bar, in window coordinates.
    QRect ClientRect() const;
    // Places the title bar and the sizing border for the window's current size (the frame does
    // it on every resize event; a hidden window gets those only once it is shown).
    void Layout();

    void SetCaption(const QString& caption);
    QString Caption() const;
    // "hide_caption": without the caption the window has no border either; a sizeable window
    // still keeps a sizing strip along its edges.
    void SetCaptionVisible(bool visible);
    bool CaptionVisible() const;
    void SetBorderIcons(const TBorderIcons& icons);
    TBorderIcons BorderIcons() const;
    void SetSizeable(bool on);
    bool Sizeable() const;
    void SetSystemMenu(QMenu* menu); // not owned
    QMenu* SystemMenu() const;
    // Pops up the system menu at a screen point: the frame's own items (restore, minimize,
    // maximize, close, as the border icons allow) and the items of the linked menu.
    void ShowSystemMenu(const QPoint& at);

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state); // runs OnMaximize first for a maximize toggle
    void ToggleMaximized();
    void ToggleMinimized();

    void SuspendPaint();
    void ResumePaint();
    bool PaintSuspended() const;
    // Show animation: effect name (empty: none) and its time.
    void SetShowAnimation(const QString& effect, int milliseconds);
    void PlayShowAnimation();
    // Ends a running show animation at its final state.
    void StopShowAnimation();
    bool Animating() const;
    // Starts moving the window with the mouse (a press on the client area with "moving" on).
    // Never while maximized. pressedAt: the screen point of the press (else the mouse's now).
    void StartMove();
    void StartMove(const QPoint& pressedAt);
    // How many moves StartMove has started.
    int MovesStarted() const;

    // Before the window toggles between maximized and normal; the state given is the current one.
    std::function<void(TWindowState current)> OnMaximize;
    // The user starts resizing the window by its border.
    std::function<void()> OnResizeStart;
    // That resize is over; changed: the window's size is not what it was at the start.
    std::function<void(bool changed)> OnResizeEnd;
    // The help border icon was clicked, at this screen point.
    std::function<void(int x, int y)> OnHelp;
    // The close icon or the system menu's close was chosen.
    std::function<void()> OnClose;
    // The border or the title bar changed its size: the owner places its client area again.
    std::function<void()> OnFrameChanged;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TGrip;
    void ResizeBegins();
    void WatchSystemResize();
    void ResizeEnds();
    void FrameChanged();
    void BeginMove(const QPoint& pressedAt);
    void ApplyIcons();

    QWidget* Host;
    TTitleBar* Bar;
    struct TState;
    TState* State;
};
