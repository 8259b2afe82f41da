#pragma once
// The skinned window frame: a frameless top-level window draws its own border and title bar
// (caption, border icons close / minimize / maximize / help, the system menu), is dragged by its
// title bar (and by its client area when asked), resized by its border, announces a toggle
// between maximized and normal before the state changes, can suspend its painting while it is
// rebuilt, and can appear with a short animation.

#include <QObject>
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

    void SetCaption(const QString& caption);
    QString Caption() const;
    void SetCaptionVisible(bool visible); // "hide_caption"
    bool CaptionVisible() const;
    void SetBorderIcons(const TBorderIcons& icons);
    TBorderIcons BorderIcons() const;
    void SetSizeable(bool on);
    bool Sizeable() const;
    void SetSystemMenu(QMenu* menu); // not owned

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state); // runs OnMaximize first for a maximize toggle
    void ToggleMaximized();
    void ToggleMinimized();

    void SuspendPaint();
    void ResumePaint();
    // Show animation: effect name (empty: none) and its time.
    void SetShowAnimation(const QString& effect, int milliseconds);
    void PlayShowAnimation();
    // Starts moving the window with the mouse (a press on the client area with "moving" on).
    void StartMove();

    // Before the window toggles between maximized and normal; the state given is the current one.
    std::function<void(TWindowState current)> OnMaximize;
    // The user starts resizing the window by its border.
    std::function<void()> OnResizeStart;
    // The help border icon was clicked, at this screen point.
    std::function<void(int x, int y)> OnHelp;
    // The close icon or the system menu's close was chosen.
    std::function<void()> OnClose;

private:
    QWidget* Host;
    TTitleBar* Bar;
    struct TState;
    TState* State;
};
