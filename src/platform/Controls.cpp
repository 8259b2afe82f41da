#include "platform/Controls.h"

#include "platform/QtText.h"

#include <QChildEvent>
#include <QEvent>
#include <QPointer>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace {

const char* const kNameProperty = "chitalkaName";
const char* const kContainerProperty = "chitalkaContainer";

// Per-control layout data, kept in a child object so any widget can carry it.
class TLayoutData : public QObject {
public:
    explicit TLayoutData(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("chitalka-layout"));
    }
    TAlign Align = TAlign::None;
    TAnchors Anchors = kDefaultAnchors;
    TSizeConstraints Constraints;
    QRect Origin;          // bounds when last set explicitly
    QSize OriginParent;    // the parent's client size at that moment
    bool HasOrigin = false;
};

TLayoutData* FindData(const QWidget* control) {
    return control->findChild<TLayoutData*>(QStringLiteral("chitalka-layout"),
                                            Qt::FindDirectChildrenOnly);
}

TLayoutData& Data(QWidget* control) {
    if (auto* data = FindData(control))
        return *data;
    return *new TLayoutData(control);
}

// Realigns a container when it is resized, and the parent when a child is shown or hidden.
class TLayoutFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        switch (event->type()) {
        case QEvent::Resize:
            if (IsContainer(widget))
                RealignChildren(widget);
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (auto* parent = widget->parentWidget(); parent && IsContainer(parent))
                RealignChildren(parent);
            break;
        case QEvent::ChildAdded:
            if (IsContainer(widget)) {
                auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
                if (child && !child->isWindow())
                    child->installEventFilter(this);
            }
            break;
        default:
            break;
        }
        return false;
    }
};

TLayoutFilter& Filter() {
    static TLayoutFilter filter;
    return filter;
}

QRect Clamp(const QRect& r, const TSizeConstraints& c) {
    int w = r.width(), h = r.height();
    if (c.MaxWidth > 0)
        w = std::min(w, c.MaxWidth);
    if (c.MinWidth > 0)
        w = std::max(w, c.MinWidth);
    if (c.MaxHeight > 0)
        h = std::min(h, c.MaxHeight);
    if (c.MinHeight > 0)
        h = std::max(h, c.MinHeight);
    return QRect(r.x(), r.y(), std::max(0, w), std::max(0, h));
}

// Resize events of hidden widgets arrive only when they are shown, so containers are laid out
// at once, not from the event.
void Place(QWidget* child, const QRect& r) {
    const QRect clamped = Clamp(r, FindData(child) ? FindData(child)->Constraints : TSizeConstraints{});
    if (child->geometry() == clamped)
        return;
    const bool resized = child->size() != clamped.size();
    child->setGeometry(clamped);
    if (resized && IsContainer(child))
        RealignChildren(child);
}

// Guards against re-entry while a container moves its own children.
thread_local int gRealignDepth = 0;

} // namespace

void SetComponentName(QObject* object, const std::string& name) {
    object->setProperty(kNameProperty, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    object->setObjectName(ToQString(name));
}

std::string ComponentName(const QObject* object) {
    const QByteArray bytes = object->property(kNameProperty).toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool SameComponentName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

void MakeContainer(QWidget* container) {
    if (IsContainer(container))
        return;
    container->setProperty(kContainerProperty, true);
    container->installEventFilter(&Filter());
    for (QObject* child : container->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow())
            w->installEventFilter(&Filter());
}

bool IsContainer(const QWidget* widget) { return widget->property(kContainerProperty).toBool(); }

TAlign GetAlign(const QWidget* control) {
    const auto* data = FindData(control);
    return data ? data->Align : TAlign::None;
}

void SetAlign(QWidget* control, TAlign align) {
    Data(control).Align = align;
    if (auto* parent = control->parentWidget(); parent && IsContainer(parent))
        RealignChildren(parent);
}

TAnchors GetAnchors(const QWidget* control) {
    const auto* data = FindData(control);
    return data ? data->Anchors : kDefaultAnchors;
}

void SetAnchors(QWidget* control, TAnchors anchors) {
    TLayoutData& data = Data(control);
    data.Anchors = anchors;
    // Distances count from here on.
    data.Origin = control->geometry();
    data.OriginParent = control->parentWidget() ? ClientRect(control->parentWidget()).size() : QSize();
    data.HasOrigin = true;
}

TSizeConstraints GetConstraints(const QWidget* control) {
    const auto* data = FindData(control);
    return data ? data->Constraints : TSizeConstraints{};
}

void SetConstraints(QWidget* control, const TSizeConstraints& constraints) {
    Data(control).Constraints = constraints;
    SetBounds(control, control->geometry());
}

QRect GetBounds(const QWidget* control) { return control->geometry(); }

void SetBounds(QWidget* control, const QRect& bounds) {
    TLayoutData& data = Data(control);
    const QRect clamped = Clamp(bounds, data.Constraints);
    const bool resized = control->size() != clamped.size();
    control->setGeometry(clamped);
    if (resized && IsContainer(control))
        RealignChildren(control);
    data.Origin = clamped;
    data.OriginParent = control->parentWidget() ? ClientRect(control->parentWidget()).size() : QSize();
    data.HasOrigin = true;
    if (auto* parent = control->parentWidget(); parent && IsContainer(parent) &&
                                                data.Align != TAlign::None)
        RealignChildren(parent);
}

void SetLeft(QWidget* control, int left) {
    QRect r = control->geometry();
    r.moveLeft(left);
    SetBounds(control, r);
}
void SetTop(QWidget* control, int top) {
    QRect r = control->geometry();
    r.moveTop(top);
    SetBounds(control, r);
}
void SetWidth(QWidget* control, int width) {
    QRect r = control->geometry();
    r.setWidth(width);
    SetBounds(control, r);
}
void SetHeight(QWidget* control, int height) {
    QRect r = control->geometry();
    r.setHeight(height);
    SetBounds(control, r);
}

bool IsShown(const QWidget* control) { return !control->isHidden(); }

void SetShown(QWidget* control, bool shown) { control->setVisible(shown); }

QRect ClientRect(const QWidget* container) { return container->contentsRect(); }

void RealignChildren(QWidget* container) {
    if (gRealignDepth > 64)
        return;
    ++gRealignDepth;
    QRect rest = ClientRect(container);
    const QSize clientSize = rest.size();
    std::vector<QWidget*> children;
    for (QObject* object : container->children())
        if (auto* w = qobject_cast<QWidget*>(object); w && !w->isWindow() && !w->isHidden())
            children.push_back(w);

    auto byAlign = [&](TAlign align) {
        std::vector<QWidget*> out;
        for (QWidget* w : children)
            if (GetAlign(w) == align)
                out.push_back(w);
        // Docked controls keep the order of their positions; equal ones their creation order.
        std::stable_sort(out.begin(), out.end(), [align](QWidget* a, QWidget* b) {
            const QRect ra = a->geometry(), rb = b->geometry();
            switch (align) {
            case TAlign::Top:
                return ra.top() < rb.top();
            case TAlign::Bottom:
                return ra.bottom() > rb.bottom();
            case TAlign::Left:
                return ra.left() < rb.left();
            case TAlign::Right:
                return ra.right() > rb.right();
            default:
                return false;
            }
        });
        return out;
    };
    for (QWidget* w : byAlign(TAlign::Top)) {
        Place(w, QRect(rest.left(), rest.top(), rest.width(), w->height()));
        rest.setTop(rest.top() + w->height());
    }
    for (QWidget* w : byAlign(TAlign::Bottom)) {
        Place(w, QRect(rest.left(), rest.bottom() + 1 - w->height(), rest.width(), w->height()));
        rest.setBottom(rest.bottom() - w->height());
    }
    for (QWidget* w : byAlign(TAlign::Left)) {
        Place(w, QRect(rest.left(), rest.top(), w->width(), rest.height()));
        rest.setLeft(rest.left() + w->width());
    }
    for (QWidget* w : byAlign(TAlign::Right)) {
        Place(w, QRect(rest.right() + 1 - w->width(), rest.top(), w->width(), rest.height()));
        rest.setRight(rest.right() - w->width());
    }
    for (QWidget* w : byAlign(TAlign::Client))
        Place(w, rest);

    // Anchored controls keep their distances to the edges they are anchored to.
    for (QWidget* w : children) {
        if (GetAlign(w) != TAlign::None)
            continue;
        TLayoutData* data = FindData(w);
        if (!data || !data->HasOrigin || !data->OriginParent.isValid())
            continue;
        const TAnchors a = data->Anchors;
        if (a == kDefaultAnchors)
            continue;
        const int dx = clientSize.width() - data->OriginParent.width();
        const int dy = clientSize.height() - data->OriginParent.height();
        QRect r = data->Origin;
        if ((a & akLeft) && (a & akRight))
            r.setWidth(std::max(0, r.width() + dx));
        else if (a & akRight)
            r.moveLeft(r.left() + dx);
        else if (!(a & akLeft))
            r.moveLeft(r.left() + dx / 2);
        if ((a & akTop) && (a & akBottom))
            r.setHeight(std::max(0, r.height() + dy));
        else if (a & akBottom)
            r.moveTop(r.top() + dy);
        else if (!(a & akTop))
            r.moveTop(r.top() + dy / 2);
        Place(w, r);
    }
    --gRealignDepth;
}
