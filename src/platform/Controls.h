#pragma once
// The control model that structure files describe, over plain QWidgets: every control has bounds
// relative to its parent, an alignment (top, bottom, left, right, client) that docks it to an edge
// of the parent's client area, anchors that keep its distances to the parent's edges when the
// parent is resized, size constraints, and the name it has in its structure file. Containers
// (window pages, panels, scroll boxes) lay their children out by these rules whenever they are
// resized or a child's alignment, bounds or visibility changes.

#include <QWidget>

#include <string>

enum class TAlign { None, Top, Bottom, Left, Right, Client, Custom };

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
constexpr TAnchors kDefaultAnchors = akLeft | akTop;

struct TSizeConstraints {
    int MinWidth = 0, MaxWidth = 0, MinHeight = 0, MaxHeight = 0; // 0: no limit
};

// The component name from the structure file (Windows-1251); also set as the Qt object name.
void SetComponentName(QObject* object, const std::string& name);
std::string ComponentName(const QObject* object);
// Latin letters compared without regard to case, as lookups by name do.
bool SameComponentName(const std::string& a, const std::string& b);

// Makes a widget lay out its children by the rules above.
void MakeContainer(QWidget* container);
bool IsContainer(const QWidget* widget);

TAlign GetAlign(const QWidget* control);
void SetAlign(QWidget* control, TAlign align);
TAnchors GetAnchors(const QWidget* control);
void SetAnchors(QWidget* control, TAnchors anchors);
TSizeConstraints GetConstraints(const QWidget* control);
void SetConstraints(QWidget* control, const TSizeConstraints& constraints);

// Bounds as the control's own (a hidden control keeps them). Setting them clamps to the
// constraints, remembers them as the origin for anchoring, and lays the parent out again.
QRect GetBounds(const QWidget* control);
void SetBounds(QWidget* control, const QRect& bounds);
void SetLeft(QWidget* control, int left);
void SetTop(QWidget* control, int top);
void SetWidth(QWidget* control, int width);
void SetHeight(QWidget* control, int height);

// The control's own visibility flag (not whether its window is on screen).
bool IsShown(const QWidget* control);
void SetShown(QWidget* control, bool shown);

// The size children are laid out in: the container's contents rectangle.
QRect ClientRect(const QWidget* container);

// Lays out the children of a container now.
void RealignChildren(QWidget* container);
