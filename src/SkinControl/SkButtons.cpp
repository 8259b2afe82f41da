#include "SkinControl/SkButtons.h"

#include "platform/Controls.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/Skin.h"

#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {

// Transparent buttons leave the parent's background around their face; the skin can tell them
// apart by the "transparent" property.
void ApplyTransparent(QToolButton* button, bool on) {
    button->setAutoFillBackground(!on);
    button->setProperty("transparent", on);
    button->style()->unpolish(button);
    button->style()->polish(button);
    button->update();
}

} // namespace

TSkButton::TSkButton(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::StrongFocus); // a tab stop
    SetTransparent(true);
    SetThemeObject(this, "default");
    connect(this, &QAbstractButton::clicked, this, [this] { FireEvent(Events.OnClick); });
    ShowWithParent(this);
}

void TSkButton::SetCaption(const std::string& text) {
    setText(ToQString(text));
}

void TSkButton::SetTextAlign(Qt::Alignment align) {
    Align = align & Qt::AlignHorizontal_Mask;
    if (!Align)
        Align = Qt::AlignHCenter;
    update();
}

void TSkButton::SetWordWrap(bool on) {
    Wrap = on;
    update();
}

void TSkButton::SetTransparent(bool on) {
    IsTransparent = on;
    ApplyTransparent(this, on);
}

void TSkButton::ToggleVisible() {
    SetShown(this, !IsShown(this));
}

void TSkButton::paintEvent(QPaintEvent* event) {
    if (Align == Qt::AlignHCenter && !Wrap) {
        QToolButton::paintEvent(event);
        return;
    }
    // The face as the style draws it, the caption placed by ourselves.
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    QRect area =
        style()->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton, this);
    area.adjust(frame, frame, -frame, -frame);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    int flags = static_cast<int>(Align) | Qt::AlignVCenter | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this))
        flags |= Qt::TextHideMnemonic;
    if (Wrap)
        flags |= Qt::TextWordWrap;
    style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), caption,
                          QPalette::ButtonText);
}

TSkSpeedButton::TSkSpeedButton(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::NoFocus); // speed buttons never take the focus
    setCheckable(true);          // the down state
    SetTransparent(true);
    SetThemeObject(this, "default");
    connect(this, &QAbstractButton::clicked, this, [this] { FireEvent(Events.OnClick); });
    ShowWithParent(this);
}

void TSkSpeedButton::SetCaption(const std::string& text) {
    setText(ToQString(text));
}

void TSkSpeedButton::SetTransparent(bool on) {
    IsTransparent = on;
    ApplyTransparent(this, on);
}

void TSkSpeedButton::SetGroup(int group) {
    GroupIndex = group;
    if (IsDown())
        SetDown(true); // one down button per group
}

void TSkSpeedButton::SetDown(bool down) {
    setChecked(down);
    if (!down || GroupIndex == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children()) {
        auto* other = dynamic_cast<TSkSpeedButton*>(child);
        if (other && other != this && other->GroupIndex == GroupIndex)
            other->setChecked(false);
    }
}

bool TSkSpeedButton::IsDown() const {
    return isChecked();
}

void TSkSpeedButton::SetDownState(bool down) {
    SetDown(down);
    DownState = IsDown();
}

void TSkSpeedButton::ToggleDown() {
    if (DownState) {
        SetDown(false);
        DownState = false;
    } else {
        DownState = true;
        SetDown(true);
    }
    UpdateStateHint();
}

void TSkSpeedButton::UpdateStateHint() {
    if (IsDown() && !HintDown.empty())
        setToolTip(ToQString(HintDown));
    else if (!IsDown() && !HintUp.empty())
        setToolTip(ToQString(HintUp));
}

void TSkSpeedButton::ToggleVisible() {
    SetShown(this, !IsShown(this));
}

void TSkSpeedButton::SetDropMenu(QMenu* menu) {
    Menu = menu;
    // The menu is set only so that the style draws the arrow; we open it ourselves.
    setMenu(menu);
    setPopupMode(menu ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
    update();
}

void TSkSpeedButton::nextCheckState() {
    if (GroupIndex != 0)
        SetDown(true);
}

void TSkSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (Menu && event->button() == Qt::LeftButton) {
        QStyleOptionToolButton option;
        initStyleOption(&option);
        const QRect arrow = style()->subControlRect(QStyle::CC_ToolButton, &option,
                                                    QStyle::SC_ToolButtonMenu, this);
        if (arrow.contains(event->position().toPoint())) {
            event->accept();
            QMenu* const menu = Menu;
            const QPoint at = mapToGlobal(QPoint(0, height()));
            // The menu's actions may destroy this button; nothing of it is used afterwards.
            GuardedCall([menu, at] { RunMenu(menu, at); });
            return;
        }
    }
    QToolButton::mousePressEvent(event);
}
