#pragma once
// The title bar of a skinned frame: caption text and the border icons (system menu, help,
// minimize, maximize / restore, close). Everything it looks like comes from the skin's style
// sheet: the bar is "TTitleBar" (object name "SkinTitleBar"), the caption a QLabel named
// "SkinCaption", the icons QToolButtons named "SkinSystemButton", "SkinHelpButton",
// "SkinMinimizeButton", "SkinMaximizeButton" (property windowMaximized="true" while the window is)
// and "SkinCloseButton". A button without an icon from the skin draws its glyph in its text
// colour. The frame's sizes are properties the skin sets: qproperty-captionHeight,
// qproperty-borderWidth and qproperty-buttonWidth.

#include <QToolButton>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;

class TTitleBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int captionHeight READ CaptionHeight WRITE SetCaptionHeight)
    Q_PROPERTY(int borderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(int buttonWidth READ ButtonWidth WRITE SetButtonWidth)

public:
    enum class TButton { System, Help, Minimize, Maximize, Close };
    static constexpr int kButtonCount = 5;

    explicit TTitleBar(QWidget* parent);

    void SetCaption(const QString& caption);
    QString Caption() const { return CaptionText; }
    QLabel* CaptionLabel() const { return Label; }

    QToolButton* Button(TButton button) const;
    void SetButtonShown(TButton button, bool shown);
    bool ButtonShown(TButton button) const;
    // The maximize icon shows "restore" while the window is maximized.
    void SetMaximized(bool maximized);
    bool Maximized() const { return IsMaximized; }

    int CaptionHeight() const { return Height; }
    void SetCaptionHeight(int height);
    int BorderWidth() const { return Border; }
    void SetBorderWidth(int width);
    int ButtonWidth() const { return ButtonW; }
    void SetButtonWidth(int width);

    std::function<void(TButton)> OnButton;
    // A left-button press on the bar moved far enough to be a drag; the press's screen point.
    std::function<void(const QPoint& pressedAt)> OnDragStart;
    std::function<void()> OnDoubleClick;
    std::function<void(const QPoint& globalPos)> OnContextMenu;
    // The caption height or the border width changed.
    std::function<void()> OnMetricsChanged;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ElideCaption();
    void ApplyButtonSize();

    QLabel* Label;
    std::array<QToolButton*, kButtonCount> Buttons{};
    QString CaptionText;
    bool IsMaximized = false;
    int Height = 28;
    int Border = 4;
    int ButtonW = 36;
    bool Pressed = false;
    QPoint PressPos;
    QPoint PressGlobal;
};
