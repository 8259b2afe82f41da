#include "SkinControl/SkSimple.h"

#include "archive/Utils.h"
#include "platform/Controls.h"
#include "platform/Skin.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace {

void PaintStyledBackground(QWidget* widget, const QColor& fill) {
    QPainter painter(widget);
    QStyleOption option;
    option.initFrom(widget);
    widget->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, widget);
    if (fill.isValid())
        painter.fillRect(widget->rect(), fill);
}

bool Horizontal(TAlign align) {
    return align == TAlign::Left || align == TAlign::Right;
}

// The content of a scroll box, with the background of its "color" key.
class TScrollContent : public QWidget {
public:
    explicit TScrollContent(QWidget* parent = nullptr) : QWidget(parent) {
        setAttribute(Qt::WA_StyledBackground);
    }
    QColor Fill;

protected:
    void paintEvent(QPaintEvent*) override { PaintStyledBackground(this, Fill); }
};

// Grows the content whenever a child moves, changes size or comes and goes, and when the visible
// area changes.
class TScrollWatcher : public QObject {
public:
    TScrollWatcher(TSkScrollBox* box, QWidget* content)
        : QObject(box), Box(box), Content(content) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ChildAdded:
            if (watched == Content) {
                auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
                if (child && !child->isWindow())
                    child->installEventFilter(this);
            }
            Box->UpdateContentSize();
            break;
        case QEvent::ChildRemoved:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            Box->UpdateContentSize();
            break;
        default:
            break;
        }
        return false;
    }

private:
    TSkScrollBox* Box;
    QWidget* Content;
};

} // namespace

TSkSplitter::TSkSplitter(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground);
    SetThemeObject(this, "default");
    SetBounds(this, QRect(0, 0, 3, 100));
    UpdateCursor();
    ShowWithParent(this);
}

void TSkSplitter::ToggleVisible() {
    ToggleVisibleAt(this, SavedLeft, SavedTop);
}

QWidget* TSkSplitter::Target() const {
    const QWidget* parent = parentWidget();
    if (!parent)
        return nullptr;
    const TAlign align = GetAlign(this);
    const QRect own = geometry();
    for (QObject* object : parent->children()) {
        auto* control = qobject_cast<QWidget*>(object);
        if (!control || control == this || control->isWindow() || control->isHidden() ||
            GetAlign(control) != align)
            continue;
        // The neighbour docked to the same edge whose edge touches ours.
        const QRect r = control->geometry();
        switch (align) {
        case TAlign::Left:
            if (r.left() + r.width() == own.left())
                return control;
            break;
        case TAlign::Right:
            if (r.left() == own.left() + own.width())
                return control;
            break;
        case TAlign::Top:
            if (r.top() + r.height() == own.top())
                return control;
            break;
        case TAlign::Bottom:
            if (r.top() == own.top() + own.height())
                return control;
            break;
        default:
            return nullptr;
        }
    }
    return nullptr;
}

void TSkSplitter::UpdateCursor() {
    // A cursor of the "cursor" key stays; only our own follows the alignment.
    if (testAttribute(Qt::WA_SetCursor) && cursor().shape() != Qt::SplitHCursor &&
        cursor().shape() != Qt::SplitVCursor)
        return;
    const TAlign align = GetAlign(this);
    const bool across = align == TAlign::None || align == TAlign::Custom || align == TAlign::Client
                            ? height() >= width()
                            : Horizontal(align);
    setCursor(across ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void TSkSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    Dragged = Target();
    Dragging = Dragged != nullptr;
    PressPos = event->globalPosition().toPoint();
    if (Dragged)
        PressSize = Horizontal(GetAlign(this)) ? Dragged->width() : Dragged->height();
}

void TSkSplitter::mouseMoveEvent(QMouseEvent* event) {
    QWidget* parent = parentWidget();
    if (!Dragging || !Dragged || !parent) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint delta = event->globalPosition().toPoint() - PressPos;
    const QRect client = ClientRect(parent);
    const QRect target = Dragged->geometry();
    int size = PressSize;
    int most = 0; // as far as the splitter can go inside the parent
    switch (GetAlign(this)) {
    case TAlign::Left:
        size += delta.x();
        most = client.left() + client.width() - width() - target.left();
        break;
    case TAlign::Right:
        size -= delta.x();
        most = target.left() + target.width() - width() - client.left();
        break;
    case TAlign::Top:
        size += delta.y();
        most = client.top() + client.height() - height() - target.top();
        break;
    case TAlign::Bottom:
        size -= delta.y();
        most = target.top() + target.height() - height() - client.top();
        break;
    default:
        return;
    }
    size = std::clamp(size, 0, std::max(0, most));
    if (Horizontal(GetAlign(this)))
        SetWidth(Dragged, size);
    else
        SetHeight(Dragged, size);
    RealignChildren(parent);
}

void TSkSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && Dragging) {
        event->accept();
        Dragging = false;
        Dragged = nullptr;
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TSkSplitter::paintEvent(QPaintEvent*) {
    PaintStyledBackground(this, QColor());
}

void TSkSplitter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateCursor();
}

void TSkSplitter::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    UpdateCursor();
}

TSkTrackBar::TSkTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, 10);
    setValue(0);
    setTickPosition(QSlider::NoTicks);
    SetThemeObject(this, "default");
    ShowWithParent(this);
}

TSkProgressBar::TSkProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
    ShowWithParent(this);
}

TSkScrollBox::TSkScrollBox(QWidget* parent) : QScrollArea(parent), Inner(new TScrollContent) {
    setWidgetResizable(false);
    setWidget(Inner);
    MakeContainer(Inner);
    auto* watcher = new TScrollWatcher(this, Inner);
    Inner->installEventFilter(watcher);
    viewport()->installEventFilter(watcher);
    SetThemeObject(this, "default");
    UpdateContentSize();
    ShowWithParent(this);
}

void TSkScrollBox::SetColor(int color) {
    static_cast<TScrollContent*>(Inner)->Fill = QColor(RedOf(color), GreenOf(color), BlueOf(color));
    Inner->repaint();
}

void TSkScrollBox::UpdateContentSize() {
    if (Updating)
        return;
    Updating = true;
    QSize size = viewport()->size();
    for (QObject* object : Inner->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden() || GetAlign(child) != TAlign::None)
            continue;
        // Controls that follow the content's right or bottom edge never push it outwards.
        const TAnchors anchors = GetAnchors(child);
        const QRect r = child->geometry();
        if ((anchors & akLeft) && !(anchors & akRight))
            size.setWidth(std::max(size.width(), r.left() + r.width()));
        if ((anchors & akTop) && !(anchors & akBottom))
            size.setHeight(std::max(size.height(), r.top() + r.height()));
    }
    if (Inner->size() != size) {
        Inner->resize(size);
        RealignChildren(Inner); // also while hidden, when no resize event comes
    }
    Updating = false;
}
