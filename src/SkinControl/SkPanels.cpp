#include "SkinControl/SkPanels.h"

#include "archive/Utils.h"
#include "platform/Controls.h"
#include "platform/ConvertError.h"
#include "platform/Skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

// "N%" gives the percentage N; anything else is a size in pixels.
bool ReadSizeText(const std::string& text, int& percent, int& pixels) {
    const auto mark = text.find('%');
    if (mark == std::string::npos) {
        pixels = StrToInt(text);
        return false;
    }
    percent = StrToInt(text.substr(0, mark));
    return true;
}

} // namespace

TSkPanelBase::TSkPanelBase(QWidget* parent) : QWidget(parent) {
    MakeContainer(this);
    setAttribute(Qt::WA_StyledBackground);
    setContentsMargins(0, 0, 0, 0);
}

void TSkPanelBase::SetWidthText(const std::string& text) {
    int pixels = 0;
    if (ReadSizeText(text, PercentWidth, pixels))
        ApplyPercentSize();
    else
        SetWidth(this, pixels);
}

void TSkPanelBase::SetHeightText(const std::string& text) {
    int pixels = 0;
    if (ReadSizeText(text, PercentHeight, pixels))
        ApplyPercentSize();
    else
        SetHeight(this, pixels);
}

void TSkPanelBase::ApplyPercentSize() {
    const QWidget* parent = parentWidget();
    if (!parent)
        return;
    const QRect client = ClientRect(parent);
    // Dividing first, so 799 pixels at 50% give 350, as disc authors have laid their windows out.
    if (PercentWidth != 0 && client.width() != 0)
        SetWidth(this, client.width() / 100 * PercentWidth);
    if (PercentHeight != 0 && client.height() != 0)
        SetHeight(this, client.height() / 100 * PercentHeight);
}

void TSkPanelBase::SetCenterHorz(bool on) {
    CenterHorz = on;
    if (on)
        Recenter();
}

void TSkPanelBase::SetCenterVert(bool on) {
    CenterVert = on;
    if (on)
        Recenter();
}

void TSkPanelBase::Recenter() {
    const QWidget* parent = parentWidget();
    if (!parent)
        return;
    // The parent's outer size, not its client area.
    if (CenterHorz)
        SetLeft(this, (parent->width() - width()) / 2);
    if (CenterVert)
        SetTop(this, (parent->height() - height()) / 2);
}

void TSkPanelBase::ToggleVisible() {
    ToggleVisibleAt(this, SavedLeft, SavedTop);
}

void TSkPanelBase::mousePressEvent(QMouseEvent* event) {
    // Without a hook the press goes on to the parent, which may move the window itself.
    if (event->button() != Qt::LeftButton || !Events.OnMouseDown) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept(); // not again for the panel it lies on
    FireEvent(Events.OnMouseDown, event);
}

void TSkPanelBase::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    FireEvent(Events.OnDblClick);
}

void TSkPanelBase::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (Fill.isValid())
        painter.fillRect(rect(), Fill);
}

TSkPanel::TSkPanel(QWidget* parent) : TSkPanelBase(parent) {
    SetThemeObject(this, "default");
    ShowWithParent(this);
}

void TSkPanel::Relayout() {
    Recenter();
}

TParentPanel::TParentPanel(QWidget* parent) : TSkPanelBase(parent) {
    SetBounds(this, QRect(0, 0, 100, 50));
    ShowWithParent(this);
}

void TParentPanel::Relayout() {
    Recenter();
    ApplyPercentSize();
}

void TParentPanel::SetColor(int color) {
    Fill = QColor(RedOf(color), GreenOf(color), BlueOf(color));
    repaint();
}
