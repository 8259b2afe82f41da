#include "platform/TitleBar.h"

#include "platform/Modal.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

const char* const kButtonNames[TTitleBar::kButtonCount] = {"SkinSystemButton", "SkinHelpButton",
                                                           "SkinMinimizeButton",
                                                           "SkinMaximizeButton", "SkinCloseButton"};

// A border icon. The skin may give it an icon (qproperty-icon); without one it draws its glyph
// in the text colour the style sheet gives it.
class TFrameButton : public QToolButton {
public:
    TFrameButton(TTitleBar::TButton kind, TTitleBar* bar) : QToolButton(bar), Kind(kind), Bar(bar) {
        setObjectName(QLatin1String(kButtonNames[static_cast<int>(kind)]));
        setFocusPolicy(Qt::NoFocus);
        setAutoRaise(true);
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (!icon().isNull())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor color = palette().color(QPalette::ButtonText);
        if (!isEnabled())
            color.setAlphaF(0.4f);
        p.setPen(QPen(color, 1.3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        const qreal s = 10;
        const QPointF c = QRectF(rect()).center();
        const QRectF box(c.x() - s / 2, c.y() - s / 2, s, s);
        switch (Kind) {
        case TTitleBar::TButton::Close:
            p.drawLine(box.topLeft(), box.bottomRight());
            p.drawLine(box.topRight(), box.bottomLeft());
            break;
        case TTitleBar::TButton::Minimize:
            p.drawLine(QPointF(box.left(), c.y() + 0.5), QPointF(box.right(), c.y() + 0.5));
            break;
        case TTitleBar::TButton::Maximize:
            if (Bar->Maximized()) {
                p.drawRect(box.adjusted(0, 2.5, -2.5, 0));
                p.drawPolyline(QPolygonF({QPointF(box.left() + 2.5, box.top() + 2.5),
                                          QPointF(box.left() + 2.5, box.top()), box.topRight(),
                                          QPointF(box.right(), box.bottom() - 2.5),
                                          QPointF(box.right() - 2.5, box.bottom() - 2.5)}));
            } else {
                p.drawRect(box);
            }
            break;
        case TTitleBar::TButton::Help: {
            QFont font = p.font();
            font.setBold(true);
            font.setPixelSize(13);
            p.setFont(font);
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case TTitleBar::TButton::System:
            for (int i = -1; i <= 1; ++i)
                p.drawLine(QPointF(box.left(), c.y() + i * 3.5),
                           QPointF(box.right(), c.y() + i * 3.5));
            break;
        }
    }

private:
    TTitleBar::TButton Kind;
    TTitleBar* Bar;
};

} // namespace

TTitleBar::TTitleBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SkinTitleBar"));
    // The bar is drawn by the skin's rules, a plain widget is not without this.
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Highlight);
    setForegroundRole(QPalette::HighlightedText);
    // Without a skin the icons' glyphs take the caption's colour too.
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, colours.color(QPalette::HighlightedText));
    setPalette(colours);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kButtonCount; ++i)
        Buttons[static_cast<size_t>(i)] = new TFrameButton(static_cast<TButton>(i), this);
    Label = new QLabel(this);
    Label->setObjectName(QStringLiteral("SkinCaption"));
    Label->setForegroundRole(QPalette::HighlightedText);
    Label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label->setContentsMargins(6, 0, 6, 0);
    // Presses on the caption are the bar's: dragging, double click, context menu.
    Label->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label->installEventFilter(this);

    layout->addWidget(Button(TButton::System));
    layout->addWidget(Label, 1);
    for (TButton b : {TButton::Help, TButton::Minimize, TButton::Maximize, TButton::Close})
        layout->addWidget(Button(b));
    for (int i = 0; i < kButtonCount; ++i) {
        const auto kind = static_cast<TButton>(i);
        connect(Buttons[static_cast<size_t>(i)], &QToolButton::clicked, this, [this, kind] {
            if (OnButton)
                GuardedCall([&] { OnButton(kind); });
        });
    }
    SetButtonShown(TButton::Help, false);
    ApplyButtonSize();
}

void TTitleBar::SetCaption(const QString& caption) {
    CaptionText = caption;
    ElideCaption();
}

QToolButton* TTitleBar::Button(TButton button) const {
    return Buttons[static_cast<size_t>(button)];
}

void TTitleBar::SetButtonShown(TButton button, bool shown) {
    Button(button)->setVisible(shown);
}

bool TTitleBar::ButtonShown(TButton button) const {
    return !Button(button)->isHidden();
}

void TTitleBar::SetMaximized(bool maximized) {
    if (IsMaximized == maximized)
        return;
    IsMaximized = maximized;
    QToolButton* button = Button(TButton::Maximize);
    button->setProperty("windowMaximized", maximized);
    // Rules may select on the property (another icon while maximized).
    button->style()->unpolish(button);
    button->style()->polish(button);
    button->update();
}

void TTitleBar::SetCaptionHeight(int height) {
    height = std::max(0, height);
    if (Height == height)
        return;
    Height = height;
    ApplyButtonSize();
    if (OnMetricsChanged)
        OnMetricsChanged();
}

void TTitleBar::SetBorderWidth(int width) {
    width = std::max(0, width);
    if (Border == width)
        return;
    Border = width;
    if (OnMetricsChanged)
        OnMetricsChanged();
}

void TTitleBar::SetButtonWidth(int width) {
    ButtonW = std::max(0, width);
    ApplyButtonSize();
}

void TTitleBar::ApplyButtonSize() {
    for (QToolButton* button : Buttons)
        button->setFixedSize(button == Button(TButton::System) ? Height : ButtonW, Height);
}

void TTitleBar::ElideCaption() {
    const int room = Label->contentsRect().width();
    Label->setText(room > 0 ? Label->fontMetrics().elidedText(CaptionText, Qt::ElideRight, room)
                            : CaptionText);
    Label->setToolTip(Label->text() == CaptionText ? QString() : CaptionText);
}

void TTitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Pressed = true;
        PressPos = event->position().toPoint();
        PressGlobal = event->globalPosition().toPoint();
    }
    event->accept();
}

void TTitleBar::mouseMoveEvent(QMouseEvent* event) {
    // The move starts only once the mouse has gone a little way, so a double click stays one.
    if (Pressed && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - PressPos).manhattanLength() >=
            QApplication::startDragDistance()) {
        Pressed = false;
        if (OnDragStart)
            GuardedCall([this] { OnDragStart(PressGlobal); });
    }
    event->accept();
}

void TTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    Pressed = false;
    event->accept();
}

void TTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    Pressed = false;
    if (event->button() == Qt::LeftButton && OnDoubleClick)
        GuardedCall(OnDoubleClick);
    event->accept();
}

void TTitleBar::contextMenuEvent(QContextMenuEvent* event) {
    if (OnContextMenu)
        GuardedCall([&] { OnContextMenu(event->globalPos()); });
    event->accept();
}

bool TTitleBar::eventFilter(QObject* watched, QEvent* event) {
    // The caption is shortened to the room the label has in the font the skin gives it.
    if (watched == Label &&
        (event->type() == QEvent::Resize || event->type() == QEvent::FontChange))
        ElideCaption();
    return false;
}
